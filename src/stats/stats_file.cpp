#include "stats/stats_file.h"

#include <cstdio>
#include <memory>
#include <system_error>

#include "common/platform.h"
#include "shipdb/ship_db_files.h"

namespace aismon {

namespace fs = std::filesystem;

fs::path StatsPath(const fs::path& programFolder) { return programFolder / kDataFolderName / kStatsFileName; }

bool LoadStats(ReceptionStats& stats, const fs::path& programFolder) {
  std::FILE* f = OpenPath(StatsPath(programFolder), "rb");
  if (f == nullptr) return false;
  auto image = std::make_unique<StatsImage>();
  const bool whole = std::fread(image.get(), sizeof(StatsImage), 1, f) == 1 && std::fgetc(f) == EOF;
  std::fclose(f);
  return whole && stats.Restore(*image);
}

bool SaveStats(const ReceptionStats& stats, const fs::path& programFolder) {
  const fs::path target = StatsPath(programFolder);
  fs::path temp = target;
  temp += kSaveTempSuffix;
  std::error_code ec;
  fs::create_directories(target.parent_path(), ec);
  std::FILE* f = OpenPath(temp, "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(&stats.Image(), sizeof(StatsImage), 1, f) == 1;
  ok = std::fflush(f) == 0 && ok;
  ok = std::fclose(f) == 0 && ok;
  if (ok) {
    SyncFileAt(temp);
    ok = ReplaceByRename(temp, target);
  }
  if (!ok) {
    fs::remove(temp, ec);
    return false;
  }
  SyncFolder(target.parent_path());
  return true;
}

}  // namespace aismon
