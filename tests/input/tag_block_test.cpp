// NMEA 4 TAG blocks in front of a sentence, from a port's bytes and from a whole line: the
// block's checksum is checked, its s: names a sub-source, and the receive log gets the
// sentence alone. The lines are real receptions as published by a coastal network
// (gpsdecode: 477553000 for the sentence below).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ais/duplicate_filter.h"
#include "input/line_assembler.h"
#include "tests/support/intake_fixture.h"

namespace aismon {
namespace {

constexpr char kSentence[] = "!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN0TKH,0*5C";
constexpr int32_t kMmsi = 477553000;

class TagBlockTest : public testing::IntakeTest {};

TEST_F(TagBlockTest, GoodBlocksAttributeBadBlocksDrop) {
  const std::string s = kSentence;
  const struct {
    const char* name;
    std::string line;
    const char* heardBy;  // the source the station is filed under; "" when the line is dropped
    const char* fromBytes;  // the same when the line comes byte by byte from the port, if different
  } cases[] = {
      {"NoBlock", s, "COM3", nullptr},
      {"SourceAndTime", "\\s:2573135,c:1671620143*0B\\" + s, "COM3/2573135", nullptr},
      {"LowerCaseChecksum", "\\s:2573135,c:1671620143*0b\\" + s, "COM3/2573135", nullptr},
      {"NoSourceField", "\\c:1671620143*5A\\" + s, "COM3", nullptr},
      {"WrongChecksum", "\\s:2573135,c:1671620143*0C\\" + s, "", nullptr},
      {"NoChecksum", "\\s:2573135,c:1671620143\\" + s, "", nullptr},
      {"OneChecksumDigit", "\\s:2573135,c:1671620143*B\\" + s, "", nullptr},
      {"NoSentenceAfter", "\\s:2573135,c:1671620143*0B\\", "", nullptr},
      // Without its closing backslash the block is no block: the port's line starts again at
      // the '!' (bytes before a sentence are dropped); a whole line so shaped is bad.
      {"NoClosingBackslash", "\\s:2573135,c:1671620143*0B" + s, "", "COM3"},
  };
  for (const auto& c : cases) {
    for (const bool bytes : {false, true}) {
      ManualClock clock{1000};
      ShipTable t(clock);
      Intake in(t);
      const SourceId com3 = in.sources.Register("COM3");
      std::vector<std::string> recorded;
      in.sentences.SetRecorder([&](const char* line) { recorded.emplace_back(line); });
      if (bytes) {
        LineAssembler assembler;
        for (const char b : "junk\r\n" + c.line + "\r\n")
          assembler.FeedByte(static_cast<uint8_t>(b), [&](const char* line) { in.AcceptLine(line, com3); });
      } else {
        in.AcceptLine(c.line.c_str(), com3);
      }
      const std::string expected = bytes && c.fromBytes != nullptr ? c.fromBytes : c.heardBy;
      const std::string label = std::string(c.name) + (bytes ? " (bytes)" : " (line)");
      const int i = t.FindShip(kMmsi);
      std::string heardBy;
      if (i >= 1) in.stations.ForEach(i, kMmsi, clock.TickMs(), [&](SourceId id, uint32_t) { heardBy += in.sources.Name(id); });
      EXPECT_EQ(heardBy, expected) << label;
      // The log keeps the sentence as it always did, and nothing of a dropped line.
      const std::vector<std::string> log = expected.empty() ? std::vector<std::string>{} : std::vector<std::string>{s};
      std::vector<std::string> sentences;
      for (const std::string& r : recorded)
        if (r != "junk") sentences.push_back(r);
      EXPECT_EQ(sentences, log) << label;
    }
  }
}

TEST_F(TagBlockTest, SubSourcesAreRegisteredOnceAndBounded) {
  const SourceId com3 = intake.sources.Register("COM3");
  const std::string s = kSentence;
  intake.AcceptLine(("\\s:2573135,c:1671620143*0B\\" + s).c_str(), com3);
  clock.Advance(kDuplicateWindowMs);
  intake.AcceptLine(("\\s:2573135,c:1671620143*0B\\" + s).c_str(), com3);
  EXPECT_EQ(intake.sources.Count(), 3);  // default, COM3, COM3/2573135
  const SourceId sub = intake.sources.SubSource(com3, "2573135");
  EXPECT_EQ(intake.sources.Parent(sub), com3);
  EXPECT_EQ(intake.sources.Figures(sub).sentences, 2u);
  EXPECT_EQ(intake.sources.Figures(com3).sentences, 0u);
  // A full table files further sub-sources under their parent.
  for (int n = 0; intake.sources.Count() < kMaxSources; ++n) intake.sources.Register("udp:" + std::to_string(20000 + n));
  EXPECT_EQ(intake.sources.SubSource(com3, "new"), com3);
  EXPECT_EQ(intake.sources.Register("udp:1"), kDefaultSource);
}

}  // namespace
}  // namespace aismon
