#pragma once
// Rasterising one shape from the words the canvas logs it in, and the box of rows and
// columns it can write. Everything a shape needs is in its words (and, for stamped discs,
// the centres they name), so shapes can be rasterised later, or by another thread with
// rasterisers of its own.
#include <cstdint>
#include <vector>

#include "chart/line_span_cache.h"
#include "chart/pixel_target.h"
#include "chart/small_disc.h"
#include "chart/span_fill.h"
#include "chart/view_state.h"
#include "chart/wide_line.h"

namespace aismon {

// The rasterisers' buffers: one set for each thread that draws.
struct ShapeRasterisers {
  SpanFill spanFill;
  WideLine wideLine;
  std::vector<RowSpan> lineSpans;
  DiscScratch discScratch;
  // With collectLines, lines rasterised while the kept lines could only be read are
  // gathered here, for the one thread that may write them to keep afterwards.
  struct MissedLine {
    int32_t key;
    LineShape shape;
    size_t at, count;  // into missedSpans
  };
  bool collectLines = false;
  std::vector<MissedLine> missedLines;
  std::vector<RowSpan> missedSpans;
  void KeepMissedLines(LineSpanCache& keptLines);
};

// Draws the shape in words. Kept lines are looked up in keptLines (which may be null) and,
// with keepLines, stored there when missing; without it the cache is only read, so that
// several threads may draw at once.
void DrawShapeWords(const int32_t* words, const PixelTarget& target, ShapeRasterisers& r, LineSpanCache* keptLines,
                    bool keepLines, const PixelPoint* stampedCentres);

// The pixels the shape can write lie in x0 .. x1 - 1, y0 .. y1 - 1 (64-bit: the corners of
// a shape far out are reckoned wide). False for words of no known shape.
struct ShapeBox {
  int64_t x0, y0, x1, y1;
};
bool BoxOfShapeWords(const int32_t* words, const PixelPoint* stampedCentres, ShapeBox& box);

}  // namespace aismon
