#include "basechart/place_names.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "text/sjis.h"

namespace aismon {
namespace {

struct LevelCase {
  const char* name;
  double metersPerPixel;
  int32_t level;
};

const LevelCase kLevels[] = {
    {"at_10000", 10000, 0},   {"at_1500", 1500, 0},     {"at_1499_9", 1499.9, 1}, {"at_750", 750, 1},
    {"at_749_9", 749.9, 2},   {"at_375", 375, 2},       {"at_374_9", 374.9, 3},   {"at_187", 187, 3},
    {"at_186_9", 186.9, 4},   {"at_93", 93, 4},         {"at_92_99", 92.99, 5},   {"at_92", 92, 5},
    {"at_0_1", 0.1, 5},
};

class NameLevelTest : public testing::TestWithParam<LevelCase> {};

TEST_P(NameLevelTest, Thresholds) { EXPECT_EQ(NameLevel(GetParam().metersPerPixel), GetParam().level); }

INSTANTIATE_TEST_SUITE_P(Cases, NameLevelTest, testing::ValuesIn(kLevels),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------

struct LineCase {
  const char* name;
  std::string line;  // UTF-8, converted to Shift-JIS
  bool read;
  double latitude, longitude;
  int32_t level;
  std::string nameUtf8;
};

const LineCase kLines[] = {
    {"example_line", "P,43.062,141.354,2006/11/23,2,1,札幌市,Sapporo,日本", true, 43.062, 141.354, 2, "札幌市"},
    {"empty_date", "P,34.69,135.19,,0,1,神戸,Kobe,日本", true, 34.69, 135.19, 0, "神戸"},
    {"small_p_ignored", "p,34.69,135.19,,0,1,神戸,Kobe,日本", false, 0, 0, 0, ""},
    {"blanks_before_P", "  P,34.69,135.19,,3,1,神戸,Kobe,日本", true, 34.69, 135.19, 3, "神戸"},
    {"comment_ignored", "//,LEVEL,99999,1500,500,200,10", false, 0, 0, 0, ""},
    {"PP_ignored", "PP,34.69,135.19,,0,1,神戸", false, 0, 0, 0, ""},
    {"empty_line_ignored", "", false, 0, 0, 0, ""},
    {"missing_fields_read_empty", "P,35.5", true, 35.5, 0, 0, ""},
    {"only_P", "P", true, 0, 0, 0, ""},
    {"numbers_read_by_prefix", "P,35.25N,139.5E,,4.9,1,横浜", true, 35.25, 139.5, 4, "横浜"},
    {"unreadable_numbers_are_0", "P,abc,,,x,1,名", true, 0, 0, 0, "名"},
    {"negative_level_truncated_toward_zero", "P,35,139,,-1.7,1,名", true, 35, 139, -1, "名"},
    {"southern_western", "P,-33.86,-151.2,,1,1,Sydney", true, -33.86, -151.2, 1, "Sydney"},
    {"name_of_40_bytes_cut_to_30", "P,35,139,,0,1,ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd", true, 35, 139, 0,
     "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"},
    {"name_of_15_kanji_kept_whole", "P,35,139,,0,1,一二三四五六七八九十壱弐参四伍", true, 35, 139, 0,
     "一二三四五六七八九十壱弐参四伍"},
    {"cut_inside_a_kanji_drops_its_lead_byte", "P,35,139,,0,1,A一二三四五六七八九十壱弐参四伍", true, 35, 139, 0,
     "A一二三四五六七八九十壱弐参四"},
    {"quoted_name_with_comma", "P,35,139,,0,1,\"A,B\",x", true, 35, 139, 0, "A,B"},
};

class PlaceNameLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(PlaceNameLineTest, Fields) {
  const LineCase& c = GetParam();
  PlaceNameList list;
  list.Load({Utf8ToShiftJis(c.line)});
  ASSERT_EQ(list.Count(), c.read ? 1 : 0);
  if (!c.read) return;
  const PlaceName& p = list[0];
  EXPECT_DOUBLE_EQ(p.latitude, c.latitude);
  EXPECT_DOUBLE_EQ(p.longitude, c.longitude);
  EXPECT_EQ(p.level, c.level);
  const std::string want = Utf8ToShiftJis(c.nameUtf8);
  EXPECT_EQ(std::string(p.name), want);
  EXPECT_LE(std::string(p.name).size(), 30u);
}

INSTANTIATE_TEST_SUITE_P(Cases, PlaceNameLineTest, testing::ValuesIn(kLines),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PlaceNameListTest, KeepsListOrderAndSkipsOtherLines) {
  PlaceNameList list;
  list.Load({"P,1,2,,0,1,a", "// comment", "X,1,2,,0,1,x", "P,3,4,,5,1,b", "", "P,5,6,,2,1,c"});
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(std::string(list[0].name), "a");
  EXPECT_EQ(std::string(list[1].name), "b");
  EXPECT_EQ(list[1].level, 5);
  EXPECT_EQ(std::string(list[2].name), "c");
  EXPECT_DOUBLE_EQ(list[2].latitude, 5);
}

TEST(PlaceNameListTest, LoadingAgainStartsEmpty) {
  PlaceNameList list;
  list.Load({"P,1,2,,0,1,a", "P,3,4,,0,1,b"});
  list.Load({"P,5,6,,0,1,c"});
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(std::string(list[0].name), "c");
  list.Load({});
  EXPECT_EQ(list.Count(), 0);
}

struct CapacityCase {
  const char* name;
  int placeLines;
  int expected;
};

const CapacityCase kCapacity[] = {
    {"9999_lines", 9999, 9999},
    {"10000_lines", 10000, 10000},
    {"10001_lines_stop_at_10000", 10001, 10000},
    {"20000_lines_stop_at_10000", 20000, 10000},
};

class PlaceNameCapacityTest : public testing::TestWithParam<CapacityCase> {};

TEST_P(PlaceNameCapacityTest, StopsAtTheTable) {
  const CapacityCase& c = GetParam();
  std::vector<std::string> lines;
  for (int i = 0; i < c.placeLines; ++i) {
    if (i % 100 == 0) lines.push_back("// not a place");
    lines.push_back("P,35,135,,0,1,n" + std::to_string(i));
  }
  PlaceNameList list;
  list.Load(lines);
  ASSERT_EQ(list.Count(), c.expected);
  EXPECT_EQ(std::string(list[c.expected - 1].name), "n" + std::to_string(c.expected - 1));
}

INSTANTIATE_TEST_SUITE_P(Cases, PlaceNameCapacityTest, testing::ValuesIn(kCapacity),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------

struct SplitCase {
  const char* name;
  std::string text;
  std::vector<std::string> lines;
};

const SplitCase kSplits[] = {
    {"crlf", "a\r\nb\r\nc\r\n", {"a", "b", "c"}},
    {"lf", "a\nb\nc\n", {"a", "b", "c"}},
    {"last_line_without_end", "a\r\nb", {"a", "b"}},
    {"empty_lines_kept", "a\r\n\r\n\nb", {"a", "", "", "b"}},
    {"lone_cr_stays_in_the_line", "a\rb\r\nc", {"a\rb", "c"}},
    {"empty_text", "", {}},
    {"shift_jis_bytes_untouched", "P,1,2,,0,1,\x8E\x44\x96\x79\r\n", {"P,1,2,,0,1,\x8E\x44\x96\x79"}},
};

class SplitListLinesTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitListLinesTest, Lines) { EXPECT_EQ(SplitListLines(GetParam().text), GetParam().lines); }

INSTANTIATE_TEST_SUITE_P(Cases, SplitListLinesTest, testing::ValuesIn(kSplits),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReadListFileTest, ReadsLinesOrReportsAMissingFile) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "aismon_place_names_test";
  std::filesystem::create_directories(dir);
  const std::filesystem::path file = dir / "list.txt";
  {
    std::ofstream out(file, std::ios::binary);
    out << "P,1,2,,0,1,a\r\n// c\r\nP,3,4,,0,1,b";
  }
  std::vector<std::string> lines = {"stale"};
  ASSERT_TRUE(ReadListFile(file, lines));
  EXPECT_EQ(lines, (std::vector<std::string>{"P,1,2,,0,1,a", "// c", "P,3,4,,0,1,b"}));
  EXPECT_FALSE(ReadListFile(dir / "missing.txt", lines));
  EXPECT_TRUE(lines.empty());
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace aismon
