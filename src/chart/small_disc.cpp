#include "chart/small_disc.h"

#include <algorithm>

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

void PaintSmallDiscs(const PixelTarget& t, const PixelPoint* centres, int n, int32_t radius, uint32_t pixel,
                     std::vector<RowSpan>& scratch) {
  int rows = 0;
  const DiscSpan* spans = Shape(radius, rows);
  if (spans == nullptr || n <= 0) return;
  if (t.record == nullptr) {
    for (int i = 0; i < n; ++i) PaintSmallDisc(t, centres[i].x, centres[i].y, radius, pixel);
    return;
  }
  scratch.clear();
  for (int i = 0; i < n; ++i)
    ClippedRows(t, centres[i].x, centres[i].y, radius, spans, rows,
                [&](int32_t r, int32_t from, int32_t count) { scratch.push_back(RowSpan{r, from, count}); });
  std::sort(scratch.begin(), scratch.end(),
            [](const RowSpan& a, const RowSpan& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
  // In row order, overlapping and touching spans of a row join as they are recorded.
  for (const RowSpan& s : scratch) t.record->Add(s.y, s.x, s.n, pixel);
}

}  // namespace aismon
