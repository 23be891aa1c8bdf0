#include "chart/underlay_cache.h"

namespace aismon {

bool UnderlayCache::Restore(const UnderlayKey& key, Canvas& canvas) {
  if (!kept_ || !(key == key_) || image_.width() != canvas.Width() || image_.height() != canvas.Height())
    return false;
  canvas.CopyPixelsFrom(image_);
  canvas.RestoreState(stateOut_);
  return true;
}

void UnderlayCache::Offer(const UnderlayKey& key, Canvas& canvas) {
  const bool still = haveLast_ && key == last_;
  last_ = key;
  haveLast_ = true;
  if (!still) return;
  if (image_.width() != canvas.Width() || image_.height() != canvas.Height())
    image_ = QImage(canvas.Width(), canvas.Height(), QImage::Format_RGB32);
  if (image_.isNull()) {  // no memory for a copy: the layers are simply drawn every frame
    kept_ = false;
    return;
  }
  canvas.CopyPixelsTo(image_);
  key_ = key;
  stateOut_ = canvas.SavedState();
  kept_ = true;
}

void UnderlayCache::Clear() {
  image_ = QImage();
  kept_ = false;
  haveLast_ = false;
}

}  // namespace aismon
