// The table's indexed lookups against a plain model of linear probing over the entries,
// under random sequences of adds, finds, reports, ageing, reuse in a full table and clears.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "shipdb/ship_table.h"

namespace aismon {
namespace {

// Linear probing as the entries alone define it.
struct ProbingModel {
  uint32_t age[1025] = {};
  int32_t mmsi[1025] = {};
  int32_t ownMmsi = kOwnShipPlaceholderMMSI;

  static int Home(int32_t m) { return static_cast<int>(static_cast<uint32_t>(m) % 1024u) + 1; }
  int Find(int32_t m) const {
    if (m == ownMmsi) return -1;
    int s = Home(m);
    for (int k = 0; k < 1024; ++k, s = s == 1024 ? 1 : s + 1) {
      if (age[s] == 0) return -1;
      if (mmsi[s] == m) return s;
    }
    return -1;
  }
  int FindOrAdd(int32_t m) {
    if (m == ownMmsi) return 0;
    int s = Home(m);
    for (int k = 0; k < 1024; ++k, s = s == 1024 ? 1 : s + 1) {
      if (age[s] == 0) {
        age[s] = 1;
        mmsi[s] = m;
        return s;
      }
      if (mmsi[s] == m) return s;
    }
    int oldest = 1;
    for (int i = 2; i <= 1024; ++i)
      if (age[i] > age[oldest]) oldest = i;
    age[oldest] = 1;
    mmsi[oldest] = m;
    return oldest;
  }
};

TEST(ShipLookupModelTest, IndexedLookupsMatchPlainProbing) {
  for (const int pool : {60, 900, 1100, 3000}) {
    ManualClock clock;
    ShipTable table(clock);
    DbDynamic own;
    table.GetShip(0, own);
    own.MMSI = kOwnShipPlaceholderMMSI;
    table.PutShip(0, own);
    ProbingModel model;
    std::mt19937 rng(static_cast<uint32_t>(pool));
    // MMSIs crowded onto few home slots so that clusters and wrap-around occur.
    std::vector<int32_t> mmsis;
    for (int i = 0; i < pool; ++i)
      mmsis.push_back(static_cast<int32_t>(1000 + (rng() % 40) + 1024 * (rng() % 4000)) + (i % 7 == 0 ? 980 : 0));
    for (int step = 0; step < 40000; ++step) {
      const int32_t m = mmsis[rng() % mmsis.size()];
      switch (rng() % 10) {
        case 0:
        case 1:
        case 2:
        case 3: {
          ASSERT_EQ(table.FindOrAddShip(m), model.FindOrAdd(m)) << "pool " << pool << " step " << step;
          break;
        }
        case 4:
        case 5:
          ASSERT_EQ(table.FindShip(m), model.Find(m)) << "pool " << pool << " step " << step;
          break;
        case 6: {  // a report resets Age through the copy
          const int i = model.Find(m);
          if (i > 0) {
            DbDynamic e;
            ASSERT_TRUE(table.GetShip(i, e));
            e.Age = 1;
            table.PutShip(i, e);
            model.age[i] = 1;
          }
          break;
        }
        case 7: {  // the painter ages every taken entry directly
          const uint32_t dt = rng() % 5000;
          DbDynamic* d = table.DynamicEntries();
          for (int i = 1; i <= 1024; ++i)
            if (d[i].Age != 0) d[i].Age += dt, model.age[i] += dt;
          break;
        }
        case 8: {  // an entry put back free, or under another MMSI
          const int i = 1 + static_cast<int>(rng() % 1024);
          DbDynamic e = static_cast<const ShipTable&>(table).DynamicEntries()[i];  // keeps the index live
          if (rng() % 2) {
            e.Age = 0;
          } else {
            e.MMSI = mmsis[rng() % mmsis.size()];
            e.Age = 1 + rng() % 100;
          }
          table.PutShip(i, e);
          model.age[i] = e.Age;
          model.mmsi[i] = e.MMSI;
          break;
        }
        default:
          if (rng() % 200 == 0) {
            table.ClearShips();
            for (int i = 0; i <= 1024; ++i) model.age[i] = 0;
            model.age[0] = 0;
          } else {
            ASSERT_EQ(table.FindShip(m), model.Find(m)) << "pool " << pool << " step " << step;
          }
      }
    }
    for (int i = 1; i <= 1024; ++i) {
      ASSERT_EQ(table.DynamicEntries()[i].Age, model.age[i]) << i;
      if (model.age[i] != 0) {
        ASSERT_EQ(table.DynamicEntries()[i].MMSI, model.mmsi[i]) << i;
      }
    }
  }
}

}  // namespace
}  // namespace aismon
