#pragma once
// Whether a station's Lat/Lon is a position it actually reported. An entry made by a static
// message holds the placeholder 34.5 N 135.0 E, a reused entry 0/0, a report without a
// position the raw not-available values, and a damaged ship file anything at all: none of
// them may reach the chart's geometry.
#include <cmath>

#include "shipdb/ship_records.h"

namespace aismon {

inline bool IsEarthPosition(double lat, double lon) {
  return std::isfinite(lat) && std::isfinite(lon) && lat >= -90.0 && lat <= 90.0 && lon >= -180.0 &&
         lon <= 180.0;
}

// For entries 1..1024 (own ship's position is known through the RMC fix count instead).
inline bool HasReceivedPosition(const DbDynamic& e) {
  return e.Age != 0 && e.Raw.PosState == kPosReported && !e.LatInvalid && !e.LonInvalid &&
         IsEarthPosition(e.Lat, e.Lon);
}

}  // namespace aismon
