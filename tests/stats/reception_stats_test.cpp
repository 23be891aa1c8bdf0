// Reception statistics: the range sectors' maths, the counting windows, and the figures
// kept across a restart in a real file.
#include "stats/reception_stats.h"

#include <gtest/gtest.h>

#include <fstream>

#include "stats/receiver_position.h"
#include "stats/stats_file.h"
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

  // A damaged file is refused and changes nothing.
  std::ofstream(StatsPath(home.path()), std::ios::binary | std::ios::trunc) << "AISSTATS-short";
  ReceptionStats third(table, intake.sources, clock);
  EXPECT_FALSE(LoadStats(third, home.path()));
  EXPECT_EQ(third.Count(1, CountWindow::kAllTime), 0u);
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
