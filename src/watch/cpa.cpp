#include "watch/cpa.h"

#include <cmath>

namespace aismon {

namespace {

constexpr double kRad = 3.14159265358979323846 / 180.0;

struct Vec3 {
  double x, y, z;
};
Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(double k, Vec3 a) { return {k * a.x, k * a.y, k * a.z}; }
double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// The unit vector of a position and the east and north directions there. At a pole east
// follows the longitude given, so the frame is still a proper one.
struct Frame {
  Vec3 up, east, north;
};
Frame FrameAt(double lat, double lon) {
  const double sl = std::sin(lat * kRad), cl = std::cos(lat * kRad);
  const double so = std::sin(lon * kRad), co = std::cos(lon * kRad);
  return {{cl * co, cl * so, sl}, {-so, co, 0}, {-sl * co, -sl * so, cl}};
}

Vec3 Velocity(const Frame& f, double sogKn, double cogDeg) {
  const double c = cogDeg * kRad;
  return (sogKn * std::sin(c)) * f.east + (sogKn * std::cos(c)) * f.north;
}

// The point of the tangent plane at (east, north) nautical miles, back on the sphere.
void ToLatLon(const Frame& own, double east, double north, double& lat, double& lon) {
  const Vec3 p = own.up + (east / kEarthRadiusNm) * own.east + (north / kEarthRadiusNm) * own.north;
  const double n = std::sqrt(Dot(p, p));
  lat = std::asin(std::fmax(-1.0, std::fmin(1.0, p.z / n))) / kRad;
  lon = std::atan2(p.y, p.x) / kRad;
}

}  // namespace

CpaResult ComputeCpa(const GeoMotion& own, const GeoMotion& target) {
  const Frame o = FrameAt(own.lat, own.lon);
  const Frame t = FrameAt(target.lat, target.lon);
  // The target in own ship's plane (nautical miles), and both velocities there (knots).
  const Vec3 d = kEarthRadiusNm * (t.up - o.up);
  const double px = Dot(d, o.east), py = Dot(d, o.north);
  const Vec3 vo3 = Velocity(o, own.sogKn, own.cogDeg);
  const Vec3 vt3 = Velocity(t, target.sogKn, target.cogDeg);
  const double vox = Dot(vo3, o.east), voy = Dot(vo3, o.north);
  const double vtx = Dot(vt3, o.east), vty = Dot(vt3, o.north);
  const double vx = vtx - vox, vy = vty - voy;

  CpaResult r;
  r.rangeNm = std::hypot(px, py);
  double b = std::atan2(px, py) / kRad;
  if (b < 0) b += 360;
  r.bearingDeg = b;
  const double v2 = vx * vx + vy * vy;
  double hours = 0;
  if (v2 > kNoRelativeMotionKn * kNoRelativeMotionKn) hours = -(px * vx + py * vy) / v2;
  r.tcpaMin = hours * 60;
  const double th = hours > 0 ? hours : 0;  // drawing apart: the closest is now
  r.cpaNm = std::hypot(px + vx * th, py + vy * th);
  ToLatLon(o, vox * th, voy * th, r.ownCpaLat, r.ownCpaLon);
  ToLatLon(o, px + vtx * th, py + vty * th, r.targetCpaLat, r.targetCpaLon);
  return r;
}

}  // namespace aismon
