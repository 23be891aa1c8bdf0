#include "app/own_motion.h"

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <string>

#include "common/clock.h"
#include "input/intake.h"
#include "shipdb/ship_table.h"

namespace aismon {
namespace {

constexpr double kDeg = std::numbers::pi / 180.0;
constexpr double kOneMinuteNorth = 1.0 / 60.0;  // one nautical mile of latitude

// Own ship placed as a source left it.
void PlaceOwn(ShipTable& table, double lat, double lon, double sog, double cog, bool sogInvalid, bool cogInvalid,
              int16_t rawRot = 0, double rot = 0.0) {
  DbDynamic own;
  table.GetShip(0, own);
  own.Lat = lat;
  own.Lon = lon;
  own.Sog = sog;
  own.Cog = cog;
  own.Rot = rot;
  own.SogInvalid = sogInvalid;
  own.CogInvalid = cogInvalid;
  own.Raw.RawRot = rawRot;
  table.PutShip(0, own);
}

double AngleGap(double a, double b) {
  const double d = std::fmod(std::fabs(a - b), 360.0);
  return d > 180.0 ? 360.0 - d : d;
}

// "ddmm.mmmm,N,dddmm.mmmm,E" for an RMC sentence.
std::string RmcPosition(double lat, double lon) {
  char buf[64];
  const int latD = static_cast<int>(lat);
  const int lonD = static_cast<int>(lon);
  std::snprintf(buf, sizeof buf, "%02d%07.4f,N,%03d%07.4f,E", latD, (lat - latD) * 60.0, lonD, (lon - lonD) * 60.0);
  return buf;
}

struct RunRow {
  const char* name;
  friend void PrintTo(const RunRow& r, std::ostream* os) { *os << r.name; }
  double course;  // degrees
  double knots;
  bool rmcCarriesMotion;  // speed and course fields filled
  bool optionsOn;         // rmcSogEnabled and rmcHdgEnabled
  double cogTolerance;    // degrees, once the run is steady
  double sogTolerance;    // knots
};

class StraightRuns : public ::testing::TestWithParam<RunRow> {};

// A straight run at constant speed, one RMC a second with a couple of metres of fix noise,
// the estimate run once a second across a wrap of the tick. Once the run is steady every
// second's course and speed stay close to the truth.
TEST_P(StraightRuns, CourseAndSpeedStaySteady) {
  const RunRow& row = GetParam();
  ManualClock clock;
  ShipTable table(clock);
  Intake intake(table);
  intake.options.rmcSogEnabled = row.optionsOn;
  intake.options.rmcHdgEnabled = row.optionsOn;
  std::mt19937 noise(20261209);
  std::uniform_real_distribution<double> metres(-2.0, 2.0);
  OwnMotionMemory memory;
  const double lat0 = 34.6, lon0 = 135.2;
  uint32_t tick = 0xFFFFFFFFu - 60000u;  // the tick wraps a minute into the run
  double worstCog = 0.0, worstSog = 0.0;
  for (int s = 0; s <= 300; ++s, tick += 1000) {
    const double nm = row.knots * s / 3600.0;
    const double north = nm * std::cos(row.course * kDeg) + metres(noise) / 1852.0;
    const double east = nm * std::sin(row.course * kDeg) + metres(noise) / 1852.0;
    const double lat = lat0 + north / 60.0;
    const double lon = lon0 + east / 60.0 / std::cos(lat * kDeg);
    char motion[32] = ",";
    if (row.rmcCarriesMotion) std::snprintf(motion, sizeof motion, "%.1f,%.1f", row.knots, row.course);
    const std::string rmc = "$GPRMC,120000,A," + RmcPosition(lat, lon) + "," + motion + ",091226,,,A*00";
    intake.ProcessSentence(rmc.c_str());
    EstimateOwnMotion(table, memory, tick);
    const DbDynamic& own = table.DynamicEntries()[0];
    if (s < 150) continue;  // two minutes of track, enough for the slowest run
    worstCog = std::max(worstCog, AngleGap(own.Cog, row.course));
    worstSog = std::max(worstSog, std::fabs(own.Sog - row.knots));
    EXPECT_GE(own.Cog, 0.0);
    EXPECT_LT(own.Cog, 360.0);
  }
  EXPECT_LE(worstCog, row.cogTolerance);
  EXPECT_LE(worstSog, row.sogTolerance);
  const DbDynamic& own = table.DynamicEntries()[0];
  if (row.rmcCarriesMotion && row.optionsOn) {
    // What the receiver says is taken as it is.
    EXPECT_EQ(own.CogInvalid, 0);
    EXPECT_EQ(own.SogInvalid, 0);
    EXPECT_DOUBLE_EQ(own.Cog, std::round(row.course * 10) / 10);
  } else {
    EXPECT_EQ(own.CogInvalid, 1);
    EXPECT_EQ(own.SogInvalid, 1);
  }
}

INSTANTIATE_TEST_SUITE_P(
    OwnMotion, StraightRuns,
    ::testing::Values(
        // Course and speed from the receiver.
        RunRow{"Rmc020At8", 20, 8, true, true, 0.0, 0.0}, RunRow{"Rmc090At30", 90, 30, true, true, 0.0, 0.0},
        RunRow{"Rmc359At05", 359, 0.5, true, true, 0.0, 0.0},
        // Estimated from the track: the receiver sends no motion, or the options are off.
        RunRow{"Track020At8", 20, 8, false, true, 5.0, 0.6}, RunRow{"Track090At8", 90, 8, false, true, 5.0, 0.6},
        RunRow{"Track359At8", 359, 8, false, true, 5.0, 0.6}, RunRow{"Track020At05", 20, 0.5, false, true, 15.0, 0.15},
        RunRow{"Track090At05", 90, 0.5, false, true, 15.0, 0.15},
        RunRow{"Track359At05", 359, 0.5, false, true, 15.0, 0.15},
        RunRow{"Track020At30", 20, 30, false, true, 3.0, 1.5}, RunRow{"Track090At30", 90, 30, false, true, 3.0, 1.5},
        RunRow{"Track359At30", 359, 30, false, true, 3.0, 1.5},
        RunRow{"OptionsOff020At8", 20, 8, true, false, 5.0, 0.6}),
    [](const auto& info) { return std::string(info.param.name); });

struct MotionRow {
  const char* name;
  friend void PrintTo(const MotionRow& r, std::ostream* os) { *os << r.name; }
  // Own ship at the first run, then at the second run 30 s later.
  double lat1, lon1, lat2, lon2;
  double sog, cog, rot;  // before the runs
  bool sogInvalid, cogInvalid;
  int16_t rawRot;
  double sog2, cog2, rot2;  // after the second run
};

class OwnMotionCases : public ::testing::TestWithParam<MotionRow> {};

TEST_P(OwnMotionCases, DerivesOnlyWhatIsMarkedInvalid) {
  const MotionRow& r = GetParam();
  ManualClock clock;
  ShipTable table(clock);
  OwnMotionMemory m;
  PlaceOwn(table, r.lat1, r.lon1, r.sog, r.cog, r.sogInvalid, r.cogInvalid, r.rawRot, r.rot);
  EstimateOwnMotion(table, m, 1000000);
  DbDynamic own;
  table.GetShip(0, own);
  own.Lat = r.lat2;
  own.Lon = r.lon2;
  table.PutShip(0, own);
  EstimateOwnMotion(table, m, 1030000);
  table.GetShip(0, own);
  EXPECT_NEAR(own.Sog, r.sog2, 1e-6);
  EXPECT_NEAR(own.Cog, r.cog2, 1e-6);
  EXPECT_NEAR(own.Rot, r.rot2, 1e-6);
  EXPECT_EQ(own.Lat, r.lat2);  // the position is never changed
}

constexpr double kHalfMileNorth = kOneMinuteNorth / 2;  // 0.5 nm in 30 s is 60 knots
double EastOf(double lat, double nm) { return nm / 60.0 / std::cos(lat * kDeg); }

INSTANTIATE_TEST_SUITE_P(
    OwnMotion, OwnMotionCases,
    ::testing::Values(
        MotionRow{"StandingStillSog0CogKept", 34.6, 135.2, 34.6, 135.2, 7.0, 45.0, 0.0, true, true, 0, 0.0, 45.0, 0.0},
        // One component alone is a course too.
        MotionRow{"DueNorth", 34.6, 135.2, 34.6 + kHalfMileNorth, 135.2, 0.0, 45.0, 0.0, true, true, 0, 60.0, 0.0, 0.0},
        MotionRow{"DueEast", 34.6, 135.2, 34.6, 135.2 + EastOf(34.6, 0.5), 0.0, 45.0, 0.0, true, true, 0, 60.0, 90.0, 0.0},
        MotionRow{"DueWest", 34.6, 135.2, 34.6, 135.2 - EastOf(34.6, 0.5), 0.0, 45.0, 0.0, true, true, 0, 60.0, 270.0, 0.0},
        MotionRow{"SouthWestIsIn0To360", 34.6, 135.2, 34.6 - kHalfMileNorth, 135.2 - EastOf(34.6 - kHalfMileNorth, 0.5),
                  0.0, 45.0, 0.0, true, true, 0, 60.0 * std::sqrt(2.0), 225.0, 0.0},
        MotionRow{"AcrossTheDateLine", 10.0, 179.999, 10.0, -179.999 + EastOf(10.0, 0.5) - 0.002, 0.0, 45.0, 0.0, true, true,
                  0, 60.0, 90.0, 0.0},
        // A few metres in 30 s measure a speed but are no course.
        MotionRow{"TooShortForACourse", 34.6, 135.2, 34.6 + 0.005 * kOneMinuteNorth, 135.2, 0.0, 45.0, 0.0, true, true, 0,
                  0.6, 45.0, 0.0},
        MotionRow{"ValidSogAndCogKept", 34.6, 135.2, 34.6 + kHalfMileNorth, 135.3, 12.5, 80.0, 0.0, false, false, 0, 12.5,
                  80.0, 0.0},
        // No usable turn rate: Rot is the change of course, the short way round.
        MotionRow{"RawRot127DerivesRot", 34.6, 135.2, 34.6, 135.2, 0.0, 80.0, 3.0, false, false, 127, 0.0, 80.0, 0.0},
        MotionRow{"RotAcrossNorth", 34.6, 135.2, 34.6 + kHalfMileNorth,
                  135.2 + EastOf(34.6 + kHalfMileNorth, 0.5 * std::tan(1.0 * kDeg)), 0.0, 350.0, 3.0, true, true, -128,
                  60.0 / std::cos(1.0 * kDeg), 1.0, 11.0},
        MotionRow{"RawRot126KeepsRot", 34.6, 135.2, 34.6, 135.2, 0.0, 80.0, 3.0, false, false, 126, 0.0, 80.0, 3.0},
        // A jump of 30 nm in 30 s is a new source, not motion: the track starts again.
        MotionRow{"JumpRestartsTheTrack", 34.6, 135.2, 35.1, 135.2, 7.0, 45.0, 0.0, true, true, 0, 0.0, 45.0, 0.0},
        // No position yet: nothing is derived.
        MotionRow{"NoPositionChangesNothing", 0.0, 0.0, 0.0, 0.0, 5.0, 33.0, 2.0, true, true, 127, 5.0, 33.0, 2.0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OwnMotion, FirstRunSeesNoMotion) {
  ManualClock clock;
  ShipTable table(clock);
  PlaceOwn(table, 34.6, 135.2, 7.0, 45.0, true, true);
  OwnMotionMemory m;
  EstimateOwnMotion(table, m, 20000);
  const DbDynamic& own = table.DynamicEntries()[0];
  EXPECT_EQ(own.Sog, 0.0);
  EXPECT_EQ(own.Cog, 45.0);
}

struct WakeRow {
  const char* name;
  friend void PrintTo(const WakeRow& r, std::ostream* os) { *os << r.name; }
  int step;
  bool playing;
  int speed;
  uint32_t ticks;
};

class WakeTicksCases : public ::testing::TestWithParam<WakeRow> {};

TEST_P(WakeTicksCases, StepInTimerTicks) {
  EXPECT_EQ(WakeTicks(GetParam().step, GetParam().playing, GetParam().speed), GetParam().ticks);
}

INSTANTIATE_TEST_SUITE_P(OwnMotion, WakeTicksCases,
                         ::testing::Values(WakeRow{"Two", 2, false, 1, 20}, WakeRow{"Five", 5, false, 1, 50},
                                           WakeRow{"Ten", 10, false, 1, 100},
                                           WakeRow{"SpeedIgnoredWhenIdle", 5, false, 10, 50},
                                           WakeRow{"TwoAtTimesTen", 2, true, 10, 2},
                                           WakeRow{"FiveAtTimesTwo", 5, true, 2, 25},
                                           WakeRow{"FiveAtTimesTen", 5, true, 10, 5},
                                           WakeRow{"TenAtTimesOne", 10, true, 1, 100}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WakeClock, AdvancesOnMultiplesAndStoresOwnShip) {
  ManualClock clock;
  ShipTable table(clock);
  DbDynamic own;
  table.GetShip(0, own);
  own.Lat = 34.5;
  own.Lon = 135.1;
  table.PutShip(0, own);
  int advanced = 0;
  // The first point before own ship's first fix: its entry is only the start-up centre.
  for (uint32_t t = 1; t <= 100; ++t) advanced += WakeClockTick(table, t, 50, t > 50) ? 1 : 0;
  EXPECT_EQ(advanced, 2);
  EXPECT_EQ(table.wakeHead, 2);
  EXPECT_EQ(table.OwnWake().At(1).Lat, 0.0);
  EXPECT_EQ(table.OwnWake().At(1).Lon, 0.0);
  EXPECT_EQ(table.OwnWake().At(2).Lat, 34.5);
  EXPECT_EQ(table.OwnWake().At(2).Lon, 135.1);
  EXPECT_EQ(table.OwnWake().At(3).Lat, 0.0);
}

TEST(WakeClock, HeadWrapsAt480) {
  ManualClock clock;
  ShipTable table(clock);
  table.wakeHead = 479;
  AdvanceWakeClock(table, true);
  EXPECT_EQ(table.wakeHead, 0);
}

}  // namespace
}  // namespace aismon
