// An unanswered alarm's sound repeats at the set interval until acknowledged or muted.
#include "watch/alarm_repeat.h"

#include <gtest/gtest.h>

namespace aismon {
namespace {

TEST(AlarmRepeat, CadenceStopsOnAcknowledgeAndMute) {
  constexpr auto N = AlarmSound::None, C = AlarmSound::Collision, D = AlarmSound::Distress, W = AlarmSound::Caution;
  struct Row {
    uint32_t now;
    AlarmSound wanted;
    bool newAlarm, muted;
    AlarmSound played;
  } rows[] = {
      {0, C, true, false, C},      {5000, C, false, false, N},  {9999, C, false, false, N},
      {10000, C, false, false, C}, {15000, D, true, false, D},  // a new alarm sounds at once
      {24999, D, false, false, N}, {25000, D, false, false, D}, {26000, D, false, true, N},  // muted
      {40000, D, false, true, N},  {41000, D, false, false, D},  // unmuted with an alarm standing
      {42000, N, false, false, N},  // every alarm acknowledged
      {60000, N, false, false, N}, {61000, W, true, false, W},  {71000, W, false, false, W},
  };
  AlarmRepeat r;
  const uint32_t base = 4294960000u;  // across the tick counter's wrap
  for (const Row& row : rows)
    EXPECT_EQ(r.Step(row.wanted, row.newAlarm, row.muted, 10000, base + row.now), row.played) << row.now;
}

}  // namespace
}  // namespace aismon
