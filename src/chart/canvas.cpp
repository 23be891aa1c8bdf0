#include "chart/canvas.h"

#include <QPen>
#include <QPolygon>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "chart/canvas_words.h"
#include "chart/ellipse_fill.h"
#include "chart/row_split.h"
#include "chart/small_disc.h"
#include "chart/thin_line.h"

namespace aismon {

using namespace canvas_words;

namespace {

constexpr double kPi = 3.141592653589793;

QColor ToQColor(Rgb c) { return QColor(c.r, c.g, c.b); }

}  // namespace

Canvas::Canvas() : image_(1, 1, QImage::Format_RGB32) { image_.fill(0xFF000000u); }

Canvas::~Canvas() {
  if (painter_) painter_->end();
}

void Canvas::Resize(int32_t width, int32_t height) {
  if (width < 1) width = 1;
  if (height < 1) height = 1;
  if (width == image_.width() && height == image_.height()) return;
  SettleBatch();
  if (painter_) {
    painter_->end();
    painter_.reset();
  }
  image_ = QImage(width, height, QImage::Format_RGB32);
  image_.fill(0xFF000000u);
  TouchAll();
  if (batchDepth_ > 0) batch_.Start(width, height);
}

void Canvas::BeginBatch() {
  SettleItems();
  if (batchDepth_++ == 0) batch_.Start(image_.width(), image_.height());
}

void Canvas::EndBatch() {
  if (batchDepth_ > 0 && --batchDepth_ == 0) SettleBatch();
}

void Canvas::ApplyBatch() const {
  // The image is this canvas's own; reading it through a const canvas still has to show
  // what was drawn.
  QImage& image = const_cast<QImage&>(image_);
  batch_.Apply(reinterpret_cast<uint32_t*>(image.bits()), image.bytesPerLine() / 4, split_);
}

void Canvas::Begin() {
  // Whatever the painter draws goes over what was drawn before it.
  SettleBatch();
  if (!painter_) {
    painter_ = std::make_unique<QPainter>(&image_);
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setRenderHint(QPainter::TextAntialiasing, false);
    penDirty_ = brushDirty_ = true;
    painterFont_ = nullptr;
  }
  // Pen and brush reach the painter only when it draws: the direct rasterisers read them
  // from here, and a thousand ships change them many times a frame.
  if (penDirty_) ApplyPen();
  if (brushDirty_) ApplyBrush();
}

void Canvas::ApplyPen() {
  if (!painter_) return;
  penDirty_ = false;
  QPen pen(ToQColor(penColor_));
  pen.setWidth(penWidth_);
  pen.setStyle(Qt::SolidLine);
  // Wide pens end and join round, as a geometric pen of the original drawing surface does.
  pen.setCapStyle(penWidth_ > 1 ? Qt::RoundCap : Qt::SquareCap);
  pen.setJoinStyle(penWidth_ > 1 ? Qt::RoundJoin : Qt::MiterJoin);
  painter_->setPen(pen);
}

void Canvas::ApplyBrush() {
  if (!painter_) return;
  brushDirty_ = false;
  switch (brushStyle_) {
    case BrushStyle::Solid:
      painter_->setBrush(QBrush(ToQColor(brushColor_), Qt::SolidPattern));
      break;
    case BrushStyle::Clear:
      painter_->setBrush(Qt::NoBrush);
      break;
    case BrushStyle::DiagCross:
      painter_->setBrush(QBrush(ToQColor(brushColor_), Qt::DiagCrossPattern));
      break;
  }
}

void Canvas::SetPenColor(Rgb c) {
  if (c == penColor_) return;
  penColor_ = c;
  penDirty_ = true;
}
void Canvas::SetPenWidth(int w) {
  w = w < 1 ? 1 : w;
  if (w == penWidth_) return;
  penWidth_ = w;
  penDirty_ = true;
}
void Canvas::SetBrushColor(Rgb c) {
  if (c == brushColor_) return;
  brushColor_ = c;
  brushDirty_ = true;
}
void Canvas::SetBrushStyle(BrushStyle s) {
  if (s == brushStyle_) return;
  brushStyle_ = s;
  brushDirty_ = true;
}
void Canvas::SetFontFace(std::string_view faceSjis) {
  if (faceSjis_ == faceSjis) return;
  faceSjis_ = std::string(faceSjis);
  fontDirty_ = true;
}
void Canvas::SetFontHeight(int pixels) {
  if (pixels == fontPixels_) return;
  fontPixels_ = pixels;
  fontDirty_ = true;
}
void Canvas::SetFontPoints(int points) { SetFontHeight(static_cast<int>(std::lround(points * 96.0 / 72.0))); }
void Canvas::SetFontColor(Rgb c) { fontColor_ = c; }

Canvas::State Canvas::SavedState() const {
  return State{penColor_, penWidth_, brushColor_, brushStyle_, faceSjis_, fontPixels_, fontColor_};
}

void Canvas::RestoreState(const State& s) {
  SetPenColor(s.penColor);
  SetPenWidth(s.penWidth);
  SetBrushColor(s.brushColor);
  SetBrushStyle(s.brushStyle);
  SetFontFace(s.faceSjis);
  SetFontHeight(s.fontPixels);
  SetFontColor(s.fontColor);
}

namespace {

void CopyRows(const QImage& from, QImage& to, RowSplitter* split) {
  CopyPixelRows(reinterpret_cast<uint32_t*>(to.bits()), to.bytesPerLine() / 4,
                reinterpret_cast<const uint32_t*>(from.constBits()), from.bytesPerLine() / 4,
                std::min(from.width(), to.width()), std::min(from.height(), to.height()), split);
}

}  // namespace

void Canvas::CopyPixelsFrom(const QImage& from) {
  SettleBatch();
  TouchAll();
  CopyRows(from, image_, split_);
}

void Canvas::CopyPixelsTo(QImage& to) const {
  SettleBatch();
  CopyRows(image_, to, split_);
}

PixelTarget Canvas::RawTarget() {
  const bool batched = batchDepth_ > 0 && RowBatch::Fits(image_.width());
  return PixelTarget{reinterpret_cast<uint32_t*>(image_.bits()), image_.bytesPerLine() / 4, image_.width(),
                     image_.height(), batched ? &batch_ : nullptr, nullptr};
}

PixelTarget Canvas::Target() {
  if (!itemLogging_) PutGround();
  // Whatever is drawn now goes over the items drawn before it.
  if (!itemLogging_ && ItemsWaiting()) FlushItems();
  return RawTarget();
}

void Canvas::Ellipse(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  // The painter's box: x1 and y1 exclusive, and the outline covers its right and bottom.
  const int64_t w = int64_t{x1} - x0 - 1, h = int64_t{y1} - y0 - 1;
  const bool near = x0 > -kEllipseLimit && y0 > -kEllipseLimit && x1 < image_.width() + kEllipseLimit &&
                    y1 < image_.height() + kEllipseLimit;
  if (ThinPenPlainBrush() && near && w >= 1 && h >= 1 && w < kEllipseLimit && h < kEllipseLimit) {
    const int32_t words[] = {kEllipse,
                             9,
                             x0,
                             y0,
                             static_cast<int32_t>(w),
                             static_cast<int32_t>(h),
                             brushStyle_ == BrushStyle::Solid,
                             Word(Pixel(brushColor_)),
                             Word(Pixel(penColor_))};
    Emit(words);
    return;
  }
  Begin();
  TouchAround(x0, y0, x1, y1, penWidth_ + 1);
  painter_->drawEllipse(QRect(x0, y0, x1 - x0 - 1, y1 - y0 - 1));
}

bool Canvas::InsideGuard(const PixelPoint* pts, int n) const {
  const int32_t lo = -kGuardMargin;
  const int32_t hiX = image_.width() + kGuardMargin, hiY = image_.height() + kGuardMargin;
  for (int i = 0; i < n; ++i)
    if (pts[i].x < lo || pts[i].x > hiX || pts[i].y < lo || pts[i].y > hiY) return false;
  return true;
}

void Canvas::TouchPoints(const PixelPoint* pts, int n) {
  if (n <= 0 || items_ == nullptr || !items_->PictureInImage()) return;
  int32_t x0 = pts[0].x, y0 = pts[0].y, x1 = x0, y1 = y0;
  for (int i = 1; i < n; ++i) {
    x0 = std::min(x0, pts[i].x);
    x1 = std::max(x1, pts[i].x);
    y0 = std::min(y0, pts[i].y);
    y1 = std::max(y1, pts[i].y);
  }
  // Wide pens and their joins reach past the points.
  TouchAround(x0, y0, int64_t{x1} + 1, int64_t{y1} + 1, 2 * penWidth_ + 2);
}

void Canvas::TouchAround(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t margin) {
  Touch(std::min(x0, x1) - margin, std::min(y0, y1) - margin, std::max(x0, x1) + margin,
        std::max(y0, y1) + margin);
}

// Points within the guard: even-odd fill, then the closed one-pixel outline over it.
void Canvas::DrawPolygon(const PixelPoint* pts, int n, bool outline) {
  static_assert(sizeof(PixelPoint) == 2 * sizeof(int32_t));
  if (ThinPenPlainBrush()) {
    const int32_t* xy = reinterpret_cast<const int32_t*>(pts);
    shapeWords_.assign({kPolygon, 7 + 2 * n, brushStyle_ == BrushStyle::Solid, Word(Pixel(brushColor_)), outline,
                        Word(Pixel(penColor_)), n});
    shapeWords_.insert(shapeWords_.end(), xy, xy + 2 * n);
    Emit(shapeWords_.data());
    return;
  }
  Begin();
  TouchPoints(pts, n);
  static_assert(sizeof(PixelPoint) == sizeof(QPoint));
  if (!outline) painter_->setPen(Qt::NoPen);
  painter_->drawPolygon(reinterpret_cast<const QPoint*>(pts), n, Qt::OddEvenFill);
  if (!outline) ApplyPen();
}

// Points within the guard, as the painter's polyline.
void Canvas::DrawPolyline(const PixelPoint* pts, int n) {
  if (penWidth_ == 1) {
    const int32_t* xy = reinterpret_cast<const int32_t*>(pts);
    shapeWords_.assign({kThinPath, 5 + 2 * n, Word(Pixel(penColor_)), 0, n});
    shapeWords_.insert(shapeWords_.end(), xy, xy + 2 * n);
    Emit(shapeWords_.data());
    return;
  }
  if (n == 2) {
    // A two-point polyline strokes exactly as a line.
    const int32_t words[] = {kWideLine, 8, Word(Pixel(penColor_)), penWidth_, pts[0].x, pts[0].y, pts[1].x, pts[1].y};
    Emit(words);
    return;
  }
  Begin();
  TouchPoints(pts, n);
  painter_->drawPolyline(reinterpret_cast<const QPoint*>(pts), n);
}

void Canvas::Polygon(const PixelPoint* pts, int n) { ClipAndDrawPolygon(pts, n, true); }

void Canvas::FillPolygon(const PixelPoint* pts, int n) { ClipAndDrawPolygon(pts, n, false); }

void Canvas::ClipAndDrawPolygon(const PixelPoint* pts, int n, bool outline) {
  if (n < 2) return;
  if (InsideGuard(pts, n)) {
    DrawPolygon(pts, n, outline);
    return;
  }
  // Clipping against a convex box keeps the even-odd parity of every point inside it, and
  // the edges it adds run along the guard, outside the image.
  const std::vector<PixelPoint>& clipped = polygonClipper_.Clip(pts, n, GuardRect(Width(), Height(), kGuardMargin));
  if (clipped.size() < 3) return;
  DrawPolygon(clipped.data(), static_cast<int>(clipped.size()), outline);
}

void Canvas::DrawClippedPolyline(const PixelPoint* pts, int n) {
  polylineClipper_.Clip(pts, n, GuardRect(Width(), Height(), kGuardMargin));
  for (int k = 0; k < polylineClipper_.PieceCount(); ++k)
    DrawPolyline(polylineClipper_.Piece(k), polylineClipper_.PieceLength(k));
}

void Canvas::Polyline(const PixelPoint* pts, int n) {
  if (n < 2) return;
  if (InsideGuard(pts, n)) {
    DrawPolyline(pts, n);
    return;
  }
  DrawClippedPolyline(pts, n);
}

void Canvas::Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  const PixelPoint pts[2] = {{x0, y0}, {x1, y1}};
  if (!InsideGuard(pts, 2)) {
    DrawClippedPolyline(pts, 2);
    return;
  }
  if (penWidth_ == 1) {
    const int32_t words[] = {kThinLine, 7, Word(Pixel(penColor_)), x0, y0, x1, y1};
    Emit(words);
  } else {
    const int32_t words[] = {kWideLine, 8, Word(Pixel(penColor_)), penWidth_, x0, y0, x1, y1};
    Emit(words);
  }
}

