#include "chart/pixel_target.h"

#include <algorithm>

#include "chart/cpu_features.h"
#include "chart/row_split.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace aismon {

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define AISMON_WIDE_STORES 1
namespace {

// Thirty-two bytes a store where the processor has them (checked once, at run time).
const bool kHaveAvx2 = HaveAvx2();

__attribute__((target("avx2"))) void FillLongRunAvx2(uint32_t* p, int32_t n, uint32_t pixel) {
  const __m256i v = _mm256_set1_epi32(static_cast<int>(pixel));
  uint32_t* end = p + n;
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
  uint32_t* q = reinterpret_cast<uint32_t*>((reinterpret_cast<uintptr_t>(p) + 32) & ~uintptr_t{31});
  for (; q + 32 <= end; q += 32) {
    _mm256_store_si256(reinterpret_cast<__m256i*>(q), v);
    _mm256_store_si256(reinterpret_cast<__m256i*>(q + 8), v);
    _mm256_store_si256(reinterpret_cast<__m256i*>(q + 16), v);
    _mm256_store_si256(reinterpret_cast<__m256i*>(q + 24), v);
  }
  for (; q + 8 <= end; q += 8) _mm256_store_si256(reinterpret_cast<__m256i*>(q), v);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(end - 8), v);
}

__attribute__((target("avx2"))) void StreamRowAvx2(uint32_t* to, const uint32_t* from, int32_t n) {
  int32_t i = 0;
  for (; i < n && (reinterpret_cast<uintptr_t>(to + i) & 31) != 0; ++i) to[i] = from[i];
  for (; i + 32 <= n; i += 32) {
    for (int k = 0; k < 32; k += 8)
      _mm256_stream_si256(reinterpret_cast<__m256i*>(to + i + k),
                          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + i + k)));
  }
  for (; i + 8 <= n; i += 8)
    _mm256_stream_si256(reinterpret_cast<__m256i*>(to + i), _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + i)));
  for (; i < n; ++i) to[i] = from[i];
}

}  // namespace
#endif

void FillLongRun(uint32_t* p, int32_t n, uint32_t pixel) {
#if defined(AISMON_WIDE_STORES)
  if (n >= 16 && kHaveAvx2) {
    FillLongRunAvx2(p, n, pixel);
    return;
  }
#endif
#if defined(__SSE2__)
  if (n >= 8) {
    const __m128i v = _mm_set1_epi32(static_cast<int>(pixel));
    uint32_t* end = p + n;
    // One unaligned store up front, then aligned ones; the overlap is harmless.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
    uint32_t* q = reinterpret_cast<uint32_t*>((reinterpret_cast<uintptr_t>(p) + 16) & ~uintptr_t{15});
    // Four stores a turn: rows of thousands of pixels are common (the sea, large land).
    for (; q + 16 <= end; q += 16) {
      _mm_store_si128(reinterpret_cast<__m128i*>(q), v);
      _mm_store_si128(reinterpret_cast<__m128i*>(q + 4), v);
      _mm_store_si128(reinterpret_cast<__m128i*>(q + 8), v);
      _mm_store_si128(reinterpret_cast<__m128i*>(q + 12), v);
    }
    for (; q + 4 <= end; q += 4) _mm_store_si128(reinterpret_cast<__m128i*>(q), v);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(end - 4), v);
    return;
  }
#endif
  for (int32_t i = 0; i < n; ++i) p[i] = pixel;
}

void RowBatch::Start(int32_t width, int32_t height) {
  width_ = width;
  height_ = height;
  if (rows_.size() < static_cast<size_t>(height)) rows_.resize(static_cast<size_t>(height));
  // Room for a row and for aligning its start.
  for (std::vector<uint32_t>& s : scratch_)
    if (s.size() < static_cast<size_t>(width) + 4) s.resize(static_cast<size_t>(width) + 4);
}

namespace {

// Copies n pixels to a row without reading the row first.
void StreamRow(uint32_t* to, const uint32_t* from, int32_t n) {
#if defined(AISMON_WIDE_STORES)
  if (kHaveAvx2) {
    StreamRowAvx2(to, from, n);
    return;
  }
#endif
  int32_t i = 0;
#if defined(__SSE2__)
  for (; i < n && (reinterpret_cast<uintptr_t>(to + i) & 15) != 0; ++i) to[i] = from[i];
  auto copy4 = [to, from](int32_t k) {
    _mm_stream_si128(reinterpret_cast<__m128i*>(to + k), _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + k)));
  };
  for (; i + 16 <= n; i += 16) {
    copy4(i);
    copy4(i + 4);
    copy4(i + 8);
    copy4(i + 12);
  }
  for (; i + 4 <= n; i += 4) copy4(i);
#endif
  for (; i < n; ++i) to[i] = from[i];
}

}  // namespace

void RowBatch::Append(std::vector<Run>& row, int32_t x, int32_t n, uint32_t pixel) {
  // A run over the whole row hides all before it.
  if (x == 0 && n == width_) {
    count_ -= row.size();
    row.clear();
  }
  row.push_back(Run{static_cast<uint16_t>(x), static_cast<uint16_t>(n), pixel});
  ++count_;
}

void RowBatch::ApplyRows(uint32_t* bits, ptrdiff_t stride, int32_t begin, int32_t end, uint32_t* scratch) {
  for (int32_t y = begin; y < end; ++y) {
    std::vector<Run>& row = rows_[static_cast<size_t>(y)];
    if (row.empty()) continue;
    uint32_t* p = bits + static_cast<ptrdiff_t>(y) * stride;
    if (row.front().x == 0 && row.front().n == width_) {
      for (const Run& r : row) FillPixels(scratch + r.x, r.n, r.pixel);
      StreamRow(p, scratch, width_);
    } else {
      for (const Run& r : row) FillPixels(p + r.x, r.n, r.pixel);
    }
    row.clear();
  }
#if defined(__SSE2__)
  // The streamed rows are seen by whoever reads the image next, on any thread.
  _mm_sfence();
#endif
}

void RowBatch::Apply(uint32_t* bits, ptrdiff_t stride, RowSplitter* split) {
  if (count_ == 0) return;
  const int32_t rows = std::min(height_, static_cast<int32_t>(rows_.size()));
  // A few runs (a label, a symbol) are not worth a hand-over.
  if (split != nullptr && count_ >= static_cast<size_t>(rows)) {
    auto work = [&](int part, int32_t b, int32_t e) { ApplyRows(bits, stride, b, e, scratch_[part].data()); };
    split->Run(rows, work);
  } else {
    ApplyRows(bits, stride, 0, rows, scratch_[0].data());
  }
  count_ = 0;
}

}  // namespace aismon
