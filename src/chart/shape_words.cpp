#include "chart/shape_words.h"

#include <algorithm>
#include <cstdint>

#include "chart/canvas_words.h"
#include "chart/ellipse_fill.h"
#include "chart/small_disc.h"
#include "chart/thin_line.h"

namespace aismon {

using namespace canvas_words;

namespace {

void DrawKeptLine(const int32_t* a, const PixelTarget& target, ShapeRasterisers& r, LineSpanCache* keptLines,
                  bool keepLines) {
  const uint32_t pixel = PixelOf(a[0]);
  const int32_t key = a[2], x0 = a[3], y0 = a[4], x1 = a[5], y1 = a[6];
  const LineShape shape{x0, y0, x1, y1, a[1], target.width, target.height};
  int32_t count = 0;
  const RowSpan* spans = keptLines != nullptr ? keptLines->Find(key, shape, count) : nullptr;
  if (spans == nullptr) {
    r.lineSpans.clear();
    r.wideLine.Spans(target.width, target.height, x0, y0, x1, y1, a[1], r.lineSpans);
    if (keptLines != nullptr && keepLines) {
      keptLines->Store(key, shape, r.lineSpans.data(), static_cast<int32_t>(r.lineSpans.size()));
    } else if (keptLines != nullptr && r.collectLines && r.lineSpans.size() <= LineSpanCache::kMaxSpans) {
      r.missedLines.push_back({key, shape, r.missedSpans.size(), r.lineSpans.size()});
      r.missedSpans.insert(r.missedSpans.end(), r.lineSpans.begin(), r.lineSpans.end());
    }
    spans = r.lineSpans.data();
    count = static_cast<int32_t>(r.lineSpans.size());
  }
  if (!target.Direct()) {
    for (int32_t i = 0; i < count; ++i) target.Put(spans[i].y, spans[i].x, spans[i].n, pixel);
    return;
  }
  for (int32_t i = 0; i < count; ++i) FillPixels(target.Row(spans[i].y) + spans[i].x, spans[i].n, pixel);
}

}  // namespace

void ShapeRasterisers::KeepMissedLines(LineSpanCache& keptLines) {
  for (const MissedLine& m : missedLines)
    keptLines.Store(m.key, m.shape, missedSpans.data() + m.at, static_cast<int32_t>(m.count));
  missedLines.clear();
  missedSpans.clear();
}

void DrawShapeWords(const int32_t* w, const PixelTarget& t, ShapeRasterisers& r, LineSpanCache* keptLines,
                    bool keepLines, const PixelPoint* stampedCentres) {
  const int32_t* a = w + 2;
  switch (w[0]) {
    case kEllipse: {
      const uint32_t fill = PixelOf(a[5]);
      DrawEllipse(t, a[0], a[1], a[2], a[3], a[4] != 0 ? &fill : nullptr, PixelOf(a[6]));
      break;
    }
    case kPolygon:
      if (a[0] != 0) r.spanFill.FillPolygon(t, a + 5, a[4], FillRule::EvenOdd, PixelOf(a[1]));
      if (a[2] != 0) ThinLine(t, PixelOf(a[3]), true).Path(a + 5, a[4], true);
      break;
    case kThinPath:
      ThinLine(t, PixelOf(a[0]), true).Path(a + 3, a[2], a[1] != 0);
      break;
    case kThinLine:
      ThinLine(t, PixelOf(a[0]), true).Line(a[1], a[2], a[3], a[4]);
      break;
    case kWideLine:
      r.wideLine.Draw(t, a[2], a[3], a[4], a[5], a[1], PixelOf(a[0]));
      break;
    case kKeptLine:
      DrawKeptLine(a, t, r, keptLines, keepLines);
      break;
    case kRect:
      for (int32_t y = a[2]; y < a[4]; ++y) t.Put(y, a[1], a[3] - a[1], PixelOf(a[0]));
      break;
    case kDiscs:
      PaintSmallDiscs(t, reinterpret_cast<const PixelPoint*>(a + 3), a[2], a[1], PixelOf(a[0]), r.discScratch);
      break;
    case kStampedDiscs:
      PaintSmallDiscs(t, stampedCentres, a[2], a[1], PixelOf(a[0]), r.discScratch);
      break;
    case kRuns:
      for (int32_t i = 0; i < a[1]; ++i) t.Put(a[2 + 3 * i], a[3 + 3 * i], a[4 + 3 * i], PixelOf(a[0]));
      break;
    default:
      break;
  }
}

bool BoxOfShapeWords(const int32_t* w, const PixelPoint* stampedCentres, ShapeBox& out) {
  const int32_t* a = w + 2;
  // Corners taken inclusive: one more on the far side.
  auto box = [&](int32_t x0, int32_t y0, int32_t x1, int32_t y1, int64_t margin) {
    out = ShapeBox{int64_t{std::min(x0, x1)} - margin, int64_t{std::min(y0, y1)} - margin,
                   int64_t{std::max(x0, x1)} + 1 + margin, int64_t{std::max(y0, y1)} + 1 + margin};
    return true;
  };
  auto points = [&](const int32_t* xy, int32_t n, int64_t margin) {
    if (n <= 0 || xy == nullptr) {
      out = ShapeBox{0, 0, 0, 0};
      return true;
    }
    int32_t x0 = xy[0], y0 = xy[1], x1 = x0, y1 = y0;
    for (int32_t i = 1; i < n; ++i) {
      x0 = std::min(x0, xy[2 * i]);
      x1 = std::max(x1, xy[2 * i]);
      y0 = std::min(y0, xy[2 * i + 1]);
      y1 = std::max(y1, xy[2 * i + 1]);
    }
    return box(x0, y0, x1, y1, margin);
  };
  switch (w[0]) {
    case kEllipse:
      return box(a[0], a[1], a[0] + a[2], a[1] + a[3], 1);
    case kPolygon:
      return points(a + 5, a[4], 1);
    case kThinPath:
      return points(a + 3, a[2], 1);
    case kThinLine:
      return box(a[1], a[2], a[3], a[4], 1);
    case kWideLine:
      return box(a[2], a[3], a[4], a[5], int64_t{a[1]} + 2);
    case kKeptLine:
      return box(a[3], a[4], a[5], a[6], int64_t{a[1]} + 2);
    case kRect:
      out = ShapeBox{a[1], a[2], a[3], a[4]};
      return true;
    case kDiscs:
      return points(a + 3, a[2], int64_t{a[1]} + 1);
    case kStampedDiscs:
      return points(reinterpret_cast<const int32_t*>(stampedCentres), a[2], int64_t{a[1]} + 1);
    case kRuns: {
      out = a[1] > 0 ? ShapeBox{INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN} : ShapeBox{0, 0, 0, 0};
      for (int32_t i = 0; i < a[1]; ++i) {
        const int64_t y = a[2 + 3 * i], x = a[3 + 3 * i], n = a[4 + 3 * i];
        out = ShapeBox{std::min(out.x0, x), std::min(out.y0, y), std::max(out.x1, x + n), std::max(out.y1, y + 1)};
      }
      return true;
    }
    default:
      return false;
  }
}

}  // namespace aismon
