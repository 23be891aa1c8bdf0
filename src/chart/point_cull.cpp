#include "chart/point_cull.h"

#include <algorithm>
#include <climits>

namespace aismon {

namespace {

constexpr double kStoredToDegrees = 1e-7;

}  // namespace

// The projection is monotonic in latitude and in longitude, each step of it (turning and
// rounding included), so the points land within the box spanned by the projected corners
// of their own extremes. Near the far side of the world the longitude wraps and that no
// longer holds.
bool PointsSurelyOutside(const ViewState& v, const int32_t* points, int32_t n, const ClipRect& r) {
  if (n <= 0) return false;
  int32_t latMin = INT32_MAX, latMax = INT32_MIN, lonMin = INT32_MAX, lonMax = INT32_MIN;
  for (int32_t i = 0; i < n; ++i) {
    latMin = std::min(latMin, points[2 * i]);
    latMax = std::max(latMax, points[2 * i]);
    lonMin = std::min(lonMin, points[2 * i + 1]);
    lonMax = std::max(lonMax, points[2 * i + 1]);
  }
  const double south = latMin * kStoredToDegrees, north = latMax * kStoredToDegrees;
  const double west = lonMin * kStoredToDegrees, east = lonMax * kStoredToDegrees;
  const double h = v.halfWorldPixels;
  const double xWest = (west - v.centerLon) * v.pixelsPerDegLon, xEast = (east - v.centerLon) * v.pixelsPerDegLon;
  if (!(xWest > -h / 2 && xEast < h / 2)) return false;
  ClipRect corners{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  for (const double lat : {south, north}) {
    for (const double lon : {west, east}) {
      int32_t x, y;
      LatLonToPixel(v, lat, lon, x, y);
      corners.left = std::min(corners.left, x);
      corners.right = std::max(corners.right, x);
      corners.top = std::min(corners.top, y);
      corners.bottom = std::max(corners.bottom, y);
    }
  }
  return Disjoint(corners, r);
}

}  // namespace aismon
