// The canvas's items: shapes logged as words, kept as pixel runs, written out in order
// over a ground that may itself be kept; and the rasterising of logged shapes.
#include <algorithm>
#include <cstring>

#include "chart/canvas.h"
#include "chart/canvas_words.h"
#include "chart/ellipse_fill.h"
#include "chart/row_split.h"
#include "chart/small_disc.h"
#include "chart/thin_line.h"

namespace aismon {

using namespace canvas_words;

void Canvas::KeepItems(int32_t keys, size_t runBudget) {
  SettleItems();  // what is queued is written before its runs go
  itemLayer_ = false;
  items_ = std::make_unique<ItemCache>(keys, runBudget);
}

bool Canvas::BeginItem(int32_t key) {
  if (items_ == nullptr || itemOpen_ || batchDepth_ > 0 || key < 0 || key >= items_->Keys()) return false;
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
  if (itemLogging_) LeaveItem();
  FlushItems();  // puts the ground too
}

void Canvas::Emit(const int32_t* words) {
  if (itemLogging_) {
    itemLog_.insert(itemLog_.end(), words, words + words[1]);
    return;
  }
  Execute(words, Target());
}

void Canvas::ExecuteLog(const std::vector<int32_t>& log, const PixelTarget& target) {
  for (size_t i = 0; i + 2 <= log.size(); i += static_cast<size_t>(log[i + 1])) Execute(log.data() + i, target);
}

void Canvas::TouchWords(const int32_t* w) {
  const int32_t* a = w + 2;
  // Corners taken inclusive: one more on the far side.
  auto box = [&](int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t margin) {
    TouchAround(std::min(x0, x1), std::min(y0, y1), int64_t{std::max(x0, x1)} + 1, int64_t{std::max(y0, y1)} + 1,
                margin);
  };
  auto points = [&](const int32_t* xy, int32_t n, int32_t margin) {
    if (n <= 0) return;
    int32_t x0 = xy[0], y0 = xy[1], x1 = x0, y1 = y0;
    for (int32_t i = 1; i < n; ++i) {
      x0 = std::min(x0, xy[2 * i]);
      x1 = std::max(x1, xy[2 * i]);
      y0 = std::min(y0, xy[2 * i + 1]);
      y1 = std::max(y1, xy[2 * i + 1]);
    }
    box(x0, y0, x1, y1, margin);
  };
  switch (w[0]) {
    case kEllipse:
      box(a[0], a[1], a[0] + a[2], a[1] + a[3], 1);
      break;
    case kPolygon:
      points(a + 5, a[4], 1);
      break;
    case kThinPath:
      points(a + 3, a[2], 1);
      break;
    case kThinLine:
      box(a[1], a[2], a[3], a[4], 1);
      break;
    case kWideLine:
      box(a[2], a[3], a[4], a[5], a[1] + 2);
      break;
    case kKeptLine:
      box(a[3], a[4], a[5], a[6], a[1] + 2);
      break;
    case kRect:
      Touch(a[1], a[2], a[3], a[4]);
      break;
    case kDiscs:
      points(a + 3, a[2], a[1] + 1);
      break;
    case kStampedDiscs:
      points(reinterpret_cast<const int32_t*>(stampedCentres_), a[2], a[1] + 1);
      break;
    default:
      TouchAll();
      break;
  }
}

void Canvas::Execute(const int32_t* w, const PixelTarget& t) {
  if (t.record == nullptr && items_ != nullptr && items_->PictureInImage()) TouchWords(w);
  const int32_t* a = w + 2;
  switch (w[0]) {
    case kEllipse: {
      const uint32_t fill = PixelOf(a[5]);
      DrawEllipse(t, a[0], a[1], a[2], a[3], a[4] != 0 ? &fill : nullptr, PixelOf(a[6]));
      break;
    }
    case kPolygon:
      if (a[0] != 0) spanFill_.FillPolygon(t, a + 5, a[4], FillRule::EvenOdd, PixelOf(a[1]));
      if (a[2] != 0) ThinLine(t, PixelOf(a[3]), true).Path(a + 5, a[4], true);
      break;
    case kThinPath:
      ThinLine(t, PixelOf(a[0]), true).Path(a + 3, a[2], a[1] != 0);
      break;
    case kThinLine:
      ThinLine(t, PixelOf(a[0]), true).Line(a[1], a[2], a[3], a[4]);
      break;
    case kWideLine:
      wideLine_.Draw(t, a[2], a[3], a[4], a[5], a[1], PixelOf(a[0]));
      break;
    case kKeptLine:
      DrawKeptLine(a, t);
      break;
    case kRect:
      for (int32_t y = a[2]; y < a[4]; ++y) t.Put(y, a[1], a[3] - a[1], PixelOf(a[0]));
      break;
    case kDiscs:
      PaintSmallDiscs(t, reinterpret_cast<const PixelPoint*>(a + 3), a[2], a[1], PixelOf(a[0]), discScratch_);
      break;
    case kStampedDiscs:
      PaintSmallDiscs(t, stampedCentres_, a[2], a[1], PixelOf(a[0]), discScratch_);
      break;
    default:
      break;
  }
}

void Canvas::DrawKeptLine(const int32_t* a, const PixelTarget& target) {
  const uint32_t pixel = PixelOf(a[0]);
  const int32_t key = a[2], x0 = a[3], y0 = a[4], x1 = a[5], y1 = a[6];
  const LineShape shape{x0, y0, x1, y1, a[1], target.width, target.height};
  int32_t count = 0;
  const RowSpan* spans = keptLines_->Find(key, shape, count);
  if (spans == nullptr) {
    lineSpans_.clear();
    wideLine_.Spans(target.width, target.height, x0, y0, x1, y1, a[1], lineSpans_);
    keptLines_->Store(key, shape, lineSpans_.data(), static_cast<int32_t>(lineSpans_.size()));
    spans = lineSpans_.data();
    count = static_cast<int32_t>(lineSpans_.size());
  }
  if (!target.Direct()) {
    for (int32_t i = 0; i < count; ++i) target.Put(spans[i].y, spans[i].x, spans[i].n, pixel);
    return;
  }
  for (int32_t i = 0; i < count; ++i) FillPixels(target.Row(spans[i].y) + spans[i].x, spans[i].n, pixel);
}

}  // namespace aismon
