#include "watch/traffic_watch.h"

#include <algorithm>
#include <utility>

#include <cstring>

#include "shipdb/received_position.h"
#include "shipdb/ship_table.h"

namespace aismon {

namespace {

// Order of the alert list: distress first, then what still wants an answer.
double Rank(AlertKind kind, bool acknowledged) {
  switch (kind) {
    case AlertKind::Beacon: return acknowledged ? 1 : 0;
    case AlertKind::BeaconTest: return 2;
    case AlertKind::Collision: return acknowledged ? 4 : 3;
    case AlertKind::SafetyText: return 5;
    case AlertKind::OwnFixLost:
    case AlertKind::NoData: return acknowledged ? 4.5 : 2.5;
  }
  return 6;
}

// Stations that never alarm for collision: they do not move, or they are not ships.
bool MayCollide(const DbDynamic& e, const DbStatic* st, int32_t ownMmsi) {
  if (e.MMSI == kOwnEchoMMSI || (ownMmsi != 0 && e.MMSI == ownMmsi)) return false;
  if (st == nullptr) return true;
  if (st->Aids != 0 || st->MsgNo == 21) return false;  // aid to navigation
  if (st->MsgNo == 4) return false;                     // base station
  if (st->MsgNo == 9) return false;                     // search and rescue aircraft overhead
  return true;
}

const DbStatic* StaticFor(const ShipTable& table, const DbDynamic& e) {
  if (e.Link == kNoLink) return nullptr;
  const int i = ShipTable::LinkIndex(e.Link);
  return i >= 0 && i < kStaticEntries ? &table.StaticEntries()[i] : nullptr;
}

}  // namespace

TrafficWatch::TrafficWatch(int entries) : entries_(entries), targets_(std::make_unique<WatchTarget[]>(entries)) {}

bool TrafficWatch::Update(const ShipTable& table, const IntakeCounters& counters, const ReceiveOptions& options,
                          uint32_t now) {
  if (passed_ && now - lastPass_ < kWatchPassMs) return false;
  Pass(table, counters, options, now);
  return true;
}

void TrafficWatch::Pass(const ShipTable& table, const IntakeCounters& counters, const ReceiveOptions& options,
                        uint32_t now) {
  passed_ = true;
  lastPass_ = now;
  newAlarmCount_ = 0;
  soundingAlarms_ = 0;
  own_ = table.DynamicEntries()[0];
  fixWatch_.Step(own_, counters, options, now);
  // Own position from RMC, or from the transponder's own reports when those drive it; a
  // position a minute old is no ground for a CPA.
  const bool vdoFix = options.vdoEnabled && own_.Raw.PosState == kPosReported;
  ownFix_ = (counters.rmcFixCount != 0 || vdoFix) && !own_.LatInvalid && !own_.LonInvalid &&
            IsEarthPosition(own_.Lat, own_.Lon) && !fixWatch_.Lost();

  for (BeaconRecord& b : beacons_) b.slot = -1;
  // A table and a watch of different sizes are a caller's fault; only common slots are read.
  const int entries = std::min(entries_, table.DynamicCount());
  for (int slot = 1; slot < entries; ++slot) UpdateTarget(table, slot, now);

  for (SafetyRecord& s : safety_)
    if (s.used && now - s.tick > kSafetyTextShownMs) s.used = false;
  for (BeaconRecord& b : beacons_) {
    if (b.mmsi == 0) continue;
    b.textHeard = b.textHeard && now - b.lastTextTick <= kStationGoneMs;
    const bool inTable = b.slot >= 0;
    b.heard = inTable || b.textHeard;
    bool navTest = false, navActive = false;
    if (inTable) {
      const int32_t nav = table.DynamicEntries()[b.slot].NavStat;
      navTest = nav == kNavStatBeaconTest;
      navActive = nav == 14;  // "AIS-SART active"
    }
    b.test = navTest || (b.testText && !navActive);
    const AlarmState before = b.track.state;
    if (StepBeacon(b.track, b.heard, b.test, now)) {
      NoteNewAlarm(AlertKind::Beacon, b.slot, b.mmsi);
      NoteEvent(before == AlarmState::Acknowledged ? AlarmChange::ReRaised : AlarmChange::Raised, AlertKind::Beacon,
                b.slot, b.mmsi, nullptr);
    } else if ((before == AlarmState::Alarm || before == AlarmState::Acknowledged) &&
               (b.track.state == AlarmState::Quiet || b.track.state == AlarmState::Test)) {
      NoteEvent(AlarmChange::Cleared, AlertKind::Beacon, b.slot, b.mmsi, nullptr);
    }
    if (!b.heard) b = BeaconRecord{};  // forgotten: a later transmission alarms afresh
  }
  StepOwnConditions(now);
  RebuildAlerts();
}

void TrafficWatch::StepOwnConditions(uint32_t now) {
  silence_.Step(sourcesConfigured_, sentences_, now);
  const struct {
    AlarmTrack& track;
    bool active;
    AlertKind kind;
  } conditions[] = {{ownFixTrack_, fixWatch_.Stale(), AlertKind::OwnFixLost},
                    {noDataTrack_, silence_.Silent(), AlertKind::NoData}};
  for (const auto& c : conditions) {
    const AlarmState before = c.track.state;
    if (StepCondition(c.track, c.active)) {
      NoteNewAlarm(c.kind, -1, 0);
      NoteEvent(AlarmChange::Raised, c.kind, -1, 0, nullptr);
    } else if (before != AlarmState::Quiet && c.track.state == AlarmState::Quiet) {
      NoteEvent(AlarmChange::Cleared, c.kind, -1, 0, nullptr);
    }
  }
}

void TrafficWatch::UpdateTarget(const ShipTable& table, int slot, uint32_t now) {
  WatchTarget& t = targets_[slot];
  const DbDynamic& e = table.DynamicEntries()[slot];
  const bool present = e.Age != 0 && e.Age <= kStationGoneMs;
  bool wasShown = t.dangerous && t.track.state != AlarmState::Quiet;
  if (!present || e.MMSI != t.mmsi) {
    if (wasShown) NoteEvent(AlarmChange::Cleared, AlertKind::Collision, slot, t.mmsi, &t.cpa);
    wasShown = false;
    t = WatchTarget{};
    if (!present) return;
    t.mmsi = e.MMSI;
  }
  t.present = true;
  t.beacon = BeaconOf(e.MMSI);
  if (t.beacon != BeaconType::None) {
    if (BeaconRecord* b = BeaconFor(e.MMSI, true)) b->slot = slot;
  }
  const DbStatic* st = StaticFor(table, e);
  t.hasPosition = HasReceivedPosition(e);
  t.choice = choices_.Of(e.MMSI);
  t.lost = e.Age > LostAfterMs(st != nullptr ? st->MsgNo : 0, e.NavStat, e.SogInvalid ? 0.0 : e.Sog);
  t.hasCpa = ownFix_ && t.hasPosition;
  t.cpaEstimated = t.hasCpa && fixWatch_.Stale();
  t.dangerous = false;
  if (t.hasCpa) {
    const double ownSog = own_.SogInvalid ? 0.0 : own_.Sog;
    const double sog = e.SogInvalid ? 0.0 : e.Sog;
    t.cpa = ComputeCpa(GeoMotion{own_.Lat, own_.Lon, ownSog, own_.Cog}, GeoMotion{e.Lat, e.Lon, sog, e.Cog});
    // A lost station's position is old news: it is listed, but does not alarm. Nor does a
    // station followed on purpose (a tug, a pilot boat, a consort) or one ignored.
    t.dangerous = t.beacon == BeaconType::None && !t.lost && t.choice == ShipChoice::None &&
                  MayCollide(e, st, table.OwnMMSI) && IsDangerous(t.cpa, limits_, ownSog, sog);
  }
  if (t.beacon != BeaconType::None) return;
  const AlarmState before = t.track.state;
  const bool raised = StepCollision(t.track, t.dangerous, t.hasCpa ? t.cpa.cpaNm : 0.0, now, limits_);
  const bool shown = t.dangerous && t.track.state != AlarmState::Quiet;
  if (raised) {
    NoteNewAlarm(AlertKind::Collision, slot, e.MMSI);
    NoteEvent(before == AlarmState::Acknowledged && shown == wasShown ? AlarmChange::ReRaised : AlarmChange::Raised,
              AlertKind::Collision, slot, e.MMSI, &t.cpa);
  } else if (shown != wasShown) {
    // Back within the quiet time the earlier alarm shows again, silently.
    NoteEvent(shown ? AlarmChange::ReRaised : AlarmChange::Cleared, AlertKind::Collision, slot, e.MMSI, &t.cpa);
  }
}

BeaconRecord* TrafficWatch::BeaconFor(int32_t mmsi, bool add) {
  BeaconRecord* free = nullptr;
  for (BeaconRecord& b : beacons_) {
    if (b.mmsi == mmsi) return &b;
    if (b.mmsi == 0 && free == nullptr) free = &b;
  }
  if (!add || free == nullptr) return nullptr;  // more beacons than rows: the first ones keep theirs
  *free = BeaconRecord{};
  free->mmsi = mmsi;
  return free;
}

void TrafficWatch::OnSafetyText(const SafetyText& s, uint32_t now) {
  if (BeaconOf(s.mmsi) != BeaconType::None) {
    if (BeaconRecord* b = BeaconFor(s.mmsi, true)) {
      b->textHeard = true;
      b->lastTextTick = now;
      b->testText = IsTestText(s.text);
    }
  }
  // The oldest record makes room.
  SafetyRecord* slot = &safety_[0];
  for (SafetyRecord& r : safety_) {
    if (!r.used) {
      slot = &r;
      break;
    }
    if (now - r.tick > now - slot->tick) slot = &r;
  }
  slot->used = true;
  slot->tick = now;
  slot->msg = s;
  RebuildAlerts();
}

void TrafficWatch::NoteNewAlarm(AlertKind kind, int32_t slot, int32_t mmsi) {
  ++soundingAlarms_;
  if (newAlarmCount_ < kMaxNewAlarms) newAlarms_[newAlarmCount_++] = NewAlarm{kind, slot, mmsi};
}

void TrafficWatch::NoteEvent(AlarmChange change, AlertKind kind, int32_t slot, int32_t mmsi, const CpaResult* cpa) {
  if (eventCount_ == kMaxAlarmEvents) return;  // nobody reads them: the oldest are kept
  AlarmEvent& ev = events_[eventCount_++];
  ev = AlarmEvent{change, kind, slot, mmsi, cpa != nullptr, cpa != nullptr ? *cpa : CpaResult{}};
}

void TrafficWatch::AddAlert(const AlertRow& row, double key) {
  if (alertCount_ == kMaxAlerts) {
    ++hiddenAlerts_;
    if (key >= alertKeys_[kMaxAlerts - 1]) return;
    --alertCount_;  // the least urgent row gives way
  }
  int i = alertCount_++;
  while (i > 0 && alertKeys_[i - 1] > key) {
    alerts_[i] = alerts_[i - 1];
    alertKeys_[i] = alertKeys_[i - 1];
    --i;
  }
  alerts_[i] = row;
  alertKeys_[i] = key;
}

void TrafficWatch::RebuildAlerts() {
  alertCount_ = 0;
  hiddenAlerts_ = 0;
  // Keys: the rank in the thousands; within a rank beacons by MMSI, collisions by TCPA,
  // safety texts newest first.
  for (int i = 0; i < kMaxBeacons; ++i) {
    const BeaconRecord& b = beacons_[i];
    if (b.mmsi == 0 || b.track.state == AlarmState::Quiet) continue;
    AlertRow r;
    r.kind = b.track.state == AlarmState::Test ? AlertKind::BeaconTest : AlertKind::Beacon;
    r.acknowledged = b.track.state == AlarmState::Acknowledged;
    r.slot = b.slot;
    r.mmsi = b.mmsi;
    r.index = i;
    r.beacon = BeaconOf(b.mmsi);
    AddAlert(r, Rank(r.kind, r.acknowledged) * 1e12 + (b.mmsi % 1000000000));
  }
  for (int slot = 1; slot < entries_; ++slot) {
    const WatchTarget& t = targets_[slot];
    if (!t.dangerous || t.track.state == AlarmState::Quiet) continue;
    AlertRow r;
    r.kind = AlertKind::Collision;
    r.acknowledged = t.track.state == AlarmState::Acknowledged;
    r.slot = slot;
    r.mmsi = t.mmsi;
    AddAlert(r, Rank(r.kind, r.acknowledged) * 1e12 + t.cpa.tcpaMin);
  }
  for (const auto& [track, kind] : {std::pair<const AlarmTrack&, AlertKind>{ownFixTrack_, AlertKind::OwnFixLost},
                                    std::pair<const AlarmTrack&, AlertKind>{noDataTrack_, AlertKind::NoData}}) {
    if (track.state == AlarmState::Quiet) continue;
    AlertRow r;
    r.kind = kind;
    r.acknowledged = track.state == AlarmState::Acknowledged;
    AddAlert(r, Rank(r.kind, r.acknowledged) * 1e12 + static_cast<double>(kind));
  }
  for (int i = 0; i < kMaxSafetyTexts; ++i) {
    const SafetyRecord& s = safety_[i];
    if (!s.used || choices_.Ignored(s.msg.mmsi)) continue;
    AlertRow r;
    r.kind = AlertKind::SafetyText;
    r.mmsi = s.msg.mmsi;
    r.index = i;
    r.beacon = BeaconOf(s.msg.mmsi);
    AddAlert(r, Rank(r.kind, false) * 1e12 + (4294967295.0 - s.tick));
  }
}

bool TrafficWatch::AcknowledgeTrack(AlarmTrack& t, AlertKind kind, int32_t slot, int32_t mmsi, const CpaResult* cpa,
                                    uint32_t now) {
  if (t.state != AlarmState::Alarm) return false;
  Acknowledge(t, cpa != nullptr ? cpa->cpaNm : 0.0, now);
  NoteEvent(AlarmChange::Acknowledged, kind, slot, mmsi, cpa);
  return true;
}

bool TrafficWatch::AcknowledgeRow(int i, uint32_t now) {
  if (i < 0 || i >= alertCount_) return false;
  const AlertRow& r = alerts_[i];
  bool changed = false;
  switch (r.kind) {
    case AlertKind::Beacon:
      changed = AcknowledgeTrack(beacons_[r.index].track, r.kind, r.slot, r.mmsi, nullptr, now);
      break;
    case AlertKind::Collision: {
      WatchTarget& t = targets_[r.slot];
      changed = AcknowledgeTrack(t.track, r.kind, r.slot, r.mmsi, &t.cpa, now);
      break;
    }
    case AlertKind::OwnFixLost:
      changed = AcknowledgeTrack(ownFixTrack_, r.kind, -1, 0, nullptr, now);
      break;
    case AlertKind::NoData:
      changed = AcknowledgeTrack(noDataTrack_, r.kind, -1, 0, nullptr, now);
      break;
    case AlertKind::SafetyText:
      safety_[r.index].used = false;
      changed = true;
      break;
    case AlertKind::BeaconTest:
      break;
  }
  if (changed) RebuildAlerts();
  return changed;
}

int TrafficWatch::AcknowledgeAll(uint32_t now) {
  int n = 0;
  for (BeaconRecord& b : beacons_) n += AcknowledgeTrack(b.track, AlertKind::Beacon, b.slot, b.mmsi, nullptr, now) ? 1 : 0;
  for (int slot = 1; slot < entries_; ++slot) {
    WatchTarget& t = targets_[slot];
    if (!t.dangerous) continue;
    n += AcknowledgeTrack(t.track, AlertKind::Collision, slot, t.mmsi, &t.cpa, now) ? 1 : 0;
  }
  n += AcknowledgeTrack(ownFixTrack_, AlertKind::OwnFixLost, -1, 0, nullptr, now) ? 1 : 0;
  n += AcknowledgeTrack(noDataTrack_, AlertKind::NoData, -1, 0, nullptr, now) ? 1 : 0;
  if (n > 0) RebuildAlerts();
  return n;
}

}  // namespace aismon
