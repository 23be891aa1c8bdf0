#include "app/caption.h"

#include <gtest/gtest.h>

#include <string>

namespace aismon {
namespace {

// The bytes written out by hand, so the test does not share the code's conversion.
constexpr char kTitleSjis[] =
    "AIS\x81\x69VDM,RMC\x81\x6a\x83\x82\x83\x6a\x83\x5e\x81\x5b";  // AIS（VDM,RMC）モニター
constexpr char kHan[] = "\x94\xc5";                               // 版

TEST(Caption, TitleTwoBlanksVersionHanAndOneTrailingBlank) {
  EXPECT_EQ(ApplicationTitle(), kTitleSjis);
  EXPECT_EQ(WindowCaption(), std::string(kTitleSjis) + "  (2025.12.17" + kHan + ") ");
}

TEST(Caption, RevisionHistoryIsFourLinesOf90Bytes) {
  const std::string& h = RevisionHistory();
  struct Row {
    const char* name;
    size_t line;
    std::string expected;
  };
  std::string wide;
  for (int i = 0; i < 20; ++i) wide += "\x81\x40";
  wide += "\x8c\xf6\x8a\x4a\x8f\x89\x94\xc5";  // 公開初版
  for (int i = 0; i < 21; ++i) wide += "\x81\x40";
  const Row rows[] = {
      {"Dashes", 0, std::string(90, '-')},
      {"Date", 1, "2025.12.17" + std::string(80, ' ')},
      {"FirstRelease", 2, wide},
      {"DashesAgain", 3, std::string(90, '-')},
  };
  ASSERT_EQ(h.size(), 4u * 91u);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(h.substr(row.line * 91, 90), row.expected);
    EXPECT_EQ(h[row.line * 91 + 90], '\n');
  }
}

TEST(Caption, VersionIsCutFromTheFirst20) {
  EXPECT_EQ(ReleaseVersion(), "2025.12.17");
}

}  // namespace
}  // namespace aismon
