#include "shipdb/ship_db_files.h"

#include <cstdio>
#include <cstring>
#include <system_error>

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#define AISMON_HAVE_FSYNC 1
#endif

namespace aismon {

namespace fs = std::filesystem;

namespace {

constexpr size_t kDynamicBytes = sizeof(DbDynamic) * kDynamicEntries;  // 328000
constexpr size_t kStaticBytes = sizeof(DbStatic) * kStaticEntries;     // 12960216

std::FILE* OpenFile(const fs::path& path, const char* mode) { return std::fopen(path.string().c_str(), mode); }

// Reads at most `count` records of `recordSize` bytes into dest in one transfer. Only whole
// records count: a trailing partial record is cleared again. False when the file does not open.
bool ReadRecords(const fs::path& path, void* dest, size_t recordSize, size_t count) {
  std::FILE* f = OpenFile(path, "rb");
  if (f == nullptr) return false;
  const size_t got = std::fread(dest, 1, recordSize * count, f);
  std::fclose(f);
  const size_t whole = got / recordSize * recordSize;
  std::memset(static_cast<unsigned char*>(dest) + whole, 0, got - whole);
  return true;
}

// Writes the image to "<target>.tmp" and renames that over target, so that target holds
// either its old contents or the whole new image, never a mixture. On any failure the
// temporary file is removed and false returned.
bool ReplaceFile(const fs::path& target, const void* data, size_t size, SaveStage stage) {
  fs::path temp = target;
  temp += kSaveTempSuffix;
  std::FILE* f = OpenFile(temp, "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(data, 1, size, f) == size;
  ok = std::fflush(f) == 0 && ok;
#ifdef AISMON_HAVE_FSYNC
  // The data must be on the disk before the rename makes it the only copy.
  ok = ok && fsync(fileno(f)) == 0;
#endif
  ok = std::fclose(f) == 0 && ok;
  std::error_code ec;
  if (!ok) {
    fs::remove(temp, ec);
    return false;
  }
  if (stage == SaveStage::kStopBeforeRename) return false;
  fs::rename(temp, target, ec);
  if (ec) {
    fs::remove(temp, ec);
    return false;
  }
  return true;
}

// A damaged file may hold text without its terminator; later readers rely on one.
void TerminateTextFields(DbStatic& s) {
  s.Sign[sizeof s.Sign - 1] = '\0';
  s.Name[sizeof s.Name - 1] = '\0';
  s.Dest[sizeof s.Dest - 1] = '\0';
  s.Memo[sizeof s.Memo - 1] = '\0';
  s.Name1[sizeof s.Name1 - 1] = '\0';
  s.Name2[sizeof s.Name2 - 1] = '\0';
  s.Vendor[sizeof s.Vendor - 1] = '\0';
}

}  // namespace

fs::path DynamicDbPath(const fs::path& programFolder) { return programFolder / kDataFolderName / kDynamicDbFileName; }

fs::path StaticDbPath(const fs::path& programFolder) { return programFolder / kDataFolderName / kStaticDbFileName; }

void LoadShipDb(ShipTable& table, const fs::path& programFolder) {
  if (table.dbLoaded) return;
  table.dbLoaded = true;

  DbDynamic* dynamic = table.DynamicEntries();
  std::memset(dynamic, 0, kDynamicBytes);
  DbDynamic& own = dynamic[0];
  if (ReadRecords(DynamicDbPath(programFolder), dynamic, sizeof(DbDynamic), kDynamicEntries)) {
    // Written this way round so that NaN fails the test too.
    if (!(own.Lat >= -90.0 && own.Lat <= 90.0)) own.Lat = 0.0;
    if (!(own.Lon >= -180.0 && own.Lon <= 180.0)) own.Lon = 0.0;
  } else {
    own.Lat = 34.5;
    own.Lon = 134.25;
    own.Hdg = 0.0;
    own.Cog = 0.0;
    own.Sog = 0.0;
    own.Rot = 0.0;
    own.Raw.RawNavStat = 15;
  }
  // Only own ship survives a restart on the dynamic side.
  for (int i = 1; i < kDynamicEntries; ++i) dynamic[i].Age = 0;

  DbStatic* statics = table.StaticEntries();
  std::memset(statics, 0, kStaticBytes);
  ReadRecords(StaticDbPath(programFolder), statics, sizeof(DbStatic), kStaticEntries);
  for (int i = 0; i < kStaticEntries; ++i) TerminateTextFields(statics[i]);

  statics[0].UdTime = 1;  // own ship's static record is never free
  own.Reserved8 = 1;
  own.Link = ShipTable::LinkTo(0);
  // The Link slot in the file is meaningless; references are made afresh. The entries are
  // taken anew after each lookup, as the table asks of its writable form.
  for (int i = 1; i < kDynamicEntries; ++i) {
    const DbDynamic& e = table.DynamicEntries()[i];
    const uint32_t link = e.Age == 0 ? kNoLink : ShipTable::LinkTo(table.FindOrAddStatic(e.MMSI));
    table.DynamicEntries()[i].Link = link;
  }
}

ShipDbSaveResult SaveShipDbFiles(const ShipTable& table, const fs::path& programFolder, SaveStage stage) {
  ShipDbSaveResult result;
  result.dynamicSaved = ReplaceFile(DynamicDbPath(programFolder), table.DynamicEntries(), kDynamicBytes, stage);
  result.staticSaved = ReplaceFile(StaticDbPath(programFolder), table.StaticEntries(), kStaticBytes, stage);
  return result;
}

void SaveShipDb(const ShipTable& table, const fs::path& programFolder) { SaveShipDbFiles(table, programFolder); }

}  // namespace aismon
