#pragma once
// Clipping of projected shapes to a rectangle before they reach the painter. At fine
// scales a coastline's points lie millions of pixels outside the bitmap, further than the
// painter's fixed-point arithmetic can take without overflowing or bending the edges.
// Plain integer geometry; the buffers are kept by the caller and only grow.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "chart/view_state.h"

namespace aismon {

// Inclusive bounds, in pixels.
struct ClipRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// The rectangle around a width x height bitmap widened by margin pixels on every side.
ClipRect GuardRect(int32_t width, int32_t height, int32_t margin);

// Bounding box of points; empty input gives an inverted box.
ClipRect BoundsOf(const PixelPoint* pts, int n);
inline bool Inside(const ClipRect& inner, const ClipRect& outer) {
  return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
         inner.bottom <= outer.bottom;
}
inline bool Disjoint(const ClipRect& a, const ClipRect& b) {
  return a.right < b.left || a.left > b.right || a.bottom < b.top || a.top > b.bottom;
}

// Polygon clipping (Sutherland-Hodgman, one rectangle side at a time). Every point inside
// the rectangle keeps its winding number, so an even-odd fill of the result covers the
// same pixels there as the original, however the original crosses itself. The parts
// outside become runs along the rectangle's sides.
class PolygonClipper {
 public:
  // Clips the closed polygon pts[0..n-1]; the result stays valid until the next call.
  // Fewer than 3 points in the result means nothing of it lies in the rectangle.
  const std::vector<PixelPoint>& Clip(const PixelPoint* pts, int n, const ClipRect& r);

 private:
  struct Point {
    double x, y;
  };
  std::vector<Point> a_, b_;
  std::vector<PixelPoint> out_;
};

// Polyline clipping: the visible pieces of an open polyline, each segment cut to the
// rectangle (Liang-Barsky). Consecutive visible segments stay joined in one piece.
class PolylineClipper {
 public:
  void Clip(const PixelPoint* pts, int n, const ClipRect& r);
  // The pieces of the last Clip: PieceCount() of them, each of PieceLength(i) >= 2 points.
  int PieceCount() const { return static_cast<int>(pieceStart_.size()); }
  const PixelPoint* Piece(int i) const { return points_.data() + pieceStart_[static_cast<size_t>(i)]; }
  int PieceLength(int i) const;

 private:
  std::vector<PixelPoint> points_;
  std::vector<int32_t> pieceStart_;
};

// One Sutherland-Hodgman pass over a closed ring: keeps the side of one edge where
// inside() holds; cross(prev, cur) gives the point where an edge of the ring crosses it.
template <class Point, class InsideFn, class CrossFn>
void ClipAgainstEdge(const std::vector<Point>& in, std::vector<Point>& out, InsideFn inside, CrossFn cross) {
  out.clear();
  const size_t n = in.size();
  if (n == 0) return;
  Point prev = in[n - 1];
  bool prevIn = inside(prev);
  for (size_t i = 0; i < n; ++i) {
    const Point cur = in[i];
    const bool curIn = inside(cur);
    if (curIn != prevIn) out.push_back(cross(prev, cur));
    if (curIn) out.push_back(cur);
    prev = cur;
    prevIn = curIn;
  }
}

}  // namespace aismon
