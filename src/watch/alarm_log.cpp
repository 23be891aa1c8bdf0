#include "watch/alarm_log.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/platform.h"
#include "shipdb/received_position.h"
#include "shipdb/ship_table.h"
#include "text/position_text.h"
#include "text/sjis.h"

namespace aismon {

namespace {

const char* ChangeText(AlarmChange c) {
  switch (c) {
    case AlarmChange::Raised: return "発生";
    case AlarmChange::ReRaised: return "再発生";
    case AlarmChange::Acknowledged: return "確認";
    case AlarmChange::Cleared: return "解除";
  }
  return "";
}

const char* KindText(AlertKind k) {
  switch (k) {
    case AlertKind::Collision: return "衝突警報";
    case AlertKind::Beacon: return "遭難信号";
    case AlertKind::BeaconTest: return "遭難信号テスト";
    case AlertKind::SafetyText: return "安全通報";
    case AlertKind::OwnFixLost: return "自船位置喪失";
    case AlertKind::NoData: return "受信途絶";
  }
  return "";
}

}  // namespace

AlarmLogRecord MakeAlarmLogRecord(const AlarmEvent& ev, const ShipTable& table, const LocalDateTime& when) {
  AlarmLogRecord r;
  r.when = when;
  r.change = ev.change;
  r.kind = ev.kind;
  r.mmsi = ev.mmsi;
  r.hasCpa = ev.hasCpa;
  r.cpa = ev.cpa;
  const DbDynamic* e = ev.slot >= 0 ? table.Entry(ev.slot) : nullptr;
  // The slot may hold another station by now (a cleared alarm of a station gone).
  if (e != nullptr && e->MMSI == ev.mmsi && ev.slot > 0) {
    r.hasPosition = HasReceivedPosition(*e);
    if (e->Link != kNoLink) {
      const DbStatic& st = table.StaticOf(e->Link);
      std::string name = ShiftJisToUtf8(std::string_view(st.Name, strnlen(st.Name, sizeof st.Name)));
      while (!name.empty() && name.back() == ' ') name.pop_back();
      std::snprintf(r.name, sizeof r.name, "%s", name.c_str());
    }
  } else if (ev.kind == AlertKind::OwnFixLost) {
    e = table.Entry(0);
    r.hasPosition = e != nullptr && e->LatInvalid == 0 && e->LonInvalid == 0;
  }
  if (r.hasPosition) {
    r.lat = e->Lat;
    r.lon = e->Lon;
  }
  return r;
}

std::string AlarmLogFileName(const LocalDateTime& t) {
  char name[32];
  std::snprintf(name, sizeof name, "!Alarm%02d%02d%02d.txt", t.year % 100, t.month, t.day);
  return name;
}

std::string AlarmLogLine(const AlarmLogRecord& r) {
  char mmsi[16] = "-";
  if (r.mmsi != 0) std::snprintf(mmsi, sizeof mmsi, "%09d", r.mmsi);
  char cpa[96] = "-\t-\t-\t-";
  if (r.hasCpa)
    std::snprintf(cpa, sizeof cpa, "CPA %.2fNM\tTCPA %.1f分\t距離 %.2fNM\t方位 %03.0f°", r.cpa.cpaNm, r.cpa.tcpaMin,
                  r.cpa.rangeNm, r.cpa.bearingDeg);
  const std::string where = r.hasPosition ? LatitudeText(r.lat) + " " + LongitudeText(r.lon) : std::string("-");
  char head[160];
  std::snprintf(head, sizeof head, "%04d-%02d-%02d %02d:%02d:%02d\t%s\t%s\t%s\t%s\t", r.when.year, r.when.month,
                r.when.day, r.when.hour, r.when.minute, r.when.second, ChangeText(r.change), KindText(r.kind), mmsi,
                r.name[0] != '\0' ? r.name : "-");
  return std::string(head) + cpa + "\t" + where;
}

void AlarmLog::Keep(const AlarmLogRecord& r) {
  recent_[next_] = r;
  next_ = (next_ + 1) % kAlarmLogRecent;
  if (count_ < kAlarmLogRecent) ++count_;
}

void AlarmLog::LoadDay(const LocalDateTime& day) {
  std::FILE* in = OpenPath(folder_ / AlarmLogFileName(day), "rb");
  if (in == nullptr) return;
  char line[512];
  while (std::fgets(line, sizeof line, in) != nullptr) {
    char* field[10] = {};
    int n = 0;
    for (char* p = line; n < 10 && p != nullptr; ++n) {
      field[n] = p;
      p = std::strchr(p, '\t');
      if (p != nullptr) *p++ = '\0';
    }
    if (n < 10) continue;  // not a whole record
    AlarmLogRecord r;
    if (std::sscanf(field[0], "%d-%d-%d %d:%d:%d", &r.when.year, &r.when.month, &r.when.day, &r.when.hour,
                    &r.when.minute, &r.when.second) != 6)
      continue;
    bool knownChange = false, knownKind = false;
    for (AlarmChange c : {AlarmChange::Raised, AlarmChange::ReRaised, AlarmChange::Acknowledged, AlarmChange::Cleared}) {
      if (std::strcmp(field[1], ChangeText(c)) != 0) continue;
      r.change = c;
      knownChange = true;
    }
    for (AlertKind k : {AlertKind::Collision, AlertKind::Beacon, AlertKind::OwnFixLost, AlertKind::NoData}) {
      if (std::strcmp(field[2], KindText(k)) != 0) continue;
      r.kind = k;
      knownKind = true;
    }
    if (!knownChange || !knownKind) continue;  // a line someone edited
    r.mmsi = static_cast<int32_t>(std::strtol(field[3], nullptr, 10));
    if (std::strcmp(field[4], "-") != 0) std::snprintf(r.name, sizeof r.name, "%s", field[4]);
    r.hasCpa = std::sscanf(field[5], "CPA %lfNM", &r.cpa.cpaNm) == 1 && std::sscanf(field[6], "TCPA %lf", &r.cpa.tcpaMin) == 1;
    if (r.hasCpa) {
      std::sscanf(field[7], "距離 %lfNM", &r.cpa.rangeNm);
      std::sscanf(field[8], "方位 %lf", &r.cpa.bearingDeg);
    }
    Keep(r);
  }
  std::fclose(in);
}

bool AlarmLog::Append(const AlarmLogRecord& r) {
  Keep(r);
  const std::string line = AlarmLogLine(r) + "\r\n";
  const std::filesystem::path path = folder_ / AlarmLogFileName(r.when);
  std::FILE* out = OpenPath(path, "ab");
  if (out == nullptr) return false;
  // On the disk before the next alarm: the record is what a watch-keeper answers for.
  const bool ok = std::fwrite(line.data(), 1, line.size(), out) == line.size() && SyncFile(out);
  return std::fclose(out) == 0 && ok;
}

int AlarmLog::LastFor(int32_t mmsi, AlarmLogRecord* out, int max) const {
  int n = 0;
  for (int k = 1; k <= count_ && n < max; ++k) {
    const AlarmLogRecord& r = recent_[(next_ - k + kAlarmLogRecent) % kAlarmLogRecent];
    if (r.mmsi == mmsi) out[n++] = r;
  }
  return n;
}

}  // namespace aismon
