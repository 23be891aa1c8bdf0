// The picture the items made over a ground, kept from one frame to the next: which tiles
// to mend (where an item's pixels changed, where something was drawn over the picture
// since), the mending itself, and which tiles of the image were written, for the display.
#include <algorithm>
#include <cstring>

#include "chart/bit_runs.h"
#include "chart/item_cache.h"
#include "chart/row_split.h"

namespace aismon {

namespace {

constexpr int32_t kTileRows = TileChanges::kTileRows;
constexpr int32_t kTileColumns = TileChanges::kTileColumns;
// Mending more than this share of the tiles costs more than writing everything.
constexpr int64_t kMendShareMax = 2;  // one half
// Tile-map words of one band of an image as wide as kept runs allow; a wider one is
// written whole, never mended.
constexpr size_t kMaxWordsPerBand = (65535 / kTileColumns + 1 + 63) / 64;

// Sets the bits of the tiles over pixels x0 .. x1, y0 .. y1 (inclusive, within the image)
// in one or two maps; returns how many of the first map's were clear.
int64_t SetTiles(size_t wordsPerBand, int32_t x0, int32_t y0, int32_t x1, int32_t y1, std::vector<uint64_t>& bits,
                 std::vector<uint64_t>* also = nullptr) {
  int64_t added = 0;
  for (int32_t band = y0 / kTileRows; band <= y1 / kTileRows; ++band)
    for (int32_t t = x0 / kTileColumns; t <= x1 / kTileColumns; ++t) {
      const size_t i = static_cast<size_t>(band) * wordsPerBand + static_cast<size_t>(t >> 6);
      const uint64_t bit = uint64_t{1} << (t & 63);
      added += (bits[i] & bit) == 0;
      bits[i] |= bit;
      if (also != nullptr) (*also)[i] |= bit;
    }
  return added;
}

}  // namespace

void ItemCache::Dirty(const Box& b) {
  const int32_t x0 = std::max(b.left, 0), y0 = std::max(b.top, 0);
  const int32_t x1 = std::min(b.right, keptWidth_ - 1), y1 = std::min(b.bottom, keptHeight_ - 1);
  if (x1 < x0 || y1 < y0) return;
  dirtyCount_ += SetTiles(wordsPerBand_, x0, y0, x1, y1, dirty_);
}

void ItemCache::DirtyDifference(const KeptRun* a, size_t na, const uint32_t* paletteA, const KeptRun* b,
                                size_t nb, const uint32_t* paletteB) {
  auto same = [&](const KeptRun& p, const KeptRun& q) {
    return p.x == q.x && p.n == q.n && paletteA[p.colour] == paletteB[q.colour];
  };
  size_t i = 0, j = 0;
  while (i < na || j < nb) {
    const int32_t y = std::min<int32_t>(i < na ? a[i].y : INT32_MAX, j < nb ? b[j].y : INT32_MAX);
    size_t iEnd = i, jEnd = j;
    while (iEnd < na && a[iEnd].y == y) ++iEnd;
    while (jEnd < nb && b[jEnd].y == y) ++jEnd;
    // Runs before and after the first and last that differ set the same pixels, in the
    // same order: only the pixels under the differing ones can have changed.
    while (i < iEnd && j < jEnd && same(a[i], b[j])) ++i, ++j;
    size_t iLast = iEnd, jLast = jEnd;
    while (iLast > i && jLast > j && same(a[iLast - 1], b[jLast - 1])) --iLast, --jLast;
    Box row{y, y, INT32_MAX, -1};
    auto widen = [&row](const KeptRun& r) {
      row.left = std::min<int32_t>(row.left, r.x);
      row.right = std::max<int32_t>(row.right, r.x + r.n - 1);
    };
    for (; i < iLast; ++i) widen(a[i]);
    for (; j < jLast; ++j) widen(b[j]);
    Dirty(row);
    i = iEnd;
    j = jEnd;
  }
}

void ItemCache::DirtyChanged(const Entry& e) {
  const bool queued = e.queuedRound == round_;
  const KeptRun* now = queued ? e.runs.data() : nullptr;
  const size_t nowCount = queued ? e.runs.size() : 0;
  if (e.replacedRound == round_) {
    const Replaced& r = replaced_[e.replacedAt];
    DirtyDifference(replacedRuns_.data() + r.begin, r.count, r.palette, now, nowCount, e.palette);
  } else if (e.version == e.keptVersion) {
    // Not stored again: the same runs, unless it went away.
    if (!queued) DirtyDifference(e.runs.data(), e.runs.size(), e.palette, nullptr, 0, e.palette);
  } else {
    Dirty(e.keptBox);
    if (queued) Dirty(e.box);
  }
}

void ItemCache::Touched(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (!pictureInImage_) return;
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, keptWidth_);
  y1 = std::min(y1, keptHeight_);
  if (x1 <= x0 || y1 <= y0) return;
  touchedCount_ += SetTiles(wordsPerBand_, x0, y0, x1 - 1, y1 - 1, touched_, &changed_);
  // Most of it drawn over: the whole picture is copied back, as cheaply as tile by tile.
  if (touchedCount_ * kMendShareMax > tiles_) TouchedAll();
}

