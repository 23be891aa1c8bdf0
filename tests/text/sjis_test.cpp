#include "text/sjis.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace aismon {
namespace {

struct KnownPair {
  const char* name;
  const char* utf8;
  std::string sjis;
};

// Rows print as their names in test listings.
void PrintTo(const KnownPair& row, std::ostream* os) { *os << row.name; }

// Code page 932 values from the published code table.
const KnownPair kKnownPairs[] = {
    {"Ascii", "AZaz09,.", "AZaz09,."},
    {"BackslashStaysAscii", "\\", "\x5C"},
    {"TildeStaysAscii", "~", "\x7E"},
    {"HiraganaA", "あ", "\x82\xA0"},
    {"KatakanaA", "ア", "\x83\x41"},
    {"FullWidthSpace", "　", "\x81\x40"},
    {"HalfWidthKatakanaA", "ｱ", "\xB1"},
    {"FullWidthZero", "０", "\x82\x4F"},
    {"FullWidthCapitalA", "Ａ", "\x82\x60"},
    {"FullWidthTilde", "～", "\x81\x60"},
    {"FullWidthHyphenMinus", "－", "\x81\x7C"},
    {"KatakanaVu", "ヴ", "\x83\x94"},
    {"KanjiSea", "海", "\x8A\x43"},
    {"CircledOne", "①", "\x87\x40"},
    {"Mixed", "A海ｱ1", "A\x8A\x43\xB1" "1"},
};

class KnownPairTest : public testing::TestWithParam<KnownPair> {};

TEST_P(KnownPairTest, Utf8ToShiftJis) { EXPECT_EQ(Utf8ToShiftJis(GetParam().utf8), GetParam().sjis); }

TEST_P(KnownPairTest, ShiftJisToUtf8) { EXPECT_EQ(ShiftJisToUtf8(GetParam().sjis), GetParam().utf8); }

INSTANTIATE_TEST_SUITE_P(Sjis, KnownPairTest, testing::ValuesIn(kKnownPairs),
                         [](const testing::TestParamInfo<KnownPair>& info) { return std::string(info.param.name); });

struct InvalidCase {
  const char* name;
  std::string in;
  std::string out;
};

// Rows print as their names in test listings.
void PrintTo(const InvalidCase& row, std::ostream* os) { *os << row.name; }

const std::string kFffd = "\xEF\xBF\xBD";

// Bad input is replaced and the rest still converted.
const InvalidCase kInvalidShiftJis[] = {
    {"Empty", "", ""},
    {"LeadByteAtEnd", "a\x82", "a" + kFffd},
    {"LeadByteBeforeSpace", "a\x82 b", "a" + kFffd + " b"},
    {"UndefinedSingleByte", "a\xA0" "b", "a" + kFffd + "b"},
    {"UnassignedPairIsOneCharacter", "a\x85\x40" "b", "a" + kFffd + "b"},
    {"ByteFFThenKana", "\xFF\x82\xA0", kFffd + "あ"},
    {"ManyBadBytes", std::string(3000, '\xA0'), [] {
       std::string s;
       for (int i = 0; i < 3000; ++i) s += "\xEF\xBF\xBD";
       return s;
     }()},
};

const InvalidCase kInvalidUtf8[] = {
    {"Empty", "", ""},
    {"HangulHasNoShiftJisForm", "a한b", "a?b"},
    {"EmojiHasNoShiftJisForm", "😀あ", "?\x82\xA0"},
    {"LoneContinuationByte", "a\x80" "b", "a?b"},
    {"TruncatedSequenceAtEnd", "a\xE3\x81", "a??"},
    {"OverlongSlash", "\xC0\xAF" "x", "??x"},
};

class InvalidShiftJisTest : public testing::TestWithParam<InvalidCase> {};
class InvalidUtf8Test : public testing::TestWithParam<InvalidCase> {};

TEST_P(InvalidShiftJisTest, ReplacedAndContinued) { EXPECT_EQ(ShiftJisToUtf8(GetParam().in), GetParam().out); }
TEST_P(InvalidUtf8Test, ReplacedAndContinued) { EXPECT_EQ(Utf8ToShiftJis(GetParam().in), GetParam().out); }

INSTANTIATE_TEST_SUITE_P(Sjis, InvalidShiftJisTest, testing::ValuesIn(kInvalidShiftJis),
                         [](const testing::TestParamInfo<InvalidCase>& info) { return std::string(info.param.name); });
INSTANTIATE_TEST_SUITE_P(Sjis, InvalidUtf8Test, testing::ValuesIn(kInvalidUtf8),
                         [](const testing::TestParamInfo<InvalidCase>& info) { return std::string(info.param.name); });

TEST(SjisTest, LongTextCrossesConversionBuffer) {
  std::string utf8, sjis;
  for (int i = 0; i < 2000; ++i) {
    utf8 += "あｱa";
    sjis += "\x82\xA0\xB1" "a";
  }
  EXPECT_EQ(Utf8ToShiftJis(utf8), sjis);
  EXPECT_EQ(ShiftJisToUtf8(sjis), utf8);
}

}  // namespace
}  // namespace aismon
