// The settings file read and rewritten byte for byte the same on every system: lines the
// program does not own come back unchanged, whatever control bytes or Shift-JIS they hold.
#include <gtest/gtest.h>

#include <string>

#include "common/settings_file.h"
#include "support/temp_files.h"

namespace aismon {
namespace {

TEST(SettingsBytes, OtherLinesSurviveARewriteAndTheCentreIsReadPastThem) {
  testing::TempFolder dir;
  const auto ini = dir.path() / "aismon.ini";
  // A comment with Ctrl-Z (an end of file to a text-mode reader on Windows), a
  // Shift-JIS value ("船名") and a line ended by LF alone.
  const std::string before =
      "; note\x1A end\r\n"
      "[Names]\r\n"
      "431000001=\x91\x44\x96\xBC\r\n"
      "[Map]\n"
      "Lat=33.5\r\n"
      "Lon=130.25\r\n";
  testing::WriteBytes(ini, before.data(), before.size());

  const MapCenter read = ReadMapCenter(ini);
  EXPECT_EQ(read.lat, 33.5);
  EXPECT_EQ(read.lon, 130.25);

  ASSERT_TRUE(WriteMapCenter(ini, MapCenter{34.75, 135.5}));
  const std::string after =
      "; note\x1A end\r\n"
      "[Names]\r\n"
      "431000001=\x91\x44\x96\xBC\r\n"
      "[Map]\r\n"
      "Lat=34.75\r\n"
      "Lon=135.5\r\n";
  const testing::Bytes bytes = testing::ReadBytes(ini);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), after);
}

}  // namespace
}  // namespace aismon
