#include "text/half_width.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "text/sjis.h"

namespace aismon {
namespace {

// Japanese inputs are written in UTF-8 here and converted to the program's Shift-JIS.
std::string Sj(std::string_view utf8) { return Utf8ToShiftJis(utf8); }

std::string Pair(uint16_t code) { return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)}; }

// Splits Shift-JIS text into its characters (one or two bytes each).
std::vector<std::string> Characters(std::string_view s) {
  std::vector<std::string> out;
  for (size_t i = 0; i < s.size();) {
    const size_t len = IsShiftJisLeadByte(static_cast<uint8_t>(s[i])) && i + 1 < s.size() ? 2 : 1;
    out.emplace_back(s.substr(i, len));
    i += len;
  }
  return out;
}

template <typename T>
std::string RowName(const testing::TestParamInfo<T>& info) {
  return info.param.name;
}

TEST(HalfWidthTest, HelperGivesCp932Bytes) {
  EXPECT_EQ(Sj("あ"), "\x82\xA0");
  EXPECT_EQ(Sj("ア"), "\x83\x41");
  EXPECT_EQ(Sj("　"), "\x81\x40");
  EXPECT_EQ(Sj("ｶﾞ"), "\xB6\xDE");
}

// --- FullDigitsToHalf ---

struct DigitsCase {
  const char* name;
  std::string in;
  std::string out;
};

// Rows print as their names in test listings.
void PrintTo(const DigitsCase& row, std::ostream* os) { *os << row.name; }

const std::vector<DigitsCase>& DigitsCases() {
  static const std::vector<DigitsCase> cases = {
      {"AllDigits", Sj("０１２３４５６７８９"), "0123456789"},
      {"AsciiUnchanged", "abc 123,-.", "abc 123,-."},
      {"MixedWithLettersAndKana", Sj("Ａ１あ２ｱ3"), Sj("Ａ") + "1" + Sj("あ") + "2" + Sj("ｱ") + "3"},
      {"FullWidthPointStays", Sj("３．５"), "3" + Sj("．") + "5"},
      {"FullWidthSpaceStays", Sj("　７"), Sj("　") + "7"},
      {"Empty", "", ""},
      // 0x88 0x82 is one character, so the 0x82 0x4F inside it is not a "０".
      {"CharacterBoundariesRespected", "\x88\x82\x4F", "\x88\x82\x4F"},
      {"CodesBesideTheDigitsStay", "\x82\x4E\x82\x59", "\x82\x4E\x82\x59"},
      // Invalid input.
      {"LeadByteAtEnd", Sj("１") + "\x82", "1\x82"},
      {"LeadByteThenControlByte", std::string("\x82\x00" "5", 3), std::string("\x82\x00" "5", 3)},
  };
  return cases;
}

class FullDigitsToHalfTest : public testing::TestWithParam<DigitsCase> {};

TEST_P(FullDigitsToHalfTest, Converts) { EXPECT_EQ(FullDigitsToHalf(GetParam().in), GetParam().out); }

INSTANTIATE_TEST_SUITE_P(Half, FullDigitsToHalfTest, testing::ValuesIn(DigitsCases()), RowName<DigitsCase>);

// --- ToHalfWidth ---

struct HalfCase {
  const char* name;
  std::string in;
  bool kanaToHalf;
  std::string out;
};

// Rows print as their names in test listings.
void PrintTo(const HalfCase& row, std::ostream* os) { *os << row.name; }

