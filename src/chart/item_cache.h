#pragma once
// What each ship drew, kept from one frame to the next under a small integer key (its
// slot). Between two frames almost every ship sets exactly the same pixels again: the
// shapes it asked for are the same. Each key keeps the shapes it asked for (as a log of
// words) and the pixel runs they gave; when the next frame asks for the same shapes, the
// kept runs are written again instead of rasterising the shapes anew. The runs of all
// keys of a frame are queued and written band of rows by band, so that a band stays in
// the processor's cache while every ship over it is written, the upper and lower bands on
// two threads. Only the order within a row matters, and it is kept: the runs of a key
// are sorted by row keeping their order, and the keys of a band are written in turn.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "chart/pixel_target.h"

namespace aismon {

class RowSplitter;

// Tile maps: one bit per tile, wordsPerBand 64-bit words for each band of tile rows.
inline bool TileBit(const std::vector<uint64_t>& bits, size_t wordsPerBand, int32_t band, int32_t tile) {
  return (bits[static_cast<size_t>(band) * wordsPerBand + static_cast<size_t>(tile >> 6)] >> (tile & 63)) & 1u;
}

// Which tiles of an image were written since it was last asked (all, when that is not
// known), for a caller keeping something made from the image up to date.
struct TileChanges {
  static constexpr int32_t kTileColumns = 32;
  static constexpr int32_t kTileRows = 16;
  bool all = true;
  int32_t tilesPerRow = 0;
  size_t wordsPerBand = 0;
  std::vector<uint64_t> bits;
  bool Changed(int32_t band, int32_t tile) const { return TileBit(bits, wordsPerBand, band, tile); }
};

class ItemCache {
  struct Box {
    int32_t top = 0, bottom = -1, left = 0, right = -1;  // inclusive; empty when bottom < top
  };
  // A run as kept: a thousand ships keep hundreds each, and all are read every frame.
  struct KeptRun {
    uint16_t y, x, n, colour;  // colour: index into the entry's palette
  };
  // Where an item's runs in one band of tile rows start, and the tiles of the band they
  // set pixels in: bit i is the i-th tile from the one of the item's leftmost pixel (all
  // bits for items wider than 64 tiles).
  struct BandStart {
    uint32_t run;
    uint64_t tiles;
  };

 public:
  // Runs kept in all (8 bytes each): beyond it an item is not kept but written at once.
  static constexpr size_t kRunBudget = size_t{12} << 20;
  static constexpr int kColours = 8;
  explicit ItemCache(int32_t keys, size_t runBudget = kRunBudget);

  // Items' recorded runs put into the form they are kept in (palette, rows in order, box,
  // bands), apart from any cache, so that a thread of its own can do it for many items;
  // StorePrepared then keeps one of them.
  class Prepared {
   public:
    void Clear();
    // Adds an item's runs; returns its number.
    size_t Add(const RecordedRun* runs, size_t count);

   private:
    friend class ItemCache;
    struct Item {
      size_t recorded = 0;        // runs as recorded
      size_t at = 0, count = 0;   // into runs_
      size_t bandsAt = 0, bands = 0;
      uint32_t palette[kColours] = {};
      Box box;
      bool fits = true;  // false: more than kColours pixel values
    };
    std::vector<Item> items_;
    std::vector<KeptRun> runs_;
    std::vector<BandStart> bandStarts_;
    std::vector<uint32_t> rowStarts_;  // for sorting by row
    std::vector<KeptRun> scratch_;
  };

  int32_t Keys() const { return static_cast<int32_t>(entries_.size()); }
  // Whether key keeps runs drawn from exactly this log on an image of this size.
  bool Holds(int32_t key, const std::vector<int32_t>& log, int32_t width, int32_t height) const;
  // Keeps the log and the runs drawn from it under key (the log is taken, leaving the
  // caller the key's old buffer to reuse). False, keeping nothing, for runs it cannot
  // hold: more than kColours pixel values, or an image of more than 65535 rows or columns.
  bool Store(int32_t key, std::vector<int32_t>& log, const RecordedRun* runs, size_t count, int32_t width,
             int32_t height);
  // The same with runs prepared already (item of prepared).
  bool StorePrepared(int32_t key, std::vector<int32_t>& log, const Prepared& prepared, size_t item, int32_t width,
                     int32_t height);
  void Forget(int32_t key);

