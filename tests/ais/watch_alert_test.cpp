#include "ais/watch_alert.h"

#include "ais/duplicate_filter.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/intake_fixture.h"
#include "tests/support/payload_builder.h"
#include "text/sjis.h"

namespace aismon {
namespace {

std::string Report(int number, int32_t mmsi) {
  testing::PayloadBuilder b(168);
  b.Set(1, 6, number).Set(9, 38, mmsi);
  return b.Sentence();
}

class WatchTest : public testing::IntakeTest {
 protected:
  WatchTest() { PlaceOwnShip(); }
  // Each report comes later than the last by more than the duplicate window, as a
  // station's next report does; the same bits sooner would be one transmission heard twice.
  void Feed(const std::string& line) {
    clock.Advance(kDuplicateWindowMs);
    testing::IntakeTest::Feed(line);
  }
  DbStatic& Watched(int32_t mmsi, const char* name) {
    DbStatic& s = table.StaticEntries()[table.FindOrAddStatic(mmsi)];
    s.Watch = 1;
    std::strcpy(s.Name, name);
    return s;
  }
};

TEST_F(WatchTest, AnnouncedOnceAtTheSecondMessage) {
  const DbStatic& s = Watched(431000060, "OKESA MARU");
  Feed(Report(1, 431000060));
  EXPECT_TRUE(alerts.empty());  // not yet in the dynamic table when checked
  Feed(Report(1, 431000060));
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(ShiftJisToUtf8(alerts[0]), "情報|注目船が見付かりました。(#1:OKESA MARU)");
  EXPECT_EQ(s.Watch, 2);
  Feed(Report(3, 431000060));
  EXPECT_EQ(alerts.size(), 1u);
}

TEST_F(WatchTest, EmptyNameShowsTheMmsiInNineDigits) {
  Watched(4310505, "");
  Feed(Report(18, 4310505));
  Feed(Report(18, 4310505));
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(ShiftJisToUtf8(alerts[0]), "情報|注目船が見付かりました。(#18:004310505)");
}

TEST_F(WatchTest, NameWithoutTerminatorIsCutAtItsField) {
  DbStatic& s = Watched(431000061, "");
  std::memset(s.Name, 'A', sizeof s.Name);  // damaged record: no terminator
  Feed(Report(1, 431000061));
  Feed(Report(1, 431000061));
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_NE(alerts[0].find("(#1:" + std::string(24, 'A') + ")"), std::string::npos);
}

TEST_F(WatchTest, OwnShipAndIgnoredNumbersAreNeverAnnounced) {
  DbStatic& own = table.StaticEntries()[0];
  own.Watch = 1;
  Watched(431000062, "NOPE");
  table.FindOrAddShip(431000062);
  Feed(Report(25, 431000062));  // outside 1..24: never checked
  Feed(Report(0, 431000062));
  EXPECT_TRUE(alerts.empty());
  EXPECT_EQ(table.StaticEntries()[table.FindOrAddStatic(431000062)].Watch, 1);
  Feed(Report(1, kOwnShipPlaceholderMMSI));
  Feed(Report(1, kOwnShipPlaceholderMMSI));
  EXPECT_TRUE(alerts.empty());
  // A message of an ignored number within 1..24 is still checked.
  Feed(Report(8, 431000062));
  EXPECT_EQ(alerts.size(), 1u);
}

}  // namespace
}  // namespace aismon
