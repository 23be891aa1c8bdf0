#include "shipdb/station_capacity.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "common/settings_file.h"
#include "shipdb/ship_records.h"

namespace aismon {

namespace {
constexpr char kSection[] = "Table";
constexpr char kKey[] = "Stations";
}  // namespace

bool ParseStationCount(const char* text, int& out) {
  if (text == nullptr || *text < '0' || *text > '9') return false;
  char* end = nullptr;
  const long n = std::strtol(text, &end, 10);
  if (*end != '\0' || n < kMinStations || n > kMaxStations) return false;
  out = static_cast<int>(n);
  return true;
}

int ReadStationCapacity(const std::filesystem::path& iniPath) {
  for (const auto& [key, value] : ReadIniNumbers(iniPath, kSection)) {
    if (key != kKey || !std::isfinite(value)) continue;
    return static_cast<int>(std::clamp(value, double{kMinStations}, double{kMaxStations}));
  }
  return kDefaultStations;
}

bool WriteStationCapacity(const std::filesystem::path& iniPath, int stations) {
  return WriteIniNumbers(iniPath, kSection, {{kKey, std::clamp(stations, kMinStations, kMaxStations)}});
}

}  // namespace aismon
