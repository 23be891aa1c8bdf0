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

class ItemCache {
 public:
  explicit ItemCache(int32_t keys);

  int32_t Keys() const { return static_cast<int32_t>(entries_.size()); }
  // Whether key keeps runs drawn from exactly this log on an image of this size.
  bool Holds(int32_t key, const std::vector<int32_t>& log, int32_t width, int32_t height) const;
  // Keeps the log and the runs drawn from it under key (both are taken, leaving the
  // caller the key's old buffers to reuse).
  void Store(int32_t key, std::vector<int32_t>& log, std::vector<RecordedRun>& runs, int32_t width, int32_t height);
  void Forget(int32_t key);

  // Queues key's runs to be written; a key already queued must be flushed first.
  bool IsQueued(int32_t key) const { return entries_[static_cast<size_t>(key)].queuedRound == round_; }
  void Queue(int32_t key);
  bool AnyQueued() const { return !queue_.empty(); }
  // Writes the queued runs, key after key in queue order, into the rows of an image of
  // the size they were drawn for.
  void Flush(uint32_t* bits, ptrdiff_t stride, int32_t height, RowSplitter* split);

 private:
  struct Entry {
    std::vector<int32_t> log;
    std::vector<RecordedRun> runs;  // by row, in drawing order within a row
    int32_t width = 0, height = 0;
    bool valid = false;
    uint32_t queuedRound = 0;
  };
  // A queued key with the rows its runs cover.
  struct Queued {
    int32_t key;
    int32_t top, bottom;  // bottom inclusive
  };
  void FlushRows(uint32_t* bits, ptrdiff_t stride, int32_t begin, int32_t end) const;

  std::vector<Entry> entries_;
  std::vector<Queued> queue_;
  size_t queuedRuns_ = 0;
  uint32_t round_ = 1;
};

}  // namespace aismon
