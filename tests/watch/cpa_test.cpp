// CPA and TCPA against cases worked by hand on the flat plane: positions are given as
// nautical miles east and north of own ship, or as plain coordinates where the case is
// about the coordinates themselves (180 degrees of longitude, the pole).
#include "watch/cpa.h"

#include <gtest/gtest.h>

#include <cmath>

namespace aismon {
namespace {

constexpr double kNmPerDegree = kEarthRadiusNm * 3.14159265358979323846 / 180.0;

struct CpaCase {
  const char* name;
  GeoMotion own;
  GeoMotion target;
  double rangeNm, bearingDeg, cpaNm, tcpaMin;
};

// A target east and north of own ship by nautical miles on the plane.
GeoMotion Offset(const GeoMotion& own, double eastNm, double northNm, double sog, double cog) {
  const double lat = own.lat + northNm / kNmPerDegree;
  const double lon = own.lon + eastNm / (kNmPerDegree * std::cos(own.lat * 3.14159265358979323846 / 180.0));
  return GeoMotion{lat, lon, sog, cog};
}

const GeoMotion kNorth10{35.0, 139.0, 10, 0};
const GeoMotion kStill{35.0, 139.0, 0, 0};

const CpaCase kCases[] = {
    // Closing speed 20 kn over 6 NM: they meet in 18 minutes.
    {"head_on", kNorth10, Offset(kNorth10, 0, 6, 10, 180), 6, 0, 0, 18},
    // Relative motion (-10, -10) kn from (6, 0): closest after 0.3 h at (3, -3).
    {"crossing", kNorth10, Offset(kNorth10, 6, 0, 10, 270), 6, 90, 3 * std::sqrt(2.0), 18},
    // Own ship 10 kn faster, 2 NM astern: it runs into the target in 12 minutes.
    {"overtaking", GeoMotion{35.0, 139.0, 15, 0}, Offset(kNorth10, 0, 2, 5, 0), 2, 0, 0, 12},
    // Same course and speed: the range never changes, the closest is now.
    {"parallel", kNorth10, Offset(kNorth10, 1, 0, 10, 0), 1, 90, 1, 0},
    // Slower on the same course, 1 NM abeam and 2 ahead: passes abeam in 24 minutes.
    {"parallel_slower", kNorth10, Offset(kNorth10, 1, 2, 5, 0), std::sqrt(5.0), 26.565, 1, 24},
    // Own ship still: the target crosses 1 NM north of it after 5 NM.
    {"own_ship_still", kStill, Offset(kStill, -5, 1, 10, 90), std::sqrt(26.0), 281.31, 1, 30},
    // Drawing apart: the closest approach was 18 minutes ago; the CPA ahead is the range.
    {"diverging", kStill, Offset(kStill, 0, 3, 10, 0), 3, 0, 3, -18},
    // 0.1 degree apart across the antimeridian on the equator, closing at 10 kn.
    {"across_180E", GeoMotion{0, 179.95, 0, 0}, GeoMotion{0, -179.95, 10, 270}, 0.1 * kNmPerDegree, 90, 0,
     0.1 * kNmPerDegree / 10 * 60},
    // Either side of the north pole at 89.9 N: the target steams north, over the pole,
    // straight at own ship; 0.2 degree of arc between them.
    {"over_the_pole", GeoMotion{89.9, 0, 0, 0}, GeoMotion{89.9, 180, 12, 0}, 0.2 * kNmPerDegree, 0, 0,
     0.2 * kNmPerDegree / 12 * 60},
    // Own ship on the pole itself (east there follows its longitude, 0: east is 90 E):
    // the target 0.1 degree away on meridian 90 E heads north onto it at 6 kn.
    {"at_the_pole", GeoMotion{90, 0, 0, 0}, GeoMotion{89.9, 90, 6, 0}, 0.1 * kNmPerDegree, 90, 0,
     0.1 * kNmPerDegree / 6 * 60},
};

TEST(Cpa, HandWorkedCases) {
  for (const CpaCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const CpaResult r = ComputeCpa(c.own, c.target);
    EXPECT_NEAR(r.rangeNm, c.rangeNm, 0.01);
    EXPECT_NEAR(std::remainder(r.bearingDeg - c.bearingDeg, 360.0), 0, 0.05);
    EXPECT_NEAR(r.cpaNm, c.cpaNm, 0.01);
    EXPECT_NEAR(r.tcpaMin, c.tcpaMin, 0.05);
  }
}

TEST(Cpa, PointsOfClosestApproach) {
  // Head-on: both meet 3 NM north of own ship's position now.
  const CpaResult r = ComputeCpa(kNorth10, Offset(kNorth10, 0, 6, 10, 180));
  EXPECT_NEAR(r.ownCpaLat, 35.0 + 3 / kNmPerDegree, 1e-4);
  EXPECT_NEAR(r.ownCpaLon, 139.0, 1e-4);
  EXPECT_NEAR(r.targetCpaLat, r.ownCpaLat, 1e-4);
  EXPECT_NEAR(r.targetCpaLon, r.ownCpaLon, 1e-4);
  // Drawing apart: the points are where the ships are now.
  const GeoMotion away = Offset(kStill, 0, 3, 10, 0);
  const CpaResult d = ComputeCpa(kStill, away);
  EXPECT_NEAR(d.targetCpaLat, away.lat, 1e-6);
  EXPECT_NEAR(d.ownCpaLat, kStill.lat, 1e-6);
}

}  // namespace
}  // namespace aismon
