#pragma once
// The picture under the ships (sea, land, place names, grid, and with the rings the
// ground the ships are drawn on) kept while the view stands still. It is drawn from the view, the chart, the names and the pen, brush and font the
// frame starts with; while none of these changes, the same pixels come out, so a kept copy
// is put back instead of drawing a whole coast again for every frame. A view that moves
// every frame is never copied: only a picture drawn twice in a row is kept.
#include <QImage>
#include <cstdint>

#include "chart/canvas.h"
#include "chart/view_state.h"

namespace aismon {

// Everything the underlying layers are drawn from.
struct UnderlayKey {
  ViewState view;
  const void* chart = nullptr;  // the loaded chart (never re-read once loaded)
  int32_t placeNames = -1;      // names loaded, -1 without a list
  bool grid = false;
  Canvas::State stateIn;
  friend bool operator==(const UnderlayKey&, const UnderlayKey&) = default;
};

// A picture drawn from Key, kept with the pen, brush and font its layers left.
template <class Key>
class KeptPicture {
 public:
  // Whether the picture for key is kept, for a canvas of this size.
  bool Holds(const Key& key, int32_t width, int32_t height) const {
    return kept_ && key == key_ && image_.width() == width && image_.height() == height;
  }
  // When the picture for key is kept: puts it on the canvas, leaves the canvas's pen,
  // brush and font as drawing it did, and returns true.
  bool Restore(const Key& key, Canvas& canvas) {
    if (!Holds(key, canvas.Width(), canvas.Height())) return false;
    canvas.CopyPixelsFrom(image_);
    canvas.RestoreState(stateOut_);
    return true;
  }
  // After the layers were drawn for key: keeps the picture and the state they left when
  // the frame before drew the same key.
  void Offer(const Key& key, Canvas& canvas) {
    const bool still = haveLast_ && key == last_;
    last_ = key;
    haveLast_ = true;
    if (!still || Holds(key, canvas.Width(), canvas.Height())) return;
    if (image_.width() != canvas.Width() || image_.height() != canvas.Height())
      image_ = QImage(canvas.Width(), canvas.Height(), QImage::Format_RGB32);
    kept_ = false;
    if (image_.isNull()) return;  // no memory for a copy: the layers are drawn every frame
    canvas.CopyPixelsTo(image_);
    key_ = key;
    stateOut_ = canvas.SavedState();
    kept_ = true;
  }
  // Forgets the picture (a test, or memory wanted back).
  void Clear() {
    image_ = QImage();
    kept_ = false;
    haveLast_ = false;
  }
  // What a held picture leaves, and its pixels (rows of its width).
  const Canvas::State& StateOut() const { return stateOut_; }
  const uint32_t* Pixels() const { return reinterpret_cast<const uint32_t*>(image_.constBits()); }

 private:
  QImage image_;
  Key key_{};
  Canvas::State stateOut_;
  bool kept_ = false;
  Key last_{};
  bool haveLast_ = false;
};

using UnderlayCache = KeptPicture<UnderlayKey>;

// What the picture under the ships (the ground) is drawn from: the underlying layers,
// then the range rings from their centre's pixel.
struct GroundKey {
  UnderlayKey underlay;
  bool rings = false;
  bool ringCentreNear = false;
  int32_t ringX = 0, ringY = 0;
  Canvas::State beforeRings;
  friend bool operator==(const GroundKey&, const GroundKey&) = default;
};

}  // namespace aismon
