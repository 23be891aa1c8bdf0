#include "shipdb/ship_db_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>
#include "tests/support/temp_files.h"

namespace aismon {
namespace {

namespace fs = std::filesystem;

constexpr size_t kDynamicFileBytes = 328000;
constexpr size_t kStaticFileBytes = 12960216;


using testing::Bytes;
using testing::ReadBytes;
using testing::WriteBytes;

class TempFolder : public testing::TempFolder {
 public:
  TempFolder() : testing::TempFolder("aismon-shipdb-") {}
};

void WriteBytes(const fs::path& p, const Bytes& b) { WriteBytes(p, b.data(), b.size()); }

template <typename T>
Bytes LittleEndian(T value) {
  Bytes b(sizeof(T));
  std::memcpy(b.data(), &value, sizeof(T));  // the build asserts a little-endian host
  return b;
}

Bytes TextBytes(const char* text, size_t fieldSize) {
  Bytes b(fieldSize, 0);
  std::memcpy(b.data(), text, std::strlen(text));
  return b;
}

class ShipDbFilesTest : public ::testing::Test {
 protected:
  ShipDbFilesTest() : home_(dir_.path() / "home") { fs::create_directories(home_ / "DATA"); }

  fs::path DynamicFile() const { return home_ / "DATA" / "@DbDynamic3.bin"; }
  fs::path StaticFile() const { return home_ / "DATA" / "@DbStatic3.bin"; }

