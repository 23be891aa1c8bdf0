#include "chart/ellipse_fill.h"

#include <algorithm>

namespace aismon {

namespace {

struct Span {
  int32_t x, len, y;
};

struct EllipseDraw {
  const PixelTarget& target;
  int32_t x, y, w, h;
  const uint32_t* fill;
  uint32_t pen;

  void Put(const Span* spans, int n, uint32_t pixel) const {
    for (int i = 0; i < n; ++i) {
      const Span& s = spans[i];
      // Spans come top row first; below the image nothing more is drawn.
      if (s.y >= target.height) break;
      if (s.y < 0) continue;
      const int32_t from = std::max(s.x, 0), to = std::min(s.x + s.len, target.width);
      if (to > from) target.Put(s.y, from, to - from, pixel);
    }
  }

  // The four mirrored runs of length pixels at (px, py) from the centre, and the fill
  // between them.
  void Points(int32_t px, int32_t py, int32_t length) const {
    if (length == 0) return;
    const int32_t midx = x + (w + 1) / 2;
    const int32_t midy = y + (h + 1) / 2;
    px = px + midx;
    py = midy - py;
    Span outline[4];
    outline[0].x = midx + (midx - px) - (length - 1) - (w & 1);
    outline[0].len = std::min(length, px - outline[0].x);
    outline[0].y = py;
    outline[1] = Span{px, length, py};
    outline[2].x = outline[0].x;
    outline[2].len = outline[0].len;
    outline[2].y = midy + (midy - py) - (h & 1);
    outline[3] = Span{px, length, outline[2].y};
    if (fill != nullptr && outline[0].x + outline[0].len < outline[1].x) {
      Span inner[2];
      inner[0].x = outline[0].x + outline[0].len - 1;
      inner[0].len = std::max(0, outline[1].x - inner[0].x);
      inner[0].y = outline[1].y;
      inner[1].x = outline[2].x + outline[2].len - 1;
      inner[1].len = std::max(0, outline[3].x - inner[1].x);
      inner[1].y = outline[3].y;
      Put(inner, inner[0].y >= inner[1].y ? 1 : 2, *fill);
    }
    Put(outline, outline[1].y >= outline[2].y ? 2 : 4, pen);
  }
};

}  // namespace

void DrawEllipse(const PixelTarget& target, int32_t x, int32_t y, int32_t w, int32_t h, const uint32_t* fill,
                 uint32_t pen) {
  if (w < 1 || h < 1) return;
  const EllipseDraw e{target, x, y, w, h, fill, pen};
  const double a = double(w) / 2;
  const double b = double(h) / 2;
  double d = b * b - (a * a * b) + 0.25 * a * a;
  int32_t px = 0;
  int32_t py = (h + 1) / 2;
  int32_t startx = px;
  // Where the slope is below one: a step along x each time, down a row now and then.
  while (a * a * (2 * py - 1) > 2 * b * b * (px + 1)) {
    if (d < 0) {
      d += b * b * (2 * px + 3);
      ++px;
    } else {
      d += b * b * (2 * px + 3) + a * a * (-2 * py + 2);
      e.Points(startx, py, px - startx + 1);
      startx = ++px;
      --py;
    }
  }
  e.Points(startx, py, px - startx + 1);
  // Where it is steeper: a row each step.
  d = b * b * (px + 0.5) * (px + 0.5) + a * a * ((py - 1) * (py - 1) - b * b);
  const int32_t miny = h & 1;
  while (py > miny) {
    if (d < 0) {
      d += b * b * (2 * px + 2) + a * a * (-2 * py + 3);
      ++px;
    } else {
      d += a * a * (-2 * py + 3);
    }
    --py;
    e.Points(px, py, 1);
  }
}

}  // namespace aismon
