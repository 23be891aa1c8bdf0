// Records beside the view are passed over without projecting their points. That may only
// happen when none of their points could have come near the picture, and the colours such
// a record sets must still carry on to the records after it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "chart/base_chart_layer.h"
#include "chart/point_cull.h"
#include "chart/canvas.h"
#include "chart/clip.h"
#include "chart/frame_context.h"
#include "common/clock.h"
#include "shipdb/ship_table.h"
#include "tests/support/gui_app.h"

namespace aismon {
namespace {

using Words = std::vector<int32_t>;

struct ViewCase {
  const char* name;
  double lat, lon, mpp, rotation;
};

const ViewCase kViews[] = {
    {"harbour", 34.6, 135.3, 15, 0},
    {"harbour_turned", 34.6, 135.3, 15, 33},
    {"coast_turned_back", 41.0, 141.0, 200, 183},
    {"fine_quarter_turn", 35.0, 139.8, 2, 90},
    {"ocean_odd_angle", 25.0, 150.0, 5000, 271.5},
    {"date_line_east", 30.0, 179.95, 100, 0},
    {"date_line_west", 30.0, -179.95, 100, 45},
};

// Random point sets around and beyond the picture, in stored units; some straddle the
// date line or reach round the world.
class PointSets {
 public:
  explicit PointSets(uint32_t seed) : rng_(seed) {}
  double Uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng_); }
  Words Next(const ViewState& v) {
    const int n = 1 + static_cast<int>(rng_() % 8);
    // Centre somewhere from inside the picture to a few picture sizes out.
    const double spread = std::vector<double>{0.6, 2, 6, 40}[rng_() % 4];
    const double lat = v.centerLat + Uniform(-spread, spread) * v.height * v.degLatPerPixel;
    double lon = v.centerLon + Uniform(-spread, spread) * v.width * v.degLonPerPixel;
    if (rng_() % 10 == 0) lon += Uniform(-360, 360);
    const double size = std::vector<double>{2, 30, 300}[rng_() % 3];
    Words w;
    for (int i = 0; i < n; ++i) {
      double plat = lat + Uniform(-size, size) * v.degLatPerPixel;
      double plon = lon + Uniform(-size, size) * v.degLonPerPixel;
      plat = std::fmax(-89.9, std::fmin(89.9, plat));
      plon = std::fmax(-214.0, std::fmin(214.0, plon));
      w.push_back(static_cast<int32_t>(std::llround(plat * 1e7)));
      w.push_back(static_cast<int32_t>(std::llround(plon * 1e7)));
    }
    return w;
  }

 private:
  std::mt19937 rng_;
};

void PrintTo(const ViewCase& c, std::ostream* os) { *os << c.name; }

class PointsSurelyOutsideTest : public testing::TestWithParam<ViewCase> {};

TEST_P(PointsSurelyOutsideTest, NeverClaimsOutsideWhatProjectsInside) {
  const ViewCase& c = GetParam();
  ViewState v;
  SetupViewGeometry(v, 320, 240, c.lat, c.lon, c.rotation, c.mpp);
  const ClipRect guard = GuardRect(v.width, v.height, kChartGuardMargin);
  PointSets sets(static_cast<uint32_t>(c.mpp * 1000 + c.rotation));
  int outside = 0, claimed = 0;
  for (int k = 0; k < 20000; ++k) {
    const Words w = sets.Next(v);
    const int32_t n = static_cast<int32_t>(w.size() / 2);
    std::vector<PixelPoint> s(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) LatLonToPixel(v, w[2 * i] * 1e-7, w[2 * i + 1] * 1e-7, s[i].x, s[i].y);
    const bool disjoint = Disjoint(BoundsOf(s.data(), n), guard);
    const bool claim = PointsSurelyOutside(v, w.data(), n, guard);
    outside += disjoint;
    claimed += claim;
    if (claim) {
      ASSERT_TRUE(disjoint) << "case " << k << " first point " << w[0] << "," << w[1];
    }
  }
  // Most sets that lie outside are recognised, or the test would prove little.
  EXPECT_GT(claimed, outside * 3 / 4);
  EXPECT_GT(outside, 1000);
}

INSTANTIATE_TEST_SUITE_P(Views, PointsSurelyOutsideTest, testing::ValuesIn(kViews),
                         [](const testing::TestParamInfo<ViewCase>& i) { return std::string(i.param.name); });

TEST(PointsSurelyOutsideTest, NothingToDecideWithoutPoints) {
  ViewState v;
  SetupViewGeometry(v, 320, 240, 35, 135, 0, 15);
  const int32_t none[2] = {0, 0};
  EXPECT_FALSE(PointsSurelyOutside(v, none, 0, GuardRect(320, 240, kChartGuardMargin)));
}

