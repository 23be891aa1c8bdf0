// Followed and ignored stations: the rules, their keeping in the settings file, and what
// the watch makes of them (a beacon can never be ignored).
#include "watch/ship_choices.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "common/clock.h"
#include "common/settings_file.h"
#include "shipdb/ship_table.h"
#include "support/temp_files.h"
#include "watch/traffic_watch.h"

namespace aismon {
namespace {

TEST(ShipChoices, SetUndoRefuseAndKeepInTheFile) {
  struct Step {
    int32_t mmsi;
    ShipChoice choice;
    bool accepted;
  } steps[] = {
      {431000002, ShipChoice::Follow, true},  {431000001, ShipChoice::Ignore, true},
      {970123456, ShipChoice::Ignore, false},  // an AIS-SART
      {972000001, ShipChoice::Ignore, false},  // a man-overboard beacon
      {974000001, ShipChoice::Follow, true},   // following a beacon hides nothing
      {431000003, ShipChoice::Follow, true},  {431000003, ShipChoice::None, true},  // undone
      {431000002, ShipChoice::Ignore, true},  // changed
  };
  testing::TempFolder dir;
  const auto ini = dir.path() / "aismon.ini";
  std::ofstream(ini, std::ios::binary) << "[Map]\r\nLat=35\r\nLon=139\r\n[ShipChoices]\r\n970999999=2\r\n";
  ShipChoices c;
  for (const Step& s : steps) {
    EXPECT_EQ(c.Set(s.mmsi, s.choice), s.accepted) << s.mmsi;
    if (s.accepted) {
      ASSERT_TRUE(ShipChoices::Write(ini, s.mmsi, s.choice));
    }
  }
  ShipChoices back;
  back.Read(ini);
  for (const ShipChoices* k : {&c, &back}) {
    EXPECT_EQ(k->Of(431000001), ShipChoice::Ignore);
    EXPECT_EQ(k->Of(431000002), ShipChoice::Ignore);
    EXPECT_EQ(k->Of(431000003), ShipChoice::None);
    EXPECT_EQ(k->Of(970123456), ShipChoice::None);
    EXPECT_EQ(k->Of(970999999), ShipChoice::None);  // a beacon ignored by hand in the file
    EXPECT_EQ(k->Of(974000001), ShipChoice::Follow);
    EXPECT_EQ(k->Count(), 3);
  }
  EXPECT_EQ(ReadMapCenter(ini).lat, 35.0);
}

TEST(ShipChoices, WatchFollowsAndIgnores) {
  struct Case {
    const char* name;
    int32_t mmsi;
    ShipChoice choice;
    bool alarms;
  } cases[] = {{"none", 431000001, ShipChoice::None, true},
               {"followed", 431000001, ShipChoice::Follow, false},
               {"ignored", 431000001, ShipChoice::Ignore, false},
               {"beacon_cannot_be_ignored", 970000001, ShipChoice::Ignore, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ManualClock clock;
    ShipTable table(clock);
    DbDynamic& own = table.DynamicEntries()[0];
    own.Lat = 35.0;
    own.Lon = 139.0;
    own.Sog = 10;
    const int slot = table.FindOrAddShip(c.mmsi);
    DbDynamic& e = *table.Edit(slot);
    e.Age = 1;
    e.Raw.PosState = kPosReported;
    e.Lat = 35.05;
    e.Lon = 139.0;
    e.Sog = 10;
    e.Cog = 180;
    table.Commit(slot);
    IntakeCounters counters;
    counters.rmcFixCount = 1;
    TrafficWatch w(table.DynamicCount());
    w.MutableChoices().Set(c.mmsi, c.choice);
    w.Pass(table, counters, ReceiveOptions{}, 0);
    EXPECT_EQ(w.AlertCount() == 1, c.alarms);
    EXPECT_EQ(w.SoundingAlarms() == 1, c.alarms);
    EXPECT_TRUE(w.Target(slot).hasCpa);  // a followed station is still worked and listed
  }
}

}  // namespace
}  // namespace aismon