  TempFolder dir_;
  fs::path home_;
  ManualClock clock_;
};

TEST_F(ShipDbFilesTest, FirstRunGivesOwnShipDefaultsAndFullSizeFiles) {
  ShipTable table(clock_);
  // Leftovers from before the load must not survive it: the load creates the arrays afresh.
  DbDynamic* d = table.DynamicEntries();
  d[0].Hdg = d[0].Cog = d[0].Sog = d[0].Rot = 7.0;
  d[0].MMSI = 123;
  d[9].Age = 50;
  table.StaticEntries()[77].UdTime = 99;

  LoadShipDb(table, home_);

  EXPECT_TRUE(table.dbLoaded);
  EXPECT_EQ(d[0].Lat, 34.5);
  EXPECT_EQ(d[0].Lon, 134.25);
  EXPECT_EQ(d[0].Hdg, 0.0);
  EXPECT_EQ(d[0].Cog, 0.0);
  EXPECT_EQ(d[0].Sog, 0.0);
  EXPECT_EQ(d[0].Rot, 0.0);
  EXPECT_EQ(d[0].MMSI, 0);
  EXPECT_EQ(d[0].Raw.RawNavStat, 15);
  EXPECT_EQ(d[0].Reserved8, 1);
  EXPECT_EQ(d[0].Link, ShipTable::LinkTo(0));
  EXPECT_EQ(d[9].Age, 0u);
  EXPECT_EQ(table.StaticEntries()[0].UdTime, 1u);
  EXPECT_EQ(table.StaticEntries()[77].UdTime, 0u);

  const ShipDbSaveResult saved = SaveShipDbFiles(table, home_);
  EXPECT_TRUE(saved.dynamicSaved);
  EXPECT_TRUE(saved.staticSaved);
  EXPECT_EQ(fs::file_size(DynamicFile()), kDynamicFileBytes);
  EXPECT_EQ(fs::file_size(StaticFile()), kStaticFileBytes);
  EXPECT_FALSE(fs::exists(DynamicFile().string() + ".tmp"));
  EXPECT_FALSE(fs::exists(StaticFile().string() + ".tmp"));
}

TEST_F(ShipDbFilesTest, LoadDoesNothingOnceLoaded) {
  ShipTable table(clock_);
  LoadShipDb(table, home_);
  table.DynamicEntries()[0].Lat = 12.0;
  table.StaticEntries()[5].UdTime = 42;
  SaveShipDb(table, home_);
  table.DynamicEntries()[0].Lat = 13.0;
  table.StaticEntries()[5].UdTime = 43;

  LoadShipDb(table, home_);  // files hold 12.0 and 42; memory must keep 13.0 and 43

  EXPECT_EQ(table.DynamicEntries()[0].Lat, 13.0);
  EXPECT_EQ(table.StaticEntries()[5].UdTime, 43u);
}

TEST_F(ShipDbFilesTest, OwnShipPositionIsRangeTested) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Row {
    const char* name;
    double lat, lon;
    double wantLat, wantLon;
  };
  const Row rows[] = {
      {"latitude 95 becomes 0", 95.0, 135.0, 0.0, 135.0},
      {"latitude -95 becomes 0", -95.0, 135.0, 0.0, 135.0},
      {"latitude 90 stays", 90.0, 135.0, 90.0, 135.0},
      {"latitude -90 stays", -90.0, 135.0, -90.0, 135.0},
      {"latitude just above 90 becomes 0", std::nextafter(90.0, 91.0), 135.0, 0.0, 135.0},
      {"latitude NaN becomes 0", nan, 135.0, 0.0, 135.0},
      {"latitude infinity becomes 0", inf, 135.0, 0.0, 135.0},
      {"longitude 181 becomes 0", 35.0, 181.0, 35.0, 0.0},
      {"longitude 180 stays", 35.0, 180.0, 35.0, 180.0},
      {"longitude -180 stays", 35.0, -180.0, 35.0, -180.0},
      {"longitude just below -180 becomes 0", 35.0, std::nextafter(-180.0, -181.0), 35.0, 0.0},
      {"longitude NaN becomes 0", 35.0, nan, 35.0, 0.0},
      {"longitude -infinity becomes 0", 35.0, -inf, 35.0, 0.0},
      {"both out of range", 95.0, 181.0, 0.0, 0.0},
      {"an ordinary position stays", 34.123, 135.456, 34.123, 135.456},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    DbDynamic own{};
    own.Lat = row.lat;
    own.Lon = row.lon;
    own.Sog = 11.5;
    own.Raw.RawNavStat = 3;
    WriteBytes(DynamicFile(), &own, sizeof own);

    ShipTable table(clock_);
    LoadShipDb(table, home_);
    const DbDynamic& got = table.DynamicEntries()[0];
    EXPECT_EQ(got.Lat, row.wantLat);
    EXPECT_EQ(got.Lon, row.wantLon);
    // The file opened, so none of the first-run defaults apply.
    EXPECT_EQ(got.Sog, 11.5);
    EXPECT_EQ(got.Raw.RawNavStat, 3);
  }
}

TEST_F(ShipDbFilesTest, SavedShipsComeBackFreeWithTheirStaticRecordsFoundByMmsi) {
  ShipTable first(clock_);
  LoadShipDb(first, home_);
  first.DynamicEntries()[0].MMSI = 431999999;
  // Two of them share a home slot, so the second sits one slot further on.
  const int32_t mmsis[] = {431023494, 431023494 + 1024, 352000001, 999};
  int staticIndex[4];
  for (int k = 0; k < 4; ++k) {
    const int i = first.FindOrAddShip(mmsis[k]);
    DbDynamic& e = first.DynamicEntries()[i];
    e.Age = 5000 + k;
    e.Lat = 35.0 + k;
    DbStatic& s = first.StaticOf(e.Link);
    std::snprintf(s.Name, sizeof s.Name, "SHIP %d", k);
    s.AntA = static_cast<int16_t>(100 + k);
    staticIndex[k] = ShipTable::LinkIndex(e.Link);
  }
  SaveShipDb(first, home_);

  ShipTable second(clock_);
  LoadShipDb(second, home_);

  EXPECT_EQ(second.ShipCount, 0u);
  EXPECT_EQ(second.StaticCount, 0u);
  EXPECT_EQ(std::memcmp(&second.DynamicEntries()[0], &first.DynamicEntries()[0], sizeof(DbDynamic)), 0);
  EXPECT_EQ(std::memcmp(second.StaticEntries(), first.StaticEntries(), sizeof(DbStatic) * kStaticEntries), 0);
  for (int i = 1; i < kDefaultDynamicEntries; ++i) {
    ASSERT_EQ(second.DynamicEntries()[i].Age, 0u) << i;
    ASSERT_EQ(second.DynamicEntries()[i].Link, kNoLink) << i;
  }
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(mmsis[k]);
    EXPECT_EQ(second.FindShip(mmsis[k]), -1);
    const int i = second.FindOrAddShip(mmsis[k]);
    const DbDynamic& e = second.DynamicEntries()[i];
    EXPECT_EQ(ShipTable::LinkIndex(e.Link), staticIndex[k]);
    const DbStatic& s = second.StaticOf(e.Link);
    EXPECT_EQ(std::string(s.Name), "SHIP " + std::to_string(k));
    EXPECT_EQ(s.AntA, 100 + k);
    EXPECT_EQ(e.Lat, 34.5);  // a new entry: the old position is not brought back
  }
}