const std::vector<HalfCase>& HalfCases() {
  static const std::vector<HalfCase> cases = {
      {"LettersSpaceDigits", Sj("ＡＢＣ　１２３"), false, "ABC 123"},
      {"KatakanaStaysWhenKanaOff", Sj("カタカナ"), false, Sj("カタカナ")},
      {"HiraganaStaysWhenKanaOff", Sj("ひらがな"), false, Sj("ひらがな")},
      {"VoicedAndSmallKana", Sj("ガッコウ"), true, Sj("ｶﾞｯｺｳ")},
      {"HiraganaToHalfKatakana", Sj("がっこう"), true, Sj("ｶﾞｯｺｳ")},
      {"SemiVoiced", Sj("パピプペポぱぴぷぺぽ"), true, Sj("ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ")},
      {"AllCapitals", Sj("ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ"), false, "ABCDEFGHIJKLMNOPQRSTUVWXYZ"},
      {"AllSmallLetters", Sj("ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ"), false, "abcdefghijklmnopqrstuvwxyz"},
      {"AllDigits", Sj("０１２３４５６７８９"), true, "0123456789"},
      {"ShipName", Sj("第一　ＭＡＲＵ　Ｎｏ．８"), false, Sj("第一") + " MARU No.8"},
      {"ShipNameKana", Sj("ひかり丸　２"), true, Sj("ﾋｶﾘ丸") + " 2"},
      {"VuStaysFullWidth", Sj("ヴ"), true, Sj("ヴ")},
      // ヵ and ヶ are in the katakana table but beyond ン (0x8393), the end of the range the
      // table is consulted for, so they stay full-width like ヴ.
      {"SmallKaKeBeyondKatakanaRangeStay", Sj("ヵヶ"), true, Sj("ヵヶ")},
      {"SmallWaConverted", Sj("ゎヮ"), true, Sj("ﾜﾜ")},
      {"ObsoleteKana", Sj("ゐゑヰヱ"), true, Sj("ｲｴｲｴ")},
      {"MiddleDotWhenKanaOff", Sj("・"), false, "\xA5"},
      {"MiddleDotWhenKanaOn", Sj("・"), true, "\xA5"},
      {"SymbolsOutsideTableStay", Sj("＃＄％＆＊～ー※"), true, Sj("＃＄％＆＊～ー※")},
      {"KanjiStays", Sj("海上保安庁"), true, Sj("海上保安庁")},
      {"GreekStays", Sj("Ωα"), true, Sj("Ωα")},
      {"AsciiAndHalfWidthKanaUnchanged", "AB 12\xB1\xDE~", true, "AB 12\xB1\xDE~"},
      {"Empty", "", true, ""},
      // 0x82 0x82 (ｂ) is one character; the following 0x4F is a plain "O".
      {"CharacterBoundariesRespected", "\x82\x82\x4F", false, "bO"},
      {"CodesBesideLettersAndDigitsStay", Pair(0x824E) + Pair(0x8259) + Pair(0x825F) + Pair(0x827A) +
                                              Pair(0x8280) + Pair(0x829B),
       false, Pair(0x824E) + Pair(0x8259) + Pair(0x825F) + Pair(0x827A) + Pair(0x8280) + Pair(0x829B)},
      // Invalid input.
      {"LeadByteAtEndPairedWithDollar", "A\x82", false, "A\x82$"},
      {"LoneLeadByte", "\x81", true, "\x81$"},
      {"LeadByteThenNul", std::string("\x81\x00" "A", 3), false, std::string("\x81\x00" "A", 3)},
      {"Byte80IsLeadByte", "\x80" "A", true, "\x80" "A"},
      {"ByteFFIsLeadByte", "\xFF\x82\xA0", true, "\xFF\x82\xA0"},
      {"UnassignedHiraganaTrail", "\x82\xF2", true, "\x82\xF2"},
  };
  return cases;
}

class ToHalfWidthTest : public testing::TestWithParam<HalfCase> {};

TEST_P(ToHalfWidthTest, Converts) { EXPECT_EQ(ToHalfWidth(GetParam().in, GetParam().kanaToHalf), GetParam().out); }

INSTANTIATE_TEST_SUITE_P(Half, ToHalfWidthTest, testing::ValuesIn(HalfCases()), RowName<HalfCase>);

// --- Symbol table ---

struct SymbolCase {
  uint16_t code;
  const char* full;  // UTF-8
  uint8_t half;
};

