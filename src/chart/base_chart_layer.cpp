#include "chart/base_chart_layer.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "basechart/chart_walk.h"
#include "basechart/coast_bins.h"
#include "chart/point_cull.h"

namespace aismon {

namespace {

constexpr double kStoredToDegrees = 1e-7;


// A point record's dot: radius 1 below this value, else 2.
constexpr int32_t kLargeDotValue = 10;

constexpr Rgb kWaterPen{0, 0, 255};
constexpr Rgb kWaterBrush{0, 0, 128};
constexpr Rgb kGreenPen{0, 255, 0};
constexpr Rgb kGreenBrush{0, 128, 0};

bool BoxNear(const ViewState& v, const ChartBox& b) {
  return BoxNearView(v, b.north * kStoredToDegrees, b.west * kStoredToDegrees, b.south * kStoredToDegrees,
                     b.east * kStoredToDegrees);
}

Rgb ToRgb(TagColor c) { return Rgb{c.red, c.green, c.blue}; }

}  // namespace

bool IsSeamEdge(int32_t lat0, int32_t lon0, int32_t lat1, int32_t lon1) {
  // The same rule the tile maker splices by: one definition for both.
  return IsSeam(GeoPoint{lat0, lon0}, GeoPoint{lat1, lon1});
}

bool BoxNearView(const ViewState& v, double north, double west, double south, double east) {
  const double m = (v.eastLon - v.westLon) * 0.25;
  if (v.northLat + m < south) return false;
  if (v.southLat - m > north) return false;
  if (east < v.westLon - m && west > v.eastLon + m) return false;
  return true;
}

BaseChartLayer::BaseChartLayer()
    : screen_(static_cast<size_t>(kChartPointRoom) + 1),
      seamAfter_(static_cast<size_t>(kChartPointRoom) + 1),
      room_(kChartPointRoom) {}

void BaseChartLayer::DrawBaseChart(FrameContext& f, const ChartImage* image) {
  Canvas& c = f.canvas;
  // The sea and the land over it: logged, then rasterised by two threads, each writing
  // only its own rows.
  c.BeginShared();
  c.SetBrushStyle(BrushStyle::Solid);
  c.SetBrushColor(f.view.seaColor);
  c.FillRect(0, 0, c.Width(), c.Height());
  if (image != nullptr) DrawChartImage(f, *image);
  c.EndShared();
}

void BaseChartLayer::DrawChartImage(FrameContext& f, const ChartImage& image) {
  DrawChartWords(f, image.words, std::min(image.wordCount, kChartImageWords));
}

void BaseChartLayer::DrawChartWords(FrameContext& f, const int32_t* words, size_t wordCount) {
  const ViewState& v = f.view;
  Canvas& c = f.canvas;
  ChartWalk walk(words, wordCount);
  if (!walk.HeaderValid() || !BoxNear(v, walk.Bounds())) return;
  const bool share = !c.Sharing();  // inside DrawBaseChart, the sea's sharing goes on
  if (share) c.BeginShared();

  c.SetPenWidth(1);
  c.SetBrushStyle(BrushStyle::Solid);
  // Lines and dots before any record set a pen are drawn in the coast colour.
  c.SetPenColor(v.coastColor);

  ChartRecord r;
  while (walk.Next(r)) {
    if (!BoxNear(v, r.box)) continue;
    const int32_t n = r.pointCount;
    if (n <= 0) continue;  // nothing to draw, and a dot would have no centre
    if (n > room_) {
      room_ = n + kChartPointGrowth;
      screen_.resize(static_cast<size_t>(room_) + 1);
      seamAfter_.resize(static_cast<size_t>(room_) + 1);
    }
    int32_t pointValue = 0;
    if (r.hasText) {
      c.SetPenColor(ToRgb(ColorOfTag(r.text)));
      pointValue = PointValue(r.text);
    }

    PixelPoint* s = screen_.data();
    const ClipRect shapeGuard = GuardRect(c.Width(), c.Height(), kChartGuardMargin);
    switch (r.kind) {
      case kKindArea:
      case kKindW:
      case kKindS: {
        if (r.kind == kKindArea) {
          // The fill's own outline takes the land colour: the coast is drawn by the outline
          // pass, which leaves out the seams where land is cut along bin borders. Outlined in
          // the coast colour, every bin border would show as a line across the land.
          c.SetPenColor(v.landColor);
          c.SetBrushColor(v.landColor);
        } else if (r.kind == kKindW) {
          c.SetPenColor(kWaterPen);
          c.SetBrushColor(kWaterBrush);
        } else {
          c.SetPenColor(kGreenPen);
          c.SetBrushColor(kGreenBrush);
        }
        // Most of a catalog lies beside the view: such records leave only their colours.
        if (PointsSurelyOutside(v, r.points, n, shapeGuard)) {
          if (r.kind == kKindArea && !(v.landColor == v.coastColor)) c.SetPenColor(v.coastColor);
          break;
        }
        if (CrossesWrap(v, r, true)) {
          DrawAcrossWrap(f, r, true, r.kind == kKindArea && !(v.landColor == v.coastColor));
          break;
        }
        // A point on the same pixel as the one kept before it adds nothing to the fill or
        // the outline: at coarse scales most of a detailed shore is such points. Each edge
        // kept is a seam as the stored edge that reaches its end is; the ones skipped lie
        // within one pixel.
        ClipRect bounds{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        uint8_t* seam = seamAfter_.data();
        int32_t m = 0;
        bool anySeam = false;
        for (int32_t i = 0; i < n; ++i) {
          PixelPoint p;
          LatLonToPixel(v, r.points[2 * i] * kStoredToDegrees, r.points[2 * i + 1] * kStoredToDegrees, p.x, p.y);
          if (m > 0 && p.x == s[m - 1].x && p.y == s[m - 1].y) continue;
          if (m > 0) {
            seam[m - 1] = IsSeamEdge(r.points[2 * i - 2], r.points[2 * i - 1], r.points[2 * i], r.points[2 * i + 1]);
            anySeam = anySeam || seam[m - 1];
          }
          s[m++] = p;
          bounds.left = std::min(bounds.left, p.x);
          bounds.right = std::max(bounds.right, p.x);
          bounds.top = std::min(bounds.top, p.y);
          bounds.bottom = std::max(bounds.bottom, p.y);
        }
        seam[m - 1] = IsSeamEdge(r.points[2 * n - 2], r.points[2 * n - 1], r.points[0], r.points[1]);
        anySeam = anySeam || seam[m - 1];
        const bool coast = r.kind == kKindArea && !(v.landColor == v.coastColor);
        // When the coast goes round the whole area in one run through the same points, it
        // sets every pixel of the fill's own outline again (the same segments in the same
        // order): the fill alone does.
        const bool coastCoversOutline = coast && m >= 2 && Inside(bounds, shapeGuard) &&
                                        (s[m - 1].x != s[0].x || s[m - 1].y != s[0].y) && !anySeam;
        if (coastCoversOutline) {
          c.FillPolygon(s, m);  // wholly inside the guard, so unclipped, as DrawPolygon would
        } else {
          DrawPolygon(f, s, m, bounds);
        }
        if (coast) DrawOutlineRuns(f, s, seam, m);
        break;
      }
      case kKindLine:
        if (PointsSurelyOutside(v, r.points, n, shapeGuard)) break;
        if (CrossesWrap(v, r, false)) {
          DrawAcrossWrap(f, r, false, false);
          break;
        }
        for (int32_t i = 0; i < n; ++i)
          LatLonToPixel(v, r.points[2 * i] * kStoredToDegrees, r.points[2 * i + 1] * kStoredToDegrees, s[i].x,
                        s[i].y);
        DrawPolyline(f, s, n);
        break;
      case kKindPoint: {
        // Only the first point is drawn, so only it is projected.
        LatLonToPixel(v, r.points[0] * kStoredToDegrees, r.points[1] * kStoredToDegrees, s[0].x, s[0].y);
        const int32_t radius = pointValue < kLargeDotValue ? 1 : 2;
        const ClipRect guard = GuardRect(c.Width(), c.Height(), kChartGuardMargin - 2);
        if (s[0].x >= guard.left && s[0].x <= guard.right && s[0].y >= guard.top && s[0].y <= guard.bottom)
          c.Ellipse(s[0].x - radius, s[0].y - radius, s[0].x + radius, s[0].y + radius);
        break;
      }
      default:
        break;  // a kind this program does not draw
    }
  }
  if (share) c.EndShared();
}

bool BaseChartLayer::CrossesWrap(const ViewState& v, const ChartRecord& r, bool closed) {
  return WrapSplit::MayCross(v, r.box.west * kStoredToDegrees, r.box.east * kStoredToDegrees) &&
         wrap_.Prepare(v, r.points, r.pointCount, closed);
}

void BaseChartLayer::DrawWrapPieces(FrameContext& f) {
  for (int k = 0; k < wrap_.PieceCount(); ++k) DrawPolyline(f, wrap_.Piece(k), wrap_.PieceLength(k));
}

void BaseChartLayer::DrawAcrossWrap(FrameContext& f, const ChartRecord& r, bool area, bool coast) {
  Canvas& c = f.canvas;
  const ViewState& v = f.view;
  const int32_t n = r.pointCount;
  for (int32_t copy = wrap_.FirstCopy(); copy <= wrap_.LastCopy(); ++copy) {
    if (area) {
      // Filled without an outline, then outlined along the shape's own edges only: the cuts
      // at the world's edge are no part of it.
      const std::vector<PixelPoint>& shape = wrap_.Polygon(v, copy);
      if (shape.size() >= 3) c.FillPolygon(shape.data(), static_cast<int>(shape.size()));
      wrap_.Polyline(v, copy, 0, n + 1);
    } else {
      wrap_.Polyline(v, copy, 0, n);
    }
    DrawWrapPieces(f);
  }
  if (!coast) return;
  c.SetPenColor(v.coastColor);
  const int32_t* g = r.points;
  for (int32_t copy = wrap_.FirstCopy(); copy <= wrap_.LastCopy(); ++copy) {
    int32_t start = 0;
    for (int32_t i = 0; i < n; ++i) {
      const int32_t j = i + 1 < n ? i + 1 : 0;
      if (IsSeamEdge(g[2 * i], g[2 * i + 1], g[2 * j], g[2 * j + 1])) {
        wrap_.Polyline(v, copy, start, i - start + 1);
        DrawWrapPieces(f);
        start = i + 1;
      }
    }
    if (start < n) {
      wrap_.Polyline(v, copy, start, n - start + 1);
      DrawWrapPieces(f);
    }
  }
}

void BaseChartLayer::DrawAreaOutline(FrameContext& f, const int32_t* g, PixelPoint* s, int32_t n) {
  if (n <= 0) return;
  if (seamAfter_.size() < static_cast<size_t>(n) + 1) seamAfter_.resize(static_cast<size_t>(n) + 1);
  for (int32_t i = 0; i < n; ++i) {
    const int32_t j = i + 1 < n ? i + 1 : 0;
    seamAfter_[static_cast<size_t>(i)] = IsSeamEdge(g[2 * i], g[2 * i + 1], g[2 * j], g[2 * j + 1]);
  }
  DrawOutlineRuns(f, s, seamAfter_.data(), n);
}

void BaseChartLayer::DrawOutlineRuns(FrameContext& f, PixelPoint* s, const uint8_t* seamAfter, int32_t n) {
  if (n <= 0) return;
  f.canvas.SetPenColor(f.view.coastColor);
  s[n] = s[0];
  int32_t start = 0;
  for (int32_t i = 0; i < n; ++i) {
    if (seamAfter[i]) {
      DrawPolyline(f, s + start, i - start + 1);
      start = i + 1;
    }
  }
  // The last run takes the closing edge to the copy of the first point.
  if (start < n) DrawPolyline(f, s + start, n - start + 1);
}

void BaseChartLayer::DrawPolygon(FrameContext& f, const PixelPoint* s, int32_t n, const ClipRect& bounds) {
  Canvas& c = f.canvas;
  const ClipRect guard = GuardRect(c.Width(), c.Height(), kChartGuardMargin);
  if (Disjoint(bounds, guard)) return;  // the whole shape, fill and outline, lies outside
  if (Inside(bounds, guard)) {
    c.Polygon(s, n);
    return;
  }
  if (n < 3) {
    // Two points enclose nothing; what shows is the outline between them.
    DrawPolyline(f, s, n);
    return;
  }
  const std::vector<PixelPoint>& clipped = polygonClipper_.Clip(s, n, guard);
  if (clipped.size() >= 3) c.Polygon(clipped.data(), static_cast<int>(clipped.size()));
}

void BaseChartLayer::DrawPolyline(FrameContext& f, const PixelPoint* s, int32_t n) {
  if (n < 2) return;
  Canvas& c = f.canvas;
  const ClipRect guard = GuardRect(c.Width(), c.Height(), kChartGuardMargin);
  const ClipRect bounds = BoundsOf(s, n);
  if (Disjoint(bounds, guard)) return;
  if (Inside(bounds, guard)) {
    c.Polyline(s, n);
    return;
  }
  polylineClipper_.Clip(s, n, guard);
  for (int k = 0; k < polylineClipper_.PieceCount(); ++k)
    c.Polyline(polylineClipper_.Piece(k), polylineClipper_.PieceLength(k));
}

}  // namespace aismon
