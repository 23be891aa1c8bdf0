#pragma once
// Which weather station the pointer is on, by the rule ships are picked by: the nearest
// station drawn, strictly within 20 paint-box pixels, the lower place on ties.
#include <cstdint>

#include "ais/weather_stations.h"
#include "chart/view_state.h"

namespace aismon {

// The ships' pick radius, in paint-box pixels.
inline constexpr int32_t kWeatherPickRadius = 20;

// The place in stations of the station under the pointer (paint-box pixels, as the mouse
// gives them), or -1. Only stations the weather layer draws count: heard within
// kWeatherShownMs of now, with a position, near the picture of view (the last frame's).
int32_t FindHoveredWeatherStation(const WeatherStations& stations, const ViewState& view, uint32_t now,
                                  int32_t pointerX, int32_t pointerY);

}  // namespace aismon
