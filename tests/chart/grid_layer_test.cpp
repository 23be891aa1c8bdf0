#include "chart/grid_layer.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>
#include <string>

#include "common/clock.h"
#include "shipdb/ship_table.h"
#include "tests/support/gui_app.h"

namespace aismon {
namespace {


constexpr Rgb kSea{0, 0, 64};
constexpr Rgb kGridLine{192, 192, 192};
constexpr Rgb kLabelFill{255, 255, 136};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kRingLabel{255, 255, 0};

// --- Step and labels ------------------------------------------------------------------

struct StepCase {
  std::string name;
  double metersPerPixel;
  int32_t step;  // seconds of arc
};

class GridStepTest : public testing::TestWithParam<StepCase> {};

TEST_P(GridStepTest, LargestStepWithin600WorkPixels) {
  const StepCase& c = GetParam();
  EXPECT_EQ(GridStepSeconds(c.metersPerPixel / 1852 / 60), c.step);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GridStepTest,
    testing::Values(
        // 15 m per pixel is 0.4860" per pixel, so 600 pixels are 291.6": 5' (300") would
        // put the lines 617 work pixels apart, more than the limit; 2' is the step.
        StepCase{"mpp15_two_minutes", 15, 120},
        // From 15.44 m per pixel 600 pixels reach 300" and the step is 5'.
        StepCase{"mpp15_44_five_minutes", 15.44, 300}, StepCase{"mpp15_43_two_minutes", 15.43, 120},
        StepCase{"closest_zoom_one_second", 0.1, 1}, StepCase{"mpp1_ten_seconds", 1, 10},
        StepCase{"mpp100_thirty_minutes", 100, 1800}, StepCase{"mpp185_thirty_minutes", 185, 1800},
        StepCase{"mpp186_one_degree", 186, 3600}, StepCase{"mpp500_two_degrees", 500, 7200},
        StepCase{"widest_five_degrees", 10000, 18000}),
    [](const testing::TestParamInfo<StepCase>& i) { return i.param.name; });

struct LabelCase {
  std::string name;
  bool longitude;
  double deg;
  std::string text;  // Shift-JIS, before blanks are removed
  int fontHeight;
};

class GridLabelTest : public testing::TestWithParam<LabelCase> {};

TEST_P(GridLabelTest, TextAndSize) {
  const LabelCase& c = GetParam();
  const GridLabel g = c.longitude ? LongitudeGridLabel(c.deg) : LatitudeGridLabel(c.deg);
  EXPECT_EQ(std::string(g.text), c.text);
  EXPECT_EQ(g.fontHeight, c.fontHeight);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GridLabelTest,
    testing::Values(LabelCase{"lat_whole_minutes", false, 34 + 40 / 60.0, "34\xDF" "40'", 28},
                    LabelCase{"lat_whole_degree_large", false, 35.0, "35\xDF", 48},
                    LabelCase{"lat_seconds_kept", false, 34 + 40 / 60.0 + 30 / 3600.0, "34\xDF" "40'30\"", 28},
                    // Zero minutes with seconds: the seconds stay, and so do the minutes.
                    LabelCase{"lat_zero_minutes_with_seconds", false, 34 + 30 / 3600.0, "34\xDF" "00'30\"", 28},
                    LabelCase{"lat_single_digit_degree", false, 5.0, " 5\xDF", 48},
                    LabelCase{"lat_south_unsigned", false, -(33 + 30 / 60.0), "33\xDF" "30'", 28},
                    LabelCase{"lat_rounds_to_the_second", false, 34 + 40 / 60.0 - 0.4 / 3600, "34\xDF" "40'", 28},
                    LabelCase{"lon_whole_minutes", true, 135.25, "135\xDF" "15'", 28},
                    LabelCase{"lon_whole_degree_large", true, 135.0, "135\xDF", 48},
                    LabelCase{"lon_two_digit_padded", true, 35.5, " 35\xDF" "30'", 28},
                    LabelCase{"lon_west_unsigned", true, -170.5, "170\xDF" "30'", 28},
                    LabelCase{"lon_beyond_180_folded", true, 190.0, "170\xDF", 48},
                    LabelCase{"lon_180", true, 180.0, "180\xDF", 48},
                    LabelCase{"lon_seconds_kept", true, 139 + 45 / 60.0 + 5 / 3600.0, "139\xDF" "45'05\"", 28}),
    [](const testing::TestParamInfo<LabelCase>& i) { return i.param.name; });

// --- Ring steps -----------------------------------------------------------------------

struct RingCase {
  std::string name;
  double metersPerPixel;
  int32_t stepNm;
  int32_t firstRadius;
};

class RingStepTest : public testing::TestWithParam<RingCase> {};

TEST_P(RingStepTest, StepAndFirstRadius) {
  const RingCase& c = GetParam();
  EXPECT_EQ(RangeRingStepNm(c.metersPerPixel), c.stepNm);
  EXPECT_EQ(RangeRingRadius(1, c.stepNm, c.metersPerPixel), c.firstRadius);
}

INSTANTIATE_TEST_SUITE_P(Cases, RingStepTest,
                         testing::Values(
                             // 2 nm = 3704 m = 246.9 pixels, truncated.
                             RingCase{"mpp15_two_miles", 15, 2, 246},
                             // k = 20 gives 22 miles, not 20.
                             RingCase{"mpp100_twenty_two_miles", 100, 22, 407}, RingCase{"mpp99_9_ten_miles", 99.9, 10, 185},
                             RingCase{"closest_zoom_one_mile", 0.1, 1, 18520}, RingCase{"mpp9_99_one_mile", 9.99, 1, 185},
                             RingCase{"mpp10_two_miles", 10, 2, 370}, RingCase{"mpp25_five_miles", 25, 5, 370},
                             RingCase{"mpp50_ten_miles", 50, 10, 370}, RingCase{"mpp250_fifty_miles", 250, 50, 370},
                             RingCase{"mpp495_hundred_miles", 495, 100, 374}, RingCase{"mpp494_fifty_miles", 494, 50, 187}),
                         [](const testing::TestParamInfo<RingCase>& i) { return i.param.name; });

TEST(RingRadius, ProductFormedAsInteger) {
  // 99 rings of 100 miles: 18,334,800 m, beyond what 16-bit arithmetic could hold.
  EXPECT_EQ(RangeRingRadius(99, 100, 10000), 1833);
  EXPECT_EQ(RangeRingRadius(3, 2, 15), 740);
}

// --- Drawing --------------------------------------------------------------------------

class GridDrawTest : public testing::Test {
 protected:
  void SetUp() override {
    EnsureGuiApp();
    Prepare(800, 800, 34.7, 135.25, 0, 15);
  }
  void Prepare(int32_t w, int32_t h, double lat, double lon, double rotation, double mpp) {
    canvas.Resize(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) canvas.Row(y)[x] = Canvas::Pixel(kSea);
    SetupViewGeometry(view, w, h, lat, lon, rotation, mpp);
  }
  FrameContext Context() { return FrameContext{canvas, view, table, counters, in, clock, screen}; }
  int Count(Rgb colour, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = std::max(0, y0); y < std::min(y1, canvas.Height()); ++y)
      for (int x = std::max(0, x0); x < std::min(x1, canvas.Width()); ++x) n += canvas.PixelAt(x, y) == colour;
    return n;
  }
  // Rows of column x, from y0 down, that carry the label fill, the label's text or both.
  int LabelBoxRows(int x, int y0, int y1) {
    int rows = 0;
    for (int y = y0; y < y1; ++y) {
      const Rgb p = canvas.PixelAt(x, y);
      rows += p == kLabelFill || p == Rgb{0, 0, 0};
    }
    return rows;
  }

