#include "chart/small_disc.h"

#include <algorithm>

#include "chart/bit_runs.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace aismon {

namespace {

// The pixels of Ellipse(x - r, y - r, x + r, y + r) with a 1-pixel pen, as column spans
// [from, to) per row from y - r; measured from the painter and checked against it by the
// tests. Fill and outline in one colour make the disc one solid shape.
struct DiscSpan {
  int8_t from, to;
};
constexpr DiscSpan kDisc2[] = {{-2, 2}, {-2, 2}, {-2, 2}, {-2, 2}};
constexpr DiscSpan kDisc3[] = {{-2, 2}, {-3, 3}, {-3, 3}, {-3, 3}, {-3, 3}, {-2, 2}};

const DiscSpan* Shape(int32_t radius, int& rows) {
  if (radius == 2) {
    rows = 4;
    return kDisc2;
  }
  if (radius == 3) {
    rows = 6;
    return kDisc3;
  }
  rows = 0;
  return nullptr;
}

// The disc's rows inside the image, as spans.
template <class Sink>
void ClippedRows(const PixelTarget& t, int32_t x, int32_t y, int32_t radius, const DiscSpan* spans, int n,
                 Sink&& put) {
  int32_t yy = y - radius;
  for (int i = 0; i < n; ++i, ++yy) {
    if (yy < 0 || yy >= t.height) continue;
    const int32_t from = std::max(0, x + spans[i].from);
    const int32_t to = std::min(t.width, x + spans[i].to);
    if (to > from) put(yy, from, to - from);
  }
}

}  // namespace

bool SmallDiscRadius(int32_t radius) { return radius == 2 || radius == 3; }

bool PaintSmallDisc(const PixelTarget& t, int32_t x, int32_t y, int32_t radius, uint32_t pixel) {
  int n = 0;
  const DiscSpan* spans = Shape(radius, n);
  if (spans == nullptr) return false;
  const int32_t yy = y - radius;
  if (t.windowed && (yy + n <= t.firstRow || yy >= t.endRow)) return true;  // another thread's rows
  if (t.DirectRows(yy, yy + n) && x - radius >= 0 && x + radius <= t.width && yy >= 0 && yy + n <= t.height) {
    // Wholly inside: fixed shapes, unrolled.
    uint32_t* row = t.Row(yy) + x;
    const ptrdiff_t w = t.stride;
#if defined(__SSE2__)
    // Four pixels in one store.
    const __m128i v = _mm_set1_epi32(static_cast<int>(pixel));
    auto fill4 = [v](uint32_t* p) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p - 2), v); };
    auto fill6 = [v](uint32_t* p) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(p - 3), v);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(p - 1), v);
    };
#else
    auto fill4 = [pixel](uint32_t* p) { p[-2] = p[-1] = p[0] = p[1] = pixel; };
    auto fill6 = [pixel](uint32_t* p) { p[-3] = p[-2] = p[-1] = p[0] = p[1] = p[2] = pixel; };
#endif
    if (radius == 2) {
      for (int i = 0; i < 4; ++i) fill4(row + i * w);
    } else {
      fill4(row);
      for (int i = 1; i < 5; ++i) fill6(row + i * w);
      fill4(row + 5 * w);
    }
    return true;
  }
  ClippedRows(t, x, y, radius, spans, n, [&](int32_t r, int32_t from, int32_t count) { t.Put(r, from, count, pixel); });
  return true;
}

namespace {

// A wake's discs mostly overlap within a few dozen pixels: their union is built as bits, a
// few words a row, and read off as runs, instead of sorting every disc's rows.
constexpr int32_t kMaskWords = 4;
constexpr int32_t kMaskRows = 1024;

bool RecordThroughMasks(const PixelTarget& t, const PixelPoint* centres, int n, int32_t radius, const DiscSpan* spans,
                        int rows, uint32_t pixel, std::vector<uint64_t>& masks) {
  int32_t x0 = INT32_MAX, x1 = INT32_MIN, y0 = INT32_MAX, y1 = INT32_MIN;
  for (int i = 0; i < n; ++i) {
    x0 = std::min(x0, centres[i].x);
    x1 = std::max(x1, centres[i].x);
    y0 = std::min(y0, centres[i].y);
    y1 = std::max(y1, centres[i].y);
  }
  // The pixels the discs can set, within the image (64-bit sums: centres may lie far out).
  int32_t reachLeft = 0, reachRight = 0;
  for (int i = 0; i < rows; ++i) {
    reachLeft = std::min<int32_t>(reachLeft, spans[i].from);
    reachRight = std::max<int32_t>(reachRight, spans[i].to);
  }
  const int64_t left = std::max<int64_t>(int64_t{x0} + reachLeft, 0);
  const int64_t right = std::min<int64_t>(int64_t{x1} + reachRight - 1, int64_t{t.width} - 1);
  const int64_t top = std::max<int64_t>(int64_t{y0} - radius, 0);
  const int64_t bottom = std::min<int64_t>(int64_t{y1} - radius + rows - 1, int64_t{t.height} - 1);
  if (right < left || bottom < top) return true;  // all outside
  if (right - left + 1 > 64 * kMaskWords || bottom - top + 1 > kMaskRows) return false;
  const int32_t bx = static_cast<int32_t>(left), by = static_cast<int32_t>(top);
  const int32_t height = static_cast<int32_t>(bottom - top) + 1;
  masks.assign(static_cast<size_t>(height) * kMaskWords, 0);
  for (int i = 0; i < n; ++i)
    ClippedRows(t, centres[i].x, centres[i].y, radius, spans, rows, [&](int32_t y, int32_t from, int32_t count) {
      uint64_t* row = masks.data() + static_cast<size_t>(y - by) * kMaskWords;
      for (int32_t b = from - bx, e = b + count; b < e;) {
        const int32_t word = b >> 6, bit = b & 63, take = std::min(e - b, 64 - bit);
        row[word] |= (take == 64 ? ~uint64_t{0} : ((uint64_t{1} << take) - 1)) << bit;
        b += take;
      }
    });
  for (int32_t r = 0; r < height; ++r)
    ForEachBitRun(masks.data() + static_cast<size_t>(r) * kMaskWords, kMaskWords,
                  [&](int32_t b, int32_t e) { t.record->Add(by + r, bx + b, e - b, pixel); });
  return true;
}

}  // namespace

void PaintSmallDiscs(const PixelTarget& t, const PixelPoint* centres, int n, int32_t radius, uint32_t pixel,
                     DiscScratch& scratch) {
  int rows = 0;
  const DiscSpan* spans = Shape(radius, rows);
  if (spans == nullptr || n <= 0) return;
  if (t.record == nullptr) {
    for (int i = 0; i < n; ++i) PaintSmallDisc(t, centres[i].x, centres[i].y, radius, pixel);
    return;
  }
  if (RecordThroughMasks(t, centres, n, radius, spans, rows, pixel, scratch.masks)) return;
  std::vector<RowSpan>& rowSpans = scratch.spans;
  rowSpans.clear();
  for (int i = 0; i < n; ++i)
    ClippedRows(t, centres[i].x, centres[i].y, radius, spans, rows,
                [&](int32_t r, int32_t from, int32_t count) { rowSpans.push_back(RowSpan{r, from, count}); });
  std::sort(rowSpans.begin(), rowSpans.end(),
            [](const RowSpan& a, const RowSpan& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
  // In row order, overlapping and touching spans of a row join as they are recorded.
  for (const RowSpan& s : rowSpans) t.record->Add(s.y, s.x, s.n, pixel);
}

}  // namespace aismon
