#include "app/own_motion.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cmath>
#include <numbers>

#include "common/clock.h"
#include "shipdb/ship_table.h"

namespace aismon {
namespace {

struct MotionRow {
  const char* name;
  friend void PrintTo(const MotionRow& r, std::ostream* os) { *os << r.name; }
  // Own ship before the run.
  double lat, lon, sog, cog, rot;
  bool sogInvalid, cogInvalid;
  int16_t rawRot;
  // Memory before the run and the tick of the run.
  OwnMotionMemory memory;
  uint32_t tick;
  // Expected own ship afterwards.
  double sog2, cog2, rot2;
};

class EstimateOwnMotionCases : public ::testing::TestWithParam<MotionRow> {};

constexpr double kOneMinuteNorth = 1.0 / 60.0;  // one nautical mile of latitude

TEST_P(EstimateOwnMotionCases, DerivesWhatIsMarkedInvalid) {
  const MotionRow& r = GetParam();
  ManualClock clock;
  ShipTable table(clock);
  DbDynamic own;
  table.GetShip(0, own);
  own.Lat = r.lat;
  own.Lon = r.lon;
  own.Sog = r.sog;
  own.Cog = r.cog;
  own.Rot = r.rot;
  own.SogInvalid = r.sogInvalid;
  own.CogInvalid = r.cogInvalid;
  own.Raw.RawRot = r.rawRot;
  table.PutShip(0, own);
  OwnMotionMemory m = r.memory;
  EstimateOwnMotion(table, m, r.tick);
  table.GetShip(0, own);
  EXPECT_NEAR(own.Sog, r.sog2, 1e-6);
  EXPECT_NEAR(own.Cog, r.cog2, 1e-6);
  EXPECT_NEAR(own.Rot, r.rot2, 1e-6);
  EXPECT_EQ(own.Lat, r.lat);  // the position is never changed
  EXPECT_EQ(m.lat, r.lat);
  EXPECT_EQ(m.lon, r.lon);
  EXPECT_EQ(m.cog, own.Cog);
  EXPECT_DOUBLE_EQ(m.timeHours, r.tick / 3600000.0);
}

// One hour apart in memory, so that the speed in knots is the distance in miles.
constexpr OwnMotionMemory HourAgo(double lat, double lon, double cog = 0.0) { return {1.0, lat, lon, cog}; }
constexpr uint32_t kTwoHours = 7200000;

INSTANTIATE_TEST_SUITE_P(
    OwnMotion, EstimateOwnMotionCases,
    ::testing::Values(
        // The first run has nothing to compare with: no motion, Sog 0, Cog kept.
        MotionRow{"FirstRunSeesNoMotion", 34.6, 135.2, 7.0, 45.0, 0.0, true, true, 0, {}, 20000, 0.0, 45.0, 0.0},
        MotionRow{"StandingStillSog0CogKept", 34.6, 135.2, 7.0, 45.0, 0.0, true, true, 0, HourAgo(34.6, 135.2), kTwoHours,
                  0.0, 45.0, 0.0},
        MotionRow{"DueNorthUpdatesSogNotCog", 34.6 + kOneMinuteNorth, 135.2, 0.0, 45.0, 0.0, true, true, 0,
                  HourAgo(34.6, 135.2), kTwoHours, 1.0, 45.0, 0.0},
        MotionRow{"DueEastLeavesCog", 34.6, 135.3, 0.0, 45.0, 0.0, true, true, 0, HourAgo(34.6, 135.2), kTwoHours,
                  std::cos(34.6 * std::numbers::pi / 180) * 0.1 * 60, 45.0, 0.0},
        MotionRow{"NorthEastGivesCourse", 34.6 + kOneMinuteNorth, 135.2 + kOneMinuteNorth / std::cos((34.6 + kOneMinuteNorth) * std::numbers::pi / 180),
                  0.0, 10.0, 0.0, true, true, 0, HourAgo(34.6, 135.2), kTwoHours, std::sqrt(2.0), 45.0, 0.0},
        MotionRow{"SouthWestCourseIsNegative", 34.6 - kOneMinuteNorth, 135.2 - kOneMinuteNorth / std::cos((34.6 - kOneMinuteNorth) * std::numbers::pi / 180),
                  0.0, 10.0, 0.0, true, true, 0, HourAgo(34.6, 135.2), kTwoHours, std::sqrt(2.0), -135.0, 0.0},
        MotionRow{"ValidSogAndCogKept", 34.6 + kOneMinuteNorth, 135.3, 12.5, 80.0, 0.0, false, false, 0, HourAgo(34.6, 135.2),
                  kTwoHours, 12.5, 80.0, 0.0},
        // No usable turn rate reported: Rot is the change of course since the last run.
        MotionRow{"RawRot127DerivesRot", 34.6, 135.2, 0.0, 80.0, 3.0, false, false, 127, HourAgo(34.6, 135.2, 70.0), kTwoHours,
                  0.0, 80.0, 10.0},
        MotionRow{"RawRotMinus128DerivesRot", 34.6, 135.2, 0.0, 80.0, 3.0, false, false, -128, HourAgo(34.6, 135.2, 95.0),
                  kTwoHours, 0.0, 80.0, -15.0},
        MotionRow{"RawRot126KeepsRot", 34.6, 135.2, 0.0, 80.0, 3.0, false, false, 126, HourAgo(34.6, 135.2, 70.0), kTwoHours,
                  0.0, 80.0, 3.0},
        // Runs closer than 0.0001 h apart divide by 0.0001 h.
        MotionRow{"TinyIntervalClamped", 34.6 + kOneMinuteNorth, 135.2, 0.0, 0.0, 0.0, true, false, 0,
                  OwnMotionMemory{kTwoHours / 3600000.0, 34.6, 135.2, 0.0}, kTwoHours, 10000.0, 0.0, 0.0},
        // No position yet: nothing is derived; the memory takes the zero position.
        MotionRow{"NoPositionChangesNothing", 0.0, 0.0, 5.0, 33.0, 2.0, true, true, 127, HourAgo(34.6, 135.2, 10.0), kTwoHours,
                  5.0, 33.0, 2.0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OwnMotion, SecondRunAfterTheFirstMeasuresTheMove) {
  ManualClock clock;
  ShipTable table(clock);
  DbDynamic own;
  table.GetShip(0, own);
  own.Lat = 34.6;
  own.Lon = 135.2;
  own.SogInvalid = 1;
  table.PutShip(0, own);
  OwnMotionMemory m;
  EstimateOwnMotion(table, m, 1000000);
  table.GetShip(0, own);
  own.Lat += kOneMinuteNorth / 360.0;  // 1/360 nm in 1 s is 10 knots
  table.PutShip(0, own);
  EstimateOwnMotion(table, m, 1001000);
  table.GetShip(0, own);
  EXPECT_NEAR(own.Sog, 10.0, 1e-6);
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
  for (uint32_t t = 1; t <= 100; ++t) advanced += WakeClockTick(table, t, 50) ? 1 : 0;
  EXPECT_EQ(advanced, 2);
  EXPECT_EQ(table.wakeHead, 2);
  EXPECT_EQ(table.WakeRings()[0].Points[2].Lat, 34.5);
  EXPECT_EQ(table.WakeRings()[0].Points[2].Lon, 135.1);
  EXPECT_EQ(table.WakeRings()[0].Points[3].Lat, 0.0);
}

TEST(WakeClock, HeadWrapsAt480) {
  ManualClock clock;
  ShipTable table(clock);
  table.wakeHead = 479;
  AdvanceWakeClock(table);
  EXPECT_EQ(table.wakeHead, 0);
}

}  // namespace
}  // namespace aismon
