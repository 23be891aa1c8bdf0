// Decoding of every handled message number into the ship table, through the whole intake.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/intake_fixture.h"
#include "tests/support/payload_builder.h"

namespace aismon {
namespace {

using testing::PayloadBuilder;

struct ClassAFields {
  int32_t mmsi = 431000001;
  int64_t lat = 20750996;
  int64_t lon = 81251473;
  int sog = 10;
  int cog = 1840;
  int hdg = 176;
  int rot = 0;
  int navStat = 0;
  int sec = 21;
  int raim = 0;
  int posAcc = 0;
  int timeout = 0;
  int stations = 0;
};

std::string ClassA(int number, const ClassAFields& f, const char* type = "VDM", char channel = 'A') {
  PayloadBuilder b(168);
  b.Set(1, 6, number).Set(9, 38, f.mmsi).Set(39, 42, f.navStat).Set(43, 50, f.rot).Set(51, 60, f.sog);
  b.Set(61, 61, f.posAcc).Set(62, 89, f.lon).Set(90, 116, f.lat).Set(117, 128, f.cog).Set(129, 137, f.hdg);
  b.Set(138, 143, f.sec).Set(149, 149, f.raim).Set(152, 154, f.timeout).Set(155, 168, f.stations);
  return b.Sentence(type, channel);
}

// A message written field after field, in the order and widths of its ITU-R M.1371 table
// (no bit positions), then armoured into a sentence with its checksum. Only for layouts no
// recording holds; what gpsdecode reads from each sentence built with it is quoted beside it.
class ItuMessage {
 public:
  ItuMessage& Field(int width, uint32_t value) {
    for (int i = width - 1; i >= 0; --i) bits_.push_back(((value >> i) & 1u) != 0);
    return *this;
  }
  // Six-bit ASCII: "@" to "_" are 0 to 31, " " to "?" are 32 to 63; padded with "@".
  ItuMessage& Text(int chars, std::string_view text) {
    for (int i = 0; i < chars; ++i) {
      const int c = i < static_cast<int>(text.size()) ? text[i] : '@';
      Field(6, static_cast<uint32_t>(c >= 64 ? c - 64 : c));
    }
    return *this;
  }
  std::string Sentence() const {
    const int fill = static_cast<int>((6 - bits_.size() % 6) % 6);
    std::string body = "AIVDM,1,1,,A,";
    for (size_t i = 0; i < bits_.size(); i += 6) {
      int v = 0;
      for (size_t k = i; k < i + 6; ++k) v = v * 2 + (k < bits_.size() && bits_[k] ? 1 : 0);
      body += static_cast<char>(v < 40 ? v + 48 : v + 56);
    }
    body += "," + std::to_string(fill);
    unsigned sum = 0;
    for (const char c : body) sum ^= static_cast<unsigned char>(c);
    char tail[4];
    std::snprintf(tail, sizeof tail, "*%02X", sum);
    return "!" + body + tail;
  }

