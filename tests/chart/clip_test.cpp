#include "chart/clip.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace aismon {
namespace {

using Points = std::vector<PixelPoint>;

constexpr int32_t kFar = 100000000;   // a degree is about a million pixels at 0.1 m/px
constexpr int32_t kPinned = 1000000000;  // where the projection pins points beyond reach

const ClipRect kRect{-16, -16, 215, 215};  // a 200 x 200 bitmap with its guard

bool OnRect(const PixelPoint& p, const ClipRect& r) {
  return p.x == r.left || p.x == r.right || p.y == r.top || p.y == r.bottom;
}
bool InRect(const PixelPoint& p, const ClipRect& r) {
  return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom;
}

// Even-odd inside test at a point between pixel centres, exact for these coordinates.
bool EvenOddInside(const Points& poly, double x, double y) {
  bool inside = false;
  const size_t n = poly.size();
  for (size_t i = 0, j = n - 1; i < n; j = i++) {
    const double xi = poly[i].x, yi = poly[i].y, xj = poly[j].x, yj = poly[j].y;
    if ((yi > y) != (yj > y) && x < xj + (xi - xj) * ((y - yj) / (yi - yj))) inside = !inside;
  }
  return inside;
}

// Distance from a point to the nearest edge of a closed polygon.
double DistanceToOutline(const Points& poly, double x, double y) {
  double best = 1e300;
  const size_t n = poly.size();
  for (size_t i = 0, j = n - 1; i < n; j = i++) {
    const double ax = poly[j].x, ay = poly[j].y, bx = poly[i].x, by = poly[i].y;
    const double dx = bx - ax, dy = by - ay;
    const double len2 = dx * dx + dy * dy;
    double t = len2 == 0 ? 0 : ((x - ax) * dx + (y - ay) * dy) / len2;
    t = std::fmax(0, std::fmin(1, t));
    best = std::fmin(best, std::hypot(x - (ax + t * dx), y - (ay + t * dy)));
  }
  return best;
}

struct PolygonCase {
  const char* name;
  Points poly;
};

const PolygonCase kPolygons[] = {
    {"inside", {{10, 10}, {190, 20}, {100, 180}}},
    {"triangle_with_far_vertices", {{-kFar, -kFar}, {kFar, kFar}, {-kFar, kFar}}},
    {"pinned_vertices", {{-kPinned, -kPinned}, {kPinned, -kPinned + 5}, {100, 100}}},
    {"around_the_rectangle", {{-kFar, -kFar}, {kFar, -kFar}, {kFar, kFar}, {-kFar, kFar}}},
    {"hole_in_the_middle",
     {{-kFar, -kFar}, {kFar, -kFar}, {kFar, kFar}, {-kFar, kFar}, {-kFar, -kFar}, {50, 50}, {150, 50}, {150, 150},
      {50, 150}, {50, 50}}},
    {"pentagram_larger_than_the_rect", {{100, -300}, {330, 400}, {-280, -40}, {480, -40}, {-130, 400}}},
    {"bow_tie_across", {{-5000, -3000}, {5000, 3000}, {5000, -3000}, {-5000, 3000}}},
    {"thin_sliver_in_and_out", {{-kFar, 99}, {kFar, 101}, {kFar, 102}, {-kFar, 100}}},
    {"wholly_left", {{-900, 10}, {-100, 10}, {-500, 190}}},
    {"corner_cut", {{-50, -50}, {60, -50}, {-50, 60}}},
    {"spiral_crossing_itself",
     {{0, 0}, {300, 0}, {300, 300}, {-100, 300}, {-100, -100}, {250, -100}, {250, 250}, {50, 250}, {50, 50}}},
};

class PolygonClipTest : public testing::TestWithParam<PolygonCase> {};

TEST_P(PolygonClipTest, SameEvenOddCoverInsideTheRectangle) {
  const Points& poly = GetParam().poly;
  PolygonClipper clipper;
  const Points out = clipper.Clip(poly.data(), static_cast<int>(poly.size()), kRect);
  for (const PixelPoint& p : out) EXPECT_TRUE(InRect(p, kRect)) << p.x << "," << p.y;
  int compared = 0;
  for (int y = -16; y < 215; y += 3) {
    for (int x = -16; x < 215; x += 3) {
      const double px = x + 0.5, py = y + 0.5;
      // The clipped crossings are rounded to whole pixels: near an edge either side may win.
      if (DistanceToOutline(poly, px, py) < 1.0) continue;
      const bool want = EvenOddInside(poly, px, py);
      const bool got = out.size() >= 3 && EvenOddInside(out, px, py);
      ASSERT_EQ(got, want) << "at " << px << "," << py;
      ++compared;
    }
  }
  EXPECT_GT(compared, 4000);
}

INSTANTIATE_TEST_SUITE_P(Cases, PolygonClipTest, testing::ValuesIn(kPolygons),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PolygonClipTest, InsidePolygonComesBackUnchanged) {
  const Points poly = {{10, 10}, {190, 20}, {100, 180}, {-16, 215}};
  PolygonClipper clipper;
  const Points out = clipper.Clip(poly.data(), 4, kRect);
  ASSERT_EQ(out.size(), poly.size());
  for (size_t i = 0; i < poly.size(); ++i) {
    EXPECT_EQ(out[i].x, poly[i].x);
    EXPECT_EQ(out[i].y, poly[i].y);
  }
}

TEST(PolygonClipTest, PolygonAwayFromTheRectangleGivesNothing) {
  const Points poly = {{-900, 10}, {-100, 10}, {-500, 190}};
  PolygonClipper clipper;
  EXPECT_LT(clipper.Clip(poly.data(), 3, kRect).size(), 3u);
}

TEST(PolygonClipTest, SurroundingPolygonBecomesTheRectangle) {
  const Points poly = {{-kFar, -kFar}, {kFar, -kFar}, {kFar, kFar}, {-kFar, kFar}};
  PolygonClipper clipper;
  const Points out = clipper.Clip(poly.data(), 4, kRect);
  ASSERT_GE(out.size(), 4u);
  for (const PixelPoint& p : out) EXPECT_TRUE(OnRect(p, kRect)) << p.x << "," << p.y;
  const ClipRect b = BoundsOf(out.data(), static_cast<int>(out.size()));
  EXPECT_EQ(b.left, kRect.left);
  EXPECT_EQ(b.right, kRect.right);
  EXPECT_EQ(b.top, kRect.top);
  EXPECT_EQ(b.bottom, kRect.bottom);
}

TEST(PolygonClipTest, CrossingEdgeKeepsItsDirection) {
  // An edge from 1e8 pixels away: where it crosses the visible part, it must be where the
  // straight line between its ends is.
  const Points poly = {{-kFar, -kFar + 37}, {kFar, kFar + 37}, {-kFar, kFar}};
  PolygonClipper clipper;
  const Points out = clipper.Clip(poly.data(), 3, kRect);
  bool sawLeft = false, sawBottom = false;
  for (const PixelPoint& p : out) {
    if (p.x == kRect.left && std::abs(p.y - (kRect.left + 37)) <= 1) sawLeft = true;
    if (p.y == kRect.bottom && std::abs(p.x - (kRect.bottom - 37)) <= 1) sawBottom = true;
  }
  EXPECT_TRUE(sawLeft);
  EXPECT_TRUE(sawBottom);
}

TEST(PolygonClipTest, ReusedClipperForgetsTheLastPolygon) {
  PolygonClipper clipper;
  const Points big = {{-kFar, -kFar}, {kFar, -kFar}, {kFar, kFar}, {-kFar, kFar}};
  clipper.Clip(big.data(), 4, kRect);
  const Points small = {{10, 10}, {20, 10}, {15, 20}};
  EXPECT_EQ(clipper.Clip(small.data(), 3, kRect).size(), 3u);
  EXPECT_EQ(clipper.Clip(small.data(), 2, kRect).size(), 0u);
}

// ---------------------------------------------------------------------------------------

struct LineCase {
  const char* name;
  Points line;
  std::vector<Points> pieces;  // expected, exactly
};

const LineCase kLines[] = {
    {"inside_unchanged", {{0, 0}, {100, 50}, {199, 199}}, {{{0, 0}, {100, 50}, {199, 199}}}},
    {"wholly_outside", {{-500, -500}, {-100, -500}, {-100, -20}}, {}},
    {"horizontal_from_far_to_far", {{-kFar, 100}, {kFar, 100}}, {{{-16, 100}, {215, 100}}}},
    {"from_far_into_the_middle", {{-kFar, 60}, {100, 60}, {100, kFar}}, {{{-16, 60}, {100, 60}, {100, 215}}}},
    {"leaves_and_comes_back",
     {{10, 10}, {10, -1000}, {50, -1000}, {50, 10}, {60, 10}},
     {{{10, 10}, {10, -16}}, {{50, -16}, {50, 10}, {60, 10}}}},
    {"diagonal_far_to_far", {{-kFar, -kFar}, {kFar, kFar}}, {{{-16, -16}, {215, 215}}}},
    {"pinned_ends", {{-kPinned, 50}, {kPinned, 50}}, {{{-16, 50}, {215, 50}}}},
    {"zero_length_inside_kept", {{30, 30}, {30, 30}, {40, 30}}, {{{30, 30}, {30, 30}, {40, 30}}}},
    {"zero_length_outside_dropped", {{-30, 30}, {-30, 30}}, {}},
    {"single_point", {{30, 30}}, {}},
    {"along_the_edge", {{-16, -100}, {-16, 300}}, {{{-16, -16}, {-16, 215}}}},
};

class PolylineClipTest : public testing::TestWithParam<LineCase> {};

TEST_P(PolylineClipTest, Pieces) {
  const LineCase& c = GetParam();
  PolylineClipper clipper;
  clipper.Clip(c.line.data(), static_cast<int>(c.line.size()), kRect);
  ASSERT_EQ(clipper.PieceCount(), static_cast<int>(c.pieces.size()));
  for (int k = 0; k < clipper.PieceCount(); ++k) {
    const Points& want = c.pieces[static_cast<size_t>(k)];
    ASSERT_EQ(clipper.PieceLength(k), static_cast<int>(want.size())) << "piece " << k;
    for (size_t i = 0; i < want.size(); ++i) {
      EXPECT_EQ(clipper.Piece(k)[i].x, want[i].x) << "piece " << k << " point " << i;
      EXPECT_EQ(clipper.Piece(k)[i].y, want[i].y) << "piece " << k << " point " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, PolylineClipTest, testing::ValuesIn(kLines),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PolylineClipTest, FarSlantedLineStaysOnItsCourse) {
  // From 1e8 pixels away at a slope of 3/7: the cut ends must lie on the original line.
  const Points line = {{-7 * (kFar / 10), 100 - 3 * (kFar / 10)}, {7 * (kFar / 10), 100 + 3 * (kFar / 10)}};
  PolylineClipper clipper;
  clipper.Clip(line.data(), 2, kRect);
  ASSERT_EQ(clipper.PieceCount(), 1);
  ASSERT_EQ(clipper.PieceLength(0), 2);
  for (int i = 0; i < 2; ++i) {
    const PixelPoint p = clipper.Piece(0)[i];
    EXPECT_TRUE(OnRect(p, kRect));
    EXPECT_NEAR(p.y, 100 + 3.0 * p.x / 7.0, 0.5 + 1e-9) << p.x;
  }
}

TEST(ClipRectTest, GuardAroundABitmap) {
  const ClipRect r = GuardRect(200, 100, 16);
  EXPECT_EQ(r.left, -16);
  EXPECT_EQ(r.top, -16);
  EXPECT_EQ(r.right, 215);
  EXPECT_EQ(r.bottom, 115);
}

}  // namespace
}  // namespace aismon
