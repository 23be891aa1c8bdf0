#include "chart/canvas.h"

#include <QFontMetrics>
#include <QPen>
#include <QPolygon>
#include <QStringList>
#include <cmath>
#include <vector>

#include "text/sjis.h"

namespace aismon {

namespace {

QColor ToQColor(Rgb c) { return QColor(c.r, c.g, c.b); }

QString FromSjis(std::string_view sjis) { return QString::fromStdString(ShiftJisToUtf8(sjis)); }

// The faces the program asks for, and what stands in for them here.
QStringList FamiliesFor(const std::string& faceSjis) {
  const std::string face = ShiftJisToUtf8(faceSjis);
  if (face == "Arial") return {"Arial", "Liberation Sans", "Nimbus Sans", "DejaVu Sans"};
  if (face.empty() || face == "ＭＳ ゴシック" || face == "MS Gothic")
    return {"IPAGothic", "IPAPGothic", "Noto Sans CJK JP", "VL Gothic", "DejaVu Sans"};
  return {QString::fromStdString(face), "IPAGothic", "DejaVu Sans"};
}

}  // namespace

Canvas::Canvas() : image_(1, 1, QImage::Format_RGB32) { image_.fill(0); }

Canvas::~Canvas() {
  if (painter_) painter_->end();
}

void Canvas::Resize(int32_t width, int32_t height) {
  if (width < 1) width = 1;
  if (height < 1) height = 1;
  if (width == image_.width() && height == image_.height()) return;
  if (painter_) {
    painter_->end();
    painter_.reset();
  }
  image_ = QImage(width, height, QImage::Format_RGB32);
  image_.fill(0);
}

void Canvas::Begin() {
  if (painter_) return;
  painter_ = std::make_unique<QPainter>(&image_);
  painter_->setRenderHint(QPainter::Antialiasing, false);
  painter_->setRenderHint(QPainter::TextAntialiasing, false);
  ApplyPen();
  ApplyBrush();
  fontDirty_ = true;
}

void Canvas::ApplyPen() {
  if (!painter_) return;
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

void Canvas::ApplyFont() {
  Begin();
  if (!fontDirty_) return;
  font_ = QFont();
  font_.setFamilies(FamiliesFor(faceSjis_));
  font_.setPixelSize(fontPixels_ < 1 ? 1 : fontPixels_);
  font_.setStyleStrategy(QFont::NoAntialias);
  font_.setHintingPreference(QFont::PreferFullHinting);
  painter_->setFont(font_);
  fontDirty_ = false;
}

void Canvas::SetPenColor(Rgb c) {
  penColor_ = c;
  ApplyPen();
}
void Canvas::SetPenWidth(int w) {
  penWidth_ = w < 1 ? 1 : w;
  ApplyPen();
}
void Canvas::SetBrushColor(Rgb c) {
  brushColor_ = c;
  ApplyBrush();
}
void Canvas::SetBrushStyle(BrushStyle s) {
  brushStyle_ = s;
  ApplyBrush();
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

void Canvas::Ellipse(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  Begin();
  painter_->drawEllipse(QRect(x0, y0, x1 - x0 - 1, y1 - y0 - 1));
}

void Canvas::Polygon(const PixelPoint* pts, int n) {
  if (n < 2) return;
  Begin();
  static_assert(sizeof(PixelPoint) == sizeof(QPoint));
  painter_->drawPolygon(reinterpret_cast<const QPoint*>(pts), n, Qt::OddEvenFill);
}

void Canvas::Polyline(const PixelPoint* pts, int n) {
  if (n < 2) return;
  Begin();
  painter_->drawPolyline(reinterpret_cast<const QPoint*>(pts), n);
}

void Canvas::Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  Begin();
  painter_->drawLine(x0, y0, x1, y1);
}

void Canvas::Arc(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t sx, int32_t sy, int32_t ex, int32_t ey) {
  Begin();
  const QRect box(x0, y0, x1 - x0 - 1, y1 - y0 - 1);
  const double cx = (x0 + x1) / 2.0, cy = (y0 + y1) / 2.0;
  const double a0 = std::atan2(cy - sy, sx - cx) * 180 / M_PI;
  const double a1 = std::atan2(cy - ey, ex - cx) * 180 / M_PI;
  double span = a1 - a0;
  if (span <= 0) span += 360;
  painter_->drawArc(box, static_cast<int>(std::lround(a0 * 16)), static_cast<int>(std::lround(span * 16)));
}

void Canvas::FillRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (brushStyle_ == BrushStyle::Clear) return;
  Begin();
  painter_->fillRect(QRect(x0, y0, x1 - x0, y1 - y0), painter_->brush());
}

void Canvas::TextOut(int32_t x, int32_t y, std::string_view sjis) {
  if (sjis.empty()) return;
  ApplyFont();
  const QString text = FromSjis(sjis);
  const QFontMetrics m(font_);
  if (brushStyle_ == BrushStyle::Solid)
    painter_->fillRect(QRect(x, y, m.horizontalAdvance(text), m.height()), ToQColor(brushColor_));
  const QPen pen = painter_->pen();
  painter_->setPen(ToQColor(fontColor_));
  painter_->drawText(x, y + m.ascent(), text);
  painter_->setPen(pen);
}

int32_t Canvas::TextWidth(std::string_view sjis) {
  ApplyFont();
  return QFontMetrics(font_).horizontalAdvance(FromSjis(sjis));
}

int32_t Canvas::TextHeight(std::string_view) {
  ApplyFont();
  return QFontMetrics(font_).height();
}

}  // namespace aismon
