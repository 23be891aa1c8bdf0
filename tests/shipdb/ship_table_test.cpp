#include "shipdb/ship_table.h"

#include <gtest/gtest.h>

namespace aismon {
namespace {

TEST(ShipTableTest, HomeSlotsOfTheWorkedExample) {
  ManualClock clock;
  ShipTable table(clock);
  table.DynamicEntries()[0].MMSI = kOwnShipPlaceholderMMSI;
  EXPECT_EQ(table.FindOrAddShip(431023494), 391);
  EXPECT_EQ(ShipTable::LinkIndex(table.DynamicEntries()[391].Link), 43495);
}

}  // namespace
}  // namespace aismon
