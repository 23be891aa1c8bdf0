#pragma once
// Lines wider than one pixel with round caps, written straight into the rows of a 32-bit
// image and setting exactly the pixels the painter sets for such a pen: the same outline
// (the two sides offset by half the width, each cap two cubic quarter arcs built the same
// way), flattened into the same points, rounded to 26.6 and filled with the non-zero rule.
// The painter spends most of its time on the bookkeeping around this; here it is a few
// dozen points and one span per row.
#include <QLineF>
#include <QPointF>
#include <cstdint>
#include <vector>

#include "chart/span_fill.h"

namespace aismon {

class WideLine {
 public:
  // The line from (x0, y0) to (x1, y1), width pixels wide (2 or more); a line whose ends
  // coincide draws nothing, as with the painter. Coordinates within a few million pixels.
  void Draw(const PixelTarget& target, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int width, uint32_t pixel);
  // The spans Draw would set on an image of imageWidth x imageHeight, appended to out.
  void Spans(int32_t imageWidth, int32_t imageHeight, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int width,
             std::vector<RowSpan>& out);

 private:
  // The outline's edges, added to fill_; false for a line that draws nothing.
  bool Outline(int32_t imageWidth, int32_t imageHeight, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int width);
  void MoveTo(QPointF p);
  void LineTo(QPointF p);
  void CubicTo(QPointF c1, QPointF c2, QPointF e);
  void Cap(QPointF focal, const QLineF& next);

  // What the stroker emits: a move, lines and cubics, with the last two points kept for
  // the caps as the stroker keeps them.
  QPointF back1_, back2_;
  double offset_ = 0;
  // The flattened outline and its clip rectangle.
  std::vector<QPointF> outline_;
  double clipWidth_ = 0, clipHeight_ = 0;
  std::vector<FixedPoint> fixed_;
  SpanFill fill_;
};

}  // namespace aismon
