// The canvas's text: fonts by face and pixel height, Shift-JIS converted once, a text set
// by the painter until it comes again and from its kept runs after, and widths measured
// once per font and text.
#include <QPainter>
#include <QPen>
#include <QStringList>
#include <algorithm>
#include <string>

#include "chart/canvas.h"
#include "chart/canvas_words.h"
#include "text/sjis.h"

namespace aismon {

namespace {

constexpr size_t kTextCacheLimit = 8192;
constexpr size_t kFontCacheLimit = 64;
// Texts wider or taller than this (with their room) are left to the painter.
constexpr int64_t kTextRoomMax = 4096;
// Runs kept for texts (12 bytes each): thousands of named ships must not grow it without end.
constexpr size_t kTextRunsMax = size_t{1} << 20;

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

const Canvas::BuiltFont& Canvas::CurrentFont() {
  if (font_ != nullptr && !fontDirty_) return *font_;
  // The layers switch between a few faces and sizes many times a frame; each is built,
  // and its metrics asked (every query looks the font engine up again), once.
  fontKey_.assign(faceSjis_);
  fontKey_.push_back('\0');
  fontKey_.append(std::to_string(fontPixels_));
  auto it = fonts_.find(std::string_view(fontKey_));
  if (it == fonts_.end()) {
    if (fonts_.size() >= kFontCacheLimit) {
      fonts_.clear();
      painterFont_ = nullptr;
    }
    QFont font;
    font.setFamilies(FamiliesFor(faceSjis_));
    font.setPixelSize(fontPixels_ < 1 ? 1 : fontPixels_);
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    const QFontMetrics metrics(font);
    it = fonts_.emplace(fontKey_, BuiltFont{font, metrics, metrics.height(), metrics.ascent()}).first;
  }
  font_ = &it->second;
  fontDirty_ = false;
  return *font_;
}

void Canvas::ApplyFont() {
  Begin();
  CurrentFont();
  if (painterFont_ == font_) return;
  painter_->setFont(font_->font);
  painterFont_ = font_;
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
  const BuiltFont& font = CurrentFont();
  const QString& text = Text(sjis);
  const TextRuns& runs = RunsOfText(sjis, text);
  if (!runs.usable) {
    PaintText(x, y, sjis, text);
    return;
  }
  if (brushStyle_ == BrushStyle::Solid) {
    auto cutX = [this](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, -1, int64_t{Width()} + 1)); };
    auto cutY = [this](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, -1, int64_t{Height()} + 1)); };
    FillRect(cutX(x), cutY(y), cutX(int64_t{x} + Advance(sjis, text)), cutY(int64_t{y} + font.height));
  }
  shapeWords_.assign({canvas_words::kRuns, 4, canvas_words::Word(Pixel(fontColor_)), 0});
  int32_t count = 0;
  for (const RowSpan& r : runs.runs) {
    const int64_t yy = int64_t{y} + r.y;
    const int64_t x0 = std::max<int64_t>(int64_t{x} + r.x, 0);
    const int64_t x1 = std::min<int64_t>(int64_t{x} + r.x + r.n, Width());
    if (yy < 0 || yy >= Height() || x1 <= x0) continue;
    shapeWords_.insert(shapeWords_.end(),
                       {static_cast<int32_t>(yy), static_cast<int32_t>(x0), static_cast<int32_t>(x1 - x0)});
    ++count;
  }
  if (count == 0) return;
  shapeWords_[1] = static_cast<int32_t>(shapeWords_.size());
  shapeWords_[3] = count;
  Emit(shapeWords_.data());
}

void Canvas::PaintText(int32_t x, int32_t y, std::string_view sjis, const QString& text) {
  ApplyFont();
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

const Canvas::TextRuns& Canvas::RunsOfText(std::string_view sjis, const QString& text) {
  textRunsKey_.assign(fontKey_);
  textRunsKey_.push_back('\0');
  textRunsKey_.append(sjis);
  const auto found = textRuns_.find(std::string_view(textRunsKey_));
  if (found == textRuns_.end()) {
    if (textRuns_.size() >= kTextCacheLimit || textRunsHeld_ > kTextRunsMax) {
      textRuns_.clear();
      textRunsHeld_ = 0;
    }
    return textRuns_[textRunsKey_];  // drawn by the painter until it comes again
  }
  if (found->second.tried) return found->second;
  TextRuns& out = found->second;
  out.tried = true;
  // Set once by the painter, white on black, with a line's height of room all round: what
  // reaches the edge of the room may have been cut, and is left to the painter.
  const int32_t m = std::max(font_->height, 1);
  const int64_t w = int64_t{Advance(sjis, text)} + 2 * m, h = int64_t{3} * m;
  if (w > kTextRoomMax || h > kTextRoomMax) return out;
  QImage room(static_cast<int>(w), static_cast<int>(h), QImage::Format_RGB32);
  if (room.isNull()) return out;
  room.fill(0xFF000000u);
  {
    QPainter p(&room);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setFont(font_->font);
    p.setPen(QColor(255, 255, 255));
    p.drawText(m, m + font_->ascent, text);
  }
  for (int32_t y = 0; y < room.height(); ++y) {
    const uint32_t* row = reinterpret_cast<const uint32_t*>(room.constScanLine(y));
    for (int32_t x = 0; x < room.width();) {
      if ((row[x] & 0xFFFFFFu) == 0) {
        ++x;
        continue;
      }
      int32_t end = x + 1;
      while (end < room.width() && (row[end] & 0xFFFFFFu) != 0) ++end;
      if (y == 0 || y == room.height() - 1 || x == 0 || end == room.width()) {
        out.runs.clear();
        return out;
      }
      out.runs.push_back(RowSpan{y - m, x - m, end - x});
      x = end;
    }
  }
  textRunsHeld_ += out.runs.size();
  out.usable = true;
  return out;
}

int32_t Canvas::TextWidth(std::string_view sjis) {
  CurrentFont();
  return Advance(sjis, Text(sjis));
}

int32_t Canvas::TextHeight(std::string_view) { return CurrentFont().height; }

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
