// The watch settings in the settings file, beside the view centre; and the alarm tone.
#include "watch/watch_settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "common/settings_file.h"
#include "support/temp_files.h"
#include "watch/alarm_tone.h"

namespace aismon {
namespace {

using testing::TempFolder;

void WriteText(const std::filesystem::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

TEST(WatchSettings, ReadFromTheFile) {
  struct Case {
    const char* name;
    const char* file;  // nullptr: no file
    double cpa, tcpa, range;
    bool mute;
  };
  const Case cases[] = {
      {"no_file", nullptr, 1.0, 20, 20, false},
      {"all_keys", "[Watch]\r\nCpaNm=0.5\r\nTcpaMin=12\r\nRangeNm=8\r\nMute=1\r\n", 0.5, 12, 8, true},
      {"case_and_blanks", "[ watch ]\ncpanm = 2.5\nMUTE= 0\n", 2.5, 20, 20, false},
      {"out_of_range_or_not_numbers", "[Watch]\nCpaNm=0\nTcpaMin=600\nRangeNm=abc\nMute=2\n", 1.0, 20, 20, false},
      {"other_section_only", "[Map]\nCpaNm=0.3\n", 1.0, 20, 20, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder dir;
    const auto ini = dir.path() / "aismon.ini";
    if (c.file != nullptr) WriteText(ini, c.file);
    const WatchSettings s = ReadWatchSettings(ini);
    EXPECT_EQ(s.limits.cpaNm, c.cpa);
    EXPECT_EQ(s.limits.tcpaMin, c.tcpa);
    EXPECT_EQ(s.limits.rangeNm, c.range);
    EXPECT_EQ(s.mute, c.mute);
  }
}

TEST(WatchSettings, WrittenBesideTheViewCentre) {
  TempFolder dir;
  const auto ini = dir.path() / "aismon.ini";
  WriteText(ini, "[Map]\r\nLat=35.5\r\nLon=139.5\r\n[Ports]\r\nCOM1=/dev/ttyUSB3\r\n");
  WatchSettings s;
  s.limits = WatchLimits{0.75, 15, 12};
  s.mute = true;
  ASSERT_TRUE(WriteWatchSettings(ini, s));
  s.limits.cpaNm = 0.25;  // written again: the keys are replaced, not repeated
  ASSERT_TRUE(WriteWatchSettings(ini, s));
  ASSERT_TRUE(WriteMapCenter(ini, MapCenter{34.0, 135.0}));
  const WatchSettings back = ReadWatchSettings(ini);
  EXPECT_EQ(back.limits.cpaNm, 0.25);
  EXPECT_EQ(back.limits.tcpaMin, 15);
  EXPECT_EQ(back.limits.rangeNm, 12);
  EXPECT_TRUE(back.mute);
  EXPECT_EQ(ReadMapCenter(ini).lat, 34.0);
  std::ifstream in(ini);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("COM1=/dev/ttyUSB3"), std::string::npos);
  size_t n = 0;
  for (size_t at = text.find("CpaNm="); at != std::string::npos; at = text.find("CpaNm=", at + 1)) ++n;
  EXPECT_EQ(n, 1u);
}

TEST(AlarmTone, IsAShortPcmWave) {
  const std::vector<uint8_t> w = MakeAlarmToneWav();
  ASSERT_GT(w.size(), 44u);
  EXPECT_EQ(std::memcmp(w.data(), "RIFF", 4), 0);
  EXPECT_EQ(std::memcmp(w.data() + 8, "WAVEfmt ", 8), 0);
  EXPECT_EQ(std::memcmp(w.data() + 36, "data", 4), 0);
  const uint32_t dataBytes = w[40] | w[41] << 8 | w[42] << 16 | static_cast<uint32_t>(w[43]) << 24;
  EXPECT_EQ(dataBytes + 44, w.size());
  const double seconds = dataBytes / 2.0 / kAlarmToneRate;
  EXPECT_GT(seconds, 0.2);
  EXPECT_LT(seconds, 0.5);
  // Silent at both ends (no click), loud in the middle of the first beep.
  auto sample = [&](size_t i) { return static_cast<int16_t>(w[44 + 2 * i] | w[45 + 2 * i] << 8); };
  EXPECT_EQ(sample(0), 0);
  EXPECT_LE(std::abs(sample(dataBytes / 2 - 1)), 200);
  int peak = 0;
  for (size_t i = 0; i < 400; ++i) peak = std::max(peak, std::abs(static_cast<int>(sample(1000 + i))));
  EXPECT_GT(peak, 15000);
}

}  // namespace
}  // namespace aismon
