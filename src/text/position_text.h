#pragma once
// Positions as a watch-keeper reads them out: degrees and minutes to three decimals with
// the hemisphere ("35°24.049'N", "139°46.800'E"), and the one line Ctrl+C copies for a
// ship. UTF-8.
#include <cstdint>
#include <string>

#include "shipdb/ship_records.h"

namespace aismon {

// degree is the sign's bytes in the text's encoding (the chart's panels are Shift_JIS).
std::string LatitudeText(double lat, const char* degree = "°");
std::string LongitudeText(double lon, const char* degree = "°");

// "MMSI 431000001, 船名 KOBE MARU, 呼出符号 JA1234, 位置 35°24.049'N 139°46.800'E, SOG 12.3 kn,
// COG 45.0°"; what the station has not reported reads "不明". hasPosition tells whether Lat
// and Lon are a reported position.
std::string ShipCopyLine(const DbDynamic& e, const DbStatic* s, bool hasPosition);

}  // namespace aismon
