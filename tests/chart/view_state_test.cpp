#include "chart/view_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "common/clock.h"
#include "input/intake.h"
#include "shipdb/ship_table.h"

namespace aismon {
namespace {

constexpr double kLat = 34.7;
constexpr double kLon = 135.25;
constexpr int32_t kW = 1920;  // work bitmap of a 960 x 1000 paint box
constexpr int32_t kH = 2000;

ViewState ViewAt(double lat, double lon, double rotation, double mpp) {
  ViewState v;
  SetupViewGeometry(v, kW, kH, lat, lon, rotation, mpp);
  return v;
}

// --- Projection -----------------------------------------------------------------------

struct ProjectionCase {
  std::string name;
  double rotation;
  double dLatPx, dLonPx;  // offset of the point from the centre in pixels (north, east)
  int32_t x, y;           // expected work pixel
  int32_t tolerance;      // pixels either way the integer rotation may round
};

class ProjectionTest : public testing::TestWithParam<ProjectionCase> {};

TEST_P(ProjectionTest, LandsOnExpectedPixel) {
  const ProjectionCase& c = GetParam();
  const ViewState v = ViewAt(kLat, kLon, c.rotation, 15);
  int32_t x = -1, y = -1;
  const bool near =
      LatLonToPixel(v, kLat + c.dLatPx * v.degLatPerPixel, kLon + c.dLonPx * v.degLonPerPixel, x, y);
  EXPECT_TRUE(near);
  EXPECT_NEAR(x, c.x, c.tolerance);
  EXPECT_NEAR(y, c.y, c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProjectionTest,
    testing::Values(ProjectionCase{"centre", 0, 0, 0, kW / 2, kH / 2, 0},
                    ProjectionCase{"east_100px", 0, 0, 100, kW / 2 + 100, kH / 2, 0},
                    ProjectionCase{"north_100px", 0, 100, 0, kW / 2, kH / 2 - 100, 0},
                    // Turned so that east points up: a point east of the centre is above it.
                    ProjectionCase{"rot90_east_is_up", 90, 0, 100, kW / 2, kH / 2 - 100, 1},
                    ProjectionCase{"rot90_north_is_left", 90, 100, 0, kW / 2 - 100, kH / 2, 1},
                    ProjectionCase{"rot180_north_is_down", 180, 100, 0, kW / 2, kH / 2 + 100, 1},
                    ProjectionCase{"rot0_centre_exact_with_rotation_flag", 0.0, 0, 0, kW / 2, kH / 2, 0}),
    [](const testing::TestParamInfo<ProjectionCase>& i) { return i.param.name; });

// Positions no pixel can hold are pinned a billion pixels out, never near the picture.
TEST(Projection, UnrepresentablePositionsArePinnedFarOutside) {
  const double nan = std::nan(""), inf = INFINITY;
  struct Case {
    double lat, lon;
    int32_t x, y;
  };
  const Case cases[] = {
      {nan, 135.0, 960, 1000000000},        {34.7, nan, 1000000000, 1000},
      {1e300, 135.0, 960, -1000000000},     {-1e300, 135.0, 960, 1000000000},
      {inf, 135.0, 960, -1000000000},       {-inf, 135.0, 960, 1000000000},
      {34.7, inf, 1000000000, 1000},
  };
  const ViewState v = ViewAt(34.7, 135.0, 0, 15);
  for (const Case& c : cases) {
    int32_t x = 0, y = 0;
    EXPECT_FALSE(LatLonToPixel(v, c.lat, c.lon, x, y)) << c.lat << "," << c.lon;
    EXPECT_EQ(x, c.x) << c.lat << "," << c.lon;
    EXPECT_EQ(y, c.y) << c.lat << "," << c.lon;
  }
}

// The north-up projection written out plainly, for offsets within half a world: the pixel
// truncated toward zero, then pinned.
void ReferencePixel(const ViewState& v, double lat, double lon, int32_t& x, int32_t& y) {
  const double y0 = (lat - v.centerLat) * v.pixelsPerDegLat;
  const double x0 = (lon - v.centerLon) * v.pixelsPerDegLon;
  auto pin = [](double t) {
    if (std::isnan(t)) return 1000000000;
    return static_cast<int32_t>(std::min(std::max(t, -1e9), 1e9));
  };
  x = pin(std::trunc(v.width / 2 + x0 + 0.5));
  y = pin(std::trunc(v.height / 2 - y0 + 0.5));
}

// Pixels just either side of zero and of the far pins, at every scale: the projection
// agrees with the plain formula to the pixel.
TEST(Projection, AgreesWithTruncateThenPinEverywhere) {
  uint64_t s = 88172645463325252ull;
  auto next = [&s] {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return static_cast<double>(s >> 11) / 9007199254740992.0;
  };
  // Pixel offsets from the centre that put the result right at zero and at the pins.
  std::vector<double> special;
  for (const double d : {-1.5, -0.75, -0.5, -0.25, 0.0, 0.25, 0.5, 0.75, 1.5}) {
    special.push_back(d - kW / 2.0 - 0.5);
    special.push_back(1e9 - kW / 2.0 + d);
    special.push_back(-1e9 - kW / 2.0 + d);
  }
  for (const double mpp : {0.1, 1.0, 15.0, 100.0, 10000.0}) {
    const ViewState v = ViewAt(kLat, kLon, 0, mpp);
    for (size_t i = 0; i < 20000; ++i) {
      // Offsets from a pixel up to beyond a billion pixels, either way, and the special ones.
      const double pixels = i < 2 * special.size() ? special[i / 2] : std::pow(10.0, next() * 10.5) * (next() < 0.5 ? -1 : 1);
      const double otherPixels = (next() - 0.5) * 4 * kW;
      // Even rounds move east or west, odd ones north or south; east and west stay within
      // half a world, beyond which the projection wraps round.
      const bool east = i % 2 == 0;
      const double lat = kLat + (east ? otherPixels : pixels) * v.degLatPerPixel;
      const double lon = kLon + std::fmod(east ? pixels : otherPixels, 0.999 * v.halfWorldPixels) * v.degLonPerPixel;
      int32_t x = 0, y = 0, rx = 0, ry = 0;
      LatLonToPixel(v, lat, lon, x, y);
      ReferencePixel(v, lat, lon, rx, ry);
      ASSERT_EQ(x, rx) << "lat " << lat << " lon " << lon << " mpp " << mpp;
      ASSERT_EQ(y, ry) << "lat " << lat << " lon " << lon << " mpp " << mpp;
    }
  }
}

TEST(Projection, OneNauticalMileNorthAt15IsHalfHeightMinus123) {
  const ViewState v = ViewAt(kLat, kLon, 0, 15);
  int32_t x = 0, y = 0;
  ASSERT_TRUE(LatLonToPixel(v, kLat + 1.0 / 60, kLon, x, y));
  EXPECT_EQ(x, kW / 2);
  EXPECT_EQ(y, kH / 2 - 123);  // -123.47 + 0.5 truncated toward zero
}

struct WrapCase {
  std::string name;
  double dLon;        // offset given
  double drawnAsDLon; // the offset it must be drawn at
};

class LongitudeWrapTest : public testing::TestWithParam<WrapCase> {};

TEST_P(LongitudeWrapTest, DrawnWithinHalfAWorld) {
  const WrapCase& c = GetParam();
  const ViewState v = ViewAt(kLat, kLon, 0, 1000);
  int32_t x = 0, y = 0, wx = 0, wy = 0;
  LatLonToPixel(v, kLat, kLon + c.dLon, x, y);
  LatLonToPixel(v, kLat, kLon + c.drawnAsDLon, wx, wy);
  EXPECT_NEAR(x, wx, 1);
  EXPECT_EQ(y, wy);
}

INSTANTIATE_TEST_SUITE_P(Cases, LongitudeWrapTest,
                         testing::Values(WrapCase{"east_359_is_west_1", 359, -1},
                                         WrapCase{"west_359_is_east_1", -359, 1},
                                         WrapCase{"east_181_is_west_179", 181, -179},
                                         WrapCase{"west_181_is_east_179", -181, 179},
                                         WrapCase{"east_719_is_west_1", 719, -1},
                                         WrapCase{"west_719_is_east_1", -719, 1}),
                         [](const testing::TestParamInfo<WrapCase>& i) { return i.param.name; });

TEST(Projection, FarAwayPointIsNotNearButStillWritten) {
  const ViewState v = ViewAt(kLat, kLon, 0, 0.1);
  int32_t x = 12345, y = 12345;
  EXPECT_FALSE(LatLonToPixel(v, kLat + 10, kLon + 10, x, y));
  EXPECT_GT(x, kW + 100);
  EXPECT_LT(y, -100);
}

TEST(Projection, NearPictureMargin) {
  const ViewState v = ViewAt(kLat, kLon, 0, 15);
  int32_t x = 0, y = 0;
  // 50 pixels beyond the left edge is near; 150 is not.
  EXPECT_TRUE(LatLonToPixel(v, kLat, kLon - (kW / 2 + 50) * v.degLonPerPixel, x, y));
  EXPECT_FALSE(LatLonToPixel(v, kLat, kLon - (kW / 2 + 150) * v.degLonPerPixel, x, y));
  EXPECT_TRUE(LatLonToPixel(v, kLat - (kH / 2 + 50) * v.degLatPerPixel, kLon, x, y));
  EXPECT_FALSE(LatLonToPixel(v, kLat - (kH / 2 + 150) * v.degLatPerPixel, kLon, x, y));
}

// --- Geometry -------------------------------------------------------------------------

struct ScaleCase {
  std::string name;
  double lat;
  double k;  // the longitude factor that must be used
};

class LongitudeScaleTest : public testing::TestWithParam<ScaleCase> {};

TEST_P(LongitudeScaleTest, UsesClampedCosine) {
  const ScaleCase& c = GetParam();
  const ViewState v = ViewAt(c.lat, kLon, 0, 15);
  EXPECT_DOUBLE_EQ(v.degLonPerPixel, 15.0 / 1852 / (60 * c.k));
  EXPECT_DOUBLE_EQ(v.degLatPerPixel, 15.0 / 1852 / 60);
  // cosCenterLat itself is not limited.
  EXPECT_NEAR(v.cosCenterLat, std::cos(c.lat * 3.141592653589793 / 180), 1e-12);
  EXPECT_DOUBLE_EQ(v.halfWorldPixels, 180 / v.degLonPerPixel);
}

INSTANTIATE_TEST_SUITE_P(Cases, LongitudeScaleTest,
                         testing::Values(ScaleCase{"equator", 0, 1.0}, ScaleCase{"osaka", 34.7, std::cos(34.7 * 3.141592653589793 / 180)},
                                         ScaleCase{"lat80_above_clamp", 80, std::cos(80 * 3.141592653589793 / 180)},
                                         ScaleCase{"lat85_clamped", 85, 0.173}, ScaleCase{"south85_clamped", -85, 0.173},
                                         ScaleCase{"pole_clamped", 90, 0.173}),
                         [](const testing::TestParamInfo<ScaleCase>& i) { return i.param.name; });

TEST(Geometry, EdgesIgnoreRotationAndQ12Factors) {
  const ViewState v = ViewAt(kLat, kLon, 30, 15);
  EXPECT_DOUBLE_EQ(v.northLat, kLat + (kH / 2) * v.degLatPerPixel);
  EXPECT_DOUBLE_EQ(v.southLat, kLat - (kH / 2) * v.degLatPerPixel);
  EXPECT_DOUBLE_EQ(v.westLon, kLon - (kW / 2) * v.degLonPerPixel);
  EXPECT_DOUBLE_EQ(v.eastLon, kLon + (kW / 2) * v.degLonPerPixel);
  EXPECT_EQ(v.cosRotQ12, 3547);  // 3547.19 truncated
  EXPECT_EQ(v.sinRotQ12, 2047);  // 2047.99.. truncated, not rounded
}

// --- PixelToLatLon --------------------------------------------------------------------

struct InverseCase {
  std::string name;
  int32_t px, py;  // paint-box point
  double dLatPx, dLonPx;  // expected offset from the centre in work pixels
};

class PixelToLatLonTest : public testing::TestWithParam<InverseCase> {};

TEST_P(PixelToLatLonTest, PaintPointToPosition) {
  const InverseCase& c = GetParam();
  const ViewState v = ViewAt(kLat, kLon, 45, 15);  // no rotation is undone
  double lat = 0, lon = 0;
  PixelToLatLon(v, c.px, c.py, lat, lon);
  EXPECT_NEAR(lat, kLat + c.dLatPx * v.degLatPerPixel, 1e-12);
  EXPECT_NEAR(lon, kLon + c.dLonPx * v.degLonPerPixel, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Cases, PixelToLatLonTest,
                         testing::Values(InverseCase{"paint_centre", kW / 4, kH / 4, 0, 0},
                                         InverseCase{"one_paint_pixel_right", kW / 4 + 1, kH / 4, 0, 2},
                                         InverseCase{"one_paint_pixel_down", kW / 4, kH / 4 + 1, -2, 0},
                                         InverseCase{"top_left", 0, 0, kH / 2, -kW / 2}),
                         [](const testing::TestParamInfo<InverseCase>& i) { return i.param.name; });

TEST(PixelToLatLon, RoundTripsThroughTheProjection) {
  const ViewState v = ViewAt(kLat, kLon, 0, 15);
  for (const auto& [px, py] : std::vector<std::pair<int, int>>{{0, 0}, {100, 700}, {959, 999}, {480, 500}}) {
    double lat = 0, lon = 0;
    PixelToLatLon(v, px, py, lat, lon);
    int32_t x = 0, y = 0;
    LatLonToPixel(v, lat, lon, x, y);
    EXPECT_NEAR(x, 2 * px, 1) << px << "," << py;
    EXPECT_NEAR(y, 2 * py, 1) << px << "," << py;
  }
}

// --- RotatePixel ----------------------------------------------------------------------

TEST(RotatePixel, IdentityAtZero) {
  RotatePixelCache rot;
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {5, 1999}, {1919, 3}, {-700, 4000}, {960, 1000}}) {
    const PixelPoint p = rot.Rotate(kW, kH, 0, x, y);
    EXPECT_EQ(p.x, x);
    EXPECT_EQ(p.y, y);
  }
}

struct RotateCase {
  std::string name;
  double angle;
  int32_t dx, dy;          // point relative to the centre
  int32_t ex, ey;          // expected, relative to the centre
};

class RotatePixelTest : public testing::TestWithParam<RotateCase> {};

TEST_P(RotatePixelTest, TurnsAboutTheCentre) {
  const RotateCase& c = GetParam();
  RotatePixelCache rot;
  const PixelPoint p = rot.Rotate(kW, kH, c.angle, kW / 2 + c.dx, kH / 2 + c.dy);
  EXPECT_EQ(p.x - kW / 2, c.ex);
  EXPECT_EQ(p.y - kH / 2, c.ey);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RotatePixelTest,
    testing::Values(
        // The same turn as the projection: at 90 a point to the right (east) goes up.
        RotateCase{"r90_right_goes_up", 90, 100, 0, 0, -100}, RotateCase{"r90_up_goes_left", 90, 0, -100, -100, 0},
        RotateCase{"r180_right_goes_left", 180, 100, 0, -100, 0},
        // sin(-30) x 16384 truncates to -8191, cos to 14188: (1000 x 14188) >> 14 = 865,
        // (1000 x -8191) >> 14 = -500 (the shift rounds toward minus infinity).
        RotateCase{"r30_right", 30, 1000, 0, 865, -500},
        // ... and the other way: (-1000 x 14188) >> 14 = -866, (1000 x 8191) >> 14 = 499.
        RotateCase{"r30_left", 30, -1000, 0, -866, 499}),
    [](const testing::TestParamInfo<RotateCase>& i) { return i.param.name; });

TEST(RotatePixel, CacheFollowsTheAngle) {
  RotatePixelCache rot;
  const PixelPoint a = rot.Rotate(kW, kH, 90, kW / 2 + 100, kH / 2);
  const PixelPoint b = rot.Rotate(kW, kH, 0, kW / 2 + 100, kH / 2);
  const PixelPoint c = rot.Rotate(kW, kH, 90, kW / 2 + 100, kH / 2);
  EXPECT_EQ(a.y, kH / 2 - 100);
  EXPECT_EQ(b.x, kW / 2 + 100);  // not the cached 90-degree factors
  EXPECT_EQ(b.y, kH / 2);
  EXPECT_EQ(c.x, a.x);
  EXPECT_EQ(c.y, a.y);
}

TEST(RotatePixel, AgreesWithTheProjectionTurn) {
  const ViewState v = ViewAt(kLat, kLon, 37, 15);
  const ViewState flat = ViewAt(kLat, kLon, 0, 15);
  RotatePixelCache rot;
  const double lat = kLat + 300 * v.degLatPerPixel, lon = kLon + 500 * v.degLonPerPixel;
  int32_t x = 0, y = 0, fx = 0, fy = 0;
  LatLonToPixel(v, lat, lon, x, y);
  LatLonToPixel(flat, lat, lon, fx, fy);
  const PixelPoint p = rot.Rotate(kW, kH, 37, fx, fy);
  EXPECT_NEAR(p.x, x, 2);
  EXPECT_NEAR(p.y, y, 2);
}

// --- FitAllShips and the per-frame update ---------------------------------------------

struct Ship {
  int32_t mmsi;
  double lat, lon;
  uint32_t age;
  int16_t aids;
};

struct FitCase {
  std::string name;
  std::vector<Ship> ships;
  bool changes;
  double lat, lon, mpp;  // expected when it changes
};

class FitAllShipsTest : public testing::TestWithParam<FitCase> {};

TEST_P(FitAllShipsTest, CentresAndScales) {
  const FitCase& c = GetParam();
  ManualClock clock(1000);
  ShipTable table(clock);
  for (const Ship& s : c.ships) {
    const int slot = table.FindOrAddShip(s.mmsi);
    ASSERT_GT(slot, 0);
    DbDynamic e;
    ASSERT_TRUE(table.GetShip(slot, e));
    e.Age = s.age;
    e.Raw.PosState = kPosReported;
    e.Lat = s.lat;
    e.Lon = s.lon;
    table.PutShip(slot, e);
    table.FindOrAddStaticEntry(s.mmsi).Aids = s.aids;
  }
  ViewState v;
  v.centerLat = 1;
  v.centerLon = 2;
  v.metersPerPixel = 3;
  ViewFitFilter filter(kDefaultDynamicEntries);
  FitAllShips(v, table, 1000, filter);
  if (!c.changes) {
    EXPECT_EQ(v.centerLat, 1);
    EXPECT_EQ(v.centerLon, 2);
    EXPECT_EQ(v.metersPerPixel, 3);
    return;
  }
  EXPECT_NEAR(v.centerLat, c.lat, 1e-9);
  EXPECT_NEAR(v.centerLon, c.lon, 1e-9);
  EXPECT_NEAR(v.metersPerPixel, c.mpp, 1e-6);
}

// Two vessels one degree of latitude apart: span 1.000002, 1.000002 x 111120 / 1800.
constexpr double kDegreeSpanMpp = 1.000002 * 111120 / 1800;

// Six ships in Tokyo Bay: 35.35..35.60 N, 139.70..139.90 E; the latitude span rules.
const std::vector<Ship> kTokyoBay = {{431000001, 35.45, 139.75, 1, 0}, {431000002, 35.50, 139.80, 1, 0},
                                     {431000003, 35.40, 139.70, 1, 0}, {431000004, 35.55, 139.85, 1, 0},
                                     {431000005, 35.35, 139.72, 1, 0}, {431000006, 35.60, 139.90, 1, 0}};
constexpr double kTokyoBayMpp = 0.250002 * 111120 / 1800;
std::vector<Ship> With(std::vector<Ship> ships, std::vector<Ship> more) {
  ships.insert(ships.end(), more.begin(), more.end());
  return ships;
}
// Tokyo, Nagoya, Kobe and Osaka: a coast-wide pool, all of it kept.
const double kCoastMpp = std::cos(35.05 * 3.141592653589793 / 180) * 4.600002 * 111120 / 1800;

INSTANTIATE_TEST_SUITE_P(
    Cases, FitAllShipsTest,
    testing::Values(
        FitCase{"no_ships", {}, false, 0, 0, 0},
        FitCase{"one_vessel", {{431000001, 34.5, 135.1, 1, 0}}, false, 0, 0, 0},
        FitCase{"only_aids", {{992431001, 34.5, 135.1, 1, 21}, {992431002, 34.6, 135.2, 1, 1}}, false, 0, 0, 0},
        FitCase{"vessel_and_aid", {{431000001, 34.5, 135.1, 1, 0}, {992431002, 34.6, 135.2, 1, 21}}, false, 0, 0, 0},
        FitCase{"second_vessel_lost", {{431000001, 34.5, 135.1, 1, 0}, {431000002, 34.6, 135.2, 600001, 0}}, false, 0, 0, 0},
        FitCase{"same_point_gives_10", {{431000001, 34.5, 135.1, 1, 0}, {431000002, 34.5, 135.1, 1, 0}}, true, 34.5, 135.1, 10},
        FitCase{"age_600000_still_counts",
                {{431000001, 34.5, 135.1, 1, 0}, {431000002, 35.5, 135.1, 600000, 0}},
                true, 35.0, 135.1, kDegreeSpanMpp},
        FitCase{"latitude_span", {{431000001, 34.5, 135.1, 1, 0}, {431000002, 35.5, 135.1, 5000, 0}}, true, 35.0, 135.1,
                kDegreeSpanMpp},
        // 0.1 degree would give 6.2 m per pixel: the scale stops at 10.
        FitCase{"small_span_floored_at_10", {{431000001, 34.5, 135.1, 1, 0}, {431000002, 34.6, 135.1, 1, 0}}, true, 34.55,
                135.1, 10},
        // No single station spoils the view: 0 degrees 0 degrees never counts, a station far
        // from the rest counts once there are enough stations to outvote it.
        FitCase{"tokyo_bay", kTokyoBay, true, 35.475, 139.80, kTokyoBayMpp},
        FitCase{"tokyo_bay_and_null_island", With(kTokyoBay, {{431000007, 0.0, 0.0, 1, 0}}), true, 35.475, 139.80,
                kTokyoBayMpp},
        FitCase{"tokyo_bay_and_nearly_null_island", With(kTokyoBay, {{431000007, 0.009, -0.009, 1, 0}}), true, 35.475,
                139.80, kTokyoBayMpp},
        FitCase{"tokyo_bay_and_a_station_off_california", With(kTokyoBay, {{431000007, 35.5, -120.0, 1, 0}}), true,
                35.475, 139.80, kTokyoBayMpp},
        FitCase{"two_and_null_island",
                {{431000001, 34.5, 135.1, 1, 0}, {431000002, 35.5, 135.1, 1, 0}, {431000003, 0.0, 0.0, 1, 0}}, true,
                35.0, 135.1, kDegreeSpanMpp},
        FitCase{"null_island_and_one", {{431000001, 0.0, 0.0, 1, 0}, {431000002, 35.5, 135.1, 1, 0}}, false, 0, 0, 0},
        FitCase{"coast_wide_all_kept",
                {{431000001, 35.5, 139.8, 1, 0}, {431000002, 35.0, 136.9, 1, 0}, {431000003, 34.68, 135.2, 1, 0},
                 {431000004, 34.6, 135.2, 1, 0}},
                true, 35.05, 137.5, kCoastMpp}),
    [](const testing::TestParamInfo<FitCase>& i) { return i.param.name; });

struct StreamFitRow {
  const char* file;
  bool allKept;  // one receiver's traffic: nothing is far from the rest
  double south, north, west, east;  // where the fitted centre must lie
};

// Real streams: one receiver's traffic is kept whole and the view centred on it; of a
// worldwide aggregate at least the main body is kept (far clusters are still drawn); one
// station at 0 degrees 0 degrees changes nothing.
TEST(FitAllShips, RealStreamsKeepTheirTrafficAndIgnoreNullIsland) {
  const StreamFitRow rows[] = {{"rx-netherlands-rmc-vdm.log", true, 52, 54, 4, 7},
                               {"rx-traffic-sample.nmea", true, 35, 40, 20, 27},
                               {"rx-mixed-type6.log", false, -90, 90, -180, 180}};
  for (const StreamFitRow& r : rows) {
    SCOPED_TRACE(r.file);
    std::ifstream in(std::string(AISMON_CORPUS_DIR) + "/" + r.file, std::ios::binary);
    if (!in) GTEST_SKIP() << "no corpus here";
    ManualClock clock(1000);
    ShipTable table(clock);
    Intake intake(table);
    for (std::string line; std::getline(in, line);) {
      while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
      intake.AcceptLine(line.c_str());
    }
    ViewState v;
    ViewFitFilter filter(kDefaultDynamicEntries);
    FitAllShips(v, table, 1000, filter);
    size_t kept = 0;
    for (size_t i = 0; i < filter.Count(); ++i) kept += filter.Kept(i) ? 1 : 0;
    ASSERT_GE(filter.Count(), 10u);
    if (r.allKept) {
      EXPECT_EQ(kept, filter.Count());
    }
    EXPECT_GE(kept * 2, filter.Count());
    EXPECT_TRUE(v.centerLat > r.south && v.centerLat < r.north && v.centerLon > r.west && v.centerLon < r.east)
        << v.centerLat << " " << v.centerLon;

    DbDynamic e;
    const int slot = table.FindOrAddShip(431999999);
    table.GetShip(slot, e);
    e.Age = 1;
    e.Raw.PosState = kPosReported;
    e.Lat = 0;
    e.Lon = 0;
    table.PutShip(slot, e);
    ViewState w;
    FitAllShips(w, table, 1000, filter);
    EXPECT_EQ(w.centerLat, v.centerLat);
    EXPECT_EQ(w.centerLon, v.centerLon);
    EXPECT_EQ(w.metersPerPixel, v.metersPerPixel);
  }
}

TEST(FitAllShips, LongitudeSpanShrinksWithCosine) {
  ManualClock clock(1000);
  ShipTable table(clock);
  const double lons[] = {135.0, 136.0};
  for (int i = 0; i < 2; ++i) {
    const int slot = table.FindOrAddShip(431000001 + i);
    DbDynamic e;
    table.GetShip(slot, e);
    e.Age = 1;
    e.Raw.PosState = kPosReported;
    e.Lat = 60;
    e.Lon = lons[i];
    table.PutShip(slot, e);
  }
  ViewState v;
  ViewFitFilter filter(kDefaultDynamicEntries);
  FitAllShips(v, table, 500, filter);
  EXPECT_NEAR(v.centerLon, 135.5, 1e-9);
  const double span = std::cos(60 * 3.141592653589793 / 180) * 1.000002;
  EXPECT_NEAR(v.metersPerPixel, span * 111120 / (500 * 1.8), 1e-6);
}

struct UpdateCase {
  std::string name;
  OrientationMode mode;
  double rotation, ownHdg, mpp;
  double expectRotation, expectMpp;
};

class ViewUpdateTest : public testing::TestWithParam<UpdateCase> {};

TEST_P(ViewUpdateTest, ClampsAndFollowsHeading) {
  const UpdateCase& c = GetParam();
  ManualClock clock(1000);
  ShipTable table(clock);
  DbDynamic own;
  table.GetShip(0, own);
  own.Hdg = c.ownHdg;
  table.PutShip(0, own);
  ViewState v;
  v.fitAllShips = false;
  v.orientationMode = c.mode;
  v.rotationDeg = c.rotation;
  v.metersPerPixel = c.mpp;
  ViewFitFilter filter(kDefaultDynamicEntries);
  UpdateViewForFrame(v, table, 1000, filter);
  EXPECT_DOUBLE_EQ(v.rotationDeg, c.expectRotation);
  EXPECT_DOUBLE_EQ(v.metersPerPixel, c.expectMpp);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ViewUpdateTest,
    testing::Values(UpdateCase{"heading_up_359_9_uses_359", OrientationMode::HeadingUp, 0, 359.9, 15, 359.0 / 8, 15},
                    UpdateCase{"heading_up_no_wrap", OrientationMode::HeadingUp, 350, 10, 15, (7 * 350.0 + 10) / 8, 15},
                    UpdateCase{"north_up_keeps_rotation", OrientationMode::NorthUp, 0, 90, 15, 0, 15},
                    UpdateCase{"free_rotation_keeps_rotation", OrientationMode::FreeRotation, 33, 90, 15, 33, 15},
                    UpdateCase{"scale_above_10000", OrientationMode::NorthUp, 0, 0, 20000, 0, 10000},
                    UpdateCase{"scale_below_0_1", OrientationMode::NorthUp, 0, 0, 0.01, 0, 0.1},
                    UpdateCase{"scale_at_limits_kept", OrientationMode::NorthUp, 0, 0, 0.1, 0, 0.1}),
    [](const testing::TestParamInfo<UpdateCase>& i) { return i.param.name; });

}  // namespace
}  // namespace aismon
