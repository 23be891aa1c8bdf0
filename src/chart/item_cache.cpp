#include "chart/item_cache.h"

#include <algorithm>

#include "chart/row_split.h"

namespace aismon {

ItemCache::ItemCache(int32_t keys) : entries_(static_cast<size_t>(keys > 0 ? keys : 0)) {
  queue_.reserve(entries_.size());
}

bool ItemCache::Holds(int32_t key, const std::vector<int32_t>& log, int32_t width, int32_t height) const {
  const Entry& e = entries_[static_cast<size_t>(key)];
  return e.valid && e.width == width && e.height == height && e.log == log;
}

void ItemCache::Store(int32_t key, std::vector<int32_t>& log, std::vector<RecordedRun>& runs, int32_t width,
                      int32_t height) {
  Entry& e = entries_[static_cast<size_t>(key)];
  e.log.swap(log);
  e.runs.swap(runs);
  // By row, keeping the drawing order within each row: that is all the pixels depend on.
  std::stable_sort(e.runs.begin(), e.runs.end(), [](const RecordedRun& a, const RecordedRun& b) { return a.y < b.y; });
  e.width = width;
  e.height = height;
  e.valid = true;
}

void ItemCache::Forget(int32_t key) { entries_[static_cast<size_t>(key)].valid = false; }

void ItemCache::Queue(int32_t key) {
  Entry& e = entries_[static_cast<size_t>(key)];
  if (e.runs.empty()) return;
  e.queuedRound = round_;
  queue_.push_back(Queued{key, e.runs.front().y, e.runs.back().y});
  queuedRuns_ += e.runs.size();
}

namespace {

// Rows written together: a band of a full-screen picture stays in the processor's cache.
constexpr int32_t kBandRows = 32;

}  // namespace

void ItemCache::FlushRows(uint32_t* bits, ptrdiff_t stride, int32_t begin, int32_t end) const {
  for (int32_t band = begin; band < end; band += kBandRows) {
    const int32_t bandEnd = std::min(end, band + kBandRows);
    for (const Queued& q : queue_) {
      if (q.bottom < band || q.top >= bandEnd) continue;
      const std::vector<RecordedRun>& runs = entries_[static_cast<size_t>(q.key)].runs;
      auto r = runs.begin();
      if (q.top < band)
        r = std::lower_bound(runs.begin(), runs.end(), band, [](const RecordedRun& a, int32_t y) { return a.y < y; });
      for (; r != runs.end() && r->y < bandEnd; ++r)
        FillPixels(bits + static_cast<ptrdiff_t>(r->y) * stride + r->x, r->n, r->pixel);
    }
  }
}

void ItemCache::Flush(uint32_t* bits, ptrdiff_t stride, int32_t height, RowSplitter* split) {
  if (queue_.empty()) {
    if (++round_ == 0) round_ = 1;
    return;
  }
  // A few ships are not worth a hand-over.
  if (split != nullptr && queuedRuns_ >= 4096) {
    auto work = [&](int, int32_t b, int32_t e) { FlushRows(bits, stride, b, e); };
    split->Run(height, work);
  } else {
    FlushRows(bits, stride, 0, height);
  }
  queue_.clear();
  queuedRuns_ = 0;
  if (++round_ == 0) round_ = 1;
}

}  // namespace aismon