void ItemCache::KeptInImage() {
  pictureInImage_ = true;
  touched_.assign(dirty_.size(), 0);
  touchedCount_ = 0;
  if (changed_.size() != dirty_.size()) {
    changed_.assign(dirty_.size(), 0);
    changedAll_ = true;
  }
}

void ItemCache::TakeChanges(TileChanges& out) {
  out.all = changedAll_ || !pictureInImage_;
  out.tilesPerRow = tilesPerRow_;
  out.wordsPerBand = wordsPerBand_;
  out.bits.assign(changed_.begin(), changed_.end());
  std::fill(changed_.begin(), changed_.end(), 0);
  changedAll_ = false;
}

bool ItemCache::AnyDirtyTile(int32_t band, int32_t firstTile, int32_t lastTile) const {
  firstTile = std::max(firstTile, 0);
  lastTile = std::min(lastTile, tilesPerRow_ - 1);
  const uint64_t* words = dirty_.data() + static_cast<size_t>(band) * wordsPerBand_;
  for (int32_t w = firstTile >> 6; w <= lastTile >> 6; ++w) {
    uint64_t bits = words[w];
    if (w == firstTile >> 6) bits &= ~uint64_t{0} << (firstTile & 63);
    if (w == lastTile >> 6 && (lastTile & 63) != 63) bits &= (uint64_t{1} << ((lastTile & 63) + 1)) - 1;
    if (bits != 0) return true;
  }
  return false;
}

