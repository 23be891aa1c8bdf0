#include "chart/row_split.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace aismon {
namespace {

// Every row is handed out exactly once, big jobs go to both threads, small ones stay here.
TEST(RowSplitter, CoversEveryRowOnceAndSharesOnlyBigJobs) {
  struct Row {
    int32_t rows;
    bool helper;
    bool shared;
  } rows[] = {{0, true, false}, {1, true, false}, {63, true, false}, {64, true, true},
              {1081, true, true}, {2160, false, false}};
  RowSplitter withHelper(true), alone(false);
  for (const Row& r : rows) {
    std::vector<int> seen(static_cast<size_t>(r.rows), 0);
    std::thread::id threads[2];
    bool parts[2] = {false, false};
    auto work = [&](int part, int32_t b, int32_t e) {
      parts[part] = true;
      threads[part] = std::this_thread::get_id();
      for (int32_t y = b; y < e; ++y) ++seen[static_cast<size_t>(y)];
    };
    (r.helper ? withHelper : alone).Run(r.rows, work);
    for (int32_t y = 0; y < r.rows; ++y) EXPECT_EQ(seen[static_cast<size_t>(y)], 1) << r.rows << " row " << y;
    EXPECT_EQ(parts[1], r.shared) << r.rows;
    if (r.shared) {
      EXPECT_NE(threads[0], threads[1]) << r.rows;
    }
  }
}

}  // namespace
}  // namespace aismon
