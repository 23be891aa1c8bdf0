#include "stats/stats_file.h"

#include <cstdio>
#include <memory>
#include <system_error>

#include "shipdb/ship_db_files.h"

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <unistd.h>
#define AISMON_STATS_FSYNC 1
#endif

namespace aismon {

namespace fs = std::filesystem;

namespace {
void SyncToDisk(const fs::path& path, bool directory) {
#ifdef AISMON_STATS_FSYNC
  const int fd = open(path.string().c_str(), directory ? (O_RDONLY | O_DIRECTORY) : O_RDONLY);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
#else
  (void)path;
  (void)directory;
#endif
}
}  // namespace

fs::path StatsPath(const fs::path& programFolder) { return programFolder / kDataFolderName / kStatsFileName; }

bool LoadStats(ReceptionStats& stats, const fs::path& programFolder) {
  std::FILE* f = std::fopen(StatsPath(programFolder).string().c_str(), "rb");
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
  std::FILE* f = std::fopen(temp.string().c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(&stats.Image(), sizeof(StatsImage), 1, f) == 1;
  ok = std::fflush(f) == 0 && ok;
  ok = std::fclose(f) == 0 && ok;
  if (ok) {
    SyncToDisk(temp, false);
    fs::rename(temp, target, ec);
    ok = !ec;
  }
  if (!ok) {
    fs::remove(temp, ec);
    return false;
  }
  SyncToDisk(target.parent_path(), true);
  return true;
}

}  // namespace aismon
