// Reception statistics: the range sectors' maths, the counting windows, and the figures
// kept across a restart in a real file.
#include "stats/reception_stats.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "stats/receiver_position.h"
#include "stats/stats_file.h"
#include "stats/stats_image_v2.h"
#include "tests/support/intake_fixture.h"
#include "tests/support/temp_files.h"

namespace aismon {
namespace {

TEST(RangeSectors, SectorAndRangeAroundTheReceiver) {
  struct Row {
    const char* name;
    double recvLat, recvLon, lat, lon;
    int sector;       // -1: not recorded
    double rangeNm;   // expected to 0.1 nm
  } rows[] = {
      {"due_north", 34.0, 135.0, 34.5, 135.0, 0, 30.0},
      {"just_west_of_north", 34.0, 135.0, 34.5, 134.999, 35, 30.0},
      {"east_across_180", 0.0, 179.9, 0.0, -179.9, 9, 12.0},
      {"west_across_180", 0.0, -179.95, 0.0, 179.95, 27, 6.0},
      {"due_south", 34.0, 135.0, 33.9, 135.0, 18, 6.0},
      {"bad_fix_far_away", 34.0, 135.0, 0.0, 0.0, -1, 0},
      {"not_available", 34.0, 135.0, 91.0, 181.0, -1, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    RangeSectors s{};
    const bool set = s.Note(StationClass::kB, r.recvLat, r.recvLon, r.lat, r.lon, 431000001, 7);
    EXPECT_EQ(set, r.sector >= 0);
    for (int k = 0; k < kSectors; ++k) {
      EXPECT_EQ(s.At(StationClass::kA, k).mmsi, 0);
      const SectorRecord& rec = s.At(StationClass::kB, k);
      EXPECT_EQ(rec.mmsi, k == r.sector ? 431000001 : 0) << "sector " << k;
      if (k == r.sector) {
        EXPECT_NEAR(rec.rangeNm, r.rangeNm, 0.1);
      }
    }
  }
  EXPECT_EQ(SectorOf(359.9999999), 35);
  EXPECT_EQ(SectorOf(360.0), 0);
  EXPECT_EQ(SectorOf(-0.5), 35);
}

TEST(RangeSectors, OnlyAFartherStationTakesTheRecord) {
  RangeSectors s{};
  EXPECT_TRUE(s.Note(StationClass::kA, 34.0, 135.0, 34.2, 135.0, 1, 0));
  EXPECT_FALSE(s.Note(StationClass::kA, 34.0, 135.0, 34.1, 135.0, 2, 0));
  EXPECT_TRUE(s.Note(StationClass::kA, 34.0, 135.0, 34.3, 135.0, 3, 0));
  EXPECT_EQ(s.At(StationClass::kA, 0).mmsi, 3);
  EXPECT_NEAR(s.At(StationClass::kA, 0).rangeNm, 18.0, 0.1);
}

class ReceptionStatsTest : public testing::IntakeTest {
 protected:
  ReceptionStatsTest() { intake.assembler.AddObserver(&stats); }
  ReceptionStats stats{table, intake.sources, clock};
};

// Real sentences: a message 1 of 431023494 at 34.585 N 135.419 E, a message 4 of 4310505.
constexpr char kClassA[] = "!AIVDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D";
constexpr char kBase[] = "!AIVDM,1,1,,B,40475rAvUtW:N9ceoHClce700L60,0*00";

TEST_F(ReceptionStatsTest, WindowsDuplicatesChannelsAndTheRangeOfARealReport) {
  stats.SetReceiver(34.5, 135.0);
  const SourceId second = intake.sources.Register("udp:10111");
  Feed(kClassA);
  intake.ProcessSentence(kClassA, second);  // the same transmission from another receiver
  clock.Advance(61 * 60 * 1000);            // into another hour
  Feed(kBase);
  Feed(kClassA);

  EXPECT_EQ(stats.Count(1, CountWindow::kSinceStart), 2u);
  EXPECT_EQ(stats.Count(1, CountWindow::kLastMinute), 1u);
  EXPECT_EQ(stats.Count(1, CountWindow::kLastDay), 2u);
  EXPECT_EQ(stats.Count(4, CountWindow::kLastHour), 1u);
  EXPECT_EQ(stats.Duplicates(1, CountWindow::kSinceStart), 1u);
  EXPECT_EQ(stats.SourceTotal(1, CountWindow::kSinceStart), 0u);
  EXPECT_EQ(stats.ChannelCount(0, 0, CountWindow::kSinceStart), 2u);  // A
  EXPECT_EQ(stats.ChannelCount(0, 1, CountWindow::kSinceStart), 1u);  // B
  EXPECT_EQ(stats.MinuteCount(0, 0), 2u);
  EXPECT_EQ(stats.MinuteCount(0, 61), 1u);
  EXPECT_EQ(stats.StationsInHour(0), 2u);
  EXPECT_EQ(stats.StationsInHour(1), 1u);
  // 34.58499 N 135.41912 E from 34.5 N 135 E: about 21.3 nm towards 076 degrees.
  const SectorRecord& r = stats.Sectors().At(StationClass::kA, 7);
  EXPECT_EQ(r.mmsi, 431023494);
  EXPECT_NEAR(r.rangeNm, 21.3, 0.2);
}

// The 16th source keeps its name; from the 17th on the last slot counts for several and
// says so.
TEST_F(ReceptionStatsTest, TheLastSlotIsNamedForTheSourcesItGathers) {
  for (int n = 1; n <= kStatSources + 1; ++n) {
    intake.ProcessSentence(kClassA, intake.sources.Register(("udp:" + std::to_string(20000 + n)).c_str()));
    if (n == kStatSources) {
      EXPECT_STREQ(stats.SourceName(kStatSources - 1), "udp:20016");
    }
  }
  EXPECT_EQ(stats.SourceSlots(), kStatSources);
  EXPECT_STREQ(stats.SourceName(kStatSources - 2), "udp:20015");
  EXPECT_STREQ(stats.SourceName(kStatSources - 1), kOtherSources);
}

// A real message 8 (DAC 1, FI 11, weather) as a binary kind.
constexpr char kWeather[] = "!AIVDM,1,1,4,B,8>jR06@0Bk3:wOli;<`WPhh<1rqVBQf2V@Pdt0J82avIM2b<<Rv1t<ot=@1,2*54";

// A message 1 (with its copy from a second receiver) and a message 8 are counted, time
// passes, and they come again: the window holds both rounds or, once the first round's
// bucket has left it, only the second. Every figure is checked in the one window.
TEST(ReceptionStatsWindows, EachCountLeavesItsWindowWithItsBucket) {
  constexpr uint64_t kMin = 60000, kHour = 60 * kMin, kDay = 24 * kHour;
  struct Row {
    const char* name;
    int startSecond;   // of the minute 08:00 at the start
    uint64_t advance;  // ms before the second round
    CountWindow window;
    uint64_t expected;  // messages 1 in the window after the second round
  } rows[] = {
      {"minute_keeps_59s", 0, kMin - 1, CountWindow::kLastMinute, 2},
      {"minute_leaves_at_60s", 0, kMin, CountWindow::kLastMinute, 1},
      {"minute_turns_with_the_calendar", 30, 30000, CountWindow::kLastMinute, 1},
      {"hour_keeps_59min", 0, kHour - 1, CountWindow::kLastHour, 2},
      {"hour_leaves_at_3600s", 0, kHour, CountWindow::kLastHour, 1},
      {"day_keeps_23h59", 0, kDay - 1, CountWindow::kLastDay, 2},
      {"day_leaves_at_86400s", 0, kDay, CountWindow::kLastDay, 1},
      {"since_start_keeps_all", 0, 3 * kDay, CountWindow::kSinceStart, 2},
      {"all_time_keeps_all", 0, 3 * kDay, CountWindow::kAllTime, 2},
      {"past_the_ticks_wrap", 0, 50 * kDay + 30 * kMin, CountWindow::kLastHour, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    ManualClock clock(4000000000u, LocalDateTime{2026, 12, 9, 8, 0, r.startSecond});
    ShipTable table(clock);
    Intake intake(table);
    ReceptionStats stats(table, intake.sources, clock);
    intake.assembler.AddObserver(&stats);
    const SourceId second = intake.sources.Register("udp:10111");
    const uint32_t startMinute = stats.CurrentMinute();
    const auto round = [&] {
      intake.ProcessSentence(kClassA);
      intake.ProcessSentence(kClassA, second);
      intake.ProcessSentence(kWeather);
    };
    round();
    for (uint64_t left = r.advance; left > 0;) {  // steps the minute count sees, as a running program's do
      const uint32_t step = static_cast<uint32_t>(std::min<uint64_t>(left, 10 * kDay));
      clock.Advance(step);
      left -= step;
      stats.CurrentMinute();
    }
    round();
    EXPECT_EQ(stats.CurrentMinute() - startMinute, (r.startSecond * 1000 + r.advance) / kMin);
    const CountWindow w = r.window;
    EXPECT_EQ(stats.Count(1, w), r.expected);
    EXPECT_EQ(stats.CountBySource(0, 1, w), r.expected);
    EXPECT_EQ(stats.SourceTotal(0, w), 2 * r.expected);
    EXPECT_EQ(stats.SourceTotal(1, w), 0u);
    EXPECT_EQ(stats.Duplicates(1, w), r.expected);
    EXPECT_EQ(stats.ChannelCount(0, 0, w), r.expected);  // A
    EXPECT_EQ(stats.ChannelCount(0, 1, w), r.expected);  // B
    ASSERT_EQ(stats.BinaryKeyCount(), 1);
    EXPECT_EQ(stats.BinaryKeyAt(0).dac, 1);
    EXPECT_EQ(stats.BinaryKeyAt(0).fi, 11);
    EXPECT_EQ(stats.BinaryCount(0, w), r.expected);
  }
}

TEST_F(ReceptionStatsTest, FiguresSurviveARestart) {
  testing::TempFolder home;
  stats.SetReceiver(34.5, 135.0);
  Feed(kClassA);
  Feed(kBase);
  ASSERT_TRUE(SaveStats(stats, home.path()));
  // A save cut off before its rename leaves a temporary file; the next load ignores it.
  std::ofstream(StatsPath(home.path()).string() + ".tmp") << "half";

  ReceptionStats again(table, intake.sources, clock);
  ASSERT_TRUE(LoadStats(again, home.path()));
  EXPECT_EQ(again.Count(1, CountWindow::kAllTime), 1u);
  EXPECT_EQ(again.Count(4, CountWindow::kLastHour), 1u);
  EXPECT_EQ(again.CountBySource(0, 1, CountWindow::kLastMinute), 1u);
  EXPECT_EQ(again.ChannelCount(0, 1, CountWindow::kLastDay), 1u);
  EXPECT_EQ(again.Count(1, CountWindow::kSinceStart), 0u);
  EXPECT_EQ(again.StationsInHour(0), 2u);
  EXPECT_EQ(again.Sectors().At(StationClass::kA, 7).mmsi, 431023494);
  ASSERT_EQ(again.SourceSlots(), 1);
  EXPECT_STREQ(again.SourceName(0), intake.sources.Name(kDefaultSource));
  // The hour's stations were kept: one heard again after the restart is not counted twice.
  ASSERT_TRUE(intake.assembler.AddObserver(&again));
  clock.Advance(6000);  // past the duplicate filter, within the hour
  Feed(kClassA);
  EXPECT_EQ(again.Count(1, CountWindow::kSinceStart), 1u);
  EXPECT_EQ(again.StationsInHour(0), 2u);

}

// A file of the previous layout keeps its names, all-time counts, minutes by source,
// stations per hour and range records; a damaged one of either layout is refused and
// changes nothing.
TEST_F(ReceptionStatsTest, AnOlderFileGivesWhatItHoldsADamagedOneNothing) {
  testing::TempFolder home;
  const auto path = StatsPath(home.path());
  const auto write = [&](const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  };
  const auto bytesOf = [](const void* p, size_t n) { return std::string(static_cast<const char*>(p), n); };

  auto old = std::make_unique<StatsImageV2>();
  std::memcpy(old->magic, kStatsMagic, sizeof kStatsMagic);
  old->version = 2;
  old->sourceCount = 20;  // more than are kept now: the last ones go into the last slot
  std::strcpy(old->sourceNames[0], "serial:/dev/ttyUSB0");
  std::strcpy(old->sourceNames[15], "udp:10110");
  old->allTime.byNumber[0][1] = 500;
  old->allTime.byNumber[15][5] = 7;
  old->allTime.byNumber[19][5] = 3;
  old->allTime.byChannel[19][1] = 3;
  const uint32_t minute = stats.CurrentMinute();
  old->minuteStamp[minute % kDayMinutes] = minute + 1;
  old->minuteBySource[minute % kDayMinutes][0] = 40;
  old->minuteByNumber[minute % kDayMinutes][1] = 40;
  old->sectors.records[0][7] = SectorRecord{21.3, 431023494, minute};
  write(bytesOf(old.get(), sizeof(StatsImageV2)));
  {
    ReceptionStats loaded(table, intake.sources, clock);
    ASSERT_TRUE(LoadStats(loaded, home.path()));
    EXPECT_EQ(loaded.SourceSlots(), kStatSources);
    EXPECT_STREQ(loaded.SourceName(15), kOtherSources);  // it counts for the sources past the 16th
    EXPECT_EQ(loaded.Count(1, CountWindow::kAllTime), 500u);
    EXPECT_EQ(loaded.CountBySource(15, 5, CountWindow::kAllTime), 10u);
    EXPECT_EQ(loaded.ChannelCount(15, 1, CountWindow::kAllTime), 3u);
    EXPECT_EQ(loaded.MinuteCount(0, 0), 40u);
    EXPECT_EQ(loaded.Count(1, CountWindow::kLastHour), 0u);  // no counts by source and number per minute
    EXPECT_EQ(loaded.Sectors().At(StationClass::kA, 7).mmsi, 431023494);
  }

  Feed(kClassA);
  ASSERT_TRUE(SaveStats(stats, home.path()));
  std::ifstream in(path, std::ios::binary);
  const std::string current((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(current.size(), sizeof(StatsImage));
  std::string otherVersion = current;
  otherVersion[8] = 9;
  old->sourceCount = kV2Sources + 1;
  const struct {
    const char* name;
    std::string bytes;
  } damaged[] = {
      {"empty", ""},
      {"magic_only", current.substr(0, 10)},
      {"cut_short", current.substr(0, current.size() - 1)},
      {"one_byte_more", current + "x"},
      {"unknown_version", otherVersion},
      {"old_cut_short", bytesOf(old.get(), sizeof(StatsImageV2) - 4)},
      {"old_with_too_many_sources", bytesOf(old.get(), sizeof(StatsImageV2))},
  };
  for (const auto& d : damaged) {
    SCOPED_TRACE(d.name);
    write(d.bytes);
    ReceptionStats fresh(table, intake.sources, clock);
    EXPECT_FALSE(LoadStats(fresh, home.path()));
    EXPECT_EQ(fresh.Count(1, CountWindow::kAllTime), 0u);
    EXPECT_EQ(fresh.SourceSlots(), 0);
  }
}

TEST_F(ReceptionStatsTest, ReceiverIsOwnShipsFixElseTheSettingElseNowhere) {
  testing::TempFolder home;
  const auto ini = home.path() / "aismon.ini";
  EXPECT_FALSE(ReadReceiverSetting(ini).set);
  ASSERT_TRUE(WriteReceiverSetting(ini, 33.95, 130.93));
  const ReceiverSetting setting = ReadReceiverSetting(ini);
  ASSERT_TRUE(setting.set);

  UpdateReceiver(stats, table, intake.counters, ReceiverSetting{});
  EXPECT_FALSE(stats.HasReceiver());
  UpdateReceiver(stats, table, intake.counters, setting);
  EXPECT_TRUE(stats.HasReceiver());
  EXPECT_DOUBLE_EQ(stats.ReceiverLat(), 33.95);
  EXPECT_DOUBLE_EQ(stats.ReceiverLon(), 130.93);
  Feed("$GPRMC,031500,A,3430.000,N,13500.000,E,0.0,0.0,081226,,,A*00");
  ASSERT_NE(intake.counters.rmcFixCount, 0u);
  UpdateReceiver(stats, table, intake.counters, setting);
  EXPECT_NEAR(stats.ReceiverLat(), 34.5, 1e-9);
  EXPECT_NEAR(stats.ReceiverLon(), 135.0, 1e-9);
}

}  // namespace
}  // namespace aismon
