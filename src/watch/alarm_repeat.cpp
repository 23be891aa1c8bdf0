#include "watch/alarm_repeat.h"

#include "watch/traffic_watch.h"

namespace aismon {

AlarmSound WantedSound(const TrafficWatch& watch) {
  AlarmSound wanted = AlarmSound::None;
  for (int i = 0; i < watch.AlertCount(); ++i) {
    const AlertRow& r = watch.Alert(i);
    if (r.acknowledged) continue;
    switch (r.kind) {
      case AlertKind::Beacon: return AlarmSound::Distress;
      case AlertKind::Collision: wanted = AlarmSound::Collision; break;
      case AlertKind::OwnFixLost:
      case AlertKind::NoData:
        if (wanted == AlarmSound::None) wanted = AlarmSound::Caution;
        break;
      case AlertKind::BeaconTest:
      case AlertKind::SafetyText: break;
    }
  }
  return wanted;
}

AlarmSound AlarmRepeat::Step(AlarmSound wanted, bool newAlarm, bool muted, uint32_t intervalMs, uint32_t now) {
  if (muted || wanted == AlarmSound::None) {
    played_ = false;
    return AlarmSound::None;
  }
  if (played_ && !newAlarm && now - lastPlayed_ < intervalMs) return AlarmSound::None;
  played_ = true;
  lastPlayed_ = now;
  return wanted;
}

}  // namespace aismon
