#pragma once
// Ship names beside their symbols, a display option: never two names overlapping, the
// ships in an alarm and the selected ship placed first, then the others in table order
// until the chart has no room left. Names that do not fit are left out, never drawn over.
#include <cstdint>
#include <memory>

#include "chart/frame_context.h"

namespace aismon {

class TrafficWatch;

class NameLayer {
 public:
  void Draw(FrameContext& f, const TrafficWatch* watch, int32_t selectedShip);

 private:
  // Takes the cells under the box (work pixels) when all are free.
  bool Claim(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
  bool Free(int32_t x, int32_t y) const;
  void Place(FrameContext& f, int32_t slot);

  std::unique_ptr<uint8_t[]> cells_;  // 1 where a name or a symbol lies
  int32_t cols_ = 0;
  int32_t rows_ = 0;
};

}  // namespace aismon
