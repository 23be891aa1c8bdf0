#include "chart/base_chart_layer.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "basechart/chart_catalog.h"
#include "chart/canvas.h"
#include "chart/frame_context.h"
#include "common/clock.h"
#include "shipdb/ship_table.h"
#include "tests/support/gui_app.h"

namespace aismon {
namespace {

using Words = std::vector<int32_t>;

constexpr int32_t kMagic = 0x0033745A;  // "Zt3" and a NUL
constexpr Rgb kSea{0, 0, 64};
constexpr Rgb kLand{128, 128, 128};
constexpr Rgb kCoast{192, 192, 192};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreenPen{0, 255, 0};
constexpr Rgb kGreenFill{0, 128, 0};
constexpr Rgb kBluePen{0, 0, 255};
constexpr Rgb kBlueFill{0, 0, 128};

// A colour as the low 24 bits of a pixel (the top byte is not a colour).
uint32_t Rgb24(Rgb c) { return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b; }


// One frame's worth of state around a canvas of the given work size.
struct Scene {
  ManualClock clock;
  ShipTable table{clock};
  IntakeCounters counters;
  FrameInputs in;
  Canvas canvas;
  ViewState view;
  std::vector<PixelPoint> positions = std::vector<PixelPoint>(1025);
  BaseChartLayer layer;

  Scene(int32_t w, int32_t h, double lat, double lon, double mpp, double rotation = 0) {
    canvas.Resize(w, h);
    SetupViewGeometry(view, w, h, lat, lon, rotation, mpp);
  }
  FrameContext Context() { return FrameContext{canvas, view, table, counters, in, clock, positions.data()}; }

  // Stored position (1e-7 degree) of a work pixel of the unrotated view.
  int32_t LatAt(double y) const {
    return static_cast<int32_t>(std::llround((view.centerLat + (view.height / 2 - y) * view.degLatPerPixel) * 1e7));
  }
  int32_t LonAt(double x) const {
    return static_cast<int32_t>(std::llround((view.centerLon + (x - view.width / 2) * view.degLonPerPixel) * 1e7));
  }
  // Points given as pixel pairs x0, y0, x1, y1, ... turned into stored latitude, longitude.
  Words At(const std::vector<double>& xy) const {
    Words w;
    for (size_t i = 0; i + 1 < xy.size(); i += 2) {
      w.push_back(LatAt(xy[i + 1]));
      w.push_back(LonAt(xy[i]));
    }
    return w;
  }

