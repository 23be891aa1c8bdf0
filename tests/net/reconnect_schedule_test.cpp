#include "net/reconnect_schedule.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/clock.h"

namespace aismon {
namespace {

// Failures one after another, each retried the moment it falls due.
std::vector<uint32_t> WaitsOfFailures(ManualClock& clock, ReconnectSchedule& s, int failures) {
  std::vector<uint32_t> waits;
  for (int i = 0; i < failures; ++i) {
    const uint32_t failedAt = clock.TickMs();
    s.Failed(failedAt);
    while (!s.Due(clock.TickMs())) clock.Advance(100);
    waits.push_back(clock.TickMs() - failedAt);
    s.Attempting();
  }
  return waits;
}

TEST(ReconnectSchedule, DoublesFromOneSecondToAMinuteAndStartsAgainAfterData) {
  // Near the wrap of the 32-bit tick, so the comparison must be wrap-safe.
  ManualClock clock(0xFFFFF000u);
  ReconnectSchedule s;
  EXPECT_FALSE(s.Due(clock.TickMs()));
  EXPECT_EQ(WaitsOfFailures(clock, s, 9),
            (std::vector<uint32_t>{1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000, 60000}));
  s.Succeeded();
  EXPECT_EQ(WaitsOfFailures(clock, s, 3), (std::vector<uint32_t>{1000, 2000, 4000}));
}

TEST(ReconnectSchedule, IsNotDueOneTickEarly) {
  ManualClock clock(5000);
  ReconnectSchedule s;
  s.Failed(clock.TickMs());
  clock.Advance(999);
  EXPECT_FALSE(s.Due(clock.TickMs()));
  clock.Advance(1);
  EXPECT_TRUE(s.Due(clock.TickMs()));
  s.Attempting();
  EXPECT_FALSE(s.Due(clock.TickMs()));
}

}  // namespace
}  // namespace aismon
