// The watch over a real ship table: which stations alarm, how beacons, tests and safety
// texts show in the alert list, and lost targets.
#include "watch/traffic_watch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/clock.h"
#include "shipdb/ship_table.h"

namespace aismon {
namespace {

constexpr double kNm = 1.0 / 60;  // a nautical mile of latitude, near enough for these cases

struct Station {
  int32_t mmsi;
  double northNm, eastNm;  // from own ship at 35 N 139 E
  double sog, cog;
  int16_t msgNo = 1;
  int32_t navStat = 0;
  int16_t aids = 0;
  uint32_t age = 1;
};

class TrafficWatchTest : public ::testing::Test {
 protected:
  TrafficWatchTest() : table(clock) {
    DbDynamic& own = table.DynamicEntries()[0];
    own.Lat = 35.0;
    own.Lon = 139.0;
    own.Sog = 10;
    own.Cog = 0;
    counters.rmcFixCount = 1;
  }
  int Add(const Station& s) {
    const int i = table.FindOrAddShip(s.mmsi);
    DbDynamic& e = *table.Edit(i);
    e.Age = s.age;
    e.Raw.PosState = kPosReported;
    e.Lat = 35.0 + s.northNm * kNm;
    e.Lon = 139.0 + s.eastNm * kNm / 0.819152;  // cos 35
    e.Sog = s.sog;
    e.Cog = s.cog;
    e.NavStat = s.navStat;
    DbStatic& st = table.StaticOf(e.Link);
    st.MsgNo = s.msgNo;
    st.Aids = s.aids;
    table.Commit(i);
    return i;
  }
  void Pass() {
    if (counters.rmcFixCount != 0) ++counters.rmcFixCount;  // a GPS gives a fix a second
    watch.Pass(table, counters, options, clock.TickMs());
    clock.Advance(1000);
  }
  std::vector<AlertKind> Kinds() const {
    std::vector<AlertKind> k;
    for (int i = 0; i < watch.AlertCount(); ++i) k.push_back(watch.Alert(i).kind);
    return k;
  }