 private:
  std::vector<bool> bits_;
};

class DecoderTest : public testing::IntakeTest {
 protected:
  DecoderTest() { PlaceOwnShip(); }
};

TEST_F(DecoderTest, MessageOneExample) {
  Feed("!AIVDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D");
  const DbDynamic* d = Ship(431023494);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->Raw.RawLat, 20750996);
  EXPECT_EQ(d->Raw.RawLon, 81251473);
  EXPECT_DOUBLE_EQ(d->Lat, 20750996 / 600000.0);
  EXPECT_NEAR(d->Lat, 34.58499333, 1e-8);
  EXPECT_NEAR(d->Lon, 135.41912166, 1e-8);
  EXPECT_DOUBLE_EQ(d->Sog, 1.0);
  EXPECT_NEAR(d->Cog, 184.0, 1e-9);
  EXPECT_EQ(d->Hdg, 176.0);
  EXPECT_EQ(d->TrueHdg, 176.0);
  EXPECT_EQ(d->Rot, 0.0);
  EXPECT_EQ(d->NavStat, 0);
  EXPECT_EQ(d->UtcSec, 21);
  EXPECT_EQ(d->Raw.RawStations, -1);  // slot time-out is not 3, 5 or 7
  EXPECT_EQ(d->Raw.PosState, kPosReported);
  EXPECT_EQ(d->Age, 1u);
  EXPECT_EQ(StaticOf(*d).MsgNo, 1);
  EXPECT_EQ(StaticOf(*d).MMSI, 431023494);
  EXPECT_EQ(StaticOf(*d).UdTime, table.NowStamp());
}

TEST_F(DecoderTest, MessageFourExample) {
  Feed("!AIVDM,1,1,,A,40475rAvUtW:N9ceoHClce700L60,0*00");
  const DbDynamic* d = Ship(4310505);
  ASSERT_NE(d, nullptr);
  const DbStatic& s = StaticOf(*d);
  EXPECT_NEAR(s.BsLat, 34.6435, 1e-9);
  EXPECT_NEAR(d->Lat, 34.6435, 1e-9);
  EXPECT_NEAR(s.BsLon, 135.379166, 1e-6);
  EXPECT_DOUBLE_EQ(s.BsLon, d->Lon);
  EXPECT_EQ(d->UtcSec, 30);
  EXPECT_EQ(d->Raw.RawStations, 384);
  EXPECT_EQ(d->Sog, 0.0);
  EXPECT_EQ(d->SogInvalid, 1);
  EXPECT_EQ(d->HdgInvalid, 1);
  EXPECT_EQ(d->CogInvalid, 1);
  EXPECT_EQ(s.MsgNo, 4);
}

TEST_F(DecoderTest, MessageFiveExample) {
  Feed("!AIVDM,1,1,,A,5815MV82FvoUKL7C7GDhDtp58@v2222222222216E8N;E5pfNKRT85BhQM8888888888880,2*31");
  const DbDynamic* d = Ship(538008984);
  ASSERT_NE(d, nullptr);
  const DbStatic& s = StaticOf(*d);
  EXPECT_EQ(s.Imo, 9894777);
  EXPECT_EQ(s.Type, 70);
  EXPECT_EQ(s.AntA, 169);
  EXPECT_EQ(s.AntB, 30);
  EXPECT_EQ(s.AntC, 11);
  EXPECT_EQ(s.AntD, 21);
  EXPECT_EQ(s.Draught, 110);
  EXPECT_EQ(s.EtaMM, 7);
  EXPECT_EQ(s.EtaDD, 17);
  EXPECT_EQ(s.EtaHH, 14);
  EXPECT_EQ(s.EtaMN, 30);
  ASSERT_EQ(std::strlen(s.Name), 20u);
  for (int i = 0; i < 8; ++i) EXPECT_TRUE(s.Name[i] >= 'A' && s.Name[i] <= 'Z') << s.Name;
  EXPECT_EQ(std::string(s.Name + 8), std::string(12, ' '));
  EXPECT_EQ(s.MsgNo, 5);
  EXPECT_EQ(s.Person, 0);
  // Static data only: the position stays the starting one.
  EXPECT_EQ(d->Raw.PosState, kPosStaticOnly);
  EXPECT_EQ(d->Lat, 34.5);
  EXPECT_EQ(d->Raw.RawLat, kLatNotAvailable);
}

TEST_F(DecoderTest, MessageEighteen) {
  PayloadBuilder b(168);
  b.Set(1, 6, 18).Set(9, 38, 431010472).Set(47, 56, 0).Set(58, 85, 81150000).Set(86, 112, 20740000);
  b.Set(113, 124, 2691).Set(125, 133, 262).Set(134, 139, 12).Set(148, 148, 1).Set(149, 149, 0);
  b.Set(152, 154, 3).Set(155, 168, 17);
  Feed(b.Sentence());
  const DbDynamic* d = Ship(431010472);
  ASSERT_NE(d, nullptr);
  EXPECT_NEAR(d->Cog, 269.1, 1e-9);
  EXPECT_EQ(d->Raw.RawHdg, 262);
  EXPECT_EQ(d->Hdg, 262.0);
  EXPECT_EQ(d->Sog, 0.0);
  EXPECT_EQ(d->SogInvalid, 0);
  EXPECT_EQ(d->Raim, 1);
  EXPECT_EQ(d->Raw.RawStations, 17);
  EXPECT_EQ(d->Raw.RawRot, kRotNotAvailable);       // kept from the new entry
  EXPECT_EQ(d->Raw.RawNavStat, kNavStatNotCarried);  // kept from the new entry
  EXPECT_EQ(StaticOf(*d).MsgNo, 18);
}

TEST_F(DecoderTest, MessageEighteenWithItdmaStateKeepsStations) {
  PayloadBuilder b(168);
  b.Set(1, 6, 18).Set(9, 38, 431010473).Set(149, 149, 0).Set(152, 154, 3).Set(155, 168, 40);
  Feed(b.Sentence());
  PayloadBuilder c(168);
  c.Set(1, 6, 18).Set(9, 38, 431010473).Set(149, 149, 1).Set(152, 154, 3).Set(155, 168, 99);
  Feed(c.Sentence());
  EXPECT_EQ(Ship(431010473)->Raw.RawStations, 40);
}

struct HeadingCase {
  const char* name;
  int hdg;
  int sog;
  int cog;
  double expectHdg;
  int expectInvalid;
  int expectFromCog;
};

TEST_F(DecoderTest, HeadingFromCourseAtThreeKnots) {
  const HeadingCase cases[] = {
      {"TrueHeading", 359, 0, 3600, 359.0, 0, 0},
      {"CogAtThreeKnots", 511, 30, 900, 90.0, 0, 1},
      {"SlowerThanThree", 511, 29, 900, 12.0, 1, 0},
      {"CogInvalid", 511, 100, 3600, 12.0, 1, 0},
      {"Heading360Invalid", 360, 0, 900, 12.0, 1, 0},
  };
  int32_t mmsi = 431100000;
  for (const HeadingCase& c : cases) {
    ++mmsi;
    const int i = table.FindOrAddShip(mmsi);
    table.DynamicEntries()[i].Hdg = 12.0;
    ClassAFields f;
    f.mmsi = mmsi;
    f.hdg = c.hdg;
    f.sog = c.sog;
    f.cog = c.cog;
    Feed(ClassA(1, f));
    const DbDynamic* d = Ship(mmsi);
    EXPECT_NEAR(d->Hdg, c.expectHdg, 1e-9) << c.name;
    EXPECT_EQ(d->HdgInvalid, c.expectInvalid) << c.name;
    EXPECT_EQ(d->HdgFromCog, c.expectFromCog) << c.name;
  }
}

TEST_F(DecoderTest, RateOfTurn) {
  const struct {
    int raw;
    double rot;
    double hold;
  } cases[] = {{-10, -(10 / 4.733) * (10 / 4.733), -(10 / 4.733) * (10 / 4.733)},
               {127, 0.0, 5.0},
               {-127, 0.0, 5.0},
               {-128, 0.0, 5.0},
               {126, (126 / 4.733) * (126 / 4.733), (126 / 4.733) * (126 / 4.733)},
               {0, 0.0, 0.0}};
  int32_t mmsi = 431200000;
  for (const auto& c : cases) {
    ++mmsi;
    const int i = table.FindOrAddShip(mmsi);
    table.DynamicEntries()[i].RotHold = 5.0;
    ClassAFields f;
    f.mmsi = mmsi;
    f.rot = c.raw;
    Feed(ClassA(1, f));
    EXPECT_DOUBLE_EQ(Ship(mmsi)->Rot, c.rot) << c.raw;
    EXPECT_DOUBLE_EQ(Ship(mmsi)->RotHold, c.hold) << c.raw;
  }
  EXPECT_NEAR(-(10 / 4.733) * (10 / 4.733), -4.46, 0.01);
}

TEST_F(DecoderTest, InvalidPositionOtherShipVersusOwnShip) {
  ClassAFields f;
  f.lat = 54600000;  // 91 degrees
  f.lon = 108600000;
  f.sog = 1023;
  f.cog = 3600;
  Feed(ClassA(1, f));
  const DbDynamic* d = Ship(f.mmsi);
  EXPECT_EQ(d->Lat, 54600000.0);
  EXPECT_EQ(d->Lon, 108600000.0);
  EXPECT_EQ(d->LatInvalid, 1);
  EXPECT_EQ(d->SogInvalid, 1);
  EXPECT_EQ(d->Sog, 0.0);

  intake.options.vdoEnabled = true;
  DbDynamic own;
  table.GetShip(0, own);
  own.Lat = 34.0;
  own.Lon = 135.0;
  own.Sog = 7.0;
  table.PutShip(0, own);
  Feed(ClassA(1, f, "VDO"));
  const DbDynamic& o = table.DynamicEntries()[0];
  EXPECT_EQ(o.Lat, 34.0);
  EXPECT_EQ(o.Lon, 135.0);
  EXPECT_EQ(o.Sog, 7.0);
  EXPECT_EQ(o.LatInvalid, 1);
  EXPECT_EQ(o.SogInvalid, 1);
  EXPECT_EQ(o.Age, 1u);
}

TEST_F(DecoderTest, PositionBoundsAreInclusive) {
  const struct {
    int64_t lat, lon;
    int latInvalid, lonInvalid;
  } cases[] = {{54000000, 108000000, 0, 0},
               {-54000000, -108000000, 0, 0},
               {54000001, 108000001, 1, 1},
               {-54000001, -108000001, 1, 1}};
  int32_t mmsi = 431300000;
  for (const auto& c : cases) {
    ClassAFields f;
    f.mmsi = ++mmsi;
    f.lat = c.lat;
    f.lon = c.lon;
    Feed(ClassA(1, f));
    EXPECT_EQ(Ship(mmsi)->LatInvalid, c.latInvalid) << c.lat;
    EXPECT_EQ(Ship(mmsi)->LonInvalid, c.lonInvalid) << c.lon;
  }
}

TEST_F(DecoderTest, StationsRaimAndStatusAreHeldAcrossReports) {
  ClassAFields f;
  f.timeout = 5;
  f.stations = 321;
  f.raim = 1;
  f.navStat = 5;
  Feed(ClassA(1, f));
  ClassAFields g = f;
  g.raim = 0;
  g.timeout = 1;  // no station count
  g.navStat = 1;
  Feed(ClassA(3, g));  // message 3 never carries a station count
  const DbDynamic* d = Ship(f.mmsi);
  EXPECT_EQ(d->Raw.RawStations, 321);
  EXPECT_EQ(d->Raim, 1);  // a later 0 does not clear it
  EXPECT_EQ(d->Raw.RawRaim, 0);
  EXPECT_EQ(d->NavStat, 1);
  EXPECT_EQ(StaticOf(*d).MsgNo, 3);
}

TEST_F(DecoderTest, WakePointIsStoredAtTheHead) {
  table.wakeHead = 10;
  ClassAFields f;
  Feed(ClassA(1, f));
  const int i = table.FindShip(f.mmsi);
  const WakeRing& ring = table.WakeRings()[i];
  EXPECT_EQ(ring.OwnerMMSI, f.mmsi);
  EXPECT_DOUBLE_EQ(ring.At(10).Lat, 20750996 / 600000.0);
  EXPECT_EQ(ring.At(9).Lat, 0.0);
}

TEST_F(DecoderTest, SarAircraftSpeedInKnots) {
  PayloadBuilder b(168);
  b.Set(1, 6, 9).Set(9, 38, 111222333).Set(39, 50, 300).Set(51, 60, 140).Set(62, 89, 81000000);
  b.Set(90, 116, 20700000).Set(117, 128, 450).Set(129, 134, 7).Set(148, 148, 1).Set(149, 149, 0);
  b.Set(152, 154, 7).Set(155, 168, 12);
  Feed(b.Sentence());
  const DbDynamic* d = Ship(111222333);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->Sog, 140.0);
  EXPECT_EQ(d->Raw.RawHdg, kHdgNotAvailable);
  EXPECT_EQ(d->Hdg, 45.0);  // from the course: fast and valid
  EXPECT_EQ(d->HdgFromCog, 1);
  EXPECT_EQ(d->Raw.RawStations, 12);
  EXPECT_EQ(d->UtcSec, 7);
  EXPECT_EQ(d->Raim, 1);
  EXPECT_EQ(StaticOf(*d).Alt, 300);
  EXPECT_EQ(StaticOf(*d).MsgNo, 9);
}

