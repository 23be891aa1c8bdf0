#include "watch/watch_settings.h"

#include <cctype>
#include <string>

#include "common/settings_file.h"

namespace aismon {

namespace {

constexpr char kSection[] = "Watch";

bool Same(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return i == a.size() && b[i] == '\0';
}

void Take(double v, double lo, double hi, double& out) {
  if (v >= lo && v <= hi) out = v;
}

}  // namespace

WatchSettings ReadWatchSettings(const std::filesystem::path& iniPath) {
  WatchSettings s;
  for (const auto& [key, v] : ReadIniNumbers(iniPath, kSection)) {
    if (Same(key, "CpaNm")) Take(v, kCpaMinNm, kCpaMaxNm, s.limits.cpaNm);
    if (Same(key, "TcpaMin")) Take(v, kTcpaMinMin, kTcpaMaxMin, s.limits.tcpaMin);
    if (Same(key, "RangeNm")) Take(v, kRangeMinNm, kRangeMaxNm, s.limits.rangeNm);
    if (Same(key, "Mute") && (v == 0 || v == 1)) s.mute = v == 1;
    if (Same(key, "RepeatS")) Take(v, kRepeatMinS, kRepeatMaxS, s.repeatS);
  }
  return s;
}

bool WriteWatchSettings(const std::filesystem::path& iniPath, const WatchSettings& s) {
  return WriteIniNumbers(iniPath, kSection,
                         {{"CpaNm", s.limits.cpaNm},
                          {"TcpaMin", s.limits.tcpaMin},
                          {"RangeNm", s.limits.rangeNm},
                          {"Mute", s.mute ? 1.0 : 0.0},
                          {"RepeatS", s.repeatS}});
}

}  // namespace aismon
