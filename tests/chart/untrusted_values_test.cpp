// Stations whose position is a placeholder, and decoded values that are "not available",
// must not reach the chart's geometry; any view the controls allow must draw sanely.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <cstring>
#include <string>
#include <limits>

#include "chart/chart_frame.h"
#include "chart/grid_layer.h"
#include "chart/ship_layer.h"
#include "shipdb/received_position.h"
#include "tests/support/chart_scene.h"

namespace aismon {
namespace {

using testing::ChartScene;

constexpr Rgb kSea{0, 0, 64};

// How a station came to be in the table.
enum class Origin { Reported, StaticOnly, NoPosition, Reused };

int32_t AddStation(ShipTable& t, int32_t mmsi, Origin o, double lat, double lon) {
  const int32_t slot = t.FindOrAddShip(mmsi);
  DbDynamic* e = t.Edit(slot);
  e->Age = 1000;
  switch (o) {
    case Origin::Reported:
      e->Raw.PosState = kPosReported;
      e->Lat = lat;
      e->Lon = lon;
      break;
    case Origin::StaticOnly:  // a new entry's placeholder, 34.5 N 135.0 E
      e->Raw.PosState = kPosStaticOnly;
      break;
    case Origin::NoPosition:  // a report saying 91/181
      e->Raw.PosState = kPosReported;
      e->Lat = kLatNotAvailable;
      e->Lon = kLonNotAvailable;
      e->LatInvalid = e->LonInvalid = 1;
      break;
    case Origin::Reused:  // a full table's reuse leaves 0/0
      e->Raw.PosState = kPosNothing;
      e->Lat = e->Lon = 0;
      break;
  }
  t.Commit(slot);
  return slot;
}

TEST(UntrustedPositions, OnlyReportedPositionsCount) {
  ManualClock clock(1000);
  ShipTable t(clock);
  AddStation(t, 431000001, Origin::Reported, 34.60, 135.10);
  AddStation(t, 431000002, Origin::Reported, 34.70, 135.30);
  ViewState v;
  ViewFitFilter filter(kDefaultDynamicEntries);
  FitAllShips(v, t, 500, filter);
  const double lat = v.centerLat, lon = v.centerLon, mpp = v.metersPerPixel;
  EXPECT_NEAR(lat, 34.65, 1e-9);
  EXPECT_NEAR(lon, 135.20, 1e-9);
  // Stations without a position of their own would stretch the view to the placeholders.
  AddStation(t, 431000003, Origin::StaticOnly, 0, 0);
  AddStation(t, 431000004, Origin::NoPosition, 0, 0);
  AddStation(t, 431000005, Origin::Reused, 0, 0);
  ViewState w;
  FitAllShips(w, t, 500, filter);
  EXPECT_EQ(w.centerLat, lat);
  EXPECT_EQ(w.centerLon, lon);
  EXPECT_EQ(w.metersPerPixel, mpp);
}

TEST(UntrustedPositions, PlaceholdersAreNotDrawnButStillCounted) {
  // The view on the static-only placeholder (34.5 N 135.0 E), then on 0/0.
  ChartScene s(800, 800, 15, kSea);
  AddStation(s.table, 431000003, Origin::StaticOnly, 0, 0);
  AddStation(s.table, 431000004, Origin::NoPosition, 0, 0);
  AddStation(s.table, 431000005, Origin::Reused, 0, 0);
  s.frame.elapsedMs = 500;
  s.StepAndDrawShips();
  SetupViewGeometry(s.view, 800, 800, 0, 0, 0, 15);
  s.StepAndDrawShips();
  for (int slot = 1; slot < kDefaultDynamicEntries; ++slot) EXPECT_EQ(s.screen[slot].x, kNotDrawn) << slot;
  for (int32_t y = 0; y < 800; y += 7)
    for (int32_t x = 0; x < 800; x += 7) ASSERT_EQ(s.At(x, y), kSea) << x << "," << y;
  EXPECT_EQ(s.table.TakenCount(), 3);
  DbDynamic e;
  ASSERT_TRUE(s.table.GetShip(s.table.FindShip(431000003), e));
  EXPECT_EQ(e.Age, 2000u);  // aged as every taken entry is
}

TEST(UntrustedPositions, ReusedEntryDoesNotWearTheOldWake) {
  ManualClock clock(1000);
  ShipTable t(clock);
  t.wakeHead = 7;
  t.StoreWakePoint(3, 431000001, 34.5, 135.1);
  t.wakeHead = 8;
  t.StoreWakePoint(3, 431000001, 34.6, 135.2);
  EXPECT_EQ(t.WakeRings()[3].At(7).Lat, 34.5);  // the same station keeps its wake
  t.wakeHead = 9;
  t.StoreWakePoint(3, 431000099, 20.0, 120.0);
  const WakeRing& r = t.WakeRings()[3];
  EXPECT_EQ(r.OwnerMMSI, 431000099);
  EXPECT_EQ(r.At(7).Lat, 0.0);
  EXPECT_EQ(r.At(8).Lat, 0.0);
  EXPECT_EQ(r.At(9).Lat, 20.0);
}

// Motion fields reported as not available, or a heading of 511, draw no direction.
TEST(UntrustedPositions, UnknownMotionDrawsNoLineAndNoDart) {
  struct Row {
    const char* name;
    bool sogInvalid, cogInvalid, hdgInvalid;
    bool courseLine;  // white 3-pixel line ahead of the ship
    bool dart;        // pointed shape rather than a disc
  } rows[] = {
      {"all_known", false, false, false, true, true},
      {"no_sog", true, false, false, false, true},
      {"no_cog", false, true, false, false, true},
      {"no_heading_uses_cog", false, false, true, true, true},
      {"no_heading_no_cog", false, true, true, false, false},
  };
  for (const Row& r : rows) {
    ChartScene s(600, 600, 15, kSea);
    s.in.options.dispCourse = true;
    s.in.liveDataFlag = true;
    const int32_t slot = AddStation(s.table, 431000010, Origin::Reported, s.LatAt(300), s.LonAt(300));
    DbDynamic* e = s.table.Edit(slot);
    e->Sog = 12;  // 123 pixels in 5 minutes
    e->Cog = 90;  // east
    e->Hdg = 0;   // north, unless invalid
    e->SogInvalid = r.sogInvalid;
    e->CogInvalid = r.cogInvalid;
    e->HdgInvalid = r.hdgInvalid;
    s.table.Commit(slot);
    s.frame.elapsedMs = 0;
    s.StepAndDrawShips();
    EXPECT_EQ(s.At(401, 301) == (Rgb{255, 255, 255}), r.courseLine) << r.name;
    // A disc of radius 10 fills (300, 291); a dart pointing north or east leaves it, and
    // the dart's tip reaches 20 pixels out.
    const bool tipNorth = s.At(300, 282) != kSea;
    const bool tipEast = s.At(318, 300) != kSea;
    EXPECT_EQ(tipNorth || tipEast, r.dart) << r.name;
    if (r.dart && r.hdgInvalid) {
      EXPECT_TRUE(tipEast) << r.name << ": points along its course";
    }
  }
}

TEST(UntrustedPositions, CentreStaysOnTheEarth) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Row {
    double lat, lon, wantLat, wantLon;
  } rows[] = {{34.0, 135.0, 34.0, 135.0},   {95.0, 10.0, 90.0, 10.0},    {-120.0, 10.0, -90.0, 10.0},
              {10.0, 190.0, 10.0, -170.0},  {10.0, -540.0, 10.0, 180.0}, {nan, 10.0, 34.6666, 135.25},
              {54600000.0, 108600000.0, 90.0, 120.0}};
  for (const Row& r : rows) {
    ViewState v;
    v.centerLat = r.lat;
    v.centerLon = r.lon;
    KeepCenterOnEarth(v);
    EXPECT_NEAR(v.centerLat, r.wantLat, 1e-9) << r.lat << "," << r.lon;
    EXPECT_NEAR(std::fabs(v.centerLon), std::fabs(r.wantLon), 1e-9) << r.lat << "," << r.lon;
  }
}

TEST(UntrustedPositions, LabelsOfWildAnglesDoNotOverflow) {
  for (double a : {596523.0, 1e9, -1e12, std::numeric_limits<double>::infinity()}) {
    const GridLabel g = LatitudeGridLabel(a);
    EXPECT_EQ(std::string(g.text).find('-'), std::string::npos) << a;
    EXPECT_LT(std::strlen(g.text), sizeof g.text) << a;
  }
}

// Zoomed fully out, with the view reaching past the pole: no grid line beyond it.
TEST(UntrustedPositions, NoGridBeyondThePole) {
  EnsureGuiApp();
  ManualClock clock(1000);
  ShipTable table(clock);
  IntakeCounters counters;
  ChartFrame frame(table, counters, clock, nullptr, nullptr);
  ViewState& v = frame.View();
  v.fitAllShips = false;
  v.centerLat = 60;
  v.centerLon = 135;
  v.metersPerPixel = 10000;
  FrameInputs in;
  in.options.latLonLine = true;
  FrameOutputs out;
  frame.Paint(480, 500, in, out);
  const QImage& img = frame.Display();
  // 90 N lies (90 - 60) degrees above the centre: rows above it are beyond the pole.
  const double pxPerDeg = 1852.0 * 60 / 10000 / 2;  // display pixels
  const int poleRow = static_cast<int>(img.height() / 2 - 30 * pxPerDeg) - 2;
  ASSERT_GT(poleRow, 50);
  int drawn = 0;
  for (int y = 50; y < poleRow; ++y)             // below the rotation read-out
    for (int x = 60; x < img.width() - 220; ++x)  // right of the pole's own label, left of the panels
      if (Canvas::ColorOf(reinterpret_cast<const uint32_t*>(img.constScanLine(y))[x]) != kSea) ++drawn;
  EXPECT_EQ(drawn, 0);
}

}  // namespace
}  // namespace aismon