// The 38 full-width symbols that have a half-width form, with their CP932 codes.
const SymbolCase kSymbols[] = {
    {0x818D, "″", 0x22}, {0x8168, "”", 0x22}, {0x818B, "°", 0xDF}, {0x818C, "′", 0x27},
    {0x8141, "、", 0xA4}, {0x8142, "。", 0xA1}, {0x8143, "，", 0x2C}, {0x8144, "．", 0x2E},
    {0x8145, "・", 0xA5}, {0x8146, "：", 0x3A}, {0x8147, "；", 0x3B}, {0x8148, "？", 0x3F},
    {0x8149, "！", 0x21}, {0x814A, "゛", 0xDE}, {0x814B, "゜", 0xDF}, {0x814F, "＾", 0x5E},
    {0x8150, "￣", 0x7E}, {0x8151, "＿", 0x5F}, {0x815D, "‐", 0x2D}, {0x815E, "／", 0x2F},
    {0x8162, "｜", 0x7C}, {0x8166, "’", 0x27}, {0x8169, "（", 0x28}, {0x816A, "）", 0x29},
    {0x816D, "［", 0x5B}, {0x816E, "］", 0x5D}, {0x816F, "｛", 0x7B}, {0x8170, "｝", 0x7D},
    {0x8171, "〈", 0x3C}, {0x8172, "〉", 0x3E}, {0x8175, "「", 0xA2}, {0x8176, "」", 0xA3},
    {0x817B, "＋", 0x2B}, {0x817C, "－", 0x2D}, {0x8181, "＝", 0x3D}, {0x8183, "＜", 0x3C},
    {0x8184, "＞", 0x3E}, {0x8197, "＠", 0x40},
};

TEST(HalfWidthSymbolTest, ListedSymbolsBecomeHalfWidthWhateverTheKanaFlag) {
  static_assert(std::size(kSymbols) == 38);
  for (const SymbolCase& c : kSymbols) {
    SCOPED_TRACE(c.full);
    ASSERT_EQ(Sj(c.full), Pair(c.code));
    const std::string half(1, static_cast<char>(c.half));
    EXPECT_EQ(ToHalfWidth(Pair(c.code), false), half);
    EXPECT_EQ(ToHalfWidth(Pair(c.code), true), half);
  }
}

TEST(HalfWidthSymbolTest, EveryOtherSymbolCodeStaysFullWidth) {
  for (int code = 0x8141; code <= 0x81FF; ++code) {
    bool listed = false;
    for (const SymbolCase& c : kSymbols) listed = listed || c.code == code;
    if (listed) continue;
    SCOPED_TRACE(testing::Message() << std::hex << code);
    EXPECT_EQ(ToHalfWidth(Pair(static_cast<uint16_t>(code)), true), Pair(static_cast<uint16_t>(code)));
  }
}

// --- Kana tables ---

// Each full-width text and its half-width counterpart, position by position. The two
// "・" in the plain hiragana text only hold positions.
struct KanaTable {
  const char* name;
  const char* full;
  const char* half;
  size_t halfBytesEach;
};

// Rows print as their names in test listings.
void PrintTo(const KanaTable& row, std::ostream* os) { *os << row.name; }

const KanaTable kKanaTables[] = {
    {"PlainHiragana",
     "ぁぃぅぇぉゃゅょゎ・・っあいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわゐゑをん",
     "ｧｨｩｪｫｬｭｮﾜ･･ｯｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｲｴｦﾝ", 1},
    {"VoicedHiragana", "がぎぐげござじずぜぞだぢづでどばびぶべぼぱぴぷぺぽ",
     "ｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ", 2},
    {"PlainKatakana",
     "ァィゥェォャュョヮヵヶッアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヰヱヲン",
     "ｧｨｩｪｫｬｭｮﾜｶｹｯｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｲｴｦﾝ", 1},
    {"VoicedKatakana", "ガギグゲゴザジズゼゾダヂヅデドバビブベボパピプペポ",
     "ｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ", 2},
};

class KanaTableTest : public testing::TestWithParam<KanaTable> {};