  // Queues key's runs to be written; a key already queued must be flushed first, and so
  // must one to be stored again (the queue points at its runs).
  bool IsQueued(int32_t key) const { return entries_[static_cast<size_t>(key)].queuedRound == round_; }
  void Queue(int32_t key);
  bool AnyQueued() const { return !queue_.empty(); }
  // Writes the queued runs, key after key in queue order, into the rows of an image of
  // the size they were drawn for.
  void Flush(uint32_t* bits, ptrdiff_t stride, int32_t height, RowSplitter* split);
  // The same, onto a picture (the ground) that has exactly the pixels of the ground of
  // the previous call whenever `ground` is the same number. The picture the items made
  // then is kept: where no item changed, came or went since, it is copied back, and only
  // the tiles around those that did are written from the runs.
  // With groundPixels (rows of width pixels) the image does not hold the ground: it is
  // taken from there.
  void FlushOverGround(uint32_t* bits, ptrdiff_t stride, int32_t width, int32_t height, uint64_t ground,
                       const uint32_t* groundPixels, RowSplitter* split);
  // Whether the picture the items made over this ground is kept, for an image of this size.
  bool KeptOver(uint64_t ground, int32_t width, int32_t height) const {
    return keptValid_ && keptGround_ == ground && keptWidth_ == width && keptHeight_ == height;
  }
  // The kept picture no longer follows the items (they were written some other way).
  void ForgetGround() { keptValid_ = false; }
  // After a flush over the ground the image shows the kept picture; what is drawn over it
  // afterwards is told here (x1, y1 exclusive), so that the next flush need copy back only
  // the tiles touched instead of the whole picture.
  bool PictureInImage() const { return pictureInImage_; }
  void Touched(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
  void TouchedAll() {
    pictureInImage_ = false;
    changedAll_ = true;
  }
  // The tiles written since the last call, from the flushes over the ground and the
  // touches told; then counts anew.
  void TakeChanges(TileChanges& out);
  // Tiles written from the runs by the last FlushOverGround, and all tiles (for tests and
  // the benchmark).
  int64_t RewrittenTiles() const { return rewrittenTiles_; }
  int64_t Tiles() const { return tiles_; }

 private:
  struct Entry {
    std::vector<int32_t> log;
    std::vector<KeptRun> runs;  // by row, in drawing order within a row
    // Where each band of tile rows (from the box's top band) starts among the runs.
    std::vector<BandStart> bandStarts;
    uint32_t palette[kColours] = {};
    int32_t width = 0, height = 0;
    bool valid = false;
    uint32_t queuedRound = 0;
    uint32_t version = 0;     // counts the runs stored
    uint32_t keptVersion = 0; // the runs in the kept picture; 0: none
    Box box;                  // of the runs
    Box keptBox;              // of the runs in the kept picture
    int32_t keptOrder = 0;    // its place among the items of the kept picture
    uint32_t replacedRound = 0;  // when set to round_: its runs in the kept picture are in replaced_
    size_t replacedAt = 0;
  };
  // The runs an item had in the kept picture, kept when a new store replaces them within
  // the round, so that only the rows where they differ are mended.
  struct Replaced {
    size_t begin = 0, count = 0;
    uint32_t palette[kColours] = {};
  };
  // A queued key with the rows its runs cover, and where they are: a flush reads these for
  // every item over a band without going through the entry.
  struct Queued {
    int32_t key;
    int32_t top, bottom;  // bottom inclusive
    int32_t left, right;  // inclusive
    const KeptRun* runs;
    const KeptRun* runsEnd;
    const BandStart* bandStarts;  // of the box's top band
    const uint32_t* palette;
  };
  // Calls f(q, r, end) for each item listed over band, in order, with its runs from the
  // first in rows from .. to - 1 up to the end of all its runs; but only for those that
  // wanted(q, tiles) takes, tiles being the ones of the band the item sets pixels in (as
  // in BandStart).
  template <class Wanted, class F>
  void ForBandItems(int32_t band, int32_t from, int32_t to, Wanted&& wanted, F&& f) const;
  void FlushRows(uint32_t* bits, ptrdiff_t stride, int32_t begin, int32_t end) const;
  void Dirty(const Box& b);
  // Marks the tiles where two items' runs (each by row) set different pixels.
  void DirtyDifference(const KeptRun* a, size_t na, const uint32_t* paletteA, const KeptRun* b, size_t nb,
                       const uint32_t* paletteB);
  // Marks where a kept item's pixels in the kept picture and now differ.
  void DirtyChanged(const Entry& e);
  bool DirtyTile(int32_t band, int32_t tile) const { return TileBit(dirty_, wordsPerBand_, band, tile); }
  bool AnyDirtyTile(int32_t band, int32_t firstTile, int32_t lastTile) const;
  // Whether a clean tile must be copied back from the kept picture.
  bool RestoreTile(int32_t band, int32_t tile) const {
    return !restoreTouchedOnly_ || TileBit(touched_, wordsPerBand_, band, tile);
  }
  void KeptInImage();
  // Lists the queued items over each band of tile rows: all of them, or only those over a
  // dirty tile of the band.
  void ListItemsByBand(int32_t bands, bool all);
  // One thread's share (part 0 or 1) of the mend.
  void MendRows(int part, uint32_t* bits, ptrdiff_t stride, const uint32_t* groundPixels, int32_t begin,
                int32_t end);
  void EndRound();

  std::vector<Entry> entries_;
  std::vector<Queued> queue_;
  size_t queuedRuns_ = 0;
  size_t keptRuns_ = 0;
  Prepared prepared_;  // for Store
  size_t runBudget_;
  uint32_t round_ = 1;
  // The picture the items made over the last ground, with the keys in it.
  std::vector<uint32_t> kept_;
  int32_t keptWidth_ = 0, keptHeight_ = 0;
  uint64_t keptGround_ = 0;
  bool keptValid_ = false;
  std::vector<int32_t> keptKeys_;
  std::vector<Replaced> replaced_;
  std::vector<KeptRun> replacedRuns_;
  // Beyond this many replaced runs a changed item is mended over its whole box.
  static constexpr size_t kReplacedBudget = size_t{1} << 18;
  // For a flush: the queued items over (dirty) tiles of each band of tile rows, in queue order
  // (band b's are bandItems_[bandFirst_[b] .. bandFirst_[b + 1])).
  std::vector<uint32_t> bandFirst_;
  std::vector<uint32_t> bandItems_;
  struct BandPair {
    uint32_t band, item;
  };
  std::vector<BandPair> bandPairs_;  // for listing only those over dirty tiles
  // Tiles to write again: one bit per tile of a band of rows.
  std::vector<uint64_t> dirty_;
  size_t wordsPerBand_ = 0;
  int32_t tilesPerRow_ = 0;
  int64_t dirtyCount_ = 0;
  int64_t rewrittenTiles_ = 0, tiles_ = 0;
  // Tiles drawn over since the image last showed the kept picture (same layout as dirty_).
  std::vector<uint64_t> touched_;
  int64_t touchedCount_ = 0;
  bool pictureInImage_ = false;
  // Tiles written since TakeChanges (same layout as dirty_), unless all may have been.
  std::vector<uint64_t> changed_;
  bool changedAll_ = true;
  bool restoreTouchedOnly_ = false;  // for the mend under way
  // Pixels x0 .. x1 - 1 of each row of a band to copy, by mending thread.
  struct Copy {
    int32_t x0, x1;
    bool fromKept;  // from the kept picture; else from the ground (or into the kept picture)
  };
  std::vector<Copy> copies_[2];
};

// The items of a band lie all over memory: waiting for each one's runs in turn is most of
// what writing a band costs, so the runs of items a few places ahead are asked for early.
template <class Wanted, class F>
void ItemCache::ForBandItems(int32_t band, int32_t from, int32_t to, Wanted&& wanted, F&& f) const {
  constexpr uint32_t kAhead = 8;
  const uint32_t begin = bandFirst_[static_cast<size_t>(band)], end = bandFirst_[static_cast<size_t>(band) + 1];
  auto bandStart = [band](const Queued& q) { return q.bandStarts + (band - q.top / TileChanges::kTileRows); };
  for (uint32_t i = begin; i < end && i < begin + kAhead; ++i) __builtin_prefetch(bandStart(queue_[bandItems_[i]]));
  for (uint32_t i = begin; i < end; ++i) {
    if (i + kAhead < end) __builtin_prefetch(bandStart(queue_[bandItems_[i + kAhead]]));
    if (i + kAhead / 2 < end) {
      const Queued& a = queue_[bandItems_[i + kAhead / 2]];
      const BandStart& s = *bandStart(a);
      if (wanted(a, s.tiles)) {
        __builtin_prefetch(a.runs + s.run);
        __builtin_prefetch(a.palette);
      }
    }
    const Queued& q = queue_[bandItems_[i]];
    if (q.bottom < from || q.top >= to) continue;
    const BandStart& s = *bandStart(q);
    if (!wanted(q, s.tiles)) continue;
    const KeptRun* r = q.runs + s.run;
    while (r != q.runsEnd && r->y < from) ++r;
    f(q, r, q.runsEnd);
  }
}

}  // namespace aismon
