#include "chart/wide_line.h"

#include <QRectF>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace aismon {

namespace {

// Control arm of a cubic quarter circle, per unit radius, as the painter builds its arcs.
constexpr double kKappa = 0.5522847498;
// How far a flattened curve may stray, in pixels.
constexpr double kFlatness = 0.25;

struct Bezier {
  double x1, y1, x2, y2, x3, y3, x4, y4;

  // de Casteljau halves: first to *a, second to *b (b may be this curve itself). Each
  // point's x and y take the same additions and halvings, two at a time where possible.
  void Split(Bezier* a, Bezier* b) const {
#if defined(__SSE2__)
    const __m128d half = _mm_set1_pd(.5);
    const __m128d p1 = _mm_loadu_pd(&x1), p2 = _mm_loadu_pd(&x2), p3 = _mm_loadu_pd(&x3), p4 = _mm_loadu_pd(&x4);
    const __m128d c = _mm_mul_pd(_mm_add_pd(p2, p3), half);
    const __m128d a2 = _mm_mul_pd(_mm_add_pd(p1, p2), half);
    const __m128d b3 = _mm_mul_pd(_mm_add_pd(p3, p4), half);
    const __m128d a3 = _mm_mul_pd(_mm_add_pd(a2, c), half);
    const __m128d b2 = _mm_mul_pd(_mm_add_pd(b3, c), half);
    const __m128d m = _mm_mul_pd(_mm_add_pd(a3, b2), half);
    _mm_storeu_pd(&a->x1, p1);
    _mm_storeu_pd(&a->x2, a2);
    _mm_storeu_pd(&a->x3, a3);
    _mm_storeu_pd(&a->x4, m);
    _mm_storeu_pd(&b->x1, m);
    _mm_storeu_pd(&b->x2, b2);
    _mm_storeu_pd(&b->x3, b3);
    _mm_storeu_pd(&b->x4, p4);
#else
    const double cx = (x2 + x3) * .5, cy = (y2 + y3) * .5;
    const double ax2 = (x1 + x2) * .5, ay2 = (y1 + y2) * .5;
    const double bx3 = (x3 + x4) * .5, by3 = (y3 + y4) * .5;
    const double ax1 = x1, ay1 = y1, bx4 = x4, by4 = y4;
    const double ax3 = (ax2 + cx) * .5, ay3 = (ay2 + cy) * .5;
    const double bx2 = (bx3 + cx) * .5, by2 = (by3 + cy) * .5;
    const double mx = (ax3 + bx2) * .5, my = (ay3 + by2) * .5;
    *a = Bezier{ax1, ay1, ax2, ay2, ax3, ay3, mx, my};
    *b = Bezier{mx, my, bx2, by2, bx3, by3, bx4, by4};
#endif
  }
};

// Appends the end points of the flat pieces of b, splitting until both control points
// lie close enough to the chord (measured as the painter measures it), at most 9 deep.
void Flatten(const Bezier& bezier, std::vector<QPointF>& out) {
  Bezier stack[10];
  int levels[10];
  stack[0] = bezier;
  levels[0] = 9;
  Bezier* b = stack;
  int* lvl = levels;
  while (b >= stack) {
    const double y4y1 = b->y4 - b->y1;
    const double x4x1 = b->x4 - b->x1;
    double l = std::abs(x4x1) + std::abs(y4y1);
    double d;
    if (l > 1.) {
      d = std::abs((x4x1) * (b->y1 - b->y2) - (y4y1) * (b->x1 - b->x2)) +
          std::abs((x4x1) * (b->y1 - b->y3) - (y4y1) * (b->x1 - b->x3));
    } else {
      d = std::abs(b->x1 - b->x2) + std::abs(b->y1 - b->y2) + std::abs(b->x1 - b->x3) + std::abs(b->y1 - b->y3);
      l = 1.;
    }
    if (d < kFlatness * l || *lvl == 0) {
      out.emplace_back(b->x4, b->y4);
      --b;
      --lvl;
    } else {
      // The first half goes on top of the stack, the second stays below it.
      b->Split(b + 1, b);
      lvl[1] = --lvl[0];
      ++b;
      ++lvl;
    }
  }
}

}  // namespace

void WideLine::MoveTo(QPointF p) {
  back2_ = back1_;
  back1_ = p;
  outline_.push_back(p);
}

void WideLine::LineTo(QPointF p) {
  back2_ = back1_;
  back1_ = p;
  outline_.push_back(p);
}

