#pragma once
// The rules of the collision and distress watch, one station at a time: which stations
// may alarm, when a target counts as dangerous or lost, what a distress beacon is, and
// the alarm state machine that keeps alarms from nagging.
#include <cstdint>

#include "watch/cpa.h"

namespace aismon {

struct WatchLimits {
  double cpaNm = 1.0;     // closer than this at the closest approach ...
  double tcpaMin = 20.0;  // ... within this many minutes ...
  double rangeNm = 20.0;  // ... of a station no farther than this
};

// Stations under this speed are not moving for the watch.
inline constexpr double kStillKn = 0.5;

// Own ship and a station with valid positions: dangerous when the closest approach lies
// ahead within the limits. Two stations both still never alarm: their CPA is only their
// range, which a ship at anchor beside another would make an endless alarm.
bool IsDangerous(const CpaResult& c, const WatchLimits& limits, double ownSogKn, double targetSogKn);

// Distress beacons by MMSI: 970xxxxxx AIS-SART, 972xxxxxx man overboard, 974xxxxxx EPIRB.
enum class BeaconType : uint8_t { None, Sart, Mob, Epirb };
BeaconType BeaconOf(int32_t mmsi);

// A beacon's transmission is a test when its navigational status is 15, or when the text
// of its latest safety message holds "SART TEST" or "MOB TEST".
inline constexpr int32_t kNavStatBeaconTest = 15;
bool IsTestText(const char* text);

// How long a station may be silent before it is lost: 3 minutes for a class A ship under
// way (position or static report; it reports every 2 to 10 seconds, so that is many missed reports), 6 minutes for
// everything that reports every 3 minutes at best (class A at anchor, moored or slower
// than 0.5 kn, class B, aids to navigation, base stations, aircraft): two missed reports.
inline constexpr uint32_t kLostMovingClassAMs = 3 * 60 * 1000;
inline constexpr uint32_t kLostOtherMs = 6 * 60 * 1000;
uint32_t LostAfterMs(int16_t msgNo, int32_t navStat, double sogKn);

// Alarm state of one station.
enum class AlarmState : uint8_t { Quiet, Alarm, Acknowledged, Test };

inline constexpr uint32_t kReAlarmMs = 10 * 60 * 1000;       // an acknowledged alarm returns
inline constexpr uint32_t kReEnterQuietMs = 2 * 60 * 1000;   // leaving and coming back is one alarm
inline constexpr uint32_t kBeaconAckMs = 5 * 60 * 1000;      // a beacon is silenced this long at most

struct AlarmTrack {
  AlarmState state = AlarmState::Quiet;
  bool inZone = false;    // dangerous (or heard, for a beacon) at the last step
  uint32_t ackTick = 0;   // when acknowledged
  double ackCpaNm = 0;    // the CPA when acknowledged
  uint32_t leftTick = 0;  // when it last left the zone
};

// One step of a collision target; true when it raises a new alarm (one to sound).
bool StepCollision(AlarmTrack& t, bool dangerous, double cpaNm, uint32_t now, const WatchLimits& limits);
// One step of a beacon heard (or not) now; true when it raises a new alarm.
bool StepBeacon(AlarmTrack& t, bool heard, bool test, uint32_t now);
// One step of a condition of the watch itself (own position lost, no data): an alarm while
// it holds, quiet as soon as it ends; true when it raises a new alarm.
bool StepCondition(AlarmTrack& t, bool active);
// The watch-keeper has seen it; only an alarm can be acknowledged.
void Acknowledge(AlarmTrack& t, double cpaNm, uint32_t now);

}  // namespace aismon
