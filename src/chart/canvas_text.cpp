// The canvas's text: fonts by face and pixel height, Shift-JIS converted once, text drawn
// by the painter and widths measured once per font and text.
#include <QPen>
#include <QStringList>
#include <string>

#include "chart/canvas.h"
#include "text/sjis.h"

namespace aismon {

namespace {

constexpr size_t kTextCacheLimit = 8192;
constexpr size_t kFontCacheLimit = 64;

QColor ToQColor(Rgb c) { return QColor(c.r, c.g, c.b); }

// The faces the program asks for, and what stands in for them here.
QStringList FamiliesFor(const std::string& faceSjis) {
  const std::string face = ShiftJisToUtf8(faceSjis);
  if (face == "Arial") return {"Arial", "Liberation Sans", "Nimbus Sans", "DejaVu Sans"};
  if (face.empty() || face == "ＭＳ ゴシック" || face == "MS Gothic")
    return {"IPAGothic", "IPAPGothic", "Noto Sans CJK JP", "VL Gothic", "DejaVu Sans"};
  return {QString::fromStdString(face), "IPAGothic", "DejaVu Sans"};
}

bool IsAscii(std::string_view s) {
  for (const char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

}  // namespace

void Canvas::ApplyFont() {
  Begin();
  if (!fontDirty_) return;
  // The layers switch between a few faces and sizes many times a frame; each is built,
  // and its metrics asked (every query looks the font engine up again), once.
  fontKey_.assign(faceSjis_);
  fontKey_.push_back('\0');
  fontKey_.append(std::to_string(fontPixels_));
  auto it = fonts_.find(std::string_view(fontKey_));
  if (it == fonts_.end()) {
    if (fonts_.size() >= kFontCacheLimit) fonts_.clear();
    QFont font;
    font.setFamilies(FamiliesFor(faceSjis_));
    font.setPixelSize(fontPixels_ < 1 ? 1 : fontPixels_);
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    const QFontMetrics metrics(font);
    it = fonts_.emplace(fontKey_, BuiltFont{font, metrics, metrics.height(), metrics.ascent()}).first;
  }
  font_ = &it->second;
  painter_->setFont(font_->font);
  fontDirty_ = false;
}

const QString& Canvas::Text(std::string_view sjis) {
  if (IsAscii(sjis)) {
    scratch_ = QString::fromLatin1(sjis.data(), static_cast<qsizetype>(sjis.size()));
    return scratch_;
  }
  const auto it = textCache_.find(sjis);
  if (it != textCache_.end()) return it->second;
  if (textCache_.size() >= kTextCacheLimit) textCache_.clear();
  return textCache_.emplace(std::string(sjis), QString::fromStdString(ShiftJisToUtf8(sjis))).first->second;
}

void Canvas::TextOut(int32_t x, int32_t y, std::string_view sjis) {
  if (sjis.empty()) return;
  ApplyFont();
  const QString& text = Text(sjis);
  if (items_ != nullptr && items_->PictureInImage()) {
    // Glyphs may reach past their advance and their line: a line's height all round.
    const int32_t h = font_->height;
    Touch(int64_t{x} - h, int64_t{y} - h, int64_t{x} + Advance(sjis, text) + h, int64_t{y} + 2 * h);
  }
  if (brushStyle_ == BrushStyle::Solid)
    painter_->fillRect(QRect(x, y, Advance(sjis, text), font_->height), ToQColor(brushColor_));
  const QPen pen = painter_->pen();
  painter_->setPen(ToQColor(fontColor_));
  painter_->drawText(x, y + font_->ascent, text);
  painter_->setPen(pen);
}

int32_t Canvas::TextWidth(std::string_view sjis) {
  ApplyFont();
  return Advance(sjis, Text(sjis));
}

int32_t Canvas::TextHeight(std::string_view) {
  ApplyFont();
  return font_->height;
}

// The width of a text in the current font; the same labels are measured every frame, in
// a handful of fonts, and each measurement costs the painter a font-engine lookup.
int32_t Canvas::Advance(std::string_view sjis, const QString& text) {
  widthKey_.assign(faceSjis_);
  widthKey_.push_back('\0');
  widthKey_.append(std::to_string(fontPixels_));
  widthKey_.push_back('\0');
  widthKey_.append(sjis);
  const auto it = widthCache_.find(std::string_view(widthKey_));
  if (it != widthCache_.end()) return it->second;
  if (widthCache_.size() >= kTextCacheLimit) widthCache_.clear();
  const int32_t width = font_->metrics.horizontalAdvance(text);
  widthCache_.emplace(widthKey_, width);
  return width;
}

}  // namespace aismon
