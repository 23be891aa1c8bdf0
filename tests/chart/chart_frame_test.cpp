#include "chart/chart_frame.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/clock.h"
#include "input/receive_state.h"
#include "shipdb/ship_table.h"
#include "tests/support/gui_app.h"

namespace aismon {
namespace {


Rgb At(const QImage& image, int x, int y) {
  return Canvas::ColorOf(reinterpret_cast<const uint32_t*>(image.constScanLine(y))[x]);
}

// --- Downsample2x2 --------------------------------------------------------------------

struct BlockCase {
  std::string name;
  Rgb tl, tr, bl, br;  // the 2x2 work block
  Rgb expected;
};

class DownsampleTest : public testing::TestWithParam<BlockCase> {};

TEST_P(DownsampleTest, AveragesEveryBlockExactly) {
  const BlockCase& c = GetParam();
  // 23 display pixels wide, so blocks go through the eight-at-a-time loop (where the
  // processor has it), the four-at-a-time loop and the rest; the block is put at every
  // column in turn over a background of other values.
  constexpr int kWidth = 23;
  QImage work(2 * kWidth, 4, QImage::Format_RGB32);
  QImage display(kWidth, 2, QImage::Format_RGB32);
  for (int col = 0; col < kWidth; ++col) {
    work.fill(Canvas::Pixel(Rgb{40, 80, 120}));
    auto set = [&](int x, int y, Rgb p) { reinterpret_cast<uint32_t*>(work.scanLine(y))[x] = Canvas::Pixel(p); };
    set(2 * col, 2, c.tl);
    set(2 * col + 1, 2, c.tr);
    set(2 * col, 3, c.bl);
    set(2 * col + 1, 3, c.br);
    Downsample2x2(work, display);
    for (int x = 0; x < kWidth; ++x) {
      EXPECT_EQ(At(display, x, 0), (Rgb{40, 80, 120})) << "col " << col << " x " << x;
      EXPECT_EQ(At(display, x, 1), (x == col ? c.expected : Rgb{40, 80, 120})) << "col " << col << " x " << x;
    }
    EXPECT_EQ(reinterpret_cast<const uint32_t*>(display.constScanLine(1))[col] >> 24, 0xFFu);  // opaque
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DownsampleTest,
    testing::Values(
        // The two low bits of every channel are dropped before adding: white gives 252.
        BlockCase{"white", {255, 255, 255}, {255, 255, 255}, {255, 255, 255}, {255, 255, 255}, {252, 252, 252}},
        BlockCase{"white_and_black", {255, 255, 255}, {0, 0, 0}, {0, 0, 0}, {255, 255, 255}, {126, 126, 126}},
        BlockCase{"black", {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
        BlockCase{"sea_blue", {0, 0, 64}, {0, 0, 64}, {0, 0, 64}, {0, 0, 64}, {0, 0, 64}},
        BlockCase{"low_bits_lost", {3, 3, 3}, {3, 3, 3}, {3, 3, 3}, {3, 3, 3}, {0, 0, 0}},
        // Channels kept apart: (0+4+4+8)/4, (0+4+8+8)/4, (0+4+8+12)/4.
        BlockCase{"channels_separate", {1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}, {4, 5, 6}},
        BlockCase{"one_red_pixel", {255, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {63, 0, 0}},
        BlockCase{"full_channels_no_carry", {255, 0, 255}, {255, 0, 255}, {255, 0, 255}, {255, 0, 255}, {252, 0, 252}}),
    [](const testing::TestParamInfo<BlockCase>& i) { return i.param.name; });

TEST(Downsample, RandomPixelsAverageAsTheSumOfMaskedChannels) {
  // Widths that end in every loop: eight, four and one at a time.
  for (const int width : {1, 4, 8, 13, 37}) {
    QImage work(2 * width, 6, QImage::Format_RGB32);
    QImage display(width, 3, QImage::Format_RGB32);
    uint32_t s = 12345u + static_cast<uint32_t>(width);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 2 * width; ++x) {
        s = s * 1664525u + 1013904223u;
        reinterpret_cast<uint32_t*>(work.scanLine(y))[x] = s;
      }
    Downsample2x2(work, display);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < width; ++x) {
        auto w = [&](int dx, int dy) {
          return reinterpret_cast<const uint32_t*>(work.constScanLine(2 * y + dy))[2 * x + dx] & 0x00FCFCFCu;
        };
        const uint32_t want = ((w(0, 0) + w(1, 0) + w(0, 1) + w(1, 1)) >> 2) | 0xFF000000u;
        ASSERT_EQ(reinterpret_cast<const uint32_t*>(display.constScanLine(y))[x], want)
            << "width " << width << " x " << x << " y " << y;
      }
  }
}

TEST(Downsample, IgnoresTheTopByteOfWorkPixels) {
  QImage work(8, 2, QImage::Format_RGB32);
  QImage display(4, 1, QImage::Format_RGB32);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 8; ++x) reinterpret_cast<uint32_t*>(work.scanLine(y))[x] = (x & 1 ? 0x00u : 0xFFu) << 24 | 0x808080u;
  Downsample2x2(work, display);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(At(display, x, 0), (Rgb{128, 128, 128}));
}

// Only the display pixels under changed tiles are averaged again, whatever runs of tiles
// the map holds: within a word, across words, up to a word's last bit, the image's last
// (partial) tile.
TEST(Downsample, ChangedTilesOnly) {
  constexpr int32_t kTileW = TileChanges::kTileColumns, kTileH = TileChanges::kTileRows;
  constexpr int32_t kWorkW = 130 * kTileW - 10, kWorkH = 2 * kTileH;  // 130 tiles, 3 words a band
  const std::vector<std::vector<int32_t>> cases = {
      {}, {0}, {5}, {63}, {64}, {62, 63, 64, 65, 66}, {0, 1, 2, 3}, {127, 128, 129}, {129}};
  QImage work(kWorkW, kWorkH, QImage::Format_RGB32);
  uint32_t s = 777u;
  for (int32_t y = 0; y < kWorkH; ++y)
    for (int32_t x = 0; x < kWorkW; ++x)
      reinterpret_cast<uint32_t*>(work.scanLine(y))[x] = s = s * 1664525u + 1013904223u;
  QImage whole(kWorkW / 2, kWorkH / 2, QImage::Format_RGB32);
  Downsample2x2(work, whole);
  for (const auto& tiles : cases) {
    for (const int32_t band : {0, 1}) {
      SCOPED_TRACE(testing::Message() << "band " << band << " first tile " << (tiles.empty() ? -1 : tiles[0]));
      TileChanges changes;
      changes.all = false;
      changes.tilesPerRow = 130;
      changes.wordsPerBand = 3;
      changes.bits.assign(6, 0);
      for (const int32_t t : tiles) changes.bits[static_cast<size_t>(band) * 3 + (t >> 6)] |= uint64_t{1} << (t & 63);
      QImage display(kWorkW / 2, kWorkH / 2, QImage::Format_RGB32);
      display.fill(0xFF123456u);
      Downsample2x2(work, display, changes);
      int wrong = 0;
      for (int32_t y = 0; y < display.height(); ++y)
        for (int32_t x = 0; x < display.width(); ++x) {
          const bool changed = y / (kTileH / 2) == band &&
                               std::find(tiles.begin(), tiles.end(), x / (kTileW / 2)) != tiles.end();
          const uint32_t got = reinterpret_cast<const uint32_t*>(display.constScanLine(y))[x];
          wrong += got != (changed ? reinterpret_cast<const uint32_t*>(whole.constScanLine(y))[x] : 0xFF123456u);
        }
      EXPECT_EQ(wrong, 0);
    }
  }
}

// --- Hover search ---------------------------------------------------------------------

struct Placed {
  int32_t slot;
  int32_t x, y;  // work pixels
};

struct HoverCase {
  std::string name;
  std::vector<Placed> ships;
  int32_t pointerX, pointerY;  // paint-box pixels
  int32_t hovered;
};

class HoverTest : public testing::TestWithParam<HoverCase> {};

TEST_P(HoverTest, FindsTheShipUnderThePointer) {
  const HoverCase& c = GetParam();
  std::vector<PixelPoint> screen(kDefaultDynamicEntries, PixelPoint{kNotDrawn, kNotDrawn});
  for (const Placed& p : c.ships) screen[static_cast<size_t>(p.slot)] = PixelPoint{p.x, p.y};
  EXPECT_EQ(FindHoveredShip(screen.data(), kDefaultDynamicEntries, c.pointerX, c.pointerY), c.hovered);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HoverTest,
    testing::Values(HoverCase{"nothing_drawn", {}, 100, 100, -1},
                    HoverCase{"on_the_symbol_centre", {{5, 200, 300}}, 100, 150, 5},
                    HoverCase{"nineteen_pixels_away", {{5, 200, 300}}, 119, 150, 5},
                    // Exactly 20 paint pixels: d = 400 is not less than 400.
                    HoverCase{"twenty_pixels_away", {{5, 200, 300}}, 120, 150, -1},
                    HoverCase{"twenty_pixels_diagonal", {{5, 200, 300}}, 112, 166, -1},  // 144 + 256 = 400
                    HoverCase{"just_inside_diagonal", {{5, 200, 300}}, 112, 165, 5},     // 144 + 225
                    HoverCase{"tie_keeps_lower_slot", {{9, 200, 300}, {3, 220, 300}}, 105, 150, 3},
                    HoverCase{"tie_keeps_lower_slot_reversed", {{3, 200, 300}, {9, 220, 300}}, 105, 150, 3},
                    HoverCase{"nearer_higher_slot_wins", {{3, 200, 300}, {9, 216, 300}}, 107, 150, 9},
                    HoverCase{"own_ship_never_hovered", {{0, 200, 300}}, 100, 150, -1},
                    HoverCase{"last_slot_counts", {{1024, 200, 300}}, 100, 150, 1024},
                    // Halves truncate toward zero: 201 -> 100, -3 -> -1.
                    HoverCase{"odd_coordinates_truncate", {{7, 201, -3}}, 100, -1, 7},
                    // -39 halves to -19 (toward zero), 19 pixels from 0; flooring would give 20.
                    HoverCase{"negative_halves_toward_zero", {{7, -39, 0}}, 0, 0, 7}),
    [](const testing::TestParamInfo<HoverCase>& i) { return i.param.name; });

// --- Whole frames ---------------------------------------------------------------------

constexpr Rgb kSea{0, 0, 64};
constexpr Rgb kGridLine{192, 192, 192};
constexpr Rgb kWhite{255, 255, 255};

class FrameTest : public testing::Test {
 protected:
  void SetUp() override {
    EnsureGuiApp();
    DbDynamic own;
    table.GetShip(0, own);
    own.MMSI = kOwnShipPlaceholderMMSI;
    own.Lat = 34.7;
    own.Lon = 135.25;
    table.PutShip(0, own);
    ViewState& v = frame.View();
    v.fitAllShips = false;
    v.centerLat = 34.7;
    v.centerLon = 135.25;
    v.metersPerPixel = 15;
    in.options.latLonLine = false;
    in.options.circleChecked = false;
  }
  void Paint(int frames = 1) {
    for (int i = 0; i < frames; ++i) {
      if (i > 0) clock.Advance(100);
      frame.Paint(300, 300, in, out);
    }
  }
  int CountWork(Rgb colour, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += frame.Work().PixelAt(x, y) == colour;
    return n;
  }

  ManualClock clock{1000};
  ShipTable table{clock};
  IntakeCounters counters;
  ChartFrame frame{table, counters, clock, nullptr, nullptr};
  FrameInputs in;
  FrameOutputs out;
};

TEST_F(FrameTest, BitmapsFollowThePaintBox) {
  Paint();
  EXPECT_EQ(frame.Display().width(), 300);
  EXPECT_EQ(frame.Display().height(), 300);
  EXPECT_EQ(frame.Work().Width(), 600);
  EXPECT_EQ(frame.Work().Height(), 600);
  EXPECT_EQ(frame.View().width, 600);
  frame.Paint(200, 100, in, out);
  EXPECT_EQ(frame.Display().width(), 200);
  EXPECT_EQ(frame.Work().Height(), 200);
  EXPECT_EQ(frame.View().height, 200);
}

TEST_F(FrameTest, SeaWhereNothingIsDrawn) {
  Paint();
  // The left half below the panels' reach (they sit at the right and the top).
  EXPECT_EQ(At(frame.Display(), 10, 290), kSea);
  EXPECT_EQ(At(frame.Display(), 40, 200), kSea);
  EXPECT_EQ(frame.Work().PixelAt(20, 580), kSea);
}

TEST_F(FrameTest, GridLineInGridColour) {
  in.options.latLonLine = true;
  Paint();
  // 34 42' is the centre row of the work bitmap; away from the label at the left.
  for (int x = 120; x < 170; x += 7) EXPECT_EQ(frame.Work().PixelAt(x, 300), kGridLine) << x;
  // Averaged with the sea below it: (192+0)/2 etc.: (96, 96, 128).
  EXPECT_EQ(At(frame.Display(), 70, 150), (Rgb{96, 96, 128}));
}

TEST_F(FrameTest, RingsOnlyOnceOwnShipHasAPosition) {
  in.options.circleChecked = true;
  // Ring 1 (2 nm, 246 pixels) probed at 135 degrees, clear of labels, panels and compass.
  const int d = static_cast<int>(246 * 0.70710678);
  Paint(2);
  EXPECT_EQ(CountWork(kWhite, 300 - d - 2, 300 + d - 2, 300 - d + 3, 300 + d + 3), 0);
  EXPECT_FALSE(out.circleEnabled);
  counters.rmcFixCount = 1;
  Paint(1);
  EXPECT_TRUE(out.circleEnabled);  // the check box becomes enabled by this frame ...
  Paint(1);                        // ... and the next frame draws the rings
  EXPECT_GT(CountWork(kWhite, 300 - d - 2, 300 + d - 2, 300 - d + 3, 300 + d + 3), 0);
  EXPECT_EQ(frame.Work().PixelAt(150, 400), kSea);  // inside ring 1, left of the panels
}

TEST_F(FrameTest, RingsNotWhenUnchecked) {
  counters.rmcFixCount = 1;
  const int d = static_cast<int>(246 * 0.70710678);
  Paint(3);
  EXPECT_EQ(CountWork(kWhite, 300 - d - 2, 300 + d - 2, 300 - d + 3, 300 + d + 3), 0);
}

struct ControlCase {
  std::string name;
  uint32_t vdmCount, rmcFixCount;
  bool demoVisible, ownShipControls;
};

class FrameControlsTest : public FrameTest, public testing::WithParamInterface<ControlCase> {};

TEST_P(FrameControlsTest, ControlsFollowTheCounters) {
  const ControlCase& c = GetParam();
  counters.vdmCount = c.vdmCount;
  counters.rmcFixCount = c.rmcFixCount;
  Paint();
  EXPECT_EQ(out.buttonDemoVisible, c.demoVisible);
  EXPECT_EQ(out.circleEnabled, c.ownShipControls);
  EXPECT_EQ(out.ownShipPanelsVisible, c.ownShipControls);
  EXPECT_EQ(out.hoveredShip, -1);
}

INSTANTIATE_TEST_SUITE_P(Cases, FrameControlsTest,
                         testing::Values(ControlCase{"nothing_yet", 0, 0, true, false},
                                         ControlCase{"vdm_only", 3, 0, false, false},
                                         ControlCase{"fix_only", 0, 1, false, true},
                                         ControlCase{"both", 5, 2, false, true}),
                         [](const testing::TestParamInfo<ControlCase>& i) { return i.param.name; });

TEST_F(FrameTest, ScreenPositionsResetEveryFrame) {
  Paint();
  for (int slot = 1; slot < kDefaultDynamicEntries; ++slot) {
    EXPECT_EQ(frame.ScreenPositions()[slot].x, kNotDrawn);
    EXPECT_EQ(frame.ScreenPositions()[slot].y, kNotDrawn);
  }
}

TEST_F(FrameTest, ViewUpdateRunsBeforeTheFrame) {
  frame.View().metersPerPixel = 50000;
  Paint();
  EXPECT_EQ(frame.View().metersPerPixel, 10000);
  EXPECT_DOUBLE_EQ(frame.View().degLatPerPixel, 10000.0 / 1852 / 60);
}

TEST_F(FrameTest, TimingHookGetsEveryLayer) {
  FrameTimings timings;
  double now = 0;
  timings.nowMs = [&now] { return now += 1; };  // each reading one millisecond later
  frame.SetTimings(&timings);
  Paint();
  for (int i = 0; i < kFrameLayerCount; ++i) EXPECT_EQ(timings.ms[i], 1.0) << FrameLayerName(static_cast<FrameLayer>(i));
  frame.SetTimings(nullptr);
  timings.ms[0] = 42;
  Paint();
  EXPECT_EQ(timings.ms[0], 42);
}

}  // namespace
}  // namespace aismon

namespace aismon {
namespace {

// Own ship's entry is never aged, so its pale "just reported" ring used to show in every
// frame; it shows only in the frame after a new fix or a new own report.
TEST_F(FrameTest, OwnShipFlashesOnlyWhenReported) {
  // Inside own ship's black disc (radius 34) and inside the flash ring (radius 30), clear
  // of the stopped own ship's symbol (radius 10).
  // A 600-pixel box keeps own ship (at the centre) clear of the shaded panels.
  auto paint = [&] {
    clock.Advance(100);
    frame.Paint(600, 600, in, out);
  };
  auto flashed = [&] { return frame.Work().PixelAt(600 + 24, 600) == (Rgb{255, 255, 127}); };
  table.DynamicEntries()[0].Age = 1;  // as the first RMC leaves it, and then for good
  counters.rmcFixCount = 1;
  paint();
  EXPECT_TRUE(flashed()) << "the first fix";
  paint();
  EXPECT_FALSE(flashed()) << "nothing new";
  counters.rmcFixCount = 2;
  paint();
  EXPECT_TRUE(flashed()) << "the next RMC fix";
  paint();
  EXPECT_FALSE(flashed());
  table.DynamicEntries()[0].Raw.RawSec = 17;  // a VDO report of own ship
  paint();
  EXPECT_TRUE(flashed()) << "an own report";
}

}  // namespace
}  // namespace aismon
