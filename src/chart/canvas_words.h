#pragma once
// The words a canvas logs a shape in, shared by the canvas's drawing and its items:
// [operation, words, arguments...], pixels as 32-bit words.
#include <cstdint>

namespace aismon::canvas_words {

enum Op : int32_t {
  kEllipse = 1,  // x, y, w, h, filled, fill, pen
  kPolygon,      // filled, fill, outlined, pen, n, n points
  kThinPath,     // pen, closed, n, n points
  kThinLine,     // pen, x0, y0, x1, y1
  kWideLine,     // pixel, width, x0, y0, x1, y1
  kKeptLine,     // pixel, width, key, x0, y0, x1, y1
  kRect,         // pixel, x0, y0, x1, y1
  kDiscs,        // pixel, radius, n, n points
  kStampedDiscs, // pixel, radius, n, stamp low, stamp high (the centres are stampedCentres_)
  kRuns,         // pixel, n, n runs of y, x, count (inside the image)
};

inline int32_t Word(uint32_t pixel) { return static_cast<int32_t>(pixel); }
inline uint32_t PixelOf(int32_t word) { return static_cast<uint32_t>(word); }

}  // namespace aismon::canvas_words