TEST_F(ShipDbFilesTest, LoadFreesOtherShipsAndMakesFreshReferences) {
  std::vector<DbDynamic> file(3);
  file[0].Link = 0x55555555;
  file[0].Reserved8 = 9;
  file[0].MMSI = 431000001;
  file[0].Lat = 35.25;
  file[2].Age = 5000;
  file[2].MMSI = 1234;
  file[2].Link = 0xDEADBEEF;
  file[2].Lat = 33.0;
  WriteBytes(DynamicFile(), file.data(), file.size() * sizeof(DbDynamic));

  ShipTable table(clock_);
  LoadShipDb(table, home_);
  const DbDynamic* d = table.DynamicEntries();
  EXPECT_EQ(d[0].Link, ShipTable::LinkTo(0));
  EXPECT_EQ(d[0].Reserved8, 1);
  EXPECT_EQ(d[0].MMSI, 431000001);
  EXPECT_EQ(d[0].Lat, 35.25);
  EXPECT_EQ(d[2].Age, 0u);
  EXPECT_EQ(d[2].Link, kNoLink);
  EXPECT_EQ(d[2].MMSI, 1234);  // freed, not erased
  EXPECT_EQ(d[2].Lat, 33.0);
}

// Records with every byte set, so that shifted or forgotten bytes show.
DbStatic PatternStatic(int seed) {
  DbStatic s;
  auto* p = reinterpret_cast<uint8_t*>(&s);
  for (size_t j = 0; j < sizeof s; ++j) p[j] = static_cast<uint8_t>(0x21 + (seed * 31 + j) % 90);
  return s;
}

DbDynamic PatternDynamic(int seed) {
  DbDynamic d;
  auto* p = reinterpret_cast<uint8_t*>(&d);
  for (size_t j = 0; j < sizeof d; ++j) p[j] = static_cast<uint8_t>(1 + (seed * 17 + j) % 250);
  d.Lat = 10.0 + seed;  // keep own ship in range
  d.Lon = 20.0 + seed;
  return d;
}

// The last byte of each text field, which the load forces to 0.
const size_t kTextFieldEnds[] = {40 + 8 - 1, 48 + 24 - 1, 72 + 24 - 1, 96 + 21 - 1, 128 + 22 - 1, 150 + 16 - 1, 166 + 8 - 1};

bool IsTextFieldEnd(size_t offset) {
  for (size_t end : kTextFieldEnds)
    if (offset == end) return true;
  return false;
}

// What the load should make of a static record read from a file.
DbStatic AsLoaded(DbStatic s, int index) {
  auto* p = reinterpret_cast<uint8_t*>(&s);
  for (size_t end : kTextFieldEnds) p[end] = 0;
  if (index == 0) s.UdTime = 1;
  return s;
}