std::string ClassBExtended(int32_t mmsi, const std::string& name, const char* type = "VDM", char channel = 'A') {
  PayloadBuilder b(312);
  b.Set(1, 6, 19).Set(9, 38, mmsi).Set(47, 56, 55).Set(58, 85, 81100000).Set(86, 112, 20700000);
  b.Set(113, 124, 1000).Set(125, 133, 99).Set(134, 139, 33).Text(144, 20, name).Set(264, 271, 37);
  b.Set(272, 280, 10).Set(281, 289, 5).Set(290, 295, 2).Set(296, 301, 3).Set(302, 305, 1).Set(307, 307, 1);
  return b.Sentence(type, channel);
}

TEST_F(DecoderTest, ClassBExtendedClearsClassAData) {
  const int32_t mmsi = 431400001;
  const int s = table.FindOrAddStatic(mmsi);
  DbStatic& st = table.StaticEntries()[s];
  st.Imo = 1234567;
  st.Watch = 1;
  std::strcpy(st.Memo, "REMARK");
  st.Draught = 80;
  Feed(ClassBExtended(mmsi, "SEA|BIRD"));
  const DbDynamic* d = Ship(mmsi);
  ASSERT_NE(d, nullptr);
  const DbStatic& r = StaticOf(*d);
  EXPECT_EQ(r.Imo, 0);
  EXPECT_EQ(r.Watch, 0);
  EXPECT_STREQ(r.Memo, "");
  EXPECT_STREQ(r.Name, "SEA|BIRD            ");
  EXPECT_EQ(r.Type, 37);
  EXPECT_EQ(r.AntA, 10);
  EXPECT_EQ(r.AntB, 5);
  EXPECT_EQ(r.AntC, 2);
  EXPECT_EQ(r.AntD, 3);
  EXPECT_EQ(r.Device, 1);
  EXPECT_EQ(r.Dte, 1);
  EXPECT_EQ(r.Draught, 0);
  EXPECT_EQ(r.EtaMM, 1);
  EXPECT_EQ(r.EtaDD, 1);
  EXPECT_EQ(r.MsgNo, 19);
  EXPECT_NEAR(d->Sog, 5.5, 1e-9);
  EXPECT_EQ(d->Hdg, 99.0);
  EXPECT_EQ(d->UtcSec, 33);
}

