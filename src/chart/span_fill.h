#pragma once
// Filling of polygons into the rows of a 32-bit image, setting exactly the pixels
// the painter's aliased rasteriser sets: a pixel is filled when its centre lies inside by
// the fill rule, the edges are stepped in the same 16.16 fixed point from vertices given
// in 26.6 fixed point, and edges beyond the left or right border are folded onto it the
// same way. Buffers are kept between calls and only grow. Nothing is written outside the
// image; vertices must lie within a few million pixels of it (the canvas clips far shapes
// to its guard first), or the fixed-point products overflow.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "chart/pixel_target.h"

namespace aismon {

// A point in 26.6 fixed point (1/64 pixel).
struct FixedPoint {
  int64_t x;
  int64_t y;
};

enum class FillRule { EvenOdd, Winding };

// Pixels x .. x + n - 1 of row y: what a fill sets, kept to be written again later.
struct RowSpan {
  int32_t y;
  int32_t x;
  int32_t n;
};

class SpanFill {
 public:
  // Starts a shape to be drawn on an image of the given size.
  void Begin(int32_t width, int32_t height);
  // Adds one edge; the direction matters for the winding rule only.
  void AddEdge(FixedPoint a, FixedPoint b);
  // Adds the closed contour through pts[0..n-1].
  void AddContour(const FixedPoint* pts, int n);
  // Fills what was added with one pixel value and forgets the shape.
  void Fill(const PixelTarget& target, FillRule rule, uint32_t pixel);
  // The same, appending the spans it would set, in the order it would set them, to out
  // instead of writing them.
  void FillSpans(FillRule rule, std::vector<RowSpan>& out);

  // Fills the closed polygon through integer pixel corners pts (x, y pairs), n points.
  void FillPolygon(const PixelTarget& target, const int32_t* xy, int n, FillRule rule, uint32_t pixel);

 private:
  struct Edge {
    int64_t x;      // 16.16 at the centre of row top
    int64_t delta;  // per row
    int32_t top;
    int32_t bottom;  // inclusive
    int32_t winding;
  };
  struct Crossing {
    int32_t x;
    int32_t winding;
  };
  bool FoldAt(int64_t& x, int32_t& top, int32_t& bottom, int64_t slope, int64_t edge, int32_t winding);
  void Add(int64_t x, int64_t delta, int32_t top, int32_t bottom, int32_t winding);
  // Sink: where the spans go (the image, or a list); Put(y, x, n).
  template <class Sink>
  void Scan(FillRule rule, Sink& sink);
  template <class Sink>
  void Row(Sink& sink, int32_t y, int32_t mask);
  template <class Sink>
  void TwoEdgeRows(Sink& sink, int32_t y, int32_t last, int32_t mask);
  void SortByTop();

  int32_t width_ = 0;
  int32_t height_ = 0;
  int64_t leftFP_ = 0;
  int64_t rightFP_ = 0;
  std::vector<Edge> edges_;
  std::vector<Edge> sorted_;
  std::vector<int32_t> starts_;
  std::vector<Edge*> active_;
  std::vector<Crossing> crossings_;
};

}  // namespace aismon
