#include "app/builtin_lists.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <set>
#include <string>
#include <vector>

#include "app/mmsi_names.h"
#include "common/clock.h"
#include "input/intake.h"
#include "shipdb/ship_table.h"
#include "tests/support/temp_files.h"
#include "text/sjis.h"
#include "text/text_parse.h"
#include "text/list_lines.h"

namespace aismon {
namespace {

// Independent of the decoder: the six-bit values of a payload as one bit string.
std::string PayloadBits(const std::string& payload) {
  std::string bits;
  for (char c : payload) {
    int v = c - 48;
    if (v > 40) v -= 8;
    for (int b = 5; b >= 0; --b) bits += ((v >> b) & 1) ? '1' : '0';
  }
  return bits;
}

uint32_t BitsValue(const std::string& bits, int first, int last) {  // 1-based, inclusive
  uint32_t v = 0;
  for (int i = first; i <= last; ++i) v = v * 2 + (bits[static_cast<size_t>(i - 1)] == '1' ? 1 : 0);
  return v;
}

std::string Checksum(const std::string& body) {
  unsigned x = 0;
  for (char c : body) x ^= static_cast<unsigned char>(c);
  char s[3];
  std::snprintf(s, sizeof s, "%02X", x);
  return s;
}

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> out(1);
  for (char c : s) {
    if (c == sep) out.emplace_back();
    else out.back() += c;
  }
  return out;
}

class DemoListSample : public ::testing::Test {
 protected:
  std::vector<std::string> lines = BuiltinMemoSample();
};

TEST_F(DemoListSample, CompositionByKind) {
  ASSERT_EQ(lines.size(), 78u);
  EXPECT_EQ(lines[0], "$GPRMC,123456,A,3435.0000,N,13515.0000,E,123,456,123456,");
  EXPECT_EQ(lines[1], "0,E,A*06");
  std::map<char, int> byType;  // first payload character: '1', '3', '4', 'B' (18)
  std::set<std::string> channels;
  int singles = 0, triplets = 0;
  for (size_t i = 2; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    if (l == "!") {
      ASSERT_LT(i + 2, lines.size());
      const std::string body = lines[i + 1], tail = lines[i + 2];
      EXPECT_EQ(body.rfind("AIVDM,1,1,,", 0), 0u) << body;
      const size_t star = tail.find(",2*");
      ASSERT_NE(star, std::string::npos) << tail;
      EXPECT_EQ(star + 5, tail.size()) << tail;
      const std::string joined = body + tail.substr(0, star + 2);
      EXPECT_EQ(tail.substr(star + 3), Checksum(joined)) << joined;
      EXPECT_EQ(Split(joined, ',')[5][0], '5');
      EXPECT_EQ(Split(joined, ',')[5].size(), 71u);  // 424 bits with 2 fill bits
      ++triplets;
      i += 2;
      continue;
    }
    ASSERT_EQ(l.rfind("!AIVDM,1,1,,", 0), 0u) << "line " << i + 1 << ": " << l;
    const std::vector<std::string> f = Split(l.substr(1, l.size() - 4), ',');
    ASSERT_EQ(f.size(), 7u) << l;
    channels.insert(f[4]);
    EXPECT_TRUE(f[4] == "A" || f[4] == "B") << l;
    EXPECT_EQ(f[5].size(), 28u) << l;  // 168 bits
    EXPECT_EQ(f[6], "0") << l;
    EXPECT_EQ(l.substr(l.size() - 2), Checksum(l.substr(1, l.size() - 4))) << l;
    ++byType[f[5][0]];
    ++singles;
  }
  EXPECT_EQ(singles, 67);
  EXPECT_EQ(triplets, 3);
  EXPECT_EQ(byType['1'], 53);
  EXPECT_EQ(byType['3'], 12);
  EXPECT_EQ(byType['4'], 1);
  EXPECT_EQ(byType['B'], 1);
  EXPECT_EQ(channels, (std::set<std::string>{"A", "B"}));
}

TEST_F(DemoListSample, QuotedSentencesAreThere) {
  struct Row {
    const char* name;
    std::string text;
  };
  const Row rows[] = {
      {"MessageOne", "!AIVDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D"},
      {"MessageFourPayload", "40475rAvUtW:N9ceoHClce700L60"},
      {"MessageFiveBody", "AIVDM,1,1,,A,5815MV82FvoUKL7C7GDhDtp58@v2222222222216E8N"},
      {"MessageFiveTail", ";E5pfNKRT85BhQM8888888888880,2*31"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    int found = 0;
    for (const std::string& l : lines) found += l.find(row.text) != std::string::npos ? 1 : 0;
    EXPECT_EQ(found, 1);
  }
}

class DemoListFeed : public ::testing::Test {
 protected:
  DemoListFeed() : table(clock), intake(table) {
    intake.options.rmcSogEnabled = true;
    intake.options.rmcHdgEnabled = true;
    intake.watch.SetShowBox([this](std::string_view, std::string_view) { ++alerts; });
    DbDynamic own;
    table.GetShip(0, own);
    own.MMSI = kOwnShipPlaceholderMMSI;
    table.PutShip(0, own);
  }
  const DbDynamic* Ship(int32_t mmsi) {
    const int i = table.FindShip(mmsi);
    return i < 0 ? nullptr : &table.DynamicEntries()[i];
  }

  ManualClock clock{1000, LocalDateTime{2026, 1, 1, 9, 0, 0}};
  ShipTable table;
  Intake intake;
  int alerts = 0;
  std::vector<std::string> lines = BuiltinMemoSample();
};

TEST_F(DemoListFeed, OwnShipFromTheDemoRmc) {
  intake.ProcessSentence(kDemoOwnShipRmc);
  const DbDynamic& own = table.DynamicEntries()[0];
  EXPECT_NEAR(own.Lat, 34.0 + 35.0 / 60.0, 1e-12);
  EXPECT_NEAR(own.Lon, 135.25, 1e-12);
  EXPECT_EQ(intake.counters.rmcFixCount, 1u);
}

TEST_F(DemoListFeed, SplitLinesMakeNothingAndShipsAppear) {
  intake.ProcessSentence(kDemoOwnShipRmc);
  const DbDynamic ownBefore = table.DynamicEntries()[0];
  for (size_t i = 0; i < lines.size(); ++i) {
    const uint32_t ships = table.ShipCount;
    const uint32_t vdm = intake.counters.vdmCount;
    intake.ProcessSentence(lines[i].c_str());
    if (lines[i].rfind("!AIVDM", 0) != 0) {
      SCOPED_TRACE(lines[i]);
      EXPECT_EQ(table.ShipCount, ships);
      EXPECT_EQ(intake.counters.vdmCount, vdm);
    }
  }
  // The split RMC never reaches own ship; the demo's own RMC stays in force.
  EXPECT_EQ(intake.counters.rmcCount, 1u);
  EXPECT_EQ(table.DynamicEntries()[0].Lat, ownBefore.Lat);
  EXPECT_EQ(table.DynamicEntries()[0].Lon, ownBefore.Lon);
  EXPECT_EQ(alerts, 0);
  EXPECT_EQ(intake.counters.vdmCount, 67u);
  EXPECT_EQ(table.ShipCount, 17u);

  const DbDynamic* b = Ship(431010472);
  ASSERT_NE(b, nullptr);
  EXPECT_NEAR(b->Cog, 269.1, 1e-9);
  EXPECT_EQ(b->Raw.RawHdg, 262);
  EXPECT_EQ(b->Hdg, 262.0);
  EXPECT_EQ(b->Sog, 0.0);
  EXPECT_EQ(b->SogInvalid, 0);
  const DbDynamic* sample = Ship(431023494);
  ASSERT_NE(sample, nullptr);
  EXPECT_EQ(sample->Raw.RawHdg, 176);
  ASSERT_NE(Ship(4310505), nullptr);
  EXPECT_NE(Ship(538008984), nullptr);
  // The static reports are cut in three and never decoded.
  EXPECT_EQ(table.StaticOf(Ship(538008984)->Link).Name[0], '\0');

  // Every station lies in Osaka Bay, within 12 nm of own ship.
  const double ownLat = table.DynamicEntries()[0].Lat, ownLon = table.DynamicEntries()[0].Lon;
  for (int i = 1; i < kDefaultDynamicEntries; ++i) {
    const DbDynamic& d = table.DynamicEntries()[i];
    if (d.Age == 0) continue;
    const double dN = (d.Lat - ownLat) * 60, dE = (d.Lon - ownLon) * 60 * std::cos(ownLat * std::numbers::pi / 180);
    EXPECT_LT(std::hypot(dN, dE), 12.0) << d.MMSI;
    EXPECT_EQ(d.LatInvalid, 0) << d.MMSI;
  }
}

// Successive reports of a ship agree with its speed and course: the distance between
// them is speed x time (from the UTC seconds), along the reported course.
TEST_F(DemoListFeed, ReportsOfEachShipFollowItsTrack) {
  struct Fix {
    double lat, lon, sog, cog;
    int second;
  };
  std::map<uint32_t, Fix> last;
  int checked = 0;
  for (const std::string& l : lines) {
    if (l.rfind("!AIVDM,1,1,,", 0) != 0) continue;
    const std::string payload = Split(l, ',')[5];
    const std::string bits = PayloadBits(payload);
    const uint32_t type = BitsValue(bits, 1, 6);
    if (type != 1 && type != 3) continue;
    const uint32_t mmsi = BitsValue(bits, 9, 38);
    intake.ProcessSentence(l.c_str());
    const DbDynamic* d = Ship(static_cast<int32_t>(mmsi));
    ASSERT_NE(d, nullptr);
    const Fix now{d->Lat, d->Lon, d->Sog, d->Cog, d->UtcSec};
    if (auto it = last.find(mmsi); it != last.end()) {
      const Fix& was = it->second;
      const int dt = (now.second - was.second + 60) % 60;
      const double dN = (now.lat - was.lat) * 60;
      const double dE = (now.lon - was.lon) * 60 * std::cos(now.lat * std::numbers::pi / 180);
      const double run = std::hypot(dN, dE);
      const double expected = (was.sog + now.sog) / 2 * dt / 3600.0;
      EXPECT_NEAR(run, expected, 0.05 * expected + 0.0005) << mmsi;
      if (expected > 0.02) {
        double course = std::atan2(dE, dN) * 180 / std::numbers::pi;
        if (course < 0) course += 360;
        double diff = std::fabs(course - now.cog);
        if (diff > 180) diff = 360 - diff;
        EXPECT_LT(diff, 5.0) << mmsi;
      }
      ++checked;
    }
    last[mmsi] = now;
  }
  EXPECT_GE(checked, 45);
  EXPECT_GE(last.size(), 15u);
}

TEST(MemoMmsi, ValidLinesWithOkesaMaru) {
  const std::vector<std::string> lines = BuiltinMemoMmsi();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "431000001," + std::string("\x82\xa8\x82\xaf\x82\xb3\x8a\xdb"));
  const MmsiNameList list(lines);
  for (int i = 0; i < list.Count(); ++i) {
    EXPECT_GE(list[i].mmsi, 200000000) << lines[static_cast<size_t>(i)];
    EXPECT_LE(list[i].mmsi, 799999999) << lines[static_cast<size_t>(i)];
    EXPECT_NE(list[i].name[0], '\0') << lines[static_cast<size_t>(i)];
  }
}

TEST(MemoChimei, PlaceLinesInTheListFormat) {
  const std::vector<std::string> lines = BuiltinMemoChimei();
  int places = 0;
  for (const std::string& l : lines) {
    SCOPED_TRACE(ShiftJisToUtf8(l));
    if (l.rfind("//", 0) == 0) continue;
    const std::vector<std::string> f = SplitCommaText(l + ",,,,,,,,,");
    ASSERT_GE(f.size(), 9u);
    EXPECT_EQ(f[0], "P");
    const double lat = ParseReal(f[1]), lon = ParseReal(f[2]);
    // Japan and the neighbouring coasts, inside the chart's 20-60N 120-160E.
    EXPECT_TRUE(lat > 20 && lat < 60) << lat;
    EXPECT_TRUE(lon > 120 && lon < 160) << lon;
    const int level = static_cast<int>(ParseReal(f[4]));
    EXPECT_TRUE(level >= 0 && level <= 5);
    EXPECT_FALSE(f[6].empty());
    EXPECT_LE(f[6].size(), 30u);
    EXPECT_FALSE(f[7].empty());
    ++places;
  }
  EXPECT_GE(places, 12);
}

struct LinesRow {
  const char* name;
  friend void PrintTo(const LinesRow& r, std::ostream* os) { *os << r.name; }
  std::string text;
  std::vector<std::string> lines;
};

class SplitListLinesCases : public ::testing::TestWithParam<LinesRow> {};

TEST_P(SplitListLinesCases, SplitsAtLineEnds) { EXPECT_EQ(SplitListLines(GetParam().text), GetParam().lines); }

INSTANTIATE_TEST_SUITE_P(
    BuiltinLists, SplitListLinesCases,
    ::testing::Values(LinesRow{"CrLf", "a\r\nb\r\n", {"a", "b"}}, LinesRow{"Lf", "a\nb\n", {"a", "b"}},
                      LinesRow{"NoEndAfterLast", "a\nb", {"a", "b"}}, LinesRow{"EmptyLineKept", "a\r\n\r\nb", {"a", "", "b"}},
                      LinesRow{"Empty", "", {}}, LinesRow{"LoneCrKept", "a\rb\n", {"a\rb"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LoadListOrBuiltin, FileInTheDataFolderReplacesTheBuiltinList) {
  testing::TempFolder folder;
  const std::vector<std::string> builtin{"431000001,X"};
  EXPECT_EQ(LoadListOrBuiltin(folder.path(), kMemoMmsiFileName, builtin), builtin);
  const std::string text = "431000009,A\r\n431000010,B\n";
  testing::WriteBytes(folder.path() / kMemoMmsiFileName, text.data(), text.size());
  EXPECT_EQ(LoadListOrBuiltin(folder.path(), kMemoMmsiFileName, builtin),
            (std::vector<std::string>{"431000009,A", "431000010,B"}));
  const BuiltinLists lists = LoadBuiltinLists(folder.path());
  EXPECT_EQ(lists.memoMmsi, (std::vector<std::string>{"431000009,A", "431000010,B"}));
  EXPECT_EQ(lists.memoChimei, BuiltinMemoChimei());
  EXPECT_EQ(lists.memoSample.size(), 78u);
}

TEST(LoadListOrBuiltin, AFolderOfThatNameIsNotAList) {
  testing::TempFolder folder;
  std::filesystem::create_directory(folder.path() / kMemoChimeiFileName);
  EXPECT_EQ(LoadListOrBuiltin(folder.path(), kMemoChimeiFileName, {"x"}), (std::vector<std::string>{"x"}));
}

}  // namespace
}  // namespace aismon
