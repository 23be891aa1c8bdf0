// The flag of an MMSI: where its MID sits for each kind of station, and the numbers that
// carry none.
#include "card/flag_of.h"

#include <gtest/gtest.h>

#include <string>

namespace aismon {
namespace {

TEST(FlagOfTest, TheMidIsReadWhereTheStationsFormPutsIt) {
  struct Row {
    const char* what;
    int32_t mmsi;
    int mid;
    const char* flag;  // nullptr: no flag
  } rows[] = {
      {"ship, Japan", 431602349, 431, "日本"},
      {"ship, second Japanese MID", 432000123, 432, "日本"},
      {"ship, Korea", 440123456, 440, "大韓民国"},
      {"ship, China", 413456789, 413, "中華人民共和国"},
      {"ship, Panama", 371798000, 371, "パナマ"},
      {"ship, Liberia", 636012345, 636, "リベリア"},
      {"ship, Marshall Islands", 538001234, 538, "マーシャル諸島"},
      {"ship, Hong Kong", 477123400, 477, "香港 (中国)"},
      {"coast station 00MID", 4310001, 431, "日本"},
      {"coast station, United States", 3669702, 366, "アメリカ合衆国"},
      {"group 0MID", 43112345, 431, "日本"},
      {"aid to navigation 99MID", 994312345, 431, "日本"},
      {"SAR aircraft 111MID", 111431001, 431, "日本"},
      {"SAR aircraft, Sweden", 111265591, 265, "スウェーデン"},
      {"craft of a parent ship 98MID", 984310012, 431, "日本"},
      {"handheld VHF 8MID", 843100001, 431, "日本"},
      {"AIS-SART 970", 970431001, 0, nullptr},
      {"MOB 972", 972431001, 0, nullptr},
      {"EPIRB 974", 974431001, 0, nullptr},
      {"1xx that is not 111", 123456789, 0, nullptr},
      {"unassigned MID 200", 200123456, 200, nullptr},
      {"unassigned coast MID 400", 4000003, 400, nullptr},
      {"zero", 0, 0, nullptr},
      {"negative", -431000001, 0, nullptr},
      {"ten digits", 1431000001, 0, nullptr},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(MidOf(r.mmsi), r.mid) << r.what;
    const char* flag = FlagOf(r.mmsi);
    EXPECT_EQ(flag == nullptr ? std::string("(none)") : std::string(flag),
              r.flag == nullptr ? std::string("(none)") : std::string(r.flag))
        << r.what;
  }
}

TEST(FlagOfTest, TheTableCoversTheFirstAndLastMids) {
  EXPECT_STREQ(CountryOfMid(201), "アルバニア");
  EXPECT_STREQ(CountryOfMid(775), "ベネズエラ");
  EXPECT_EQ(CountryOfMid(200), nullptr);
  EXPECT_EQ(CountryOfMid(776), nullptr);
  EXPECT_GE(MidTableSize(), 280);
}

}  // namespace
}  // namespace aismon
