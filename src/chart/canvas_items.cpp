// The canvas's items: shapes logged as words, kept as pixel runs, written out in order
// over a ground that may itself be kept; and the rasterising of logged shapes.
#include <algorithm>
#include <cstring>

#include "chart/canvas.h"
#include "chart/canvas_words.h"
#include "chart/row_split.h"

namespace aismon {

using namespace canvas_words;

void Canvas::KeepItems(int32_t keys, size_t runBudget) {
  SettleItems();  // what is queued is written before its runs go
  itemLayer_ = false;
  items_ = std::make_unique<ItemCache>(keys, runBudget);
  keyPending_.assign(static_cast<size_t>(items_->Keys()), 0);
}

bool Canvas::BeginItem(int32_t key) {
  if (items_ == nullptr || itemOpen_ || batchDepth_ > 0 || sharing_ || key < 0 || key >= items_->Keys()) return false;
  // The same key twice in a frame: the first is written before the second is logged.
  if (keyPending_[static_cast<size_t>(key)] != 0) FlushItems();
  itemOpen_ = true;
  itemLogging_ = true;
  itemKey_ = key;
  itemLog_.clear();
  stampedCentres_ = nullptr;
  return true;
}

void Canvas::EndItem() {
  if (!itemOpen_) return;
  itemOpen_ = false;
  if (!itemLogging_) return;  // drawn already
  itemLogging_ = false;
  // Its runs are about to change while the frame still has them to write.
  if (items_->IsQueued(itemKey_)) FlushItems();
  PendingItem p{itemKey_, -1, stampedCentres_, 0, 0};
  if (!items_->Holds(itemKey_, itemLog_, Width(), Height())) {
    if (static_cast<size_t>(pendingLogCount_) == pendingLogs_.size()) pendingLogs_.emplace_back();
    p.log = pendingLogCount_++;
    pendingLogs_[static_cast<size_t>(p.log)].swap(itemLog_);
  }
  keyPending_[static_cast<size_t>(itemKey_)] = 1;
  pendingItems_.push_back(p);
}

void Canvas::SettlePending() {
  if (pendingItems_.empty()) return;
  // Taken first: what is written out below may ask to settle again.
  std::vector<PendingItem> items;
  items.swap(pendingItems_);
  const int32_t w = Width(), h = Height();
  const PixelTarget whole = RawTarget();
  if (helperRaster_ == nullptr) helperRaster_ = std::make_unique<ShapeRasterisers>();
  // In chunks of so many items to record, so that the runs waiting to be kept stay few;
  // the items that keep their runs only wait their turn, and cost no hand-over.
  constexpr size_t kChunk = 512;
  for (size_t from = 0, to = 0; from < items.size(); from = to) {
    size_t toRecord = 0;
    while (to < items.size() && toRecord < kChunk) toRecord += items[to++].log >= 0;
    const int32_t n = static_cast<int32_t>(to - from);
    // Split where half the words to record lie before.
    size_t words = 0;
    for (size_t i = from; i < to; ++i)
      if (items[i].log >= 0) words += pendingLogs_[static_cast<size_t>(items[i].log)].size();
    int32_t at = n / 2;
    size_t before = 0;
    for (size_t i = from; i < to; ++i) {
      if (items[i].log >= 0) before += pendingLogs_[static_cast<size_t>(items[i].log)].size();
      if (2 * before >= words) {
        at = std::clamp<int32_t>(static_cast<int32_t>(i - from) + 1, 1, std::max(n - 1, 1));
        break;
      }
    }
    auto record = [&](int part, int32_t b, int32_t e) {
      RunRecord& runs = pendingRuns_[part];
      ItemCache::Prepared& prepared = preparedRuns_[part];
      prepared.Clear();
      PixelTarget t = whole;
      t.record = &runs;
      ShapeRasterisers& r = part == 0 ? raster_ : *helperRaster_;
      // Alone, the thread may keep the lines it rasterises for later frames.
      const bool alone = b == 0 && e == n;
      for (size_t i = from + static_cast<size_t>(b); i < from + static_cast<size_t>(e); ++i) {
        PendingItem& p = items[i];
        if (p.log < 0) continue;
        runs.Clear();
        const std::vector<int32_t>& log = pendingLogs_[static_cast<size_t>(p.log)];
        for (size_t k = 0; k + 2 <= log.size(); k += static_cast<size_t>(log[k + 1]))
          DrawShapeWords(log.data() + k, t, r, keptLines_.get(), alone, p.centres);
        p.part = part;
        p.prepared = prepared.Add(runs.Runs().data(), runs.Runs().size());
      }
    };
    raster_.collectLines = helperRaster_->collectLines = true;
    if (toRecord > 0) {
      if (split_ != nullptr)
        split_->RunAt(n, at, record);
      else
        record(0, 0, n);
    }
    raster_.collectLines = helperRaster_->collectLines = false;
    if (keptLines_ != nullptr) {
      raster_.KeepMissedLines(*keptLines_);
      helperRaster_->KeepMissedLines(*keptLines_);
    }
    for (size_t i = from; i < to; ++i) {
      const PendingItem& p = items[i];
      keyPending_[static_cast<size_t>(p.key)] = 0;
      if (p.log >= 0) {
        std::vector<int32_t>& log = pendingLogs_[static_cast<size_t>(p.log)];
        if (!items_->StorePrepared(p.key, log, preparedRuns_[p.part], p.prepared, w, h)) {
          // Not kept (too many colours, too large an image): written now, in its place.
          FlushItems();
          stampedCentres_ = p.centres;
          ExecuteLog(log, RawTarget());
          continue;
        }
      }
      items_->Queue(p.key);
    }
  }
  pendingLogCount_ = 0;
  // The list's room is kept for the next frame.
  items.clear();
  items.swap(pendingItems_);
}

void Canvas::PutGround() {
  if (lazyGround_ == nullptr) return;
  const uint32_t* from = lazyGround_;
  lazyGround_ = nullptr;
  TouchAll();
  CopyPixelRows(reinterpret_cast<uint32_t*>(image_.bits()), image_.bytesPerLine() / 4, from, image_.width(),
                image_.width(), image_.height(), split_);
}

void Canvas::FlushItems() {
  SettlePending();
  PutGround();
  if (items_ == nullptr || !items_->AnyQueued()) return;
  // Written before the layer ends: the kept picture of the layer no longer follows.
  if (itemLayer_) items_->ForgetGround();
  items_->Flush(reinterpret_cast<uint32_t*>(image_.bits()), image_.bytesPerLine() / 4, image_.height(), split_);
}

void Canvas::BeginItemLayer(uint64_t ground, const uint32_t* groundPixels) {
  SettleItems();
  itemLayer_ = items_ != nullptr;
  itemGround_ = ground;
  lazyGround_ = itemLayer_ ? groundPixels : nullptr;
  if (!itemLayer_ && groundPixels != nullptr) {
    lazyGround_ = groundPixels;
    PutGround();
  }
}

void Canvas::EndItemLayer() {
  if (itemOpen_) EndItem();
  if (!itemLayer_) {
    FlushItems();
    return;
  }
  itemLayer_ = false;
  SettlePending();
  const uint32_t* ground = lazyGround_;
  lazyGround_ = nullptr;
  items_->FlushOverGround(reinterpret_cast<uint32_t*>(image_.bits()), image_.bytesPerLine() / 4, image_.width(),
                          image_.height(), itemGround_, ground, split_);
}

void Canvas::LeaveItem() {
  itemLogging_ = false;
  items_->Forget(itemKey_);
  FlushItems();  // the ground first, if it is still to be put
  ExecuteLog(itemLog_, RawTarget());
}

void Canvas::SettleItems() {
  DrawShared();  // logged before anything queued from here on
  if (itemLogging_) LeaveItem();
  FlushItems();  // puts the ground too
}

void Canvas::Emit(const int32_t* words) {
  if (itemLogging_) {
    itemLog_.insert(itemLog_.end(), words, words + words[1]);
    return;
  }
  if (sharing_ && batchDepth_ == 0) {
    ShapeBox b;
    int64_t top = 0, bottom = Height();
    if (BoxOfShapeWords(words, nullptr, b)) {
      top = std::clamp<int64_t>(b.y0, 0, Height());
      bottom = std::clamp<int64_t>(b.y1, 0, Height());
    }
    if (top >= bottom) return;  // all of it above or below the image
    sharedShapes_.push_back(SharedShape{sharedWords_.size(), static_cast<int32_t>(top), static_cast<int32_t>(bottom)});
    sharedWords_.insert(sharedWords_.end(), words, words + words[1]);
    return;
  }
  Execute(words, Target());
}

void Canvas::ExecuteLog(const std::vector<int32_t>& log, const PixelTarget& target) {
  for (size_t i = 0; i + 2 <= log.size(); i += static_cast<size_t>(log[i + 1])) Execute(log.data() + i, target);
}

void Canvas::TouchWords(const int32_t* w) {
  ShapeBox b;
  if (!BoxOfShapeWords(w, stampedCentres_, b)) {
    TouchAll();
    return;
  }
  if (b.x1 > b.x0 && b.y1 > b.y0) Touch(b.x0, b.y0, b.x1, b.y1);
}

void Canvas::Execute(const int32_t* w, const PixelTarget& t) {
  if (t.record == nullptr && items_ != nullptr && items_->PictureInImage()) TouchWords(w);
  DrawShapeWords(w, t, raster_, keptLines_.get(), true, stampedCentres_);
}

void Canvas::BeginShared() {
  if (split_ == nullptr || batchDepth_ > 0 || itemOpen_) return;
  SettleBatch();
  if (helperRaster_ == nullptr) helperRaster_ = std::make_unique<ShapeRasterisers>();
  sharing_ = true;
}

void Canvas::EndShared() {
  sharing_ = false;
  DrawShared();
}

void Canvas::DrawShared() {
  if (sharedShapes_.empty()) return;
  // What was queued before the shapes goes under them.
  PutGround();
  if (ItemsWaiting()) FlushItems();
  const PixelTarget whole = RawTarget();
  const int32_t h = whole.height;
  if (items_ != nullptr && items_->PictureInImage())
    for (const SharedShape& s : sharedShapes_) TouchWords(sharedWords_.data() + s.at);
  // Split where half the shapes' rows lie above: ships crowd some parts of a chart.
  sharedRows_.assign(static_cast<size_t>(h) + 1, 0);
  int64_t total = 0;
  for (const SharedShape& s : sharedShapes_) {
    ++sharedRows_[static_cast<size_t>(s.top)];
    --sharedRows_[static_cast<size_t>(s.bottom)];
    total += s.bottom - s.top;
  }
  int32_t at = h / 2;
  int64_t covering = 0, above = 0;
  for (int32_t y = 0; y < h; ++y) {
    covering += sharedRows_[static_cast<size_t>(y)];
    above += covering;
    if (2 * above >= total) {
      at = y + 1;
      break;
    }
  }
  auto work = [&](int part, int32_t b, int32_t e) {
    PixelTarget t = whole;
    if (b > 0 || e < h) {
      t.windowed = true;
      t.firstRow = b;
      t.endRow = e;
    }
    ShapeRasterisers& r = part == 0 ? raster_ : *helperRaster_;
    for (const SharedShape& s : sharedShapes_)
      if (s.bottom > b && s.top < e) DrawShapeWords(sharedWords_.data() + s.at, t, r, keptLines_.get(), false, nullptr);
  };
  split_->RunAt(h, at, work);
  sharedWords_.clear();
  sharedShapes_.clear();
}

}  // namespace aismon