TEST_F(ShipDbFilesTest, ShortFilesFillOnlyTheWholeRecordsTheyHold) {
  struct Row {
    const char* name;
    size_t dynamicBytes;  // of a file holding 3 pattern records
    size_t staticBytes;   // of a file holding 3 pattern records
    int wantDynamicRecords;
    int wantStaticRecords;
  };
  const Row rows[] = {
      {"empty files", 0, 0, 0, 0},
      {"one record each", 320, 216, 1, 1},
      {"three records each", 3 * 320, 3 * 216, 3, 3},
      {"two and a half records", 2 * 320 + 160, 2 * 216 + 108, 2, 2},
      {"part of the first record only", 100, 100, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<DbDynamic> dyn = {PatternDynamic(1), PatternDynamic(2), PatternDynamic(3)};
    std::vector<DbStatic> sta = {PatternStatic(1), PatternStatic(2), PatternStatic(3)};
    WriteBytes(DynamicFile(), dyn.data(), row.dynamicBytes);
    WriteBytes(StaticFile(), sta.data(), row.staticBytes);

    ShipTable table(clock_);
    table.StaticEntries()[2].MMSI = 77;  // must not survive the load
    LoadShipDb(table, home_);

    const DbDynamic& own = table.DynamicEntries()[0];
    if (row.wantDynamicRecords > 0) {
      DbDynamic want = dyn[0];
      want.Reserved8 = 1;
      want.Link = ShipTable::LinkTo(0);
      EXPECT_EQ(std::memcmp(&own, &want, sizeof want), 0);
    } else {
      // The file opened but held no whole record: a zero own ship, not the first-run one.
      EXPECT_EQ(own.Lat, 0.0);
      EXPECT_EQ(own.Raw.RawNavStat, 0);
      EXPECT_EQ(own.MMSI, 0);
    }
    for (int i = 1; i < 4; ++i) {
      const DbDynamic& e = table.DynamicEntries()[i];
      if (i < row.wantDynamicRecords) {
        EXPECT_EQ(e.MMSI, dyn[i].MMSI) << i;
        EXPECT_EQ(e.Lat, dyn[i].Lat) << i;
      } else {
        DbDynamic zero{};
        EXPECT_EQ(std::memcmp(&e, &zero, sizeof zero), 0) << i;
      }
    }
    for (int i = 0; i < 4; ++i) {
      const DbStatic& s = table.StaticEntries()[i];
      DbStatic want{};
      if (i < row.wantStaticRecords) want = AsLoaded(sta[i], i);
      if (i == 0) want.UdTime = 1;
      EXPECT_EQ(std::memcmp(&s, &want, sizeof want), 0) << i;
    }
  }
}

TEST_F(ShipDbFilesTest, LongerFilesAreReadOnlyUpToTheTableSize) {
  Bytes dyn(kDynamicFileBytes + 1000, 0);
  Bytes sta(kStaticFileBytes + 1000, 0);
  DbDynamic lastDyn = PatternDynamic(5);
  DbStatic lastSta = PatternStatic(5);
  std::memcpy(&dyn[kDynamicFileBytes - sizeof lastDyn], &lastDyn, sizeof lastDyn);
  std::memcpy(&sta[kStaticFileBytes - sizeof lastSta], &lastSta, sizeof lastSta);
  std::fill(dyn.begin() + kDynamicFileBytes, dyn.end(), 0xEE);
  std::fill(sta.begin() + kStaticFileBytes, sta.end(), 0xEE);
  WriteBytes(DynamicFile(), dyn);
  WriteBytes(StaticFile(), sta);

  ShipTable table(clock_);
  LoadShipDb(table, home_);

  const DbDynamic& d = table.DynamicEntries()[kDefaultDynamicEntries - 1];
  EXPECT_EQ(d.MMSI, lastDyn.MMSI);
  EXPECT_EQ(d.Age, 0u);
  const DbStatic want = AsLoaded(lastSta, kStaticEntries - 1);
  EXPECT_EQ(std::memcmp(&table.StaticEntries()[kStaticEntries - 1], &want, sizeof want), 0);
}

// The dynamic file holds own ship and one entry per station of the capacity it was saved
// with; a table of another capacity loads own ship and the static file whole, and saves
// at its own size.
TEST_F(ShipDbFilesTest, FilesOfAnotherCapacityLoad) {
  struct Row {
    int saved, loaded;
  };
  for (const Row r : {Row{1024, 16384}, Row{16384, 1024}, Row{4096, 4096}, Row{16384, 5000}}) {
    fs::remove_all(home_ / "DATA");
    fs::create_directories(home_ / "DATA");
    {
      ShipTable table(clock_, r.saved);
      LoadShipDb(table, home_);
      table.DynamicEntries()[0].Lat = 35.25;
      const int slot = table.FindOrAddShip(431000001);
      table.DynamicEntries()[table.Stations()].MMSI = 431000002;  // the last entry, beyond a smaller table
      std::snprintf(table.StaticOf(table.DynamicEntries()[slot].Link).Name, sizeof(DbStatic::Name), "KEPT");
      SaveShipDb(table, home_);
    }
    EXPECT_EQ(fs::file_size(DynamicFile()), sizeof(DbDynamic) * (r.saved + 1)) << r.saved;
    ShipTable table(clock_, r.loaded);
    LoadShipDb(table, home_);
    EXPECT_EQ(table.DynamicEntries()[0].Lat, 35.25) << r.saved << " -> " << r.loaded;
    EXPECT_EQ(table.TakenCount(), 0) << "stations are not carried over";
    EXPECT_STREQ(table.StaticOf(ShipTable::LinkTo(table.FindOrAddStatic(431000001))).Name, "KEPT");
    SaveShipDb(table, home_);
    EXPECT_EQ(fs::file_size(DynamicFile()), sizeof(DbDynamic) * (r.loaded + 1)) << r.loaded;
  }
}

TEST_F(ShipDbFilesTest, TextFieldsWithoutTerminatorGetTheirLastByteZeroedAndNothingElse) {
  std::vector<DbStatic> file;
  for (int i = 0; i < 10; ++i) file.push_back(PatternStatic(i));
  WriteBytes(StaticFile(), file.data(), file.size() * sizeof(DbStatic));

  ShipTable table(clock_);
  LoadShipDb(table, home_);

  for (int i = 0; i < 10; ++i) {
    SCOPED_TRACE(i);
    const auto* got = reinterpret_cast<const uint8_t*>(&table.StaticEntries()[i]);
    const auto* was = reinterpret_cast<const uint8_t*>(&file[i]);
    for (size_t j = (i == 0 ? 4 : 0); j < sizeof(DbStatic); ++j) {
      const uint8_t want = IsTextFieldEnd(j) ? 0 : was[j];
      ASSERT_EQ(got[j], want) << "byte " << j;
    }
  }
  struct Field {
    const char* name;
    const char* text;
    size_t size;
  };
  const DbStatic& s = table.StaticEntries()[3];
  const Field fields[] = {{"Sign", s.Sign, 8},   {"Name", s.Name, 24},  {"Dest", s.Dest, 24},    {"Memo", s.Memo, 21},
                          {"Name1", s.Name1, 22}, {"Name2", s.Name2, 16}, {"Vendor", s.Vendor, 8}};
  for (const Field& f : fields) EXPECT_EQ(std::strlen(f.text), f.size - 1) << f.name;
}

// One row per field: its offset in the file, the bytes it must hold there, and how the
// test puts the value into the record.
template <typename Record>
struct FieldRow {
  const char* name;
  size_t offset;
  Bytes want;
  std::function<void(Record&)> set;
};

#define FIELD(Record, member, offset, type, value) \
  FieldRow<Record> { #member, offset, LittleEndian<type>(value), [](Record& r) { r.member = value; } }
#define TEXT(Record, member, offset, value)                                                   \
  FieldRow<Record> {                                                                          \
    #member, offset, TextBytes(value, sizeof(Record::member)), [](Record& r) {                \
      std::memset(r.member, 0, sizeof r.member);                                              \
      std::memcpy(r.member, value, std::strlen(value));                                       \
    }                                                                                         \
  }

// Checks every row at its offset within record `index` of the file, and that every byte
// no row covers (the reserved ones) is zero.
template <typename Record>
void CheckRecordBytes(const Bytes& file, int index, const std::vector<FieldRow<Record>>& rows) {
  const size_t base = static_cast<size_t>(index) * sizeof(Record);
  ASSERT_GE(file.size(), base + sizeof(Record));
  std::vector<bool> covered(sizeof(Record), false);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    for (size_t j = 0; j < row.want.size(); ++j) {
      EXPECT_EQ(file[base + row.offset + j], row.want[j]) << "byte " << j;
      EXPECT_FALSE(covered[row.offset + j]) << "rows overlap";
      covered[row.offset + j] = true;
    }
  }
  for (size_t j = 0; j < sizeof(Record); ++j)
    if (!covered[j]) {
      EXPECT_EQ(file[base + j], 0) << "reserved byte " << j;
    }
}