  uint32_t Px(int32_t x, int32_t y) { return canvas.Row(y)[x] & 0xFFFFFFu; }
  void Fill(Rgb c) {
    canvas.SetBrushStyle(BrushStyle::Solid);
    canvas.SetBrushColor(c);
    canvas.FillRect(0, 0, canvas.Width(), canvas.Height());
  }
  int CountColor(Rgb c) {
    int count = 0;
    for (int32_t y = 0; y < canvas.Height(); ++y)
      for (int32_t x = 0; x < canvas.Width(); ++x) count += Px(x, y) == Rgb24(c);
    return count;
  }
};

std::unique_ptr<Scene> MakeScene(int32_t w, int32_t h, double lat, double lon, double mpp, double rotation = 0) {
  EnsureGuiApp();
  return std::make_unique<Scene>(w, h, lat, lon, mpp, rotation);
}

// A record as the chart files lay it out: header, attribute text padded to a word, points.
// The box is that of the points unless one is given.
Words MakeRecord(char kind, const std::string& text, const Words& points, const Words& box = {}) {
  Words w(10, 0);
  w[0] = static_cast<unsigned char>(kind);
  if (box.size() == 4) {
    for (int i = 0; i < 4; ++i) w[2 + i] = box[static_cast<size_t>(i)];
  } else {
    int32_t north = INT32_MIN, south = INT32_MAX, west = INT32_MAX, east = INT32_MIN;
    for (size_t i = 0; i + 1 < points.size(); i += 2) {
      north = std::max(north, points[i]);
      south = std::min(south, points[i]);
      east = std::max(east, points[i + 1]);
      west = std::min(west, points[i + 1]);
    }
    w[2] = north, w[3] = west, w[4] = south, w[5] = east;
  }
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

// Header with the catalog's bounds (or those given), the records, the end marker.
Words MakeImage(const std::vector<Words>& records, const Words& bounds = {600000000, 1200000000, 200000000, 1600000000}) {
  Words w = {kMagic, 10, bounds[0], bounds[1], bounds[2], bounds[3], 8, 10, 0, 0};
  for (const Words& r : records) w.insert(w.end(), r.begin(), r.end());
  w.push_back(0);
  return w;
}

// Fills a whole scene with sea (as the frame does) and draws the words on it.
void DrawWords(Scene& s, const Words& image) {
  FrameContext f = s.Context();
  s.layer.DrawBaseChart(f, nullptr);
  s.layer.DrawChartWords(f, image.data(), image.size());
}

std::unique_ptr<ChartImage> ToChartImage(const Words& words) {
  auto image = std::make_unique<ChartImage>();
  std::memset(image->words, 0, sizeof image->words);
  std::memcpy(image->words, words.data(), words.size() * sizeof(int32_t));
  image->wordCount = words.size();
  return image;
}

// ---------------------------------------------------------------------------------------
// The seam rule.

struct SeamCase {
  const char* name;
  int32_t lat0, lon0, lat1, lon1;
  bool seam;
};

const SeamCase kSeamCases[] = {
    {"lat19_lon180000_is_seam", 350000000, 1350000000, 350000019, 1350180000, true},
    {"lat20_lon180000_is_not", 350000000, 1350000000, 350000020, 1350180000, false},
    {"lon19_lat180000_is_seam", 350000000, 1350000000, 350180000, 1350000019, true},
    {"backwards_is_seam_too", 350000019, 1350180000, 350000000, 1350000000, true},
    {"straight_179985_is_not", 350000000, 1350000000, 350000000, 1350179985, false},
    {"straight_179986_is_seam", 350000000, 1350000000, 350000000, 1350179986, true},
    {"both_1799857_is_seam", 350000000, 1350000000, 351799857, 1351799857, true},
    {"both_1799856_is_not", 350000000, 1350000000, 351799856, 1351799856, false},
    {"one_1799857_is_seam", 350000000, 1350000000, 350500000, 1351799857, true},
    {"short_edge_is_not", 350000000, 1350000000, 350001000, 1350002000, false},
    {"difference_beyond_int32_is_seam", -2000000000, -2000000000, 2000000000, 2000000000, true},
};

class SeamEdgeTest : public testing::TestWithParam<SeamCase> {};

TEST_P(SeamEdgeTest, Rule) {
  const SeamCase& c = GetParam();
  EXPECT_EQ(IsSeamEdge(c.lat0, c.lon0, c.lat1, c.lon1), c.seam);
}

INSTANTIATE_TEST_SUITE_P(Cases, SeamEdgeTest, testing::ValuesIn(kSeamCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// BoxNearView.

struct NearCase {
  const char* name;
  // Box as offsets from the view's edges, in units of the margin m (a quarter of the
  // longitude span): north, west, south, east.
  double north, west, south, east;
  bool near;
};

// North offsets count from northLat, south offsets from southLat, west and east from
// westLon and eastLon.
const NearCase kNearCases[] = {
    {"inside", -1, 1, 1, -1, true},
    {"north_within_margin", 1.5, 0, 0.9, 0, true},
    {"north_beyond_margin", 3, 0, 1.1, 0, false},
    {"south_within_margin", -0.9, 0, -3, 0, true},
    {"south_beyond_margin", -1.1, 0, -3, 0, false},
    {"far_east_still_near", 0, 5, 0, 6, true},
    {"far_west_still_near", 0, -6, 0, -5, true},
    {"inverted_beyond_both_sides", 0, 1.1, 0, -1.1, false},
    {"inverted_within_margin", 0, 0.9, 0, -1.1, true},
};

class BoxNearViewTest : public testing::TestWithParam<NearCase> {};

TEST_P(BoxNearViewTest, Margins) {
  const NearCase& c = GetParam();
  ViewState v;
  SetupViewGeometry(v, 400, 300, 35, 135, 0, 100);
  const double m = (v.eastLon - v.westLon) * 0.25;
  // West and east offsets of a box that sits within the view's columns are relative to
  // the edges of the same name; the "inverted" rows take west beyond eastLon and east
  // before westLon.
  double west = v.westLon + c.west * m, east = v.eastLon + c.east * m;
  if (std::string(c.name).rfind("inverted", 0) == 0) {
    west = v.eastLon + c.west * m;
    east = v.westLon + c.east * m;
  } else if (std::string(c.name).rfind("far_", 0) == 0) {
    west = v.eastLon + c.west * m;
    east = v.eastLon + c.east * m;
  }
  const double north = (c.north >= 0 ? v.northLat : v.southLat) + c.north * m;
  const double south = (c.south >= 0 ? v.northLat : v.southLat) + c.south * m;
  EXPECT_EQ(BoxNearView(v, north, west, south, east), c.near);
}

INSTANTIATE_TEST_SUITE_P(Cases, BoxNearViewTest, testing::ValuesIn(kNearCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Sea only.

TEST(BaseChartLayerTest, NoCatalogIsSeaOnly) {
  auto s = MakeScene(64, 48, 35, 135, 15);
  s->Fill(kWhite);
  FrameContext f = s->Context();
  s->layer.DrawBaseChart(f, nullptr);
  EXPECT_EQ(s->CountColor(kSea), 64 * 48);
}

TEST(BaseChartLayerTest, SeaColourComesFromTheView) {
  auto s = MakeScene(32, 32, 35, 135, 15);
  s->view.seaColor = Rgb{10, 20, 30};
  FrameContext f = s->Context();
  s->layer.DrawBaseChart(f, nullptr);
  EXPECT_EQ(s->CountColor(Rgb{10, 20, 30}), 32 * 32);
}

struct CatalogRangeCase {
  const char* name;
  double centerLat;
  double mpp;
  bool drawn;
};

// The view is 200 px square; at 1000 m/px its latitude half-height is about 0.9 degree
// and the margin (a quarter of the longitude span) about 0.55 degree at 19-20 N.
const CatalogRangeCase kCatalogRange[] = {
    {"far_south_of_catalog", 10.0, 1000, false},
    {"just_south_beyond_margin", 18.3, 1000, false},
    {"south_within_margin", 18.7, 1000, true},
    {"inside_catalog", 35.0, 1000, true},
    {"far_north_of_catalog", 70.0, 1000, false},
};

class CatalogRangeTest : public testing::TestWithParam<CatalogRangeCase> {};

// A land area covering the whole view, whose own box claims to be near whatever the view:
// only the image's bounds (20-60 N) can keep it from being drawn.
TEST_P(CatalogRangeTest, ImageBoundsDecide) {
  const CatalogRangeCase& c = GetParam();
  auto s = MakeScene(200, 200, c.centerLat, 135, c.mpp);
  const Words area = MakeRecord('A', "", s->At({-50, -50, 250, -50, 250, 250, -50, 250}),
                                {900000000, -1800000000, -900000000, 1800000000});
  const auto image = ToChartImage(MakeImage({area}));
  FrameContext f = s->Context();
  s->layer.DrawBaseChart(f, image.get());
  if (c.drawn) {
    EXPECT_EQ(s->CountColor(kLand), 200 * 200);
  } else {
    EXPECT_EQ(s->CountColor(kSea), 200 * 200);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, CatalogRangeTest, testing::ValuesIn(kCatalogRange),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Kinds, colours and the pen and brush carried between records.

TEST(BaseChartLayerTest, AreaIsFilledGreyAndOutlinedSilver) {
  // At 15 m per pixel the 100-pixel edges are 0.0135 degree long: no seams.
  auto s = MakeScene(200, 200, 35, 135, 15);
  const auto image = ToChartImage(MakeImage({MakeRecord('A', "<R>", s->At({50, 50, 150, 50, 150, 150, 50, 150}))}));
  FrameContext f = s->Context();
  s->layer.DrawBaseChart(f, image.get());
  EXPECT_EQ(s->Px(100, 100), Rgb24(kLand));
  EXPECT_EQ(s->Px(50, 100), Rgb24(kCoast));   // west edge
  EXPECT_EQ(s->Px(100, 50), Rgb24(kCoast));   // north edge
  EXPECT_EQ(s->Px(150, 100), Rgb24(kCoast));  // east edge
  EXPECT_EQ(s->Px(100, 150), Rgb24(kCoast));  // south edge
  EXPECT_EQ(s->Px(30, 100), Rgb24(kSea));
  EXPECT_EQ(s->Px(170, 170), Rgb24(kSea));
  EXPECT_EQ(s->CountColor(kRed), 0) << "an area's own pen replaces its colour tag";
}

// Land cut along bin borders: the straight border edges (seams) are not outlined, by the
// fill or by the outline pass, so neighbouring bins' land meets without a line between.
TEST(BaseChartLayerTest, SeamsOfLandAreNotOutlined) {
  // At 100 m per pixel: the west and south edges (0.09 degree, straight) are seams, the
  // diagonal is a coast.
  auto s = MakeScene(200, 200, 35, 135, 100);
  const auto image = ToChartImage(MakeImage({MakeRecord('A', "", s->At({50, 50, 150, 150, 50, 150}))}));
  FrameContext f = s->Context();
  s->layer.DrawBaseChart(f, image.get());
  EXPECT_EQ(s->Px(50, 100), Rgb24(kLand));   // west edge: seam
  EXPECT_EQ(s->Px(100, 150), Rgb24(kLand));  // south edge: seam
  EXPECT_EQ(s->Px(100, 100), Rgb24(kCoast)); // the diagonal
  EXPECT_EQ(s->Px(70, 120), Rgb24(kLand));
  EXPECT_EQ(s->Px(120, 70), Rgb24(kSea));
  EXPECT_EQ(s->CountColor(kCoast), 101) << "only the diagonal, end points included";
}

TEST(BaseChartLayerTest, LandDrawnInTheCoastColourIsOutlinedAllRound) {
  auto s = MakeScene(200, 200, 35, 135, 100);
  s->view.landColor = kCoast;
  const auto image = ToChartImage(MakeImage({MakeRecord('A', "", s->At({50, 50, 150, 150, 50, 150}))}));
  FrameContext f = s->Context();
  s->layer.DrawBaseChart(f, image.get());
  EXPECT_EQ(s->Px(50, 100), Rgb24(kCoast));
  EXPECT_EQ(s->Px(70, 120), Rgb24(kCoast));
  EXPECT_EQ(s->Px(120, 70), Rgb24(kSea));
}

struct KindCase {
  const char* name;
  char kind;
  Rgb outline;
  Rgb fill;
};

const KindCase kKinds[] = {
    {"A_land", 'A', kCoast, kLand},
    {"W_water", 'W', kBluePen, kBlueFill},
    {"S_green", 'S', kGreenPen, kGreenFill},
};

class AreaKindTest : public testing::TestWithParam<KindCase> {};

TEST_P(AreaKindTest, PenAndBrush) {
  const KindCase& c = GetParam();
  auto s = MakeScene(120, 120, 35, 135, 15);  // edges too short to be seams
  DrawWords(*s, MakeImage({MakeRecord(c.kind, "<Y>", s->At({20, 20, 100, 20, 100, 100, 20, 100}))}));
  EXPECT_EQ(s->Px(60, 60), Rgb24(c.fill));
  EXPECT_EQ(s->Px(20, 60), Rgb24(c.outline));
  EXPECT_EQ(s->Px(60, 100), Rgb24(c.outline));
  EXPECT_EQ(s->Px(10, 10), Rgb24(kSea));
}

INSTANTIATE_TEST_SUITE_P(Cases, AreaKindTest, testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.name); });

struct CarryCase {
  const char* name;
  char before;               // kind of the record before the line (0: none)
  std::string beforeText;    // its attribute text
  std::string lineText;      // the line's attribute text
  Rgb expected;
};

const CarryCase kCarry[] = {
    {"first_line_uses_coast_colour", 0, "", "", kCoast},
    {"tag_colours_the_line", 0, "", "<R>", kRed},
    {"unknown_tag_is_black", 0, "", "<X>", kBlack},
    {"short_tag_is_black", 0, "", "<R", kBlack},
    {"after_S_line_is_green", 'S', "", "", kGreenPen},
    {"after_W_line_is_blue", 'W', "", "", kBluePen},
    {"after_A_line_is_coast", 'A', "<R>", "", kCoast},
    {"after_tagged_line", 'L', "<M>", "", Rgb{255, 0, 255}},
    {"after_tagged_unknown_kind", 'Q', "<A>", "", Rgb{0, 255, 255}},
    {"after_tagged_dot", 'P', "<Y> 3", "", Rgb{255, 255, 0}},
    {"own_tag_beats_carried_pen", 'S', "", "<B>", kBluePen},
};

class CarriedPenTest : public testing::TestWithParam<CarryCase> {};

// The earlier record lies in the top rows, the line across the middle.
TEST_P(CarriedPenTest, LineColour) {
  const CarryCase& c = GetParam();
  auto s = MakeScene(120, 120, 35, 135, 100);
  std::vector<Words> records;
  if (c.before != 0) records.push_back(MakeRecord(c.before, c.beforeText, s->At({10, 10, 40, 10, 40, 30, 10, 30})));
  records.push_back(MakeRecord('L', c.lineText, s->At({10, 80, 110, 80})));
  DrawWords(*s, MakeImage(records));
  for (int32_t x : {20, 60, 100}) EXPECT_EQ(s->Px(x, 80), Rgb24(c.expected)) << "x " << x;
  EXPECT_EQ(s->Px(60, 70), Rgb24(kSea));
}

INSTANTIATE_TEST_SUITE_P(Cases, CarriedPenTest, testing::ValuesIn(kCarry),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BaseChartLayerTest, PenCarriesOverIntoTheNextFrame) {
  // Without a record setting the pen, a frame starts again from the coast colour.
  auto s = MakeScene(120, 120, 35, 135, 100);
  DrawWords(*s, MakeImage({MakeRecord('L', "<R>", s->At({10, 40, 110, 40}))}));
  DrawWords(*s, MakeImage({MakeRecord('L', "", s->At({10, 80, 110, 80}))}));
  EXPECT_EQ(s->Px(60, 80), Rgb24(kCoast));
  EXPECT_EQ(s->Px(60, 40), Rgb24(kSea));
}

// ---------------------------------------------------------------------------------------
// Dots.

struct DotCase {
  const char* name;
  std::string text;
  bool large;
};

const DotCase kDots[] = {
    {"value_9_radius_1", "<W> 9", false},
    {"value_10_radius_2", "<W> 10", true},
    {"value_10_without_blank", "<W>_10", true},
    {"negative_value_radius_1", "<W> -50", false},
    {"separator_byte_is_not_read", "<W>12", false},
    {"text_shorter_than_5_is_value_0", "<W>", false},
    {"no_digits_is_value_0", "<W> x10", false},
};

class DotRadiusTest : public testing::TestWithParam<DotCase> {};

// The dot at (20, 20): radius 1 is the 2x2 block (19..20, 19..20), all pen; radius 2 is
// the ring around it, (18..21, 18..21) without its corners.
TEST_P(DotRadiusTest, Radius) {
  const DotCase& c = GetParam();
  auto s = MakeScene(40, 40, 35, 135, 100);
  DrawWords(*s, MakeImage({MakeRecord('P', c.text, s->At({20, 20}))}));
  const uint32_t white = Rgb24(kWhite);
  EXPECT_EQ(s->Px(19, 19) == white, !c.large) << "inside";
  EXPECT_EQ(s->Px(20, 20) == white, !c.large) << "inside";
  EXPECT_EQ(s->Px(18, 19) == white, c.large) << "left";
  EXPECT_EQ(s->Px(21, 20) == white, c.large) << "right";
  EXPECT_EQ(s->Px(20, 18) == white, c.large) << "top";
  EXPECT_EQ(s->Px(19, 21) == white, c.large) << "bottom";
  EXPECT_EQ(s->Px(22, 19), Rgb24(kSea));
  EXPECT_EQ(s->Px(17, 19), Rgb24(kSea));
}

struct DotFillCase {
  const char* name;
  char before;  // a filled record drawn first, away from the dot (0: none)
  Rgb fill;
};

const DotFillCase kDotFills[] = {
    {"before_any_fill_is_sea", 0, kSea},
    {"after_S_is_dark_green", 'S', kGreenFill},
    {"after_W_is_dark_blue", 'W', kBlueFill},
    {"after_A_is_land", 'A', kLand},
};

class DotFillTest : public testing::TestWithParam<DotFillCase> {};

// A radius-2 dot shows its brush in its 2x2 middle. A coast-coloured line is drawn through
// the middle first, so a sea-coloured fill is seen too.
TEST_P(DotFillTest, BrushCarriedFromTheRecordBefore) {
  const DotFillCase& c = GetParam();
  auto s = MakeScene(40, 40, 35, 135, 100);
  std::vector<Words> records;
  if (c.before != 0) records.push_back(MakeRecord(c.before, "", s->At({2, 2, 12, 2, 12, 12, 2, 12})));
  records.push_back(MakeRecord('L', "", s->At({0, 20, 39, 20})));
  records.push_back(MakeRecord('P', "<R> 10", s->At({20, 20})));
  DrawWords(*s, MakeImage(records));
  EXPECT_EQ(s->Px(19, 20), Rgb24(c.fill));
  EXPECT_EQ(s->Px(20, 20), Rgb24(c.fill));
  EXPECT_EQ(s->Px(18, 20), Rgb24(kRed));
  EXPECT_EQ(s->Px(30, 20), Rgb24(c.before == 'W' ? kBluePen : c.before == 'S' ? kGreenPen : kCoast));
}

INSTANTIATE_TEST_SUITE_P(Cases, DotFillTest, testing::ValuesIn(kDotFills),
                         [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(Cases, DotRadiusTest, testing::ValuesIn(kDots),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Area outlines and their seams.

// Coast-coloured pixels within one pixel of a point.
int CoastNear(Scene& s, PixelPoint p) {
  int count = 0;
  for (int32_t dy = -1; dy <= 1; ++dy)
    for (int32_t dx = -1; dx <= 1; ++dx) count += s.Px(p.x + dx, p.y + dy) == Rgb24(kCoast);
  return count;
}

PixelPoint Project(const Scene& s, int32_t lat, int32_t lon) {
  PixelPoint p;
  LatLonToPixel(s.view, lat * 1e-7, lon * 1e-7, p.x, p.y);
  return p;
}

PixelPoint Middle(PixelPoint a, PixelPoint b) { return PixelPoint{(a.x + b.x) / 2, (a.y + b.y) / 2}; }

// Draws only the outline of an area given as stored offsets from a start point at work
// pixel (40, 100), on a plain sea background.
struct Outlined {
  std::unique_ptr<Scene> scene;
  std::vector<PixelPoint> screen;
};

Outlined OutlineOf(double mpp, const Words& offsets) {
  Outlined o{MakeScene(200, 200, 35, 135, mpp), {}};
  Scene& s = *o.scene;
  const int32_t lat0 = s.LatAt(100), lon0 = s.LonAt(40);
  Words g;
  for (size_t i = 0; i + 1 < offsets.size(); i += 2) {
    g.push_back(lat0 + offsets[i]);
    g.push_back(lon0 + offsets[i + 1]);
  }
  const int32_t n = static_cast<int32_t>(g.size() / 2);
  for (int32_t i = 0; i < n; ++i) o.screen.push_back(Project(s, g[2 * i], g[2 * i + 1]));
  std::vector<PixelPoint> buffer = o.screen;
  buffer.push_back(PixelPoint{-7, -7});  // the spare entry
  FrameContext f = s.Context();
  s.layer.DrawBaseChart(f, nullptr);
  s.layer.DrawAreaOutline(f, g.data(), buffer.data(), n);
  EXPECT_EQ(buffer[static_cast<size_t>(n)].x, buffer[0].x) << "the spare entry closes the ring";
  EXPECT_EQ(buffer[static_cast<size_t>(n)].y, buffer[0].y);
  return o;
}

struct OutlineSeamCase {
  const char* name;
  double mpp;
  int32_t dLat, dLon;  // the edge from the first point to the second
  bool seam;
  int32_t thirdLat, thirdLon;  // the third point, away from the middle of that edge
};

const OutlineSeamCase kOutlineSeams[] = {
    {"lat_19_lon_180000_left_out", 100, 19, 180000, true, -450000, 90000},
    {"lat_20_lon_180000_drawn", 100, 20, 180000, false, -450000, 90000},
    {"lat_minus_19_left_out", 100, -19, 180000, true, -450000, 90000},
    {"both_1799857_left_out", 1000, -1799857, 1799857, true, 900000, 1500000},
    {"both_1799856_drawn", 1000, -1799856, 1799856, false, 900000, 1500000},
};

class OutlineSeamTest : public testing::TestWithParam<OutlineSeamCase> {};

// A triangle: the edge under test, then two diagonal edges back to the start.
TEST_P(OutlineSeamTest, EdgeFromFirstToSecondPoint) {
  const OutlineSeamCase& c = GetParam();
  const Outlined o = OutlineOf(c.mpp, {0, 0, c.dLat, c.dLon, c.thirdLat, c.thirdLon});
  Scene& s = *o.scene;
  const PixelPoint mid = Middle(o.screen[0], o.screen[1]);
  if (c.seam) {
    EXPECT_EQ(CoastNear(s, mid), 0);
  } else {
    EXPECT_GT(CoastNear(s, mid), 0);
  }
  // The other edges are drawn whatever the first one is.
  EXPECT_GT(CoastNear(s, Middle(o.screen[2], o.screen[0])), 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, OutlineSeamTest, testing::ValuesIn(kOutlineSeams),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AreaOutlineTest, ClosingSeamIsLeftOut) {
  // Start, a point down and to the right, a point straight east of the start: the last
  // edge, back to the start, runs exactly west over 300000 units.
  const Outlined o = OutlineOf(100, {0, 0, -400000, 150000, 0, 300000});
  Scene& s = *o.scene;
  EXPECT_GT(CoastNear(s, Middle(o.screen[0], o.screen[1])), 0);
  EXPECT_GT(CoastNear(s, Middle(o.screen[1], o.screen[2])), 0);
  EXPECT_EQ(CoastNear(s, Middle(o.screen[2], o.screen[0])), 0);
}

TEST(AreaOutlineTest, RunsOnBothSidesOfAMiddleSeam) {
  // A square whose top edge (second to third point) is a seam.
  const Outlined o = OutlineOf(100, {0, 0, 300000, 50000, 300000, 350000, 20000, 300000});
  Scene& s = *o.scene;
  EXPECT_GT(CoastNear(s, Middle(o.screen[0], o.screen[1])), 0);
  EXPECT_EQ(CoastNear(s, Middle(o.screen[1], o.screen[2])), 0);
  EXPECT_GT(CoastNear(s, Middle(o.screen[2], o.screen[3])), 0);
  EXPECT_GT(CoastNear(s, Middle(o.screen[3], o.screen[0])), 0);
}

// ---------------------------------------------------------------------------------------
// The walk over the image.

TEST(BaseChartLayerTest, UnknownKindIsSkippedAndTheNextRecordFound) {
  auto s = MakeScene(120, 120, 35, 135, 100);
  // The unknown record's points would fill the top half; its tag still sets the pen.
  DrawWords(*s, MakeImage({MakeRecord('Q', "<R>", s->At({0, 0, 119, 0, 119, 50, 0, 50})),
                           MakeRecord('L', "", s->At({10, 80, 110, 80}))}));
  EXPECT_EQ(s->Px(60, 25), Rgb24(kSea));
  EXPECT_EQ(s->Px(60, 0), Rgb24(kSea));
  EXPECT_EQ(s->Px(60, 80), Rgb24(kRed));
}

TEST(BaseChartLayerTest, RecordWithoutPointsIsSkipped) {
  auto s = MakeScene(120, 120, 35, 135, 100);
  const Words near = {s->LatAt(0), s->LonAt(0), s->LatAt(119), s->LonAt(119)};
  DrawWords(*s, MakeImage({MakeRecord('P', "<R> 10", {}, near), MakeRecord('A', "<R>", {}, near),
                           MakeRecord('L', "", s->At({10, 80, 110, 80}))}));
  EXPECT_EQ(s->Px(60, 80), Rgb24(kCoast)) << "the empty records set no pen";
  EXPECT_EQ(s->CountColor(kSea) + s->CountColor(kCoast), 120 * 120);
}

TEST(BaseChartLayerTest, RecordsAwayFromTheViewAreSkippedWithoutTheirPen) {
  auto s = MakeScene(120, 120, 35, 135, 100);
  // A tagged line whose box is far north: neither it nor its tag is used.
  const Words farBox = {450000000, 1350000000, 440000000, 1360000000};
  DrawWords(*s, MakeImage({MakeRecord('L', "<R>", s->At({10, 40, 110, 40}), farBox),
                           MakeRecord('L', "", s->At({10, 80, 110, 80}))}));
  EXPECT_EQ(s->Px(60, 40), Rgb24(kSea));
  EXPECT_EQ(s->Px(60, 80), Rgb24(kCoast));
}

TEST(BaseChartLayerTest, DrawsThroughTheCatalogImage) {
  auto s = MakeScene(120, 120, 35, 135, 100);
  const auto image = ToChartImage(MakeImage({MakeRecord('S', "", s->At({20, 20, 100, 20, 100, 100, 20, 100}))}));
  FrameContext f = s->Context();
  s->layer.DrawBaseChart(f, image.get());
  EXPECT_EQ(s->Px(60, 60), Rgb24(kGreenFill));
  EXPECT_EQ(s->Px(10, 60), Rgb24(kSea));
}

struct BufferCase {
  const char* name;
  std::vector<int32_t> sizes;  // point counts of the records of one frame
  int32_t room;
};

const BufferCase kBuffers[] = {
    {"small_records_keep_100000", {2, 5000}, 100000},
    {"exactly_100000_fits", {100000}, 100000},
    {"100001_grows_to_110001", {100001}, 110001},
    {"150000_grows_to_160000", {150000}, 160000},
    {"smaller_later_records_reuse_it", {150000, 120000, 155000, 3}, 160000},
    {"larger_later_record_grows_again", {150000, 170000}, 180000},
};

class PointBufferTest : public testing::TestWithParam<BufferCase> {};

// Each record is a line back and forth along its own row; every one must be drawn.
TEST_P(PointBufferTest, GrowsOnlyForLargerRecords) {
  const BufferCase& c = GetParam();
  auto s = MakeScene(200, 200, 35, 135, 100);
  EXPECT_EQ(s->layer.PointRoom(), 100000);
  std::vector<Words> records;
  std::vector<int32_t> rows;
  for (size_t k = 0; k < c.sizes.size(); ++k) {
    const int32_t row = 20 + 30 * static_cast<int32_t>(k);
    rows.push_back(row);
    Words points;
    for (int32_t i = 0; i < c.sizes[k]; ++i) {
      points.push_back(s->LatAt(row));
      points.push_back(s->LonAt(i % 2 == 0 ? 10 : 190));
    }
    records.push_back(MakeRecord('L', "<W>", points));
  }
  const Words image = MakeImage(records);
  for (int frame = 0; frame < 2; ++frame) {
    DrawWords(*s, image);
    EXPECT_EQ(s->layer.PointRoom(), c.room) << "frame " << frame;
    for (int32_t row : rows) EXPECT_EQ(s->Px(100, row), Rgb24(kWhite)) << "row " << row;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, PointBufferTest, testing::ValuesIn(kBuffers),
                         [](const auto& info) { return std::string(info.param.name); });

// Malformed images: drawn from exactly-sized buffers, so a read past the image is caught
// by the sanitizers. A line at row 20 comes first, the damaged record second, a line at
// row 80 last.
struct DamageCase {
  const char* name;
  void (*damage)(Words& image, size_t second);  // second: index of the damaged record
  bool firstDrawn;
  bool lastDrawn;
};

const DamageCase kDamages[] = {
    {"intact", [](Words&, size_t) {}, true, true},
    {"length_below_10", [](Words& w, size_t r) { w[r + 1] = 9; }, true, false},
    {"length_zero", [](Words& w, size_t r) { w[r + 1] = 0; }, true, false},
    {"length_negative", [](Words& w, size_t r) { w[r + 1] = -40; }, true, false},
    {"length_past_the_image", [](Words& w, size_t r) { w[r + 1] = 1 << 30; }, true, false},
    {"points_past_the_record", [](Words& w, size_t r) { w[r + 8] = 1000; }, true, false},
    {"negative_point_count", [](Words& w, size_t r) { w[r + 8] = -1; }, true, false},
    {"point_index_past_the_record", [](Words& w, size_t r) { w[r + 7] = 5000; }, true, false},
    {"text_index_past_the_record", [](Words& w, size_t r) { w[r + 6] = 5000; }, true, false},
    {"text_without_nul",
     [](Words& w, size_t r) {
       const size_t last = r + static_cast<size_t>(w[r + 1]) - 1;
       w[r + 6] = w[r + 1] - 1;
       w[last] = 0x41414141;
     },
     true, false},
    {"truncated_after_the_damaged_record", [](Words& w, size_t r) { w.resize(r + 5); }, true, false},
    {"no_end_marker", [](Words& w, size_t) { w.pop_back(); }, true, true},
    {"header_first_record_past_image", [](Words& w, size_t) { w[7] = 1 << 30; }, false, false},
    {"header_first_record_inside_header", [](Words& w, size_t) { w[7] = 3; }, false, false},
    {"shorter_than_a_header", [](Words& w, size_t) { w.resize(9); }, false, false},
};

class DamagedImageTest : public testing::TestWithParam<DamageCase> {};

TEST_P(DamagedImageTest, DrawsWhatCanBeTrustedAndStops) {
  const DamageCase& c = GetParam();
  auto s = MakeScene(120, 120, 35, 135, 100);
  const Words first = MakeRecord('L', "<W>", s->At({10, 20, 110, 20}));
  const Words middle = MakeRecord('L', "<R>", s->At({10, 50, 110, 50}));
  const Words last = MakeRecord('L', "<W>", s->At({10, 80, 110, 80}));
  Words image = MakeImage({first, middle, last});
  c.damage(image, 10 + first.size());
  Words exact(image.begin(), image.end());  // no spare capacity beyond the last word
  exact.shrink_to_fit();
  DrawWords(*s, exact);
  EXPECT_EQ(s->Px(60, 20) == Rgb24(kWhite), c.firstDrawn);
  EXPECT_EQ(s->Px(60, 80) == Rgb24(kWhite), c.lastDrawn);
  EXPECT_EQ(s->CountColor(kSea) + s->CountColor(kWhite) + s->CountColor(kRed), 120 * 120);
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedImageTest, testing::ValuesIn(kDamages),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Shapes reaching far outside the bitmap (at 0.1 m per pixel a degree is a million pixels).

constexpr double kFar = 1e8;

// The rings of a shape with a hole are joined by an edge out and the same edge back, which
// cancels in the even-odd fill but is outlined by the pen.
struct FarCase {
  const char* name;
  double rotation;
  char kind;
  std::vector<double> xy;  // pixel positions of the unrotated view
  std::vector<std::pair<int32_t, int32_t>> fill, sea, pen;
};

const FarCase kFarCases[] = {
    {"triangle_cut_by_the_diagonal", 0, 'S', {-kFar, -kFar, kFar, kFar, -kFar, kFar},
     {{50, 150}, {100, 103}, {2, 190}, {0, 199}}, {{150, 50}, {103, 100}, {199, 0}, {190, 2}}, {}},
    {"square_hole_in_a_huge_square", 0, 'S',
     {-kFar, -kFar, kFar, -kFar, kFar, kFar, -kFar, kFar, -kFar, -kFar, 50, 50, 150, 50, 150, 150, 50, 150, 50, 50},
     {{20, 40}, {40, 20}, {199, 0}, {199, 199}, {180, 100}, {100, 180}}, {{100, 100}, {60, 60}, {140, 140}},
     {{100, 50}, {50, 100}, {20, 20}}},
    {"view_inside_a_huge_hole", 0, 'S',
     {-kFar, -kFar, kFar, -kFar, kFar, kFar, -kFar, kFar, -kFar, -kFar, -kFar / 2, -kFar / 2, kFar / 2, -kFar / 2,
      kFar / 2, kFar / 2, -kFar / 2, kFar / 2, -kFar / 2, -kFar / 2},
     {}, {{0, 0}, {100, 100}, {199, 199}, {0, 199}}, {}},
    {"rotated_square_hole", 30, 'S',
     {-kFar, -kFar, kFar, -kFar, kFar, kFar, -kFar, kFar, -kFar, -kFar, 50, 50, 150, 50, 150, 150, 50, 150, 50, 50},
     {{5, 5}, {195, 195}, {5, 195}}, {{100, 100}, {100, 60}, {140, 100}}, {}},
    {"land_area_covering_the_view", 0, 'A', {-kFar, -kFar, kFar, -kFar, kFar, kFar, -kFar, kFar},
     {{0, 0}, {100, 100}, {199, 0}, {0, 199}, {199, 199}}, {}, {}},
};

class FarShapeTest : public testing::TestWithParam<FarCase> {};

TEST_P(FarShapeTest, VisiblePartFilledExactly) {
  const FarCase& c = GetParam();
  auto s = MakeScene(200, 200, 35, 100, 0.1, c.rotation);
  DrawWords(*s, MakeImage({MakeRecord(c.kind, "", s->At(c.xy))}));
  const Rgb fill = c.kind == 'A' ? kLand : kGreenFill;
  const Rgb pen = c.kind == 'A' ? kCoast : kGreenPen;
  for (auto [x, y] : c.fill) EXPECT_EQ(s->Px(x, y), Rgb24(fill)) << "fill at " << x << "," << y;
  for (auto [x, y] : c.sea) EXPECT_EQ(s->Px(x, y), Rgb24(kSea)) << "sea at " << x << "," << y;
  for (auto [x, y] : c.pen) EXPECT_EQ(s->Px(x, y), Rgb24(pen)) << "pen at " << x << "," << y;
  // Nothing but the shape's colours, and no outline along the bitmap's border (edges
  // crossing the border touch it in a pixel or two).
  EXPECT_EQ(s->CountColor(kSea) + s->CountColor(fill) + s->CountColor(pen), 200 * 200);
  int top = 0, left = 0, bottom = 0, right = 0;
  for (int32_t i = 0; i < 200; ++i) {
    top += s->Px(i, 0) == Rgb24(pen);
    left += s->Px(0, i) == Rgb24(pen);
    bottom += s->Px(i, 199) == Rgb24(pen);
    right += s->Px(199, i) == Rgb24(pen);
  }
  EXPECT_LE(top, 2);
  EXPECT_LE(left, 2);
  EXPECT_LE(bottom, 2);
  EXPECT_LE(right, 2);
}

INSTANTIATE_TEST_SUITE_P(Cases, FarShapeTest, testing::ValuesIn(kFarCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FarShapeTest, LinesFromFarAwayCrossTheView) {
  auto s = MakeScene(200, 200, 35, 100, 0.1);
  DrawWords(*s, MakeImage({MakeRecord('L', "<W>", s->At({-kFar, 100, kFar, 100})),
                           MakeRecord('L', "<R>", s->At({-kFar, 60, 150, 60, 150, kFar}))}));
  for (int32_t x : {0, 50, 100, 199}) EXPECT_EQ(s->Px(x, 100), Rgb24(kWhite)) << x;
  EXPECT_EQ(s->Px(100, 99), Rgb24(kSea));
  EXPECT_EQ(s->Px(100, 101), Rgb24(kSea));
  for (int32_t x : {0, 50, 149}) EXPECT_EQ(s->Px(x, 60), Rgb24(kRed)) << x;
  for (int32_t y : {61, 150, 199}) EXPECT_EQ(s->Px(150, y), Rgb24(kRed)) << y;
  EXPECT_EQ(s->Px(170, 60), Rgb24(kSea));
  EXPECT_EQ(s->Px(150, 30), Rgb24(kSea));
}

// ---------------------------------------------------------------------------------------
// A made-up island at every scale. With AISMON_CHART_PNG_DIR set, each frame is also
// written there as a PNG to be looked at.

struct IslandScaleCase {
  const char* name;
  double mpp;
  double rotation;
};

const IslandScaleCase kIslandScales[] = {
    {"at_0_1", 0.1, 0},    {"at_1", 1, 0},         {"at_15", 15, 0},          {"at_100", 100, 0},
    {"at_1000", 1000, 0},  {"at_10000", 10000, 0}, {"at_100_turned_30", 100, 30}, {"at_0_1_turned_30", 0.1, 30},
};

class IslandTest : public testing::TestWithParam<IslandScaleCase> {};

// Stored 1e-7 degree of a position in degrees.
int32_t Stored(double degrees) { return static_cast<int32_t>(std::llround(degrees * 1e7)); }

TEST_P(IslandTest, CoastCrossesTheViewAtEveryScale) {
  const IslandScaleCase& c = GetParam();
  constexpr double kLat = 34.5, kLon = 135.0;
  constexpr int kVertices = 36;
  // A wobbly ring about 0.35 degree across, land on the left going round anticlockwise.
  Words ring;
  double vLat[kVertices], vLon[kVertices];
  for (int i = 0; i < kVertices; ++i) {
    const double a = 2 * M_PI * i / kVertices;
    const double r = 0.3 + 0.06 * std::sin(5 * a) + 0.03 * std::cos(3 * a);
    vLat[i] = kLat + r * std::sin(a);
    vLon[i] = kLon + r * std::cos(a) / std::cos(kLat * M_PI / 180);
    ring.push_back(Stored(vLat[i]));
    ring.push_back(Stored(vLon[i]));
  }
  // The view is centred on the middle of the edge from vertex 2 to vertex 3.
  const double centerLat = (vLat[2] + vLat[3]) / 2, centerLon = (vLon[2] + vLon[3]) / 2;
  auto s = MakeScene(400, 300, centerLat, centerLon, c.mpp, c.rotation);
  Words lake, marsh, river, dots;
  for (int i = 0; i < 12; ++i) {
    const double a = 2 * M_PI * i / 12;
    lake.push_back(Stored(kLat + 0.05 + 0.06 * std::sin(a)));
    lake.push_back(Stored(kLon - 0.1 + 0.08 * std::cos(a)));
    marsh.push_back(Stored(kLat - 0.12 + 0.04 * std::sin(a)));
    marsh.push_back(Stored(kLon + 0.12 + 0.05 * std::cos(a)));
  }
  // A river from the lake out through the view's centre into the sea.
  for (double t = 0; t <= 1.0001; t += 0.125) {
    river.push_back(Stored(kLat + 0.05 + t * (centerLat + 0.05 * (t) - kLat - 0.05)));
    river.push_back(Stored(kLon - 0.1 + t * (centerLon - kLon + 0.1) * 1.3));
  }
  const std::vector<Words> records = {
      MakeRecord('A', "", ring),
      MakeRecord('W', "", lake),
      MakeRecord('S', "", marsh),
      MakeRecord('L', "<A>", river),
      MakeRecord('P', "<Y> 5", {Stored(kLat - 0.2), Stored(kLon - 0.15)}),
      MakeRecord('P', "<R> 12", {Stored(centerLat), Stored(centerLon)}),
  };
  const auto image = ToChartImage(MakeImage(records));
  FrameContext f = s->Context();
  s->layer.DrawBaseChart(f, image.get());

  if (const char* dir = std::getenv("AISMON_CHART_PNG_DIR")) {
    const std::string base = std::string(dir) + "/island_" + c.name;
    s->canvas.Image().save(QString::fromStdString(base + ".png"));
    // The middle, four times enlarged, to see single pixels.
    s->canvas.Image().copy(150, 100, 100, 100).scaled(400, 400).save(QString::fromStdString(base + "_x4.png"));
  }

  EXPECT_GT(s->CountColor(kSea), 0);
  EXPECT_GT(s->CountColor(kLand), 0);
  EXPECT_GT(s->CountColor(kCoast), 0);
  // Every pixel is one of the chart's colours: nothing stray from far-away points.
  const int known = s->CountColor(kSea) + s->CountColor(kLand) + s->CountColor(kCoast) + s->CountColor(kBluePen) +
                    s->CountColor(kBlueFill) + s->CountColor(kGreenPen) + s->CountColor(kGreenFill) +
                    s->CountColor(Rgb{0, 255, 255}) + s->CountColor(Rgb{255, 255, 0}) + s->CountColor(kRed);
  EXPECT_EQ(known, 400 * 300);
}

INSTANTIATE_TEST_SUITE_P(Cases, IslandTest, testing::ValuesIn(kIslandScales),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Points on the pixel of the point before them add nothing: a ring drawn with such points
// added gives the same picture as without them.

struct SamePixelCase {
  const char* name;
  double mpp;
  std::vector<double> ring;   // pixel positions x0, y0, x1, y1, ...
  std::vector<double> dense;  // the same ring with points that round to the pixel before
};

class SamePixelTest : public testing::TestWithParam<SamePixelCase> {};

TEST_P(SamePixelTest, PictureUnchanged) {
  const SamePixelCase& c = GetParam();
  auto plain = MakeScene(200, 200, 35, 135, c.mpp);
  auto dense = MakeScene(200, 200, 35, 135, c.mpp);
  DrawWords(*plain, MakeImage({MakeRecord('A', "", plain->At(c.ring))}));
  DrawWords(*dense, MakeImage({MakeRecord('A', "", dense->At(c.dense))}));
  int differ = 0;
  for (int32_t y = 0; y < 200; ++y)
    for (int32_t x = 0; x < 200; ++x) differ += plain->Px(x, y) != dense->Px(x, y);
  EXPECT_EQ(differ, 0);
  EXPECT_GT(plain->CountColor(kLand), 1000);
}

const SamePixelCase kSamePixelCases[] = {
    {"coast_all_round", 15, {50, 50, 150, 50, 150, 150, 50, 150},
     {50, 50, 50.2, 49.8, 150, 50, 150, 50, 149.7, 50.3, 150, 150, 150.2, 150.1, 50, 150, 50.3, 150.4}},
    {"seams_west_and_south", 100, {50, 50, 150, 150, 50, 150},
     // Added points keep the seams straight, so the seams stay seams.
     {50, 50, 50.3, 50.3, 150, 150, 149.8, 150, 50, 150, 50, 149.7}},
    {"closing_point_on_the_first_pixel", 15, {50, 50, 150, 50, 150, 150, 50, 150},
     {50, 50, 150, 50, 150, 150, 50, 150, 50.2, 50.3}},
};

INSTANTIATE_TEST_SUITE_P(Rings, SamePixelTest, testing::ValuesIn(kSamePixelCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Shapes cut by the meridian opposite the view centre, where the projection wraps: no
// band of land or line across the picture, and each side of the cut where it belongs.

struct Probe {
  double lat, lon;
};

struct WrapCase {
  const char* name;
  double lat, lon, mpp, rotation;
  int32_t width, height;
  std::vector<Probe> land, sea;
};

// Two land blocks at 40-60N, one from 100E to 178E, one from 178W to 100W, each with a
// red line along 45N: a case's centre puts the far-side meridian through one of them.
Words WrapImage() {
  auto ring = [](int32_t west, int32_t east) {
    return Words{600000000, west, 600000000, east, 400000000, east, 400000000, west};
  };
  return MakeImage({MakeRecord('A', "", ring(1000000000, 1780000000)),
                    MakeRecord('L', "<R>", {450000000, 1000000000, 450000000, 1780000000}),
                    MakeRecord('A', "", ring(-1780000000, -1000000000)),
                    MakeRecord('L', "<R>", {450000000, -1780000000, 450000000, -1000000000})},
                   {600000000, -1800000000, 400000000, 1800000000});
}

void PrintTo(const WrapCase& c, std::ostream* os) { *os << c.name; }

class FarSideMeridianTest : public testing::TestWithParam<WrapCase> {};

TEST_P(FarSideMeridianTest, NoBandAcrossThePicture) {
  const WrapCase& c = GetParam();
  auto s = MakeScene(c.width, c.height, c.lat, c.lon, c.mpp, c.rotation);
  DrawWords(*s, WrapImage());
  auto check = [&](const std::vector<Probe>& probes, Rgb want) {
    for (const Probe& p : probes) {
      int32_t x, y;
      LatLonToPixel(s->view, p.lat, p.lon, x, y);
      ASSERT_TRUE(x >= 0 && x < c.width && y >= 0 && y < c.height) << p.lat << "," << p.lon << " not in the picture";
      EXPECT_EQ(s->Px(x, y), Rgb24(want)) << "at " << p.lat << "," << p.lon;
    }
  };
  check(c.land, kLand);
  check(c.sea, kSea);
}

const WrapCase kWrapCases[] = {
    // Mid-Atlantic, a few degrees wide: the far side (135E) cuts the western block.
    {"atlantic_edges_short_of_180", 50, -45, 1000, 0, 480, 500, {}, {{50, -45}, {48.5, -47}, {51.5, -43}}},
    {"atlantic_turned", 50, -45, 1000, 30, 480, 500, {}, {{50, -45}, {49.5, -46}}},
    // West edge at 189W: the part of the western block east of 135E shows at the left edge.
    {"west_edge_past_180", 60, -45, 10000, 0, 1600, 800, {{52, 176}, {52, -120}}, {{50, -45}, {52, -20}, {52, 60}}},
    // East edge at 189E: the part of the eastern block west of 135W shows at the right edge.
    {"east_edge_past_180", 60, 45, 10000, 0, 1600, 800, {{52, -176}, {52, 120}}, {{50, 45}, {52, 20}, {52, -60}}},
    // The picture is wider than the world: both sides of the cut block show, at its edges.
    {"picture_wider_than_the_world", 75, -50, 10000, 0, 1920, 2000, {{52, 110}, {52, 170}, {52, -120}},
     {{52, -50}, {52, 0}, {52, 60}}},
};

INSTANTIATE_TEST_SUITE_P(Views, FarSideMeridianTest, testing::ValuesIn(kWrapCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace aismon
