#pragma once
// One-pixel lines, polylines and polygon outlines written straight into the rows of a
// 32-bit image, setting exactly the pixels the painter's aliased one-pixel pen sets: the
// same 26.6 fixed-point stepping along the major axis, the same half-pixel extension of
// square caps, the same care at the joints (no pixel twice, no gap where the direction
// turns), and the same clipping one pixel outside the image.
#include <cstdint>

#include "chart/span_fill.h"

namespace aismon {

class ThinLine {
 public:
  // squareCaps: the ends of open lines reach half a pixel further (square cap) rather than
  // stopping at the end point (flat cap).
  ThinLine(const PixelTarget& target, uint32_t pixel, bool squareCaps);

  // A single line from (x0, y0) to (x1, y1); equal points set one pixel.
  void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
  // The polyline through xy (x, y pairs), n >= 2 points; closed adds the edge back to the
  // first point, as a polygon's outline has. An open polyline that ends where it starts
  // counts as closed (no caps), as it does for the painter.
  void Path(const int32_t* xy, int n, bool closed);
  // The whole outline of the ellipse in the box (x, y, w, h) as the painter strokes a
  // full-turn arc from angle 0: four cubic quarters from the right-hand point, each halved
  // until flat (at most six times). Returns false, drawing nothing, for a box whose arc
  // would not close exactly (the painter then strokes it with caps).
  bool Ring(double x, double y, double w, double h);

 private:
  enum Direction { kNoDirection = 0, kTopToBottom = 1, kBottomToTop = 2, kLeftToRight = 4, kRightToLeft = 8 };
  enum Caps { kNoCaps = 0, kCapBegin = 1, kCapEnd = 2 };
  struct Point {
    int32_t x, y;
  };

  struct CurvePoint {
    double x, y;
  };
  void Cubic(CurvePoint* points, int level);
  bool ClipLine(double& x1, double& y1, double& x2, double& y2);
  void LastPointOf(double x1, double y1, double x2, double y2);
  bool Stroke(double x1, double y1, double x2, double y2, int caps);
  // The segment between 26.6 end points already inside the clipping bounds.
  bool StrokeFixed(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int caps, bool didDraw);
  // Whether the clipping one pixel outside the image leaves all n points alone.
  bool Unclipped(const int32_t* xy, int n) const;
  void Plot(int32_t x, int32_t y) {
    if (static_cast<uint32_t>(x) >= static_cast<uint32_t>(target_.width) ||
        static_cast<uint32_t>(y) >= static_cast<uint32_t>(target_.height))
      return;
    if (target_.DirectRows(y, y + 1)) {
      target_.Row(y)[x] = pixel_;
    } else {
      target_.Put(y, x, 1, pixel_);
    }
  }

  // Pixels x0 .. x1 - 1 of row y, the part inside the image.
  void Span(int32_t y, int32_t x0, int32_t x1) {
    if (static_cast<uint32_t>(y) >= static_cast<uint32_t>(target_.height)) return;
    if (x0 < 0) x0 = 0;
    if (x1 > target_.width) x1 = target_.width;
    if (x1 > x0) target_.Put(y, x0, x1 - x0, pixel_);
  }

  PixelTarget target_;
  uint32_t pixel_;
  bool caps_;
  double xmin_, xmax_, ymin_, ymax_;
  Point lastPixel_{-1, -1};
  int lastDir_ = kNoDirection;
  bool lastAxisAligned_ = false;
};

}  // namespace aismon