TEST_P(KanaTableTest, EachKanaBecomesItsHalfWidthEntry) {
  const std::vector<std::string> full = Characters(Sj(GetParam().full));
  const std::string half = Sj(GetParam().half);
  const size_t each = GetParam().halfBytesEach;
  ASSERT_EQ(half.size(), full.size() * each);
  for (size_t n = 0; n < full.size(); ++n) {
    ASSERT_EQ(full[n].size(), 2u);
    const uint16_t code = static_cast<uint16_t>(static_cast<uint8_t>(full[n][0]) << 8 | static_cast<uint8_t>(full[n][1]));
    SCOPED_TRACE(testing::Message() << "position " << n << " code " << std::hex << code);
    if (code == 0x8145 || code == 0x8395 || code == 0x8396) continue;  // ・, ヵ, ヶ: tested on their own
    EXPECT_EQ(ToHalfWidth(full[n], true), half.substr(n * each, each));
    EXPECT_EQ(ToHalfWidth(full[n], false), full[n]);
  }
}

INSTANTIATE_TEST_SUITE_P(Half, KanaTableTest, testing::ValuesIn(kKanaTables), RowName<KanaTable>);

TEST(HalfWidthKanaTest, VoicedHiraganaAndKatakanaCountTwentyFiveEach) {
  EXPECT_EQ(Characters(Sj(kKanaTables[1].full)).size(), 25u);
  EXPECT_EQ(Characters(Sj(kKanaTables[3].full)).size(), 25u);
}

// Every hiragana and katakana code stays as it is when kana are not converted, and when
// they are, every assigned one becomes half-width (nothing in the two ranges is left out).
TEST(HalfWidthKanaTest, WholeKanaRanges) {
  for (const auto& [first, last] : {std::pair{0x829F, 0x82F1}, std::pair{0x8340, 0x8393}}) {
    for (int code = first; code <= last; ++code) {
      const std::string c = Pair(static_cast<uint16_t>(code));
      if (ShiftJisToUtf8(c).find("\xEF\xBF\xBD") != std::string::npos) continue;  // unassigned
      SCOPED_TRACE(testing::Message() << std::hex << code);
      EXPECT_EQ(ToHalfWidth(c, false), c);
      const std::string half = ToHalfWidth(c, true);
      ASSERT_FALSE(half.empty());
      EXPECT_GE(static_cast<uint8_t>(half[0]), 0xA1);
      EXPECT_LE(static_cast<uint8_t>(half[0]), 0xDF);
    }
  }
}

// --- ToHalfWidthChar ---

TEST(ToHalfWidthCharTest, AppendsAndReportsBytesConsumed) {
  struct Row {
    const char* name;
    uint8_t b1, b2;
    bool kana;
    std::string piece;
    int consumed;
  };
  const Row rows[] = {
      {"Ascii", 'A', 0x82, true, "A", 1},
      {"HalfWidthKana", 0xB1, 0xB1, true, "\xB1", 1},
      {"ByteA0", 0xA0, 'x', true, "\xA0", 1},
      {"FullWidthSpace", 0x81, 0x40, false, " ", 2},
      {"FullWidthNine", 0x82, 0x58, false, "9", 2},
      {"FullWidthZ", 0x82, 0x79, false, "Z", 2},
      {"FullWidthSmallZ", 0x82, 0x9A, false, "z", 2},
      {"HiraganaA", 0x82, 0xA0, true, "\xB1", 2},
      {"HiraganaAKanaOff", 0x82, 0xA0, false, "\x82\xA0", 2},
      {"KatakanaGa", 0x83, 0x4B, true, "\xB6\xDE", 2},
      {"KatakanaN", 0x83, 0x93, true, "\xDD", 2},
      {"LeadWithDollar", 0x82, '$', true, "\x82$", 2},
      {"LeadWithNul", 0x9F, 0x00, true, std::string("\x9F\x00", 2), 2},
      {"LeadE0", 0xE0, 0x40, true, "\xE0\x40", 2},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    std::string out = "prefix";
    EXPECT_EQ(ToHalfWidthChar(r.b1, r.b2, r.kana, out), r.consumed);
    EXPECT_EQ(out, "prefix" + r.piece);
  }
}

}  // namespace
}  // namespace aismon
