// The direct rasterisers against the painter they replace: many random and awkward shapes
// drawn both ways on the same background, compared pixel by pixel. Any difference, however
// small, fails.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "chart/canvas.h"
#include "chart/clip.h"
#include "chart/ellipse_fill.h"
#include "chart/span_fill.h"
#include "chart/thin_line.h"
#include "chart/wide_line.h"
#include "tests/support/gui_app.h"

namespace aismon {
namespace {

constexpr int kWidth = 67;
constexpr int kHeight = 53;
constexpr uint32_t kFillPixel = 0xFFFF2010u;
constexpr uint32_t kPenPixel = 0xFFF0F0F0u;
constexpr int kCases = 3000;

// A background that is not one colour, so that pixels drawn over it and pixels left alone
// both count.
void Paint(QImage& img) {
  for (int y = 0; y < img.height(); ++y) {
    auto* row = reinterpret_cast<uint32_t*>(img.scanLine(y));
    for (int x = 0; x < img.width(); ++x) row[x] = 0xFF000000u | static_cast<uint32_t>((x * 3) << 8 | (y * 5));
  }
}

PixelTarget TargetOf(QImage& img) {
  return PixelTarget{reinterpret_cast<uint32_t*>(img.bits()), img.bytesPerLine() / 4, img.width(), img.height()};
}

// The painter as the canvas sets it up: no antialiasing; a one-pixel pen with square caps,
// wider pens with round caps and joins.
void Configure(QPainter& p, int penWidth, bool fill) {
  p.setRenderHint(QPainter::Antialiasing, false);
  QPen pen(QColor::fromRgb(kPenPixel));
  pen.setWidth(penWidth);
  pen.setStyle(Qt::SolidLine);
  pen.setCapStyle(penWidth > 1 ? Qt::RoundCap : Qt::SquareCap);
  pen.setJoinStyle(penWidth > 1 ? Qt::RoundJoin : Qt::MiterJoin);
  p.setPen(pen);
  if (fill) {
    p.setBrush(QColor::fromRgb(kFillPixel));
  } else {
    p.setBrush(Qt::NoBrush);
  }
}

std::string Describe(const std::vector<int32_t>& xy) {
  std::ostringstream s;
  for (size_t i = 0; i + 1 < xy.size(); i += 2) s << " (" << xy[i] << "," << xy[i + 1] << ")";
  return s.str();
}

// Empty when equal, else the first differing pixel.
std::string FirstDifference(const QImage& expected, const QImage& actual) {
  for (int y = 0; y < expected.height(); ++y)
    for (int x = 0; x < expected.width(); ++x)
      if (expected.pixel(x, y) != actual.pixel(x, y)) {
        std::ostringstream s;
        s << "pixel (" << x << "," << y << ") painter " << std::hex << expected.pixel(x, y) << " direct "
          << actual.pixel(x, y);
        return s.str();
      }
  return {};
}

// Where the random points of a case lie, relative to the image.
struct Spread {
  const char* name;
  int range;      // points within this many pixels of the image centre
  int points;     // at most this many
  int nearRange;  // every other point within this many, if not 0
};

constexpr Spread kSpreads[] = {
    {"tiny", 3, 6, 0},        // a few pixels: joints, dropouts, one-pixel edges
    {"small", 12, 9, 0},      // short edges in every direction, many crossings
    {"image", 45, 12, 0},     // across the image and its borders
    {"guard", 4200, 8, 40},   // thousands of pixels out, as far as the canvas lets through
};

void PrintTo(const Spread& s, std::ostream* os) { *os << s.name; }

class RandomShapes {
 public:
  explicit RandomShapes(uint32_t seed) : rng_(seed) {}
  int Below(int n) { return static_cast<int>(rng_() % static_cast<uint32_t>(n)); }
  int32_t Coordinate(int range, int centre) { return Below(2 * range + 1) - range + centre; }
  std::vector<int32_t> Points(const Spread& s, int minPoints) {
    const int n = minPoints + Below(s.points - minPoints + 1);
    std::vector<int32_t> xy;
    for (int i = 0; i < n; ++i) {
      const int range = s.nearRange != 0 && i % 2 == 0 ? s.nearRange : s.range;
      xy.push_back(Coordinate(range, kWidth / 2));
      xy.push_back(Coordinate(range, kHeight / 2));
    }
    // Now and then a repeated point, an axis-parallel edge or a closed ring.
    if (n > 2 && Below(5) == 0) {
      const int i = 1 + Below(n - 1);
      xy[2 * i] = xy[2 * i - 2];
      if (Below(2) == 0) xy[2 * i + 1] = xy[2 * i - 1];
    }
    if (n > 2 && Below(6) == 0) {
      xy[2 * n - 2] = xy[0];
      xy[2 * n - 1] = xy[1];
    }
    return xy;
  }

