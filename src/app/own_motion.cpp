#include "app/own_motion.h"

#include <cmath>
#include <cstdlib>
#include <numbers>

#include "shipdb/ship_table.h"

namespace aismon {

namespace {
constexpr double kMsPerHour = 3600000.0;
constexpr double kMinDtHours = 0.0001;  // keeps a burst of runs from dividing by ~0
constexpr double kMinComponentNm = 0.001;
constexpr double kDegToRad = std::numbers::pi / 180.0;
}  // namespace

void EstimateOwnMotion(ShipTable& table, OwnMotionMemory& m, uint32_t nowTick) {
  const double now = nowTick / kMsPerHour;
  // The first run pretends the previous one was 10 s earlier.
  if (m.timeHours == 0.0) m.timeHours = (static_cast<double>(nowTick) - 10000.0) / kMsPerHour;
  double dt = now - m.timeHours;
  if (dt < kMinDtHours) dt = kMinDtHours;
  m.timeHours = now;

  DbDynamic own;
  table.GetShip(0, own);
  const double lat = own.Lat;
  const double lon = own.Lon;
  if (!(lat == 0.0 && lon == 0.0)) {
    if (m.lat == 0.0) {  // nothing to compare with yet: no motion this time
      m.lat = lat;
      m.lon = lon;
    }
    const double dN = (lat - m.lat) * 60.0;
    const double dE = std::cos(lat * kDegToRad) * (lon - m.lon) * 60.0;
    if (own.SogInvalid) own.Sog = std::sqrt(dE * dE + dN * dN) / dt;
    // A move exactly along a meridian or parallel leaves the course as it was.
    if (own.CogInvalid && std::fabs(dE) > kMinComponentNm && std::fabs(dN) > kMinComponentNm)
      own.Cog = std::atan2(dE, dN) / kDegToRad;
    if (std::abs(own.Raw.RawRot) >= 127) own.Rot = own.Cog - m.cog;
  }
  m.lat = lat;
  m.lon = lon;
  m.cog = own.Cog;
  table.PutShip(0, own);
}

uint32_t WakeTicks(int stepSeconds, bool playing, int playbackSpeed) {
  int ticks = stepSeconds * 10;
  if (playing && playbackSpeed > 0) ticks /= playbackSpeed;
  return ticks > 0 ? static_cast<uint32_t>(ticks) : 1u;
}

void AdvanceWakeClock(ShipTable& table) {
  table.wakeHead = (table.wakeHead + 1) % kWakePoints;
  DbDynamic own;
  table.GetShip(0, own);
  table.WakeRings()[0].Points[table.wakeHead] = WakePoint{own.Lat, own.Lon};
}

bool WakeClockTick(ShipTable& table, uint32_t t, uint32_t wakeTicks) {
  if (wakeTicks == 0 || t % wakeTicks != 0) return false;
  AdvanceWakeClock(table);
  return true;
}

}  // namespace aismon