TEST_F(DecoderTest, ClassBExtendedKeepsWatchWithoutImo) {
  const int32_t mmsi = 431400002;
  DbStatic& st = table.StaticEntries()[table.FindOrAddStatic(mmsi)];
  st.Watch = 1;
  std::strcpy(st.Memo, "KEEP");
  Feed(ClassBExtended(mmsi, "X"));
  EXPECT_EQ(StaticOf(*Ship(mmsi)).Watch, 1);
  EXPECT_STREQ(StaticOf(*Ship(mmsi)).Memo, "KEEP");
}

// Message 19: type, repeat, MMSI, spare, SOG, accuracy, longitude, latitude, COG, heading,
// second, spare, name, ship type, the four dimensions, then the fields under test: device
// type, RAIM, DTE, assigned mode, spare.
std::string ExtendedClassBReport(int32_t mmsi, int device, int raim, int dte, int assigned) {
  ItuMessage m;
  m.Field(6, 19).Field(2, 0).Field(30, mmsi).Field(8, 0).Field(10, 52).Field(1, 1);
  m.Field(28, 83850000).Field(27, 21200000).Field(12, 1234).Field(9, 123).Field(6, 15).Field(4, 0);
  m.Text(20, "HAYATE").Field(8, 37).Field(9, 8).Field(9, 3).Field(6, 1).Field(6, 2);
  m.Field(4, device).Field(1, raim).Field(1, dte).Field(1, assigned).Field(4, 0);
  return m.Sentence();
}