 private:
  std::mt19937 rng_;
};

// Counts the cases where the painter drew anything, so that a case list that misses the
// image altogether cannot pass unnoticed.
struct Tally {
  int drawn = 0;
  int total = 0;
  void Count(const QImage& before, const QImage& after) {
    ++total;
    drawn += before != after;
  }
};

class RasterMatchTest : public testing::TestWithParam<Spread> {
 protected:
  void SetUp() override {
    EnsureGuiApp();
    background_ = QImage(kWidth, kHeight, QImage::Format_RGB32);
    Paint(background_);
  }
  void Reset() {
    expected_ = background_.copy();
    actual_ = background_.copy();
  }
  void Check(const std::string& what) {
    tally_.Count(background_, expected_);
    const std::string diff = FirstDifference(expected_, actual_);
    ASSERT_TRUE(diff.empty()) << what << ": " << diff;
  }
  void ExpectMostDrew() { EXPECT_GT(tally_.drawn, tally_.total / 3) << "too few cases reach the image"; }

  QImage background_, expected_, actual_;
  Tally tally_;
};

TEST_P(RasterMatchTest, PolygonFillEvenOddAndWinding) {
  RandomShapes r(11);
  SpanFill fill;
  for (int k = 0; k < kCases; ++k) {
    const std::vector<int32_t> xy = r.Points(GetParam(), 2);
    const int n = static_cast<int>(xy.size() / 2);
    const bool evenOdd = k % 2 == 0;
    Reset();
    {
      QPainter p(&expected_);
      Configure(p, 1, true);
      p.setPen(Qt::NoPen);
      p.drawPolygon(reinterpret_cast<const QPoint*>(xy.data()), n, evenOdd ? Qt::OddEvenFill : Qt::WindingFill);
    }
    fill.FillPolygon(TargetOf(actual_), xy.data(), n, evenOdd ? FillRule::EvenOdd : FillRule::Winding, kFillPixel);
    Check(std::string(evenOdd ? "even-odd" : "winding") + Describe(xy));
  }
  ExpectMostDrew();
}

TEST_P(RasterMatchTest, OnePixelLinesPolylinesAndOutlines) {
  RandomShapes r(12);
  for (int k = 0; k < kCases; ++k) {
    const int mode = k % 3;  // line, open polyline, polygon outline
    std::vector<int32_t> xy = r.Points(GetParam(), 2);
    if (mode == 0) xy.resize(4);
    const int n = static_cast<int>(xy.size() / 2);
    Reset();
    {
      QPainter p(&expected_);
      Configure(p, 1, false);
      const auto* q = reinterpret_cast<const QPoint*>(xy.data());
      if (mode == 0) {
        p.drawLine(q[0], q[1]);
      } else if (mode == 1) {
        p.drawPolyline(q, n);
      } else {
        p.drawPolygon(q, n);
      }
    }
    ThinLine line(TargetOf(actual_), kPenPixel, true);
    if (mode == 0) {
      line.Line(xy[0], xy[1], xy[2], xy[3]);
    } else {
      line.Path(xy.data(), n, mode == 2);
    }
    Check(std::string(mode == 0 ? "line" : mode == 1 ? "polyline" : "outline") + Describe(xy));
  }
  ExpectMostDrew();
}

TEST_P(RasterMatchTest, WideRoundCappedLines) {
  RandomShapes r(13);
  WideLine wide;
  constexpr int kWidths[] = {3, 3, 3, 2, 5};
  for (int k = 0; k < kCases; ++k) {
    std::vector<int32_t> xy = r.Points(GetParam(), 2);
    xy.resize(4);
    const int width = kWidths[k % 5];
    Reset();
    {
      QPainter p(&expected_);
      Configure(p, width, false);
      p.drawLine(xy[0], xy[1], xy[2], xy[3]);
    }
    wide.Draw(TargetOf(actual_), xy[0], xy[1], xy[2], xy[3], width, kPenPixel);
    Check("width " + std::to_string(width) + Describe(xy));
  }
  ExpectMostDrew();
}

INSTANTIATE_TEST_SUITE_P(Spreads, RasterMatchTest, testing::ValuesIn(kSpreads),
                         [](const testing::TestParamInfo<Spread>& i) { return std::string(i.param.name); });

class RasterMatchFixture : public RasterMatchTest {};

// Course lines: odd end points, every direction and length the ship layer produces, around
// and across the image borders.
TEST_F(RasterMatchFixture, CourseLinesInEveryDirection) {
  WideLine wide;
  for (int length = 0; length <= 40; length += 3) {
    for (int step = 0; step < 72; ++step) {
      const double a = step * 5 * 3.141592653589793 / 180;
      for (const int cx : {1, kWidth / 2 | 1, kWidth - 2}) {
        const int32_t x0 = cx | 1, y0 = (kHeight / 2) | 1;
        const int32_t x1 = static_cast<int32_t>(x0 + length * std::sin(a)) | 1;
        const int32_t y1 = static_cast<int32_t>(y0 - length * std::cos(a)) | 1;
        Reset();
        {
          QPainter p(&expected_);
          Configure(p, 3, false);
          p.drawLine(x0, y0, x1, y1);
        }
        wide.Draw(TargetOf(actual_), x0, y0, x1, y1, 3, kPenPixel);
        Check(Describe({x0, y0, x1, y1}));
      }
    }
  }
  ExpectMostDrew();
}

// Ellipses in integer boxes: the sizes the layers use (dots of radius 1 and 2, wake dots,
// the antenna rings, stopped ships, flash rings, own ship) and random ones, filled or not,
// inside and across the borders.
TEST_F(RasterMatchFixture, Ellipses) {
  RandomShapes r(14);
  constexpr int kRadii[] = {1, 2, 3, 6, 7, 10, 18, 21, 30, 34, 36};
  for (int k = 0; k < kCases; ++k) {
    int w, h;
    if (k % 2 == 0) {
      const int radius = kRadii[r.Below(11)];
      w = h = 2 * radius - 1;  // the box of Ellipse(x - r, y - r, x + r, y + r)
    } else {
      w = 1 + r.Below(k % 3 == 0 ? 90 : 20);
      h = k % 5 == 0 ? w : 1 + r.Below(40);
    }
    const int x = r.Below(kWidth + w + 10) - w - 5, y = r.Below(kHeight + h + 10) - h - 5;
    const bool filled = k % 4 != 0;
    Reset();
    {
      QPainter p(&expected_);
      Configure(p, 1, filled);
      p.drawEllipse(QRect(x, y, w, h));
    }
    const uint32_t fill = kFillPixel;
    DrawEllipse(TargetOf(actual_), x, y, w, h, filled ? &fill : nullptr, kPenPixel);
    Check("box " + Describe({x, y, w, h}) + (filled ? " filled" : " outline"));
  }
  ExpectMostDrew();
}

// Whole-turn arcs (the range rings): every box size from a pixel to larger than the
// image, centred inside, on and beyond the borders, against the painter's arc.
TEST_F(RasterMatchFixture, WholeTurnArcs) {
  RandomShapes r(18);
  Canvas c;
  c.Resize(kWidth, kHeight);
  c.SetPenColor(Canvas::ColorOf(kPenPixel));
  c.SetPenWidth(1);
  c.SetBrushStyle(BrushStyle::Clear);
  for (int k = 0; k < kCases; ++k) {
    const int32_t radius = k % 3 == 0 ? 1 + r.Below(8) : 1 + r.Below(k % 3 == 1 ? 60 : 400);
    const int32_t ry = k % 5 == 0 ? 1 + r.Below(90) : radius;  // now and then an ellipse
    const int32_t x = r.Coordinate(kWidth, kWidth / 2), y = r.Coordinate(kHeight, kHeight / 2);
    Reset();
    for (int row = 0; row < kHeight; ++row)
      std::copy_n(reinterpret_cast<const uint32_t*>(background_.constScanLine(row)), kWidth, c.Row(row));
    c.Arc(x - radius, y - ry, x + radius, y + ry, x + radius, y, x + radius, y);
    {
      QPainter p(&expected_);
      Configure(p, 1, false);
      p.drawArc(QRect(x - radius, y - ry, 2 * radius - 1, 2 * ry - 1), 0, 360 * 16);
    }
    for (int row = 0; row < kHeight; ++row)
      std::copy_n(reinterpret_cast<const uint32_t*>(c.Image().constScanLine(row)), kWidth,
                  reinterpret_cast<uint32_t*>(actual_.scanLine(row)));
    Check("arc " + Describe({x, y, radius, ry}));
  }
  ExpectMostDrew();
}

// The canvas as a whole against the painter it used to hand everything to: guard clipping
// of far shapes first, then fill and outline, lines of both widths, dots and rectangles.
TEST_F(RasterMatchFixture, CanvasShapesMatchThePainter) {
  RandomShapes r(15);
  Canvas c;
  c.Resize(kWidth, kHeight);
  PolygonClipper polygonClipper;
  PolylineClipper polylineClipper;
  const ClipRect guard = GuardRect(kWidth, kHeight, Canvas::kGuardMargin);
  const Spread far{"far", 30000000, 7, 40};
  for (int k = 0; k < kCases; ++k) {
    const Spread& spread = k % 4 == 0 ? far : kSpreads[k % 4];
    const std::vector<int32_t> xy = r.Points(spread, 2);
    const int n = static_cast<int>(xy.size() / 2);
    const auto* pts = reinterpret_cast<const PixelPoint*>(xy.data());
    const int shape = (k / 4) % 6;
    const int width = shape == 2 && k % 3 == 0 ? 3 : 1;
    const bool filled = k % 7 != 0;
    Reset();
    for (int y = 0; y < kHeight; ++y)
      std::copy_n(reinterpret_cast<const uint32_t*>(background_.constScanLine(y)), kWidth, c.Row(y));
    c.SetPenColor(Canvas::ColorOf(kPenPixel));
    c.SetPenWidth(width);
    c.SetBrushColor(Canvas::ColorOf(kFillPixel));
    c.SetBrushStyle(filled ? BrushStyle::Solid : BrushStyle::Clear);
    QPainter p(&expected_);
    Configure(p, width, filled);
    const bool inside = Inside(BoundsOf(pts, n), guard);
    // The painter's polygon, given what the canvas gives it: the points, or their clip.
    auto paintPolygon = [&] {
      if (inside) {
        p.drawPolygon(reinterpret_cast<const QPoint*>(pts), n, Qt::OddEvenFill);
        return;
      }
      const std::vector<PixelPoint>& clipped = polygonClipper.Clip(pts, n, guard);
      if (clipped.size() >= 3)
        p.drawPolygon(reinterpret_cast<const QPoint*>(clipped.data()), static_cast<int>(clipped.size()),
                      Qt::OddEvenFill);
    };
    switch (shape) {
      case 0: {
        c.Polygon(pts, n);
        paintPolygon();
        break;
      }
      case 1:
      case 2: {
        const int m = shape == 1 ? n : 2;
        if (shape == 1) {
          c.Polyline(pts, m);
        } else {
          c.Line(pts[0].x, pts[0].y, pts[1].x, pts[1].y);
        }
        if (Inside(BoundsOf(pts, m), guard)) {
          if (shape == 1) {
            p.drawPolyline(reinterpret_cast<const QPoint*>(pts), m);
          } else {
            p.drawLine(pts[0].x, pts[0].y, pts[1].x, pts[1].y);
          }
        } else {
          polylineClipper.Clip(pts, m, guard);
          for (int i = 0; i < polylineClipper.PieceCount(); ++i)
            p.drawPolyline(reinterpret_cast<const QPoint*>(polylineClipper.Piece(i)), polylineClipper.PieceLength(i));
        }
        break;
      }
      case 3: {
        // A dot or disc by its bounding box, x1 and y1 exclusive.
        const int32_t radius = 1 + r.Below(12);
        const int32_t x = r.Coordinate(kWidth, kWidth / 2), y = r.Coordinate(kHeight, kHeight / 2);
        c.Ellipse(x - radius, y - radius, x + radius, y + radius);
        p.drawEllipse(QRect(x - radius, y - radius, 2 * radius - 1, 2 * radius - 1));
        break;
      }
      case 5: {
        // The fill alone, as the painter draws it without a pen.
        c.FillPolygon(pts, n);
        p.setPen(Qt::NoPen);
        paintPolygon();
        break;
      }
      default: {
        const int32_t x0 = r.Coordinate(kWidth, kWidth / 2), y0 = r.Coordinate(kHeight, kHeight / 2);
        const int32_t x1 = x0 + r.Below(kWidth), y1 = y0 + r.Below(kHeight);
        c.FillRect(x0, y0, x1, y1);
        if (filled && x1 > x0 && y1 > y0) p.fillRect(QRect(x0, y0, x1 - x0, y1 - y0), p.brush());
        break;
      }
    }
    p.end();
    for (int y = 0; y < kHeight; ++y)
      std::copy_n(reinterpret_cast<const uint32_t*>(c.Image().constScanLine(y)), kWidth,
                  reinterpret_cast<uint32_t*>(actual_.scanLine(y)));
    Check("shape " + std::to_string(shape) + " width " + std::to_string(width) + Describe(xy));
  }
  ExpectMostDrew();
}

// A ring drawn as a polyline that repeats its first point sets the same pixels as the
// polygon outline through the same points, whenever the polygon's own last point differs
// from its first: the same segments in the same order. The base chart leaves out an area's
// own outline when its coast goes round it that way.
TEST_F(RasterMatchFixture, RingPolylineRepeatsThePolygonOutline) {
  RandomShapes r(16);
  int compared = 0;
  for (int k = 0; k < kCases; ++k) {
    std::vector<int32_t> xy = r.Points(kSpreads[k % 4], 2);
    const int n = static_cast<int>(xy.size() / 2);
    if (xy[0] == xy[2 * n - 2] && xy[1] == xy[2 * n - 1]) continue;
    ++compared;
    Reset();
    ThinLine(TargetOf(expected_), kPenPixel, true).Path(xy.data(), n, true);
    xy.push_back(xy[0]);
    xy.push_back(xy[1]);
    ThinLine(TargetOf(actual_), kPenPixel, true).Path(xy.data(), n + 1, false);
    Check("ring" + Describe(xy));
  }
  EXPECT_GT(compared, kCases / 2);
  ExpectMostDrew();
}

// Shapes collected in a batch come out as the same pixels as drawn one by one, also with
// painter drawing (text, a hatched brush) and direct row access in between.
TEST_F(RasterMatchFixture, BatchedDrawingMatchesDirectDrawing) {
  RandomShapes r(17);
  Canvas direct, batched;
  for (Canvas* c : {&direct, &batched}) {
    c->Resize(kWidth, kHeight);
    c->SetFontHeight(12);
  }
  for (int round = 0; round < 200; ++round) {
    batched.BeginBatch();
    for (int op = 0; op < 12; ++op) {
      const std::vector<int32_t> xy = r.Points(kSpreads[op % 4], 2);
      const int n = static_cast<int>(xy.size() / 2);
      const auto* pts = reinterpret_cast<const PixelPoint*>(xy.data());
      const uint32_t colour = 0xFF000000u | (static_cast<uint32_t>(r.Below(1 << 24)));
      const int kind = r.Below(9);
      const int32_t w = 1 + r.Below(9), h = 1 + r.Below(9);
      for (Canvas* c : {&direct, &batched}) {
        c->SetPenColor(Canvas::ColorOf(colour));
        c->SetBrushColor(Canvas::ColorOf(colour ^ 0x00FFFFFFu));
        c->SetBrushStyle(kind == 7 ? BrushStyle::DiagCross : BrushStyle::Solid);
        c->SetPenWidth(kind == 2 ? 3 : 1);
        switch (kind) {
          case 0: c->Polygon(pts, n); break;
          case 1: c->Polyline(pts, n); break;
          case 2: c->Line(pts[0].x, pts[0].y, pts[1].x, pts[1].y); break;
          case 3: c->FillPolygon(pts, n); break;
          case 4: c->Ellipse(pts[0].x, pts[0].y, pts[0].x + w, pts[0].y + h); break;
          case 5: c->FillRect(pts[0].x, pts[0].y, pts[1].x, pts[1].y); break;
          case 6: c->TextOut(pts[0].x, pts[0].y, "Ag"); break;
          case 7: c->FillRect(pts[0].x, pts[0].y, pts[0].x + 20, pts[0].y + 20); break;
          default: c->Row(std::clamp(pts[0].y, 0, kHeight - 1))[std::clamp(pts[0].x, 0, kWidth - 1)] = colour; break;
        }
      }
    }
    // A whole-image flood inside the batch hides everything before it in each row.
    if (round % 10 == 0) {
      for (Canvas* c : {&direct, &batched}) {
        c->SetBrushStyle(BrushStyle::Solid);
        c->FillRect(0, 0, kWidth, kHeight);
      }
    }
    batched.EndBatch();
    ASSERT_TRUE(direct.Image() == batched.Image()) << "round " << round;
  }
}

// Narrow images, where outlines run along and across the borders and a pixel can be a whole
// row: batched outlines come out as drawn one by one there too.
TEST_F(RasterMatchFixture, BatchedOutlinesOnNarrowImagesMatchDirectDrawing) {
  RandomShapes r(23);
  for (const int32_t width : {1, 2, 3}) {
    Canvas direct, batched;
    for (Canvas* c : {&direct, &batched}) c->Resize(width, 40);
    for (int round = 0; round < 100; ++round) {
      batched.BeginBatch();
      for (int op = 0; op < 6; ++op) {
        // Steep shapes across the narrow image, in changing colours, over a solid fill.
        const int32_t x0 = r.Below(width + 4) - 2, x1 = r.Below(width + 4) - 2;
        const int32_t y0 = r.Below(40), y1 = r.Below(40);
        const PixelPoint pts[3] = {{x0, y0}, {x1, y1}, {x0, (y0 + y1) / 2}};
        const uint32_t colour = 0xFF000000u | static_cast<uint32_t>(r.Below(1 << 24));
        for (Canvas* c : {&direct, &batched}) {
          c->SetPenColor(Canvas::ColorOf(colour));
          c->SetBrushColor(Canvas::ColorOf(colour ^ 0x00FFFFFFu));
          c->SetBrushStyle(BrushStyle::Solid);
          if (op == 0) c->FillRect(0, 0, width, 40);
          c->Polygon(pts, 3);
        }
      }
      batched.EndBatch();
      ASSERT_TRUE(direct.Image() == batched.Image()) << "width " << width << " round " << round;
    }
  }
}

// Text measured again and again, in changing faces and sizes, measures what a canvas that
// measured each font's texts together, once, says.
TEST_F(RasterMatchFixture, TextMetricsFollowTheFont) {
  const char* const kFaces[] = {"Arial", "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e"};
  const char* const kTexts[] = {"Ag", "123", "34 40'", "GRID SIZE", "W"};
  const int kHeights[] = {12, 36, 20};
  int32_t width[2][3][5], height[2][3];
  Canvas once;
  for (int f = 0; f < 2; ++f)
    for (int h = 0; h < 3; ++h) {
      once.SetFontFace(kFaces[f]);
      once.SetFontHeight(kHeights[h]);
      height[f][h] = once.TextHeight("@");
      for (int t = 0; t < 5; ++t) width[f][h][t] = once.TextWidth(kTexts[t]);
    }
  EXPECT_NE(width[0][0][0], width[0][1][0]);  // sizes do differ
  Canvas measured;
  RandomShapes r(19);
  for (int k = 0; k < 300; ++k) {
    const int f = r.Below(2), h = r.Below(3), t = r.Below(5);
    measured.SetFontFace(kFaces[f]);
    measured.SetFontHeight(kHeights[h]);
    ASSERT_EQ(measured.TextWidth(kTexts[t]), width[f][h][t]) << kFaces[f] << " " << kHeights[h] << " " << t;
    ASSERT_EQ(measured.TextHeight(kTexts[t]), height[f][h]) << kFaces[f] << " " << kHeights[h];
  }
}

// The pen and brush the canvas keeps are what its direct drawing uses, so that drawing
// with the painter afterwards (text, hatched brushes) carries on from the same state.
TEST_F(RasterMatchFixture, PainterStateFollowsDirectDrawing) {
  Canvas c;
  c.Resize(kWidth, kHeight);
  c.SetPenColor(Canvas::ColorOf(kPenPixel));
  c.SetBrushColor(Canvas::ColorOf(kFillPixel));
  c.SetBrushStyle(BrushStyle::Solid);
  const PixelPoint square[] = {{5, 5}, {30, 5}, {30, 30}, {5, 30}};
  c.Polygon(square, 4);
  EXPECT_EQ(c.PixelAt(15, 15), Canvas::ColorOf(kFillPixel));
  EXPECT_EQ(c.PixelAt(5, 15), Canvas::ColorOf(kPenPixel));
  // A hatched brush still goes to the painter, with the colour set before.
  c.SetBrushStyle(BrushStyle::DiagCross);
  c.FillRect(40, 5, 60, 25);
  int hatched = 0;
  for (int y = 5; y < 25; ++y)
    for (int x = 40; x < 60; ++x) hatched += c.PixelAt(x, y) == Canvas::ColorOf(kFillPixel);
  EXPECT_GT(hatched, 20);
  EXPECT_LT(hatched, 400);
}

}  // namespace
}  // namespace aismon