TEST_F(ShipDbFilesTest, EveryDynamicFieldLandsAtItsOffset) {
  const std::vector<FieldRow<DbDynamic>> rows = {
      FIELD(DbDynamic, Age, 0, uint32_t, 0x81828384u),
      FIELD(DbDynamic, MMSI, 4, int32_t, 431023494),
      FIELD(DbDynamic, Reserved8, 8, int16_t, 0),
      FIELD(DbDynamic, Link, 12, uint32_t, 0x2A2B2C2Du),
      FIELD(DbDynamic, Raw.RawLat, 16, int32_t, -20706000),
      FIELD(DbDynamic, Raw.RawLon, 20, int32_t, 81123456),
      FIELD(DbDynamic, Raw.RawSog, 24, int16_t, 0x0123),
      FIELD(DbDynamic, Raw.RawCog, 26, int16_t, 0x0D45),
      FIELD(DbDynamic, Raw.RawHdg, 28, int16_t, 0x0167),
      FIELD(DbDynamic, Raw.RawRot, 30, int16_t, -77),
      FIELD(DbDynamic, Raw.RawNavStat, 32, int16_t, 0x0A0B),
      FIELD(DbDynamic, Raw.RawPosAcc, 34, int16_t, 0x0C0D),
      FIELD(DbDynamic, Raw.RawSec, 36, int16_t, 0x0E0F),
      FIELD(DbDynamic, Raw.RawRaim, 38, int16_t, 0x1011),
      FIELD(DbDynamic, Raw.RawStations, 40, int16_t, -2),
      FIELD(DbDynamic, Raw.PosState, 42, uint8_t, 2),
      FIELD(DbDynamic, Lat, 88, double, 34.56789),
      FIELD(DbDynamic, Lon, 96, double, 135.4321),
      FIELD(DbDynamic, LatInvalid, 104, uint8_t, 0x31),
      FIELD(DbDynamic, LonInvalid, 105, uint8_t, 0x32),
      FIELD(DbDynamic, Hdg, 112, double, 271.5),
      FIELD(DbDynamic, TrueHdg, 120, double, 272.25),
      FIELD(DbDynamic, Sog, 128, double, 12.375),
      FIELD(DbDynamic, SogInvalid, 136, uint8_t, 0x33),
      FIELD(DbDynamic, Cog, 144, double, 270.125),
      FIELD(DbDynamic, CogInvalid, 152, uint8_t, 0x34),
      FIELD(DbDynamic, Rot, 160, double, -3.5),
      FIELD(DbDynamic, RotHold, 168, double, -4.75),
      FIELD(DbDynamic, NavStat, 204, int32_t, 0x41424344),
      FIELD(DbDynamic, PosAcc, 208, int32_t, 0x45464748),
      FIELD(DbDynamic, UtcSec, 212, int32_t, 0x494A4B4C),
      FIELD(DbDynamic, Raim, 216, int32_t, -0x4D4E4F50),
      FIELD(DbDynamic, HdgInvalid, 254, uint8_t, 0x35),
      FIELD(DbDynamic, HdgFromCog, 255, uint8_t, 0x36),
  };
  ShipTable table(clock_);
  LoadShipDb(table, home_);
  DbDynamic& e = table.DynamicEntries()[3];
  for (const auto& row : rows) row.set(e);
  ASSERT_TRUE(SaveShipDbFiles(table, home_).dynamicSaved);

  const Bytes file = ReadBytes(DynamicFile());
  ASSERT_EQ(file.size(), kDynamicFileBytes);
  CheckRecordBytes(file, 3, rows);
  // Own ship's record carries the reserved word 1 and its reference to static entry 0.
  EXPECT_EQ(Bytes(file.begin() + 8, file.begin() + 10), LittleEndian<int16_t>(1));
  EXPECT_EQ(Bytes(file.begin() + 12, file.begin() + 16), LittleEndian<uint32_t>(ShipTable::LinkTo(0)));
}

