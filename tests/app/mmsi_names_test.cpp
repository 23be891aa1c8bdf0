#include "app/mmsi_names.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

#include "text/sjis.h"

namespace aismon {
namespace {

std::string Sjis(const char* utf8) { return Utf8ToShiftJis(utf8); }

struct LineRow {
  const char* name;
  friend void PrintTo(const LineRow& r, std::ostream* os) { *os << r.name; }
  std::string lineSjis;
  int32_t mmsi;
  std::string nameSjis;
};

class MmsiNameLine : public ::testing::TestWithParam<LineRow> {};

TEST_P(MmsiNameLine, GivesMmsiAndName) {
  const MmsiNameEntry e = ParseMmsiNameLine(GetParam().lineSjis);
  EXPECT_EQ(e.mmsi, GetParam().mmsi);
  EXPECT_EQ(std::string(e.name), GetParam().nameSjis);
  EXPECT_LE(std::string(e.name).size(), 23u);
}

INSTANTIATE_TEST_SUITE_P(
    MmsiNames, MmsiNameLine,
    ::testing::Values(
        LineRow{"OkesaMaru", Sjis("431000001,おけさ丸"), 431000001, "\x82\xa8\x82\xaf\x82\xb3\x8a\xdb"},
        // 15 kanji are 30 bytes: 11 whole ones and the lead byte of the 12th remain.
        LineRow{"ThirtyByteNameCutTo23", Sjis("431000002,一二三四五六七八九十百千万億兆"), 431000002,
                Sjis("一二三四五六七八九十百") + "\x90"},
        LineRow{"BlankEndsTheName", "431000003,SEA STAR", 431000003, "SEA"},
        LineRow{"BlanksAroundFieldsSkipped", "  431000004 ,  MARU", 431000004, "MARU"},
        LineRow{"FullWidthSpaceDoesNotSplitAndBecomesAscii", Sjis("431602349,ＨＡＲＩＭＡ　ＳＴＡＲ"), 431602349,
                "HARIMA STAR"},
        LineRow{"KanaStayFullWidth", Sjis("431000005,カタカナ１号"), 431000005, Sjis("カタカナ") + "1" + Sjis("号")},
        LineRow{"QuotedNameKeepsItsBlank", "431000006,\"SEA STAR\"", 431000006, "SEA STAR"},
        LineRow{"ContinuationLineHasNoMmsi", Sjis("第二十一号の続き"), 0, ""},
        LineRow{"ContinuationAfterComma", Sjis(",続きの名前"), 0, Sjis("続きの名前")},
        LineRow{"FullWidthDigitMmsi", Sjis("４３１０００００７,丸"), 431000007, Sjis("丸")},
        LineRow{"EmptyLine", "", 0, ""},
        LineRow{"MmsiOnly", "431000008", 431000008, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MmsiNameList, OneEntryPerLineAndFirstMatchWins) {
  const MmsiNameList list({"431000001,FIRST", Sjis("続き"), "431000002,OTHER", "431000001,SECOND"});
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list[1].mmsi, 0);
  std::string name = "unchanged";
  EXPECT_TRUE(list.LookupName(431000001, name));
  EXPECT_EQ(name, "FIRST");
  EXPECT_TRUE(list.LookupName(431000002, name));
  EXPECT_EQ(name, "OTHER");
  name = "kept";
  EXPECT_FALSE(list.LookupName(431999999, name));
  EXPECT_EQ(name, "kept");
  EXPECT_EQ(list.Find(431999999), nullptr);
}

TEST(MmsiNameList, EmptyListFindsNothing) {
  const MmsiNameList list(std::vector<std::string>{});
  EXPECT_EQ(list.Count(), 0);
  // The spare entry is zeroed; a lookup of MMSI 0 must not find it.
  EXPECT_EQ(list.Find(0), nullptr);
}

}  // namespace
}  // namespace aismon
