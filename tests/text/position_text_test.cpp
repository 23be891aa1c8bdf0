#include "text/position_text.h"
#include "text/pointer_text.h"
#include "watch/range_bearing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace aismon {
namespace {

TEST(PositionTextTest, DegreesAndMinutesToThreeDecimals) {
  struct Row {
    double value;
    bool latitude;
    const char* text;
  } rows[] = {
      {35.40082, true, "35°24.049'N"},        {-33.5, true, "33°30.000'S"},
      {139.78, false, "139°46.800'E"},        {-0.5, false, "000°30.000'W"},
      {34.99999999, true, "35°00.000'N"},     // the minutes round into the next degree
      {0.0, true, "00°00.000'N"},             {-179.999999, false, "180°00.000'W"},
      {std::numeric_limits<double>::quiet_NaN(), true, "不明"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(r.latitude ? LatitudeText(r.value) : LongitudeText(r.value), r.text) << r.value;
}

TEST(PositionTextTest, TheCopiedLineSaysWhatIsUnknown) {
  DbDynamic e{};
  e.MMSI = 431000001;
  e.Lat = 35.40082;
  e.Lon = 139.78;
  e.Sog = 12.34;
  e.Cog = 45.0;
  DbStatic s{};
  std::strcpy(s.Name, "KOBE MARU           ");
  std::strcpy(s.Sign, "JA1234 ");
  EXPECT_EQ(ShipCopyLine(e, &s, true),
            "MMSI 431000001, 船名 KOBE MARU, 呼出符号 JA1234, 位置 35°24.049'N 139°46.800'E, SOG 12.3 kn, COG 45.0°");
  e.CogInvalid = 1;
  EXPECT_EQ(ShipCopyLine(e, nullptr, false),
            "MMSI 431000001, 船名 不明, 呼出符号 不明, 位置 不明, SOG 不明, COG 不明");
  EXPECT_EQ(ShipCopyLine(e, &s, true),
            "MMSI 431000001, 船名 KOBE MARU, 呼出符号 JA1234, 位置 35°24.049'N 139°46.800'E, SOG 12.3 kn, COG 不明");
}

}  // namespace
}  // namespace aismon

namespace aismon {
namespace {

TEST(PositionTextTest, PointerReadOutWithAndWithoutOwnShip) {
  const RangeBearing nearNorth{2.345, 359.96};
  const RangeBearing east{12.0, 90.04};
  EXPECT_EQ(PointerStatusText(35.5, 139.75, nullptr), "35°30.000'N  139°45.000'E");
  EXPECT_EQ(PointerStatusText(35.5, 139.75, &nearNorth), "35°30.000'N  139°45.000'E    自船から 2.35 NM  000.0°");
  EXPECT_EQ(PointerStatusText(-1, -1, &east), "01°00.000'S  001°00.000'W    自船から 12.00 NM  090.0°");
}

}  // namespace
}  // namespace aismon
