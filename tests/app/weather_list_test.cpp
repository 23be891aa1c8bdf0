// Weather stations in the target list: listed as such beside the ships, with range and
// bearing from own ship but never a CPA, and gone an hour after they fell silent.
#include <gtest/gtest.h>

#include "ais/weather_stations.h"
#include "app/target_list_model.h"
#include "common/clock.h"
#include "shipdb/ship_table.h"
#include "watch/traffic_watch.h"

namespace aismon {
namespace {

TEST(WeatherList, ListedAsWeatherStationsForAnHour) {
  ManualClock clock{5000};
  ShipTable table(clock);
  DbDynamic& own = table.DynamicEntries()[0];
  own.Lat = 34.5;
  own.Lon = 135.0;
  IntakeCounters counters;
  counters.rmcFixCount = 1;
  ReceiveOptions options;
  TrafficWatch watch;
  const int slot = table.FindOrAddShip(431000001);
  DbDynamic& ship = *table.Edit(slot);
  ship.Age = 1;
  ship.Raw.PosState = kPosReported;
  ship.Lat = 34.6;
  ship.Lon = 135.0;
  table.Commit(slot);
  watch.Pass(table, counters, options, clock.TickMs());

  WeatherStations weather(table.Stations());
  weather.Note(2320061, static_cast<int32_t>(34.5 * 600000), static_cast<int32_t>(135.2 * 600000), WeatherReport{},
               clock.TickMs());
  TargetListModel model;
  model.Refresh(table, watch, &weather, clock.TickMs());
  ASSERT_EQ(model.rowCount(), 2);
  const int w = model.Row(0).weather ? 0 : 1;
  EXPECT_FALSE(model.Row(1 - w).weather);
  EXPECT_EQ(model.Row(w).mmsi, 2320061);
  EXPECT_EQ(model.data(model.index(w, kColType)).toString(), QString::fromUtf8("気象観測所"));
  EXPECT_NEAR(model.Row(w).rangeNm, 9.9, 0.1);  // 0.2 degrees of longitude at 34.5 N
  EXPECT_NEAR(model.Row(w).bearingDeg, 90.0, 0.1);
  EXPECT_EQ(model.data(model.index(w, kColCpa)).toString(), QString());
  EXPECT_EQ(model.data(model.index(w, kColTcpa)).toString(), QString());

  clock.Advance(kWeatherShownMs);
  model.Refresh(table, watch, &weather, clock.TickMs());
  ASSERT_EQ(model.rowCount(), 1);
  EXPECT_FALSE(model.Row(0).weather);
}

}  // namespace
}  // namespace aismon
