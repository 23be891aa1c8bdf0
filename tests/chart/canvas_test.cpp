#include "chart/canvas.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdlib>
#include <string>
#include <vector>
#include "chart/row_split.h"
#include "tests/support/gui_app.h"

namespace aismon {
namespace {


constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kYellow{255, 255, 0};

class CanvasTest : public testing::Test {
 protected:
  void SetUp() override {
    EnsureGuiApp();
    c.Resize(64, 64);
    Clear(kBlack);
  }
  void Clear(Rgb colour) {
    for (int y = 0; y < c.Height(); ++y)
      for (int x = 0; x < c.Width(); ++x) c.Row(y)[x] = Canvas::Pixel(colour);
  }
  int Count(Rgb colour, int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1) {
    if (x1 < 0) x1 = c.Width();
    if (y1 < 0) y1 = c.Height();
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += c.PixelAt(x, y) == colour;
    return n;
  }
  Canvas c;
};

TEST_F(CanvasTest, RowsAndPixelsShareOneLayout) {
  c.Row(3)[5] = Canvas::Pixel(Rgb{1, 2, 3});
  EXPECT_EQ(c.PixelAt(5, 3), (Rgb{1, 2, 3}));
  EXPECT_EQ(c.Row(3)[5] & 0xFFFFFF, 0x010203u);  // blue in the lowest byte
}

struct BrushCase {
  std::string name;
  BrushStyle style;
  int minFilled, maxFilled;  // pixels of the brush colour in a 32 x 32 fill
};

class BrushTest : public CanvasTest, public testing::WithParamInterface<BrushCase> {};

TEST_P(BrushTest, FillRectUsesTheBrush) {
  const BrushCase& b = GetParam();
  c.SetBrushColor(kRed);
  c.SetBrushStyle(b.style);
  c.FillRect(16, 16, 48, 48);
  const int filled = Count(kRed);
  EXPECT_GE(filled, b.minFilled);
  EXPECT_LE(filled, b.maxFilled);
  EXPECT_EQ(Count(kRed, 0, 0, 64, 16), 0);  // nothing outside the rectangle
  EXPECT_EQ(Count(kRed, 48, 0, 64, 64), 0);
}

INSTANTIATE_TEST_SUITE_P(Styles, BrushTest,
                         testing::Values(BrushCase{"solid", BrushStyle::Solid, 1024, 1024},
                                         BrushCase{"clear", BrushStyle::Clear, 0, 0},
                                         // Hatch lines with gaps between them.
                                         BrushCase{"diag_cross", BrushStyle::DiagCross, 100, 700}),
                         [](const testing::TestParamInfo<BrushCase>& i) { return i.param.name; });

TEST_F(CanvasTest, DiagonalCrossHatchRunsBothWays) {
  c.SetBrushColor(kRed);
  c.SetBrushStyle(BrushStyle::DiagCross);
  c.FillRect(0, 0, 64, 64);
  int down = 0, up = 0;
  for (int y = 10; y < 50; ++y)
    for (int x = 10; x < 50; ++x) {
      if (!(c.PixelAt(x, y) == kRed)) continue;
      down += c.PixelAt(x + 1, y + 1) == kRed;
      up += c.PixelAt(x + 1, y - 1) == kRed;
    }
  EXPECT_GT(down, 50);
  EXPECT_GT(up, 50);
}

TEST_F(CanvasTest, EllipseBoundingBoxExcludesRightAndBottom) {
  c.SetPenColor(kWhite);
  c.SetBrushColor(kRed);
  c.SetBrushStyle(BrushStyle::Solid);
  c.Ellipse(10, 10, 30, 30);
  EXPECT_EQ(c.PixelAt(20, 20), kRed);
  EXPECT_EQ(c.PixelAt(10, 20), kWhite);
  EXPECT_EQ(c.PixelAt(29, 20), kWhite);
  EXPECT_EQ(c.PixelAt(20, 10), kWhite);
  EXPECT_EQ(c.PixelAt(20, 29), kWhite);
  EXPECT_EQ(c.PixelAt(9, 20), kBlack);
  EXPECT_EQ(c.PixelAt(30, 20), kBlack);
  EXPECT_EQ(c.PixelAt(20, 30), kBlack);
}

TEST_F(CanvasTest, ClearBrushEllipseIsOnlyAnOutline) {
  c.SetPenColor(kWhite);
  c.SetBrushStyle(BrushStyle::Clear);
  c.Ellipse(10, 10, 50, 50);
  EXPECT_EQ(c.PixelAt(30, 30), kBlack);
  EXPECT_EQ(c.PixelAt(10, 30), kWhite);
}

TEST_F(CanvasTest, EvenOddPolygonLeavesOverlapUnfilled) {
  c.SetPenColor(kRed);
  c.SetBrushColor(kRed);
  c.SetBrushStyle(BrushStyle::Solid);
  // A five-pointed star drawn in one stroke: its middle pentagon is covered twice.
  const PixelPoint star[] = {{32, 4}, {48, 56}, {6, 24}, {58, 24}, {16, 56}};
  c.Polygon(star, 5);
  EXPECT_EQ(c.PixelAt(32, 34), kBlack);  // the doubly covered centre
  EXPECT_EQ(c.PixelAt(32, 12), kRed);    // top point
  EXPECT_EQ(c.PixelAt(12, 26), kRed);    // left point
  EXPECT_EQ(c.PixelAt(2, 60), kBlack);   // outside
}

struct PenCase {
  std::string name;
  int width;
  int firstRow, lastRow;  // rows the horizontal line at y = 32 covers
};

class PenWidthTest : public CanvasTest, public testing::WithParamInterface<PenCase> {};

TEST_P(PenWidthTest, LineCoversItsWidth) {
  const PenCase& p = GetParam();
  c.SetPenColor(kWhite);
  c.SetPenWidth(p.width);
  c.Line(10, 32, 50, 32);
  for (int y = 24; y <= 40; ++y) {
    const bool expected = y >= p.firstRow && y <= p.lastRow;
    EXPECT_EQ(c.PixelAt(30, y) == kWhite, expected) << "row " << y;
  }
}

INSTANTIATE_TEST_SUITE_P(Widths, PenWidthTest,
                         testing::Values(PenCase{"one", 1, 32, 32}, PenCase{"zero_is_one", 0, 32, 32},
                                         PenCase{"three", 3, 31, 33}, PenCase{"five", 5, 30, 34}),
                         [](const testing::TestParamInfo<PenCase>& i) { return i.param.name; });

TEST_F(CanvasTest, FarAwayPointsAreClippedWithoutDistortion) {
  c.SetPenColor(kRed);
  c.SetBrushColor(kRed);
  c.SetBrushStyle(BrushStyle::Solid);
  // A band from far left to far right between rows 20 and 40.
  const PixelPoint band[] = {{-500000000, 20}, {500000000, 20}, {500000000, 40}, {-500000000, 40}};
  c.Polygon(band, 4);
  for (int x = 0; x < 64; x += 7) {
    EXPECT_EQ(c.PixelAt(x, 30), kRed) << x;
    EXPECT_EQ(c.PixelAt(x, 10), kBlack) << x;
    EXPECT_EQ(c.PixelAt(x, 50), kBlack) << x;
  }
  // A polyline through points millions of pixels out still crosses at the right place.
  c.SetPenColor(kWhite);
  const PixelPoint line[] = {{-2000000000, 50}, {2000000000, 50}, {2000000000, 2000000000}};
  c.Polyline(line, 3);
  for (int x = 0; x < 64; x += 7) EXPECT_EQ(c.PixelAt(x, 50), kWhite) << x;
  EXPECT_EQ(c.PixelAt(5, 52), kBlack);
  // A triangle reaching far out covers a corner region exactly through its edge x = y.
  Clear(kBlack);
  const PixelPoint tri[] = {{0, 0}, {30000000, 30000000}, {30000000, 0}};
  c.SetPenColor(kRed);
  c.Polygon(tri, 3);
  EXPECT_EQ(c.PixelAt(40, 20), kRed);   // above the diagonal
  EXPECT_EQ(c.PixelAt(20, 40), kBlack); // below it
}

TEST_F(CanvasTest, TextOverSolidBrushGetsBackground) {
  c.SetFontFace("Arial");
  c.SetFontHeight(20);
  c.SetFontColor(kBlue);
  c.SetBrushColor(kYellow);
  c.SetBrushStyle(BrushStyle::Solid);
  c.TextOut(2, 2, "Ag");
  const int w = c.TextWidth("Ag"), h = c.TextHeight("Ag");
  EXPECT_GT(Count(kYellow, 2, 2, 2 + w, 2 + h), w * h / 3);
  EXPECT_GT(Count(kBlue), 10);
  EXPECT_EQ(Count(kYellow, 2 + w, 0), 0);  // nothing right of the text box
}

TEST_F(CanvasTest, TextOverClearBrushHasNoBackground) {
  c.SetFontFace("Arial");
  c.SetFontHeight(20);
  c.SetFontColor(kBlue);
  c.SetBrushColor(kYellow);
  c.SetBrushStyle(BrushStyle::Clear);
  c.TextOut(2, 2, "Ag");
  EXPECT_EQ(Count(kYellow), 0);
  EXPECT_GT(Count(kBlue), 10);
  EXPECT_EQ(Count(kBlue) + Count(kBlack), 64 * 64);  // no antialiased in-between colours
}

struct GlyphCase {
  std::string name;
  std::string sjis;
};

class ShiftJisTextTest : public CanvasTest, public testing::WithParamInterface<GlyphCase> {};

TEST_P(ShiftJisTextTest, GlyphsRender) {
  c.Resize(200, 64);
  Clear(kBlack);
  c.SetFontFace("\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e");  // "ＭＳ ゴシック"
  c.SetFontHeight(32);
  c.SetFontColor(kWhite);
  c.SetBrushStyle(BrushStyle::Clear);
  c.TextOut(0, 0, GetParam().sjis);
  EXPECT_GT(Count(kWhite), 5);
  EXPECT_GT(c.TextWidth(GetParam().sjis), 0);
}

INSTANTIATE_TEST_SUITE_P(Texts, ShiftJisTextTest,
                         testing::Values(GlyphCase{"kanji_cargo_ship", "\x89\xdd\x95\xa8\x91\x44"},          // 貨物船
                                         GlyphCase{"katakana_tanker", "\x83\x5e\x83\x93\x83\x4a\x81\x5b"},  // タンカー
                                         GlyphCase{"half_width_mark", "\xDF"},                              // ﾟ
                                         GlyphCase{"degrees_label", "34\xDF" "40'"}),
                         [](const testing::TestParamInfo<GlyphCase>& i) { return i.param.name; });

// A text drawn again is set from runs kept from the painter's first drawing of it: the
// pixels must be the painter's, wherever it lands and over whatever brush.
TEST(CanvasText, TextDrawnAgainSetsThePaintersPixels) {
  EnsureGuiApp();
  const std::string gothic = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";  // ＭＳ ゴシック
  struct Case {
    const char* name;
    std::string face;
    int pixels;
    std::string sjis;
    int32_t x, y;
    bool solid;
  };
  const std::vector<Case> cases = {
      {"kanji inside", gothic, 16, "\x89\xdd\x95\xa8\x91\x44", 20, 30, false},  // 貨物船
      {"label over a solid brush", gothic, 13, "34\xDF" "40' N", 5, 5, true},
      {"descenders", "Arial", 20, "Agjpqy|", 40, 10, false},
      {"katakana cut at the left", gothic, 29, "\x83\x5e\x83\x93\x83\x4a\x81\x5b", -9, 50, true},  // タンカー
      {"cut at the top", "Arial", 22, "TOKYO BAY", 30, -8, false},
      {"cut at the right and bottom", gothic, 16, "ABC \x89\xdd", 150, 110, true},
      {"squares over the right edge", gothic, 16, "\x81\xa1\x81\xa1\x81\xa1\x81\xa1", 150, 40, false},  // ■■■■
      {"squares one further", gothic, 16, "\x81\xa1\x81\xa1\x81\xa1\x81\xa1", 151, 60, false},
      {"far outside", "Arial", 16, "x", -100000, 2000000000, true},
      {"one mark", gothic, 12, "\xDF", 0, 0, false},
  };
  for (const Case& k : cases) {
    Canvas painted, kept;
    for (Canvas* c : {&painted, &kept}) {
      c->Resize(180, 120);
      c->SetBrushColor(Rgb{0, 0, 90});
      c->SetBrushStyle(BrushStyle::Solid);
      c->FillRect(0, 0, 180, 120);
      c->SetFontFace(k.face);
      c->SetFontHeight(k.pixels);
      c->SetFontColor(Rgb{255, 255, 0});
      c->SetBrushColor(Rgb{200, 40, 40});
      c->SetBrushStyle(k.solid ? BrushStyle::Solid : BrushStyle::Clear);
    }
    painted.TextOut(k.x, k.y, k.sjis);
    // Twice elsewhere first, outside the picture: the next drawing is from the runs.
    kept.TextOut(-5000, -5000, k.sjis);
    kept.TextOut(-5000, -5000, k.sjis);
    kept.TextOut(k.x, k.y, k.sjis);
    int differing = 0, text = 0;
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 180; ++x) {
        differing += painted.PixelAt(x, y) != kept.PixelAt(x, y);
        text += painted.PixelAt(x, y) == Rgb{255, 255, 0};
      }
    EXPECT_EQ(differing, 0) << k.name;
    if (std::string(k.name) != "far outside") {
      EXPECT_GT(text, 0) << k.name;
    }
  }
}

TEST_F(CanvasTest, HalfWidthMarkIsNarrowerThanAFullWidthCharacter) {
  c.SetFontHeight(32);
  EXPECT_LT(c.TextWidth("\xDF"), c.TextWidth("\x89\xdd"));  // ﾟ against 貨
}

TEST_F(CanvasTest, StatePersistsAcrossCallsAndResize) {
  c.SetPenColor(kRed);
  c.SetPenWidth(3);
  c.SetBrushColor(kBlue);
  c.SetBrushStyle(BrushStyle::Solid);
  c.SetFontHeight(40);
  c.SetFontColor(kYellow);
  const int textHeight = c.TextHeight("@");
  c.Line(0, 0, 10, 10);
  c.Resize(100, 80);
  EXPECT_EQ(c.Width(), 100);
  EXPECT_EQ(c.Height(), 80);
  EXPECT_EQ(c.PenColor(), kRed);
  EXPECT_EQ(c.PenWidth(), 3);
  EXPECT_EQ(c.BrushColor(), kBlue);
  EXPECT_EQ(c.Brush(), BrushStyle::Solid);
  EXPECT_EQ(c.FontHeight(), 40);
  EXPECT_EQ(c.FontColor(), kYellow);
  EXPECT_EQ(c.TextHeight("@"), textHeight);
  // And the painter really uses them after the re-size.
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 100; ++x) c.Row(y)[x] = Canvas::Pixel(kBlack);
  c.Line(10, 40, 90, 40);
  EXPECT_EQ(c.PixelAt(50, 39), kRed);  // 3 pixels wide
  EXPECT_EQ(c.PixelAt(50, 41), kRed);
  c.FillRect(0, 0, 5, 5);
  EXPECT_EQ(c.PixelAt(2, 2), kBlue);
  c.SetBrushStyle(BrushStyle::Clear);
  c.TextOut(20, 0, "W");
  int yellow = 0;
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 100; ++x) yellow += c.PixelAt(x, y) == kYellow;
  EXPECT_GT(yellow, 10);
}