TEST_F(DecoderTest, ClassBExtendedReadsRaim) {
  const struct {
    const char* name;
    std::string sentence;
    int32_t mmsi;
    int raim;  // as gpsdecode reads it
  } cases[] = {
      // Recorded; in both the device type before the flag is 1 (GPS), its last bit set.
      {"RecordedCaptJRimes", "!AIVDM,1,1,,B,C5N3SRgPEnJGEBT>NhWAwwo862PaLELTBJ:V00000000S0D:R220,0*0B", 367059850, 0},
      {"RecordedMinZhangYu", "!AIVDM,1,1,,B,C69EG6@0026tkc3Ln`sBL000JBM0l@2L?0jc1QWQed00f0D210R0,0*5C", 412440345, 0},
      // "!AIVDM,1,1,,A,C6K29lh0=:OsV853O81=8uWP@2j2`:00000000000000BPP1PQ50,0*42":
      // gpsdecode reads "epfd":2, "raim":true, "dte":0, "assigned":false.
      {"BuiltRaimOnly", ExtendedClassBReport(431000019, 2, 1, 0, 0), 431000019, 1},
      // "!AIVDM,1,1,,A,C6K29m00=:OsV853O81=8uWP@2j2`:00000000000000BPP1PQ6h,0*40":
      // gpsdecode reads "epfd":3, "raim":false, "dte":1, "assigned":true.
      {"BuiltNeighboursSet", ExtendedClassBReport(431000020, 3, 0, 1, 1), 431000020, 0},
  };
  for (const auto& c : cases) {
    // The entry starts with the opposite flag, so a flag left unread shows.
    table.DynamicEntries()[table.FindOrAddShip(c.mmsi)].Raw.RawRaim = static_cast<int16_t>(1 - c.raim);
    Feed(c.sentence);
    const DbDynamic* d = Ship(c.mmsi);
    ASSERT_NE(d, nullptr) << c.name;
    EXPECT_EQ(StaticOf(*d).MsgNo, 19) << c.name;
    EXPECT_EQ(d->Raw.RawRaim, c.raim) << c.name;
    EXPECT_EQ(d->Raim, c.raim) << c.name;
  }
}