TEST_F(ShipDbFilesTest, EveryStaticFieldLandsAtItsOffset) {
  const std::vector<FieldRow<DbStatic>> rows = {
      FIELD(DbStatic, UdTime, 0, uint32_t, 0x91929394u),
      FIELD(DbStatic, MMSI, 4, int32_t, 431023494),
      FIELD(DbStatic, Imo, 8, int32_t, 9123456),
      FIELD(DbStatic, Ver, 12, int16_t, 0x0102),
      FIELD(DbStatic, Type, 14, int16_t, 0x0304),
      FIELD(DbStatic, AntA, 16, int16_t, 0x0506),
      FIELD(DbStatic, AntB, 18, int16_t, 0x0708),
      FIELD(DbStatic, AntC, 20, int16_t, 0x090A),
      FIELD(DbStatic, AntD, 22, int16_t, 0x0B0C),
      FIELD(DbStatic, Device, 24, int16_t, 0x0D0E),
      FIELD(DbStatic, Draught, 26, int16_t, 0x0F10),
      FIELD(DbStatic, Person, 28, int16_t, 0x1112),
      FIELD(DbStatic, Dte, 30, int16_t, 0x1314),
      FIELD(DbStatic, EtaMM, 32, int16_t, 0x1516),
      FIELD(DbStatic, EtaDD, 34, int16_t, 0x1718),
      FIELD(DbStatic, EtaHH, 36, int16_t, -0x191A),
      FIELD(DbStatic, EtaMN, 38, int16_t, 0x1B1C),
      TEXT(DbStatic, Sign, 40, "JABCDEF"),
      TEXT(DbStatic, Name, 48, "GHIJKLMNOPQRSTUVWXYZ012"),
      TEXT(DbStatic, Dest, 72, "3456789 ()*+,-./:;<=>"),
      TEXT(DbStatic, Memo, 96, "abcdefghijklmnopqrst"),
      FIELD(DbStatic, Watch, 117, uint8_t, 2),
      FIELD(DbStatic, MsgNo, 118, int16_t, 0x2122),
      FIELD(DbStatic, Alt, 120, int16_t, 0x2324),
      FIELD(DbStatic, Aids, 122, int16_t, 0x2526),
      FIELD(DbStatic, OffPosi, 124, int16_t, 0x2728),
      FIELD(DbStatic, Virtual, 126, int16_t, 0x292A),
      TEXT(DbStatic, Name1, 128, "uvwxyzABCDEFGHIJKLMNO"),
      TEXT(DbStatic, Name2, 150, "PQRSTUVWXYZ0123"),
      TEXT(DbStatic, Vendor, 166, "456789!"),
      FIELD(DbStatic, BsLat, 176, double, 35.123456),
      FIELD(DbStatic, BsLon, 184, double, 139.654321),
  };
  constexpr int kIndex = 12345;
  ShipTable table(clock_);
  LoadShipDb(table, home_);
  DbStatic& s = table.StaticEntries()[kIndex];
  for (const auto& row : rows) row.set(s);
  ASSERT_TRUE(SaveShipDbFiles(table, home_).staticSaved);

  const Bytes file = ReadBytes(StaticFile());
  ASSERT_EQ(file.size(), kStaticFileBytes);
  CheckRecordBytes(file, kIndex, rows);
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 4), LittleEndian<uint32_t>(1));  // own ship's UdTime

  // And the record reads back as written.
  ShipTable again(clock_);
  LoadShipDb(again, home_);
  EXPECT_EQ(std::memcmp(&again.StaticEntries()[kIndex], &s, sizeof s), 0);
}