TEST_F(CanvasTest, FontPointsAreAt96Dpi) {
  c.SetFontPoints(24);
  EXPECT_EQ(c.FontHeight(), 32);
  c.SetFontPoints(64);
  EXPECT_EQ(c.FontHeight(), 85);
}

// Shapes shared out between two threads by rows set every pixel that drawing them on one
// thread sets, in the same order: across the split, off the image, and around a shape the
// painter draws in between.
TEST(SharedDrawing, SetsThePixelsOfDrawingOnOneThread) {
  EnsureGuiApp();
  RowSplitter helper(true);
  auto draw = [&](Canvas& c, bool share, int32_t dy) {
    c.Resize(320, 240);
    c.KeepLines(8);
    c.SetBrushStyle(BrushStyle::Solid);
    c.SetBrushColor(kBlack);
    c.FillRect(0, 0, 320, 240);
    if (share) {
      c.SetRowSplitter(&helper);
      c.BeginShared();
    }
    for (int i = 0; i < 24; ++i) {
      const int32_t x = 10 + 13 * i, y = 10 * i + dy;  // down a diagonal through every row
      const Rgb pen{static_cast<uint8_t>(40 + 9 * i), static_cast<uint8_t>(255 - 9 * i), static_cast<uint8_t>(7 * i)};
      const Rgb fill{static_cast<uint8_t>(250 - 8 * i), static_cast<uint8_t>(11 * i), 128};
      c.SetPenWidth(1);
      c.SetPenColor(pen);
      c.SetBrushColor(fill);
      const PixelPoint triangle[3] = {{x, y - 30}, {x + 25, y + 30}, {x - 25, y + 20}};
      c.Polygon(triangle, 3);
      c.Ellipse(x - 9, y - 7, x + 9, y + 7);
      c.Line(x - 40, y + 35, x + 40, y - 35);
      const PixelPoint path[3] = {{x - 20, y}, {x, y + 25}, {x + 20, y - 5}};
      c.Polyline(path, 3);
      c.SetPenWidth(3);
      c.Line(x + 30, y - 20, x - 10, y + 40);
      c.KeptLine(i % 8, x - 30, y - 30, x + 31, y + 33);
      const PixelPoint dots[3] = {{x + 5, y + 3}, {x + 6, y + 4}, {x - 12, y - 8}};
      c.SmallDiscs(dots, 3, 2 + i % 2, fill);
      if (i == 12) {
        // A wide bent line needs the painter: what was logged goes under it.
        c.SetPenWidth(5);
        const PixelPoint bent[4] = {{0, dy}, {75, 55 + dy}, {140, 95 + dy}, {170, 125 + dy}};
        c.Polyline(bent, 4);
      }
    }
    c.SetPenWidth(1);
    c.Ellipse(10, -50, 30, -20);
    c.Ellipse(10, 300, 30, 330);
    if (share) c.EndShared();
  };
  // Moved down a row at a time, so that every kind of shape ends at the split somewhere.
  for (int32_t dy = 0; dy < 10; ++dy) {
    Canvas alone, shared;
    draw(alone, false, dy);
    draw(shared, true, dy);
    int differing = 0;
    for (int y = 0; y < 240; ++y)
      for (int x = 0; x < 320; ++x) differing += alone.PixelAt(x, y) != shared.PixelAt(x, y);
    EXPECT_EQ(differing, 0) << "moved down " << dy;
  }
}

}  // namespace
}  // namespace aismon
