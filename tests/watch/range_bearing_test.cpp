#include "watch/range_bearing.h"

#include <gtest/gtest.h>

namespace aismon {
namespace {

// One minute of arc of a great circle is a nautical mile (60.04 NM a degree on this radius).
TEST(RangeBearingTest, ArcsAndCourses) {
  struct Row {
    double lat1, lon1, lat2, lon2, rangeNm, bearingDeg;
  } rows[] = {
      {0, 0, 1, 0, 60.04, 0},          {0, 0, 0, 1, 60.04, 90},       {0, 0, -1, 0, 60.04, 180},
      {0, 0, 0, -1, 60.04, 270},       {0, 179.5, 0, -179.5, 60.04, 90},  // across 180 degrees
      {35, 139, 35, 139, 0, 0},
  };
  for (const Row& r : rows) {
    const RangeBearing rb = RangeBearingBetween(r.lat1, r.lon1, r.lat2, r.lon2);
    EXPECT_NEAR(rb.rangeNm, r.rangeNm, 0.01) << r.lat2 << "," << r.lon2;
    EXPECT_NEAR(rb.bearingDeg, r.bearingDeg, 1e-9) << r.lat2 << "," << r.lon2;
  }
}

}  // namespace
}  // namespace aismon
