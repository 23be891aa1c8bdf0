#pragma once
// The picture under the ships (sea, land, place names, grid) kept while the view stands
// still. It is drawn from the view, the chart, the names and the pen, brush and font the
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

class UnderlayCache {
 public:
  // When the picture for key is kept: puts it on the canvas, leaves the canvas's pen,
  // brush and font as drawing it did, and returns true.
  bool Restore(const UnderlayKey& key, Canvas& canvas);
  // After the layers were drawn for key: keeps the picture and the state they left when
  // the frame before drew the same key.
  void Offer(const UnderlayKey& key, Canvas& canvas);
  // Forgets the picture (a test, or memory wanted back).
  void Clear();
  bool Holding() const { return kept_; }

 private:
  QImage image_;
  UnderlayKey key_;
  Canvas::State stateOut_;
  bool kept_ = false;
  UnderlayKey last_;
  bool haveLast_ = false;
};

}  // namespace aismon
