#pragma once
// The watch's settings, kept in section "Watch" of the settings file: the three limits
// (keys "CpaNm", "TcpaMin", "RangeNm"), the mute switch ("Mute", 0 or 1) and the seconds
// between repeats of an unanswered alarm's sound ("RepeatS").
#include <filesystem>

#include "watch/watch_rules.h"

namespace aismon {

struct WatchSettings {
  WatchLimits limits;
  bool mute = false;
  double repeatS = 10;
};

// The ranges the window offers; a value outside them (or missing) gives the default.
inline constexpr double kCpaMinNm = 0.1, kCpaMaxNm = 10.0;
inline constexpr double kTcpaMinMin = 1.0, kTcpaMaxMin = 60.0;
inline constexpr double kRangeMinNm = 1.0, kRangeMaxNm = 100.0;
inline constexpr double kRepeatMinS = 5, kRepeatMaxS = 120;

WatchSettings ReadWatchSettings(const std::filesystem::path& iniPath);
bool WriteWatchSettings(const std::filesystem::path& iniPath, const WatchSettings& s);

}  // namespace aismon