void Canvas::KeepLines(int32_t keys) { keptLines_ = std::make_unique<LineSpanCache>(keys); }

void Canvas::KeptLine(int32_t key, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  const PixelPoint pts[2] = {{x0, y0}, {x1, y1}};
  if (keptLines_ == nullptr || penWidth_ < 2 || !InsideGuard(pts, 2) || key < 0 || key >= keptLines_->Keys()) {
    Line(x0, y0, x1, y1);
    return;
  }
  const int32_t words[] = {kKeptLine, 9, Word(Pixel(penColor_)), penWidth_, key, x0, y0, x1, y1};
  Emit(words);
}

void Canvas::SmallDiscs(const PixelPoint* centres, int n, int32_t radius, Rgb colour, uint64_t stamp) {
  if (n <= 0 || !SmallDiscRadius(radius)) return;
  // One set of stamped centres an item: a second goes in whole.
  // Shared shapes are drawn later, when the centres named may have moved on.
  if (stamp != 0 && !sharing_ && !(itemLogging_ && stampedCentres_ != nullptr)) {
    stampedCentres_ = centres;
    const int32_t words[] = {kStampedDiscs, 7, Word(Pixel(colour)), radius, n, static_cast<int32_t>(stamp),
                             static_cast<int32_t>(stamp >> 32)};
    Emit(words);
    return;
  }
  const int32_t* xy = reinterpret_cast<const int32_t*>(centres);
  shapeWords_.assign({kDiscs, 5 + 2 * n, Word(Pixel(colour)), radius, n});
  shapeWords_.insert(shapeWords_.end(), xy, xy + 2 * n);
  Emit(shapeWords_.data());
}