  ManualClock clock{5000};
  ShipTable table;
  IntakeCounters counters;
  ReceiveOptions options;
  TrafficWatch watch;
};

// A ship crossing ahead from starboard: 6 NM east, 6 NM north, heading west at 10 kn
// meets own ship (north at 10 kn) in 36 minutes; 3 NM north it is 18 minutes away.
const Station kCrossing{431000001, 3, 3, 10, 270};

TEST_F(TrafficWatchTest, WhichStationsAlarm) {
  struct Case {
    const char* name;
    Station s;
    bool alarms;
  };
  const Case cases[] = {
      {"crossing_ship", kCrossing, true},
      {"far_crossing", {431000002, 6, 6, 10, 270}, false},  // 36 minutes: beyond the TCPA limit
      {"aid_to_navigation", {992431001, 1, 0, 0, 0, 21, 15, 1}, false},
      {"base_station", {4310001, 1, 0, 0, 0, 4, 0}, false},
      {"aircraft", {111431001, 3, 3, 10, 270, 9}, false},
      {"own_echo", {kOwnEchoMMSI, 0.1, 0, 10, 0}, false},
      {"lost_class_a", {431000003, 3, 3, 10, 270, 1, 0, 0, kLostMovingClassAMs + 1}, false},
      {"slow_class_b_still_heard", {338000001, 1, 0, 0, 0, 18, 0, 0, kLostMovingClassAMs + 1}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    table.ClearShips();
    TrafficWatch fresh;
    const int slot = Add(c.s);
    fresh.Pass(table, counters, options, clock.TickMs());
    EXPECT_EQ(fresh.AlertCount(), c.alarms ? 1 : 0);
    EXPECT_EQ(fresh.SoundingAlarms(), c.alarms ? 1 : 0);
    EXPECT_EQ(fresh.Target(slot).dangerous, c.alarms);
  }
}

TEST_F(TrafficWatchTest, OneAlarmPerCrossingAndAtMostOnePassASecond) {
  const int slot = Add(kCrossing);
  EXPECT_TRUE(watch.Update(table, counters, options, clock.TickMs()));
  EXPECT_EQ(watch.SoundingAlarms(), 1);
  ASSERT_EQ(watch.NewAlarmCount(), 1);
  EXPECT_EQ(watch.NewAlarmAt(0).slot, slot);
  EXPECT_NEAR(watch.Target(slot).cpa.tcpaMin, 18, 0.2);
  clock.Advance(999);
  EXPECT_FALSE(watch.Update(table, counters, options, clock.TickMs()));
  for (int i = 0; i < 30; ++i) {
    clock.Advance(1000);
    ++counters.rmcFixCount;
    EXPECT_TRUE(watch.Update(table, counters, options, clock.TickMs()));
    EXPECT_EQ(watch.SoundingAlarms(), 0);
  }
  EXPECT_EQ(watch.AlertCount(), 1);
  EXPECT_FALSE(watch.Alert(0).acknowledged);
  EXPECT_TRUE(watch.AcknowledgeRow(0, clock.TickMs()));
  EXPECT_TRUE(watch.Alert(0).acknowledged);
  EXPECT_FALSE(watch.AcknowledgeRow(0, clock.TickMs()));
}

TEST_F(TrafficWatchTest, WithoutOwnFixNothingIsComputed) {
  counters.rmcFixCount = 0;
  const int slot = Add(kCrossing);
  Pass();
  EXPECT_FALSE(watch.OwnFix());
  EXPECT_FALSE(watch.Target(slot).hasCpa);
  EXPECT_EQ(watch.AlertCount(), 0);
}

TEST_F(TrafficWatchTest, BeaconsTestsAndSafetyTexts) {
  Add(kCrossing);
  // A SART 30 NM off: beyond every limit, yet an alarm, and listed before the collision.
  const int sart = Add({970111222, 30, 0, 0, 0, 1, 14});
  Pass();
  EXPECT_EQ(Kinds(), (std::vector<AlertKind>{AlertKind::Beacon, AlertKind::Collision}));
  EXPECT_EQ(watch.Alert(0).slot, sart);
  EXPECT_EQ(watch.SoundingAlarms(), 2);
  EXPECT_EQ(watch.AcknowledgeAll(clock.TickMs()), 2);
  Pass();
  EXPECT_TRUE(watch.Alert(0).acknowledged);
  EXPECT_TRUE(watch.Alert(1).acknowledged);

  // An EPIRB in test (status 15) and a MOB heard only through "MOB TEST": shown, silent.
  Add({974000333, 10, 0, 0, 0, 1, 15});
  SafetyText t;
  t.number = 14;
  t.mmsi = 972000444;
  std::strcpy(t.text, "MOB TEST");
  watch.OnSafetyText(t, clock.TickMs());
  Pass();
  EXPECT_EQ(watch.SoundingAlarms(), 0);
  EXPECT_EQ(Kinds(), (std::vector<AlertKind>{AlertKind::Beacon, AlertKind::BeaconTest, AlertKind::BeaconTest,
                                             AlertKind::Collision, AlertKind::SafetyText}));
  // Dismissing the text takes only its row; the beacon stays a test until it says otherwise.
  EXPECT_TRUE(watch.AcknowledgeRow(4, clock.TickMs()));
  EXPECT_EQ(watch.AlertCount(), 4);
  std::strcpy(t.text, "MOB ACTIVE");
  watch.OnSafetyText(t, clock.TickMs());
  Pass();
  EXPECT_EQ(watch.SoundingAlarms(), 1);
  EXPECT_EQ(watch.NewAlarmAt(0).mmsi, 972000444);
  // The acknowledged SART comes back after 5 minutes.
  clock.Advance(5 * 60000);
  Pass();
  EXPECT_EQ(watch.SoundingAlarms(), 1);
  EXPECT_EQ(watch.NewAlarmAt(0).mmsi, 970111222);
}

TEST_F(TrafficWatchTest, ReusedSlotStartsAfresh) {
  const int slot = Add(kCrossing);
  Pass();
  watch.AcknowledgeAll(clock.TickMs());
  // The entry is handed to another station (the table reuses its oldest entry when full)
  // on the same track: a new alarm.
  table.DynamicEntries()[slot].MMSI = 431000099;
  Pass();
  EXPECT_EQ(watch.SoundingAlarms(), 1);
  EXPECT_FALSE(watch.Alert(0).acknowledged);
}

}  // namespace
}  // namespace aismon
