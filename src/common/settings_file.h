#pragma once
// The settings file: an ini file whose section "Map" holds the view centre ("Lat", "Lon").
#include <filesystem>

namespace aismon {

inline constexpr double kDefaultCenterLat = 34.6666;
inline constexpr double kDefaultCenterLon = 135.25;

struct MapCenter {
  double lat = kDefaultCenterLat;
  double lon = kDefaultCenterLon;
};

// A missing file, key or a value that is not a number gives the defaults.
MapCenter ReadMapCenter(const std::filesystem::path& iniPath);
// Writes the centre with up to 15 significant digits, keeping the file's other sections
// and keys; written beside and renamed over the old file. False when it could not be written.
bool WriteMapCenter(const std::filesystem::path& iniPath, const MapCenter& center);

}  // namespace aismon
