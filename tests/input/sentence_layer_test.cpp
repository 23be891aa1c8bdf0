#include "input/sentence_layer.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/intake_fixture.h"

namespace aismon {
namespace {

constexpr char kVdm[] = "!AIVDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D";
constexpr char kRmc[] = "$GPRMC,123456,A,3435.0000,N,13515.0000,E,123,456,123456,0,E,A*06";

TEST(SplitSentenceTest, FieldsOfTheVdmExample) {
  SentenceRecord r;
  ASSERT_TRUE(SentenceLayer::SplitSentence(kVdm, r));
  const char* expected[] = {"1", "1", "", "A", "16K3UQP00:9cqTRCjRU7<5Pb08=@", "0", "4D"};
  ASSERT_EQ(r.fieldCount, 7);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(r.Field(i), expected[i]) << "field " << i;
}

TEST(SplitSentenceTest, RmcStopsAfterTwelveFields) {
  SentenceRecord r;
  ASSERT_TRUE(SentenceLayer::SplitSentence(kRmc, r));
  EXPECT_EQ(r.fieldCount, 12);
  EXPECT_EQ(r.Field(11), "A");
  EXPECT_EQ(r.Field(12), "");  // never split: reads as empty
}

struct AcceptCase {
  const char* name;
  std::string line;
  bool accepted;
};

class SplitSentenceCases : public ::testing::TestWithParam<AcceptCase> {};

TEST_P(SplitSentenceCases, AcceptsOrRejects) {
  SentenceRecord r;
  EXPECT_EQ(SentenceLayer::SplitSentence(GetParam().line.c_str(), r), GetParam().accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SplitSentenceCases,
    ::testing::Values(
        AcceptCase{"VdmWithChecksum", kVdm, true},
        AcceptCase{"VdmWithoutChecksum", "!AIVDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0", false},
        AcceptCase{"VdmCutInPayload", "!AIVDM,1,1,,A,16K3UQP00", false},
        AcceptCase{"VdmStarWithoutDigits", "!AIVDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*", true},
        AcceptCase{"VdoLikeVdm", "!AIVDO,1,1,,,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D", true},
        AcceptCase{"AnyTalker", "!XXVDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D", true},
        AcceptCase{"RmcWithMode", kRmc, true},
        AcceptCase{"RmcWithoutMode", "$GPRMC,123456,A,3435.0000,N,13515.0000,E,123,456,123456,0,E*06", true},
        AcceptCase{"RmcEndingInFieldTen", "$GPRMC,123456,A,3435.0000,N,13515.0000,E,123,456,123456,0", false},
        AcceptCase{"RmcFromGnTalker", "$GNRMC,123456,A,3435.0000,N,13515.0000,E,123,456,123456,0,E,A*06", true},
        AcceptCase{"GgaIsNoRow", "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47", false},
        AcceptCase{"AlrIsNoRow", "!AIALR,000000.00,001,V,V,AIS: UTC Lost*7C", false},
        AcceptCase{"EmptyLine", "", false},
        AcceptCase{"StartOnly", "!", false},
        AcceptCase{"TalkerOnly", "!AI", false},
        AcceptCase{"TypeCut", "!AIVD", false},
        AcceptCase{"AddressOnly", "!AIVDM", false},
        AcceptCase{"AddressAndComma", "!AIVDM,", false},
        AcceptCase{"LongLine127", "!AIVDM,1,1,,A,0,0*00," + std::string(127 - 21, 'x'), true},
        AcceptCase{"LongLine128", "!AIVDM,1,1,,A,0,0*00," + std::string(128 - 21, 'x'), false},
        AcceptCase{"LongLine500", "!AIVDM,1,1,,A," + std::string(500, '0') + ",0*00", false}),
    [](const auto& info) { return std::string(info.param.name); });

using SentenceLayerTest = testing::IntakeTest;

TEST_F(SentenceLayerTest, CountsAndRoutesByType) {
  Feed(kVdm);
  EXPECT_EQ(intake.counters.vdmCount, 1u);
  EXPECT_NE(Ship(431023494), nullptr);
  Feed("!AIVDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0");  // rejected: nothing counted
  EXPECT_EQ(intake.counters.vdmCount, 1u);

  Feed(kRmc);
  EXPECT_EQ(intake.counters.rmcCount, 1u);
  EXPECT_EQ(intake.counters.rmcFixCount, 1u);

  // VDO is ignored entirely while VDO reception is off.
  Feed("!AIVDO,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D");
  EXPECT_EQ(table.OwnMMSI, 0);
  EXPECT_EQ(intake.counters.vdmCount, 1u);
}

TEST_F(SentenceLayerTest, RmcIsCountedButUnusedWhileVdoIsOn) {
  intake.options.vdoEnabled = true;
  Feed(kRmc);
  EXPECT_EQ(intake.counters.rmcCount, 1u);
  EXPECT_EQ(intake.counters.rmcFixCount, 0u);
  EXPECT_EQ(table.DynamicEntries()[0].Lat, 0.0);
}

TEST_F(SentenceLayerTest, AcceptLineRecordsAfterProcessing) {
  std::vector<std::string> recorded;
  uint32_t vdmAtRecording = 99;
  intake.sentences.SetRecorder([&](const char* line) {
    recorded.emplace_back(line);
    vdmAtRecording = intake.counters.vdmCount;
  });
  intake.AcceptLine(kVdm);
  intake.ProcessSentence(kVdm);  // playback and demo path: never recorded
  ASSERT_EQ(recorded.size(), 1u);
  EXPECT_EQ(recorded[0], kVdm);
  EXPECT_EQ(vdmAtRecording, 1u);
}

}  // namespace
}  // namespace aismon
