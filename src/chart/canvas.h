#pragma once
// The drawing surface every chart layer draws on: a 32-bit image (blue in the lowest
// byte, rows reachable directly) with a pen, a brush and a font that persist between
// calls and between frames, as the layers rely on. Antialiasing is off: the 2x2 averaging
// of the frame is the antialiasing. Text arrives as Shift-JIS and is converted here.
#include <QFont>
#include <QFontMetrics>
#include <QPointF>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "chart/clip.h"
#include "chart/item_cache.h"
#include "chart/line_span_cache.h"
#include "chart/pixel_target.h"
#include "chart/shape_words.h"
#include "chart/view_state.h"

namespace aismon {

enum class BrushStyle { Solid, Clear, DiagCross };

class Canvas {
 public:
  Canvas();
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  // Re-sizes the image (kept, never re-created); pen, brush and font survive.
  void Resize(int32_t width, int32_t height);
  // Lets a second thread share the writing out of batched rows (not owned; may be null).
  void SetRowSplitter(RowSplitter* split) { split_ = split; }
  int32_t Width() const { return image_.width(); }
  int32_t Height() const { return image_.height(); }
  // Direct access to row y (Width() pixels, 0xFFRRGGBB). Valid until the next Resize.
  uint32_t* Row(int32_t y) {
    SettleBatch();
    TouchAll();
    return reinterpret_cast<uint32_t*>(image_.scanLine(y));
  }
  // Row 0, for writing within the box x0 .. x1 - 1, y0 .. y1 - 1 only.
  uint32_t* RowsToWrite(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    SettleBatch();
    Touch(x0, y0, x1, y1);
    return reinterpret_cast<uint32_t*>(image_.scanLine(0));
  }
  const QImage& Image() const {
    SettleBatch();
    return image_;
  }
  // A colour as a pixel of the image. The top byte is set because the image format asks
  // for opaque pixels; readers of colours mask it off.
  static uint32_t Pixel(Rgb c) { return 0xFF000000u | (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b; }
  static Rgb ColorOf(uint32_t pixel) {
    return Rgb{static_cast<uint8_t>(pixel >> 16), static_cast<uint8_t>(pixel >> 8), static_cast<uint8_t>(pixel)};
  }
  Rgb PixelAt(int32_t x, int32_t y) const {
    SettleBatch();
    return ColorOf(reinterpret_cast<const uint32_t*>(image_.constScanLine(y))[x]);
  }
  // Points further than this outside the image are clipped away before the painter sees
  // them, so coordinates millions of pixels out neither overflow nor distort a shape.
  static constexpr int32_t kGuardMargin = 4096;

  // Between these, shapes drawn without the painter are collected row by row and written
  // out at the end (or before anything else reads or paints the image), so that a layer
  // painting large shapes over each other writes each row out once. Pairs may nest.
  void BeginBatch();
  void EndBatch();
  // Between these, shapes drawn without the painter are logged and then drawn by this
  // thread and the row splitter's helper at once, each writing only its own rows (every
  // row gets the same pixels, in the same order), at EndShared or before anything else
  // reads or paints the image. Without a splitter, inside a batch or an item, nothing
  // changes. For a layer of many small shapes drawn afresh: the ships of a moving view.
  void BeginShared();
  void EndShared();
  bool Sharing() const { return sharing_; }

  // Pen.
  void SetPenColor(Rgb c);
  void SetPenWidth(int w);
  Rgb PenColor() const { return penColor_; }
  int PenWidth() const { return penWidth_; }
  // Brush.
  void SetBrushColor(Rgb c);
  void SetBrushStyle(BrushStyle s);
  Rgb BrushColor() const { return brushColor_; }
  BrushStyle Brush() const { return brushStyle_; }
  // Font: face as Shift-JIS (e.g. "ＭＳ ゴシック", "Arial"; substituted by installed faces),
  // character height in pixels, or a size in points at 96 dpi.
  void SetFontFace(std::string_view faceSjis);
  void SetFontHeight(int pixels);
  void SetFontPoints(int points);
  void SetFontColor(Rgb c);
  Rgb FontColor() const { return fontColor_; }
  int FontHeight() const { return fontPixels_; }
  std::string_view FontFace() const { return faceSjis_; }

  // Pen, brush and font together, as one layer leaves them for the next.
  struct State {
    Rgb penColor;
    int penWidth = 1;
    Rgb brushColor;
    BrushStyle brushStyle = BrushStyle::Solid;
    std::string faceSjis;
    int fontPixels = 0;
    Rgb fontColor;
    friend bool operator==(const State&, const State&) = default;
  };
  State SavedState() const;
  void RestoreState(const State& s);
  // Every pixel from / into an image of the canvas's own size; two threads share the rows.
  void CopyPixelsFrom(const QImage& from);
  void CopyPixelsTo(QImage& to) const;

  // Shapes: outlined with the pen, filled with the brush (none when Clear).
  void Ellipse(int32_t x0, int32_t y0, int32_t x1, int32_t y1);  // bounding box, x1/y1 exclusive
  void Polygon(const PixelPoint* pts, int n);                    // even-odd fill, closed
  void FillPolygon(const PixelPoint* pts, int n);                // the same fill, no outline
  void Polyline(const PixelPoint* pts, int n);                   // open
  void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
  // The same line, drawn again frame after frame under key (0 .. keys - 1 of
  // KeepLines): a wide line whose shape is unchanged since its key last drew is written
  // from its kept spans.
  void KeptLine(int32_t key, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
  // Room for keys 0 .. keys - 1, made once; without it KeptLine is Line.
  void KeepLines(int32_t keys);
  // Discs of radius 2 or 3 in one colour, outline and fill alike (the wake dots). A
  // nonzero stamp names these very centres for good (no other set of centres ever gets
  // it): an item then keeps the stamp instead of the centres, which must stay where they
  // are until the item ends.
  void SmallDiscs(const PixelPoint* centres, int n, int32_t radius, Rgb colour, uint64_t stamp = 0);

  // Everything drawn between BeginItem(key) and EndItem() is one item kept under key
  // (0 .. keys - 1 of KeepItems): when the next frame's item under key asks for the same
  // shapes, their kept pixels are written again. Items are written out in order, two
  // threads sharing the rows, at FlushItems or before anything else touches the image.
  // An item that needs the painter is drawn at once and not kept. BeginItem returns false
  // (and then EndItem must not be called) without room for key or inside a batch.
  void KeepItems(int32_t keys, size_t runBudget = ItemCache::kRunBudget);
  bool BeginItem(int32_t key);
  void EndItem();
  void FlushItems();
  // A layer of items drawn over a picture (the ground) that has exactly the pixels of the
  // last layer's ground whenever `ground` is the same number: the picture the items made
  // is kept and only mended where they changed. Anything that makes the items be written
  // before EndItemLayer (the painter, reading rows) leaves the kept picture behind.
  // With groundPixels (rows of the canvas's width) the canvas does not show the ground
  // yet: it is put there from them, in the tiles that need it or whole before anything
  // else is drawn.
  void BeginItemLayer(uint64_t ground, const uint32_t* groundPixels = nullptr);
  void EndItemLayer();
  const ItemCache* Items() const { return items_.get(); }
  // The tiles of the image written since the last call (all when not known).
  void TakeChanges(TileChanges& out) {
    SettleBatch();
    if (items_ != nullptr)
      items_->TakeChanges(out);
    else
      out.all = true;
  }
  // Full or partial ellipse outline in the bounding box, counter-clockwise from the
  // direction of (sx, sy) to that of (ex, ey); equal points draw the whole ellipse.
  void Arc(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t sx, int32_t sy, int32_t ex, int32_t ey);
  void FillRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1);  // brush only, x1/y1 exclusive
  // Text with its top-left corner at (x, y); over a solid brush the text box gets the
  // brush colour as background, over a clear brush none.
  void TextOut(int32_t x, int32_t y, std::string_view sjis);
  int32_t TextWidth(std::string_view sjis);
  int32_t TextHeight(std::string_view sjis);

 private:
  void ApplyPen();
  void ApplyBrush();
  void ApplyFont();
  void Begin();
  const QString& Text(std::string_view sjis);
  bool InsideGuard(const PixelPoint* pts, int n) const;
  void DrawClippedPolyline(const PixelPoint* pts, int n);
  // The image's rows for the rasterisers that write into them directly (or the batch).
  PixelTarget Target();
  // Writes out what the items and the batch hold; const so that reads can see all that
  // was drawn.
  void SettleBatch() const {
    if (!sharedShapes_.empty()) const_cast<Canvas*>(this)->DrawShared();
    if (itemLogging_ || lazyGround_ != nullptr || ItemsWaiting()) const_cast<Canvas*>(this)->SettleItems();
    if (!batch_.Empty()) ApplyBatch();
  }
  void SettleItems();
  // Items ended but not yet written out: queued, or still to be recorded and queued.
  bool ItemsWaiting() const { return items_ != nullptr && (items_->AnyQueued() || !pendingItems_.empty()); }
  // Records the ended items' runs (two threads sharing the items), keeps and queues them in turn.
  void SettlePending();
  // The open item is drawn now, straight into the image, and not kept.
  void LeaveItem();
  // A shape as words: [operation, words, arguments...]; drawn now, or logged in an item.
  void Emit(const int32_t* words);
  // What is written straight into the image is told to the kept picture of the items.
  // Boxes reaching far outside come in wide and are cut to the image's reach.
  void Touch(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
    if (items_ == nullptr) return;
    auto cut = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, -1, INT32_MAX)); };
    items_->Touched(cut(x0), cut(y0), cut(x1), cut(y1));
  }
  void TouchAll() {
    if (items_ != nullptr) items_->TouchedAll();
  }
  void TouchWords(const int32_t* words);
  void TouchPoints(const PixelPoint* pts, int n);
  // The box x0 .. x1 - 1, y0 .. y1 - 1 (either corner first) and margin pixels round it.
  void TouchAround(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t margin);
  void Execute(const int32_t* words, const PixelTarget& target);
  void ExecuteLog(const std::vector<int32_t>& log, const PixelTarget& target);
  void DrawShared();
  PixelTarget RawTarget();
  void ApplyBatch() const;
  // Whether the pen and brush are ones the direct rasterisers draw exactly as the painter:
  // a one-pixel pen, and a solid or no brush.
  bool ThinPenPlainBrush() const { return penWidth_ == 1 && brushStyle_ != BrushStyle::DiagCross; }
  void ClipAndDrawPolygon(const PixelPoint* pts, int n, bool outline);
  void DrawPolygon(const PixelPoint* pts, int n, bool outline);
  void DrawPolyline(const PixelPoint* pts, int n);

  QImage image_;
  std::unique_ptr<QPainter> painter_;
  Rgb penColor_{0, 0, 0};
  int penWidth_ = 1;
  Rgb brushColor_{255, 255, 255};
  BrushStyle brushStyle_ = BrushStyle::Solid;
  std::string faceSjis_;
  int fontPixels_ = 16;
  Rgb fontColor_{0, 0, 0};
  struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  // Fonts built so far, by face and pixel height, with the metrics the canvas uses.
  struct BuiltFont {
    QFont font;
    QFontMetrics metrics;
    int32_t height;
    int32_t ascent;
  };
  std::unordered_map<std::string, BuiltFont, TextHash, std::equal_to<>> fonts_;
  std::string fontKey_;
  const BuiltFont* font_ = nullptr;  // the face and height set, once a text was drawn or measured
  const BuiltFont* painterFont_ = nullptr;  // the one the painter has
  bool fontDirty_ = true;                   // font_ is to be looked up again
  const BuiltFont& CurrentFont();
  // Texts as the painter sets them without antialiasing (each pixel the font colour or
  // untouched), as runs from the corner they are drawn at, by font and text: a chart of
  // many names asks the painter once for each name, not once a frame.
  struct TextRuns {
    std::vector<RowSpan> runs;
    bool usable = false;  // false: not set yet, or it reached past its room; the painter draws it
    // Set on its second drawing: a text drawn once (a clock, a position) is not worth it.
    bool tried = false;
  };
  std::unordered_map<std::string, TextRuns, TextHash, std::equal_to<>> textRuns_;
  size_t textRunsHeld_ = 0;  // runs in all of them
  std::string textRunsKey_;
  const TextRuns& RunsOfText(std::string_view sjis, const QString& text);
  void PaintText(int32_t x, int32_t y, std::string_view sjis, const QString& text);
  bool penDirty_ = true;
  bool brushDirty_ = true;
  // Clipping buffers, kept so that drawing allocates nothing once they have grown.
  PolygonClipper polygonClipper_;
  PolylineClipper polylineClipper_;
  // Direct rasterisers, with their buffers, and the helper thread's own.
  ShapeRasterisers raster_;
  std::unique_ptr<ShapeRasterisers> helperRaster_;
  std::unique_ptr<LineSpanCache> keptLines_;
  mutable RowBatch batch_;
  std::unique_ptr<ItemCache> items_;
  bool itemOpen_ = false;
  bool itemLayer_ = false;
  uint64_t itemGround_ = 0;
  const uint32_t* lazyGround_ = nullptr;  // the ground not yet put on the canvas
  void PutGround();
  bool itemLogging_ = false;
  int32_t itemKey_ = -1;
  std::vector<int32_t> itemLog_;
  // Ended items, in order: those whose shapes changed wait to be recorded, which is done
  // for many at once on two threads; the rest (and all of them after) wait their turn.
  struct PendingItem {
    int32_t key;
    int32_t log;  // into pendingLogs_; -1: the item holds its runs
    const PixelPoint* centres;
    int part;         // the thread that recorded it
    size_t prepared;  // its runs in that thread's preparedRuns_
  };
  std::vector<PendingItem> pendingItems_;
  std::vector<std::vector<int32_t>> pendingLogs_;  // buffers reused from frame to frame
  int32_t pendingLogCount_ = 0;
  std::vector<uint8_t> keyPending_;  // by key
  RunRecord pendingRuns_[2];         // by thread
  ItemCache::Prepared preparedRuns_[2];
  std::vector<int32_t> shapeWords_;  // a shape of many points being put into words
  const PixelPoint* stampedCentres_ = nullptr;  // the centres of the last stamped discs
  RowSplitter* split_ = nullptr;
  // Shapes logged for the two threads: each one's words and the rows it can reach.
  struct SharedShape {
    size_t at;
    int32_t top, bottom;  // bottom exclusive, within the image
  };
  bool sharing_ = false;
  std::vector<int32_t> sharedWords_;
  std::vector<SharedShape> sharedShapes_;
  std::vector<int32_t> sharedRows_;  // for splitting the rows evenly
  int batchDepth_ = 0;
  // Shift-JIS texts already converted: the same names and labels come back every frame.
  std::unordered_map<std::string, QString, TextHash, std::equal_to<>> textCache_;
  // Widths by face, pixel height and text.
  int32_t Advance(std::string_view sjis, const QString& text);
  std::unordered_map<std::string, int32_t, TextHash, std::equal_to<>> widthCache_;
  std::string widthKey_;
  QString scratch_;
};

}  // namespace aismon