void ItemCache::MendRows(int part, uint32_t* bits, ptrdiff_t stride, const uint32_t* groundPixels, int32_t begin,
                         int32_t end) {
  const ptrdiff_t keptStride = keptWidth_;
  for (int32_t bandTop = begin - begin % kTileRows; bandTop < end; bandTop += kTileRows) {
    const int32_t band = bandTop / kTileRows;
    const int32_t from = std::max(begin, bandTop), to = std::min(end, bandTop + kTileRows);
    bool anyDirty = false, anyRestored = !restoreTouchedOnly_;
    for (size_t w = 0; w < wordsPerBand_; ++w) {
      const size_t i = static_cast<size_t>(band) * wordsPerBand_ + w;
      anyDirty |= dirty_[i] != 0;
      anyRestored |= restoreTouchedOnly_ && touched_[i] != 0;
    }
    if (!anyDirty && !anyRestored) continue;
    // Clean tiles: the kept picture, where the image no longer shows it. Dirty ones: the
    // ground, drawn this frame or given. Found once for the band's rows, as runs of tiles.
    std::vector<Copy>& copies = copies_[part];
    copies.clear();
    if (!anyDirty && !restoreTouchedOnly_) {
      copies.push_back(Copy{0, keptWidth_, true});
    } else {
      for (int32_t t = 0; t < tilesPerRow_;) {
        const bool dirty = DirtyTile(band, t);
        const bool restore = !dirty && RestoreTile(band, t);
        int32_t u = t + 1;
        while (u < tilesPerRow_ && DirtyTile(band, u) == dirty && (dirty || RestoreTile(band, u) == restore)) ++u;
        const int32_t x0 = t * kTileColumns, x1 = std::min(keptWidth_, u * kTileColumns);
        if (restore || (dirty && groundPixels != nullptr)) copies.push_back(Copy{x0, x1, restore});
        t = u;
      }
    }
    for (int32_t y = from; y < to; ++y) {
      uint32_t* row = bits + static_cast<ptrdiff_t>(y) * stride;
      const uint32_t* keptRow = kept_.data() + static_cast<ptrdiff_t>(y) * keptStride;
      const uint32_t* groundRow =
          groundPixels != nullptr ? groundPixels + static_cast<ptrdiff_t>(y) * keptStride : nullptr;
      for (const Copy& c : copies)
        std::memcpy(row + c.x0, (c.fromKept ? keptRow : groundRow) + c.x0, static_cast<size_t>(c.x1 - c.x0) * 4);
    }
    if (!anyDirty) continue;
    // The band's map, where writing pixels cannot be taken to change it.
    uint64_t dirtyWords[kMaxWordsPerBand];
    std::memcpy(dirtyWords, dirty_.data() + static_cast<size_t>(band) * wordsPerBand_, wordsPerBand_ * 8);
    auto dirty = [&dirtyWords](int32_t t) { return (dirtyWords[t >> 6] >> (t & 63)) & 1u; };
    // Items set pixels in a few of the tiles of their box: those over none that is dirty
    // are passed by.
    const size_t words = wordsPerBand_;
    auto overDirty = [&dirtyWords, words](const Queued& q, uint64_t tiles) {
      const int32_t first = q.left / kTileColumns;
      if (q.right / kTileColumns - first >= 64) return true;
      const size_t w = static_cast<size_t>(first >> 6);
      const int shift = first & 63;
      uint64_t bits = dirtyWords[w] >> shift;
      if (shift != 0 && w + 1 < words) bits |= dirtyWords[w + 1] << (64 - shift);
      return (bits & tiles) != 0;
    };
    // Every item over a dirty tile of the band, in order, within the dirty tiles only.
    ForBandItems(band, from, to, overDirty, [&](const Queued& q, const KeptRun* r, const KeptRun* runsEnd) {
      for (; r != runsEnd && r->y < to; ++r) {
        const int32_t first = r->x / kTileColumns, last = r->x + r->n - 1;
        uint32_t* row = bits + static_cast<ptrdiff_t>(r->y) * stride;
        if (first == last / kTileColumns) {  // most runs lie within one tile
          if (dirty(first)) FillPixels(row + r->x, r->n, q.palette[r->colour]);
          continue;
        }
        for (int32_t t = first; t <= last / kTileColumns; ++t) {
          if (!dirty(t)) continue;
          const int32_t x0 = std::max<int32_t>(r->x, t * kTileColumns), x1 = std::min(last + 1, (t + 1) * kTileColumns);
          FillPixels(row + x0, x1 - x0, q.palette[r->colour]);
        }
      }
    });
    // And what the dirty tiles now show is kept.
    copies.clear();
    ForEachBitRun(dirtyWords, wordsPerBand_, [&](int32_t t, int32_t u) {
      copies.push_back(Copy{t * kTileColumns, std::min(keptWidth_, u * kTileColumns), false});
    });
    for (int32_t y = from; y < to; ++y) {
      const uint32_t* row = bits + static_cast<ptrdiff_t>(y) * stride;
      uint32_t* keptRow = kept_.data() + static_cast<ptrdiff_t>(y) * keptStride;
      for (const Copy& c : copies) std::memcpy(keptRow + c.x0, row + c.x0, static_cast<size_t>(c.x1 - c.x0) * 4);
    }
  }
}

void ItemCache::ListItemsByBand(int32_t bands, bool all) {
  bandFirst_.assign(static_cast<size_t>(bands) + 2, 0);
  // Counted, then placed, in queue order. Only over dirty tiles: the pairs found while
  // counting are placed, not looked for again.
  bandPairs_.clear();
  for (uint32_t k = 0; k < queue_.size(); ++k) {
    const Queued& q = queue_[k];
    const int32_t last = std::min(q.bottom / kTileRows, bands - 1);
    for (int32_t band = std::max(q.top, 0) / kTileRows; band <= last; ++band) {
      if (!all) {
        if (!AnyDirtyTile(band, q.left / kTileColumns, q.right / kTileColumns)) continue;
        bandPairs_.push_back(BandPair{static_cast<uint32_t>(band), k});
      }
      ++bandFirst_[static_cast<size_t>(band) + 2];
    }
  }
  for (size_t b = 2; b < bandFirst_.size(); ++b) bandFirst_[b] += bandFirst_[b - 1];
  bandItems_.resize(bandFirst_.back());
  if (!all) {
    for (const BandPair& p : bandPairs_) bandItems_[bandFirst_[p.band + 1]++] = p.item;
    return;
  }
  for (uint32_t k = 0; k < queue_.size(); ++k) {
    const Queued& q = queue_[k];
    const int32_t last = std::min(q.bottom / kTileRows, bands - 1);
    for (int32_t band = std::max(q.top, 0) / kTileRows; band <= last; ++band)
      bandItems_[bandFirst_[static_cast<size_t>(band) + 1]++] = k;
  }
}