std::string AidToNavigation(int32_t mmsi, int bits, const char* type = "VDM", char channel = 'A') {
  PayloadBuilder b(bits);
  b.Set(1, 6, 21).Set(9, 38, mmsi).Set(39, 43, 14).Text(44, 20, "KOBE LIGHT").Set(164, 164, 1);
  b.Set(165, 192, 81000000).Set(193, 219, 20700000).Set(220, 228, 3).Set(229, 237, 4).Set(238, 243, 5);
  b.Set(244, 249, 6).Set(254, 259, 44).Set(260, 260, 1).Set(269, 269, 1).Set(270, 270, 1);
  if (bits > 272) b.Text(273, (bits - 272) / 6, "ABCDEFGHIJKLMN");
  return b.Sentence(type, channel);
}

TEST_F(DecoderTest, AidToNavigationNameExtensionByLength) {
  const struct {
    int bits;
    int chars;
  } cases[] = {{272, 0}, {276, 0}, {280, 1}, {288, 2}, {296, 4}, {304, 5}, {312, 6}, {320, 8},
               {328, 9}, {336, 10}, {344, 12}, {352, 13}, {360, 14}, {354, 13}};
  int32_t mmsi = 993000000;
  for (const auto& c : cases) {
    ++mmsi;
    // The sentence carries whole characters; fill bits bring the length to c.bits.
    Feed(AidToNavigation(mmsi, c.bits));
    const DbDynamic* d = Ship(mmsi);
    ASSERT_NE(d, nullptr) << c.bits;
    EXPECT_EQ(std::strlen(StaticOf(*d).Name2), static_cast<size_t>(c.chars)) << c.bits;
    EXPECT_EQ(std::string(StaticOf(*d).Name2), std::string("ABCDEFGHIJKLMN").substr(0, c.chars)) << c.bits;
  }
  const DbDynamic* d = Ship(993000001);
  const DbStatic& s = StaticOf(*d);
  EXPECT_EQ(s.Aids, 14);
  EXPECT_STREQ(s.Name1, "KOBE LIGHT          ");
  EXPECT_EQ(s.AntA, 3);
  EXPECT_EQ(s.AntD, 6);
  EXPECT_EQ(s.OffPosi, 1);
  EXPECT_EQ(s.Virtual, 1);
  EXPECT_EQ(s.MsgNo, 21);
  EXPECT_EQ(d->UtcSec, 44);
  EXPECT_EQ(d->Raim, 1);
  EXPECT_EQ(d->PosAcc, 1);
  EXPECT_EQ(d->Raw.RawSog, kSogNotAvailable);
  EXPECT_EQ(d->SogInvalid, 1);
  EXPECT_DOUBLE_EQ(d->Lat, 34.5);
}

