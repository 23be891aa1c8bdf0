#include "text/text_parse.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "text/sjis.h"

namespace aismon {
namespace {

// Japanese inputs are written in UTF-8 here and converted to the program's Shift-JIS.
std::string Sj(std::string_view utf8) { return Utf8ToShiftJis(utf8); }

template <typename T>
std::string RowName(const testing::TestParamInfo<T>& info) {
  return info.param.name;
}

TEST(TextParseTest, HelperGivesCp932Bytes) {
  EXPECT_EQ(Sj("１"), "\x82\x50");
  EXPECT_EQ(Sj("　"), "\x81\x40");
  EXPECT_EQ(Sj("ア"), "\x83\x41");
}

// --- SplitCommaText ---

struct SplitCase {
  const char* name;
  std::string line;
  std::vector<std::string> fields;
};

// Rows print as their names in test listings.
void PrintTo(const SplitCase& row, std::ostream* os) { *os << row.name; }

const std::vector<SplitCase>& SplitCases() {
  static const std::vector<SplitCase> cases = {
      {"TwoCommasGiveEmptyField", "a,,b", {"a", "", "b"}},
      {"BlankSeparates", "a b", {"a", "b"}},
      {"TrailingCommaAddsEmptyField", "a,", {"a", ""}},
      {"EmptyLineGivesNoField", "", {}},
      {"OnlyBlanksGiveNoField", " \t \r\n", {}},
      {"LeadingAndTrailingBlanksSkipped", "  \ta,b \r\n", {"a", "b"}},
      {"CommaWithBlanksAround", "a , b", {"a", "b"}},
      {"TabAndControlBytesSeparate", "a\tb\x01" "c", {"a", "b", "c"}},
      {"SeveralBlanksAreOneSeparator", "a    b", {"a", "b"}},
      {"BlankAfterLastCommaAddsNothing", "a, ", {"a"}},
      {"LeadingCommaGivesEmptyFirstField", ",a", {"", "a"}},
      {"SingleComma", ",", {"", ""}},
      {"QuotedFieldKeepsCommaAndBlank", "\"a, b\",c", {"a, b", "c"}},
      {"DoubledQuoteInsideQuotes", "\"say \"\"hi\"\"\",x", {"say \"hi\"", "x"}},
      {"EmptyQuotedField", "\"\",x", {"", "x"}},
      {"QuotedThenTrailingComma", "\"a\",", {"a", ""}},
      {"QuoteInsideUnquotedFieldIsData", "a\"b,c", {"a\"b", "c"}},
      {"TextRightAfterClosingQuoteStartsField", "\"ab\"cd,e", {"ab", "cd", "e"}},
      {"PlaceLine", "P,35.5,139.75,2,Tokyo", {"P", "35.5", "139.75", "2", "Tokyo"}},
      {"FullWidthSpaceDoesNotSeparate", Sj("東京　湾,港"), {Sj("東京　湾"), Sj("港")}},
      {"TwoByteCharactersKeptWhole", Sj("431003712,ア丸"), {"431003712", Sj("ア丸")}},
      {"HalfWidthKatakanaKept", "\xB1\xB2,\xB3", {"\xB1\xB2", "\xB3"}},
      // Invalid input.
      {"UnclosedQuoteTakesRestOfLine", "x,\"ab, c", {"x", "ab, c"}},
      {"UnclosedQuoteAfterDoubledQuote", "\"a\"\"", {"a\""}},
      {"LoneQuote", "\"", {""}},
      {"NulEndsLine", std::string("a,b\0c,d", 7), {"a", "b"}},
      {"NulAtStart", std::string("\0a", 2), {}},
      {"NulInsideQuotes", std::string("\"a\0b\",c", 7), {"a"}},
      {"LeadByteAtEnd", "a,\x82", {"a", "\x82"}},
  };
  return cases;
}

class SplitCommaTextTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommaTextTest, Fields) { EXPECT_EQ(SplitCommaText(GetParam().line), GetParam().fields); }

INSTANTIATE_TEST_SUITE_P(Split, SplitCommaTextTest, testing::ValuesIn(SplitCases()), RowName<SplitCase>);

TEST(SplitCommaTextTest, NineCommasAlwaysGiveTenFields) {
  for (const std::string line : {"", "a", "a,b", "a b c", "\"q\"", "a,", "1,2,3,4,5,6,7,8,9,10,11"}) {
    SCOPED_TRACE(line);
    const std::vector<std::string> plain = SplitCommaText(line);
    const std::vector<std::string> padded = SplitCommaText(line + ",,,,,,,,,");
    ASSERT_GE(padded.size(), 10u);
    // The original fields come first, unchanged, and every added one is empty.
    for (size_t i = 0; i < padded.size(); ++i) {
      if (i < plain.size() && !(line.ends_with(',') && i == plain.size() - 1)) {
        EXPECT_EQ(padded[i], plain[i]);
      } else {
        EXPECT_EQ(padded[i], "") << "field " << i;
      }
    }
  }
}

// --- ParseReal ---

struct RealCase {
  const char* name;
  std::string text;
  double value;
};

// Rows print as their names in test listings.
void PrintTo(const RealCase& row, std::ostream* os) { *os << row.name; }

const std::vector<RealCase>& RealCases() {
  static const std::vector<RealCase> cases = {
      {"Integer", "42", 42},
      {"Fraction", "3.25", 3.25},
      {"Negative", "-5", -5},
      {"LeadingPlusStaysSign", "+5", 5},
      {"BlanksAround", " \t 7.5 \r\n", 7.5},
      {"FullWidthDigits", Sj("１２３"), 123},
      {"FullWidthDigitsWithBlanks", " " + Sj("４５") + " ", 45},
      {"FullWidthDigitsAfterFullWidthSpaceAreNotRead", Sj("　１２"), 0},
      {"FullWidthDigitsWithAsciiPoint", Sj("３.５"), 3.5},
      {"FullWidthPointEndsNumber", Sj("３．５"), 3},
      {"FullWidthDigitsNotConvertedAfterAsciiStart", "1" + Sj("２"), 1},
      {"MinusAfterNumberIsExponent", "1.5-3", 0.0015},
      {"PlusAfterNumberIsExponent", "1.5+3", 1500},
      {"MinusAfterZeroIsNotExponent", "0-3", 0},
      {"ExplicitExponent", "1e3", 1000},
      {"ExplicitCapitalExponent", "2.5E-2", 0.025},
      {"NoSecondExponentAfterExplicitOne", "1e2-1", 100},
      {"CommasSkipped", "12,345.5", 12345.5},
      {"Minutes", "35:30", 35.5},
      {"MinutesLimitedTo59", "35:75", 35 + 59 / 60.0},
      {"MinutesAddedToNegative", "-35:30", -34.5},
      {"SingleMinuteDigit", "10:5", 10 + 5 / 60.0},
      {"OnlyTwoMinuteBytesRead", "10:123", 10 + 12 / 60.0},
      {"MinutesWithoutDegrees", ":30", 0.5},
      {"SignedMinutesAfterZero", "0:-3", -0.05},
      {"PlusSignedMinutesAfterZero", "0:+3", 0.05},
      {"MinutesAfterFraction", "1.5:30", 2.0},
      {"ColonWithoutDigits", "12:", 12},
      {"OnlyFirstColonCounts", "1:2:3", 1 + 2 / 60.0},
      {"SignAfterColonBecomesExponent", "35:-5", 35},
      {"ReceiveLogLine", "123456:\t!AIVDM,1,1,,A,15M67FC000G?ufbE`FepT@3n00Sa,0*5C", 123456},
      {"TrailingTextIgnored", "12.5kn", 12.5},
      // Invalid input.
      {"Empty", "", 0},
      {"OnlyBlanks", "   ", 0},
      {"Letters", "abc", 0},
      {"LoneSign", "-", 0},
      {"LonePoint", ".", 0},
      {"HalfWidthKatakana", "\xB1" "12", 0},
      {"LeadByteOnly", "\x82", 0},
      {"NulBytesAroundAreBlanks", std::string("\0" "8\0", 3), 8},
  };
  return cases;
}

class ParseRealTest : public testing::TestWithParam<RealCase> {};

TEST_P(ParseRealTest, Value) { EXPECT_DOUBLE_EQ(ParseReal(GetParam().text), GetParam().value); }

INSTANTIATE_TEST_SUITE_P(Parse, ParseRealTest, testing::ValuesIn(RealCases()), RowName<RealCase>);

TEST(ParseRealTest, OverflowGivesInfinity) {
  EXPECT_EQ(ParseReal("1e999"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ParseReal("-1e999"), -std::numeric_limits<double>::infinity());
}

// --- ParseInteger ---

struct IntegerCase {
  const char* name;
  std::string text;
  int32_t value;
};

// Rows print as their names in test listings.
void PrintTo(const IntegerCase& row, std::ostream* os) { *os << row.name; }

const std::vector<IntegerCase>& IntegerCases() {
  static const std::vector<IntegerCase> cases = {
      {"MmsiWithBlanks", "  431003712 \r\n", 431003712},
      {"Negative", "-17", -17},
      {"RoundsUpFromPoint95", "12.95", 13},
      {"TruncatesPoint85", "12.85", 12},
      {"NegativeRoundsAwayFromZero", "-3.95", -4},
      {"NegativeTruncates", "-3.85", -3},
      {"SmallNegativeGivesZero", "-0.05", 0},
      {"CommaSkipped", "12,345", 12345},
      {"FullWidthDigits", Sj("４３１"), 431},
      {"MinutesBelowHalf", "12:20", 12},
      {"ReceiveLogLine", "123456:\t!AIVDM,1,1,,A,15M67FC000G?ufbE`FepT@3n00Sa,0*5C", 123456},
      {"ReceiveLogLineNegativeTick", "-1234567:\t$GPRMC,001122.00,A,3540.1,N,13945.2,E,0.0,0.0,010124,,,A*7F",
       -1234567},
      {"LowerCaseHex", "0x1f", 31},
      {"UpperCaseHex", "0X1F", 31},
      {"HexWithBlanksAround", "  0xff\t", 255},
      {"HexNonDigitBecomesZero", "0X1G", 16},
      {"HexInnerBlankBecomesZero", "0x1 2", 0x102},
      {"HexAllOnesIsMinusOne", "0xFFFFFFFF", -1},
      {"HexTopBit", "0x80000000", std::numeric_limits<int32_t>::min()},
      {"HexLeadingZerosNotSignificant", "0x000000000001", 1},
      {"HexNineDigitsFallBack", "0x100000000", 0},
      {"HexNineFsFallBack", "0xFFFFFFFFF", 0},
      {"Int32Max", "2147483647", 2147483647},
      {"Int32Min", "-2147483648", std::numeric_limits<int32_t>::min()},
      // Beyond 32 bits the low 32 bits are kept (values worked out with big integers).
      {"TwoToThe32IsZero", "4294967296", 0},
      {"TwoToThe32PlusOne", "4294967297", 1},
      {"TwoToThe31WrapsToMin", "2147483648", std::numeric_limits<int32_t>::min()},
      {"BelowInt32MinWrapsToMax", "-2147483649", 2147483647},
      {"LargeInt64", "5000000000000003", 937459715},
      {"LargeNegativeInt64", "-5000000000000003", -937459715},
      {"BeyondInt64", "1e19", -1981284352},
      {"BeyondInt64Negative", "-1e19", 1981284352},
      {"TenToThe20", "99999999999999999999", 1661992960},
      // Invalid input.
      {"Empty", "", 0},
      {"OnlyBlanks", " \t ", 0},
      {"Letters", "abc", 0},
      {"HexPrefixOnly", "0x", 0},
      {"HexPrefixThenBlanks", "0x   ", 0},
      {"Infinity", "1e999", 0},
      {"NegativeInfinity", "-1e999", 0},
      {"TwoByteGarbage", Sj("漢字"), 0},
      {"LeadByteOnly", "\x82", 0},
  };
  return cases;
}

class ParseIntegerTest : public testing::TestWithParam<IntegerCase> {};

TEST_P(ParseIntegerTest, Value) { EXPECT_EQ(ParseInteger(GetParam().text), GetParam().value); }

INSTANTIATE_TEST_SUITE_P(Parse, ParseIntegerTest, testing::ValuesIn(IntegerCases()), RowName<IntegerCase>);

// Upper-casing is for the ASCII "x" of the prefix only: a full-width letter whose trail
// byte is a small ASCII letter must not turn into a full-width digit.
TEST(ParseIntegerTest, FullWidthLettersAreNotUpperCasedIntoDigits) {
  // Ｐ is 0x82 0x6F; upper-casing its trail byte would give 0x82 0x4F, "０".
  ASSERT_EQ(Sj("ＰＱ"), "\x82\x6F\x82\x70");
  EXPECT_EQ(ParseInteger(Sj("ＰＱ")), 0);
}

}  // namespace
}  // namespace aismon
