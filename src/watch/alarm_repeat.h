#pragma once
// Sound until answered: the sound of the most urgent unacknowledged alarm is played when an
// alarm is raised and again every repeat interval while any alarm stands unacknowledged and
// the watch is not muted. Unmuting with alarms standing sounds at once.
#include <cstdint>

#include "watch/alarm_tone.h"

namespace aismon {

class TrafficWatch;

inline constexpr uint32_t kDefaultRepeatMs = 10000;

// The sound the alert list asks for: distress before collision before the watch's own
// conditions; None when every alarm is acknowledged.
AlarmSound WantedSound(const TrafficWatch& watch);

class AlarmRepeat {
 public:
  // Every timer tick; newAlarm when the last watch pass raised one. The sound to play now,
  // or None.
  AlarmSound Step(AlarmSound wanted, bool newAlarm, bool muted, uint32_t intervalMs, uint32_t now);

 private:
  bool played_ = false;
  uint32_t lastPlayed_ = 0;
};

}  // namespace aismon
