#include "net/sources_settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "common/settings_file.h"
#include "support/temp_files.h"

namespace aismon {
namespace {

std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteAll(const std::filesystem::path& p, const std::string& text) {
  std::ofstream(p, std::ios::binary) << text;
}

TEST(SourcesSettings, RoundTripKeepsTheOtherSections) {
  testing::TempFolder dir;
  const auto ini = dir.path() / "aismon.ini";
  EXPECT_EQ(ReadSourcesSection(ini), std::nullopt);  // no file
  WriteAll(ini, "[Map]\r\nLat=35.1\r\nLon=139.5\r\n[Ports]\r\nCOM1=/dev/ttyS0\r\n");
  EXPECT_EQ(ReadSourcesSection(ini), std::nullopt);  // no section

  const std::vector<std::string> names = {"udp:10110", "tcp:[::1]:2000", "udp:239.192.0.1@60001"};
  ASSERT_TRUE(WriteSourcesSection(ini, names));
  EXPECT_EQ(ReadSourcesSection(ini), names);
  const MapCenter c = ReadMapCenter(ini);
  EXPECT_DOUBLE_EQ(c.lat, 35.1);
  EXPECT_DOUBLE_EQ(c.lon, 139.5);
  EXPECT_NE(ReadAll(ini).find("[Ports]\r\nCOM1=/dev/ttyS0\r\n"), std::string::npos);

  // Writing fewer names removes the keys of the others; writing none keeps the section,
  // which then reads as "no sources" rather than "not configured".
  ASSERT_TRUE(WriteSourcesSection(ini, {"tcp:h:1"}));
  EXPECT_EQ(ReadSourcesSection(ini), (std::vector<std::string>{"tcp:h:1"}));
  ASSERT_TRUE(WriteSourcesSection(ini, {}));
  EXPECT_EQ(ReadSourcesSection(ini), std::vector<std::string>{});
  // The map centre written afterwards leaves the section alone.
  ASSERT_TRUE(WriteMapCenter(ini, MapCenter{34.0, 135.0}));
  EXPECT_EQ(ReadSourcesSection(ini), std::vector<std::string>{});
  EXPECT_EQ(ReadAll(ini).find("Source1"), std::string::npos);
}

TEST(SourcesSettings, ReadsKeysInNumberOrderAndOnlyEightOfThem) {
  testing::TempFolder dir;
  const auto ini = dir.path() / "aismon.ini";
  WriteAll(ini,
           "[sources]\n source3 = tcp:b:2 \nSource1=udp:1\nSource2=\nSource9=udp:9\nSource10=udp:10\n"
           "Other=udp:5\n; Source4=udp:4\n[Map]\nLat=1\n");
  EXPECT_EQ(ReadSourcesSection(ini), (std::vector<std::string>{"udp:1", "tcp:b:2"}));

  std::vector<std::string> ten;
  for (int i = 1; i <= 10; ++i) ten.push_back("udp:" + std::to_string(1000 + i));
  ASSERT_TRUE(WriteSourcesSection(ini, ten));
  const auto back = ReadSourcesSection(ini);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, std::vector<std::string>(ten.begin(), ten.begin() + 8));
  EXPECT_DOUBLE_EQ(ReadMapCenter(ini).lat, 1.0);
}

}  // namespace
}  // namespace aismon
