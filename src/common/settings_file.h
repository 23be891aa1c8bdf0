#pragma once
// The settings file: an ini file whose section "Map" holds the view centre ("Lat", "Lon").
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace aismon {

inline constexpr double kDefaultCenterLat = 34.6666;
inline constexpr double kDefaultCenterLon = 135.25;

struct MapCenter {
  double lat = kDefaultCenterLat;
  double lon = kDefaultCenterLon;
};

// The lines (without line ends) in place of the file: written beside it with CR LF line
// ends, then renamed over it, so a failure leaves the old file whole. False when not written.
bool ReplaceIniLines(const std::filesystem::path& iniPath, const std::vector<std::string>& out);

// A missing file, key or a value that is not a number gives the defaults.
MapCenter ReadMapCenter(const std::filesystem::path& iniPath);
// Writes the centre with up to 15 significant digits, keeping the file's other sections
// and keys; written beside and renamed over the old file. False when it could not be written.
bool WriteMapCenter(const std::filesystem::path& iniPath, const MapCenter& center);

// The numeric keys of one section, as (key, value) pairs in file order; keys whose value is
// not a number are left out.
std::vector<std::pair<std::string, double>> ReadIniNumbers(const std::filesystem::path& iniPath,
                                                           const char* section);
// Sets the given keys of one section (adding the section or keys where missing), keeping
// everything else; written beside and renamed over the old file. False when not written.
bool WriteIniNumbers(const std::filesystem::path& iniPath, const char* section,
                     const std::vector<std::pair<std::string, double>>& values);

// A key's text (trimmed) in one section, or nothing when the file, section or key is missing.
std::optional<std::string> ReadIniText(const std::filesystem::path& iniPath, const char* section, const char* key);
// As WriteIniNumbers, for text values (one line each, written as they are).
bool WriteIniTexts(const std::filesystem::path& iniPath, const char* section,
                   const std::vector<std::pair<std::string, std::string>>& values);

}  // namespace aismon
