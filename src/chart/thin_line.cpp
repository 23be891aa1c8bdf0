#include "chart/thin_line.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <utility>

namespace aismon {

namespace {

constexpr int kVerticalMask = 0x3;
constexpr int kHorizontalMask = 0xc;

// Pixel coordinate to 26.6, truncating toward zero as the painter does.
int32_t ToFixed(double v) { return static_cast<int32_t>(v * 64.0); }

// 26.6 divided by 26.6 into 16.16, truncated toward zero. In double: the dividend stays
// below 2^53, so the rounded quotient never crosses an integer and truncates to exactly
// what the integer division gives, several times faster.
int64_t DivFixed(int32_t x, int32_t y) { return static_cast<int64_t>(static_cast<double>(x) * 65536.0 / y); }

int SwapCaps(int caps) { return ((caps & 1) << 1) | ((caps & 2) >> 1); }

}  // namespace

ThinLine::ThinLine(const PixelTarget& target, uint32_t pixel, bool squareCaps)
    : target_(target),
      pixel_(pixel),
      caps_(squareCaps),
      // Clipping one pixel outside the image, so that what is left of a clipped line
      // steps the same way inside.
      xmin_(-1.0),
      xmax_(target.width + 1.0),
      ymin_(-1.0),
      ymax_(target.height + 1.0) {}

// Returns true when the whole line lies outside.
bool ThinLine::ClipLine(double& x1, double& y1, double& x2, double& y2) {
  if (x1 < xmin_) {
    if (x2 <= xmin_) goto clipped;
    y1 += (y2 - y1) / (x2 - x1) * (xmin_ - x1);
    x1 = xmin_;
  } else if (x1 > xmax_) {
    if (x2 >= xmax_) goto clipped;
    y1 += (y2 - y1) / (x2 - x1) * (xmax_ - x1);
    x1 = xmax_;
  }
  if (x2 < xmin_) {
    lastPixel_.x = INT_MIN;
    y2 += (y2 - y1) / (x2 - x1) * (xmin_ - x2);
    x2 = xmin_;
  } else if (x2 > xmax_) {
    lastPixel_.x = INT_MIN;
    y2 += (y2 - y1) / (x2 - x1) * (xmax_ - x2);
    x2 = xmax_;
  }
  if (y1 < ymin_) {
    if (y2 <= ymin_) goto clipped;
    x1 += (x2 - x1) / (y2 - y1) * (ymin_ - y1);
    y1 = ymin_;
  } else if (y1 > ymax_) {
    if (y2 >= ymax_) goto clipped;
    x1 += (x2 - x1) / (y2 - y1) * (ymax_ - y1);
    y1 = ymax_;
  }
  if (y2 < ymin_) {
    lastPixel_.x = INT_MIN;
    x2 += (x2 - x1) / (y2 - y1) * (ymin_ - y2);
    y2 = ymin_;
  } else if (y2 > ymax_) {
    lastPixel_.x = INT_MIN;
    x2 += (x2 - x1) / (y2 - y1) * (ymax_ - y2);
    y2 = ymax_;
  }
  return false;
clipped:
  lastPixel_.x = INT_MIN;
  return true;
}

// The last pixel and direction of the closing edge of a closed path, so that its first
// edge neither repeats nor misses the pixel where the two meet.
void ThinLine::LastPointOf(double rx1, double ry1, double rx2, double ry2) {
  lastPixel_ = Point{INT_MIN, INT_MIN};
  if (ClipLine(rx1, ry1, rx2, ry2)) return;
  int32_t x1 = ToFixed(rx1), y1 = ToFixed(ry1), x2 = ToFixed(rx2), y2 = ToFixed(ry2);
  const int32_t dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
  if (dx < dy) {
    bool swapped = false;
    if (y1 > y2) {
      swapped = true;
      std::swap(y1, y2);
      std::swap(x1, x2);
    }
    const int64_t xinc = DivFixed(x2 - x1, y2 - y1);
    int64_t x = int64_t{x1} * 1024;
    const int32_t y = (y1 + 32) >> 6;
    const int32_t ys = (y2 + 32) >> 6;
    const int32_t round = xinc > 0 ? 32 : 0;
    if (y != ys) {
      x += ((y * 64 + round - y1) * xinc) >> 6;
      if (swapped) {
        lastPixel_ = Point{static_cast<int32_t>(x >> 16), y};
        lastDir_ = kBottomToTop;
      } else {
        lastPixel_ = Point{static_cast<int32_t>((x + (ys - y - 1) * xinc) >> 16), ys - 1};
        lastDir_ = kTopToBottom;
      }
      lastAxisAligned_ = std::abs(xinc) < (1 << 14);
    }
  } else {
    if (dx == 0) return;
    bool swapped = false;
    if (x1 > x2) {
      swapped = true;
      std::swap(x1, x2);
      std::swap(y1, y2);
    }
    const int64_t yinc = DivFixed(y2 - y1, x2 - x1);
    int64_t y = int64_t{y1} * 1024;
    const int32_t x = (x1 + 32) >> 6;
    const int32_t xs = (x2 + 32) >> 6;
    const int32_t round = yinc > 0 ? 32 : 0;
    if (x != xs) {
      y += ((x * 64 + round - x1) * yinc) >> 6;
      if (swapped) {
        lastPixel_ = Point{x, static_cast<int32_t>(y >> 16)};
        lastDir_ = kRightToLeft;
      } else {
        lastPixel_ = Point{xs - 1, static_cast<int32_t>((y + (xs - x - 1) * yinc) >> 16)};
        lastDir_ = kLeftToRight;
      }
      lastAxisAligned_ = std::abs(yinc) < (1 << 14);
    }
  }
}

// One segment, stepping one pixel per row (steep) or per column (flat). Returns false
// only for a segment too short to count, so that a path keeps its previous point.
bool ThinLine::Stroke(double rx1, double ry1, double rx2, double ry2, int caps) {
  const bool didDraw = std::abs(rx2 - rx1) + std::abs(ry2 - ry1) >= 1.0;
  if (ClipLine(rx1, ry1, rx2, ry2)) return true;
  return StrokeFixed(ToFixed(rx1), ToFixed(ry1), ToFixed(rx2), ToFixed(ry2), caps, didDraw);
}

bool ThinLine::Unclipped(const int32_t* xy, int n) const {
  for (int i = 0; i < n; ++i)
    if (xy[2 * i] < xmin_ || xy[2 * i] > xmax_ || xy[2 * i + 1] < ymin_ || xy[2 * i + 1] > ymax_) return false;
  return true;
}

bool ThinLine::StrokeFixed(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int caps, bool didDraw) {
  const int32_t dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
  Point last = lastPixel_;

  if (dx < dy) {
    int dir = kTopToBottom;
    bool swapped = false;
    if (y1 > y2) {
      swapped = true;
      std::swap(y1, y2);
      std::swap(x1, x2);
      caps = SwapCaps(caps);
      dir = kBottomToTop;
    }
    const int64_t xinc = DivFixed(x2 - x1, y2 - y1);
    int64_t x = int64_t{x1} * 1024;
    // Doubling back on the previous segment: this end needs its cap.
    if ((lastDir_ ^ kVerticalMask) == dir) caps |= swapped ? kCapEnd : kCapBegin;
    if (caps & kCapBegin) {
      y1 -= 32;
      x -= xinc >> 1;
    }
    if (caps & kCapEnd) y2 += 32;
    int32_t y = (y1 + 32) >> 6;
    int32_t ys = (y2 + 32) >> 6;
    const int32_t round = xinc > 0 ? 32 : 0;
    // A cap that rounded the start away from the closing pixel of the path rounds back.
    if ((caps & kCapBegin) && lastPixel_.y == y + 1) ++y;
    if (y != ys) {
      x += ((y * 64 + round - y1) * xinc) >> 6;
      Point first{static_cast<int32_t>(x >> 16), y};
      last = Point{static_cast<int32_t>((x + (ys - y - 1) * xinc) >> 16), ys - 1};
      if (swapped) std::swap(first, last);
      const bool axisAligned = std::abs(xinc) < (1 << 14);
      if (lastPixel_.x > INT_MIN) {
        if (first.x == lastPixel_.x && first.y == lastPixel_.y) {
          // The joint pixel is already set.
          if (swapped) {
            --ys;
          } else {
            ++y;
            x += xinc;
          }
        } else if (lastDir_ != dir &&
                   (((axisAligned && lastAxisAligned_) && lastPixel_.x != first.x && lastPixel_.y != first.y) ||
                    (std::abs(lastPixel_.x - first.x) > 1 || std::abs(lastPixel_.y - first.y) > 1))) {
          // A gap at the joint: one more pixel.
          if (swapped) {
            ++ys;
          } else {
            --y;
            x -= xinc;
          }
        } else if (lastDir_ == dir && std::abs(lastPixel_.x - first.x) <= 1 && std::abs(lastPixel_.y - first.y) > 1) {
          // Same direction but a row skipped: step half a pixel on.
          x += xinc >> 1;
          last.x = swapped ? static_cast<int32_t>(x >> 16) : static_cast<int32_t>((x + (ys - y - 1) * xinc) >> 16);
        }
      }
      lastDir_ = dir;
      lastAxisAligned_ = axisAligned;
      // One pixel a row, at least one. Inside the image and written straight to it, the
      // rows are walked by pointer.
      const int32_t yEnd = std::max(ys, y + 1);
      const int32_t xa = static_cast<int32_t>(x >> 16);
      const int32_t xb = static_cast<int32_t>((x + (yEnd - 1 - y) * xinc) >> 16);
      if (target_.DirectRows(y, yEnd) && y >= 0 && yEnd <= target_.height && std::min(xa, xb) >= 0 &&
          std::max(xa, xb) < target_.width) {
        uint32_t* row = target_.Row(y);
        for (; y < yEnd; ++y, row += target_.stride, x += xinc) row[x >> 16] = pixel_;
      } else {
        do {
          Plot(static_cast<int32_t>(x >> 16), y);
          x += xinc;
        } while (++y < ys);
      }
      didDraw = true;
    }
  } else {
    if (dx == 0) return true;
    int dir = kLeftToRight;
    bool swapped = false;
    if (x1 > x2) {
      swapped = true;
      std::swap(x1, x2);
      std::swap(y1, y2);
      caps = SwapCaps(caps);
      dir = kRightToLeft;
    }
    const int64_t yinc = DivFixed(y2 - y1, x2 - x1);
    int64_t y = int64_t{y1} * 1024;
    if ((lastDir_ ^ kHorizontalMask) == dir) caps |= swapped ? kCapEnd : kCapBegin;
    if (caps & kCapBegin) {
      x1 -= 32;
      y -= yinc >> 1;
    }
    if (caps & kCapEnd) x2 += 32;
    int32_t x = (x1 + 32) >> 6;
    int32_t xs = (x2 + 32) >> 6;
    const int32_t round = yinc > 0 ? 32 : 0;
    if ((caps & kCapBegin) && lastPixel_.x == x + 1) ++x;
    if (x != xs) {
      y += ((x * 64 + round - x1) * yinc) >> 6;
      Point first{x, static_cast<int32_t>(y >> 16)};
      last = Point{xs - 1, static_cast<int32_t>((y + (xs - x - 1) * yinc) >> 16)};
      if (swapped) std::swap(first, last);
      const bool axisAligned = std::abs(yinc) < (1 << 14);
      if (lastPixel_.x > INT_MIN) {
        if (first.x == lastPixel_.x && first.y == lastPixel_.y) {
          if (swapped) {
            --xs;
          } else {
            ++x;
            y += yinc;
          }
        } else if (lastDir_ != dir &&
                   (((axisAligned && lastAxisAligned_) && lastPixel_.x != first.x && lastPixel_.y != first.y) ||
                    (std::abs(lastPixel_.x - first.x) > 1 || std::abs(lastPixel_.y - first.y) > 1))) {
          if (swapped) {
            ++xs;
          } else {
            --x;
            y -= yinc;
          }
        } else if (lastDir_ == dir && std::abs(lastPixel_.x - first.x) <= 1 && std::abs(lastPixel_.y - first.y) > 1) {
          y += yinc >> 1;
          last.y = swapped ? static_cast<int32_t>(y >> 16) : static_cast<int32_t>((y + (xs - x - 1) * yinc) >> 16);
        }
      }
      lastDir_ = dir;
      lastAxisAligned_ = axisAligned;
      // A flat run: the pixels of each row are contiguous, so they go out as one span.
      int32_t runStart = x;
      int32_t runRow = static_cast<int32_t>(y >> 16);
      do {
        const int32_t row = static_cast<int32_t>(y >> 16);
        if (row != runRow) {
          Span(runRow, runStart, x);
          runStart = x;
          runRow = row;
        }
        y += yinc;
      } while (++x < xs);
      Span(runRow, runStart, x);
      didDraw = true;
    }
  }
  lastPixel_ = last;
  return didDraw;
}

void ThinLine::Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  lastDir_ = kNoDirection;
  lastAxisAligned_ = false;
  if (x0 == x1 && y0 == y1) {
    Plot(x0, y0);
    return;
  }
  lastPixel_ = Point{INT_MIN, INT_MIN};
  Stroke(x0, y0, x1, y1, caps_ ? kCapBegin | kCapEnd : kNoCaps);
}

