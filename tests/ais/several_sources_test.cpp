// Messages from several receivers at once, and from one receiver reporting both channels:
// fragments joined per source, identifier and channel; the same message decoded once.
// The payloads are real receptions (gpsd's test captures) whose decoded values gpsdecode
// states; only their envelopes (identifier, channel) are rewritten for each case.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ais/duplicate_filter.h"
#include "tests/support/intake_fixture.h"

namespace aismon {
namespace {

// A VDM sentence with its checksum.
std::string Vdm(int count, int number, const char* id, const char* channel, const std::string& payload, int fill) {
  char body[128];
  std::snprintf(body, sizeof body, "AIVDM,%d,%d,%s,%s,%s,%d", count, number, id, channel, payload.c_str(), fill);
  unsigned sum = 0;
  for (const char* c = body; *c != '\0'; ++c) sum ^= static_cast<unsigned char>(*c);
  char line[160];
  std::snprintf(line, sizeof line, "!%s*%02X", body, sum);
  return line;
}

// Two message 5s in two fragments each (rx-netherlands-rmc-vdm.log). gpsdecode: 371255000
// "SEA ENTERPRISE" HP6683 to LEMMER; 244700667 "AVANTI" PB8066 to LEMMER.
struct TwoPart {
  int32_t mmsi;
  const char* name;  // as the table keeps it: 20 characters, '@' as spaces
  const char* sign;
  std::string head, tail;
  int fill;
};
const TwoPart kSea{371255000, "SEA ENTERPRISE      ", "HP6683 ",
                   "55R3Vn82=ILTQ3KKS>1<D60Dq@E918U<F222221J1`?164vc03S1CCAD", "`88888888888880", 2};
const TwoPart kAvanti{244700667, "AVANTI              ", "PB8066 ",
                      "53aGEvp000010;S3KH05H4q@T00000000000000U1@:33tl>0431CCAD", "P00000000000008", 2};

struct Line {
  SourceId source;
  std::string text;
};
Line Head(SourceId s, const TwoPart& m, const char* id, const char* ch) { return {s, Vdm(2, 1, id, ch, m.head, 0)}; }
Line Tail(SourceId s, const TwoPart& m, const char* id, const char* ch) { return {s, Vdm(2, 2, id, ch, m.tail, m.fill)}; }

class SeveralSourcesTest : public testing::IntakeTest {
 protected:
  SeveralSourcesTest() {
    PlaceOwnShip();
    north = intake.sources.Register("udp:10110");
    south = intake.sources.Register("tcp:192.0.2.7:4001");
  }
  static std::string Expected(const TwoPart& m) { return std::string(m.name) + "|" + m.sign; }
  SourceId north = 0, south = 0;
};

TEST_F(SeveralSourcesTest, InterleavedFragmentsAreJoinedPerSourceIdentifierAndChannel) {
  const SourceId a = kDefaultSource;
  const SourceId n = 1, s = 2;  // registered in this order by the fixture
  const std::string none = "<none>";
  const struct {
    const char* name;
    std::vector<Line> lines;
    bool seaDecoded, avantiDecoded;
  } cases[] = {
      {"OneReceiverBothChannels",
       {Head(a, kSea, "5", "A"), Head(a, kAvanti, "5", "B"), Tail(a, kSea, "5", "A"), Tail(a, kAvanti, "5", "B")},
       true, true},
      {"OneChannelTwoIdentifiers",
       {Head(a, kSea, "1", "A"), Head(a, kAvanti, "4", "A"), Tail(a, kSea, "1", "A"), Tail(a, kAvanti, "4", "A")},
       true, true},
      {"TwoReceiversSameKey",
       {Head(n, kSea, "1", "A"), Head(s, kAvanti, "1", "A"), Tail(n, kSea, "1", "A"), Tail(s, kAvanti, "1", "A")},
       true, true},
      {"EmptyIdentifierIsItsOwnKey",
       {Head(a, kSea, "", "A"), Head(a, kAvanti, "7", "A"), Tail(a, kSea, "", "A"), Tail(a, kAvanti, "7", "A")},
       true, true},
      {"TailFromTheOtherReceiverIsNotJoined",
       {Head(n, kSea, "1", "A"), Tail(s, kSea, "1", "A")}, false, false},
      {"OldestOfFiveInProgressIsEvicted",
       {Head(a, kSea, "1", "A"), Head(a, kAvanti, "2", "A"), Head(a, kAvanti, "3", "A"), Head(a, kAvanti, "4", "A"),
        Head(a, kAvanti, "5", "A"), Tail(a, kSea, "1", "A"), Tail(a, kAvanti, "5", "A")},
       false, true},
  };
  for (const auto& c : cases) {
    ManualClock clock{1000};
    ShipTable t(clock);
    Intake in(t);
    ASSERT_EQ(in.sources.Register("udp:10110"), n);
    ASSERT_EQ(in.sources.Register("tcp:192.0.2.7:4001"), s);
    for (const Line& l : c.lines) in.AcceptLine(l.text.c_str(), l.source);
    auto identity = [&](const TwoPart& m) {
      const int i = t.FindShip(m.mmsi);
      if (i < 1) return none;
      const DbStatic& st = t.StaticOf(t.DynamicEntries()[i].Link);
      return std::string(st.Name) + "|" + st.Sign;
    };
    EXPECT_EQ(identity(kSea), c.seaDecoded ? Expected(kSea) : none) << c.name;
    EXPECT_EQ(identity(kAvanti), c.avantiDecoded ? Expected(kAvanti) : none) << c.name;
  }
}

// What forwarding relies on: each complete message's sentences, exactly as received and
// in fragment order, without the TAG block, however the sources interleave.
TEST_F(SeveralSourcesTest, ObserversGetEachMessagesSentencesAsReceived) {
  struct Seen : MessageObserver {
    std::vector<std::string> messages;
    void OnMessage(const CompletedMessage& m) override {
      std::string all = m.duplicate ? "dup:" : "";
      for (int i = 0; i < m.lineCount; ++i) all += std::string(m.lines[i]) + "|";
      messages.push_back(all);
    }
  } seen;
  ASSERT_TRUE(intake.assembler.AddObserver(&seen));
  const std::string tag = "\\s:r1*0A\\";  // s:r1, its checksum 0A
  const Line seaHead = Head(north, kSea, "1", "A"), seaTail = Tail(north, kSea, "1", "A");
  const Line avHead = Head(south, kAvanti, "1", "A"), avTail = Tail(south, kAvanti, "1", "A");
  const std::string report = "!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*4A";
  intake.AcceptLine((tag + seaHead.text).c_str(), north);
  intake.AcceptLine(avHead.text.c_str(), south);
  intake.AcceptLine((tag + seaTail.text).c_str(), north);
  intake.AcceptLine(avTail.text.c_str(), south);
  intake.AcceptLine(report.c_str(), south);
  intake.AcceptLine(report.c_str(), north);
  EXPECT_EQ(seen.messages, (std::vector<std::string>{seaHead.text + "|" + seaTail.text + "|",
                                                     avHead.text + "|" + avTail.text + "|", report + "|",
                                                     "dup:" + report + "|"}));
  EXPECT_GE(table.FindShip(kSea.mmsi), 1);  // the TAG block was good: the message was decoded
}

TEST_F(SeveralSourcesTest, TheSameMessageWithinFiveSecondsIsDecodedOnce) {
  // gpsd's sample: message 1 from 371798000.
  const std::string report = "!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*4A";
  const int32_t mmsi = 371798000;
  const struct {
    const char* name;
    uint32_t laterMs;
    bool fromSouth;  // else the same receiver again
    bool duplicate;
  } cases[] = {
      {"OtherReceiverAtOnce", 0, true, true},
      {"OtherReceiverJustInside", kDuplicateWindowMs - 1, true, true},
      {"OtherReceiverAfterTheWindow", kDuplicateWindowMs, true, false},
      {"SameReceiverAgain", 1000, false, true},
      {"SameReceiverLater", 60000, false, false},
  };
  for (const auto& c : cases) {
    ManualClock clock{1000};
    ShipTable t(clock);
    Intake in(t);
    const SourceId n = in.sources.Register("udp:10110");
    const SourceId s = in.sources.Register("tcp:192.0.2.7:4001");
    const SourceId second = c.fromSouth ? s : n;
    struct Seen : MessageObserver {
      std::vector<CompletedMessage> messages;
      void OnMessage(const CompletedMessage& m) override { messages.push_back(m); }
    } seen;
    ASSERT_TRUE(in.assembler.AddObserver(&seen));
    in.AcceptLine(report.c_str(), n);
    const int i = t.FindShip(mmsi);
    ASSERT_GE(i, 1) << c.name;
    t.Edit(i)->Age = 4321;  // as the painter ages it; a decoded report sets it to 1
    t.Commit(i);
    clock.Advance(c.laterMs);
    in.AcceptLine(report.c_str(), second);

    EXPECT_EQ(t.DynamicEntries()[i].Age, c.duplicate ? 4321u : 1u) << c.name;
    // Observers see both, the second flagged as the filter decided, from its own source.
    ASSERT_EQ(seen.messages.size(), 2u) << c.name;
    EXPECT_FALSE(seen.messages[0].duplicate) << c.name;
    EXPECT_EQ(seen.messages[1].duplicate, c.duplicate) << c.name;
    EXPECT_EQ(seen.messages[1].source, second) << c.name;
    EXPECT_EQ(seen.messages[1].channel, 'A') << c.name;
    EXPECT_EQ(in.sources.Figures(second).duplicates, c.duplicate ? 1u : 0u) << c.name;
    EXPECT_EQ(in.sources.Figures(n).messages + (c.fromSouth ? in.sources.Figures(s).messages : 0), 2u) << c.name;
    EXPECT_EQ(in.sources.Figures(n).sentences + (c.fromSouth ? in.sources.Figures(s).sentences : 0), 2u) << c.name;
    // Whoever heard it, duplicate or not, is among the station's sources.
    EXPECT_TRUE(in.stations.Heard(i, mmsi, n, clock.TickMs())) << c.name;
    EXPECT_TRUE(in.stations.Heard(i, mmsi, second, clock.TickMs())) << c.name;
    EXPECT_EQ(in.stations.Heard(i, mmsi, s, clock.TickMs()), c.fromSouth) << c.name;
  }
}

TEST_F(SeveralSourcesTest, SourcesHeardWithinTenMinutesAndMessagesOfTheLastMinute) {
  const std::string report = "!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*4A";
  intake.AcceptLine(report.c_str(), north);
  clock.Advance(30000);
  intake.AcceptLine("!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN0TKH,0*5C", south);
  const int first = table.FindShip(371798000);
  ASSERT_GE(first, 1);
  EXPECT_EQ(intake.sources.MessagesLastMinute(north, clock.TickMs()), 1u);
  clock.Advance(30000);  // a minute after the first report
  EXPECT_EQ(intake.sources.MessagesLastMinute(north, clock.TickMs()), 0u);
  EXPECT_EQ(intake.sources.MessagesLastMinute(south, clock.TickMs()), 1u);
  EXPECT_TRUE(intake.stations.Heard(first, 371798000, north, clock.TickMs()));
  clock.Advance(kHeardByWindowMs - 60000);
  EXPECT_FALSE(intake.stations.Heard(first, 371798000, north, clock.TickMs()));
  // An entry given to another station does not inherit the sources of the last one.
  EXPECT_FALSE(intake.stations.Heard(first, 371798001, north, clock.TickMs() - 1000));
}

}  // namespace
}  // namespace aismon
