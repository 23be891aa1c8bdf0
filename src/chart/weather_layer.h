#pragma once
// Weather stations on the chart: a square of their own colour (never a ship's shape) with
// a staff pointing into the wind when the station reports its direction.
#include <cstdint>

#include "ais/weather_stations.h"
#include "chart/frame_context.h"

namespace aismon {

inline constexpr Rgb kWeatherColor{0, 170, 255};

// Draws every weather station heard within kWeatherShownMs; the canvas's pen and brush are
// left as they were.
void DrawWeatherLayer(FrameContext& f, const WeatherStations& stations);

}  // namespace aismon
