#pragma once
// Filled and outlined ellipses written straight into the rows of a 32-bit image, setting
// exactly the pixels the painter sets for an integer box with a one-pixel pen and no
// antialiasing: the integer midpoint algorithm, row by row, each row's fill first and its
// outline pixels over it.
#include <cstdint>

#include "chart/span_fill.h"

namespace aismon {

// The ellipse in the box of the painter's integer rectangle (x, y, w, h): the outline
// covers columns x .. x + w and rows y .. y + h. w and h at least 1 and below kEllipseLimit.
// fill: the brush pixel, or null for no fill.
void DrawEllipse(const PixelTarget& target, int32_t x, int32_t y, int32_t w, int32_t h, const uint32_t* fill,
                 uint32_t pen);

// Boxes this large, or further than this outside the image, are left to the painter.
inline constexpr int32_t kEllipseLimit = 1 << 14;

}  // namespace aismon