  Canvas canvas;
  ViewState view;
  ManualClock clock{1000};
  ShipTable table{clock};
  IntakeCounters counters;
  FrameInputs in;
  PixelPoint screen[kDefaultDynamicEntries];
  RotatePixelCache rot;
};

TEST_F(GridDrawTest, LatitudeLineThroughTheCentreInGridColour) {
  // 34.7 = 34 42', a multiple of the 2' step, lies on row 400 of an 800-pixel bitmap.
  FrameContext f = Context();
  DrawGrid(f, rot, true, 0);
  for (int x = 200; x < 800; x += 13) EXPECT_EQ(canvas.PixelAt(x, 400), kGridLine) << x;
  // One minute further north there is no line: only the few vertical lines cross the row.
  const int grey = Count(kGridLine, 0, 277, 800, 278);
  EXPECT_GT(grey, 0);
  EXPECT_LT(grey, 10);
  // Lines 2' apart: 246.9 pixels.
  EXPECT_EQ(canvas.PixelAt(600, 400 - 247), kGridLine);
  EXPECT_EQ(canvas.PixelAt(600, 400 + 247), kGridLine);
}

TEST_F(GridDrawTest, LabelsInYellowBoxesOnlyWhenNorthUp) {
  FrameContext f = Context();
  DrawGrid(f, rot, true, 0);
  EXPECT_GT(Count(kLabelFill, 0, 380, 100, 420), 50);   // latitude label at the left, on row 400
  EXPECT_GT(Count(kLabelFill, 0, 760, 800, 800), 100);  // longitude labels along the bottom
  EXPECT_GT(Count(kWhite, 300, 0, 500, 100), 20);       // rotation read-out at the top centre
}

TEST_F(GridDrawTest, WholeDegreeLabelIsLarger) {
  Prepare(800, 800, 35.0, 135.25, 0, 15);  // 35 00' on row 400
  FrameContext f = Context();
  DrawGrid(f, rot, true, 0);
  const int large = LabelBoxRows(3, 360, 440);
  Prepare(800, 800, 34.7, 135.25, 0, 15);  // 34 42' on row 400
  FrameContext g = Context();
  DrawGrid(g, rot, true, 0);
  const int small = LabelBoxRows(3, 360, 440);
  EXPECT_GE(large, 45);
  EXPECT_LE(small, 35);
  EXPECT_GE(small, 25);
}

TEST_F(GridDrawTest, TurnedChartShowsCaptionInsteadOfLabels) {
  Prepare(800, 800, 34.7, 135.25, 30, 15);
  FrameContext f = Context();
  DrawGrid(f, rot, false, 30);
  EXPECT_EQ(Count(kLabelFill, 0, 0, 800, 760), 0);      // no labels beside the lines
  EXPECT_GT(Count(kLabelFill, 0, 780, 400, 800), 50);   // "GRID SIZE" at the bottom left
  EXPECT_GE(LabelBoxRows(4, 740, 800), 25) << "the whole caption box, above the bottom edge";
  EXPECT_EQ(LabelBoxRows(4, 798, 800), 0) << "two rows clear of the edge";
  EXPECT_GT(Count(kGridLine, 0, 0, 800, 800), 1000);    // the lines are still there
  // Through the centre the latitude line is turned: row 400 is no longer grey across.
  EXPECT_LT(Count(kGridLine, 0, 400, 800, 401), 20);
}

TEST_F(GridDrawTest, RingsAroundTheCentre) {
  FrameContext f = Context();
  DrawRangeRings(f, 34.7, 135.25);
  // 2-mile rings of 246, 493 and 740 pixels; probed at 45 degrees, away from the labels.
  for (const int r : {246, 493}) {
    const int d = static_cast<int>(r * 0.70710678);
    EXPECT_GT(Count(kWhite, 400 + d - 2, 400 + d - 2, 400 + d + 3, 400 + d + 3), 0) << r;
    EXPECT_GT(Count(kWhite, 400 - d - 2, 400 - d - 2, 400 - d + 3, 400 - d + 3), 0) << r;
  }
  EXPECT_EQ(Count(kWhite, 390, 390, 410, 410), 0);           // nothing at the centre
  EXPECT_EQ(canvas.PixelAt(400 + 130, 400 + 130), kSea);     // between rings
  EXPECT_GT(Count(kRingLabel, 380, 400 - 246 - 20, 420, 400 - 246 + 20), 5);  // "2" on top of ring 1
  EXPECT_GT(Count(kRingLabel, 380, 400 + 246 - 20, 420, 400 + 246 + 20), 5);  // and below
}

TEST_F(GridDrawTest, NoRingsAtClosestZoom) {
  Prepare(800, 800, 34.7, 135.25, 0, 0.1);  // first ring 18520 pixels: wider than the bitmap
  FrameContext f = Context();
  DrawRangeRings(f, 34.7, 135.25);
  EXPECT_EQ(Count(kSea, 0, 0, 800, 800), 800 * 800);
}

TEST_F(GridDrawTest, NoRingsWhenOwnShipIsOffThePicture) {
  FrameContext f = Context();
  // 200 pixels beyond the left edge: some rings would cross the picture, none is drawn.
  DrawRangeRings(f, 34.7, 135.25 - 600 * view.degLonPerPixel);
  EXPECT_EQ(Count(kSea, 0, 0, 800, 800), 800 * 800);
}

}  // namespace
}  // namespace aismon
