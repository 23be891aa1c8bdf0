#pragma once
// Closest point of approach between own ship and a target, both moving on straight lines
// at constant speed, worked on the flat plane tangent to the earth at own ship. The plane
// is reached through three-dimensional unit vectors, so neither 180 degrees of longitude
// nor the poles bend it: east and north at own ship are defined even at a pole.
namespace aismon {

inline constexpr double kEarthRadiusNm = 3440.065;  // mean radius, nautical miles

struct GeoMotion {
  double lat = 0;  // degrees, north positive
  double lon = 0;  // degrees, east positive
  double sogKn = 0;
  double cogDeg = 0;  // true, clockwise from north
};

struct CpaResult {
  double rangeNm = 0;     // from own ship to the target now
  double bearingDeg = 0;  // true bearing of the target from own ship, 0 .. 360
  // Closest approach ahead. A negative tcpaMin means the ships are drawing apart: the
  // closest is now, so cpaNm is then the present range and the points are where they are.
  double cpaNm = 0;
  double tcpaMin = 0;
  double ownCpaLat = 0, ownCpaLon = 0;        // own ship at the closest approach
  double targetCpaLat = 0, targetCpaLon = 0;  // the target at the closest approach
};

// Relative speeds below this (knots) count as none: the range then stays as it is. Two
// ships on parallel meridians at the same speed do close on the sphere, by a few
// hundredths of a knot, towards a meeting at the pole days away; that is no CPA to show.
inline constexpr double kNoRelativeMotionKn = 0.1;

CpaResult ComputeCpa(const GeoMotion& own, const GeoMotion& target);

}  // namespace aismon
