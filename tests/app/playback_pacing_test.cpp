// The pacing of a playback when its steps do not come every 300 ms: held up by a modal
// box, a slow frame or a stopped process, or run from inside the feed; with ticks near
// the 32-bit wrap and logs whose signed time stamps cross the sign.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "app/playback.h"

namespace aismon {
namespace {

constexpr int kLines = 10005;          // an 11-minute log as the program records one
constexpr uint32_t kLineGapMs = 66;

std::string Line(uint32_t stamp, int i) {
  return std::to_string(static_cast<int32_t>(stamp)) + ":\t!AIVDM,1,1,,A,L" + std::to_string(i) + ",0*00";
}

struct HoldRow {
  const char* name;
  friend void PrintTo(const HoldRow& r, std::ostream* os) { *os << r.name; }
  uint32_t firstStamp;  // log time of line 0
  uint32_t firstWall;   // wall tick of the first step
  int speed;
  uint32_t holdAtMs;    // wall time since the start at which the steps stop...
  uint32_t holdMs;      // ...and for how long
  int rewindAt;         // from this line on the stamps start again 4 minutes earlier (-1: never)
};

class HeldSteps : public ::testing::TestWithParam<HoldRow> {};

// However long the steps are held, the playback never plays log time faster than its
// speed allows plus a bounded catch-up: it resumes where it stood instead of pouring out
// what it missed, and it reaches the end no earlier than its pace says.
TEST_P(HeldSteps, ResumeAtPaceInsteadOfPouring) {
  const HoldRow& row = GetParam();
  std::vector<std::string> lines;
  uint32_t stamp = row.firstStamp;
  for (int i = 0; i < kLines; ++i, stamp += kLineGapMs) {
    if (i == row.rewindAt) stamp -= 4 * 60000;
    lines.push_back(Line(stamp, i));
  }
  Playback playback;
  playback.StartLines("log.txt", lines);
  playback.PlaySpeedClick(row.speed, row.firstWall);
  int fed = 0;
  uint32_t wall = 0;  // since the first step
  int worstStepLines = 0;
  bool ended = false;
  for (; wall < 2 * 3600 * 1000u && !ended; wall += 300) {
    if (wall > row.holdAtMs && wall < row.holdAtMs + row.holdMs) continue;  // held: no step
    const int before = fed;
    ended = playback.PlaybackStep(row.firstWall + wall, [&](const char*) { ++fed; }) == Playback::StepResult::Ended;
    worstStepLines = std::max(worstStepLines, fed - before);
  }
  ASSERT_TRUE(ended);
  EXPECT_EQ(fed, kLines);
  // One step may catch up the lag bound plus a step of lateness, no more.
  const int boundLines = static_cast<int>((kPlaybackMaxLagMs + 300) * row.speed / kLineGapMs) + 1;
  EXPECT_LE(worstStepLines, boundLines);
  // The log's own length, played at its speed, plus the hold: never sooner.
  const uint32_t logMs = (kLines - 1) * kLineGapMs;
  EXPECT_GE(wall + 300, logMs / row.speed + row.holdMs - kPlaybackMaxLagMs - 300);
  // The running time is the log time played, the rewind not counted backwards.
  EXPECT_EQ(playback.PlaybackElapsedMs(), static_cast<int32_t>(logMs - (row.rewindAt >= 0 ? kLineGapMs : 0)));
}

constexpr uint32_t kSignCross = 0x80000000u - 13000;  // the signed stamps turn negative 13 s in
constexpr uint32_t kWrap = 0u - 13000;                 // the tick wraps 13 s in

INSTANTIATE_TEST_SUITE_P(
    Playback, HeldSteps,
    ::testing::Values(HoldRow{"NotHeld", 1000000, 5000000, 1, 0, 0, -1},
                      HoldRow{"HeldAMinuteAt13s", 1000000, 5000000, 1, 13000, 60000, -1},
                      HoldRow{"HeldTenMinutesAt13s", 1000000, 5000000, 1, 13000, 600000, -1},
                      HoldRow{"StampsCrossTheSignHeld", kSignCross, 5000000, 1, 13000, 60000, -1},
                      HoldRow{"WallWrapsHeld", 1000000, kWrap, 1, 13000, 60000, -1},
                      HoldRow{"BothWrapHeldAtTimesTwo", kWrap, kSignCross, 2, 13000, 60000, -1},
                      HoldRow{"HeldAtTimesTen", kSignCross, kWrap, 10, 13000, 30000, -1},
                      // Two recordings in one file: the stamps go back 4 minutes at 13 s.
                      HoldRow{"StampsGoBack", 1000000, 5000000, 1, 0, 0, 197},
                      HoldRow{"StampsGoBackAtTimesTen", kSignCross, kWrap, 10, 0, 0, 197}),
    [](const auto& info) { return std::string(info.param.name); });

// A step run from inside the feed (the timer ticking in a box opened while decoding) plays
// nothing twice and skips nothing.
TEST(PlaybackReentry, StepFromInsideTheFeedPlaysEveryLineOnce) {
  Playback playback;
  std::vector<std::string> lines;
  for (int i = 0; i < 20; ++i) lines.push_back(Line(1000 + i * 100, i));
  playback.StartLines("log.txt", lines);
  playback.PlaySpeedClick(1, 0);
  std::vector<std::string> fed;
  bool nested = false;
  Playback::Feed feed = [&](const char* s) {
    fed.emplace_back(s);
    if (!nested && fed.size() == 3) {
      nested = true;
      playback.PlaybackStep(5000, feed);
    }
  };
  playback.PlaybackStep(0, feed);
  for (uint32_t now = 300; now <= 6000; now += 300) playback.PlaybackStep(now, feed);
  ASSERT_EQ(fed.size(), lines.size());
  for (size_t i = 0; i < fed.size(); ++i) EXPECT_EQ(fed[i], lines[i].substr(lines[i].find('\t') + 1)) << i;
}

}  // namespace
}  // namespace aismon
