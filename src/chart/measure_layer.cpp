#include "chart/measure_layer.h"

#include <cstdio>

#include "chart/view_state.h"
#include "watch/range_bearing.h"

namespace aismon {

namespace {
constexpr char kRange[] = "\x8B\x97\x97\xA3";    // 距離
constexpr char kBearing[] = "\x95\xFB\x88\xCA";  // 方位
constexpr char kDegree[] = "\x81\x8B";           // °
constexpr Rgb kLabelBack{0, 0, 0};
}  // namespace

void DrawMeasureLayer(FrameContext& f, const MeasureView& m) {
  if (!m.shown) return;
  int32_t x0, y0, x1, y1;
  LatLonToPixel(f.view, m.lat0, m.lon0, x0, y0);
  LatLonToPixel(f.view, m.lat1, m.lon1, x1, y1);
  Canvas& c = f.canvas;
  c.SetPenColor(kMeasureColor);
  c.SetPenWidth(3);
  c.Line(x0, y0, x1, y1);
  c.SetBrushStyle(BrushStyle::Solid);
  c.SetBrushColor(kMeasureColor);
  c.Ellipse(x0 - 6, y0 - 6, x0 + 7, y0 + 7);
  c.Ellipse(x1 - 6, y1 - 6, x1 + 7, y1 + 7);
  c.SetPenWidth(1);

  const RangeBearing rb = RangeBearingBetween(m.lat0, m.lon0, m.lat1, m.lon1);
  char label[64];
  std::snprintf(label, sizeof label, "%s %.2fNM  %s %03.0f%s", kRange, rb.rangeNm, kBearing, rb.bearingDeg, kDegree);
  c.SetFontHeight(32);
  const int32_t w = c.TextWidth(label), h = c.TextHeight(label);
  const int32_t lx = x1 + 16, ly = y1 + 16;
  c.SetBrushColor(kLabelBack);
  c.FillRect(lx - 6, ly - 4, lx + w + 6, ly + h + 4);
  c.SetBrushStyle(BrushStyle::Clear);
  c.SetFontColor(kMeasureColor);
  c.TextOut(lx, ly, label);
}

}  // namespace aismon