void Canvas::Arc(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t sx, int32_t sy, int32_t ex, int32_t ey) {
  const double cx = (x0 + x1) / 2.0, cy = (y0 + y1) / 2.0;
  const double a0 = std::atan2(cy - sy, sx - cx) * 180 / kPi;
  const double a1 = std::atan2(cy - ey, ex - cx) * 180 / kPi;
  double span = a1 - a0;
  if (span <= 0) span += 360;
  const int start = static_cast<int>(std::lround(a0 * 16)), sweep = static_cast<int>(std::lround(span * 16));
  // Whether the ring can be stroked directly is known only by stroking it.
  if (itemLogging_) LeaveItem();
  // A whole ellipse from angle 0 (the range rings) is stroked directly.
  const int64_t w = int64_t{x1} - x0 - 1, h = int64_t{y1} - y0 - 1;
  const bool near = x0 > -kEllipseLimit && y0 > -kEllipseLimit && x1 < image_.width() + kEllipseLimit &&
                    y1 < image_.height() + kEllipseLimit;
  TouchAround(x0, y0, x1, y1, penWidth_ + 1);
  if (penWidth_ == 1 && start == 0 && sweep == 360 * 16 && near && w >= 0 && h >= 0 &&
      ThinLine(Target(), Pixel(penColor_), true).Ring(x0, y0, static_cast<double>(w), static_cast<double>(h)))
    return;
  Begin();
  painter_->drawArc(QRect(x0, y0, x1 - x0 - 1, y1 - y0 - 1), start, sweep);
}

void Canvas::FillRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (brushStyle_ == BrushStyle::Clear) return;
  if (brushStyle_ == BrushStyle::Solid) {
    // Whole pixels of one colour: the rows themselves, no painter needed.
    x0 = std::clamp(x0, 0, image_.width());
    x1 = std::clamp(x1, 0, image_.width());
    y0 = std::clamp(y0, 0, image_.height());
    y1 = std::clamp(y1, 0, image_.height());
    if (x1 <= x0 || y1 <= y0) return;
    const int32_t words[] = {kRect, 7, Word(Pixel(brushColor_)), x0, y0, x1, y1};
    Emit(words);
    return;
  }
  Begin();
  // Clamped first: a rectangle far outside must not overflow the painter's arithmetic.
  x0 = std::clamp(x0, -1, image_.width() + 1);
  x1 = std::clamp(x1, -1, image_.width() + 1);
  y0 = std::clamp(y0, -1, image_.height() + 1);
  y1 = std::clamp(y1, -1, image_.height() + 1);
  if (x1 <= x0 || y1 <= y0) return;
  Touch(x0, y0, x1, y1);
  painter_->fillRect(QRect(x0, y0, x1 - x0, y1 - y0), painter_->brush());
}

}  // namespace aismon
