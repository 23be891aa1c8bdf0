#include "chart/clip.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace aismon {

namespace {

int32_t RoundToPixel(double v) { return static_cast<int32_t>(std::lround(v)); }

}  // namespace

ClipRect GuardRect(int32_t width, int32_t height, int32_t margin) {
  return ClipRect{-margin, -margin, width - 1 + margin, height - 1 + margin};
}

ClipRect BoundsOf(const PixelPoint* pts, int n) {
  ClipRect b{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  for (int i = 0; i < n; ++i) {
    b.left = std::min(b.left, pts[i].x);
    b.right = std::max(b.right, pts[i].x);
    b.top = std::min(b.top, pts[i].y);
    b.bottom = std::max(b.bottom, pts[i].y);
  }
  return b;
}

const std::vector<PixelPoint>& PolygonClipper::Clip(const PixelPoint* pts, int n, const ClipRect& r) {
  out_.clear();
  if (n < 3) return out_;
  a_.clear();
  for (int i = 0; i < n; ++i) a_.push_back(Point{static_cast<double>(pts[i].x), static_cast<double>(pts[i].y)});

  // The crossing point is put exactly on the edge, so later passes see it inside.
  const double left = r.left, right = r.right, top = r.top, bottom = r.bottom;
  auto atX = [](const Point& p, const Point& q, double x) {
    return Point{x, p.y + (q.y - p.y) * ((x - p.x) / (q.x - p.x))};
  };
  auto atY = [](const Point& p, const Point& q, double y) {
    return Point{p.x + (q.x - p.x) * ((y - p.y) / (q.y - p.y)), y};
  };
  ClipAgainstEdge(a_, b_, [&](const Point& p) { return p.x >= left; },
                  [&](const Point& p, const Point& q) { return atX(p, q, left); });
  ClipAgainstEdge(b_, a_, [&](const Point& p) { return p.x <= right; },
                  [&](const Point& p, const Point& q) { return atX(p, q, right); });
  ClipAgainstEdge(a_, b_, [&](const Point& p) { return p.y >= top; },
                  [&](const Point& p, const Point& q) { return atY(p, q, top); });
  ClipAgainstEdge(b_, a_, [&](const Point& p) { return p.y <= bottom; },
                  [&](const Point& p, const Point& q) { return atY(p, q, bottom); });

  // Rounded only once, at the end, so the passes do not add up rounding errors.
  for (const Point& p : a_) out_.push_back(PixelPoint{RoundToPixel(p.x), RoundToPixel(p.y)});
  return out_;
}

int PolylineClipper::PieceLength(int i) const {
  const size_t k = static_cast<size_t>(i);
  const size_t end = k + 1 < pieceStart_.size() ? static_cast<size_t>(pieceStart_[k + 1]) : points_.size();
  return static_cast<int>(end - static_cast<size_t>(pieceStart_[k]));
}

void PolylineClipper::Clip(const PixelPoint* pts, int n, const ClipRect& r) {
  points_.clear();
  pieceStart_.clear();
  bool open = false;  // the last piece ends at the start of the current segment
  for (int i = 0; i + 1 < n; ++i) {
    const double x0 = pts[i].x, y0 = pts[i].y;
    const double dx = static_cast<double>(pts[i + 1].x) - x0;
    const double dy = static_cast<double>(pts[i + 1].y) - y0;
    // Liang-Barsky: the parameter interval [t0, t1] of the segment inside the rectangle.
    double t0 = 0.0, t1 = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - r.left, r.right - x0, y0 - r.top, r.bottom - y0};
    bool visible = true;
    for (int k = 0; k < 4 && visible; ++k) {
      if (p[k] == 0.0) {
        if (q[k] < 0.0) visible = false;
      } else {
        const double t = q[k] / p[k];
        if (p[k] < 0.0) {
          t0 = std::max(t0, t);
        } else {
          t1 = std::min(t1, t);
        }
        if (t0 > t1) visible = false;
      }
    }
    if (!visible) {
      open = false;
      continue;
    }
    if (!(open && t0 == 0.0)) {
      pieceStart_.push_back(static_cast<int32_t>(points_.size()));
      points_.push_back(t0 == 0.0 ? pts[i] : PixelPoint{RoundToPixel(x0 + t0 * dx), RoundToPixel(y0 + t0 * dy)});
    }
    points_.push_back(t1 == 1.0 ? pts[i + 1] : PixelPoint{RoundToPixel(x0 + t1 * dx), RoundToPixel(y0 + t1 * dy)});
    open = t1 == 1.0;
  }
}

}  // namespace aismon
