#include "chart/weather_pick.h"

#include <cmath>

namespace aismon {

int32_t FindHoveredWeatherStation(const WeatherStations& stations, const ViewState& view, uint32_t now,
                                  int32_t pointerX, int32_t pointerY) {
  int32_t hovered = -1;
  double best = static_cast<double>(kWeatherPickRadius) * kWeatherPickRadius;
  for (int32_t i = 0; i < stations.Capacity(); ++i) {
    const WeatherStation& w = stations.At(i);
    if (!w.used || now - w.tick >= kWeatherShownMs) continue;
    const double lat = w.Lat(), lon = w.Lon();
    if (std::fabs(lat) > 90.0 || std::fabs(lon) > 180.0) continue;
    int32_t x, y;
    if (!LatLonToPixel(view, lat, lon, x, y)) continue;
    // Work pixels halved toward zero, as the ships' screen positions are.
    const double dx = static_cast<double>(pointerX) - x / 2;
    const double dy = static_cast<double>(pointerY) - y / 2;
    const double d = dx * dx + dy * dy;
    if (d < best) {
      hovered = i;
      best = d;
    }
  }
  return hovered;
}

}  // namespace aismon
