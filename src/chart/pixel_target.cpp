#include "chart/pixel_target.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace aismon {

void FillLongRun(uint32_t* p, int32_t n, uint32_t pixel) {
#if defined(__SSE2__)
  if (n >= 8) {
    const __m128i v = _mm_set1_epi32(static_cast<int>(pixel));
    uint32_t* end = p + n;
    // One unaligned store up front, then aligned ones; the overlap is harmless.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
    uint32_t* q = reinterpret_cast<uint32_t*>((reinterpret_cast<uintptr_t>(p) + 16) & ~uintptr_t{15});
    for (; q + 4 <= end; q += 4) _mm_store_si128(reinterpret_cast<__m128i*>(q), v);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(end - 4), v);
    return;
  }
#endif
  for (int32_t i = 0; i < n; ++i) p[i] = pixel;
}

void RowBatch::Start(int32_t width, int32_t height) {
  width_ = width;
  if (rows_.size() < static_cast<size_t>(height)) rows_.resize(static_cast<size_t>(height));
}

void RowBatch::Append(std::vector<Run>& row, int32_t x, int32_t n, uint32_t pixel) {
  // A run over the whole row hides all before it.
  if (x == 0 && n == width_) {
    count_ -= row.size();
    row.clear();
  }
  row.push_back(Run{static_cast<uint16_t>(x), static_cast<uint16_t>(n), pixel});
  ++count_;
}

void RowBatch::Apply(uint32_t* bits, ptrdiff_t stride) {
  if (count_ == 0) return;
  for (size_t y = 0; y < rows_.size(); ++y) {
    std::vector<Run>& row = rows_[y];
    if (row.empty()) continue;
    uint32_t* p = bits + static_cast<ptrdiff_t>(y) * stride;
    for (const Run& r : row) FillPixels(p + r.x, r.n, r.pixel);
    row.clear();
  }
  count_ = 0;
}

}  // namespace aismon
