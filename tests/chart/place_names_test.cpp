#include "chart/place_names_layer.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "basechart/place_names.h"
#include "chart/canvas.h"
#include "chart/frame_context.h"
#include "common/clock.h"
#include "shipdb/ship_table.h"
#include "text/sjis.h"
#include "tests/support/gui_app.h"

namespace aismon {
namespace {

constexpr Rgb kSea{0, 0, 64};
constexpr Rgb kYellow{255, 255, 0};
constexpr Rgb kRed{255, 0, 0};

uint32_t Rgb24(Rgb c) { return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b; }


std::string Sjis(const std::string& utf8) { return Utf8ToShiftJis(utf8); }

struct Box {
  int32_t left = INT32_MAX, top = INT32_MAX, right = INT32_MIN, bottom = INT32_MIN;  // inclusive
  bool Empty() const { return left > right; }
};

struct Scene {
  ManualClock clock;
  ShipTable table{clock};
  IntakeCounters counters;
  FrameInputs in;
  Canvas canvas;
  ViewState view;
  std::vector<PixelPoint> positions = std::vector<PixelPoint>(1025);
  PlaceNameList names;

  Scene(int32_t w, int32_t h, double mpp) {
    canvas.Resize(w, h);
    SetupViewGeometry(view, w, h, 35, 135, 0, mpp);
  }
  FrameContext Context() { return FrameContext{canvas, view, table, counters, in, clock, positions.data()}; }

  // A list line placing a name at work pixel (x, y) of this view.
  std::string LineAt(double x, double y, int level, const std::string& nameSjis) const {
    const double lat = view.centerLat + (view.height / 2 - y) * view.degLatPerPixel;
    const double lon = view.centerLon + (x - view.width / 2) * view.degLonPerPixel;
    char head[128];
    std::snprintf(head, sizeof head, "P,%.12f,%.12f,,%d,1,", lat, lon, level);
    return head + nameSjis + ",x,y";
  }
  PixelPoint Where(int i) const {
    PixelPoint p;
    LatLonToPixel(view, names[i].latitude, names[i].longitude, p.x, p.y);
    return p;
  }

  void Draw(const std::vector<std::string>& lines) {
    names.Load(lines);
    canvas.SetBrushStyle(BrushStyle::Solid);
    canvas.SetBrushColor(kSea);
    canvas.FillRect(0, 0, canvas.Width(), canvas.Height());
    FrameContext f = Context();
    DrawPlaceNames(f, names);
  }

