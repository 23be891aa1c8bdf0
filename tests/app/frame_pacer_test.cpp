#include "app/frame_pacer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace aismon {
namespace {

TEST(FramePacer, PaceFollowsWhatCanChange) {
  struct Row {
    const char* name;
    PaceState state;
    bool interacted;
    uint32_t sinceInteractionMs;
    FramePace want;
  } rows[] = {
      {"nothing", {}, false, 0, FramePace::Idle},
      {"dragging", {}, true, 0, FramePace::Refresh},
      {"interaction_just_over", {}, true, FramePacer::kInteractionHoldMs, FramePace::Idle},
      {"x10_playback", {true, false, false, true}, false, 0, FramePace::Refresh},
      {"ships_moving", {false, true, false, false}, false, 0, FramePace::Ships},
      {"new_data", {false, false, true, false}, false, 0, FramePace::Ships},
      {"x1_playback", {false, false, false, true}, false, 0, FramePace::Ships},
      {"drag_beats_ships", {false, true, true, false}, true, 10, FramePace::Refresh},
  };
  for (const Row& r : rows) {
    FramePacer p(60);
    const uint32_t t0 = 0xFFFFFF00u;  // across the wrap of the tick
    if (r.interacted) p.NoteInteraction(t0);
    EXPECT_EQ(p.PaceFor(r.state, t0 + r.sinceInteractionMs), r.want) << r.name;
  }
}

// Frames fire when their timer says, each taking paintMs; returns the frame start times.
// With interactEveryMs, pointer events come that often and may bring the timer forward,
// as the window does.
std::vector<uint32_t> RunFrames(FramePacer& p, FramePace pace, uint32_t paintMs, uint32_t spanMs,
                                uint32_t interactEveryMs = 0) {
  std::vector<uint32_t> starts;
  uint32_t now = 4294960000u;  // the tick wraps during the run
  const uint32_t end = now + spanMs;
  uint32_t nextEvent = now + 1;
  while (static_cast<int32_t>(end - now) > 0) {
    starts.push_back(now);
    const uint32_t start = now;
    now += paintMs;
    uint32_t due = now + p.DelayAfterFrame(start, now, pace);
    for (; interactEveryMs != 0 && static_cast<int32_t>(due - nextEvent) > 0; nextEvent += interactEveryMs) {
      // An event that came during the paint is handled once it is over.
      const uint32_t at = static_cast<int32_t>(nextEvent - now) < 0 ? now : nextEvent;
      const uint32_t asked = at + p.DelayForInteraction(start, at);
      if (static_cast<int32_t>(due - asked) > 0) due = asked;
    }
    now = due;
  }
  return starts;
}

TEST(FramePacer, RatesNeverExceedTheirPace) {
  struct Row {
    const char* name;
    double refreshHz;
    FramePace pace;
    uint32_t paintMs;
    int minFrames, maxFrames;  // over 10 s
    uint32_t minGapMs;
    uint32_t interactEveryMs = 0;
  } rows[] = {
      {"refresh_60_fast_paint", 60, FramePace::Refresh, 3, 598, 600, 16},
      {"refresh_60_slow_paint", 60, FramePace::Refresh, 12, 598, 600, 16},
      {"refresh_60_pointer_every_7ms", 60, FramePace::Refresh, 3, 598, 600, 16, 7},
      {"refresh_60_pointer_every_1ms", 60, FramePace::Refresh, 12, 598, 600, 16, 1},
      {"refresh_75", 75, FramePace::Refresh, 5, 748, 750, 13},
      {"refresh_unknown_is_60", 0, FramePace::Refresh, 5, 598, 600, 16},
      {"paint_slower_than_refresh", 60, FramePace::Refresh, 25, 400, 400, 25},
      {"ships_10hz", 60, FramePace::Ships, 20, 100, 100, 100},
      {"idle_2hz", 60, FramePace::Idle, 20, 20, 20, 500},
  };
  for (const Row& r : rows) {
    FramePacer p(r.refreshHz);
    const std::vector<uint32_t> starts = RunFrames(p, r.pace, r.paintMs, 10000, r.interactEveryMs);
    EXPECT_GE(static_cast<int>(starts.size()), r.minFrames) << r.name;
    EXPECT_LE(static_cast<int>(starts.size()), r.maxFrames) << r.name;
    uint32_t minGap = UINT32_MAX;
    for (size_t i = 1; i < starts.size(); ++i) minGap = std::min(minGap, starts[i] - starts[i - 1]);
    EXPECT_GE(minGap, r.minGapMs) << r.name;
  }
}

TEST(FrameRateCounter, CountsTheLastRealSecond) {
  struct Row {
    const char* name;
    int frames;
    uint32_t everyMs;
    uint32_t quietAfterMs;
    uint32_t want;
  } rows[] = {
      {"none", 0, 10, 0, 0},       {"hundred_hz", 3000, 10, 0, 100}, {"twenty_hz", 100, 50, 0, 20},
      {"half_quiet", 100, 50, 500, 10}, {"all_old", 100, 50, 1000, 0},  {"more_than_kept", 5000, 1, 0, 512},
  };
  for (const Row& r : rows) {
    FrameRateCounter c;
    uint32_t now = 4294967000u;
    for (int i = 0; i < r.frames; ++i) {
      now += r.everyMs;
      c.NoteFrame(now);
    }
    EXPECT_EQ(c.FramesInLastSecond(now + r.quietAfterMs), r.want) << r.name;
  }
}

}  // namespace
}  // namespace aismon
