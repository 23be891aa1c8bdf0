// Random bytes as the two ship database files. Input: one flag byte (bit 0: a dynamic file
// exists, bit 1: a static file exists; the other bits 000001: save and reload, kept rare
// because a save writes 13 MB), two bytes giving the length
// of the dynamic file's contents (little-endian), then those contents, then the static file.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "shipdb/ship_db_files.h"
#include "tests/fuzz/fuzz_support.h"

namespace fs = std::filesystem;
using namespace aismon;

namespace {

const fs::path& Home() {
  static const fs::path& home = []() -> const fs::path& {
    const fs::path& root = fuzz::ScratchRoot("aismon-fuzz-shipdb");
    fs::create_directories(root / "DATA");
    return root;
  }();
  return home;
}

void PutFile(const fs::path& p, bool present, const uint8_t* data, size_t size) {
  std::error_code ec;
  fs::remove(p, ec);
  if (!present) return;
  std::FILE* f = std::fopen(p.c_str(), "wb");
  CHECK(f != nullptr);
  if (size > 0) CHECK(std::fwrite(data, 1, size, f) == size);
  CHECK(std::fclose(f) == 0);
}

// Every text field must end inside its field, whatever the file held.
size_t TextLengths(const DbStatic& s) {
  size_t n = std::strlen(s.Sign) + std::strlen(s.Name) + std::strlen(s.Dest) + std::strlen(s.Memo) +
             std::strlen(s.Name1) + std::strlen(s.Name2) + std::strlen(s.Vendor);
  CHECK(std::strlen(s.Sign) < sizeof s.Sign && std::strlen(s.Name) < sizeof s.Name);
  CHECK(std::strlen(s.Dest) < sizeof s.Dest && std::strlen(s.Memo) < sizeof s.Memo);
  CHECK(std::strlen(s.Name1) < sizeof s.Name1 && std::strlen(s.Name2) < sizeof s.Name2);
  CHECK(std::strlen(s.Vendor) < sizeof s.Vendor);
  return n;
}

// Reused between inputs, since the load clears the two arrays it fills itself and a fresh
// 21 MB table per input would slow the fuzzer down. What the load leaves alone is reset here.
ShipTable& ReadyTable(int which) {
  static ManualClock clock;
  static ShipTable tables[2] = {ShipTable(clock), ShipTable(clock)};
  ShipTable& t = tables[which];
  t.dbLoaded = false;
  t.ShipCount = 0;
  t.StaticCount = 0;
  t.OwnMMSI = 0;
  return t;
}

void CheckLoaded(const ShipTable& t, int staticRecords) {
  const DbDynamic& own = t.DynamicEntries()[0];
  CHECK(own.Lat >= -90.0 && own.Lat <= 90.0);
  CHECK(own.Lon >= -180.0 && own.Lon <= 180.0);
  CHECK(own.Link == ShipTable::LinkTo(0));
  CHECK(own.Reserved8 == 1);
  CHECK(t.StaticEntries()[0].UdTime == 1);
  for (int i = 1; i < kDefaultDynamicEntries; ++i) CHECK(t.DynamicEntries()[i].Age == 0 && t.DynamicEntries()[i].Link == kNoLink);
  volatile size_t sink = 0;
  for (int i = 0; i < kStaticEntries; ++i) {
    const DbStatic& s = t.StaticEntries()[i];
    if (i <= staticRecords) {
      sink = sink + TextLengths(s);
    } else {
      CHECK(s.UdTime == 0 && s.MMSI == 0 && s.Name[0] == 0);  // nothing left from an earlier load
    }
  }
}

// Looks up every MMSI the files brought, as decoders would when those stations report.
void Exercise(ShipTable& t, int dynamicRecords, int staticRecords) {
  auto visit = [&](int32_t mmsi) {
    const int i = t.FindOrAddShip(mmsi);
    CHECK(i >= 0 && i < kDefaultDynamicEntries);
    const int found = t.FindShip(mmsi);
    if (i == 0) {
      CHECK(found == -1);
    } else {
      CHECK(found == i);
    }
    DbDynamic e;
    CHECK(t.GetShip(i, e));
    const DbStatic& s = t.StaticOf(e.Link);
    volatile size_t sink = TextLengths(s);
    (void)sink;
    bool existed = false;
    const int si = t.FindOrAddStatic(mmsi, &existed);
    CHECK(si >= 0 && si < kStaticEntries);
    if (i != 0) CHECK(existed);  // the new or found entry already refers to it
    TextLengths(t.StaticEntries()[si]);
  };
  for (int i = 0; i < dynamicRecords && i < kDefaultDynamicEntries; ++i) visit(t.DynamicEntries()[i].MMSI);
  for (int i = 0; i < staticRecords && i < kStaticEntries; ++i) visit(t.StaticEntries()[i].MMSI);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3 || size > (1u << 16)) return 0;
  const uint8_t flags = data[0];
  size_t dynamicSize = static_cast<size_t>(data[1]) | static_cast<size_t>(data[2]) << 8;
  data += 3;
  size -= 3;
  if (dynamicSize > size) dynamicSize = size;
  const fs::path& home = Home();
  PutFile(DynamicDbPath(home), flags & 1, data, dynamicSize);
  PutFile(StaticDbPath(home), flags & 2, data + dynamicSize, size - dynamicSize);

  const int dynamicRecords = (flags & 1) ? static_cast<int>(dynamicSize / sizeof(DbDynamic)) : 0;
  const int staticRecords = (flags & 2) ? static_cast<int>((size - dynamicSize) / sizeof(DbStatic)) : 0;

  ShipTable& table = ReadyTable(0);
  LoadShipDb(table, home);
  CheckLoaded(table, staticRecords);
  if (!(flags & 1)) CHECK(table.DynamicEntries()[0].Lat == 34.5 && table.DynamicEntries()[0].Raw.RawNavStat == 15);
  Exercise(table, dynamicRecords, staticRecords);

  if ((flags >> 2) == 1) {
    const ShipDbSaveResult saved = SaveShipDbFiles(table, home);
    CHECK(saved.dynamicSaved && saved.staticSaved);
    ShipTable& again = ReadyTable(1);
    LoadShipDb(again, home);
    CheckLoaded(again, kStaticEntries);
    CHECK(std::memcmp(again.StaticEntries(), table.StaticEntries(), sizeof(DbStatic) * kStaticEntries) == 0);
    CHECK(std::memcmp(&again.DynamicEntries()[0], &table.DynamicEntries()[0], sizeof(DbDynamic)) == 0);
    for (int i = 1; i < kDefaultDynamicEntries; ++i) {
      DbDynamic want = table.DynamicEntries()[i];
      want.Age = 0;
      want.Link = kNoLink;
      CHECK(std::memcmp(&again.DynamicEntries()[i], &want, sizeof want) == 0);
    }
  }
  return 0;
}
