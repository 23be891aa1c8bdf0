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
    double repeatS = 10;
  };
  const Case cases[] = {
      {"no_file", nullptr, 1.0, 20, 20, false},
      {"all_keys", "[Watch]\r\nCpaNm=0.5\r\nTcpaMin=12\r\nRangeNm=8\r\nMute=1\r\nRepeatS=30\r\n", 0.5, 12, 8, true, 30},
      {"case_and_blanks", "[ watch ]\ncpanm = 2.5\nMUTE= 0\n", 2.5, 20, 20, false},
      {"out_of_range_or_not_numbers", "[Watch]\nCpaNm=0\nTcpaMin=600\nRangeNm=abc\nMute=2\nRepeatS=1\n", 1.0, 20, 20, false},
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
    EXPECT_EQ(s.repeatS, c.repeatS);
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

// Each sound a valid short wave, quiet at both ends, and told apart by the pitch of its
// first note (counted from the zero crossings of its first 0.05 s).
TEST(AlarmTone, ThreeSoundsEachAShortPcmWave) {
  struct Case {
    AlarmSound sound;
    double firstHz;
    double minS, maxS;
  } cases[] = {{AlarmSound::Distress, 1400, 0.7, 1.0},
               {AlarmSound::Collision, 880, 0.2, 0.5},
               {AlarmSound::Caution, 523.25, 0.5, 0.7}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.sound));
    const std::vector<uint8_t> w = MakeAlarmToneWav(c.sound);
    ASSERT_GT(w.size(), 44u);
    EXPECT_EQ(std::memcmp(w.data(), "RIFF", 4), 0);
    EXPECT_EQ(std::memcmp(w.data() + 8, "WAVEfmt ", 8), 0);
    EXPECT_EQ(std::memcmp(w.data() + 36, "data", 4), 0);
    const uint32_t dataBytes = w[40] | w[41] << 8 | w[42] << 16 | static_cast<uint32_t>(w[43]) << 24;
    ASSERT_EQ(dataBytes + 44, w.size());
    const double seconds = dataBytes / 2.0 / kAlarmToneRate;
    EXPECT_GT(seconds, c.minS);
    EXPECT_LT(seconds, c.maxS);
    auto sample = [&](size_t i) { return static_cast<int16_t>(w[44 + 2 * i] | w[45 + 2 * i] << 8); };
    EXPECT_EQ(sample(0), 0);
    EXPECT_LE(std::abs(sample(dataBytes / 2 - 1)), 200);
    const size_t window = kAlarmToneRate / 20;
    int crossings = 0, peak = 0;
    for (size_t i = 1; i < window; ++i) {
      if ((sample(i - 1) < 0) != (sample(i) < 0)) ++crossings;
      peak = std::max(peak, std::abs(static_cast<int>(sample(i))));
    }
    EXPECT_NEAR(crossings / 2.0 / 0.05, c.firstHz, 25);
    EXPECT_GT(peak, 15000);
  }
}

}  // namespace
}  // namespace aismon
