// The ship layer drawn on small canvases and probed pixel by pixel.
#include "chart/ship_layer.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdlib>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "common/clock.h"
#include "tests/support/gui_app.h"
#include "tests/support/chart_scene.h"

namespace aismon {
namespace {


constexpr Rgb kBackground{0, 0, 64};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kCargo{0, 224, 0};
constexpr Rgb kDefault{224, 224, 224};

std::string Show(Rgb c) {
  return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

Rgb Bright(Rgb c) {
  return Rgb{static_cast<uint8_t>(c.r | 127), static_cast<uint8_t>(c.g | 127), static_cast<uint8_t>(c.b | 127)};
}

// A scene with the wake and course line off unless a test turns them on.
struct Scene : testing::ChartScene {
  explicit Scene(int32_t w = 400, int32_t h = 400, double mpp = 15) : ChartScene(w, h, mpp, kBackground) {
    in.options.dispWake = false;
    in.options.dispCourse = false;
    frame.inverseCos = 1 / std::cos(34.5 * 3.141592653589793 / 180);
  }

  void Clear() { Fill(kBackground); }

  // A ship of the given type at work pixel (x, y), heard just now (Age 1000 is not fresh).
  int32_t AddShip(int32_t mmsi, int32_t x, int32_t y, int16_t type = 70, double sog = 0, double hdg = 0) {
    const int32_t slot = table.FindOrAddShip(mmsi);
    DbDynamic* e = table.Edit(slot);
    e->Raw.PosState = kPosReported;  // a position of its own, as a report leaves it
    e->Age = 1000;
    e->Lat = LatAt(y);
    e->Lon = LonAt(x);
    e->Sog = sog;
    e->Cog = hdg;
    e->Hdg = hdg;
    e->Rot = 0;
    e->NavStat = 0;
    table.Commit(slot);
    table.StaticOf(e->Link).Type = type;
    return slot;
  }
  DbDynamic& Ship(int32_t slot) { return *table.Edit(slot); }
  DbStatic& Info(int32_t slot) { return table.StaticOf(table.Edit(slot)->Link); }
};

// ---- Ship-type colours ----

struct TypeColorCase {
  const char* name;
  int16_t type;
  Rgb colour;
};

class TypeColorTest : public ::testing::TestWithParam<TypeColorCase> {};

TEST_P(TypeColorTest, GivesTheSymbolColour) {
  const TypeColorCase& c = GetParam();
  EXPECT_EQ(TypeColor(c.type), c.colour) << Show(TypeColor(c.type));
}

TEST_P(TypeColorTest, StoppedShipIsADiscInThatColour) {
  const TypeColorCase& c = GetParam();
  Scene s;
  const int32_t slot = s.AddShip(431000001, 200, 200, c.type);
  s.StepAndDrawShips();
  EXPECT_EQ(s.At(200, 200), c.colour) << Show(s.At(200, 200));
  EXPECT_EQ(s.screen[slot].x, 200);
  EXPECT_EQ(s.screen[slot].y, 200);
}

INSTANTIATE_TEST_SUITE_P(
    Types, TypeColorTest,
    ::testing::Values(TypeColorCase{"Unknown0", 0, kDefault}, TypeColorCase{"Negative", -1, kDefault},
                      TypeColorCase{"Fishing30", 30, {255, 176, 128}},
                      TypeColorCase{"Towing31Default", 31, kDefault}, TypeColorCase{"Towing32Default", 32, kDefault},
                      TypeColorCase{"Pleasure37", 37, {255, 128, 255}}, TypeColorCase{"Sailing36Default", 36, kDefault},
                      TypeColorCase{"HighSpeed40", 40, {240, 240, 0}}, TypeColorCase{"HighSpeed49", 49, {240, 240, 0}},
                      TypeColorCase{"Pilot50Default", 50, kDefault}, TypeColorCase{"Tug52", 52, {64, 240, 240}},
                      TypeColorCase{"Tug53Default", 53, kDefault}, TypeColorCase{"Passenger60", 60, kPassengerColor},
                      TypeColorCase{"Passenger69", 69, kPassengerColor}, TypeColorCase{"Cargo70", 70, kCargo},
                      TypeColorCase{"Cargo79", 79, kCargo}, TypeColorCase{"Tanker80", 80, {255, 64, 64}},
                      TypeColorCase{"Tanker89", 89, {255, 64, 64}}, TypeColorCase{"Other90Default", 90, kDefault}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Wakes ----

struct WakeDotCase {
  const char* name;
  int16_t type;
  bool radius3;
};

class WakeDotTest : public ::testing::TestWithParam<WakeDotCase> {};

TEST_P(WakeDotTest, RadiusAndBrightenedColour) {
  const WakeDotCase& c = GetParam();
  Scene s;
  s.in.options.dispWake = true;
  s.table.wakeHead = 5;
  const int32_t slot = s.AddShip(431000002, 350, 350, c.type);
  WakeRing& ring = s.table.WakeRings()[slot];
  ring.OwnerMMSI = 431000002;
  ring.Put(4, WakePoint{s.LatAt(100), s.LonAt(100)});
  s.StepAndDrawShips();
  const Rgb dot = Bright(TypeColor(c.type));
  EXPECT_EQ(s.At(100, 100), dot) << Show(s.At(100, 100));
  EXPECT_EQ(s.At(98, 98), dot);
  EXPECT_EQ(s.At(101, 101), dot);
  EXPECT_EQ(s.At(102, 100), c.radius3 ? dot : kBackground);
  EXPECT_EQ(s.At(97, 100), c.radius3 ? dot : kBackground);
  EXPECT_EQ(s.At(100, 102), c.radius3 ? dot : kBackground);
  EXPECT_EQ(s.At(102, 102), kBackground);  // the radius-3 disc has cut corners
  EXPECT_EQ(s.At(103, 100), kBackground);
}

INSTANTIATE_TEST_SUITE_P(Types, WakeDotTest,
                         ::testing::Values(WakeDotCase{"Passenger", 60, true}, WakeDotCase{"Cargo", 70, false},
                                           WakeDotCase{"Tanker", 80, false}, WakeDotCase{"Unknown", 0, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Ring entry i is placed at its own pixel so that each drawn entry can be seen.
PixelPoint EntryPixel(int i) { return PixelPoint{10 + (i % 40) * 9, 10 + (i / 40) * 9}; }

struct WakeIndexCase {
  const char* name;
  bool ownShip;
  int head;
  int firstDrawn;  // ring entries firstDrawn .. head - 1 (wrapping) are drawn
  int count;
};

class WakeIndexTest : public ::testing::TestWithParam<WakeIndexCase> {};

TEST_P(WakeIndexTest, DrawsTheEntriesBeforeTheHead) {
  const WakeIndexCase& c = GetParam();
  Scene s(400, 400);
  s.in.options.dispWake = true;
  s.counters.rmcFixCount = 1;
  s.table.wakeHead = c.head;
  int32_t slot = 0;
  if (c.ownShip) {
    DbDynamic& own = s.Ship(0);
    own.Lat = s.LatAt(380);
    own.Lon = s.LonAt(380);
  } else {
    slot = s.AddShip(431000003, 380, 380, 70);
    s.table.WakeRings()[slot].OwnerMMSI = 431000003;
  }
  // Every entry written in the order the head passed them, the oldest just after the head.
  auto fill = [&](auto& ring) {
    for (int k = 1; k <= kWakePoints; ++k) {
      const int i = (c.head + k) % kWakePoints;
      ring.Put(i, WakePoint{s.LatAt(EntryPixel(i).y), s.LonAt(EntryPixel(i).x)});
    }
  };
  if (c.ownShip) fill(s.table.OwnWake());
  else fill(s.table.WakeRings()[slot]);
  s.StepAndDrawShips();

  // The head entry now holds the ship's position.
  const WakePoint atHead = c.ownShip ? s.table.OwnWake().At(c.head) : s.table.WakeRings()[slot].At(c.head);
  EXPECT_DOUBLE_EQ(atHead.Lat, s.LatAt(380));
  const Rgb dot = Bright(c.ownShip ? kOwnShipColor : kCargo);
  int drawn = 0;
  for (int i = 0; i < kWakePoints; ++i) {
    const int offset = ((i - c.firstDrawn) % kWakePoints + kWakePoints) % kWakePoints;
    const bool expected = offset < c.count && i != c.head;
    const bool seen = s.At(EntryPixel(i).x, EntryPixel(i).y) == dot;
    EXPECT_EQ(seen, expected) << "ring entry " << i;
    drawn += seen;
  }
  EXPECT_EQ(drawn, c.count - (c.count == kWakePoints ? 1 : 0));
}

// Own ship's 480 entries start at the head itself, which holds its current position.
INSTANTIATE_TEST_SUITE_P(Heads, WakeIndexTest,
                         ::testing::Values(WakeIndexCase{"Head10WrapsTo440", false, 10, 440, 50},
                                           WakeIndexCase{"Head0", false, 0, 430, 50},
                                           WakeIndexCase{"Head50", false, 50, 0, 50},
                                           WakeIndexCase{"Head479", false, 479, 429, 50},
                                           WakeIndexCase{"OwnShipAll480", true, 10, 10, 480}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WakeTest, RingWithoutOwnerAndUncheckedBoxDrawNothing) {
  for (const bool owner : {false, true}) {
    Scene s;
    s.in.options.dispWake = !owner;  // owner set but box off, or box on but no owner
    s.table.wakeHead = 1;
    const int32_t slot = s.AddShip(431000004, 350, 350, 70);
    WakeRing& ring = s.table.WakeRings()[slot];
    if (owner) ring.OwnerMMSI = 431000004;
    ring.Put(0, WakePoint{s.LatAt(100), s.LonAt(100)});
    s.StepAndDrawShips();
    EXPECT_EQ(s.At(100, 100), kBackground) << "owner " << owner;
    EXPECT_DOUBLE_EQ(ring.At(1).Lat, 0.0) << "nothing stored at the head";
  }
}

// The wake dots are written straight into the rows; they must be the painter's discs.
TEST(WakeTest, DirectDotsMatchThePainterAtEveryPlace) {
  const int32_t places[][2] = {{20, 20}, {0, 0}, {1, 1}, {-1, 5}, {-2, -2}, {-3, 10}, {39, 29}, {40, 30},
                               {41, 31}, {38, 0}, {5, 29}, {42, 32}, {-4, -4}, {7, 13}};
  for (const int32_t radius : {2, 3}) {
    for (const auto& p : places) {
      Scene direct(40, 30), painted(40, 30);
      const double lat = direct.LatAt(p[1]), lon = direct.LonAt(p[0]);
      int32_t x, y;
      ASSERT_TRUE(LatLonToPixel(direct.view, lat, lon, x, y));
      DrawWakeDot(direct.frame, lat, lon, radius, Rgb{127, 255, 127});
      painted.canvas.SetBrushStyle(BrushStyle::Solid);
      painted.canvas.SetBrushColor(Rgb{127, 255, 127});
      painted.canvas.SetPenColor(Rgb{127, 255, 127});
      painted.canvas.SetPenWidth(1);
      painted.canvas.Ellipse(x - radius, y - radius, x + radius, y + radius);
      for (int32_t py = 0; py < 30; ++py)
        for (int32_t px = 0; px < 40; ++px)
          ASSERT_EQ(direct.At(px, py), painted.At(px, py))
              << "radius " << radius << " at (" << x << "," << y << ") pixel " << px << "," << py;
      EXPECT_EQ(direct.canvas.BrushColor(), (Rgb{127, 255, 127}));
      EXPECT_EQ(direct.canvas.PenColor(), (Rgb{127, 255, 127}));
    }
  }
}

// The pass projects its wake points itself; it must put them where DrawWakeDot does.
class WakePassProjectionTest : public ::testing::TestWithParam<double> {};

TEST_P(WakePassProjectionTest, SamePixelsAsDrawWakeDot) {
  const double rotation = GetParam();
  Scene pass(300, 200), single(300, 200);
  for (Scene* s : {&pass, &single}) SetupViewGeometry(s->view, 300, 200, 34.5, 135.0, rotation, 15);
  pass.in.options.dispWake = true;
  pass.table.wakeHead = 60;
  const int32_t slot = pass.AddShip(431000030, 5000, 5000, 70);  // the symbol itself is far off
  WakeRing& ring = pass.table.WakeRings()[slot];
  ring.OwnerMMSI = 431000030;
  // Points over and beyond the picture, off the pixel grid, including the near margin.
  uint32_t seed = 7;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) / 16777216.0;
  };
  for (int i = 10; i < 60; ++i) {
    const double x = -150 + next() * 600, y = -150 + next() * 500;
    ring.Put(i, WakePoint{pass.LatAt(0) - y * pass.view.degLatPerPixel, pass.LonAt(0) + x * pass.view.degLonPerPixel});
    DrawWakeDot(single.frame, ring.At(i).Lat, ring.At(i).Lon, 2, Bright(kCargo));
  }
  pass.StepAndDrawShips();
  int dots = 0;
  for (int32_t y = 0; y < 200; ++y)
    for (int32_t x = 0; x < 300; ++x) {
      ASSERT_EQ(pass.At(x, y), single.At(x, y)) << x << "," << y;
      dots += pass.At(x, y) != kBackground;
    }
  EXPECT_GT(dots, 100);
}

INSTANTIATE_TEST_SUITE_P(Rotations, WakePassProjectionTest, ::testing::Values(0.0, 33.3, 90.0, -45.0, 359.9),
                         [](const auto& info) { return "Deg" + std::to_string(static_cast<int>(info.param * 10 + 3600)); });

// ---- Course vectors ----

struct CourseCase {
  const char* name;
  double sog;
  double cog;
  double rotation;
  bool drawn;
  int32_t endX, endY;  // the line's far end, every coordinate made odd
};

class CourseVectorTest : public ::testing::TestWithParam<CourseCase> {};

TEST_P(CourseVectorTest, FiveMinutesAhead) {
  const CourseCase& c = GetParam();
  Scene s(400, 400, 15);
  SetupViewGeometry(s.view, 400, 400, 34.5, 135.0, c.rotation, 15);
  s.in.options.dispCourse = true;
  // The dart is kept small so only the line reaches the probes.
  s.frame.iconScale = 1;
  const int32_t slot = s.AddShip(431000005, 200, 200, 70, c.sog, c.cog);
  s.Ship(slot).Hdg = 0;
  DrawCourseVector(s.frame, slot);
  EXPECT_EQ(s.canvas.PenWidth(), 1);
  EXPECT_EQ(s.canvas.PenColor(), kWhite);
  // 60 % of the way along, on the line.
  const int32_t mx = 201 + (c.endX - 201) * 6 / 10, my = 201 + (c.endY - 201) * 6 / 10;
  EXPECT_EQ(s.At(mx, my), c.drawn ? kWhite : kBackground) << mx << "," << my;
  if (!c.drawn) return;
  EXPECT_EQ(s.At(c.endX, c.endY), kWhite);
  // Three pixels wide; the round end reaches at most a pixel further.
  const int32_t dx = c.endX > 201 ? 1 : c.endX < 201 ? -1 : 0;
  const int32_t dy = c.endY > 201 ? 1 : c.endY < 201 ? -1 : 0;
  EXPECT_EQ(s.At(c.endX + 2 * dx, c.endY + 2 * dy), kBackground);
  EXPECT_EQ(s.At(mx + dy, my + dx), kWhite) << "three pixels wide";
}

// 12 knots at 15 m/px run trunc(12 * 1852 * 5 / 900) = 123 pixels in 5 minutes.
INSTANTIATE_TEST_SUITE_P(
    Courses, CourseVectorTest,
    ::testing::Values(CourseCase{"East12Knots123Pixels", 12, 90, 0, true, 323, 201},
                      CourseCase{"North12Knots", 12, 0, 0, true, 201, 77},
                      CourseCase{"West11Knots113Pixels", 11, 270, 0, true, 87, 201},
                      CourseCase{"EastTurnedUpByRotation90", 12, 90, 90, true, 201, 77},
                      CourseCase{"Length20NotLongerThanSymbol", 2.0, 90, 0, false, 221, 201},
                      CourseCase{"Length21Drawn", 2.1, 90, 0, true, 221, 201},
                      CourseCase{"SpeedAbove1000IsZero", 1000.5, 90, 0, false, 399, 201}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Symbols ----

struct HullCase {
  const char* name;
  int16_t antA, antB;
  double mpp;
  int iconScale;
  bool hull;
};

class HullOrDartTest : public ::testing::TestWithParam<HullCase> {};

TEST_P(HullOrDartTest, LongShipsAreDrawnToScale) {
  const HullCase& c = GetParam();
  Scene s(400, 400, c.mpp);
  s.frame.iconScale = c.iconScale;
  const int32_t slot = s.AddShip(431000006, 200, 200, 70, 10, 0);
  s.Info(slot).AntA = c.antA;
  s.Info(slot).AntB = c.antB;
  s.Info(slot).AntC = 5;
  s.Info(slot).AntD = 5;
  s.StepAndDrawShips();
  // The hull marks its reference point with a black disc; the dart is solid there.
  EXPECT_EQ(s.At(200, 200), c.hull ? kBlack : kCargo) << Show(s.At(200, 200));
  if (c.hull) {
    EXPECT_EQ(s.At(206, 200), kWhite) << "outer antenna circle";
  }
}

// 80 m + 20 m at 2 m/px is 50 pixels: more than 36 (small icons), not more than 60 (large).
INSTANTIATE_TEST_SUITE_P(
    Lengths, HullOrDartTest,
    ::testing::Values(HullCase{"Px50SmallIconsHull", 80, 20, 2, 1, true},
                      HullCase{"Px50LargeIconsDart", 80, 20, 2, 2, false},
                      HullCase{"Px36SmallIconsDart", 30, 6, 1, 1, false},
                      HullCase{"Px37SmallIconsHull", 30, 7, 1, 1, true},
                      HullCase{"Px60LargeIconsDart", 50, 10, 1, 2, false},
                      HullCase{"Px61LargeIconsHull", 50, 11, 1, 2, true},
                      HullCase{"FractionsTruncated", 50, 11, 1.01, 2, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HullTest, PointsAlongTheHeadingWithTheBowAhead) {
  // 200 m to bow, 40 m to stern, 20 m to either side at 2 m/px: bow 100 px ahead.
  for (const double hdg : {0.0, 90.0}) {
    Scene s(400, 400, 2);
    const int32_t slot = s.AddShip(431000007, 200, 200, 80, 10, hdg);
    s.Info(slot).AntA = 200;
    s.Info(slot).AntB = 40;
    s.Info(slot).AntC = 20;
    s.Info(slot).AntD = 20;
    s.StepAndDrawShips();
    const Rgb tanker{255, 64, 64};
    auto ahead = [&](int32_t d) { return hdg == 0 ? s.At(200, 200 - d) : s.At(200 + d, 200); };
    auto abeam = [&](int32_t d) { return hdg == 0 ? s.At(200 + d, 200) : s.At(200, 200 + d); };
    EXPECT_EQ(ahead(60), tanker) << hdg;
    EXPECT_EQ(ahead(97), tanker) << hdg;
    EXPECT_EQ(ahead(103), kBackground) << hdg;
    EXPECT_EQ(ahead(-15), tanker) << hdg;
    EXPECT_EQ(ahead(-23), kBackground) << hdg;
    EXPECT_EQ(abeam(9), tanker) << hdg;
    EXPECT_EQ(abeam(12), kBackground) << hdg;
  }
}

struct ShapeCase {
  const char* name;
  double sog;
  int navStat;
  int16_t aids;
  bool disc;
};

class ShapeTest : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(ShapeTest, DiscDartOrDiamond) {
  const ShapeCase& c = GetParam();
  Scene s;
  const int32_t slot = s.AddShip(431000008, 200, 200, 70, c.sog, 0);
  s.Ship(slot).NavStat = c.navStat;
  s.Info(slot).Aids = c.aids;
  s.StepAndDrawShips();
  if (c.aids != 0) {
    // Diamond of half-diagonal 13, upright, in the aid colour.
    EXPECT_EQ(s.At(200, 200), kAidColor);
    EXPECT_EQ(s.At(200, 190), kAidColor);
    EXPECT_EQ(s.At(210, 200), kAidColor);
    EXPECT_EQ(s.At(208, 192), kBackground);
    return;
  }
  // Large icons: a disc of radius 10, or a dart 40 long pointing up (heading 0).
  EXPECT_EQ(s.At(200, 200), kCargo);
  EXPECT_EQ(s.At(200, 185), c.disc ? kBackground : kCargo);
  EXPECT_EQ(s.At(208, 200), c.disc ? kCargo : kBackground);
  EXPECT_EQ(s.At(191, 200), c.disc ? kCargo : kBackground);
}

INSTANTIATE_TEST_SUITE_P(
    States, ShapeTest,
    ::testing::Values(ShapeCase{"StoppedDisc", 0, 0, 0, true}, ShapeCase{"AtAnchorDisc", 10, 1, 0, true},
                      ShapeCase{"MooredButMovingDart", 10, 5, 0, false},
                      ShapeCase{"NoStatusMovingDart", 10, 99, 0, false},
                      ShapeCase{"SpeedNotAvailableDisc", 1023, 0, 0, true},
                      ShapeCase{"Speed1022Dart", 1022, 0, 0, false}, ShapeCase{"AidDiamond", 0, 0, 21, true},
                      ShapeCase{"MovingAidStillDiamond", 10, 0, 1, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DartTest, TurnsWithHeadingLessRotation) {
  struct Row {
    double hdg, rotation;
    int32_t tipX, tipY;  // a point near the tip
  } rows[] = {{0, 0, 200, 184}, {90, 0, 216, 200}, {180, 0, 200, 216}, {90, 90, 200, 184}, {0, 90, 184, 200}};
  for (const Row& r : rows) {
    Scene s;
    SetupViewGeometry(s.view, 400, 400, 34.5, 135.0, r.rotation, 15);
    const int32_t slot = s.AddShip(431000009, 200, 200, 70, 10, r.hdg);
    DrawShipSymbol(s.frame, slot, kCargo, 2);
    EXPECT_EQ(s.At(r.tipX, r.tipY), kCargo) << r.hdg << " " << r.rotation;
    EXPECT_EQ(s.At(400 - r.tipX, 400 - r.tipY), kBackground) << "tail side " << r.hdg << " " << r.rotation;
  }
}

// ---- Age, freshness, eligibility ----

struct AgeCase {
  const char* name;
  uint32_t age;
  uint32_t elapsed;
  bool drawn;
  uint32_t ageAfter;
};

class AgeTest : public ::testing::TestWithParam<AgeCase> {};

TEST_P(AgeTest, LostAfterTenMinutes) {
  const AgeCase& c = GetParam();
  Scene s;
  s.frame.elapsedMs = c.elapsed;
  s.in.options.dispWake = true;
  s.table.wakeHead = 3;
  const int32_t slot = s.AddShip(431000010, 200, 200, 70);
  s.Ship(slot).Age = c.age;
  s.table.WakeRings()[slot].OwnerMMSI = 431000010;
  s.table.WakeRings()[slot].Put(2, WakePoint{s.LatAt(100), s.LonAt(100)});
  s.StepAndDrawShips();
  EXPECT_EQ(s.Ship(slot).Age, c.ageAfter);
  EXPECT_EQ(s.At(200, 200), c.drawn ? kCargo : kBackground);
  EXPECT_EQ(s.At(100, 100), c.drawn ? Bright(kCargo) : kBackground) << "wake";
  EXPECT_EQ(s.screen[slot].x, c.drawn ? 200 : kNotDrawn);
  // Still in the table either way.
  EXPECT_EQ(s.table.FindShip(431000010), slot);
}

INSTANTIATE_TEST_SUITE_P(
    Ages, AgeTest,
    ::testing::Values(AgeCase{"Exactly600000Drawn", 600000, 0, true, 600000},
                      AgeCase{"Age600001Lost", 600001, 0, false, 600001},
                      AgeCase{"AgedTo600000Drawn", 599900, 100, true, 600000},
                      AgeCase{"AgedTo600001Lost", 599901, 100, false, 600001},
                      // Saturates instead of wrapping round to a young age.
                      AgeCase{"SilentFor49DaysStaysLost", UINT32_MAX - 50, 100, false, UINT32_MAX},
                      AgeCase{"AtMaximumStaysLost", UINT32_MAX, 16, false, UINT32_MAX}),
    [](const auto& info) { return std::string(info.param.name); });

struct FreshCase {
  const char* name;
  uint32_t age;
  bool ownShip;
  double sog;
  int16_t aids;
  bool flash;
};

class FlashRingTest : public ::testing::TestWithParam<FreshCase> {};

TEST_P(FlashRingTest, PaleDiscForAReportSinceTheLastFrame) {
  const FreshCase& c = GetParam();
  Scene s;
  const int32_t slot = s.AddShip(431000011, 200, 200, 70, c.sog, 0);
  s.Ship(slot).Age = c.age;
  s.Info(slot).Aids = c.aids;
  s.StepAndDrawShips();
  // Radius 30 with large icons: (222, 200) lies outside every symbol but inside the ring.
  const Rgb ring = Bright(c.aids ? kAidColor : kCargo);
  EXPECT_EQ(s.At(222, 200), c.flash ? ring : kBackground) << Show(s.At(222, 200));
  EXPECT_EQ(s.At(229, 200), c.flash ? kWhite : kBackground) << "outline";
  EXPECT_EQ(s.At(231, 200), kBackground);
}

INSTANTIATE_TEST_SUITE_P(Ages, FlashRingTest,
                         ::testing::Values(FreshCase{"Age1Stopped", 1, false, 0, 0, true},
                                           FreshCase{"Age199Moving", 199, false, 10, 0, true},
                                           FreshCase{"Age200NotFresh", 200, false, 0, 0, false},
                                           FreshCase{"Age150Aid", 150, false, 0, 3, true},
                                           FreshCase{"Age1000NotFresh", 1000, false, 10, 0, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FlashRingTest, RestoresFillAndPen) {
  Scene s;
  s.canvas.SetBrushColor(Rgb{1, 2, 3});
  s.canvas.SetBrushStyle(BrushStyle::Clear);
  s.canvas.SetPenColor(Rgb{4, 5, 6});
  DrawFlashRing(s.frame, 100, 100, kCargo, 0);
  EXPECT_EQ(s.canvas.BrushColor(), (Rgb{1, 2, 3}));
  EXPECT_EQ(s.canvas.Brush(), BrushStyle::Solid);
  EXPECT_EQ(s.canvas.PenColor(), (Rgb{4, 5, 6}));
  // symbolSize 20: radius 30 unless d * 0.7 is larger.
  EXPECT_EQ(s.At(128, 100), Bright(kCargo));
  EXPECT_EQ(s.At(131, 100), kBackground);
  DrawFlashRing(s.frame, 300, 300, kCargo, 60);  // 42
  EXPECT_EQ(s.At(340, 300), Bright(kCargo));
  EXPECT_EQ(s.At(343, 300), kBackground);
}

TEST(OwnShipTest, DrawnOnlyWithAFixAsARingedDisc) {
  for (const uint32_t fixes : {0u, 3u}) {
    Scene s;
    s.counters.rmcFixCount = fixes;
    DbDynamic& own = s.Ship(0);
    own.Lat = s.LatAt(200);
    own.Lon = s.LonAt(200);
    own.Age = 5000;
    s.frame.elapsedMs = 700000;  // own ship is never aged
    s.StepAndDrawShips();
    EXPECT_EQ(s.Ship(0).Age, 5000u);
    if (fixes == 0) {
      EXPECT_EQ(s.At(200, 200), kBackground);
      EXPECT_EQ(s.screen[0].x, kNotDrawn);
      continue;
    }
    // R = 36 with large icons: white ring, black disc of 34, the yellow disc of 10 on top.
    EXPECT_EQ(s.At(200, 200), kOwnShipColor);
    EXPECT_EQ(s.At(220, 200), kBlack);
    EXPECT_EQ(s.At(234, 200), kWhite);
    EXPECT_EQ(s.At(238, 200), kBackground);
    EXPECT_EQ(s.screen[0].x, 200);
  }
}

// ---- Dead reckoning ----

struct ReckonCase {
  const char* name;
  bool live;
  bool playing;
  int32_t speed;
  double sog, cog, rot;
  double minutes;
  double dLatNm, dLonNmAtCentre;  // expected movement in nautical miles
  double cogAfter;
};

class DeadReckoningTest : public ::testing::TestWithParam<ReckonCase> {};

TEST_P(DeadReckoningTest, MovesAndTurnsBetweenReports) {
  const ReckonCase& c = GetParam();
  Scene s;
  s.in.liveDataFlag = c.live;
  s.in.playback.playing = c.playing;
  s.in.playback.playbackSpeed = c.speed;
  s.frame.elapsedMinutes = c.minutes;
  s.frame.elapsedHours = c.minutes / 60;
  const int32_t slot = s.AddShip(431000012, 200, 200, 70, c.sog, c.cog);
  DbDynamic& e = s.Ship(slot);
  e.Rot = c.rot;
  const double lat0 = e.Lat, lon0 = e.Lon;
  s.StepAndDrawShips();
  EXPECT_NEAR((e.Lat - lat0) * 60, c.dLatNm, 1e-9);
  EXPECT_NEAR((e.Lon - lon0) * 60 / s.frame.inverseCos, c.dLonNmAtCentre, 1e-9);
  EXPECT_NEAR(e.Cog, c.cogAfter, 1e-9);
  EXPECT_NEAR(e.Hdg, c.cogAfter, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeadReckoningTest,
    ::testing::Values(ReckonCase{"NotLiveStandsStill", false, false, 1, 12, 90, 10, 1, 0, 0, 90},
                      ReckonCase{"East60KnotsOneMinute", true, false, 1, 60, 90, 0, 1, 0, 1, 90},
                      ReckonCase{"North6KnotsTenMinutes", true, false, 1, 6, 0, 0, 10, 1, 0, 0},
                      ReckonCase{"PlaybackTimes10", true, true, 10, 6, 0, 0, 1, 0.95, 0, 0},
                      ReckonCase{"SpeedAbove1000Ignored", true, false, 1, 1001, 0, 5, 1, 0, 0, 0},
                      ReckonCase{"TurnsAndWrapsPast360", true, false, 1, 6, 355, 10, 1, 0.1 * std::cos(5 * 3.141592653589793 / 180),
                                 0.1 * std::sin(-5 * 3.141592653589793 / 180), 5},
                      ReckonCase{"TurnsBelowZero", true, false, 1, 6, 0, -10, 1, 0.1, 0, 350},
                      ReckonCase{"SlowerThan3KnotsNoTurn", true, false, 1, 2.9, 0, 10, 1, 2.9 / 60, 0, 0},
                      ReckonCase{"Rot128NotAvailable", true, false, 1, 6, 0, -128, 1, 0.1, 0, 0},
                      ReckonCase{"Rot127Turns", true, false, 1, 6, 180, -127, 0.5, -0.05, 0, 116.5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DeadReckoningTest, PlaybackScalesTheTurnToo) {
  Scene s;
  s.in.liveDataFlag = true;
  s.in.playback.playing = true;
  s.in.playback.playbackSpeed = 2;
  s.frame.elapsedMinutes = 1;
  const int32_t slot = s.AddShip(431000013, 200, 200, 70, 4, 100);
  s.Ship(slot).Rot = 10;
  s.StepAndDrawShips();
  EXPECT_NEAR(s.Ship(slot).Cog, 100 + 10 * 1.9, 1e-9);
}

// ---- Entries that cannot be drawn ----

struct BadValueCase {
  const char* name;
  double DbDynamic::*field;
  double value;
};

class NonFiniteTest : public ::testing::TestWithParam<BadValueCase> {};

TEST_P(NonFiniteTest, ShipIsNotDrawnAndOthersAre) {
  const BadValueCase& c = GetParam();
  Scene s;
  s.in.options.dispWake = s.in.options.dispCourse = true;
  s.in.liveDataFlag = true;
  s.frame.elapsedMs = 16;
  s.frame.elapsedMinutes = 0.01;
  s.frame.elapsedHours = 0.01 / 60;
  const int32_t bad = s.AddShip(431000014, 200, 200, 70, 12, 45);
  s.table.WakeRings()[bad].OwnerMMSI = 431000014;
  s.Ship(bad).*c.field = c.value;
  const int32_t good = s.AddShip(431000015, 100, 300, 80, 12, 45);
  s.StepAndDrawShips();
  EXPECT_EQ(s.screen[bad].x, kNotDrawn);
  EXPECT_EQ(s.screen[good].x, 100);
  EXPECT_EQ(s.Ship(bad).Age, 1016u) << "still aged";
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(Fields, NonFiniteTest,
                         ::testing::Values(BadValueCase{"LatNaN", &DbDynamic::Lat, kNaN},
                                           BadValueCase{"LonInfinite", &DbDynamic::Lon, kInf},
                                           BadValueCase{"SogNaN", &DbDynamic::Sog, kNaN},
                                           BadValueCase{"SogMinusInfinity", &DbDynamic::Sog, -kInf},
                                           BadValueCase{"CogNaN", &DbDynamic::Cog, kNaN},
                                           BadValueCase{"HdgInfinite", &DbDynamic::Hdg, kInf}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NonFiniteTest, InfiniteRateOfTurnIsIgnored) {
  Scene s;
  s.in.liveDataFlag = true;
  s.frame.elapsedMinutes = 1;
  const int32_t slot = s.AddShip(431000016, 200, 200, 70, 10, 45);
  s.Ship(slot).Rot = kInf;
  s.StepAndDrawShips();
  EXPECT_DOUBLE_EQ(s.Ship(slot).Cog, 45.0);
  EXPECT_NE(s.screen[slot].x, kNotDrawn);
}

// ---- Stipple ----

struct StippleCase {
  const char* name;
  int32_t x0, y0, x1, y1;
  int32_t cx0, cy0, cx1, cy1;  // after clamping to the 20 x 10 canvas
};

class StippleRectTest : public ::testing::TestWithParam<StippleCase> {};

TEST_P(StippleRectTest, CheckerboardInsideTheClampedRectangle) {
  const StippleCase& c = GetParam();
  Scene s(20, 10);
  StippleRect(s.canvas, c.x0, c.y0, c.x1, c.y1, Rgb{0, 0, 128});
  for (int32_t y = 0; y < 10; ++y) {
    for (int32_t x = 0; x < 20; ++x) {
      const bool inside = x >= c.cx0 && x < c.cx1 && y >= c.cy0 && y < c.cy1;
      const bool set = inside && (x - c.cx0 - (y & 1)) % 2 == 0 && x >= c.cx0 + (y & 1);
      EXPECT_EQ(s.At(x, y), set ? (Rgb{0, 0, 128}) : kBackground) << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Rects, StippleRectTest,
                         ::testing::Values(StippleCase{"Inside", 3, 2, 9, 7, 3, 2, 9, 7},
                                           StippleCase{"OddRowStartsOneLater", 4, 1, 8, 2, 4, 1, 8, 2},
                                           StippleCase{"ClampedLeftAndTop", -5, -3, 6, 4, 0, 0, 6, 4},
                                           StippleCase{"ClampedRightAndBottom", 15, 7, 40, 30, 15, 7, 20, 10},
                                           StippleCase{"WholeCanvasAndMore", -100, -100, 100, 100, 0, 0, 20, 10},
                                           StippleCase{"Empty", 9, 5, 9, 8, 9, 5, 9, 8},
                                           StippleCase{"Reversed", 12, 8, 3, 2, 0, 0, 0, 0},
                                           StippleCase{"FarOutside", 50, 50, 90, 90, 0, 0, 0, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace aismon
