#include "chart/item_cache.h"

#include <algorithm>
#include <span>

#include "chart/row_split.h"

namespace aismon {

namespace {

constexpr int32_t kTileRows = TileChanges::kTileRows;

}  // namespace

ItemCache::ItemCache(int32_t keys, size_t runBudget)
    : entries_(static_cast<size_t>(keys > 0 ? keys : 0)), runBudget_(runBudget) {
  queue_.reserve(entries_.size());
}

bool ItemCache::Holds(int32_t key, const std::vector<int32_t>& log, int32_t width, int32_t height) const {
  const Entry& e = entries_[static_cast<size_t>(key)];
  return e.valid && e.width == width && e.height == height && e.log == log;
}

// By row, keeping the drawing order within each row: that is all the pixels depend on.
// Counted into place (an item spans a few hundred rows at most), in buffers kept.
void ItemCache::SortByRow(std::vector<KeptRun>& runs) {
  if (runs.size() < 2) return;
  uint16_t top = runs.front().y, bottom = top;
  bool sorted = true;
  for (size_t i = 1; i < runs.size(); ++i) {
    top = std::min(top, runs[i].y);
    bottom = std::max(bottom, runs[i].y);
    sorted = sorted && runs[i - 1].y <= runs[i].y;
  }
  if (sorted) return;
  rowStarts_.assign(static_cast<size_t>(bottom - top) + 2, 0);
  for (const KeptRun& r : runs) ++rowStarts_[static_cast<size_t>(r.y - top) + 1];
  for (size_t i = 1; i < rowStarts_.size(); ++i) rowStarts_[i] += rowStarts_[i - 1];
  sortScratch_.resize(runs.size());
  for (const KeptRun& r : runs) sortScratch_[rowStarts_[static_cast<size_t>(r.y - top)]++] = r;
  runs.swap(sortScratch_);
}

bool ItemCache::Store(int32_t key, std::vector<int32_t>& log, const RecordedRun* runs, size_t count, int32_t width,
                      int32_t height) {
  Entry& e = entries_[static_cast<size_t>(key)];
  e.valid = false;
  // The runs the kept picture shows are wanted once more, to find what changed.
  if (keptValid_ && e.keptVersion != 0 && e.keptVersion == e.version && e.replacedRound != round_ &&
      replacedRuns_.size() + e.runs.size() <= kReplacedBudget) {
    Replaced r;
    r.begin = replacedRuns_.size();
    r.count = e.runs.size();
    std::copy(std::begin(e.palette), std::end(e.palette), std::begin(r.palette));
    replacedRuns_.insert(replacedRuns_.end(), e.runs.begin(), e.runs.end());
    e.replacedRound = round_;
    e.replacedAt = replaced_.size();
    replaced_.push_back(r);
  }
  keptRuns_ -= e.runs.size();
  e.runs.clear();
  // Counted now: the runs the kept picture shows are gone even if none are kept.
  if (++e.version == 0) e.version = 1;
  if (width > 65535 || height > 65535 || keptRuns_ + count > runBudget_) return false;
  int colours = 0;
  for (const RecordedRun& r : std::span(runs, count)) {
    int c = 0;
    while (c < colours && e.palette[c] != r.pixel) ++c;
    if (c == colours) {
      if (colours == kColours) {
        e.runs.clear();
        return false;
      }
      e.palette[colours++] = r.pixel;
    }
    e.runs.push_back(KeptRun{static_cast<uint16_t>(r.y), static_cast<uint16_t>(r.x), static_cast<uint16_t>(r.n),
                             static_cast<uint16_t>(c)});
  }
  keptRuns_ += e.runs.size();
  e.log.swap(log);
  SortByRow(e.runs);
  e.width = width;
  e.height = height;
  e.valid = true;
  e.box = Box{};
  e.bandStarts.clear();
  if (!e.runs.empty()) {
    e.box = Box{e.runs.front().y, e.runs.back().y, e.runs.front().x, e.runs.front().x + e.runs.front().n - 1};
    for (const KeptRun& r : e.runs) {
      e.box.left = std::min<int32_t>(e.box.left, r.x);
      e.box.right = std::max<int32_t>(e.box.right, r.x + r.n - 1);
    }
    const int32_t firstBand = e.box.top / kTileRows;
    for (uint32_t i = 0; i < e.runs.size(); ++i)
      while (firstBand + static_cast<int32_t>(e.bandStarts.size()) <= e.runs[i].y / kTileRows) e.bandStarts.push_back(i);
  }
  return true;
}

void ItemCache::Forget(int32_t key) { entries_[static_cast<size_t>(key)].valid = false; }

void ItemCache::Queue(int32_t key) {
  Entry& e = entries_[static_cast<size_t>(key)];
  if (e.runs.empty()) return;
  e.queuedRound = round_;
  queue_.push_back(Queued{key, e.box.top, e.box.bottom, e.box.left, e.box.right});
  queuedRuns_ += e.runs.size();
}


void ItemCache::FlushRows(uint32_t* bits, ptrdiff_t stride, int32_t begin, int32_t end) const {
  for (int32_t bandTop = begin - begin % kTileRows; bandTop < end; bandTop += kTileRows) {
    const int32_t band = bandTop / kTileRows;
    const int32_t from = std::max(begin, bandTop), to = std::min(end, bandTop + kTileRows);
    for (uint32_t i = bandFirst_[static_cast<size_t>(band)]; i < bandFirst_[static_cast<size_t>(band) + 1]; ++i) {
      const Queued& q = queue_[bandItems_[i]];
      if (q.bottom < from || q.top >= to) continue;
      const Entry& e = entries_[static_cast<size_t>(q.key)];
      auto r = e.runs.begin() + e.bandStarts[static_cast<size_t>(band - q.top / kTileRows)];
      while (r != e.runs.end() && r->y < from) ++r;
      for (; r != e.runs.end() && r->y < to; ++r)
        FillPixels(bits + static_cast<ptrdiff_t>(r->y) * stride + r->x, r->n, e.palette[r->colour]);
    }
  }
}

void ItemCache::Flush(uint32_t* bits, ptrdiff_t stride, int32_t height, RowSplitter* split) {
  if (queue_.empty()) {
    EndRound();
    return;
  }
  for (const Queued& q : queue_) Touched(q.left, q.top, q.right + 1, q.bottom + 1);
  ListItemsByBand((height + kTileRows - 1) / kTileRows, true);
  // A few ships are not worth a hand-over.
  if (split != nullptr && queuedRuns_ >= 4096) {
    auto work = [&](int, int32_t b, int32_t e) { FlushRows(bits, stride, b, e); };
    split->Run(height, work);
  } else {
    FlushRows(bits, stride, 0, height);
  }
  EndRound();
}

void ItemCache::EndRound() {
  replaced_.clear();
  replacedRuns_.clear();
  queue_.clear();
  queuedRuns_ = 0;
  if (++round_ == 0) round_ = 1;
}

}  // namespace aismon
