#pragma once
// Row spans of wide lines kept from one frame to the next under a small integer key (a
// ship's slot). A thousand course lines are drawn every frame, and between two frames a
// ship moves by less than a pixel: a line whose ends, width and image are unchanged sets
// exactly the same pixels again, so its spans can be written again instead of stroking
// and filling its outline anew. The table of keys is allocated once; the spans share one
// store that only grows to what the lines need, and is compacted when replaced lines have
// left too much of it unused.
#include <cstdint>
#include <vector>

#include "chart/span_fill.h"

namespace aismon {

// Everything the pixels of a wide line depend on, apart from its colour.
struct LineShape {
  int32_t x0, y0, x1, y1;
  int32_t width;
  int32_t imageWidth, imageHeight;
  friend bool operator==(const LineShape&, const LineShape&) = default;
};

class LineSpanCache {
 public:
  // Lines of more spans are not kept: long lines are few, and a thousand of them would
  // hold megabytes.
  static constexpr int32_t kMaxSpans = 512;

  explicit LineSpanCache(int32_t keys);

  int32_t Keys() const { return static_cast<int32_t>(entries_.size()); }
  // The spans kept under key for this very shape, or nullptr (count then 0). Valid until
  // the next Store.
  const RowSpan* Find(int32_t key, const LineShape& shape, int32_t& count) const;
  // Keeps spans[0 .. count - 1] for shape under key, replacing what the key held; more
  // than kMaxSpans only forget it.
  void Store(int32_t key, const LineShape& shape, const RowSpan* spans, int32_t count);
  // Spans held, including room left behind by replaced lines (for the tests).
  size_t StoreSize() const { return store_.size(); }

 private:
  struct Entry {
    LineShape shape{};
    uint32_t offset = 0;
    uint32_t count = 0;
    uint32_t room = 0;
    bool valid = false;
  };
  void Compact();

  std::vector<Entry> entries_;
  std::vector<RowSpan> store_;
  std::vector<RowSpan> spare_;  // the store's other half while compacting
  size_t live_ = 0;             // room of the valid entries
};

}  // namespace aismon