void ItemCache::FlushOverGround(uint32_t* bits, ptrdiff_t stride, int32_t width, int32_t height, uint64_t ground,
                                const uint32_t* groundPixels, RowSplitter* split) {
  const bool sameGround = keptValid_ && keptGround_ == ground && keptWidth_ == width && keptHeight_ == height;
  tilesPerRow_ = (width + kTileColumns - 1) / kTileColumns;
  const int32_t bands = (height + kTileRows - 1) / kTileRows;
  tiles_ = int64_t{tilesPerRow_} * bands;
  bool mend = sameGround && static_cast<size_t>((tilesPerRow_ + 63) / 64) <= kMaxWordsPerBand;
  if (mend) {
    wordsPerBand_ = static_cast<size_t>((tilesPerRow_ + 63) / 64);
    dirty_.assign(wordsPerBand_ * static_cast<size_t>(bands), 0);
    dirtyCount_ = 0;
    // Where an item went away or changed, where new ones are, and where two items now
    // come in another order; stopping once everything is to be written anyway.
    auto tooMany = [&] { return dirtyCount_ * kMendShareMax > tiles_; };
    for (size_t k = 0; k < keptKeys_.size() && !tooMany(); ++k)
      DirtyChanged(entries_[static_cast<size_t>(keptKeys_[k])]);
    int32_t lastOrder = -1;
    for (size_t k = 0; k < queue_.size() && !tooMany(); ++k) {
      const Entry& e = entries_[static_cast<size_t>(queue_[k].key)];
      if (e.keptVersion == 0) {
        DirtyDifference(nullptr, 0, e.palette, e.runs.data(), e.runs.size(), e.palette);
      } else if (e.keptOrder < lastOrder) {
        Dirty(e.keptBox);
        Dirty(e.box);
      }
      lastOrder = std::max(lastOrder, e.keptOrder);
    }
    mend = !tooMany();
  }
  if (mend) {
    ListItemsByBand(bands, false);
    // The image still shows last frame's picture but for the tiles drawn over since.
    restoreTouchedOnly_ = pictureInImage_ && touched_.size() == dirty_.size();
    auto work = [&](int part, int32_t b, int32_t e) { MendRows(part, bits, stride, groundPixels, b, e); };
    if (split != nullptr)
      split->Run(height, work);
    else
      work(0, 0, height);
    rewrittenTiles_ = dirtyCount_;
    if (!restoreTouchedOnly_ || changed_.size() != dirty_.size())
      changedAll_ = true;
    else
      for (size_t i = 0; i < dirty_.size(); ++i) changed_[i] |= dirty_[i] | touched_[i];  // mended, copied back
  } else {
    changedAll_ = true;
    // Everything written and kept afresh.
    if (groundPixels != nullptr) CopyPixelRows(bits, stride, groundPixels, width, width, height, split);
    if (!queue_.empty()) {
      ListItemsByBand(bands, true);
      if (split != nullptr && queuedRuns_ >= 4096) {
        auto work = [&](int, int32_t b, int32_t e) { FlushRows(bits, stride, b, e); };
        split->Run(height, work);
      } else {
        FlushRows(bits, stride, 0, height);
      }
    }
    keptValid_ = false;
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (kept_.size() != pixels) kept_.assign(pixels, 0);
    keptWidth_ = width;
    keptHeight_ = height;
    CopyPixelRows(kept_.data(), keptWidth_, bits, stride, keptWidth_, keptHeight_, split);
    keptGround_ = ground;
    keptValid_ = true;
    rewrittenTiles_ = tiles_;
  }
  for (const int32_t key : keptKeys_) entries_[static_cast<size_t>(key)].keptVersion = 0;
  keptKeys_.clear();
  for (const Queued& q : queue_) {
    Entry& e = entries_[static_cast<size_t>(q.key)];
    e.keptVersion = e.version;
    e.keptBox = e.box;
    e.keptOrder = static_cast<int32_t>(keptKeys_.size());
    keptKeys_.push_back(q.key);
  }
  EndRound();
  wordsPerBand_ = static_cast<size_t>((tilesPerRow_ + 63) / 64);
  const size_t words = wordsPerBand_ * static_cast<size_t>(bands);
  if (dirty_.size() != words) dirty_.assign(words, 0);
  KeptInImage();
}

}  // namespace aismon
