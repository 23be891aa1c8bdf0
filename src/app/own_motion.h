#pragma once
// Timer chores on own ship: the once-a-second estimate of its speed, course and turn
// from the change of position, and the wake clock shared by every ship's wake ring.
#include <cstdint>

namespace aismon {

class ShipTable;

// What EstimateOwnMotion compares against; all 0 before its first run.
struct OwnMotionMemory {
  double timeHours = 0.0;  // tick of the previous run in hours; 0 = never run
  double lat = 0.0;        // own ship's position at the previous run; 0 = none
  double lon = 0.0;
  double cog = 0.0;        // own ship's course at the previous run
};

// Derives Sog (when SogInvalid), Cog (when CogInvalid and the move is not along a
// meridian or parallel) and Rot (when no turn rate is reported) from the move since the
// previous run. nowTick is the millisecond tick.
void EstimateOwnMotion(ShipTable& table, OwnMotionMemory& memory, uint32_t nowTick);

// Timer ticks between wake points for a wake step of stepSeconds (2, 5 or 10); during
// playback divided by the speed so the points stay the same log time apart. Never 0.
uint32_t WakeTicks(int stepSeconds, bool playing, int playbackSpeed);

// The wake clock: wakeHead moves on one slot and own ship's position goes into that slot
// of its ring (other ships' rings are written by their reports).
void AdvanceWakeClock(ShipTable& table);

// The timer's wake chore for tick t: advances the clock when t is a multiple of wakeTicks.
// True when it did.
bool WakeClockTick(ShipTable& table, uint32_t t, uint32_t wakeTicks);

}  // namespace aismon
