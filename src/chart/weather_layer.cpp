#include "chart/weather_layer.h"

#include <cmath>

namespace aismon {

namespace {
constexpr double kRad = 3.141592653589793 / 180.0;
constexpr Rgb kWhite{255, 255, 255};
}  // namespace

void DrawWeatherLayer(FrameContext& f, const WeatherStations& stations) {
  Canvas& c = f.canvas;
  const Rgb pen = c.PenColor();
  const int penWidth = c.PenWidth();
  const Rgb brush = c.BrushColor();
  const BrushStyle style = c.Brush();
  const uint32_t now = f.clock.TickMs();
  const int32_t h = (f.iconScale == 1 ? 12 : 20) / 2;
  bool drew = false;
  for (int i = 0; i < stations.Capacity(); ++i) {
    const WeatherStation& w = stations.At(i);
    if (!w.used || now - w.tick >= kWeatherShownMs) continue;
    const double lat = w.Lat(), lon = w.Lon();
    if (std::fabs(lat) > 90.0 || std::fabs(lon) > 180.0) continue;  // no position reported
    int32_t x, y;
    if (!LatLonToPixel(f.view, lat, lon, x, y)) continue;
    if (!drew) {
      c.SetPenColor(kWhite);
      c.SetPenWidth(1);
      c.SetBrushStyle(BrushStyle::Solid);
      c.SetBrushColor(kWeatherColor);
      drew = true;
    }
    const WeatherValue& dir = w.report.windDirection;
    if (dir.available) {
      const double theta = (dir.value - f.view.rotationDeg) * kRad;
      const int32_t len = 3 * h;
      c.Line(x, y, x + static_cast<int32_t>(std::lround(len * std::sin(theta))),
             y - static_cast<int32_t>(std::lround(len * std::cos(theta))));
    }
    const PixelPoint square[4] = {{x - h, y - h}, {x + h, y - h}, {x + h, y + h}, {x - h, y + h}};
    c.Polygon(square, 4);
  }
  if (!drew) return;
  c.SetPenColor(pen);
  c.SetPenWidth(penWidth);
  c.SetBrushStyle(style);
  c.SetBrushColor(brush);
}

}  // namespace aismon
