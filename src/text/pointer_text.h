#pragma once
// The status bar's read-out of the pointer: its position in degrees and minutes, and its
// range and bearing from own ship when own ship has a fix.
#include <string>

namespace aismon {

struct RangeBearing;

std::string PointerStatusText(double lat, double lon, const RangeBearing* fromOwnShip);

}  // namespace aismon
