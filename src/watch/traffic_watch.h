#pragma once
// The collision and distress watch over the ship table: CPA and TCPA of every station
// with a position against own ship, the alarm state of each, the distress beacons heard,
// the safety texts received, and the alert list the chart and the window show. It reads
// the table and never writes it; a pass runs at most once a second.
#include <array>
#include <cstdint>
#include <memory>

#include "ais/safety_text.h"
#include "input/receive_state.h"
#include "shipdb/ship_records.h"
#include "watch/cpa.h"
#include "watch/intake_silence.h"
#include "watch/own_fix_watch.h"
#include "watch/ship_choices.h"
#include "watch/watch_rules.h"

namespace aismon {

class ShipTable;

inline constexpr uint32_t kWatchPassMs = 1000;
inline constexpr uint32_t kStationGoneMs = 600000;      // the table's own 10-minute rule
inline constexpr uint32_t kSafetyTextShownMs = 600000;  // a safety text stays this long unless dismissed
inline constexpr int kMaxBeacons = 32;
inline constexpr int kMaxSafetyTexts = 8;
inline constexpr int kMaxAlerts = 64;
inline constexpr int kMaxNewAlarms = 16;
inline constexpr int kMaxAlarmEvents = 64;

// What the watch knows about one slot of the ship table after the last pass.
struct WatchTarget {
  int32_t mmsi = 0;        // whose state this is: a slot given to another station starts afresh
  bool present = false;    // in the table and heard within 10 minutes
  bool hasPosition = false;
  bool lost = false;       // silent longer than its kind of station reports
  bool hasCpa = false;     // own ship has a fix and both positions are known
  bool cpaEstimated = false;  // worked from an own position that is no longer fresh
  bool dangerous = false;
  ShipChoice choice = ShipChoice::None;  // the watch-keeper's, as of the last pass
  BeaconType beacon = BeaconType::None;
  CpaResult cpa;
  AlarmTrack track;        // collision alarm (beacons have theirs in the beacon list)
};

struct BeaconRecord {
  int32_t mmsi = 0;          // 0 = unused
  int32_t slot = -1;         // its table entry while it has one
  uint32_t lastTextTick = 0;
  bool textHeard = false;    // a safety text from it within 10 minutes
  bool testText = false;     // its latest safety text says it is a test
  bool heard = false;
  bool test = false;
  AlarmTrack track;
};

struct SafetyRecord {
  bool used = false;
  uint32_t tick = 0;
  SafetyText msg;
};

// OwnFixLost and NoData are the watch's own conditions: no station, no slot.
enum class AlertKind : uint8_t { Beacon, BeaconTest, Collision, SafetyText, OwnFixLost, NoData };

// One row of the alert list, most urgent first.
struct AlertRow {
  AlertKind kind = AlertKind::Collision;
  bool acknowledged = false;
  int32_t slot = -1;  // table entry, when the station has one
  int32_t mmsi = 0;
  int32_t index = 0;  // beacon or safety-text record, for those kinds
  BeaconType beacon = BeaconType::None;
};

struct NewAlarm {
  AlertKind kind;
  int32_t slot;
  int32_t mmsi;
};

// A change of an alarm, for the alarm log; beacons and collisions carry their station.
enum class AlarmChange : uint8_t { Raised, ReRaised, Acknowledged, Cleared };
struct AlarmEvent {
  AlarmChange change = AlarmChange::Raised;
  AlertKind kind = AlertKind::Collision;
  int32_t slot = -1;
  int32_t mmsi = 0;
  bool hasCpa = false;
  CpaResult cpa;
};

class TrafficWatch {
 public:
  // One target per entry of a dynamic table of `entries` entries.
  explicit TrafficWatch(int entries = kDefaultDynamicEntries);
  TrafficWatch(const TrafficWatch&) = delete;
  TrafficWatch& operator=(const TrafficWatch&) = delete;

  void SetLimits(const WatchLimits& limits) { limits_ = limits; }
  const WatchLimits& Limits() const { return limits_; }

