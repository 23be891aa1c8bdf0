#include "watch/range_bearing.h"

#include <algorithm>
#include <cmath>

#include "watch/cpa.h"

namespace aismon {

namespace {
constexpr double kRad = 3.14159265358979323846 / 180.0;
}  // namespace

double GreatCircleNm(double lat1, double lon1, double lat2, double lon2) {
  const double dLat = (lat2 - lat1) * kRad, dLon = (lon2 - lon1) * kRad;
  const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                   std::cos(lat1 * kRad) * std::cos(lat2 * kRad) * std::sin(dLon / 2) * std::sin(dLon / 2);
  return 2.0 * kEarthRadiusNm * std::asin(std::sqrt(std::clamp(h, 0.0, 1.0)));
}

RangeBearing RangeBearingBetween(double lat1, double lon1, double lat2, double lon2) {
  RangeBearing r;
  r.rangeNm = GreatCircleNm(lat1, lon1, lat2, lon2);
  const double p1 = lat1 * kRad, p2 = lat2 * kRad, dl = (lon2 - lon1) * kRad;
  double b = std::atan2(std::sin(dl) * std::cos(p2), std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl)) / kRad;
  if (b < 0) b += 360;
  if (b >= 360) b -= 360;
  r.bearingDeg = b;
  return r;
}

}  // namespace aismon
