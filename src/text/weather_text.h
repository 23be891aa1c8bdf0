#pragma once
// A weather station's values as its card shows them, one "name value" pair a line, UTF-8;
// a value the station does not measure reads "不明", never a number.
#include <string>

#include "ais/weather_report.h"

namespace aismon {

std::string WeatherCardText(const WeatherReport& w);

// What a ship card says of a position taken from a long-range report.
inline constexpr char kLongRangePositionText[] = "長距離位置（電文27、精度1/10分）";

}  // namespace aismon