  uint32_t Px(int32_t x, int32_t y) { return canvas.Row(y)[x] & 0xFFFFFFu; }
  Box Yellow(int32_t x0 = 0, int32_t y0 = 0, int32_t x1 = INT32_MAX, int32_t y1 = INT32_MAX) {
    Box b;
    for (int32_t y = std::max(0, y0); y <= std::min(canvas.Height() - 1, y1); ++y)
      for (int32_t x = std::max(0, x0); x <= std::min(canvas.Width() - 1, x1); ++x)
        if (Px(x, y) == Rgb24(kYellow)) {
          b.left = std::min(b.left, x);
          b.right = std::max(b.right, x);
          b.top = std::min(b.top, y);
          b.bottom = std::max(b.bottom, y);
        }
    return b;
  }
  int CountOther(Rgb a, Rgb b) {
    int n = 0;
    for (int32_t y = 0; y < canvas.Height(); ++y)
      for (int32_t x = 0; x < canvas.Width(); ++x) n += Px(x, y) != Rgb24(a) && Px(x, y) != Rgb24(b);
    return n;
  }
};

std::unique_ptr<Scene> MakeScene(int32_t w, int32_t h, double mpp) {
  EnsureGuiApp();
  return std::make_unique<Scene>(w, h, mpp);
}

const std::string kBlock = "\x81\xA1";  // "■", solid in the Japanese faces

// ---------------------------------------------------------------------------------------

struct LevelCase {
  const char* name;
  double mpp;
  int highestShown;  // names of levels 0..highestShown appear
};

const LevelCase kLevels[] = {
    {"at_10000_level_0", 10000, 0}, {"at_1500_level_0", 1500, 0}, {"at_1499_9_levels_0_1", 1499.9, 1},
    {"at_750_levels_0_1", 750, 1},  {"at_374_9_up_to_3", 374.9, 3}, {"at_93_up_to_4", 93, 4},
    {"at_92_all", 92, 5},           {"at_0_1_all", 0.1, 5},
};

class PlaceNameLevelTest : public testing::TestWithParam<LevelCase> {};

// One name per level, level k at x = 50 + 100 k.
TEST_P(PlaceNameLevelTest, LevelsShownByScale) {
  const LevelCase& c = GetParam();
  auto s = MakeScene(620, 120, c.mpp);
  std::vector<std::string> lines;
  for (int level = 0; level <= 5; ++level) lines.push_back(s->LineAt(50 + 100 * level, 60, level, kBlock));
  s->Draw(lines);
  for (int level = 0; level <= 5; ++level) {
    const int32_t x = 50 + 100 * level;
    EXPECT_EQ(!s->Yellow(x - 30, 30, x + 30, 90).Empty(), level <= c.highestShown) << "level " << level;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, PlaceNameLevelTest, testing::ValuesIn(kLevels),
                         [](const auto& info) { return std::string(info.param.name); });

struct NearCase {
  const char* name;
  double x, y;      // where the place is put, in work pixels
  int32_t wantX, wantY;  // the pixel it projects to
  bool drawn;
};

// The bitmap is 200 x 120; a name of ten blocks (240 pixels) reaches into it from any of
// these places, but only a place within 100 pixels of the bitmap is drawn.
const NearCase kNear[] = {
    {"left_100_out_drawn", -100.6, 60, -100, 60, true},
    {"left_101_out_not_drawn", -101.6, 60, -101, 60, false},
    {"right_100_out_drawn", 300.4, 60, 300, 60, true},
    {"right_101_out_not_drawn", 301.4, 60, 301, 60, false},
};

class PlaceNameNearTest : public testing::TestWithParam<NearCase> {};

TEST_P(PlaceNameNearTest, OnlyPlacesNearThePicture) {
  const NearCase& c = GetParam();
  auto s = MakeScene(200, 120, 50);
  std::string wide;
  for (int i = 0; i < 10; ++i) wide += kBlock;
  const std::vector<std::string> lines = {s->LineAt(c.x, c.y, 0, wide)};
  s->Draw(lines);
  const PixelPoint p = s->Where(0);
  ASSERT_EQ(p.x, c.wantX);
  ASSERT_EQ(p.y, c.wantY);
  EXPECT_EQ(!s->Yellow().Empty(), c.drawn);
}

INSTANTIATE_TEST_SUITE_P(Cases, PlaceNameNearTest, testing::ValuesIn(kNear),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PlaceNamesLayerTest, NameIsCentredOnItsPlace) {
  auto s = MakeScene(400, 200, 50);
  const std::string name = kBlock + kBlock + kBlock;
  s->Draw({s->LineAt(200, 100, 0, name)});
  const PixelPoint p = s->Where(0);
  const int32_t w = s->canvas.TextWidth(name);
  const int32_t h = s->canvas.TextHeight("@");
  ASSERT_GT(w, 40);
  const Box b = s->Yellow();
  ASSERT_FALSE(b.Empty());
  // Inside the text box whose top-left corner is (x - w/2, y - h/2)...
  EXPECT_GE(b.left, p.x - w / 2);
  EXPECT_LT(b.right, p.x - w / 2 + w);
  EXPECT_GE(b.top, p.y - h / 2);
  EXPECT_LT(b.bottom, p.y - h / 2 + h);
  // ...and so around the place itself, not below or right of it.
  EXPECT_LT(b.left, p.x - w / 4);
  EXPECT_GT(b.right, p.x + w / 4);
  EXPECT_LT(b.top, p.y);
  EXPECT_GT(b.bottom, p.y);
}

TEST(PlaceNamesLayerTest, YellowTextWithoutBackground) {
  auto s = MakeScene(300, 120, 50);
  s->canvas.SetBrushStyle(BrushStyle::Solid);
  s->canvas.SetBrushColor(kRed);  // what an earlier layer might leave
  s->Draw({s->LineAt(150, 60, 0, Sjis("大阪湾 Osaka."))});
  if (const char* dir = std::getenv("AISMON_CHART_PNG_DIR"))
    s->canvas.Image().save(QString::fromStdString(std::string(dir) + "/place_name.png"));
  EXPECT_FALSE(s->Yellow().Empty());
  EXPECT_EQ(s->CountOther(kSea, kYellow), 0) << "only yellow text on the sea, no box behind it";
  EXPECT_EQ(s->canvas.Brush(), BrushStyle::Clear) << "later layers inherit the clear brush";
  EXPECT_EQ(s->canvas.FontHeight(), 24);
}

TEST(PlaceNamesLayerTest, EmptyNameDrawsNothing) {
  auto s = MakeScene(200, 120, 50);
  s->Draw({s->LineAt(100, 60, 0, "")});
  ASSERT_EQ(s->names.Count(), 1);
  EXPECT_EQ(s->CountOther(kSea, kSea), 0);
}

TEST(PlaceNamesLayerTest, FortyByteNameIsDrawnCutToThirty) {
  auto s = MakeScene(1200, 100, 50);
  const std::string forty = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd";
  s->Draw({s->LineAt(600, 50, 0, forty)});
  const PixelPoint p = s->Where(0);
  const int32_t w30 = s->canvas.TextWidth(forty.substr(0, 30));
  ASSERT_LT(w30, s->canvas.TextWidth(forty));
  const Box b = s->Yellow();
  ASSERT_FALSE(b.Empty());
  EXPECT_GE(b.left, p.x - w30 / 2);
  EXPECT_LT(b.right, p.x - w30 / 2 + w30);
  EXPECT_GT(b.right, p.x - w30 / 2 + w30 - s->canvas.TextWidth("3") - 2) << "the 30th byte is drawn";
}

struct FaceCase {
  const char* name;
  std::string previousFaceUtf8;  // left on the canvas by the frame before ("" = fresh canvas)
  std::string expectedFaceUtf8;
};

const FaceCase kFaces[] = {
    {"fresh_canvas_uses_the_panel_face", "", "ＭＳ ゴシック"},
    {"panel_face_kept", "ＭＳ ゴシック", "ＭＳ ゴシック"},
    {"arial_left_by_the_last_frame_kept", "Arial", "Arial"},
};

class PlaceNameFaceTest : public testing::TestWithParam<FaceCase> {};

// Widths of a Latin text tell the faces apart.
TEST_P(PlaceNameFaceTest, FaceLeftByThePreviousFrame) {
  const FaceCase& c = GetParam();
  EnsureGuiApp();
  const std::string probe = "Osaka Bay Wakayama";
  auto widthIn = [&](const std::string& faceUtf8) {
    Canvas reference;
    reference.Resize(8, 8);
    reference.SetFontFace(Sjis(faceUtf8));
    reference.SetFontHeight(24);
    return reference.TextWidth(probe);
  };
  ASSERT_NE(widthIn("ＭＳ ゴシック"), widthIn("Arial")) << "the faces must differ for this test to mean anything";
  auto s = MakeScene(200, 120, 50);
  if (!c.previousFaceUtf8.empty()) {
    s->canvas.SetFontFace(Sjis(c.previousFaceUtf8));
    s->canvas.SetFontHeight(11);
  }
  s->Draw({s->LineAt(100, 60, 0, "A")});
  EXPECT_EQ(s->canvas.TextWidth(probe), widthIn(c.expectedFaceUtf8));
}

INSTANTIATE_TEST_SUITE_P(Cases, PlaceNameFaceTest, testing::ValuesIn(kFaces),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace aismon