TEST_F(DecoderTest, AidToNavigationNameExtensionAtAnyLength) {
  // Recorded messages. gpsdecode joins name and extension and ends the text at its first
  // "@", which we keep as a blank followed by whatever the message carries after it.
  const struct {
    const char* name;
    std::vector<std::string> lines;
    int32_t mmsi;
    std::string gpsdecodeName;
    size_t extensionChars;  // whole characters after bit 272, at most 14
  } cases[] = {
      {"Bits272", {"!AIVDM,1,1,,A,E>jMjbQRHt0nPP000000000000006MIb?OOgHD2RRSv000,4*34"}, 992441002, "D18A-A", 0},
      {"Bits296", {"!AIVDM,1,1,,A,ENjOsphrg@6a9Qh92SSTWh1PV0Q0Slm@:r;8000000N014R@@0,4*23"}, 992476131,
       "5^ MRSC REGGIO CALABRIA", 4},
      {"Bits306", {"!AIVDM,1,1,,A,E>m1c3DPT0PT0h97QUah77a:400F@VKHmP@jP00003`01?TrwSW,0*3D"}, 995126029,
       "AHAAHA ROCKS NORTH", 5},
      {"Bits330", {"!AIVDM,1,1,,A,ENjOsphrg@6a9Qh92SSTWh1PV0Q0Slm@:r;8000000N014R@@9beORW,0*63"}, 992476131,
       "5^ MRSC REGGIO CALABRIA", 9},
      {"Bits346",
       {"!AIVDM,2,1,5,B,E1mg=5J1T4W0h97aRh6ba84<h2d;W:Te=eLvH50```q,0*46", "!AIVDM,2,2,5,B,:D44QDlp0C1DU00,2*36"},
       123456789, "CHINA ROSE MURPHY EXPRESS ALERT", 12},
      {"Bits368",
       {"!AIVDM,2,1,8,B,E03l90w4Q1h3h1:WdPOwwwwwwwwlQdn`:e55020@@@gP0000000000000000,0*47", "!AIVDM,2,2,8,B,00,4*19"},
       4000003, "IBC G BUOY", 14},
  };
  for (const auto& c : cases) {
    for (const std::string& line : c.lines) Feed(line);
    const DbDynamic* d = Ship(c.mmsi);
    ASSERT_NE(d, nullptr) << c.name;
    const DbStatic& s = StaticOf(*d);
    EXPECT_EQ(std::strlen(s.Name2), c.extensionChars) << c.name;
    const std::string joined = std::string(s.Name1) + s.Name2;
    EXPECT_EQ(joined.substr(0, c.gpsdecodeName.size()), c.gpsdecodeName) << c.name;
    EXPECT_TRUE(joined.size() == c.gpsdecodeName.size() || joined[c.gpsdecodeName.size()] == ' ')
        << c.name << ": " << joined;
  }
}

TEST_F(DecoderTest, StaticReportPartsAAndB) {
  PayloadBuilder a(168);
  a.Set(1, 6, 24).Set(9, 38, 431500001).Set(39, 40, 0).Text(41, 20, "MARU");
  Feed(a.Sentence());
  PayloadBuilder b(168);
  b.Set(1, 6, 24).Set(9, 38, 431500001).Set(39, 40, 1).Set(41, 48, 52).Text(49, 7, "VENDOR1");
  b.Text(91, 7, "JD1234").Set(133, 141, 20).Set(142, 150, 8).Set(151, 156, 3).Set(157, 162, 4);
  Feed(b.Sentence());
  const DbDynamic* d = Ship(431500001);
  ASSERT_NE(d, nullptr);
  const DbStatic& s = StaticOf(*d);
  EXPECT_STREQ(s.Name, "MARU                ");
  EXPECT_EQ(s.Type, 52);
  EXPECT_STREQ(s.Vendor, "VENDOR1");
  EXPECT_STREQ(s.Sign, "JD1234 ");
  EXPECT_EQ(s.AntA, 20);
  EXPECT_EQ(s.AntB, 8);
  EXPECT_EQ(s.AntC, 3);
  EXPECT_EQ(s.AntD, 4);
  EXPECT_EQ(s.MsgNo, 24);
  EXPECT_EQ(d->Raw.PosState, kPosStaticOnly);
}

// Message 24 with a part number of 2 or 3: type, repeat, MMSI, part number, then a part B
// layout (ship type, vendor, call sign, dimensions, spare) holding what a recorded part 3 holds.
std::string StaticReportOtherPart(int32_t mmsi, int part) {
  ItuMessage m;
  m.Field(6, 24).Field(2, 0).Field(30, mmsi).Field(2, part);
  m.Field(8, 60).Text(7, "").Text(7, "@OF-332").Field(9, 424).Field(9, 0).Field(6, 0).Field(6, 0).Field(6, 0);
  return m.Sentence();
}

