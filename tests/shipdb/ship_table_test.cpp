#include "shipdb/ship_table.h"

#include <gtest/gtest.h>

#include <cstring>

namespace aismon {
namespace {

class ShipTableTest : public ::testing::Test {
 protected:
  ShipTableTest() : table(clock) {
    DbDynamic own;
    table.GetShip(0, own);
    own.MMSI = kOwnShipPlaceholderMMSI;
    table.PutShip(0, own);
  }
  ManualClock clock{0, LocalDateTime{2026, 12, 8, 12, 0, 0}};
  ShipTable table;
};

TEST_F(ShipTableTest, HomeSlotsAndCollisions) {
  EXPECT_EQ(table.FindOrAddShip(431023494), 391);
  EXPECT_EQ(ShipTable::LinkIndex(table.DynamicEntries()[391].Link), 43495);
  // Same dynamic home slot (differ by 1024): the next slot.
  EXPECT_EQ(table.FindOrAddShip(431023494 + 1024), 392);
  EXPECT_EQ(table.FindShip(431023494 + 1024), 392);
  EXPECT_EQ(table.FindOrAddShip(431023494 + 1024), 392);
  // The second is found only while the first stays taken.
  table.DynamicEntries()[391].Age = 0;
  EXPECT_EQ(table.FindShip(431023494 + 1024), -1);
  EXPECT_EQ(table.ShipCount, 2u);
}

TEST_F(ShipTableTest, ProbingWrapsFromTheLastSlotToOne) {
  const int32_t last = 1023;  // home slot 1024
  EXPECT_EQ(table.FindOrAddShip(last), 1024);
  EXPECT_EQ(table.FindOrAddShip(last + 1024), 1);
  EXPECT_EQ(table.FindOrAddStatic(59999), 60000);
  EXPECT_EQ(table.FindOrAddStatic(59999 + 60000), 1);
}

TEST_F(ShipTableTest, NewEntryStartingValues) {
  const int i = table.FindOrAddShip(431000001);
  const DbDynamic& e = table.DynamicEntries()[i];
  EXPECT_EQ(e.Age, 1u);
  EXPECT_EQ(e.Lat, 34.5);
  EXPECT_EQ(e.Lon, 135.0);
  EXPECT_EQ(e.Raw.RawLat, kLatNotAvailable);
  EXPECT_EQ(e.Raw.RawLon, kLonNotAvailable);
  EXPECT_EQ(e.Raw.RawSog, kSogNotAvailable);
  EXPECT_EQ(e.Raw.RawCog, kCogNotAvailable);
  EXPECT_EQ(e.Raw.RawHdg, kHdgNotAvailable);
  EXPECT_EQ(e.Raw.RawRot, kRotNotAvailable);
  EXPECT_EQ(e.Raw.RawNavStat, kNavStatNotCarried);
  EXPECT_EQ(e.Raw.RawSec, kSecNotAvailable);
  EXPECT_EQ(e.Raw.RawStations, kStationsNotAvailable);
  EXPECT_EQ(e.NavStat, 99);
  EXPECT_EQ(e.UtcSec, 60);
  EXPECT_EQ(e.LatInvalid, 0);
  EXPECT_EQ(e.LonInvalid, 0);
  EXPECT_EQ(table.StaticOf(e.Link).MMSI, 431000001);
}

TEST_F(ShipTableTest, FullTableReusesTheOldestEntryWithoutStartingValues) {
  for (int k = 0; k < 1024; ++k) table.FindOrAddShip(100000 + k);
  EXPECT_EQ(table.ShipCount, 1024u);
  table.DynamicEntries()[700].Age = 5000;
  table.DynamicEntries()[800].Age = 5000;  // a tie: the lower index wins
  table.WakeRings()[700].Put(3, WakePoint{1.0, 2.0});
  const int i = table.FindOrAddShip(431000999);
  EXPECT_EQ(i, 700);
  const DbDynamic& e = table.DynamicEntries()[i];
  EXPECT_EQ(e.Age, 1u);
  EXPECT_EQ(e.MMSI, 431000999);
  EXPECT_EQ(e.Lat, 0.0);
  EXPECT_EQ(e.Lon, 0.0);
  EXPECT_EQ(e.Raw.RawLat, 0);
  EXPECT_EQ(table.ShipCount, 1024u);
  EXPECT_EQ(table.WakeRings()[700].At(3).Lat, 1.0);  // the ring is left as it was
  EXPECT_EQ(table.FindShip(431000999), 700);
}

// At any capacity: the home slot is mmsi mod N + 1, probing wraps from N to 1, and a full
// table gives the entry silent longest (the lower on a tie) to a newcomer and counts it.
TEST(ShipTableCapacityTest, HashesWrapsAndReusesWhenFull) {
  struct Case {
    int asked;
    int stations;
  };
  for (const Case c : {Case{1024, 1024}, Case{5000, 5000}, Case{16384, 16384}, Case{100, 1024}, Case{99999, 16384}}) {
    ManualClock clock(0);
    ShipTable table(clock, c.asked);
    ASSERT_EQ(table.Stations(), c.stations) << c.asked;
    const int n = c.stations;
    EXPECT_EQ(table.FindOrAddShip(n - 1), n) << n;
    EXPECT_EQ(table.FindOrAddShip(2 * n - 1), 1) << n;
    for (int k = 0; table.TakenCount() < n; ++k) table.FindOrAddShip(300000000 + k);
    EXPECT_EQ(table.ReuseCount(), 0u) << n;
    table.DynamicEntries()[n / 2].Age = 900000;
    table.DynamicEntries()[n / 2 + 1].Age = 900000;
    EXPECT_EQ(table.FindOrAddShip(431000999), n / 2) << n;
    EXPECT_EQ(table.ReuseCount(), 1u) << n;
    EXPECT_EQ(table.FindShip(431000999), n / 2) << n;
    EXPECT_EQ(table.FindShip(2 * n - 1), 1) << n;
  }
}

// A station's ring holds what its wake draws (the 50 heads before the current one); a
// point from a turn of the head before, never rewritten, is not drawn as a recent one.
TEST_F(ShipTableTest, AStationWakeKeepsItsLastStepsOnly) {
  const int slot = table.FindOrAddShip(431000001);
  for (int k = 0; k < 100; ++k) {  // heard at heads 0..99
    table.StoreWakePoint(slot, 431000001, 34.0 + k / 1000.0, 135.0);
    table.AdvanceWakeHead();
  }
  const WakeRing& ring = table.WakeRings()[slot];
  struct Case {
    int head;  // advanced to before looking
    int index;
    double lat;  // 0: nothing there
  };
  for (const Case c : {Case{100, 99, 34.099}, Case{100, 50, 34.050}, Case{100, 41, 34.041}, Case{100, 40, 0.0},
                       Case{470, 99, 0.0}, Case{30, 29, 0.0}, Case{30, 0, 0.0}}) {
    while (table.wakeHead != c.head) table.AdvanceWakeHead();
    EXPECT_DOUBLE_EQ(ring.At(c.index).Lat, c.lat) << c.head << " " << c.index;
  }
}

TEST_F(ShipTableTest, FullStaticTableReusesTheOldestRecord) {
  DbStatic* s = table.StaticEntries();
  for (int i = 1; i <= 60000; ++i) {
    s[i].UdTime = 2000000000u;
    s[i].MMSI = -i;  // never a home-slot match
  }
  s[4321].UdTime = 1000;
  s[4322].UdTime = 1000;
  table.StaticCount = 0;
  bool existed = true;
  EXPECT_EQ(table.FindOrAddStatic(431000001, &existed), 4321);
  EXPECT_FALSE(existed);
  EXPECT_EQ(s[4321].MMSI, 431000001);
  EXPECT_EQ(s[4321].UdTime, table.NowStamp());
  EXPECT_EQ(table.StaticCount, 60000u);  // recounted, then unchanged by the reuse
}

TEST_F(ShipTableTest, OwnShipLookups) {
  EXPECT_EQ(table.FindOrAddShip(kOwnShipPlaceholderMMSI), 0);
  EXPECT_EQ(table.FindShip(kOwnShipPlaceholderMMSI), -1);
  bool existed = false;
  EXPECT_EQ(table.FindOrAddStatic(0, &existed), 0);  // own MMSI not learnt yet
  EXPECT_TRUE(existed);
  table.OwnMMSI = 431999999;
  EXPECT_EQ(table.FindOrAddStatic(431999999), 0);
  EXPECT_NE(table.FindOrAddStatic(0), 0);
}

TEST_F(ShipTableTest, GetAndPutShip) {
  DbDynamic out;
  std::memset(&out, 0x5A, sizeof out);
  EXPECT_FALSE(table.GetShip(5, out));
  EXPECT_EQ(out.Age, 0u);
  EXPECT_EQ(out.MMSI, 0x5A5A5A5A);  // the rest is untouched
  EXPECT_FALSE(table.GetShip(-1, out));
  EXPECT_FALSE(table.GetShip(1025, out));
  EXPECT_TRUE(table.GetShip(0, out));

  const int i = table.FindOrAddShip(431000002);
  ASSERT_TRUE(table.GetShip(i, out));
  const uint32_t link = out.Link;
  out.Link = 12345;
  out.Sog = 9.5;
  table.PutShip(i, out);
  EXPECT_EQ(table.DynamicEntries()[i].Link, link);
  EXPECT_EQ(table.DynamicEntries()[i].Sog, 9.5);
  table.PutShip(1025, out);  // ignored
  table.PutShip(-3, out);
}

TEST_F(ShipTableTest, GetShipResolvesAMissingLink) {
  const int i = table.FindOrAddShip(431000003);
  table.DynamicEntries()[i].Link = kNoLink;
  DbDynamic out;
  ASSERT_TRUE(table.GetShip(i, out));
  EXPECT_EQ(table.StaticOf(out.Link).MMSI, 431000003);
  EXPECT_EQ(table.DynamicEntries()[i].Link, out.Link);
}

TEST_F(ShipTableTest, GetOwnShipTidiesTheStaticRecord) {
  DbStatic& s = table.StaticEntries()[0];
  std::strcpy(s.Name, "AB@CD@");
  std::strcpy(s.Sign, "@@1");
  s.EtaMM = 13;
  s.EtaDD = 0;
  s.EtaHH = 24;
  s.EtaMN = -1;
  DbDynamic own;
  table.GetOwnShip(own);
  EXPECT_STREQ(s.Name, "AB CD ");
  EXPECT_STREQ(s.Sign, "  1");
  EXPECT_EQ(s.EtaMM, 1);
  EXPECT_EQ(s.EtaDD, 1);
  EXPECT_EQ(s.EtaHH, 0);
  EXPECT_EQ(s.EtaMN, 0);
  EXPECT_EQ(ShipTable::LinkIndex(own.Link), 0);
  own.Link = kNoLink;
  table.PutOwnShip(own);  // copied unchanged, Link included
  EXPECT_EQ(table.DynamicEntries()[0].Link, kNoLink);
}

TEST_F(ShipTableTest, ClearShips) {
  const int i = table.FindOrAddShip(431000004);
  table.WakeRings()[i].OwnerMMSI = 431000004;
  table.WakeRings()[i].Put(7, WakePoint{34.0, 135.0});
  table.DynamicEntries()[0].Age = 1;
  const DbStatic before = table.StaticEntries()[ShipTable::LinkIndex(table.DynamicEntries()[i].Link)];
  table.ClearShips();
  DbDynamic out;
  for (int k = 1; k <= 1024; ++k) ASSERT_FALSE(table.GetShip(k, out));
  EXPECT_EQ(table.DynamicEntries()[0].Age, 0u);
  EXPECT_EQ(table.ShipCount, 1u);
  EXPECT_EQ(table.WakeRings()[i].OwnerMMSI, 431000004);
  EXPECT_EQ(table.WakeRings()[i].At(7).Lat, 0.0);
  EXPECT_EQ(std::memcmp(&before, &table.StaticEntries()[ShipTable::LinkIndex(table.DynamicEntries()[i].Link)],
                        sizeof before),
            0);
}

TEST(NowStampTest, CalendarCases) {
  const struct {
    LocalDateTime t;
    uint32_t stamp;
  } cases[] = {
      {{1970, 1, 1, 9, 0, 0}, 0u},
      {{1970, 1, 2, 9, 0, 1}, 86401u},
      {{2000, 3, 1, 9, 0, 0}, 951868800u},   // 2000-03-01T00:00:00Z
      {{2026, 12, 8, 9, 0, 0}, 1796688000u},  // 2026-12-08T00:00:00Z
      {{69, 1, 1, 9, 0, 0}, 3124224000u},     // two-digit 69 is 2069
      {{70, 1, 1, 9, 0, 0}, 0u},              // two-digit 70 is 1970
      {{2099, 12, 31, 9, 0, 0}, 4102358400u},
  };
  for (const auto& c : cases) {
    ManualClock clock(0, c.t);
    ShipTable table(clock);
    EXPECT_EQ(table.NowStamp(), c.stamp) << c.t.year << "-" << c.t.month << "-" << c.t.day;
  }
}

}  // namespace
}  // namespace aismon