// The colours of a record passed over carry on: a dot or line without a colour tag after
// it is drawn in them.
struct Scene {
  ManualClock clock;
  ShipTable table{clock};
  IntakeCounters counters;
  FrameInputs in;
  Canvas canvas;
  ViewState view;
  std::vector<PixelPoint> positions = std::vector<PixelPoint>(1025);
  BaseChartLayer layer;
  Scene() {
    canvas.Resize(200, 160);
    SetupViewGeometry(view, 200, 160, 35, 135, 0, 15);
    view.seaColor = Rgb{0, 0, 64};
    view.landColor = Rgb{128, 128, 128};
    view.coastColor = Rgb{192, 192, 192};
  }
  int32_t Lat(double y) const {
    return static_cast<int32_t>(std::llround((view.centerLat + (view.height / 2 - y) * view.degLatPerPixel) * 1e7));
  }
  int32_t Lon(double x) const {
    return static_cast<int32_t>(std::llround((view.centerLon + (x - view.width / 2) * view.degLonPerPixel) * 1e7));
  }
  Words At(const std::vector<double>& xy) const {
    Words w;
    for (size_t i = 0; i + 1 < xy.size(); i += 2) {
      w.push_back(Lat(xy[i + 1]));
      w.push_back(Lon(xy[i]));
    }
    return w;
  }
  Rgb Px(int x, int y) const { return PixelAt(x, y); }
  Rgb PixelAt(int x, int y) const { return canvas.PixelAt(x, y); }
};

// A record with a box around its points and an attribute text if one is given.
Words Record(char kind, const Words& points, const std::string& text = "") {
  int32_t north = INT32_MIN, south = INT32_MAX, west = INT32_MAX, east = INT32_MIN;
  for (size_t i = 0; i + 1 < points.size(); i += 2) {
    north = std::max(north, points[i]);
    south = std::min(south, points[i]);
    east = std::max(east, points[i + 1]);
    west = std::min(west, points[i + 1]);
  }
  Words w = {static_cast<unsigned char>(kind), 0, north, west, south, east, 0, 10, 0, 0};
  if (!text.empty()) {
    w[6] = 10;
    Words t(text.size() / 4 + 1, 0);  // room for the NUL
    std::memcpy(t.data(), text.data(), text.size());
    w.insert(w.end(), t.begin(), t.end());
  }
  w[7] = static_cast<int32_t>(w.size());
  w[8] = static_cast<int32_t>(points.size() / 2);
  w.insert(w.end(), points.begin(), points.end());
  w[1] = static_cast<int32_t>(w.size());
  return w;
}

Words Image(const std::vector<Words>& records) {
  Words w = {0x0033745A, 10, 600000000, 1200000000, 200000000, 1600000000, 8, 10, 0, 0};
  for (const Words& r : records) w.insert(w.end(), r.begin(), r.end());
  w.push_back(0);
  return w;
}

struct CarryCase {
  const char* name;
  char passedKind;
  std::vector<double> passedAt;  // pixel pairs, far east or west within the rows of the view
  Rgb pen, brush;                // what the later records get
};

const CarryCase kCarryCases[] = {
    {"green_area_east", 'S', {900, 50, 950, 50, 950, 90}, {0, 255, 0}, {0, 128, 0}},
    {"water_area_west", 'W', {-700, 10, -650, 10, -650, 60}, {0, 0, 255}, {0, 0, 128}},
    {"land_area_far_west", 'A', {-2000, 100, -1950, 100, -1950, 140}, {192, 192, 192}, {128, 128, 128}},
};

void PrintTo(const CarryCase& c, std::ostream* os) { *os << c.name; }

class CarryTest : public testing::TestWithParam<CarryCase> {};

// After the passed record: a line without a tag takes its pen; a large dot tagged white
// keeps its brush inside the white ring.
TEST_P(CarryTest, ColoursOfAPassedRecordCarryOn) {
  EnsureGuiApp();
  const CarryCase& c = GetParam();
  auto s = std::make_unique<Scene>();
  const Words image = Image({Record(c.passedKind, s->At(c.passedAt)), Record('L', s->At({20, 40, 180, 40})),
                             Record('P', s->At({100, 100}), "<W> 20")});
  FrameContext f{s->canvas, s->view, s->table, s->counters, s->in, s->clock, s->positions.data()};
  s->layer.DrawBaseChart(f, nullptr);
  s->layer.DrawChartWords(f, image.data(), image.size());
  EXPECT_EQ(s->Px(100, 40), c.pen);
  EXPECT_EQ(s->Px(100, 100), c.brush);
  EXPECT_EQ(s->Px(98, 100), (Rgb{255, 255, 255}));
  // Nothing of the passed record shows: sea everywhere but the line and the dot.
  int sea = 0;
  for (int y = 0; y < 160; ++y)
    for (int x = 0; x < 200; ++x) sea += s->Px(x, y) == Rgb{0, 0, 64};
  EXPECT_GE(sea, 200 * 160 - 162 - 25);
}

INSTANTIATE_TEST_SUITE_P(Cases, CarryTest, testing::ValuesIn(kCarryCases),
                         [](const testing::TestParamInfo<CarryCase>& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace aismon