TEST_F(DecoderTest, StaticReportPartsTwoAndThreeAreDropped) {
  // A recorded class B ship's parts A and B; gpsdecode: "PROGUY", type 60, vendor "1D00014",
  // call sign "TC6163", dimensions 0, 15, 0, 5.
  Feed("!AIVDM,1,1,,A,H42O55i18tMET00000000000000,2*6D");
  Feed("!AIVDM,1,1,,A,H42O55lti4hhhilD3nink000?050,0*40");
  const int i = table.FindShip(271041815);
  ASSERT_GT(i, 0);
  const DbStatic good = StaticOf(table.DynamicEntries()[i]);
  const struct {
    const char* name;
    std::string sentence;
  } others[] = {
      // Part 3 as recorded from two other stations (gpsd's test log ais-18-27.log); gpsdecode
      // reports nothing for either.
      {"RecordedPart3", "!AIVDM,1,1,,A,H4`:mH<t00000000J34Gq0073H@@0,0*6A"},
      {"RecordedPart3Again", "!AIVDM,1,1,,A,H480CB<t000000005C;<0002rvBB0,0*5C"},
      // "!AIVDM,1,1,,A,H42O55pt00000000?6ekkjm00000,0*78" and, for part 3, the same with "tt"
      // and checksum 7C: fed after PROGUY's parts A and B, gpsdecode reports nothing for either.
      {"BuiltPart2", StaticReportOtherPart(271041815, 2)},
      {"BuiltPart3", StaticReportOtherPart(271041815, 3)},
  };
  for (const auto& c : others) {
    table.DynamicEntries()[i].Age = 5000;  // any decoded message would make it 1
    Feed(c.sentence);
    EXPECT_EQ(table.ShipCount, 1u) << c.name;
    EXPECT_EQ(table.DynamicEntries()[i].Age, 5000u) << c.name;
    EXPECT_EQ(std::memcmp(&good, &StaticOf(table.DynamicEntries()[i]), sizeof good), 0) << c.name;
  }
  const DbStatic& s = StaticOf(table.DynamicEntries()[i]);
  EXPECT_STREQ(s.Name, "PROGUY              ");
  EXPECT_EQ(s.Type, 60);
  EXPECT_STREQ(s.Vendor, "1D00014");
  EXPECT_STREQ(s.Sign, "TC6163 ");
  EXPECT_EQ(s.AntA, 0);
  EXPECT_EQ(s.AntB, 15);
  EXPECT_EQ(s.AntC, 0);
  EXPECT_EQ(s.AntD, 5);
}

TEST_F(DecoderTest, OwnShipModeDecodesOnlyPositionReportsIntoOwnShip) {
  intake.options.vdoEnabled = true;
  const DbDynamic before = table.DynamicEntries()[0];
  // 5, 18, 19, 21 and 24 from VDO change nothing.
  Feed("!AIVDO,1,1,,,5815MV82FvoUKL7C7GDhDtp58@v2222222222216E8N;E5pfNKRT85BhQM8888888888880,2*31");
  PayloadBuilder b18(168);
  b18.Set(1, 6, 18).Set(9, 38, 431600001);
  Feed(b18.Sentence("VDO", ' '));
  Feed(ClassBExtended(431600002, "X", "VDO", ' '));
  Feed(AidToNavigation(431600003, 272, "VDO", ' '));
  PayloadBuilder b24(168);
  b24.Set(1, 6, 24).Set(9, 38, 431600004);
  Feed(b24.Sentence("VDO", ' '));
  EXPECT_EQ(std::memcmp(&before, &table.DynamicEntries()[0], sizeof before), 0);
  EXPECT_EQ(table.ShipCount, 0u);

  // 4 and 9 create an entry with its starting values and store nothing else.
  Feed("!AIVDO,1,1,,,40475rAvUtW:N9ceoHClce700L60,0*00");
  const DbDynamic* d = Ship(4310505);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->Lat, 34.5);
  EXPECT_EQ(d->Raw.RawLat, kLatNotAvailable);
  EXPECT_EQ(StaticOf(*d).MsgNo, 0);
  EXPECT_EQ(StaticOf(*d).BsLat, 0.0);
}

TEST_F(DecoderTest, MessageNumbersOutsideOneToTwentyFourAreIgnored) {
  for (int number : {0, 6, 7, 8, 10, 17, 20, 22, 23, 25, 31, 32, 47, 63}) {
    PayloadBuilder b(168);
    b.Set(1, 6, number).Set(9, 38, 431700000 + number);
    Feed(b.Sentence());
    EXPECT_EQ(Ship(431700000 + number), nullptr) << number;
  }
  EXPECT_EQ(table.ShipCount, 0u);
}

TEST_F(DecoderTest, ShortMessageReadsZerosBeyondItsEnd) {
  // A message 1 of 6 characters: everything past them reads 0, never stale bytes.
  ClassAFields f;
  Feed(ClassA(1, f));
  PayloadBuilder b(36);
  b.Set(1, 6, 1).Set(9, 36, 431023494 >> 2);
  Feed(b.Sentence());
  const DbDynamic* d = Ship((431023494 >> 2) << 2);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->Raw.RawLat, 0);
  EXPECT_EQ(d->Raw.RawLon, 0);
  EXPECT_EQ(d->Raw.RawHdg, 0);
}

}  // namespace
}  // namespace aismon
