#pragma once
// The statistics file, "@Stats1.bin" in the data folder: the persistent figures as one
// image, written as the ship files are (a temporary file beside it, flushed to the disk,
// then renamed over the old one), so a crash leaves the previous file or the new one.
#include <filesystem>

#include "stats/reception_stats.h"

namespace aismon {

inline constexpr char kStatsFileName[] = "@Stats1.bin";

std::filesystem::path StatsPath(const std::filesystem::path& programFolder);

// False when the file is missing, short, or of another kind or version; the figures are
// then unchanged. A version 2 file gives what it holds (see stats_image_v2.h).
bool LoadStats(ReceptionStats& stats, const std::filesystem::path& programFolder);
// False when it could not be written; the old file is then left as it was.
bool SaveStats(const ReceptionStats& stats, const std::filesystem::path& programFolder);

}  // namespace aismon
