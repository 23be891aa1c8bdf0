// Joining fragments, own-ship identity and own echoes.
#include "ais/vdx_assembly.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/intake_fixture.h"
#include "tests/support/payload_builder.h"

namespace aismon {
namespace {

using testing::PayloadBuilder;

// A message 5 of the given MMSI and name, its armoured text split in two halves.
struct TwoFragments {
  std::string first, second;
};
TwoFragments StaticVoyage(int32_t mmsi, const std::string& name) {
  PayloadBuilder b(424);
  b.Set(1, 6, 5).Set(9, 38, mmsi).Text(113, 20, name);
  const std::string text = b.Armoured();
  const std::string head = text.substr(0, 40), tail = text.substr(40);
  return {"!AIVDM,2,1,3,A," + head + ",0*00", "!AIVDM,2,2,3,A," + tail + ",2*00"};
}

std::string Position(int32_t mmsi, const char* type = "VDM", char channel = 'A') {
  PayloadBuilder b(168);
  b.Set(1, 6, 1).Set(9, 38, mmsi).Set(62, 89, 81000000).Set(90, 116, 20700000).Set(129, 137, 45);
  return b.Sentence(type, channel);
}

// The same single sentence under sequential identifier 3, the key of StaticVoyage's fragments.
std::string WithSequenceThree(std::string sentence) {
  const size_t at = sentence.find(",1,1,,");
  return sentence.replace(at, 6, ",1,1,3,");
}

int PendingCount(const Intake& in) {
  const AssemblyState* st = in.assembler.Pending(kDefaultSource, '3', 'A');
  return st == nullptr ? 0 : st->expectedCount;
}

class AssemblyTest : public testing::IntakeTest {
 protected:
  AssemblyTest() { PlaceOwnShip(); }
  std::string NameOf(int32_t mmsi) {
    const DbDynamic* d = Ship(mmsi);
    return d == nullptr ? "<none>" : std::string(StaticOf(*d).Name);
  }
};

TEST_F(AssemblyTest, FragmentContinuity) {
  const TwoFragments x = StaticVoyage(431000010, "XRAY");
  const TwoFragments y = StaticVoyage(431000011, "YANKEE");
  const struct {
    const char* name;
    std::vector<std::string> lines;
    const char* xName;
    const char* yName;
    int pending;  // expectedCount left behind
  } cases[] = {
      {"InOrder", {x.first, x.second}, "XRAY                ", "<none>", 0},
      {"SecondAlone", {x.second}, "<none>", "<none>", 0},
      {"FirstRepeated", {x.first, y.first, y.second}, "<none>", "YANKEE              ", 0},
      {"SingleOfTheSameKeyBetween", {x.first, WithSequenceThree(Position(431000099)), x.second}, "<none>", "<none>", 0},
      {"SingleOfAnotherKeyBetween", {x.first, Position(431000099), x.second}, "XRAY                ", "<none>", 0},
      {"Reversed", {x.second, x.first}, "<none>", "<none>", 2},
      {"FirstTwiceThenSecond", {x.first, x.first, x.second}, "XRAY                ", "<none>", 0},
      {"CountChanges", {x.first, "!AIVDM,3,2,3,A,0000,0*00", x.second}, "<none>", "<none>", 0},
      {"CountChangesAtFirst", {x.first, "!AIVDM,3,1,3,A,0000,0*00"}, "<none>", "<none>", 3},
  };
  for (const auto& c : cases) {
    ManualClock clock;
    ShipTable t(clock);
    Intake in(t);
    DbDynamic own;
    t.GetShip(0, own);
    own.MMSI = kOwnShipPlaceholderMMSI;
    t.PutShip(0, own);
    for (const std::string& line : c.lines) in.ProcessSentence(line.c_str());
    auto name = [&](int32_t mmsi) {
      const int i = t.FindShip(mmsi);
      return i < 0 ? std::string("<none>") : std::string(t.StaticOf(t.DynamicEntries()[i].Link).Name);
    };
    EXPECT_EQ(name(431000010), c.xName) << c.name;
    EXPECT_EQ(name(431000011), c.yName) << c.name;
    EXPECT_EQ(PendingCount(in), c.pending) << c.name;
  }
}

TEST_F(AssemblyTest, SingleFragmentReplacesPendingMessageOfItsKeyOnly) {
  const TwoFragments x = StaticVoyage(431000010, "XRAY");
  for (const bool sameKey : {true, false}) {
    ManualClock clock;
    ShipTable t(clock);
    Intake in(t);
    const std::string single = sameKey ? WithSequenceThree(Position(431000020)) : Position(431000020);
    for (const std::string& line : {x.first, single, x.second}) in.ProcessSentence(line.c_str());
    EXPECT_GE(t.FindShip(431000020), 1) << sameKey;
    EXPECT_EQ(t.FindShip(431000010) >= 1, !sameKey) << sameKey;
  }
}

TEST_F(AssemblyTest, NonPayloadCharacterDropsTheMessage) {
  std::string s = Position(431000030);
  for (const char bad : {'X', 'x', '!', '\x90'}) {
    std::string t = s;
    t[20] = bad;
    Feed(t);
    EXPECT_EQ(Ship(431000030), nullptr) << bad;
    EXPECT_EQ(intake.assembler.InProgress(kDefaultSource), 0);
  }
}

TEST_F(AssemblyTest, OverlongGatheredMessageIsDroppedWhole) {
  // Three fragments of 100 characters: 300 would overflow the 255-character buffer.
  const std::string chunk(100, '0');
  Feed("!AIVDM,3,1,1,A," + chunk + ",0*00");
  Feed("!AIVDM,3,2,1,A," + chunk + ",0*00");
  Feed("!AIVDM,3,3,1,A," + chunk + ",0*00");
  EXPECT_EQ(intake.assembler.Pending(kDefaultSource, '1', 'A'), nullptr);
  EXPECT_EQ(table.ShipCount, 0u);
  // 255 characters exactly still fit.
  const std::string a(100, '0'), b(100, '0'), c(55, '0');
  Feed("!AIVDM,3,1,1,A,1" + a.substr(1) + ",0*00");
  Feed("!AIVDM,3,2,1,A," + b + ",0*00");
  ASSERT_NE(intake.assembler.Pending(kDefaultSource, '1', 'A'), nullptr);
  EXPECT_EQ(intake.assembler.Pending(kDefaultSource, '1', 'A')->gatheredLength, 200);
  Feed("!AIVDM,3,3,1,A," + c + ",0*00");
  EXPECT_EQ(intake.assembler.Pending(kDefaultSource, '1', 'A'), nullptr);
  // A message 1 from MMSI 0, all zeros; MMSI 0 equals the unlearnt own MMSI, so it is
  // filed as an own echo.
  EXPECT_NE(Ship(kOwnEchoMMSI), nullptr);
}

TEST_F(AssemblyTest, OwnShipIdentityNeedsAChannelLetter) {
  intake.options.vdoEnabled = true;
  Feed(Position(431000040, "VDO", ' '));  // no channel: identity unchanged, report still applied
  EXPECT_EQ(table.OwnMMSI, 0);
  EXPECT_EQ(table.DynamicEntries()[0].MMSI, kOwnShipPlaceholderMMSI);
  EXPECT_NEAR(table.DynamicEntries()[0].Lat, 34.5, 1e-9);
  EXPECT_EQ(table.DynamicEntries()[0].Hdg, 45.0);

  Feed(Position(431000041, "VDO", 'B'));
  EXPECT_EQ(table.OwnMMSI, 431000041);
  EXPECT_EQ(table.DynamicEntries()[0].MMSI, 431000041);
  EXPECT_EQ(ShipTable::LinkIndex(table.DynamicEntries()[0].Link), 0);
  EXPECT_EQ(table.ShipCount, 0u);  // own ship's reports never create other entries

  // Heard back as VDM, own transmissions are filed under the echo MMSI.
  Feed(Position(431000041));
  EXPECT_EQ(Ship(431000041), nullptr);
  const DbDynamic* echo = Ship(kOwnEchoMMSI);
  ASSERT_NE(echo, nullptr);
  EXPECT_EQ(StaticOf(*echo).MMSI, kOwnEchoMMSI);
  EXPECT_NEAR(echo->Lat, 34.5, 1e-9);
}

TEST_F(AssemblyTest, VdoFragmentOfTheSameKeyBetweenVdmFragmentsLosesTheVdmMessage) {
  const TwoFragments x = StaticVoyage(431000010, "XRAY");
  for (const bool sameKey : {true, false}) {
    ManualClock clock;
    ShipTable t(clock);
    Intake in(t);
    in.options.vdoEnabled = true;
    const std::string vdo = sameKey ? WithSequenceThree(Position(431000050, "VDO")) : Position(431000050, "VDO", 'B');
    for (const std::string& line : {x.first, vdo, x.second}) in.ProcessSentence(line.c_str());
    EXPECT_EQ(t.FindShip(431000010) >= 1, !sameKey) << sameKey;
  }
}

}  // namespace
}  // namespace aismon
