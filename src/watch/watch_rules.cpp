#include "watch/watch_rules.h"

#include <cstring>

namespace aismon {

bool IsDangerous(const CpaResult& c, const WatchLimits& limits, double ownSogKn, double targetSogKn) {
  if (ownSogKn < kStillKn && targetSogKn < kStillKn) return false;
  return c.rangeNm <= limits.rangeNm && c.cpaNm < limits.cpaNm && c.tcpaMin >= 0 && c.tcpaMin < limits.tcpaMin;
}

BeaconType BeaconOf(int32_t mmsi) {
  switch (mmsi / 1000000) {
    case 970: return BeaconType::Sart;
    case 972: return BeaconType::Mob;
    case 974: return BeaconType::Epirb;
    default: return BeaconType::None;
  }
}

bool IsTestText(const char* text) {
  return std::strstr(text, "SART TEST") != nullptr || std::strstr(text, "MOB TEST") != nullptr;
}

uint32_t LostAfterMs(int16_t msgNo, int32_t navStat, double sogKn) {
  const bool classA = (msgNo >= 1 && msgNo <= 3) || msgNo == 5;  // 5: its static report
  const bool underWay = navStat != 1 && navStat != 5 && sogKn >= kStillKn;
  return classA && underWay ? kLostMovingClassAMs : kLostOtherMs;
}

bool StepCollision(AlarmTrack& t, bool dangerous, double cpaNm, uint32_t now, const WatchLimits& limits) {
  if (!dangerous) {
    if (t.inZone) {
      t.inZone = false;
      t.leftTick = now;
    } else if (t.state != AlarmState::Quiet && now - t.leftTick > kReEnterQuietMs) {
      t.state = AlarmState::Quiet;  // gone long enough: a return is a new alarm
    }
    return false;
  }
  if (!t.inZone) {
    t.inZone = true;
    // Back within the quiet time (a ship yawing at anchor): the earlier alarm continues.
    const bool continues = t.state != AlarmState::Quiet && now - t.leftTick <= kReEnterQuietMs;
    if (!continues) {
      t.state = AlarmState::Alarm;
      return true;
    }
  }
  if (t.state == AlarmState::Acknowledged &&
      (cpaNm < t.ackCpaNm - limits.cpaNm / 2 || now - t.ackTick >= kReAlarmMs)) {
    t.state = AlarmState::Alarm;
    return true;
  }
  return false;
}

bool StepBeacon(AlarmTrack& t, bool heard, bool test, uint32_t now) {
  t.inZone = heard;
  if (!heard) {
    t.state = AlarmState::Quiet;
    return false;
  }
  if (test) {
    t.state = AlarmState::Test;
    return false;
  }
  if (t.state == AlarmState::Quiet || t.state == AlarmState::Test ||
      (t.state == AlarmState::Acknowledged && now - t.ackTick >= kBeaconAckMs)) {
    t.state = AlarmState::Alarm;
    return true;
  }
  return false;
}

bool StepCondition(AlarmTrack& t, bool active) {
  t.inZone = active;
  if (!active) {
    t.state = AlarmState::Quiet;
    return false;
  }
  if (t.state != AlarmState::Quiet) return false;
  t.state = AlarmState::Alarm;
  return true;
}

void Acknowledge(AlarmTrack& t, double cpaNm, uint32_t now) {
  if (t.state != AlarmState::Alarm) return;
  t.state = AlarmState::Acknowledged;
  t.ackTick = now;
  t.ackCpaNm = cpaNm;
}

}  // namespace aismon