// A save cut off before its images are committed loads as the previous save; one cut off
// between its two moves loads as the new save, both files alike.
TEST_F(ShipDbFilesTest, CrashInTheMiddleOfASaveLoadsOneWholeSave) {
  struct Row {
    const char* name;
    SaveStage stage;
    bool dynamicMoved;  // the dynamic file holds the new image right after the crash
    double loadedLat;
    const char* loadedName;
  };
  const Row rows[] = {{"before the commit", SaveStage::kStopBeforeCommit, false, 33.0, "BEFORE"},
                      {"between the renames", SaveStage::kStopBetweenRenames, true, 44.0, "AFTER"}};
  const fs::path mark = home_ / "DATA" / "@DbCommit3.mark";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ShipTable table(clock_);
    LoadShipDb(table, home_);
    table.DynamicEntries()[0].Lat = 33.0;
    std::strcpy(table.StaticEntries()[8].Name, "BEFORE");
    table.StaticEntries()[8].UdTime = 5;
    SaveShipDb(table, home_);
    const Bytes dynBefore = ReadBytes(DynamicFile());
    const Bytes staBefore = ReadBytes(StaticFile());

    table.DynamicEntries()[0].Lat = 44.0;
    std::strcpy(table.StaticEntries()[8].Name, "AFTER");
    const ShipDbSaveResult crashed = SaveShipDbFiles(table, home_, row.stage);

    EXPECT_EQ(crashed.dynamicSaved, row.dynamicMoved);
    EXPECT_FALSE(crashed.staticSaved);
    EXPECT_EQ(ReadBytes(DynamicFile()) == dynBefore, !row.dynamicMoved);
    EXPECT_EQ(ReadBytes(StaticFile()), staBefore);
    EXPECT_EQ(fs::exists(mark), row.dynamicMoved);
    // The new static image waits in full beside its file.
    EXPECT_EQ(fs::file_size(StaticFile().string() + ".tmp"), kStaticFileBytes);

    ShipTable restarted(clock_);
    LoadShipDb(restarted, home_);
    EXPECT_EQ(restarted.DynamicEntries()[0].Lat, row.loadedLat);
    EXPECT_STREQ(restarted.StaticEntries()[8].Name, row.loadedName);
    EXPECT_FALSE(fs::exists(mark));
    EXPECT_FALSE(fs::exists(DynamicFile().string() + ".tmp"));
    EXPECT_FALSE(fs::exists(StaticFile().string() + ".tmp"));

    // The next save replaces both files.
    std::strcpy(table.StaticEntries()[8].Name, "LATER");
    const ShipDbSaveResult saved = SaveShipDbFiles(table, home_);
    EXPECT_TRUE(saved.dynamicSaved);
    EXPECT_TRUE(saved.staticSaved);
    ShipTable later(clock_);
    LoadShipDb(later, home_);
    EXPECT_EQ(later.DynamicEntries()[0].Lat, 44.0);
    EXPECT_STREQ(later.StaticEntries()[8].Name, "LATER");
    EXPECT_FALSE(fs::exists(mark));
  }
}

