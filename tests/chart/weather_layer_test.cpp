// Weather stations on the chart: their own square, the wind staff, and stations long
// silent left out.
#include "chart/weather_layer.h"

#include <gtest/gtest.h>

#include "tests/support/chart_scene.h"

namespace aismon {
namespace {

constexpr Rgb kBackground{0, 0, 64};
constexpr Rgb kWhite{255, 255, 255};

TEST(WeatherLayer, SquareAndWindStaffOfStationsHeardWithinTheHour) {
  testing::ChartScene scene(400, 400, 15, kBackground);
  WeatherStations stations(kDefaultStations);
  auto raw = [](double deg) { return static_cast<int32_t>(deg * 600000); };
  WeatherReport north;  // wind from the north: the staff points up
  north.windDirection = WeatherValue{0.0f, true};
  const uint32_t now = scene.clock.TickMs();
  stations.Note(1, raw(scene.LatAt(100)), raw(scene.LonAt(100)), north, now);
  stations.Note(2, raw(scene.LatAt(300)), raw(scene.LonAt(300)), WeatherReport{}, now);
  scene.clock.Advance(kWeatherShownMs - 1000);
  stations.Note(3, raw(scene.LatAt(200)), raw(scene.LonAt(300)), north, scene.clock.TickMs());
  scene.clock.Advance(1000);  // stations 1 and 2 now an hour silent, 3 a second

  scene.canvas.SetPenColor(Rgb{1, 2, 3});
  scene.canvas.SetBrushColor(Rgb{4, 5, 6});
  DrawWeatherLayer(scene.frame, stations);
  EXPECT_EQ(scene.At(100, 100), kBackground);
  EXPECT_EQ(scene.At(300, 300), kBackground);
  EXPECT_EQ(scene.At(300, 200), kWeatherColor);
  EXPECT_EQ(scene.At(300, 200 - 20), kWhite);       // the staff, beyond the square's edge
  EXPECT_EQ(scene.At(300, 200 + 20), kBackground);  // and nothing downwind
  EXPECT_EQ(scene.canvas.PenColor(), (Rgb{1, 2, 3}));
  EXPECT_EQ(scene.canvas.BrushColor(), (Rgb{4, 5, 6}));
}

}  // namespace
}  // namespace aismon