  // A pass over the table when at least a second has gone by since the last one; true when
  // it ran. The alarms it raised are NewAlarms(); those that want a sound are counted in
  // SoundingAlarms() (tests are silent).
  // The sources as the window has them: whether any is configured, and every sentence
  // taken from them so far. Read by the next pass for the no-data alarm.
  void NoteIntake(bool configured, uint64_t sentences) {
    sourcesConfigured_ = configured;
    sentences_ = sentences;
  }
  bool Update(const ShipTable& table, const IntakeCounters& counters, const ReceiveOptions& options, uint32_t now);
  // The same pass whatever the time since the last.
  void Pass(const ShipTable& table, const IntakeCounters& counters, const ReceiveOptions& options, uint32_t now);
  void OnSafetyText(const SafetyText& s, uint32_t now);

  // Acknowledges (or, for a safety text, dismisses) alert row i; false when nothing changed.
  bool AcknowledgeRow(int i, uint32_t now);
  // Acknowledges every sounding alarm; returns how many.
  int AcknowledgeAll(uint32_t now);

  // Followed and ignored stations: the rules below read them; the chart and the list ask them.
  const ShipChoices& Choices() const { return choices_; }
  ShipChoices& MutableChoices() { return choices_; }
  // The mute switch as the window has it, for the chart's mark.
  void SetMuted(bool muted) { muted_ = muted; }
  bool Muted() const { return muted_; }
  bool OwnFix() const { return ownFix_; }
  const OwnFixWatch& OwnFixAge() const { return fixWatch_; }
  bool NoData() const { return silence_.Silent(); }
  // Alarm changes since the caller last cleared them (at most kMaxAlarmEvents are kept).
  int EventCount() const { return eventCount_; }
  const AlarmEvent& EventAt(int i) const { return events_[i]; }
  void ClearEvents() { eventCount_ = 0; }
  const DbDynamic& Own() const { return own_; }
  const WatchTarget& Target(int slot) const { return targets_[slot]; }
  int AlertCount() const { return alertCount_; }
  int HiddenAlerts() const { return hiddenAlerts_; }
  const AlertRow& Alert(int i) const { return alerts_[i]; }
  const BeaconRecord& Beacon(int i) const { return beacons_[i]; }
  const SafetyRecord& Safety(int i) const { return safety_[i]; }
  int NewAlarmCount() const { return newAlarmCount_; }
  const NewAlarm& NewAlarmAt(int i) const { return newAlarms_[i]; }
  int SoundingAlarms() const { return soundingAlarms_; }
  // Whether anything is shown: alerts, or a beacon or a ring to draw.
  bool HasAlerts() const { return alertCount_ > 0; }

 private:
  void UpdateTarget(const ShipTable& table, int slot, uint32_t now);
  BeaconRecord* BeaconFor(int32_t mmsi, bool add);
  void RebuildAlerts();
  void AddAlert(const AlertRow& row, double key);
  void NoteNewAlarm(AlertKind kind, int32_t slot, int32_t mmsi);
  void NoteEvent(AlarmChange change, AlertKind kind, int32_t slot, int32_t mmsi, const CpaResult* cpa);
  void StepOwnConditions(uint32_t now);
  bool AcknowledgeTrack(AlarmTrack& t, AlertKind kind, int32_t slot, int32_t mmsi, const CpaResult* cpa, uint32_t now);

  WatchLimits limits_;
  bool passed_ = false;
  uint32_t lastPass_ = 0;
  bool ownFix_ = false;
  DbDynamic own_{};
  int entries_;
  std::unique_ptr<WatchTarget[]> targets_;
  std::array<BeaconRecord, kMaxBeacons> beacons_{};
  std::array<SafetyRecord, kMaxSafetyTexts> safety_{};
  std::array<AlertRow, kMaxAlerts> alerts_{};
  std::array<double, kMaxAlerts> alertKeys_{};
  int alertCount_ = 0;
  int hiddenAlerts_ = 0;  // more than kMaxAlerts wanted a row
  std::array<NewAlarm, kMaxNewAlarms> newAlarms_{};
  int newAlarmCount_ = 0;
  int soundingAlarms_ = 0;
  OwnFixWatch fixWatch_;
  IntakeSilence silence_;
  bool sourcesConfigured_ = false;
  bool muted_ = false;
  ShipChoices choices_;
  uint64_t sentences_ = 0;
  AlarmTrack ownFixTrack_;
  AlarmTrack noDataTrack_;
  std::array<AlarmEvent, kMaxAlarmEvents> events_{};
  int eventCount_ = 0;
};

}  // namespace aismon
