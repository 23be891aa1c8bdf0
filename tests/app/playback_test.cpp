#include "app/playback.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

#include "common/clock.h"
#include "shipdb/ship_table.h"
#include "tests/support/temp_files.h"

namespace aismon {
namespace {

// A log line as the recorder writes it: tick, colon, TAB, sentence.
std::string LogLine(int64_t tick, const std::string& sentence) {
  return std::to_string(tick) + ":\t" + sentence;
}

// Plays lines and records which sentences reached the feed at which wall tick.
struct Player {
  Playback playback;
  std::vector<std::pair<uint32_t, std::string>> fed;
  uint32_t now = 0;

  Playback::StepResult Step() {
    return playback.PlaybackStep(now, [this](const char* s) { fed.emplace_back(now, s); });
  }
  // Steps every 300 ms from now until the wall tick `until`.
  void RunUntil(uint32_t until) {
    for (; now <= until; now += 300) Step();
  }
  uint32_t FedAt(const std::string& sentence) const {
    for (const auto& [t, s] : fed)
      if (s == sentence) return t;
    return UINT32_MAX;
  }
};

struct TimeStampRow {
  const char* name;
  friend void PrintTo(const TimeStampRow& r, std::ostream* os) { *os << r.name; }
  const char* line;
  uint32_t expected;
};

class LineTimeStamp : public ::testing::TestWithParam<TimeStampRow> {};

TEST_P(LineTimeStamp, ReadsTheLeadingInteger) {
  EXPECT_EQ(Playback::LineTimeStamp(GetParam().line), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Playback, LineTimeStamp,
                         ::testing::Values(TimeStampRow{"Plain", "5000:\t!AIVDM", 5000},
                                           TimeStampRow{"LeadingBlanks", "  \t42:\tx", 42},
                                           TimeStampRow{"PlusSign", "+7:\tx", 7},
                                           TimeStampRow{"NegativeWraps", "-2:\tx", 0xFFFFFFFEu},
                                           TimeStampRow{"NoNumber", "!AIVDM,1,1", 0},
                                           TimeStampRow{"SignWithoutDigits", "-:\tx", 0},
                                           TimeStampRow{"Empty", "", 0},
                                           TimeStampRow{"BeyondSigned32", "3000000000:\tx", 3000000000u}),
                         [](const auto& info) { return std::string(info.param.name); });

struct PacingRow {
  const char* name;
  friend void PrintTo(const PacingRow& r, std::ostream* os) { *os << r.name; }
  int speed;
  uint32_t expectedFedAt;  // wall tick of the step that feeds the line of tick 5000
};

class Pacing : public ::testing::TestWithParam<PacingRow> {};

// A line of tick 5000 after an anchor line of tick 1000: 4 s at x1, 2 s at x2, 0.4 s
// (the next step) at x10.
TEST_P(Pacing, LineFallsDueAtItsScaledDelay) {
  Player p;
  p.playback.StartLines("log.txt", {LogLine(1000, "A"), LogLine(5000, "B"), LogLine(999999, "C")});
  p.playback.PlaySpeedClick(GetParam().speed, 0);
  p.now = 0;
  p.RunUntil(10000);
  EXPECT_EQ(p.FedAt("A"), 0u);
  EXPECT_EQ(p.FedAt("B"), GetParam().expectedFedAt);
}

INSTANTIATE_TEST_SUITE_P(Playback, Pacing,
                         ::testing::Values(PacingRow{"TimesOne", 1, 4200}, PacingRow{"TimesTwo", 2, 2100},
                                           PacingRow{"TimesTen", 10, 600}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PlaybackPacing, ExactDueTimesAtEachSpeed) {
  struct Row {
    const char* name;
    int speed;
    uint32_t notYet, due;
  };
  for (const Row& row : {Row{"x1", 1, 3999, 4000}, Row{"x2", 2, 1999, 2000}, Row{"x10", 10, 399, 400}}) {
    SCOPED_TRACE(row.name);
    Player p;
    p.playback.StartLines("log.txt", {LogLine(1000, "A"), LogLine(5000, "B"), LogLine(999999, "C")});
    p.playback.PlaySpeedClick(row.speed, 0);
    p.now = 100;
    p.Step();  // line 0: anchors at wall tick 100
    ASSERT_EQ(p.fed.size(), 1u);
    p.now = 100 + row.notYet;
    p.Step();
    EXPECT_EQ(p.fed.size(), 1u);
    p.now = 100 + row.due;
    p.Step();
    ASSERT_EQ(p.fed.size(), 2u);
    EXPECT_EQ(p.fed[1].second, "B");
    EXPECT_EQ(p.playback.PlaybackPos(), 2u);
    EXPECT_EQ(p.playback.PlaybackElapsedMs(), 998999);  // the stamp of the line looked at next
  }
}

TEST(PlaybackPacing, SpeedChangeReanchorsWithoutReplayOrSkip) {
  Player p;
  std::vector<std::string> lines;
  for (int i = 0; i < 40; ++i) lines.push_back(LogLine(10000 + i * 1000, "S" + std::to_string(i)));
  p.playback.StartLines("log.txt", lines);
  p.RunUntil(9000);  // x1: lines 0..9 are due by 9 s
  ASSERT_EQ(p.fed.size(), 10u);
  const size_t pos = p.playback.PlaybackPos();
  ASSERT_EQ(pos, 10u);
  p.playback.PlaySpeedClick(10, p.now);
  EXPECT_EQ(p.playback.PlaybackSpeed(), 10);
  const uint32_t switched = p.now;
  p.Step();  // the current line is the new anchor: due at once
  ASSERT_EQ(p.fed.size(), 11u);
  EXPECT_EQ(p.fed[10].second, "S10");
  p.RunUntil(switched + 3000);  // 3 s at x10 = 30 s of log
  // Every line exactly once, in order.
  for (size_t i = 0; i < p.fed.size(); ++i) EXPECT_EQ(p.fed[i].second, "S" + std::to_string(i));
  // S11 is 1 s of log after the anchor: 100 ms at x10, fed by the first step at or after it.
  EXPECT_EQ(p.FedAt("S11"), switched + 300);
  EXPECT_EQ(p.FedAt("S13"), switched + 300);
  EXPECT_EQ(p.FedAt("S14"), switched + 600);
}

// The playback bar: a pause feeds nothing and resumes without pouring out the paused
// time; a jump by a minute lands on the first line at least that far, feeding nothing on
// the way.
TEST(PlaybackPacing, PauseAndJumpByAMinute) {
  std::vector<std::string> lines;
  for (int i = 0; i < 300; ++i) lines.push_back(LogLine(10000 + i * 1000, "S" + std::to_string(i)));
  struct Row {
    const char* name;
    int32_t jumpMs;       // 0: a 30 s pause instead
    const char* nextFed;  // the first line fed after the jump or the pause
    size_t fedWithin3s;   // lines fed in the 3 s after it
  } rows[] = {
      {"pause", 0, "S100", 3}, {"forward", 60000, "S160", 3}, {"back", -60000, "S40", 3}, {"back past the start", -200000, "S0", 3},
      {"forward past the end", 600000, "S299", 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Player p;
    p.playback.StartLines("log.txt", lines);
    p.RunUntil(99000);
    ASSERT_EQ(p.fed.size(), 100u);
    if (r.jumpMs == 0) {
      p.playback.Pause(true, p.now);
      EXPECT_TRUE(p.playback.Paused());
      p.RunUntil(p.now + 30000);
      EXPECT_EQ(p.fed.size(), 100u);
      p.playback.Pause(false, p.now);
    } else {
      p.playback.Jump(r.jumpMs, p.now);
    }
    const size_t before = p.fed.size();
    p.RunUntil(p.now + 2900);
    ASSERT_GT(p.fed.size(), before);
    EXPECT_EQ(p.fed[before].second, r.nextFed);
    EXPECT_EQ(p.fed.size() - before, r.fedWithin3s);
  }
}

TEST(PlaybackPacing, StampsBeforeTheAnchorFallDueAtOnceAtEverySpeed) {
  for (int speed : {1, 2, 10}) {
    SCOPED_TRACE(speed);
    Player p;
    p.playback.StartLines("log.txt", {LogLine(50000, "A"), LogLine(20000, "Early"), LogLine(-5, "Negative"),
                                      LogLine(90000, "Late")});
    p.playback.PlaySpeedClick(speed, 0);
    p.Step();
    ASSERT_EQ(p.fed.size(), 3u);
    EXPECT_EQ(p.fed[1].second, "Early");
    EXPECT_EQ(p.fed[2].second, "Negative");
    EXPECT_EQ(p.playback.PlaybackPos(), 3u);
  }
}

TEST(PlaybackPacing, LogAcrossTickWrapKeepsPace) {
  Player p;
  // Written as signed 32-bit ticks: 2147483000 then -2147483296 is 1000 ms later.
  p.playback.StartLines("log.txt", {LogLine(2147483000, "A"), LogLine(-2147483296, "B"), LogLine(-2147473296, "C")});
  p.Step();
  p.now = 999;
  p.Step();
  EXPECT_EQ(p.fed.size(), 1u);
  p.now = 1000;
  p.Step();
  EXPECT_EQ(p.fed.size(), 2u);
}

TEST(PlaybackLines, TabRuleAndLengthLimit) {
  Player p;
  const std::string longSentence(1200, 'x');
  p.playback.StartLines("log.txt", {LogLine(0, "first"), "no tab here", "0:\tsecond\tstill second",
                                    LogLine(0, longSentence), "0:\t", LogLine(0, "last")});
  EXPECT_EQ(p.Step(), Playback::StepResult::Ended);
  ASSERT_EQ(p.fed.size(), 5u);
  EXPECT_EQ(p.fed[0].second, "first");
  EXPECT_EQ(p.fed[1].second, "second\tstill second");
  EXPECT_EQ(p.fed[2].second, std::string(999, 'x'));
  EXPECT_EQ(p.fed[3].second, "");
  EXPECT_EQ(p.fed[4].second, "last");
}

TEST(PlaybackEnd, LastLineEndsThePlaybackOnce) {
  Player p;
  p.playback.StartLines("/logs/x.txt", {LogLine(100, "A"), LogLine(700, "B")});
  p.playback.PlaySpeedClick(10, 0);
  EXPECT_EQ(p.Step(), Playback::StepResult::Playing);
  EXPECT_EQ(p.playback.PlaybackSpeed(), 10);
  p.now = 60;
  EXPECT_EQ(p.Step(), Playback::StepResult::Ended);
  EXPECT_FALSE(p.playback.Playing());
  EXPECT_EQ(p.playback.PlaybackSpeed(), 1);
  EXPECT_EQ(p.playback.LineCount(), 0u);
  EXPECT_EQ(p.playback.PlaybackElapsedMs(), 600);
  p.now = 1000;
  EXPECT_EQ(p.Step(), Playback::StepResult::Idle);
  EXPECT_EQ(p.fed.size(), 2u);
}

TEST(PlaybackEnd, EmptyLogEndsAtTheFirstStep) {
  Player p;
  p.playback.StartLines("empty.txt", {});
  EXPECT_EQ(p.Step(), Playback::StepResult::Ended);
  EXPECT_TRUE(p.fed.empty());
}

TEST(PlaybackEnd, FeedThatStopsThePlaybackEndsTheStep) {
  Playback playback;
  playback.StartLines("log.txt", {LogLine(0, "A"), LogLine(0, "B"), LogLine(0, "C")});
  int fed = 0;
  EXPECT_EQ(playback.PlaybackStep(0,
                                  [&](const char*) {
                                    ++fed;
                                    playback.Stop();
                                  }),
            Playback::StepResult::Idle);
  EXPECT_EQ(fed, 1);
  EXPECT_FALSE(playback.Playing());
}

TEST(PlaybackSpeed, ClickWithoutPlaybackChangesNothing) {
  Playback playback;
  playback.PlaySpeedClick(10, 500);
  EXPECT_EQ(playback.PlaybackSpeed(), 1);
  EXPECT_FALSE(playback.Playing());
}

struct HistogramRow {
  const char* name;
  friend void PrintTo(const HistogramRow& r, std::ostream* os) { *os << r.name; }
  std::vector<int64_t> ticks;
  std::vector<int32_t> expected;  // bins 0.. (the rest must be 0)
};

class MinuteHistogram : public ::testing::TestWithParam<HistogramRow> {};

TEST_P(MinuteHistogram, CountsLinesPerMinuteFromTheSecondLine) {
  std::vector<std::string> lines;
  for (int64_t t : GetParam().ticks) lines.push_back(LogLine(t, "!AIVDM"));
  Playback playback;
  playback.StartLines("log.txt", lines);
  std::vector<int32_t> expected = GetParam().expected;
  expected.resize(60, 0);
  const auto& h = playback.MinuteHistogram();
  EXPECT_EQ(std::vector<int32_t>(h.begin(), h.end()), expected);
}

std::vector<int64_t> EverySecond(int64_t from, int64_t seconds) {
  std::vector<int64_t> v;
  for (int64_t s = 0; s <= seconds; ++s) v.push_back(from + s * 1000);
  return v;
}

std::vector<int32_t> ElevenAndAHalfMinutes() {
  std::vector<int32_t> v(11, 60);
  v.push_back(31);  // 660..690 s
  return v;
}

std::vector<int64_t> WithFirst(int64_t first, std::vector<int64_t> rest) {
  rest.insert(rest.begin(), first);
  return rest;
}

INSTANTIATE_TEST_SUITE_P(
    Playback, MinuteHistogram,
    ::testing::Values(
        // Lines every second over 11.5 minutes from the second line: bins 0..11 only.
        HistogramRow{"ElevenAndAHalfMinutes", WithFirst(1000000, EverySecond(1000000, 690)), [] {
                       auto v = ElevenAndAHalfMinutes();
                       v[0] += 1;
                       return v;
                     }()},
        // An older first line is counted only when less than a minute older (bin 0).
        HistogramRow{"FirstLineUnderAMinuteOlder", WithFirst(1000000 - 59999, EverySecond(1000000, 2)), {4}},
        HistogramRow{"FirstLineAMinuteOlder", WithFirst(1000000 - 60000 - 1, EverySecond(1000000, 2)), {3}},
        HistogramRow{"LinesBeyondAnHourDropped", {0, 0, 3599999, 3600000, 7200000}, [] {
                       std::vector<int32_t> v(60, 0);
                       v[0] = 2;
                       v[59] = 1;
                       return v;
                     }()},
        HistogramRow{"TwoLinesMakeNoHistogram", {0, 1000}, {}},
        HistogramRow{"NegativeTicks", {-200000, -200000, -140001, -80000}, {3, 0, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PlaybackFile, MissingFileStartsNothingAndKeepsTheHistogram) {
  testing::TempFolder folder;
  Playback playback;
  playback.StartLines("a", {LogLine(0, "x"), LogLine(0, "y"), LogLine(0, "z")});
  EXPECT_FALSE(playback.Start(folder.path() / "missing.txt"));
  EXPECT_FALSE(playback.Playing());
  EXPECT_EQ(playback.MinuteHistogram()[0], 3);
}

TEST(PlaybackFile, LoadsCrLfAndLfLines) {
  testing::TempFolder folder;
  const auto path = folder.path() / "!AIS260101-0900.txt";
  const std::string text = "100:\t!A\r\n200:\t!B\n300:\t!C\r\n";
  testing::WriteBytes(path, text.data(), text.size());
  Player p;
  ASSERT_TRUE(p.playback.Start(path));
  EXPECT_EQ(p.playback.PlaybackFileName(), path.string());
  EXPECT_EQ(p.playback.LineCount(), 3u);
  p.Step();
  p.now = 200;
  EXPECT_EQ(p.Step(), Playback::StepResult::Ended);
  ASSERT_EQ(p.fed.size(), 3u);
  EXPECT_EQ(p.fed[0].second, "!A");
  EXPECT_EQ(p.fed[1].second, "!B");
  EXPECT_EQ(p.fed[2].second, "!C");
}

// A table with own ship and two moving ships, one of which has been freed.
class PlaybackTableResets : public ::testing::Test {
 protected:
  PlaybackTableResets() : table(clock) {
    DbDynamic d;
    table.GetShip(0, d);
    d.MMSI = 599999999;
    d.Age = 1;
    d.Lat = 34.6;
    d.Lon = 135.2;
    d.Sog = 5.0;
    d.Raw.RawSog = 50;
    d.Rot = 2.0;
    table.PutShip(0, d);
    moving = table.FindOrAddShip(431000001);
    freed = table.FindOrAddShip(431000002);
    for (int i : {moving, freed}) {
      table.GetShip(i, d);
      d.Lat = 34.5;
      d.Sog = 12.0;
      d.Raw.RawSog = 120;
      d.Rot = -3.0;
      table.PutShip(i, d);
      table.StoreWakePoint(i, d.MMSI, 34.5, 135.1);
    }
    table.DynamicEntries()[freed].Age = 0;
  }
  ManualClock clock;
  ShipTable table;
  int moving = -1, freed = -1;
};

TEST_F(PlaybackTableResets, EndStopsOwnShipAndTakenEntriesOnly) {
  StopShipsAfterPlayback(table);
  const DbDynamic* e = table.DynamicEntries();
  for (int i : {0, moving}) {
    SCOPED_TRACE(i);
    EXPECT_EQ(e[i].Sog, 0.0);
    EXPECT_EQ(e[i].Raw.RawSog, 0);
    EXPECT_EQ(e[i].Rot, 0.0);
  }
  EXPECT_EQ(e[moving].Lat, 34.5);
  EXPECT_EQ(e[freed].Sog, 12.0);  // free entries are left alone
  EXPECT_EQ(e[0].Lat, 34.6);
}

TEST_F(PlaybackTableResets, StartFreesEverythingAndKeepsOwnPosition) {
  ResetTableForPlayback(table);
  const DbDynamic* e = table.DynamicEntries();
  EXPECT_EQ(table.FindShip(431000001), -1);
  EXPECT_EQ(e[moving].Age, 0u);
  EXPECT_EQ(table.WakeRings()[moving].At(table.wakeHead).Lat, 0.0);
  EXPECT_EQ(e[0].Age, 0u);
  EXPECT_EQ(e[0].MMSI, 0);
  EXPECT_EQ(e[0].Sog, 0.0);
  EXPECT_EQ(e[0].Lat, 34.6);
  EXPECT_EQ(e[0].Lon, 135.2);
  EXPECT_EQ(e[0].Rot, 2.0);
}

}  // namespace
}  // namespace aismon
