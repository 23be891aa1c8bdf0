#include "chart/name_layer.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "chart/canvas.h"
#include "shipdb/ship_table.h"
#include "watch/traffic_watch.h"

namespace aismon {

namespace {

constexpr int32_t kCell = 8;  // work pixels per occupancy cell
constexpr Rgb kNameColour{220, 220, 220};

// The name as received, without AIS padding; empty when none.
std::string_view NameOf(const DbStatic& s) {
  size_t n = 0;
  while (n < sizeof s.Name && s.Name[n] != '\0') ++n;
  while (n > 0 && (s.Name[n - 1] == ' ' || s.Name[n - 1] == '@')) --n;
  return {s.Name, n};
}

}  // namespace

bool NameLayer::Free(int32_t x, int32_t y) const {
  const int32_t cx = x / kCell, cy = y / kCell;
  return cx >= 0 && cy >= 0 && cx < cols_ && cy < rows_ && cells_[static_cast<size_t>(cy * cols_ + cx)] == 0;
}

bool NameLayer::Claim(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (x0 < 0 || y0 < 0) return false;
  const int32_t c0 = x0 / kCell, r0 = y0 / kCell, c1 = (x1 - 1) / kCell, r1 = (y1 - 1) / kCell;
  if (c1 >= cols_ || r1 >= rows_) return false;  // a name that would leave the chart
  for (int32_t r = r0; r <= r1; ++r)
    for (int32_t c = c0; c <= c1; ++c)
      if (cells_[static_cast<size_t>(r * cols_ + c)] != 0) return false;
  for (int32_t r = r0; r <= r1; ++r)
    std::memset(&cells_[static_cast<size_t>(r * cols_ + c0)], 1, static_cast<size_t>(c1 - c0 + 1));
  return true;
}

void NameLayer::Place(FrameContext& f, int32_t slot) {
  const PixelPoint p = f.screenPositions[slot];
  if (p.x == kNotDrawn) return;
  const DbDynamic* e = f.table.Entry(slot);
  if (e == nullptr) return;
  const std::string_view name = NameOf(f.table.StaticOf(e->Link));
  if (name.empty()) return;
  const int32_t x0 = p.x + f.view.symbolSize + kCell;  // clear of its own symbol's cells
  const int32_t h = std::abs(f.canvas.FontHeight());
  const int32_t y0 = p.y - h / 2;
  if (!Free(x0, y0)) return;  // the cheap refusal before the text is measured
  const int32_t w = f.canvas.TextWidth(name);
  if (!Claim(x0, y0, x0 + w, y0 + h)) return;
  f.canvas.TextOut(x0, y0, name);
}

void NameLayer::Draw(FrameContext& f, const TrafficWatch* watch, int32_t selectedShip) {
  Canvas& c = f.canvas;
  const int32_t cols = (c.Width() + kCell - 1) / kCell, rows = (c.Height() + kCell - 1) / kCell;
  if (cols != cols_ || rows != rows_ || cells_ == nullptr) {
    cols_ = cols;
    rows_ = rows;
    cells_ = std::make_unique<uint8_t[]>(static_cast<size_t>(cols_) * static_cast<size_t>(rows_));
  }
  std::memset(cells_.get(), 0, static_cast<size_t>(cols_) * static_cast<size_t>(rows_));
  const int32_t entries = f.table.DynamicCount();
  // Symbols are not covered by other ships' names.
  const int32_t half = f.view.symbolSize;
  for (int32_t slot = 0; slot < entries; ++slot) {
    const PixelPoint p = f.screenPositions[slot];
    if (p.x == kNotDrawn) continue;
    const int32_t x0 = std::max(0, p.x - half), y0 = std::max(0, p.y - half);
    const int32_t c0 = x0 / kCell, r0 = y0 / kCell;
    const int32_t c1 = std::min(cols_ - 1, (p.x + half) / kCell), r1 = std::min(rows_ - 1, (p.y + half) / kCell);
    for (int32_t r = r0; r <= r1; ++r)
      for (int32_t col = c0; col <= c1; ++col) cells_[static_cast<size_t>(r * cols_ + col)] = 1;
  }
  c.SetBrushStyle(BrushStyle::Clear);
  c.SetFontColor(kNameColour);
  c.SetFontPoints(22);
  if (watch != nullptr)
    for (int i = 0; i < watch->AlertCount(); ++i)
      if (watch->Alert(i).slot >= 1) Place(f, watch->Alert(i).slot);
  if (selectedShip >= 1) Place(f, selectedShip);
  for (int32_t slot = 1; slot < entries; ++slot) Place(f, slot);
}

}  // namespace aismon
