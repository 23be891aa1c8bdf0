#include "shipdb/ship_db_files.h"

#include <cstdio>
#include <cstring>
#include <system_error>

#include "common/platform.h"

#if defined(__linux__)
#include <fcntl.h>
#define AISMON_HAVE_SYNC_FILE_RANGE 1
#endif

namespace aismon {

namespace fs = std::filesystem;

namespace {

size_t DynamicBytes(const ShipTable& table) { return sizeof(DbDynamic) * table.DynamicCount(); }  // 328000 at 1024
constexpr size_t kStaticBytes = sizeof(DbStatic) * kStaticEntries;     // 12960216

// Reads at most `count` records of `recordSize` bytes into dest in one transfer. Only whole
// records count: a trailing partial record is cleared again. False when the file does not open.
bool ReadRecords(const fs::path& path, void* dest, size_t recordSize, size_t count) {
  std::FILE* f = OpenPath(path, "rb");
  if (f == nullptr) return false;
  const size_t got = std::fread(dest, 1, recordSize * count, f);
  std::fclose(f);
  const size_t whole = got / recordSize * recordSize;
  std::memset(static_cast<unsigned char*>(dest) + whole, 0, got - whole);
  return true;
}

fs::path TempOf(const fs::path& target) {
  fs::path temp = target;
  temp += kSaveTempSuffix;
  return temp;
}

fs::path CommitMarkPath(const fs::path& programFolder) { return programFolder / kDataFolderName / kSaveCommitFileName; }

// Writes the image to "<target>.tmp" and has the system start writing it to the disk
// without waiting for it. On any failure the temporary file is removed and false returned.
bool WriteTemp(const fs::path& target, const void* data, size_t size) {
  const fs::path temp = TempOf(target);
  std::FILE* f = OpenPath(temp, "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(data, 1, size, f) == size;
  ok = std::fflush(f) == 0 && ok;
#ifdef AISMON_HAVE_SYNC_FILE_RANGE
  if (ok) sync_file_range(fileno(f), 0, 0, SYNC_FILE_RANGE_WRITE);  // a hint: failure is harmless
#endif
  ok = std::fclose(f) == 0 && ok;
  if (!ok) {
    std::error_code ec;
    fs::remove(temp, ec);
  }
  return ok;
}

// Waits until what was written to path is on the disk.
bool SyncPath(const fs::path& path, bool directory) { return directory ? SyncFolder(path) : SyncFileAt(path); }

// The mark says both images are complete on the disk; once it exists the moves are
// finished by whoever finds it.
bool SetCommitMark(const fs::path& programFolder) {
  const fs::path mark = CommitMarkPath(programFolder);
  std::FILE* f = OpenPath(mark, "wb");
  if (f == nullptr) return false;
  const bool ok = std::fclose(f) == 0;
  return ok && SyncPath(programFolder / kDataFolderName, true);
}

bool MoveIntoPlace(const fs::path& target) {
  if (ReplaceByRename(TempOf(target), target)) return true;
  std::error_code ec;
  fs::remove(TempOf(target), ec);
  return false;
}

void ClearCommitMark(const fs::path& programFolder) {
  const fs::path data = programFolder / kDataFolderName;
  SyncPath(data, true);  // the moves are on the disk before the mark goes
  std::error_code ec;
  fs::remove(CommitMarkPath(programFolder), ec);
  SyncPath(data, true);
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
  RecoverShipDbSave(programFolder);

  DbDynamic* dynamic = table.DynamicEntries();
  std::memset(dynamic, 0, DynamicBytes(table));
  DbDynamic& own = dynamic[0];
  // A file written with another capacity loads the entries that fit: own ship's always
  // comes first, and the stations' entries are freed below whatever their number.
  if (ReadRecords(DynamicDbPath(programFolder), dynamic, sizeof(DbDynamic), table.DynamicCount())) {
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
  for (int i = 1; i < table.DynamicCount(); ++i) dynamic[i].Age = 0;

  DbStatic* statics = table.StaticEntries();
  std::memset(statics, 0, kStaticBytes);
  ReadRecords(StaticDbPath(programFolder), statics, sizeof(DbStatic), kStaticEntries);
  for (int i = 0; i < kStaticEntries; ++i) TerminateTextFields(statics[i]);

  statics[0].UdTime = 1;  // own ship's static record is never free
  own.Reserved8 = 1;
  own.Link = ShipTable::LinkTo(0);
  // The Link slot in the file is meaningless; references are made afresh. The entries are
  // taken anew after each lookup, as the table asks of its writable form.
  for (int i = 1; i < table.DynamicCount(); ++i) {
    const DbDynamic& e = table.DynamicEntries()[i];
    const uint32_t link = e.Age == 0 ? kNoLink : ShipTable::LinkTo(table.FindOrAddStatic(e.MMSI));
    table.DynamicEntries()[i].Link = link;
  }
}

void RecoverShipDbSave(const fs::path& programFolder) {
  std::error_code ec;
  const fs::path targets[2] = {DynamicDbPath(programFolder), StaticDbPath(programFolder)};
  if (fs::exists(CommitMarkPath(programFolder), ec)) {
    // Both images were complete when the mark was set: finish moving them.
    for (const fs::path& target : targets)
      if (fs::is_regular_file(TempOf(target), ec)) MoveIntoPlace(target);
    ClearCommitMark(programFolder);
    return;
  }
  // A save cut off before its mark: its images may be partial and are dropped.
  for (const fs::path& target : targets)
    if (fs::is_regular_file(fs::symlink_status(TempOf(target), ec))) fs::remove(TempOf(target), ec);
}

ShipDbPendingSave BeginShipDbSave(const ShipTable& table, const fs::path& programFolder) {
  RecoverShipDbSave(programFolder);
  ShipDbPendingSave pending;
  pending.dynamicWritten = WriteTemp(DynamicDbPath(programFolder), table.DynamicEntries(), DynamicBytes(table));
  pending.staticWritten = WriteTemp(StaticDbPath(programFolder), table.StaticEntries(), kStaticBytes);
  return pending;
}

ShipDbSaveResult FinishShipDbSave(const ShipDbPendingSave& pending, const fs::path& programFolder, SaveStage stage) {
  ShipDbSaveResult result;
  const fs::path dynamicPath = DynamicDbPath(programFolder);
  const fs::path staticPath = StaticDbPath(programFolder);
  std::error_code ec;
  // An image that cannot be brought to the disk is dropped; the other is still saved.
  bool dynamicReady = pending.dynamicWritten && SyncPath(TempOf(dynamicPath), false);
  bool staticReady = pending.staticWritten && SyncPath(TempOf(staticPath), false);
  if (pending.dynamicWritten && !dynamicReady) fs::remove(TempOf(dynamicPath), ec);
  if (pending.staticWritten && !staticReady) fs::remove(TempOf(staticPath), ec);
  if (!dynamicReady && !staticReady) return result;
  if (stage == SaveStage::kStopBeforeCommit) return result;
  if (!SetCommitMark(programFolder)) {
    fs::remove(TempOf(dynamicPath), ec);
    fs::remove(TempOf(staticPath), ec);
    fs::remove(CommitMarkPath(programFolder), ec);
    return result;
  }
  result.dynamicSaved = dynamicReady && MoveIntoPlace(dynamicPath);
  if (stage == SaveStage::kStopBetweenRenames) return result;
  result.staticSaved = staticReady && MoveIntoPlace(staticPath);
  ClearCommitMark(programFolder);
  return result;
}

ShipDbSaveResult SaveShipDbFiles(const ShipTable& table, const fs::path& programFolder, SaveStage stage) {
  return FinishShipDbSave(BeginShipDbSave(table, programFolder), programFolder, stage);
}

void SaveShipDb(const ShipTable& table, const fs::path& programFolder) { SaveShipDbFiles(table, programFolder); }

}  // namespace aismon