void WideLine::CubicTo(QPointF c1, QPointF c2, QPointF e) {
  // The direction at the end, as the stroker keeps it for what follows.
  if (c2.x() == e.x() && c2.y() == e.y()) {
    if (c1.x() == e.x() && c1.y() == e.y()) {
      back2_ = back1_;
    } else {
      back2_ = c1;
    }
  } else {
    back2_ = c2;
  }
  back1_ = e;
  const QPointF s = outline_.back();
  const Bezier b{s.x(), s.y(), c1.x(), c1.y(), c2.x(), c2.y(), e.x(), e.y()};
  const QRectF clip(0, 0, clipWidth_, clipHeight_);
  bool outside = false;
  // The end point outside the image (edges included, as the rectangle test has it).
  if (e.x() < 0 || e.x() > clipWidth_ || e.y() < 0 || e.y() > clipHeight_) {
    const double left = std::min({b.x1, b.x2, b.x3, b.x4}), right = std::max({b.x1, b.x2, b.x3, b.x4});
    const double top = std::min({b.y1, b.y2, b.y3, b.y4}), bottom = std::max({b.y1, b.y2, b.y3, b.y4});
    outside = !QRectF(left, top, right - left, bottom - top).intersects(clip);
  }
  // A curve wholly outside the image is only its chord: nothing of it shows.
  if (outside) {
    outline_.push_back(e);
  } else {
    Flatten(b, outline_);
  }
}

// A round cap around focal, from the side just drawn over to the start of next: two
// cubic quarter arcs.
void WideLine::Cap(QPointF focal, const QLineF& next) {
  if (qFuzzyCompare(back1_.x(), next.x1()) && qFuzzyCompare(back1_.y(), next.y1())) return;
  const QLineF prev(back2_, back1_);
  QLineF l1 = prev;
  const double dp = QPointF::dotProduct(QPointF(prev.dx(), prev.dy()), QPointF(next.dx(), next.dy()));
  if (dp > 0) {
    l1 = QLineF(prev.p2(), prev.p1());
  } else {
    l1.translate(l1.dx(), l1.dy());
  }
  l1.setLength(kKappa * offset_);
  QLineF l2(focal.x(), focal.y(), prev.x2(), prev.y2());
  l2.translate(-l2.dy(), l2.dx());
  l2.setLength(kKappa * offset_);
  CubicTo(l1.p2(), l2.p2(), l2.p1());
  l2 = QLineF(l2.x1(), l2.y1(), l2.x1() - l2.dx(), l2.y1() - l2.dy());
  l1.translate(next.x1() - l1.x1(), next.y1() - l1.y1());
  CubicTo(l2.p2(), l1.p2(), l1.p1());
}

bool WideLine::Outline(int32_t imageWidth, int32_t imageHeight, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                       int width) {
  if (x0 == x1 && y0 == y1) return false;
  offset_ = width / 2.0;
  clipWidth_ = imageWidth;
  clipHeight_ = imageHeight;
  outline_.clear();
  back1_ = back2_ = QPointF();
  const QPointF p1(x0, y0), p2(x1, y1);

  // One side, offset to the left of the direction of travel.
  QLineF forward(p1, p2);
  QLineF normal = forward.normalVector();
  normal.setLength(offset_);
  forward.translate(normal.dx(), normal.dy());
  MoveTo(forward.p1());
  LineTo(forward.p2());
  // Round the far end onto the other side, back along it, and round the near end.
  QLineF backward(p2, p1);
  normal = backward.normalVector();
  normal.setLength(offset_);
  backward.translate(normal.dx(), normal.dy());
  Cap(p2, backward);
  LineTo(backward.p2());
  Cap(p1, forward);

  if (outline_.back() != outline_.front()) outline_.push_back(outline_.front());
  fixed_.clear();
  for (const QPointF& p : outline_) fixed_.push_back(FixedPoint{qRound(p.x() * 64), qRound(p.y() * 64)});
  fill_.Begin(imageWidth, imageHeight);
  for (size_t i = 0; i + 1 < fixed_.size(); ++i) fill_.AddEdge(fixed_[i], fixed_[i + 1]);
  return true;
}

void WideLine::Draw(const PixelTarget& target, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int width,
                    uint32_t pixel) {
  if (Outline(target.width, target.height, x0, y0, x1, y1, width)) fill_.Fill(target, FillRule::Winding, pixel);
}

void WideLine::Spans(int32_t imageWidth, int32_t imageHeight, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                     int width, std::vector<RowSpan>& out) {
  if (Outline(imageWidth, imageHeight, x0, y0, x1, y1, width)) fill_.FillSpans(FillRule::Winding, out);
}

}  // namespace aismon
