// Picking a weather station with the pointer: nearest within the ships' radius, only
// stations that are drawn, the view turned or not.
#include "chart/weather_pick.h"

#include <gtest/gtest.h>

#include <cmath>

#include "shipdb/ship_records.h"

namespace aismon {
namespace {

TEST(WeatherPick, NearestDrawnStationWithinTheRadius) {
  constexpr int32_t kPaintW = 400, kPaintH = 300;
  constexpr uint32_t kNow = 5000000;
  struct Row {
    const char* name;
    int32_t x, y;    // pointer, paint-box pixels
    int32_t mmsi;    // 0: none
  } rows[] = {
      {"on_a", 100, 100, 1},
      {"a_nearer_than_b", 112, 100, 1},
      {"b_nearer_than_a", 118, 100, 2},
      {"just_inside", 100, 118, 1},
      {"outside", 100, 125, 0},
      {"silent_an_hour", 300, 200, 0},
      {"heard_just_now", 300, 250, 5},
      {"nothing_near", 250, 50, 0},
  };
  for (const double rotation : {0.0, 35.0}) {
    SCOPED_TRACE(rotation);
    ViewState view;
    SetupViewGeometry(view, 2 * kPaintW, 2 * kPaintH, 34.5, 135.0, rotation, 15.0);
    WeatherStations stations(kDefaultStations);
    // Each station where the pointer finds it: the position under a paint-box point.
    const auto place = [&](int32_t mmsi, int32_t x, int32_t y, uint32_t tick) {
      double lat, lon;
      PaintPointToLatLon(view, kPaintW, kPaintH, x, y, lat, lon);
      stations.Note(mmsi, static_cast<int32_t>(std::lround(lat * 600000)),
                    static_cast<int32_t>(std::lround(lon * 600000)), WeatherReport{}, tick);
    };
    place(1, 100, 100, kNow);
    place(2, 130, 100, kNow);
    place(3, 300, 200, kNow - kWeatherShownMs);
    stations.Note(4, 91 * 600000, 181 * 600000, WeatherReport{}, kNow);  // no position
    place(5, 300, 250, kNow - 1000);
    for (const Row& r : rows) {
      SCOPED_TRACE(r.name);
      const int32_t i = FindHoveredWeatherStation(stations, view, kNow, r.x, r.y);
      EXPECT_EQ(i < 0 ? 0 : stations.At(i).mmsi, r.mmsi);
    }
  }
}

}  // namespace
}  // namespace aismon
