#include "tools/ship_json.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "input/source_figures.h"

namespace aismon {

namespace {

class ObjectWriter {
 public:
  explicit ObjectWriter(std::string& out) : out_(out) { out_ += '{'; }
  void Int(const char* name, int64_t v) {
    Key(name);
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out_.append(buf, r.ptr);
  }
  void Real(const char* name, double v) {
    Key(name);
    if (!std::isfinite(v)) {
      out_ += "null";  // JSON has no NaN or infinity
      return;
    }
    // The same text as printf's %.17g: round-trippable.
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 17);
    out_.append(buf, r.ptr);
  }
  // To a tenth: a range worked out with trigonometry, whose last digits may differ between
  // mathematics libraries.
  void Tenths(const char* name, double v) {
    Key(name);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.1f", std::isfinite(v) ? v : 0.0);
    out_ += buf;
  }
  // A fixed-size text field: its bytes up to the terminator (or the field's end).
  void Text(const char* name, const char* field, size_t size) {
    Key(name);
    AppendJsonBytes(out_, std::string_view(field, strnlen(field, size)));
  }
  void Raw(const char* name) { Key(name); }  // the caller appends the value
  void Null(const char* name) {
    Key(name);
    out_ += "null";
  }
  // A key of any bytes, escaped as a string is; the caller appends the value.
  void RawBytesKey(std::string_view name) {
    if (!first_) out_ += ", ";
    first_ = false;
    AppendJsonBytes(out_, name);
    out_ += ": ";
  }
  void End() { out_ += '}'; }

 private:
  void Key(const char* name) {
    if (!first_) out_ += ", ";
    first_ = false;
    out_ += '"';
    out_ += name;
    out_ += "\": ";
  }
  std::string& out_;
  bool first_ = true;
};

void AppendDynamic(std::string& out, const DbDynamic& d) {
  ObjectWriter w(out);
  w.Int("Age", d.Age);
  w.Int("MMSI", d.MMSI);
  w.Int("Link", d.Link == kNoLink ? -1 : ShipTable::LinkIndex(d.Link));
  const RawReport& r = d.Raw;
  w.Int("RawLat", r.RawLat);
  w.Int("RawLon", r.RawLon);
  w.Int("RawSog", r.RawSog);
  w.Int("RawCog", r.RawCog);
  w.Int("RawHdg", r.RawHdg);
  w.Int("RawRot", r.RawRot);
  w.Int("RawNavStat", r.RawNavStat);
  w.Int("RawPosAcc", r.RawPosAcc);
  w.Int("RawSec", r.RawSec);
  w.Int("RawRaim", r.RawRaim);
  w.Int("RawStations", r.RawStations);
  w.Int("PosState", r.PosState);
  w.Real("Lat", d.Lat);
  w.Real("Lon", d.Lon);
  w.Int("LatInvalid", d.LatInvalid);
  w.Int("LonInvalid", d.LonInvalid);
  w.Real("Hdg", d.Hdg);
  w.Real("TrueHdg", d.TrueHdg);
  w.Real("Sog", d.Sog);
  w.Int("SogInvalid", d.SogInvalid);
  w.Real("Cog", d.Cog);
  w.Int("CogInvalid", d.CogInvalid);
  w.Real("Rot", d.Rot);
  w.Real("RotHold", d.RotHold);
  w.Int("NavStat", d.NavStat);
  w.Int("PosAcc", d.PosAcc);
  w.Int("UtcSec", d.UtcSec);
  w.Int("Raim", d.Raim);
  w.Int("HdgInvalid", d.HdgInvalid);
  w.Int("HdgFromCog", d.HdgFromCog);
  w.End();
}

void AppendStatic(std::string& out, const DbStatic& s) {
  ObjectWriter w(out);
  w.Int("UdTime", s.UdTime);
  w.Int("MMSI", s.MMSI);
  w.Int("Imo", s.Imo);
  w.Int("Ver", s.Ver);
  w.Int("Type", s.Type);
  w.Int("AntA", s.AntA);
  w.Int("AntB", s.AntB);
  w.Int("AntC", s.AntC);
  w.Int("AntD", s.AntD);
  w.Int("Device", s.Device);
  w.Int("Draught", s.Draught);
  w.Int("Person", s.Person);
  w.Int("Dte", s.Dte);
  w.Int("EtaMM", s.EtaMM);
  w.Int("EtaDD", s.EtaDD);
  w.Int("EtaHH", s.EtaHH);
  w.Int("EtaMN", s.EtaMN);
  w.Text("Sign", s.Sign, sizeof s.Sign);
  w.Text("Name", s.Name, sizeof s.Name);
  w.Text("Dest", s.Dest, sizeof s.Dest);
  w.Text("Memo", s.Memo, sizeof s.Memo);
  w.Int("Watch", s.Watch);
  w.Int("MsgNo", s.MsgNo);
  w.Int("Alt", s.Alt);
  w.Int("Aids", s.Aids);
  w.Int("OffPosi", s.OffPosi);
  w.Int("Virtual", s.Virtual);
  w.Text("Name1", s.Name1, sizeof s.Name1);
  w.Text("Name2", s.Name2, sizeof s.Name2);
  w.Text("Vendor", s.Vendor, sizeof s.Vendor);
  w.Real("BsLat", s.BsLat);
  w.Real("BsLon", s.BsLon);
  w.End();
}

}  // namespace

