#include "card/ship_card.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "card/flag_of.h"
#include "card/port_list.h"
#include "card/ship_words.h"
#include "shipdb/received_position.h"
#include "shipdb/ship_table.h"
#include "text/position_text.h"
#include "text/sjis.h"
#include "watch/traffic_watch.h"
#include "watch/watch_rules.h"

namespace aismon {

namespace {

constexpr const char* kUnknown = "不明";
constexpr const char* kNotSent = "—";

// Which groups of fields a kind of station transmits.
struct Carried {
  bool name, callSign, imo, type, size, voyage, motion, heading, turn, status;
};

Carried CarriedBy(StationKind kind) {
  switch (kind) {
    case StationKind::ClassB: return {true, true, false, true, true, false, true, true, false, false};
    case StationKind::BaseStation: return {false, false, false, false, false, false, false, false, false, false};
    case StationKind::AidToNavigation: return {true, false, false, true, true, false, false, false, false, false};
    case StationKind::SarAircraft: return {false, false, false, false, false, false, true, false, false, false};
    // Beacons send position reports of class A's form (and sometimes its static report).
    case StationKind::Sart:
    case StationKind::Mob:
    case StationKind::Epirb: return {true, true, false, false, false, false, true, true, true, true};
    case StationKind::ClassA:
    case StationKind::Unknown: break;
  }
  return {true, true, true, true, true, true, true, true, true, true};
}

std::string Format(const char* format, double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, value);
  return buf;
}

// A text field of the static record: AIS pads with '@' and blanks; a file edited by hand may
// hold Shift-JIS.
std::string TableText(const char* text, size_t size) {
  size_t n = strnlen(text, size);
  while (n > 0 && (text[n - 1] == ' ' || text[n - 1] == '@')) --n;
  size_t b = 0;
  while (b < n && text[b] == ' ') ++b;
  const std::string_view s(text + b, n - b);
  for (const char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return ShiftJisToUtf8(s);
  return std::string(s);
}

std::string OrUnknown(std::string s) { return s.empty() ? kUnknown : s; }

std::string AgeText(uint32_t ms) {
  const uint32_t s = ms / 1000;
  char buf[48];
  if (s < 60) std::snprintf(buf, sizeof buf, "%u 秒前", s);
  else if (s < 3600) std::snprintf(buf, sizeof buf, "%u 分 %u 秒前", s / 60, s % 60);
  else std::snprintf(buf, sizeof buf, "%u 時間 %u 分前", s / 3600, s / 60 % 60);
  return buf;
}

std::string LastHeardText(uint32_t ageMs, const LocalDateTime& now) {
  const LocalDateTime t = AddSeconds(now, -static_cast<int64_t>(ageMs / 1000));
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d (", t.hour, t.minute, t.second);
  return buf + AgeText(ageMs) + ")";
}

std::string SizeText(const DbStatic& s) {
  const int length = s.AntA + s.AntB, beam = s.AntC + s.AntD;
  if (length <= 0 && beam <= 0) return kUnknown;
  const std::string l = length > 0 ? std::to_string(length) + " m" : kUnknown;
  const std::string b = beam > 0 ? std::to_string(beam) + " m" : kUnknown;
  return l + " × " + b;
}

std::string AntennaText(const DbStatic& s) {
  if (s.AntA == 0 && s.AntB == 0 && s.AntC == 0 && s.AntD == 0) return kUnknown;
  return "船首 " + std::to_string(s.AntA) + " m・船尾 " + std::to_string(s.AntB) + " m・左舷 " +
         std::to_string(s.AntC) + " m・右舷 " + std::to_string(s.AntD) + " m";
}

std::string DraughtText(int draught) {
  if (draught <= 0) return kUnknown;
  return Format(draught >= 255 ? "%.1f m 以上" : "%.1f m", draught / 10.0);
}

// ETA in UTC: month 0, day 0, hour 24 and minute 60 are "not available".
std::string EtaText(const DbStatic& s) {
  if (s.EtaMM < 1 || s.EtaMM > 12 || s.EtaDD < 1 || s.EtaDD > 31) return kUnknown;
  char buf[48];
  if (s.EtaHH < 0 || s.EtaHH > 23 || s.EtaMN < 0 || s.EtaMN > 59)
    std::snprintf(buf, sizeof buf, "%d月%d日 (時刻不明)", s.EtaMM, s.EtaDD);
  else
    std::snprintf(buf, sizeof buf, "%d月%d日 %02d:%02d UTC", s.EtaMM, s.EtaDD, s.EtaHH, s.EtaMN);
  return buf;
}

std::string SogText(const DbDynamic& e, StationKind kind) {
  if (e.SogInvalid || !std::isfinite(e.Sog)) return kUnknown;
  // Aircraft report whole knots; 1022 (102.2 kn, or 1022 kn for aircraft) means "or more".
  std::string t = Format(kind == StationKind::SarAircraft ? "%.0f kn" : "%.1f kn", e.Sog);
  if (e.Raw.RawSog == 1022) t += " 以上";
  return t;
}

// Whole degrees, so 359.6 reads 000, never 360.
std::string BearingText(double deg) {
  char buf[16];
  std::snprintf(buf, sizeof buf, " %03ld°", std::lround(deg) % 360);
  return buf;
}

std::string AltitudeText(int alt) {
  if (alt < 0 || alt >= 4095) return kUnknown;
  return std::to_string(alt) + (alt == 4094 ? " m 以上" : " m");
}

void Add(std::vector<CardLine>& lines, const char* label, std::string value) {
  lines.push_back(CardLine{label, std::move(value)});
}

}  // namespace

StationKind StationKindOf(const DbDynamic& e, const DbStatic* s) {
  switch (BeaconOf(e.MMSI)) {
    case BeaconType::Sart: return StationKind::Sart;
    case BeaconType::Mob: return StationKind::Mob;
    case BeaconType::Epirb: return StationKind::Epirb;
    case BeaconType::None: break;
  }
  const int msg = s != nullptr ? s->MsgNo : 0;
  if ((s != nullptr && s->Aids != 0) || msg == 21) return StationKind::AidToNavigation;
  if (msg == 4) return StationKind::BaseStation;
  if (msg == 9) return StationKind::SarAircraft;
  if ((msg >= 1 && msg <= 3) || msg == 5) return StationKind::ClassA;
  if (msg == 18 || msg == 19 || msg == 24) return StationKind::ClassB;
  return StationKind::Unknown;
}

const char* StationKindText(StationKind kind) {
  switch (kind) {
    case StationKind::ClassA: return "クラスA";
    case StationKind::ClassB: return "クラスB";
    case StationKind::BaseStation: return "基地局";
    case StationKind::AidToNavigation: return "航路標識";
    case StationKind::SarAircraft: return "SAR航空機";
    case StationKind::Sart: return "AIS-SART";
    case StationKind::Mob: return "MOB";
    case StationKind::Epirb: return "EPIRB";
    case StationKind::Unknown: break;
  }
  return kUnknown;
}

std::vector<CardLine> ShipCardLines(const ShipTable& table, int index, const TrafficWatch* watch,
                                    const LocalDateTime& now, const PortList& ports) {
  std::vector<CardLine> lines;
  if (index < 1) return lines;
  const DbDynamic* entry = table.Entry(index);
  if (entry == nullptr) return lines;
  const DbDynamic& e = *entry;
  const DbStatic* s = e.Link != kNoLink ? &table.StaticOf(e.Link) : nullptr;
  static const DbStatic kNoStatic{};
  const DbStatic& st = s != nullptr ? *s : kNoStatic;
  const StationKind kind = StationKindOf(e, s);
  const Carried c = CarriedBy(kind);
  const bool reported = e.Raw.PosState == kPosReported;  // a position report has come in
  const RawReport& r = e.Raw;
  lines.reserve(28);

  std::string name;
  if (kind == StationKind::AidToNavigation)
    name = TableText(st.Name1, sizeof st.Name1) + TableText(st.Name2, sizeof st.Name2);
  else
    name = TableText(st.Name, sizeof st.Name);
  Add(lines, "船名", c.name ? OrUnknown(name) : kNotSent);
  char mmsi[16];
  std::snprintf(mmsi, sizeof mmsi, "%09d", static_cast<int>(e.MMSI));
  Add(lines, "MMSI", mmsi);
  Add(lines, "呼出符号", c.callSign ? OrUnknown(TableText(st.Sign, sizeof st.Sign)) : kNotSent);
  Add(lines, "IMO番号", !c.imo ? kNotSent : st.Imo > 0 ? std::to_string(st.Imo) : kUnknown);
  Add(lines, "種別", StationKindText(kind));
  if (kind == StationKind::AidToNavigation) {
    Add(lines, "標識の種類", AidTypeText(st.Aids));
    Add(lines, "標識の状態", std::string(st.Virtual ? "仮想標識" : "実在") + (st.OffPosi ? "・位置ずれ" : ""));
  } else {
    Add(lines, "船種", c.type ? ShipTypeText(st.Type) : kNotSent);
  }
  const bool beacon = kind == StationKind::Sart || kind == StationKind::Mob || kind == StationKind::Epirb;
  const char* flag = FlagOf(e.MMSI);
  Add(lines, "国籍", flag != nullptr ? flag : beacon ? kNotSent : kUnknown);
  Add(lines, "長さ × 幅", c.size ? SizeText(st) : kNotSent);
  Add(lines, "アンテナ位置", c.size ? AntennaText(st) : kNotSent);
  Add(lines, "喫水", c.voyage ? DraughtText(st.Draught) : kNotSent);
  Add(lines, "仕向地", c.voyage ? DestinationText(TableText(st.Dest, sizeof st.Dest), ports) : kNotSent);
  Add(lines, "到着予定", c.voyage ? EtaText(st) : kNotSent);
  const bool statusSent = c.status && reported && r.RawNavStat != kNavStatNotCarried;
  Add(lines, "航行状態", !c.status ? kNotSent : statusSent ? NavStatusText(e.NavStat) : kUnknown);
  Add(lines, "位置", HasReceivedPosition(e) ? LatitudeText(e.Lat) + " " + LongitudeText(e.Lon) : kUnknown);
  if (kind == StationKind::SarAircraft) Add(lines, "高度", AltitudeText(st.Alt));
  Add(lines, "対地速力", !c.motion ? kNotSent : reported ? SogText(e, kind) : kUnknown);
  Add(lines, "対地針路", !c.motion ? kNotSent : reported && !e.CogInvalid && std::isfinite(e.Cog) ? Format("%.1f°", e.Cog) : kUnknown);
  const bool heading = reported && r.RawHdg >= 0 && r.RawHdg <= 359;
  Add(lines, "船首方位", !c.heading ? kNotSent : heading ? std::to_string(r.RawHdg) + "°" : kUnknown);
  Add(lines, "回頭率", !c.turn ? kNotSent : reported ? RateOfTurnText(r.RawRot) : kUnknown);
  Add(lines, "測位精度", reported ? PositionAccuracyText(r.RawPosAcc) : kUnknown);
  Add(lines, "RAIM", reported ? RaimText(r.RawRaim) : kUnknown);
  Add(lines, "最終受信", LastHeardText(e.Age, now));

  // The watch's figures are the station's only while the slot still holds it.
  const WatchTarget* t = watch != nullptr ? &watch->Target(index) : nullptr;
  if (t != nullptr && t->mmsi != e.MMSI) t = nullptr;
  if (watch == nullptr) {
    for (const char* label : {"距離・方位", "CPA", "TCPA", "状態"}) Add(lines, label, kNotSent);
    return lines;
  }
  const bool cpa = t != nullptr && t->hasCpa;
  Add(lines, "距離・方位", cpa ? Format("%.2f NM", t->cpa.rangeNm) + BearingText(t->cpa.bearingDeg) : kUnknown);
  if (cpa && t->cpa.tcpaMin < 0) {
    Add(lines, "CPA", "離れつつある");
    Add(lines, "TCPA", kNotSent);
  } else {
    Add(lines, "CPA", cpa ? Format("%.2f NM", t->cpa.cpaNm) : kUnknown);
    Add(lines, "TCPA", cpa ? Format("%.1f 分", t->cpa.tcpaMin) : kUnknown);
  }
  Add(lines, "状態", t == nullptr ? kUnknown : t->lost ? "消失 (受信途絶)" : "受信中");
  return lines;
}

}  // namespace aismon
