#pragma once
// Where the direct rasterisers put their pixels: straight into the rows of a 32-bit image,
// or, while a batch is open, into per-row lists of runs that are written out row by row
// later. A layer that floods the picture and then paints large shapes over it touches
// every pixel several times; collected per row, each row takes all of them while it is in
// the cache and goes out to memory once. Runs keep their order within a row, and rows are
// independent, so the result is the same pixels.
#include <cstddef>
#include <cstdint>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace aismon {

// Sets n pixels from p on to one value.
void FillLongRun(uint32_t* p, int32_t n, uint32_t pixel);
inline void FillPixels(uint32_t* p, int32_t n, uint32_t pixel) {
  if (n >= 8) {
    FillLongRun(p, n, pixel);
    return;
  }
  // Short runs (the rows of a wide line, the tips of shapes, wake dots) are most runs; a
  // loop of varying length would mispredict on almost every one. Stores that overlap
  // within the run cover it instead.
#if defined(__SSE2__)
  if (n >= 4) {
    const __m128i v = _mm_set1_epi32(static_cast<int>(pixel));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + n - 4), v);
    return;
  }
#else
  if (n >= 4) {
    for (int32_t i = 0; i < n; ++i) p[i] = pixel;
    return;
  }
#endif
  if (n > 0) {
    p[0] = pixel;
    p[(n - 1) / 2] = pixel;
    p[n - 1] = pixel;
  }
}

class RowSplitter;

class RowBatch {
 public:
  // Opens the batch for an image of the given size. Widths beyond 65535 cannot be batched.
  void Start(int32_t width, int32_t height);
  static bool Fits(int32_t width) { return width <= 65535; }
  bool Empty() const { return count_ == 0; }
  // A run already inside the image. One that continues the row's last run in the same
  // colour joins it.
  void Add(int32_t y, int32_t x, int32_t n, uint32_t pixel) {
    std::vector<Run>& row = rows_[static_cast<size_t>(y)];
    if (!row.empty()) {
      Run& last = row.back();
      const int32_t end = last.x + last.n;
      if (last.pixel == pixel && x <= end && x + n >= last.x) {
        const int32_t from = x < last.x ? x : last.x;
        const int32_t to = x + n > end ? x + n : end;
        last.x = static_cast<uint16_t>(from);
        last.n = static_cast<uint16_t>(to - from);
        return;
      }
    }
    Append(row, x, n, pixel);
  }
  // Writes every row's runs in order into rows bits + y * stride and empties the batch.
  // A row whose runs start with one over the whole row is made up in a scratch row and
  // streamed out, so that the old row is never read in. With a splitter, two threads
  // share the rows.
  void Apply(uint32_t* bits, ptrdiff_t stride, RowSplitter* split = nullptr);

 private:
  struct Run {
    uint16_t x;
    uint16_t n;
    uint32_t pixel;
  };
  void Append(std::vector<Run>& row, int32_t x, int32_t n, uint32_t pixel);
  void ApplyRows(uint32_t* bits, ptrdiff_t stride, int32_t begin, int32_t end, uint32_t* scratch);
  int32_t width_ = 0;
  int32_t height_ = 0;
  size_t count_ = 0;
  // Kept with their capacity from frame to frame.
  std::vector<std::vector<Run>> rows_;
  std::vector<uint32_t> scratch_[2];  // one for each thread that applies rows
};

// Runs kept in the order they were drawn, to be written out later, perhaps many times.
struct RecordedRun {
  int32_t y;
  int32_t x;
  int32_t n;
  uint32_t pixel;
};
class RunRecord {
 public:
  void Clear() { runs_.clear(); }
  // A run that continues the last one in the same row and colour joins it.
  void Add(int32_t y, int32_t x, int32_t n, uint32_t pixel) {
    if (!runs_.empty()) {
      RecordedRun& last = runs_.back();
      if (last.y == y && last.pixel == pixel && x <= last.x + last.n && x + n >= last.x) {
        const int32_t from = x < last.x ? x : last.x;
        const int32_t to = x + n > last.x + last.n ? x + n : last.x + last.n;
        last.x = from;
        last.n = to - from;
        return;
      }
    }
    runs_.push_back(RecordedRun{y, x, n, pixel});
  }
  std::vector<RecordedRun>& Runs() { return runs_; }

 private:
  std::vector<RecordedRun> runs_;
};

// The image being drawn on: width x height pixels, row y at bits + y * stride; runs go to
// batch instead when there is one, or to record.
struct PixelTarget {
  uint32_t* bits = nullptr;
  ptrdiff_t stride = 0;
  int32_t width = 0;
  int32_t height = 0;
  RowBatch* batch = nullptr;
  RunRecord* record = nullptr;
  // Written straight into the rows, but only into rows firstRow .. endRow - 1: one thread's
  // share of a picture that two draw at once. Every shape still goes through all its rows,
  // so each row gets exactly the pixels it would get from drawing the whole picture.
  bool windowed = false;
  int32_t firstRow = 0, endRow = 0;
  // Pixels go straight into the rows, each one to be written.
  bool Direct() const { return batch == nullptr && record == nullptr && !windowed; }
  // Whether rows y0 .. y1 - 1 are all to be written straight.
  bool DirectRows(int32_t y0, int32_t y1) const {
    return batch == nullptr && record == nullptr && (!windowed || (y0 >= firstRow && y1 <= endRow));
  }
  uint32_t* Row(int32_t y) const { return bits + static_cast<ptrdiff_t>(y) * stride; }
  // n pixels of row y from x on, all inside the image.
  void Put(int32_t y, int32_t x, int32_t n, uint32_t pixel) const {
    if (record != nullptr) {
      record->Add(y, x, n, pixel);
    } else if (batch != nullptr) {
      batch->Add(y, x, n, pixel);
    } else if (!windowed || (y >= firstRow && y < endRow)) {
      FillPixels(Row(y) + x, n, pixel);
    }
  }
};

}  // namespace aismon
