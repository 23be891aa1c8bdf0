// Labels and panels drawn on a canvas and probed where their boxes and marks must be.
#include "chart/panels_layer.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdlib>

#include <array>
#include <cstring>
#include <string>

#include "chart/ship_layer.h"
#include "common/clock.h"
#include "text/sjis.h"
#include "tests/support/gui_app.h"
#include "tests/support/chart_scene.h"

namespace aismon {
namespace {


constexpr Rgb kBackground{0, 0, 64};
constexpr Rgb kShade{0, 0, 128};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kYellow{255, 255, 0};

std::string Show(Rgb c) {
  return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

// A work bitmap tall enough for the fixed own-ship panel (1106 .. 1475).
struct Scene : testing::ChartScene {
  static constexpr int32_t kW = 1400, kH = 1600;
  static constexpr int32_t kX0 = kW - 416 - 8;  // the panels' text column

  Scene() : ChartScene(kW, kH, 15, kBackground) {}

  bool AnyIn(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Rgb c) {
    for (int32_t y = y0; y < y1; ++y)
      for (int32_t x = x0; x < x1; ++x)
        if (At(x, y) == c) return true;
    return false;
  }
};

std::string Sjis(const char* utf8) { return Utf8ToShiftJis(utf8); }

// ---- FormatDegMin ----

struct DegMinCase {
  const char* name;
  double degrees;
  const char* text;  // UTF-8; ﾟ is one Shift-JIS byte
};

class FormatDegMinTest : public ::testing::TestWithParam<DegMinCase> {};

TEST_P(FormatDegMinTest, DegreesMinutesAndTenThousandths) {
  const DegMinCase& c = GetParam();
  const std::string text = FormatDegMin(c.degrees);
  EXPECT_EQ(text, Sjis(c.text)) << ShiftJisToUtf8(text);
  char buf[8];
  const size_t n = FormatDegMinTo(buf, sizeof buf, c.degrees);
  EXPECT_EQ(std::string(buf, n), Sjis(c.text).substr(0, 7)) << "a short buffer keeps what fits";
}

INSTANTIATE_TEST_SUITE_P(
    Angles, FormatDegMinTest,
    ::testing::Values(DegMinCase{"North34_40", 34.666667, " 34ﾟ40.0000'"},
                      DegMinCase{"West135_15NoSign", -135.25, "135ﾟ15.0000'"}, DegMinCase{"Zero", 0, "  0ﾟ00.0000'"},
                      DegMinCase{"OneTenThousandthMinute", 1.0 / 600000, "  0ﾟ00.0001'"},
                      DegMinCase{"RoundsUpIntoTheNextDegree", 59.99999995, " 60ﾟ00.0000'"},
                      DegMinCase{"HalfUnitRoundsUp", 0.5 / 600000 + 1e-12, "  0ﾟ00.0001'"},
                      DegMinCase{"JustBelowHalfRoundsDown", 0.4 / 600000, "  0ﾟ00.0000'"},
                      DegMinCase{"Minus0_5", -0.5, "  0ﾟ30.0000'"},
                      DegMinCase{"FourDigitDegreesWiden", 1234.5, "1234ﾟ30.0000'"},
                      DegMinCase{"NotANumberShownAsZero", std::nan(""), "  0ﾟ00.0000'"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FormatDegMinTest, TheMarkIsTheHalfWidthByte) {
  const std::string text = FormatDegMin(34.666667);
  ASSERT_EQ(text.size(), 12u);
  EXPECT_EQ(static_cast<unsigned char>(text[3]), 0xDF);
}

// ---- Label text ----

struct LabelCase {
  const char* name;
  int16_t aids;
  const char* selectedName;  // UTF-8
  const char* sign;          // up to 8 bytes, not always terminated
  int16_t antA, antB;
  double sog;
  int lines;
  const char* line1;  // UTF-8
  const char* line2;
  const char* line3;
};

class ShipLabelTextTest : public ::testing::TestWithParam<LabelCase> {};

TEST_P(ShipLabelTextTest, Lines) {
  const LabelCase& c = GetParam();
  DbDynamic ship{};
  ship.MMSI = 431234567;
  ship.Sog = c.sog;
  DbStatic info{};
  info.Aids = c.aids;
  info.AntA = c.antA;
  info.AntB = c.antB;
  std::memcpy(info.Sign, c.sign, std::min(std::strlen(c.sign), sizeof info.Sign));
  ShipLabelLines out;
  EXPECT_EQ(FormatShipLabelLines(ship, info, Sjis(c.selectedName), out), c.lines);
  EXPECT_EQ(out.count, c.lines);
  EXPECT_EQ(ShiftJisToUtf8(out.text[0]), c.line1);
  EXPECT_EQ(ShiftJisToUtf8(out.text[1]), c.line2);
  EXPECT_EQ(ShiftJisToUtf8(out.text[2]), c.line3);
}

INSTANTIATE_TEST_SUITE_P(
    Ships, ShipLabelTextTest,
    ::testing::Values(
        LabelCase{"AidType21OneLine", 21, "ignored", "", 0, 0, 0, 1, "431234567 (21)", "", ""},
        LabelCase{"AidType5TwoDigits", 5, "", "", 0, 0, 0, 1, "431234567 (05)", "", ""},
        LabelCase{"VesselWithName", 0, "さんふらわあ", "JD2345", 100, 20, 12.34, 3, "431234567 さんふらわあ",
                  "CALL SIGN：JD2345", "船体長:120m　船速:12.3kn"},
        LabelCase{"NamelessVesselMmsiAlone", 0, "", "", 0, 0, 0, 3, "431234567", "CALL SIGN：",
                  "船体長:0m　船速:0.0kn"},
        LabelCase{"BlanksAroundNameTrimmedAtTheEnds", 0, "  MARU 1  ", "", 5, 5, 0.05, 3, "431234567   MARU 1",
                  "CALL SIGN：", "船体長:10m　船速:0.1kn"},
        LabelCase{"FullCallSignFieldWithoutTerminator", 0, "A", "ABCDEFGH", 0, 0, 0, 3, "431234567 A",
                  "CALL SIGN：ABCDEFGH", "船体長:0m　船速:0.0kn"},
        LabelCase{"SpeedAbove1000IsZero", 0, "A", "", 0, 0, 1022, 3, "431234567 A", "CALL SIGN：",
                  "船体長:0m　船速:0.0kn"},
        LabelCase{"Speed1000Kept", 0, "A", "", 0, 0, 1000, 3, "431234567 A", "CALL SIGN：",
                  "船体長:0m　船速:1000.0kn"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Label box ----

struct LabelBoxCase {
  const char* name;
  int16_t aids;
  int32_t rows;  // rows of the shaded box: lines x 43 + 4
};

class ShipLabelBoxTest : public ::testing::TestWithParam<LabelBoxCase> {};

TEST_P(ShipLabelBoxTest, ShadedBoxBelowTheSymbol) {
  const LabelBoxCase& c = GetParam();
  Scene s;
  const int32_t slot = s.table.FindOrAddShip(431000021);
  DbDynamic* e = s.table.Edit(slot);
  e->Raw.PosState = kPosReported;  // a position of its own, as a report leaves it
  e->Lat = s.LatAt(400);
  e->Lon = s.LonAt(700);
  s.table.StaticOf(e->Link).Aids = c.aids;
  s.in.selectedShipName = Sjis("TEST");
  DrawShipLabel(s.frame, slot);
  // symbolSize 20: the text starts at 400 + 26, the box two pixels above it.
  int32_t first = -1, last = -1, left = Scene::kW, right = -1;
  for (int32_t y = 380; y < 700; ++y) {
    for (int32_t x = 300; x < 1100; ++x) {
      if (s.At(x, y) != kShade) continue;
      if (first < 0) first = y;
      last = y;
      left = std::min(left, x);
      right = std::max(right, x);
    }
  }
  EXPECT_EQ(first, 424);
  EXPECT_EQ(last - first + 1, c.rows);
  EXPECT_LE(std::abs((700 - left) - (right - 700)), 2) << "centred on the ship";
  EXPECT_TRUE(s.AnyIn(left, first, right + 1, last + 1, Rgb{255, 255, 128})) << "text drawn in the box";
  EXPECT_EQ(s.canvas.Brush(), BrushStyle::Clear);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ShipLabelBoxTest,
                         ::testing::Values(LabelBoxCase{"AidOneLine", 21, 43 + 4},
                                           LabelBoxCase{"VesselThreeLines", 0, 3 * 43 + 4}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ShipLabelBoxTest, NoLabelOffThePictureOrForAFreeSlot) {
  Scene s;
  const int32_t slot = s.table.FindOrAddShip(431000022);
  DbDynamic* e = s.table.Edit(slot);
  e->Raw.PosState = kPosReported;  // a position of its own, as a report leaves it
  e->Lat = s.LatAt(-200);
  e->Lon = s.LonAt(700);
  DrawShipLabel(s.frame, slot);
  DrawShipLabel(s.frame, slot % 1024 + 1);
  EXPECT_FALSE(s.AnyIn(0, 0, Scene::kW, 400, kShade));
}

// ---- Panels ----

// The port numbers sit on boxes of their state's colour, packed left without gaps.
struct PortCase {
  const char* name;
  uint32_t now;
  uint32_t lastRead;
  Rgb box;
};

class PortRowTest : public ::testing::TestWithParam<PortCase> {};

TEST_P(PortRowTest, OpenPortsPackedAtTheirColour) {
  const PortCase& c = GetParam();
  Scene s;
  s.clock.SetTick(c.now);
  s.in.ports[3] = PortStatus{true, c.lastRead};
  s.in.ports[7] = PortStatus{true, c.lastRead};
  DrawInfoPanels(s.frame, false);
  const int32_t x0 = Scene::kX0;
  EXPECT_EQ(s.At(x0 + 64, 10), c.box) << Show(s.At(x0 + 64, 10));
  EXPECT_EQ(s.At(x0 + 112, 10), c.box) << Show(s.At(x0 + 112, 10));
  EXPECT_NE(s.At(x0 + 63, 10), c.box);
  EXPECT_NE(s.At(x0 + 111, 10), c.box) << "first box narrower than the step";
  EXPECT_NE(s.At(x0 + 160, 10), c.box) << "two ports, two boxes";
}

// 100000 has bit 8 clear, 100256 has it set.
INSTANTIATE_TEST_SUITE_P(States, PortRowTest,
                         ::testing::Values(PortCase{"QuietOver2000msWhite", 100000, 97999, kWhite},
                                           PortCase{"Exactly2000msStillBlinking", 100000, 98000, kYellow},
                                           PortCase{"BlinkBitClearYellow", 100000, 99990, kYellow},
                                           PortCase{"BlinkBitSetBlue", 100256, 100250, Rgb{0, 0, 255}}),
                         [](const auto& info) { return std::string(info.param.name); });

struct OverlayCase {
  const char* name;
  uint32_t fixes;
  bool debug;
  bool playing;
};

class OverlayTest : public ::testing::TestWithParam<OverlayCase> {};

TEST_P(OverlayTest, DrawnOnlyWhenTheirStateAsksForThem) {
  const OverlayCase& c = GetParam();
  Scene s;
  s.counters.rmcFixCount = c.fixes;
  s.in.playback.playing = c.playing;
  DrawInfoPanels(s.frame, c.debug);
  const int32_t x0 = Scene::kX0;
  const int32_t cx = Scene::kW - 540, cy = 90;
  const bool fix = c.fixes != 0;
  EXPECT_EQ(s.At(cx, cy - 40), fix ? kYellow : kBackground) << "compass needle";
  EXPECT_EQ(s.AnyIn(cx - 15, cy + 72, cx + 15, cy + 78, kWhite), fix) << "compass hatch";
  EXPECT_EQ(s.At(x0 - 8, 1106), fix ? kShade : kBackground) << "own-ship panel";
  EXPECT_EQ(s.AnyIn(x0, 1111, x0 + 300, 1150, Rgb{0, 255, 0}), fix) << "own-ship title";
  EXPECT_EQ(s.AnyIn(100, 48, 700, 160, Rgb{0, 255, 255}), c.debug) << "debug counters";
  EXPECT_EQ(s.At(192, Scene::kH - 628), c.playing ? kShade : kBackground) << "histogram";
  // Always: legend box and ship count.
  EXPECT_EQ(s.At(x0 - 8, 58), kShade);
  EXPECT_EQ(s.At(x0 - 7, 575), kShade);
  EXPECT_EQ(s.At(x0 - 7, 577), kBackground);
  EXPECT_TRUE(s.AnyIn(x0, 514, x0 + 300, 560, kYellow)) << "ship count";
}

INSTANTIATE_TEST_SUITE_P(States, OverlayTest,
                         ::testing::Values(OverlayCase{"NoFix", 0, false, false}, OverlayCase{"Fix", 1, false, false},
                                           OverlayCase{"DebugVisible", 0, true, false},
                                           OverlayCase{"PlayingBack", 5, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CompassTest, NeedlePointsToNorthOnATurnedChart) {
  struct Row {
    double rotation;
    int32_t dx, dy;  // where the needle's tip half lies from the centre
  } rows[] = {{0, 0, -40}, {90, -40, 0}, {180, 0, 40}, {270, 40, 0}};
  for (const Row& r : rows) {
    Scene s;
    s.counters.rmcFixCount = 1;
    SetupViewGeometry(s.view, Scene::kW, Scene::kH, 34.5, 135.0, r.rotation, 15);
    DrawInfoPanels(s.frame, false);
    const int32_t cx = Scene::kW - 540, cy = 90;
    EXPECT_EQ(s.At(cx + r.dx, cy + r.dy), kYellow) << r.rotation;
    EXPECT_NE(s.At(cx - r.dx, cy - r.dy), kYellow) << r.rotation;
  }
}

TEST(LegendTest, SwatchesInTheirRowsAndTheAidMark) {
  Scene s;
  DrawInfoPanels(s.frame, false);
  const int32_t x0 = Scene::kX0;
  for (int i = 0; i < kLegendRows; ++i) {
    const int32_t y = 70 + 48 * i;
    if (i < 8) {
      EXPECT_EQ(s.At(x0 + 1, y + 1), kLegend[i].colour) << "row " << i;
      EXPECT_EQ(s.At(x0 + 27, y + 27), kLegend[i].colour) << "row " << i;
      EXPECT_NE(s.At(x0 + 28, y + 14), kLegend[i].colour) << "row " << i;
    } else {
      EXPECT_NE(s.At(x0 + 1, y + 1), kAidColor);
      EXPECT_TRUE(s.AnyIn(x0 - 8, y - 8, x0 + 35, y + 35, kAidColor)) << "the aid mark";
    }
    EXPECT_TRUE(s.AnyIn(x0 + 48, y - 8, x0 + 400, y + 40, kWhite)) << "row text " << i;
  }
}

struct LegendTextCase {
  int row;
  const char* text;
  double factor;
};

class LegendTextTest : public ::testing::TestWithParam<LegendTextCase> {};

TEST_P(LegendTextTest, ShiftJisTextAndFactor) {
  const LegendTextCase& c = GetParam();
  EXPECT_EQ(ShiftJisToUtf8(kLegend[c.row].text), c.text);
  EXPECT_DOUBLE_EQ(kLegend[c.row].sizeFactor, c.factor);
  EXPECT_EQ(kLegend[c.row].colour, c.row < 8 ? TypeColor(std::array<int16_t, 8>{70, 80, 60, 40, 52, 30, 37, 0}[c.row])
                                               : kAidColor);
}

INSTANTIATE_TEST_SUITE_P(Rows, LegendTextTest,
                         ::testing::Values(LegendTextCase{0, "貨物船", 1.0}, LegendTextCase{1, "タンカー", 1.0},
                                           LegendTextCase{2, "旅客船", 1.0}, LegendTextCase{3, "高速船", 1.0},
                                           LegendTextCase{4, "ﾀｸﾞﾎﾞｰﾄ,Special Craft", 0.8},
                                           LegendTextCase{5, "漁船", 1.0}, LegendTextCase{6, "プレジャーボート", 1.0},
                                           LegendTextCase{7, "未指定", 1.0}, LegendTextCase{8, "航路標識", 1.0}),
                         [](const auto& info) { return "Row" + std::to_string(info.param.row + 1); });

TEST(HistogramTest, PlayedMinutesGreenTheRestYellowCappedAt500) {
  Scene s;
  s.in.playback.playing = true;
  s.in.playback.playbackFileName = Sjis("LOG/!AIS260101-0900.txt");
  const int32_t counts[] = {100, 200, 50, 600};
  for (int i = 0; i < 4; ++i) s.in.playback.minuteHistogram[i] = counts[i];
  s.in.playback.playbackPos = 301;  // past the first two minutes (100 + 200)
  DrawInfoPanels(s.frame, false);
  const int32_t yb = Scene::kH - 120;
  const Rgb played{0, 128, 0};
  EXPECT_EQ(s.At(204, yb - 20), played);
  EXPECT_EQ(s.At(212, yb - 20), played);
  EXPECT_EQ(s.At(212, yb - 190), played);
  EXPECT_EQ(s.At(220, yb - 20), kYellow);
  EXPECT_EQ(s.At(228, yb - 495), kYellow);
  EXPECT_NE(s.At(228, yb - 510), kYellow) << "bars stop at 500";
  EXPECT_NE(s.At(220, yb - 60), kYellow) << "bin 2 is 50 high";
  EXPECT_EQ(s.canvas.PenWidth(), 1);
}

}  // namespace
}  // namespace aismon
