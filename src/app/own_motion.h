#pragma once
// Timer chores on own ship: the once-a-second estimate of its speed, course and turn
// from its track, and the wake clock shared by every ship's wake ring.
#include <array>
#include <cstdint>

namespace aismon {

class ShipTable;

// Track points kept for the estimate: one a run (a second), two minutes of track.
inline constexpr int kOwnTrackPoints = 128;

struct OwnTrackPoint {
  uint32_t tick = 0;  // millisecond tick of the run that took it
  double lat = 0.0;
  double lon = 0.0;
};

// What EstimateOwnMotion compares against; empty before its first run.
struct OwnMotionMemory {
  std::array<OwnTrackPoint, kOwnTrackPoints> track{};
  int count = 0;      // points held
  int newest = -1;    // index of the newest point
  double cog = 0.0;   // own ship's course at the previous run
};

// Derives what the source of own ship does not carry (Sog while SogInvalid, Cog while
// CogInvalid) from the track, over a baseline long enough for a steady value: the most
// recent point at least 10 s and 0.05 nm back, else the oldest of the last two minutes.
// The course is taken from the whole displacement (never from one component alone), in
// degrees 0 to 360, and only once the ship has moved 0.01 nm over the baseline. Rot is the
// change of course since the previous run when no turn rate is reported. nowTick is the
// millisecond tick (it may wrap).
void EstimateOwnMotion(ShipTable& table, OwnMotionMemory& memory, uint32_t nowTick);

// Timer ticks between wake points for a wake step of stepSeconds (2, 5 or 10); during
// playback divided by the speed so the points stay the same log time apart. Never 0.
uint32_t WakeTicks(int stepSeconds, bool playing, int playbackSpeed);

// The wake clock: wakeHead moves on one slot and own ship's position goes into that slot
// of its ring (other ships' rings are written by their reports). Before own ship's first
// fix its entry holds only the start-up centre, so the slot gets the "no position" point
// the wake leaves out; otherwise the wake would run from there to the first fix.
void AdvanceWakeClock(ShipTable& table, bool ownFixed);

// The timer's wake chore for tick t: advances the clock when t is a multiple of wakeTicks.
// True when it did.
bool WakeClockTick(ShipTable& table, uint32_t t, uint32_t wakeTicks, bool ownFixed);

}  // namespace aismon
