#include "app/own_motion.h"

#include <cmath>
#include <cstdlib>
#include <numbers>

#include "shipdb/ship_table.h"

namespace aismon {

namespace {

constexpr double kMsPerHour = 3600000.0;
constexpr double kDegToRad = std::numbers::pi / 180.0;
// A baseline is long enough once it spans this time and this distance; the course needs
// the ship to have moved at least kMinCourseNm, so that a few metres of fix noise cannot
// turn it about.
constexpr uint32_t kMinBaselineMs = 10000;
constexpr uint32_t kMaxBaselineMs = 120000;
constexpr double kSteadyBaselineNm = 0.05;
constexpr double kMinCourseNm = 0.01;
// A step faster than this is a jump (another source, a playback start), not motion.
constexpr double kMaxPlausibleKnots = 150.0;

// North and east displacement in nautical miles from a to (lat, lon).
void Displacement(const OwnTrackPoint& a, double lat, double lon, double& dN, double& dE) {
  double dLon = lon - a.lon;
  if (dLon > 180.0) dLon -= 360.0;
  if (dLon < -180.0) dLon += 360.0;
  dN = (lat - a.lat) * 60.0;
  dE = std::cos(lat * kDegToRad) * dLon * 60.0;
}

double WrapSigned180(double a) {
  a = std::fmod(a, 360.0);
  if (a > 180.0) a -= 360.0;
  if (a <= -180.0) a += 360.0;
  return a;
}

void Push(OwnMotionMemory& m, uint32_t tick, double lat, double lon) {
  m.newest = (m.newest + 1) % kOwnTrackPoints;
  m.track[static_cast<size_t>(m.newest)] = OwnTrackPoint{tick, lat, lon};
  if (m.count < kOwnTrackPoints) ++m.count;
}

}  // namespace

void EstimateOwnMotion(ShipTable& table, OwnMotionMemory& m, uint32_t nowTick) {
  DbDynamic own;
  table.GetShip(0, own);
  const double lat = own.Lat;
  const double lon = own.Lon;
  const bool known = !(lat == 0.0 && lon == 0.0) && std::isfinite(lat) && std::isfinite(lon);
  if (!known) {
    m.count = 0;  // the next position starts a new track
  } else if (!own.LatInvalid && !own.LonInvalid) {
    if (m.count > 0) {
      // Tick differences are taken unsigned, so a wrapping tick still gives the interval.
      const OwnTrackPoint& last = m.track[static_cast<size_t>(m.newest)];
      const uint32_t stepMs = nowTick - last.tick;
      double dN, dE;
      Displacement(last, lat, lon, dN, dE);
      const double stepHours = (stepMs < 1000u ? 1000u : stepMs) / kMsPerHour;
      if (stepMs > kMaxBaselineMs || std::sqrt(dN * dN + dE * dE) / stepHours > kMaxPlausibleKnots) m.count = 0;
    }
    Push(m, nowTick, lat, lon);

    // The baseline: walk back from the newest point to the first that is far enough.
    const OwnTrackPoint* base = nullptr;
    for (int k = 1; k < m.count; ++k) {
      const OwnTrackPoint& p = m.track[static_cast<size_t>((m.newest - k + kOwnTrackPoints) % kOwnTrackPoints)];
      const uint32_t age = nowTick - p.tick;
      if (age > kMaxBaselineMs) break;
      base = &p;
      double dN, dE;
      Displacement(p, lat, lon, dN, dE);
      if (age >= kMinBaselineMs && std::sqrt(dN * dN + dE * dE) >= kSteadyBaselineNm) break;
    }
    if (base == nullptr) {
      if (own.SogInvalid) own.Sog = 0.0;  // nothing to compare with yet: no motion
    } else {
      double dN, dE;
      Displacement(*base, lat, lon, dN, dE);
      const double distance = std::sqrt(dN * dN + dE * dE);
      const uint32_t spanMs = nowTick - base->tick;
      if (own.SogInvalid) own.Sog = spanMs == 0 ? 0.0 : distance / (spanMs / kMsPerHour);
      if (own.CogInvalid && distance >= kMinCourseNm) {
        double cog = std::atan2(dE, dN) / kDegToRad;
        if (cog < 0.0) cog += 360.0;
        own.Cog = cog;
      }
    }
  }
  // The change of course the short way round: 359 to 1 is 2 degrees, not -358.
  if (known && std::abs(own.Raw.RawRot) >= 127) own.Rot = WrapSigned180(own.Cog - m.cog);
  m.cog = own.Cog;
  table.PutShip(0, own);
}

uint32_t WakeTicks(int stepSeconds, bool playing, int playbackSpeed) {
  int ticks = stepSeconds * 10;
  if (playing && playbackSpeed > 0) ticks /= playbackSpeed;
  return ticks > 0 ? static_cast<uint32_t>(ticks) : 1u;
}

void AdvanceWakeClock(ShipTable& table, bool ownFixed) {
  table.AdvanceWakeHead();
  DbDynamic own;
  table.GetShip(0, own);
  table.OwnWake().Put(table.wakeHead, ownFixed ? WakePoint{own.Lat, own.Lon} : WakePoint{0.0, 0.0});
}

bool WakeClockTick(ShipTable& table, uint32_t t, uint32_t wakeTicks, bool ownFixed) {
  if (wakeTicks == 0 || t % wakeTicks != 0) return false;
  AdvanceWakeClock(table, ownFixed);
  return true;
}

}  // namespace aismon
