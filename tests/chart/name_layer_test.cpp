// Ship names beside the symbols: never two overlapping, the selected ship's first.
#include "chart/name_layer.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/chart_scene.h"

namespace aismon {
namespace {

// The rightmost column of the names' colour on row band y0..y1, or -1.
int32_t RightmostName(testing::ChartScene& s, int32_t y0, int32_t y1) {
  int32_t right = -1;
  for (int32_t y = y0; y < y1; ++y)
    for (int32_t x = 0; x < s.canvas.Width(); ++x)
      if (s.At(x, y).r > 150 && s.At(x, y).r == s.At(x, y).g) right = std::max(right, x);
  return right;
}

TEST(NameLayerTest, NamesNeverOverlapAndTheSelectedShipGoesFirst) {
  struct Row {
    const char* name;
    bool selectLong;  // select the ship with the long name, else nothing is selected
    bool longDrawn;
  } rows[] = {{"table order: the short name wins the place", false, false},
              {"the selected ship's name goes first", true, true}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    testing::ChartScene s(900, 300, 20, Rgb{0, 0, 0});
    const struct {
      int32_t mmsi;
      const char* name;
      PixelPoint at;
    } ships[] = {{431000001, "AB", {100, 150}}, {431000002, "LONGER NAME MARU", {104, 154}}};
    int32_t entry[2];
    for (int i = 0; i < 2; ++i) {
      entry[i] = s.table.FindOrAddShip(ships[i].mmsi);
      std::memset(s.table.FindOrAddStaticEntry(ships[i].mmsi).Name, 0, sizeof(DbStatic::Name));
      std::memcpy(s.table.FindOrAddStaticEntry(ships[i].mmsi).Name, ships[i].name, std::strlen(ships[i].name));
      s.table.Edit(entry[i])->Age = 1;
      s.table.Commit(entry[i]);
      s.screen[entry[i]] = ships[i].at;
    }
    NameLayer names;
    names.Draw(s.frame, nullptr, r.selectLong ? entry[1] : 0);
    const int32_t right = RightmostName(s, 120, 190);
    ASSERT_GT(right, 0) << "one name is drawn";
    // The long name reaches far to the right; the short one does not; never both.
    EXPECT_EQ(right > 300, r.longDrawn) << right;
  }
}

}  // namespace
}  // namespace aismon