void ThinLine::Path(const int32_t* xy, int n, bool closed) {
  if (n < 1) return;
  lastDir_ = kNoDirection;
  lastAxisAligned_ = false;
  lastPixel_ = Point{INT_MIN, INT_MIN};
  double px = xy[0], py = xy[1];
  const double startX = px, startY = py;
  const bool ringed = closed || (xy[0] == xy[2 * (n - 1)] && xy[1] == xy[2 * (n - 1) + 1]);
  int caps = !ringed && caps_ ? kCapBegin : kNoCaps;
  if (ringed) {
    // The edge that closes the ring; for a ring that repeats its first point, the edge
    // into that repeat.
    const bool repeats = xy[0] == xy[2 * (n - 1)] && xy[1] == xy[2 * (n - 1) + 1];
    const int k = repeats && n > 2 ? n - 2 : n - 1;
    LastPointOf(xy[2 * k], xy[2 * k + 1], px, py);
  }
  if (Unclipped(xy, n)) {
    // Whole pixels inside the clipping bounds: nothing is clipped and every segment counts
    // as drawn, so the path is stroked straight from the 26.6 points.
    for (int i = 1; i < n; ++i) {
      if (!ringed && caps_ && i == n - 1) caps |= kCapEnd;
      StrokeFixed(xy[2 * i - 2] * 64, xy[2 * i - 1] * 64, xy[2 * i] * 64, xy[2 * i + 1] * 64, caps, true);
      caps = kNoCaps;
    }
    if (closed) StrokeFixed(xy[2 * n - 2] * 64, xy[2 * n - 1] * 64, xy[0] * 64, xy[1] * 64, kNoCaps, true);
    return;
  }
  for (int i = 1; i < n; ++i) {
    const double qx = xy[2 * i], qy = xy[2 * i + 1];
    if (!ringed && caps_ && i == n - 1) caps |= kCapEnd;
    const bool moved = Stroke(px, py, qx, qy, caps);
    // A segment too short to draw leaves the path where it was, but not at its ends.
    if (moved || i == 1 || i == n - 1) {
      px = qx;
      py = qy;
    }
    caps = kNoCaps;
  }
  if (closed) Stroke(px, py, startX, startY, kNoCaps);
}

