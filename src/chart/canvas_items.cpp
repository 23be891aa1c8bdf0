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
}

bool Canvas::BeginItem(int32_t key) {
  if (items_ == nullptr || itemOpen_ || batchDepth_ > 0 || sharing_ || key < 0 || key >= items_->Keys()) return false;
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
  const int32_t w = Width(), h = Height();
  // Its runs are about to change while the frame still has them to write.
  if (items_->IsQueued(itemKey_)) FlushItems();
  if (!items_->Holds(itemKey_, itemLog_, w, h)) {
    itemRecord_.Clear();
    PixelTarget record = RawTarget();
    record.record = &itemRecord_;
    ExecuteLog(itemLog_, record);
    if (!items_->Store(itemKey_, itemLog_, itemRecord_.Runs(), w, h)) {
      // Not kept (too many colours, too large an image): written now, in its place.
      FlushItems();
      ExecuteLog(itemLog_, RawTarget());
      return;
    }
  }
  items_->Queue(itemKey_);
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
  if (items_ != nullptr && items_->AnyQueued()) FlushItems();
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
