#include "chart/item_cache.h"

#include <algorithm>
#include <climits>

#include "chart/row_split.h"

namespace aismon {

namespace {

constexpr int32_t kTileRows = TileChanges::kTileRows;
constexpr int32_t kTileColumns = TileChanges::kTileColumns;

}  // namespace

ItemCache::ItemCache(int32_t keys, size_t runBudget)
    : entries_(static_cast<size_t>(keys > 0 ? keys : 0)), runBudget_(runBudget) {
  queue_.reserve(entries_.size());
}

bool ItemCache::Holds(int32_t key, const std::vector<int32_t>& log, int32_t width, int32_t height) const {
  const Entry& e = entries_[static_cast<size_t>(key)];
  return e.valid && e.width == width && e.height == height && e.log == log;
}

void ItemCache::Prepared::Clear() {
  items_.clear();
  runs_.clear();
  bandStarts_.clear();
}

size_t ItemCache::Prepared::Add(const RecordedRun* runs, size_t count) {
  Item it;
  it.recorded = count;
  it.at = runs_.size();
  it.bandsAt = bandStarts_.size();
  // One pass for the palette, the box and whether the rows are in order already.
  runs_.resize(it.at + count);
  KeptRun* const first = runs_.data() + it.at;
  int colours = 0, lastColour = -1;
  uint32_t lastPixel = 0;
  int32_t top = INT32_MAX, bottom = -1, left = INT32_MAX, right = -1, previousY = -1;
  bool sorted = true;
  for (size_t i = 0; i < count; ++i) {
    const RecordedRun& r = runs[i];
    if (r.pixel != lastPixel || lastColour < 0) {
      int c = 0;
      while (c < colours && it.palette[c] != r.pixel) ++c;
      if (c == colours) {
        if (colours == kColours) {
          it.fits = false;
          break;
        }
        it.palette[colours++] = r.pixel;
      }
      lastColour = c;
      lastPixel = r.pixel;
    }
    first[i] = KeptRun{static_cast<uint16_t>(r.y), static_cast<uint16_t>(r.x), static_cast<uint16_t>(r.n),
                       static_cast<uint16_t>(lastColour)};
    top = std::min(top, r.y);
    bottom = std::max(bottom, r.y);
    left = std::min(left, r.x);
    right = std::max(right, r.x + r.n - 1);
    sorted = sorted && previousY <= r.y;
    previousY = r.y;
  }
  if (!it.fits) {
    runs_.resize(it.at);
    items_.push_back(it);
    return items_.size() - 1;
  }
  it.count = count;
  KeptRun* const last = first + it.count;
  // By row, keeping the drawing order within each row: that is all the pixels depend on.
  // Counted into place (an item spans a few hundred rows at most), in buffers kept.
  if (!sorted) {
    rowStarts_.assign(static_cast<size_t>(bottom - top) + 2, 0);
    for (const KeptRun* r = first; r != last; ++r) ++rowStarts_[static_cast<size_t>(r->y - top) + 1];
    for (size_t i = 1; i < rowStarts_.size(); ++i) rowStarts_[i] += rowStarts_[i - 1];
    scratch_.resize(it.count);
    for (const KeptRun* r = first; r != last; ++r) scratch_[rowStarts_[static_cast<size_t>(r->y - top)]++] = *r;
    std::copy(scratch_.begin(), scratch_.end(), first);
  }
  if (it.count > 0) {
    it.box = Box{top, bottom, left, right};
    const int32_t firstBand = top / kTileRows, leftTile = left / kTileColumns;
    int32_t nextBand = firstBand;  // the first band with no start yet
    uint64_t tiles = 0;            // of the band started last
    for (uint32_t i = 0; i < it.count; ++i) {
      const KeptRun& r = first[i];
      const int32_t band = r.y / kTileRows;
      if (band >= nextBand) {
        if (nextBand > firstBand) bandStarts_.back().tiles = tiles;
        tiles = 0;
        for (; nextBand <= band; ++nextBand) bandStarts_.push_back(BandStart{i, 0});
      }
      const int32_t t0 = r.x / kTileColumns - leftTile, t1 = (r.x + r.n - 1) / kTileColumns - leftTile;
      tiles |= t1 >= 64 ? ~uint64_t{0} : (uint64_t{2} << t1) - (uint64_t{1} << t0);
    }
    bandStarts_.back().tiles = tiles;
  }
  it.bands = bandStarts_.size() - it.bandsAt;
  items_.push_back(it);
  return items_.size() - 1;
}

bool ItemCache::Store(int32_t key, std::vector<int32_t>& log, const RecordedRun* runs, size_t count, int32_t width,
                      int32_t height) {
  prepared_.Clear();
  const size_t item = prepared_.Add(runs, count);
  return StorePrepared(key, log, prepared_, item, width, height);
}

bool ItemCache::StorePrepared(int32_t key, std::vector<int32_t>& log, const Prepared& prepared, size_t item,
                              int32_t width, int32_t height) {
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
  const Prepared::Item& it = prepared.items_[item];
  if (width > 65535 || height > 65535 || keptRuns_ + it.recorded > runBudget_ || !it.fits) return false;
  const auto runs = prepared.runs_.begin() + static_cast<ptrdiff_t>(it.at);
  e.runs.assign(runs, runs + static_cast<ptrdiff_t>(it.count));
  std::copy(std::begin(it.palette), std::end(it.palette), std::begin(e.palette));
  keptRuns_ += e.runs.size();
  e.log.swap(log);
  e.width = width;
  e.height = height;
  e.valid = true;
  e.box = it.box;
  const auto bands = prepared.bandStarts_.begin() + static_cast<ptrdiff_t>(it.bandsAt);
  e.bandStarts.assign(bands, bands + static_cast<ptrdiff_t>(it.bands));
  return true;
}

void ItemCache::Forget(int32_t key) { entries_[static_cast<size_t>(key)].valid = false; }

void ItemCache::Queue(int32_t key) {
  Entry& e = entries_[static_cast<size_t>(key)];
  if (e.runs.empty()) return;
  e.queuedRound = round_;
  queue_.push_back(Queued{key, e.box.top, e.box.bottom, e.box.left, e.box.right, e.runs.data(),
                          e.runs.data() + e.runs.size(), e.bandStarts.data(), e.palette});
  queuedRuns_ += e.runs.size();
}


void ItemCache::FlushRows(uint32_t* bits, ptrdiff_t stride, int32_t begin, int32_t end) const {
  for (int32_t bandTop = begin - begin % kTileRows; bandTop < end; bandTop += kTileRows) {
    const int32_t from = std::max(begin, bandTop), to = std::min(end, bandTop + kTileRows);
    auto all = [](const Queued&, uint64_t) { return true; };
    ForBandItems(bandTop / kTileRows, from, to, all, [&](const Queued& q, const KeptRun* r, const KeptRun* runsEnd) {
      for (; r != runsEnd && r->y < to; ++r)
        FillPixels(bits + static_cast<ptrdiff_t>(r->y) * stride + r->x, r->n, q.palette[r->colour]);
    });
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