namespace {

// Control arm of a cubic quarter circle, per unit radius, as the painter's arcs have it.
constexpr double kKappa = 0.5522847498;

// de Casteljau halving in place: points[0..3] (end first) become the two halves
// points[0..3] and points[3..6], as the painter's stroker lays them out.
void SplitCubic(double* x, double* y) {
  for (double* v : {x, y}) {
    const double half = .5;
    v[6] = v[3];
    double c = v[1];
    const double d = v[2];
    double a, b;
    v[1] = a = (v[0] + c) * half;
    v[5] = b = (v[3] + d) * half;
    c = (c + d) * half;
    v[2] = a = (a + c) * half;
    v[4] = b = (b + c) * half;
    v[3] = (a + b) * half;
  }
}

}  // namespace

// points[3] is the start, points[0] the end; halved while either control point lies off
// the chord by a quarter of its taxicab length or more.
void ThinLine::Cubic(CurvePoint* points, int level) {
  if (level) {
    const double dx = points[3].x - points[0].x;
    const double dy = points[3].y - points[0].y;
    const double len = .25 * (std::abs(dx) + std::abs(dy));
    if (std::abs(dx * (points[0].y - points[2].y) - dy * (points[0].x - points[2].x)) >= len ||
        std::abs(dx * (points[0].y - points[1].y) - dy * (points[0].x - points[1].x)) >= len) {
      double xs[7], ys[7];
      for (int i = 0; i < 4; ++i) {
        xs[i] = points[i].x;
        ys[i] = points[i].y;
      }
      SplitCubic(xs, ys);
      for (int i = 0; i < 7; ++i) points[i] = CurvePoint{xs[i], ys[i]};
      --level;
      Cubic(points + 3, level);
      Cubic(points, level);
      return;
    }
  }
  Stroke(points[3].x, points[3].y, points[0].x, points[0].y, kNoCaps);
}