TEST_F(ShipDbFilesTest, FailedSavesLeaveTheOldFilesAsTheyWere) {
  struct Row {
    const char* name;
    // Makes writing fail for the files chosen; returns false to skip the row.
    std::function<bool(const fs::path& home, bool dynamic, bool statics)> breakSaving;
    bool breakDynamic, breakStatic;
  };
  auto tempOf = [](const fs::path& home, bool dynamic) {
    return home / "DATA" / (std::string(dynamic ? "@DbDynamic3.bin" : "@DbStatic3.bin") + ".tmp");
  };
  const Row rows[] = {
      {"temporary name taken by a folder",
       [&](const fs::path& home, bool dynamic, bool statics) {
         if (dynamic) fs::create_directories(tempOf(home, true) / "x");
         if (statics) fs::create_directories(tempOf(home, false) / "x");
         return true;
       },
       true, true},
      {"only the dynamic file cannot be written",
       [&](const fs::path& home, bool dynamic, bool) {
         if (dynamic) fs::create_directories(tempOf(home, true) / "x");
         return true;
       },
       true, false},
      {"only the static file cannot be written",
       [&](const fs::path& home, bool, bool statics) {
         if (statics) fs::create_directories(tempOf(home, false) / "x");
         return true;
       },
       false, true},
      {"disk full while writing",
       [&](const fs::path& home, bool dynamic, bool statics) {
         if (!fs::exists("/dev/full")) return false;
         if (dynamic) fs::create_symlink("/dev/full", tempOf(home, true));
         if (statics) fs::create_symlink("/dev/full", tempOf(home, false));
         return true;
       },
       true, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempFolder dir;
    const fs::path home = dir.path() / "home";
    fs::create_directories(home / "DATA");
    ShipTable table(clock_);
    LoadShipDb(table, home);
    table.DynamicEntries()[0].Lat = 33.0;
    table.StaticEntries()[8].UdTime = 5;
    SaveShipDb(table, home);
    const Bytes dynBefore = ReadBytes(home / "DATA" / "@DbDynamic3.bin");
    const Bytes staBefore = ReadBytes(home / "DATA" / "@DbStatic3.bin");
    if (!row.breakSaving(home, row.breakDynamic, row.breakStatic)) continue;

    table.DynamicEntries()[0].Lat = 44.0;
    table.StaticEntries()[8].UdTime = 6;
    const ShipDbSaveResult result = SaveShipDbFiles(table, home);

    EXPECT_EQ(result.dynamicSaved, !row.breakDynamic);
    EXPECT_EQ(result.staticSaved, !row.breakStatic);
    const Bytes dynAfter = ReadBytes(home / "DATA" / "@DbDynamic3.bin");
    const Bytes staAfter = ReadBytes(home / "DATA" / "@DbStatic3.bin");
    EXPECT_EQ(dynAfter == dynBefore, row.breakDynamic);
    EXPECT_EQ(staAfter == staBefore, row.breakStatic);
    EXPECT_EQ(dynAfter.size(), kDynamicFileBytes);
    EXPECT_EQ(staAfter.size(), kStaticFileBytes);
    if (std::string(row.name) == "disk full while writing") {
      // The failed temporary files are cleared away.
      EXPECT_FALSE(fs::exists(fs::symlink_status(tempOf(home, true))));
      EXPECT_FALSE(fs::exists(fs::symlink_status(tempOf(home, false))));
    }
  }
}

TEST_F(ShipDbFilesTest, SavingWithoutAUsableDataFolderChangesNothing) {
  struct Row {
    const char* name;
    bool dataIsAFile;
  };
  const Row rows[] = {{"DATA is a regular file", true}, {"DATA is missing", false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempFolder dir;
    const fs::path home = dir.path() / "home";
    fs::create_directories(home);
    const Bytes dataFile = {'k', 'e', 'e', 'p'};
    if (row.dataIsAFile) WriteBytes(home / "DATA", dataFile);
    ShipTable table(clock_);
    LoadShipDb(table, home);

    const ShipDbSaveResult result = SaveShipDbFiles(table, home);

    EXPECT_FALSE(result.dynamicSaved);
    EXPECT_FALSE(result.staticSaved);
    if (row.dataIsAFile) {
      EXPECT_EQ(ReadBytes(home / "DATA"), dataFile);
    } else {
      EXPECT_FALSE(fs::exists(home / "DATA"));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(home), fs::directory_iterator()), row.dataIsAFile ? 1 : 0);
  }
}

}  // namespace
}  // namespace aismon
