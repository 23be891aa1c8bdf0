#include "chart/wrap_split.h"

#include <algorithm>
#include <cmath>

#include "chart/clip.h"

namespace aismon {

namespace {

constexpr double kStoredToDegrees = 1e-7;
// More copies than this only come from a line winding round the world again and again:
// such data is left to the plain projection.
constexpr double kMaxCopies = 4;

// The point where the edge from a to b crosses the vertical line at x, put exactly on it.
template <class Point>
Point CrossAtX(const Point& a, const Point& b, double x) {
  return Point{x, a.y + (b.y - a.y) * ((x - a.x) / (b.x - a.x))};
}

}  // namespace

bool WrapSplit::MayCross(const ViewState& v, double west, double east) {
  if (!(west <= east)) return false;
  // A pixel's worth of slack: the exact test in Prepare decides.
  const double slack = v.degLonPerPixel + 1e-6;
  const double far = v.centerLon + 180;
  const double firstWrap = far + 360 * std::ceil((west - slack - far) / 360);
  return firstWrap <= east + slack;
}

bool WrapSplit::Prepare(const ViewState& v, const int32_t* points, int32_t n, bool closed) {
  n_ = 0;
  firstCopy_ = 0;
  lastCopy_ = -1;
  if (n < 2) return false;
  if (offset_.size() < static_cast<size_t>(n)) {
    offset_.resize(static_cast<size_t>(n));
    world_.resize(static_cast<size_t>(n));
  }
  const double h = v.halfWorldPixels;
  // An edge whose ends land more than half a world apart crosses the wrap: the shorter
  // way round is the one the shape takes.
  auto step = [h](double from, double to) { return to - from > h ? -1 : (to - from < -h ? 1 : 0); };
  bool crossed = false;
  int32_t world = 0;
  for (int32_t i = 0; i < n; ++i) {
    Offset& o = offset_[static_cast<size_t>(i)];
    UnturnedOffset(v, points[2 * i] * kStoredToDegrees, points[2 * i + 1] * kStoredToDegrees, o.x, o.y);
    if (i > 0) {
      const int32_t s = step(offset_[static_cast<size_t>(i) - 1].x, o.x);
      crossed = crossed || s != 0;
      world += s;
    }
    world_[static_cast<size_t>(i)] = world;
  }
  if (closed) {
    const int32_t s = step(offset_[static_cast<size_t>(n) - 1].x, offset_[0].x);
    crossed = crossed || s != 0;
    if (world + s != 0) return false;  // round a pole
  }
  if (!crossed) return false;

  double low = INFINITY, high = -INFINITY;
  for (int32_t i = 0; i < n; ++i) {
    const double x = offset_[static_cast<size_t>(i)].x + 2 * h * world_[static_cast<size_t>(i)];
    low = std::min(low, x);
    high = std::max(high, x);
  }
  if (!std::isfinite(low) || !std::isfinite(high)) return false;
  const double first = std::ceil((-h - high) / (2 * h));
  const double last = std::floor((h - low) / (2 * h));
  if (!(last - first < kMaxCopies)) return false;
  firstCopy_ = static_cast<int32_t>(first);
  lastCopy_ = static_cast<int32_t>(last);
  n_ = n;
  halfWorld_ = h;
  return true;
}

WrapSplit::Offset WrapSplit::At(int32_t i, int32_t copy) const {
  const size_t k = static_cast<size_t>(i % n_);
  const int32_t worlds = world_[k] + copy;
  // No shift at all where there is none to make: such points land exactly where the
  // projection puts them on their own.
  if (worlds == 0) return offset_[k];
  return Offset{offset_[k].x + 2 * halfWorld_ * worlds, offset_[k].y};
}

void WrapSplit::Emit(const ViewState& v, const Offset& p, std::vector<PixelPoint>& out) const {
  PixelPoint q;
  OffsetToPixel(v, p.x, p.y, q.x, q.y);
  out.push_back(q);
}

const std::vector<PixelPoint>& WrapSplit::Polygon(const ViewState& v, int32_t copy) {
  polygon_.clear();
  if (n_ == 0) return polygon_;
  ringA_.clear();
  for (int32_t i = 0; i < n_; ++i) ringA_.push_back(At(i, copy));
  const double h = halfWorld_;
  ClipAgainstEdge(ringA_, ringB_, [h](const Offset& p) { return p.x >= -h; },
                  [h](const Offset& a, const Offset& b) { return CrossAtX(a, b, -h); });
  ClipAgainstEdge(ringB_, ringA_, [h](const Offset& p) { return p.x <= h; },
                  [h](const Offset& a, const Offset& b) { return CrossAtX(a, b, h); });
  for (const Offset& p : ringA_) Emit(v, p, polygon_);
  return polygon_;
}

int WrapSplit::PieceLength(int i) const {
  const size_t k = static_cast<size_t>(i);
  const size_t end = k + 1 < pieceStart_.size() ? static_cast<size_t>(pieceStart_[k + 1]) : pieces_.size();
  return static_cast<int>(end - static_cast<size_t>(pieceStart_[k]));
}

void WrapSplit::Polyline(const ViewState& v, int32_t copy, int32_t from, int32_t count) {
  pieces_.clear();
  pieceStart_.clear();
  if (n_ == 0) return;
  const double h = halfWorld_;
  bool open = false;  // the last piece ends at the start of the current edge
  for (int32_t i = from; i + 1 < from + count; ++i) {
    const Offset p = At(i, copy), q = At(i + 1, copy);
    // The part of the edge between x = -h and x = +h, as parameters t0 .. t1 along it.
    double t0 = 0, t1 = 1;
    const double dx = q.x - p.x;
    if (dx == 0) {
      if (!(p.x >= -h && p.x <= h)) t0 = 2;
    } else {
      const double ta = (-h - p.x) / dx, tb = (h - p.x) / dx;
      t0 = std::max(t0, std::min(ta, tb));
      t1 = std::min(t1, std::max(ta, tb));
    }
    if (!(t0 <= t1)) {
      open = false;
      continue;
    }
    // Cut points lie on the strip's edge exactly, not a rounding error beyond it.
    auto along = [&](double t) { return Offset{std::clamp(p.x + t * dx, -h, h), p.y + t * (q.y - p.y)}; };
    if (!(open && t0 == 0)) {
      pieceStart_.push_back(static_cast<int32_t>(pieces_.size()));
      Emit(v, t0 == 0 ? p : along(t0), pieces_);
    }
    Emit(v, t1 == 1 ? q : along(t1), pieces_);
    open = t1 == 1;
  }
}

}  // namespace aismon
