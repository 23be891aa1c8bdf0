// Messages 12 and 14: text and sender reach the hook, the ship table is not touched. The
// expected values are those gpsdecode (gpsd-clients) prints for the same sentences.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/intake_fixture.h"

namespace aismon {
namespace {

using testing::IntakeTest;

struct Received {
  int number;
  int32_t mmsi;
  int32_t dest;
  std::string text;
};

class SafetyTextTest : public IntakeTest {
 protected:
  SafetyTextTest() {
    intake.decoders.SetSafetyTextHook(
        [this](const SafetyText& s) { got.push_back({s.number, s.mmsi, s.destMmsi, s.text}); });
  }
  std::vector<Received> got;
};

TEST_F(SafetyTextTest, TextAndSenderAsAnIndependentDecoderReadsThem) {
  struct Case {
    const char* name;
    std::vector<const char*> lines;
    Received want;
  };
  const Case cases[] = {
      {"sart_test_broadcast", {"!AIVDM,1,1,,A,>>M4nfA<59B1@E=@,2*2F"}, {14, 970012345, 0, "SART TEST"}},
      {"mob_active_broadcast", {"!AIVDM,1,1,,A,>>O4BJ0lt:04=@UHD,2*65"}, {14, 972100200, 0, "MOB ACTIVE"}},
      {"warning_broadcast",
       {"!AIVDM,1,1,,A,>02M3<@p5HTL5@Ttp4j1L58pTpN37;>w;J09DuV0tHJ1=@5@Ttp,2*58"},
       {14, 2573105, 0, "NAVIGATIONAL WARNING 123/26 BUOY OFF STATION"}},
      {"addressed",
       {"!AIVDM,1,1,,B,<6K2:>mVwjq0@<51C5P;55@P3<51BP?6P=IP@?BDPC945,0*76"},
       {12, 431000123, 431999888, "PLEASE KEEP CLEAR OF MY PORT SIDE"}},
      {"three_fragments",
       {"!AIVDM,3,1,5,A,>03Owsi<D=E8U@F1<D=E8U@F1<D=E8U@F1@PU>0U>0`504r0<t5=B0MD58B0,0*13",
        "!AIVDM,3,2,5,A,MDppE9V0EPE8<U<F0Tr058D63?Bo70r37?Fo3DF1@v3?Bo;0r37?Fo;0F1Dq,0*50",
        "!AIVDM,3,3,5,A,@Tj37G30,2*2F"},
       {14, 3669999, 0,
        "SECURITE SECURITE SECURITE THIS IS JAPAN COAST GUARD GUNNERY EXERCISE IN AREA 34-10N 135-05E TO 34-20N "
        "135-20E UNTIL 1500"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    got.clear();
    const uint32_t ships = table.ShipCount, statics = table.StaticCount;
    for (const char* l : c.lines) Feed(l);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].number, c.want.number);
    EXPECT_EQ(got[0].mmsi, c.want.mmsi);
    EXPECT_EQ(got[0].dest, c.want.dest);
    EXPECT_EQ(got[0].text, c.want.text);
    // Nothing about these numbers changes the table.
    EXPECT_EQ(table.FindShip(c.want.mmsi), -1);
    EXPECT_EQ(table.ShipCount, ships);
    EXPECT_EQ(table.StaticCount, statics);
  }
}

TEST_F(SafetyTextTest, ShortOwnAndOversizedMessages) {
  // Only the head: no text. From own ship (VDO): not reported.
  Feed("!AIVDM,1,1,,A,>>M4nf@,4*00");
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].text, "");
  intake.options.vdoEnabled = true;
  Feed("!AIVDO,1,1,,A,>>M4nfA<59B1@E=@,2*00");
  EXPECT_EQ(got.size(), 1u);
  intake.options.vdoEnabled = false;
  // A payload longer than five slots (three fragments, 250 characters) is cut at the
  // longest text a message can carry. Six-bit 1 is the letter A.
  Feed("!AIVDM,3,1,7,A,>>M4nfA<" + std::string(77, '1') + ",0*00");
  Feed("!AIVDM,3,2,7,A," + std::string(85, '1') + ",0*00");
  Feed("!AIVDM,3,3,7,A," + std::string(80, '1') + ",0*00");
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[1].text.size(), static_cast<size_t>(kSafetyTextChars));
}

}  // namespace
}  // namespace aismon
