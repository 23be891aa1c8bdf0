#include "chart/line_span_cache.h"

#include <algorithm>

namespace aismon {

namespace {

// Replaced lines may leave this much unused room (in spans) before the store is compacted,
// beyond as much again as the kept lines need.
constexpr size_t kSlack = 16384;

}  // namespace

LineSpanCache::LineSpanCache(int32_t keys) : entries_(static_cast<size_t>(std::max(keys, 0))) {}

const RowSpan* LineSpanCache::Find(int32_t key, const LineShape& shape, int32_t& count) const {
  count = 0;
  if (key < 0 || key >= Keys()) return nullptr;
  const Entry& e = entries_[static_cast<size_t>(key)];
  if (!e.valid || !(e.shape == shape)) return nullptr;
  count = static_cast<int32_t>(e.count);
  return store_.data() + e.offset;
}

void LineSpanCache::Store(int32_t key, const LineShape& shape, const RowSpan* spans, int32_t count) {
  if (key < 0 || key >= Keys() || count < 0) return;
  Entry& e = entries_[static_cast<size_t>(key)];
  if (count > kMaxSpans) {
    if (e.valid) live_ -= e.room;
    e.valid = false;
    return;
  }
  const uint32_t n = static_cast<uint32_t>(count);
  if (!e.valid || n > e.room) {
    if (e.valid) live_ -= e.room;
    e.valid = false;
    if (store_.size() + n > 2 * (live_ + n) + kSlack) Compact();
    // A little room to spare, so that a line that grows by a row or two stays in place.
    const uint32_t room = n + n / 8 + 4;
    e.offset = static_cast<uint32_t>(store_.size());
    e.room = room;
    store_.resize(store_.size() + room);
    live_ += room;
  }
  std::copy(spans, spans + count, store_.begin() + e.offset);
  e.shape = shape;
  e.count = n;
  e.valid = true;
}

// Moves the kept lines together at the front of the store.
void LineSpanCache::Compact() {
  spare_.clear();
  for (Entry& e : entries_) {
    if (!e.valid) continue;
    const uint32_t offset = static_cast<uint32_t>(spare_.size());
    spare_.insert(spare_.end(), store_.begin() + e.offset, store_.begin() + e.offset + e.room);
    e.offset = offset;
  }
  store_.swap(spare_);
}

}  // namespace aismon
