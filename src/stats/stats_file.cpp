#include "stats/stats_file.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

#include "common/platform.h"
#include "shipdb/ship_db_files.h"
#include "stats/stats_image_v2.h"

namespace aismon {

namespace fs = std::filesystem;

fs::path StatsPath(const fs::path& programFolder) { return programFolder / kDataFolderName / kStatsFileName; }

bool LoadStats(ReceptionStats& stats, const fs::path& programFolder) {
  std::FILE* f = OpenPath(StatsPath(programFolder), "rb");
  if (f == nullptr) return false;
  // The magic and version say which layout follows; the file must hold exactly that much.
  char head[sizeof kStatsMagic + sizeof(uint32_t)] = {};
  uint32_t version = 0;
  const bool headed = std::fread(head, sizeof head, 1, f) == 1 &&
                      std::memcmp(head, kStatsMagic, sizeof kStatsMagic) == 0 && std::fseek(f, 0, SEEK_SET) == 0;
  std::memcpy(&version, head + sizeof kStatsMagic, sizeof version);
  auto image = std::make_unique<StatsImage>();
  bool whole = false;
  if (headed && version == kStatsVersion) {
    whole = std::fread(image.get(), sizeof(StatsImage), 1, f) == 1 && std::fgetc(f) == EOF;
  } else if (headed && version == kStatsVersion2) {
    auto old = std::make_unique<StatsImageV2>();
    whole = std::fread(old.get(), sizeof(StatsImageV2), 1, f) == 1 && std::fgetc(f) == EOF;
    if (whole && old->sourceCount <= kV2Sources && old->binaryKeyCount <= kBinaryKeys) {
      std::memcpy(image->magic, kStatsMagic, sizeof kStatsMagic);
      image->version = kStatsVersion;
      UpgradeStatsImage(*old, *image);
    } else {
      whole = false;
    }
  }
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
