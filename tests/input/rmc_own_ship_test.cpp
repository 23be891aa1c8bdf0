#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/intake_fixture.h"

namespace aismon {
namespace {

using RmcTest = testing::IntakeTest;

constexpr char kRmc[] = "$GPRMC,123456,A,3435.0000,N,13515.0000,E,123,456,123456,0,E,A*06";

TEST_F(RmcTest, TheJoinedSampleSentence) {
  Feed(kRmc);
  const DbDynamic& own = table.DynamicEntries()[0];
  EXPECT_NEAR(own.Lat, 34.5833333333, 1e-9);
  EXPECT_DOUBLE_EQ(own.Lon, 135.25);
  EXPECT_EQ(own.Sog, 123.0);
  EXPECT_EQ(own.SogInvalid, 0);
  EXPECT_EQ(own.Hdg, 456.0);  // taken without a range test
  EXPECT_EQ(own.HdgInvalid, 0);
  EXPECT_EQ(own.CogInvalid, 1);
  EXPECT_EQ(own.Age, 1u);
  EXPECT_EQ(intake.counters.rmcFixCount, 1u);
}

// The course field is the course over ground: it reaches Cog when it is one, under the
// same option as the heading; otherwise Cog is left to the estimate from the track.
TEST_F(RmcTest, CourseFieldGivesCogUnderTheHeadingOption) {
  struct Row {
    const char* name;
    const char* line;
    bool hdgEnabled;
    double cog;
    uint8_t cogInvalid;
  };
  const Row rows[] = {
      {"Course", "$GPRMC,1,A,3435.0000,N,13515.0000,E,8.0,20.5,091226,,,A*00", true, 20.5, 0},
      {"North", "$GPRMC,1,A,3435.0000,N,13515.0000,E,8.0,0.0,091226,,,A*00", true, 0.0, 0},
      {"OptionOff", "$GPRMC,1,A,3435.0000,N,13515.0000,E,8.0,20.5,091226,,,A*00", false, 33.0, 1},
      {"EmptyField", "$GPRMC,1,A,3435.0000,N,13515.0000,E,8.0,,091226,,,A*00", true, 33.0, 1},
      {"NotACourse", "$GPRMC,1,A,3435.0000,N,13515.0000,E,8.0,360.0,091226,,,A*00", true, 33.0, 1},
      {"Negative", "$GPRMC,1,A,3435.0000,N,13515.0000,E,8.0,-1.0,091226,,,A*00", true, 33.0, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    intake.options.rmcHdgEnabled = row.hdgEnabled;
    DbDynamic own;
    table.GetShip(0, own);
    own.Cog = 33.0;
    own.CogInvalid = 0;
    table.PutShip(0, own);
    Feed(row.line);
    EXPECT_EQ(table.DynamicEntries()[0].Cog, row.cog);
    EXPECT_EQ(table.DynamicEntries()[0].CogInvalid, row.cogInvalid);
  }
}

TEST_F(RmcTest, HeadingOffCopiesCogAndMarksInvalid) {
  intake.options.rmcHdgEnabled = false;
  intake.options.rmcSogEnabled = false;
  DbDynamic own;
  table.GetShip(0, own);
  own.Cog = 77.5;
  own.Sog = 4.0;
  table.PutShip(0, own);
  Feed(kRmc);
  const DbDynamic& o = table.DynamicEntries()[0];
  EXPECT_EQ(o.Hdg, 77.5);
  EXPECT_EQ(o.HdgInvalid, 1);
  EXPECT_EQ(o.Sog, 4.0);  // unchanged
  EXPECT_EQ(o.SogInvalid, 1);
}

TEST_F(RmcTest, NoFixMarksPositionInvalidAndKeepsIt) {
  Feed(kRmc);
  Feed("$GPRMC,123456,V,,,,,,,123456,,,N*00");
  const DbDynamic& own = table.DynamicEntries()[0];
  EXPECT_EQ(own.LatInvalid, 1);
  EXPECT_EQ(own.LonInvalid, 1);
  EXPECT_DOUBLE_EQ(own.Lon, 135.25);
  EXPECT_EQ(intake.counters.rmcFixCount, 1u);
  EXPECT_EQ(own.SogInvalid, 1);  // empty speed field
  EXPECT_EQ(own.HdgInvalid, 1);  // empty course field
}

struct HemisphereCase {
  const char* name;
  const char* line;
  double lat;
  double lon;
};


TEST(RmcHemisphereTest, SignsFollowTheLetters) {
  const HemisphereCase cases[] = {
      {"SouthWest", "$GPRMC,1,A,3435.0000,S,13515.0000,W,1,2,3,,,A*00", -34.58333333333333, -135.25},
      {"NorthOther", "$GPRMC,1,A,3435.0000,N,13515.0000,X,1,2,3,,,A*00", 34.58333333333333, -135.25},
      {"SouthEast", "$GPRMC,1,A,0030.0000,S,00030.0000,E,1,2,3,,,A*00", -0.5, 0.5},
      // A status V fix is applied like A.
      {"StatusV", "$GPRMC,1,V,3435.0000,N,13515.0000,E,1,2,3,,,A*00", 34.58333333333333, 135.25},
  };
  for (const auto& c : cases) {
    ManualClock clock;
    ShipTable table(clock);
    Intake intake(table);
    intake.ProcessSentence(c.line);
    EXPECT_NEAR(table.DynamicEntries()[0].Lat, c.lat, 1e-12) << c.name;
    EXPECT_NEAR(table.DynamicEntries()[0].Lon, c.lon, 1e-12) << c.name;
    EXPECT_EQ(intake.counters.rmcFixCount, 1u) << c.name;
  }
}

TEST_F(RmcTest, AgeIsResetOnlyWhenFreeOrOld) {
  DbDynamic own;
  table.GetShip(0, own);
  own.Age = 500;
  table.PutShip(0, own);
  Feed(kRmc);
  EXPECT_EQ(table.DynamicEntries()[0].Age, 500u);
  table.GetShip(0, own);
  own.Age = 901;
  table.PutShip(0, own);
  Feed(kRmc);
  EXPECT_EQ(table.DynamicEntries()[0].Age, 1u);
}

TEST_F(RmcTest, MalformedNumbersDoNotCrashAndConvertLeniently) {
  Feed("$GPRMC,1,A,abc,N,1e400,E,nan,inf,3,,,A*00");
  const DbDynamic& own = table.DynamicEntries()[0];
  EXPECT_EQ(own.Lat, 0.0);  // no digits: 0
  EXPECT_FALSE(std::isfinite(own.Lon));  // stored as converted; the painter must cope
  EXPECT_EQ(own.Sog, 0.0);  // "nan" is not a decimal number
  EXPECT_EQ(own.Hdg, 0.0);
}

}  // namespace
}  // namespace aismon
