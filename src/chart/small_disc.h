#pragma once
// The small one-coloured discs of the wakes (radius 2 or 3), set exactly as the painter
// sets Ellipse(x - r, y - r, x + r, y + r) with a one-pixel pen of the fill's colour.
// Tens of thousands are drawn in a frame, far too many for the painter.
#include <cstdint>
#include <vector>

#include "chart/span_fill.h"
#include "chart/view_state.h"

namespace aismon {

// False, drawing nothing, for a radius it has no shape for.
bool PaintSmallDisc(const PixelTarget& target, int32_t x, int32_t y, int32_t radius, uint32_t pixel);
// Buffers for recording many discs, kept between calls.
struct DiscScratch {
  std::vector<RowSpan> spans;
  std::vector<uint64_t> masks;
};
// Many discs of one colour and radius. Recorded, they come out as the union of their rows
// (the same pixels in one colour, whatever the order), row after row.
void PaintSmallDiscs(const PixelTarget& target, const PixelPoint* centres, int n, int32_t radius, uint32_t pixel,
                     DiscScratch& scratch);
bool SmallDiscRadius(int32_t radius);

}  // namespace aismon
