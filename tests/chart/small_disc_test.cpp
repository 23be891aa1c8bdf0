// Recorded wake discs must come out as the pixels painting them sets, whichever way the
// recording takes (bits for a compact wake, sorted rows for a scattered one).
#include "chart/small_disc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

namespace aismon {
namespace {

struct DiscCase {
  const char* name;
  int32_t radius;
  std::vector<PixelPoint> centres;
};

std::vector<PixelPoint> Chain(int32_t x, int32_t y, int32_t dx, int32_t dy, int n) {
  std::vector<PixelPoint> c;
  for (int i = 0; i < n; ++i) c.push_back({x + i * dx / 2, y + i * dy / 2});
  return c;
}

TEST(SmallDiscs, RecordedDiscsSetThePaintedPixels) {
  constexpr int32_t kW = 700, kH = 1200;
  const std::vector<DiscCase> cases = {
      {"slow wake, overlapping", 2, Chain(300, 400, 1, 1, 60)},
      {"passenger wake", 3, Chain(300, 400, 3, -1, 60)},
      {"one disc", 2, {{50, 60}}},
      {"chain across 64-pixel words", 2, Chain(10, 30, 5, 0, 100)},
      {"just within the bits", 2, {{100, 20}, {100 + 252, 20}, {100 + 128, 22}}},
      {"a pixel wider than the bits", 2, {{100, 20}, {100 + 253, 21}, {100 + 128, 22}}},
      {"wider than the bits", 3, {{5, 20}, {600, 25}, {300, 700}}},
      {"taller than the bits", 2, Chain(20, 0, 0, 2, 1150)},
      {"cut at the top left", 3, {{-1, -1}, {0, 3}, {2, -3}, {-4, 5}}},
      {"cut at the bottom right", 2, {{kW, kH}, {kW - 1, kH - 2}, {kW + 1, kH - 4}}},
      {"all outside", 2, {{-10, -10}, {kW + 10, 5}, {30, kH + 3}}},
      {"far out beside a wake", 2, {{INT32_MIN / 2, 5}, {10, 10}, {12, 11}, {INT32_MAX / 2, INT32_MAX / 2}}},
  };
  constexpr uint32_t kWake = 0xFF7FFF7Fu, kGround = 0xFF102030u;
  for (const DiscCase& c : cases) {
    std::vector<uint32_t> painted(static_cast<size_t>(kW) * kH, kGround), replayed = painted;
    PixelTarget paint{painted.data(), kW, kW, kH};
    // A run of the same colour just before, touching the first row's discs, as another
    // shape of the same ship may leave it.
    const int32_t y0 = c.centres[0].y - c.radius;
    const bool before = y0 >= 0 && y0 < kH && c.centres[0].x - 8 >= 0 && c.centres[0].x < kW;
    if (before) paint.Put(y0, c.centres[0].x - 8, 6, kWake);
    DiscScratch scratch;
    PaintSmallDiscs(paint, c.centres.data(), static_cast<int>(c.centres.size()), c.radius, kWake, scratch);

    RunRecord record;
    PixelTarget rec{nullptr, 0, kW, kH};
    rec.record = &record;
    if (before) rec.Put(y0, c.centres[0].x - 8, 6, kWake);
    PaintSmallDiscs(rec, c.centres.data(), static_cast<int>(c.centres.size()), c.radius, kWake, scratch);
    // The discs' own runs come row after row (the one before may have joined the first).
    int32_t lastY = INT32_MIN;
    bool rowOrder = true;
    for (size_t i = 0; i < record.Runs().size(); ++i) {
      const RecordedRun& r = record.Runs()[i];
      ASSERT_TRUE(r.y >= 0 && r.y < kH && r.x >= 0 && r.n > 0 && r.x + r.n <= kW) << c.name;
      if (i > 0 || !before) {
        rowOrder = rowOrder && r.y >= lastY;
        lastY = r.y;
      }
      std::fill_n(replayed.data() + static_cast<size_t>(r.y) * kW + r.x, r.n, r.pixel);
    }
    EXPECT_TRUE(rowOrder) << c.name;
    int differing = 0, set = 0;
    for (size_t i = 0; i < painted.size(); ++i) {
      differing += painted[i] != replayed[i];
      set += painted[i] == kWake;
    }
    EXPECT_EQ(differing, 0) << c.name;
    if (std::string(c.name) != "all outside") {
      EXPECT_GT(set, 0) << c.name;
    }
  }
}

}  // namespace
}  // namespace aismon