void AppendJsonBytes(std::string& out, std::string_view s) {
  out += '"';
  for (const char ch : s) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20 || c >= 0x7f) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += ch;
    }
  }
  out += '"';
}

void AppendEntryJson(std::string& out, const ShipTable& table, const Intake& intake, int index, uint32_t now) {
  const DbDynamic& d = table.DynamicEntries()[index];
  out += "{\"index\": ";
  out += std::to_string(index);
  out += ", \"dynamic\": ";
  AppendDynamic(out, d);
  out += ", \"static\": ";
  // Own ship's entry may not have resolved its reference yet; it belongs to static entry 0.
  AppendStatic(out, table.StaticEntries()[ShipTable::LinkIndex(d.Link)]);
  out += ", \"sources\": [";
  bool first = true;
  intake.stations.ForEach(index, d.MMSI, now, [&](SourceId id, uint32_t) {
    if (!first) out += ", ";
    first = false;
    AppendJsonBytes(out, intake.sources.Name(id));
  });
  out += "]}\n";
}

namespace {
// {"name": {figures}, ...}: what each source delivered.
void AppendSourceFigures(std::string& out, const ShipTable& table, const Intake& intake, uint32_t now) {
  ObjectWriter sources(out);
  for (int i = 0; i < intake.sources.Count(); ++i) {
    const SourceId id = static_cast<SourceId>(i);
    const SourceSummary s = SummarizeSource(table, intake, id, now);
    // The default source takes only lines no source was named for; none come in aisdump.
    if (id == kDefaultSource && s.sentences == 0) continue;
    sources.RawBytesKey(intake.sources.Name(id));
    ObjectWriter f(out);
    f.Int("sentences", static_cast<int64_t>(s.sentences));
    f.Int("messages", static_cast<int64_t>(s.messages));
    f.Int("duplicates", static_cast<int64_t>(s.duplicates));
    f.Int("stations", s.stationsHeard);
    f.Int("messagesLastMinute", s.messagesLastMinute);
    if (s.heard)
      f.Int("lastHeardTick", s.lastHeardTick);
    else
      f.Null("lastHeardTick");
    if (s.farthestMmsi != 0) {
      f.Int("farthestMmsi", s.farthestMmsi);
      f.Tenths("farthestNm", s.farthestNm);
    } else {
      f.Null("farthestMmsi");
      f.Null("farthestNm");
    }
    f.End();
  }
  sources.End();
}
}  // namespace

void AppendCountersJson(std::string& out, const ShipTable& table, const Intake& intake, uint32_t now) {
  const IntakeCounters& counters = intake.counters;
  out += "{\"counters\": ";
  ObjectWriter w(out);
  w.Int("vdmCount", counters.vdmCount);
  w.Int("rmcCount", counters.rmcCount);
  w.Int("rmcFixCount", counters.rmcFixCount);
  w.Int("ShipCount", table.ShipCount);
  w.Int("StaticCount", table.StaticCount);
  w.Int("OwnMMSI", table.OwnMMSI);
  w.Raw("sources");
  AppendSourceFigures(out, table, intake, now);
  w.End();
  out += "}\n";
}

void AppendStatsJson(std::string& out, const ShipTable& table, const Intake& intake, const ReceptionStats& stats,
                     uint32_t now) {
  ObjectWriter w(out);
  w.Raw("messages");
  {
    ObjectWriter m(out);
    for (int n = 0; n < kCountedNumbers; ++n) {
      const uint64_t c = stats.Count(n, CountWindow::kSinceStart);
      if (c != 0) m.Int(std::to_string(n).c_str(), static_cast<int64_t>(c));
    }
    m.End();
  }
  w.Raw("binary");
  {
    ObjectWriter b(out);
    for (int k = 0; k < stats.BinaryKeyCount(); ++k) {
      const BinaryKey& key = stats.BinaryKeyAt(k);
      const std::string name = std::to_string(key.number) + "/" + std::to_string(key.dac) + "/" + std::to_string(key.fi);
      b.Int(name.c_str(), static_cast<int64_t>(stats.BinaryCount(k, CountWindow::kSinceStart)));
    }
    b.End();
  }
  w.Raw("sources");
  AppendSourceFigures(out, table, intake, now);
  w.End();
  out += "\n";
}

}  // namespace aismon