bool ThinLine::Ring(double x, double y, double w, double h) {
  if (w == 0 && h == 0) return true;  // an empty box has no arc
  const double w2 = w / 2, w2k = w2 * kKappa;
  const double h2 = h / 2, h2k = h2 * kKappa;
  // The quarters from angle 0 counter-clockwise (up on the screen first), each as two
  // control points and an end.
  const CurvePoint curves[12] = {
      {x + w, y + h2 - h2k}, {x + w2 + w2k, y}, {x + w2, y},      {x + w2 - w2k, y},
      {x, y + h2 - h2k},     {x, y + h2},       {x, y + h2 + h2k}, {x + w2 - w2k, y + h},
      {x + w2, y + h},       {x + w2 + w2k, y + h}, {x + w, y + h2 + h2k}, {x + w, y + h2},
  };
  // The start, where the angle-0 point of the ellipse lies: the centre plus the half
  // width (and a negative zero of height).
  const CurvePoint start{x + w / 2 + w2 * 1.0, y + h / 2 + h2 * -0.0};
  if (!(start.x == curves[11].x && start.y == curves[11].y)) return false;
  lastDir_ = kNoDirection;
  lastAxisAligned_ = false;
  // Closed: the joint at the start is judged against the last piece of the last quarter,
  // taken as the line from its second control point to its end.
  LastPointOf(curves[10].x, curves[10].y, curves[11].x, curves[11].y);
  CurvePoint from = start;
  for (int k = 0; k < 12; k += 3) {
    CurvePoint points[3 * 6 + 4];
    points[3] = from;
    points[2] = curves[k];
    points[1] = curves[k + 1];
    points[0] = curves[k + 2];
    Cubic(points, 6);
    from = curves[k + 2];
  }
  return true;
}

}  // namespace aismon
