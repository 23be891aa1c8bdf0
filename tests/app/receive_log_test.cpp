#include "app/receive_log.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

#include "common/clock.h"
#include "tests/support/temp_files.h"

namespace aismon {
namespace {

using testing::ReadBytes;
using testing::TempFolder;

constexpr char kVdm[] = "!AIVDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D";
constexpr char kRmc[] = "$GPRMC,123456,A,3435.0000,N,13515.0000,E,123,456,123456,0,E,A*06";

struct RecordRow {
  const char* name;
  friend void PrintTo(const RecordRow& r, std::ostream* os) { *os << r.name; }
  std::vector<std::pair<const char*, uint32_t>> lines;  // sentence, tick
  bool playingBack;
  uint32_t lastRmcBefore;
  std::vector<std::string> expected;
  uint32_t lastRmcAfter;
};

class RecordingRule : public ::testing::TestWithParam<RecordRow> {};

TEST_P(RecordingRule, KeepsWhatTheRuleSays) {
  const RecordRow& row = GetParam();
  ReceiveLog log;
  log.lastRmcLogTick = row.lastRmcBefore;
  for (const auto& [line, tick] : row.lines) log.Record(line, tick, row.playingBack);
  EXPECT_EQ(std::vector<std::string>(log.Lines().begin(), log.Lines().end()), row.expected);
  EXPECT_EQ(log.lastRmcLogTick, row.lastRmcAfter);
}

INSTANTIATE_TEST_SUITE_P(
    ReceiveLog, RecordingRule,
    ::testing::Values(
        RecordRow{"VdmWithTickColonTab", {{kVdm, 123456}}, false, 0, {std::string("123456:\t") + kVdm}, 0},
        RecordRow{"TickWrittenSigned", {{kVdm, 0xFFFFFFFEu}}, false, 0, {std::string("-2:\t") + kVdm}, 0},
        // Every talker's VDM and VDO lines: a coastal stream carries most of its traffic
        // under BS, AB, SA or "--", and the transponder's own reports come as VDO.
        RecordRow{"EveryTalkerVdmAndVdo",
                  {{"!AIVDO,1,1,,,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4F", 9000},
                   {"!BSVDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D", 9001},
                   {"!ABVDM,1,1,,B,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D", 9002},
                   {"!BYVDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D", 9003},
                   {"!SAVDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D", 9004},
                   {"!--VDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D", 9005},
                   {"$AIVDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D", 9006}},
                  false,
                  0,
                  {"9000:\t!AIVDO,1,1,,,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4F",
                   "9001:\t!BSVDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D",
                   "9002:\t!ABVDM,1,1,,B,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D",
                   "9003:\t!BYVDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D",
                   "9004:\t!SAVDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D",
                   "9005:\t!--VDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D",
                   "9006:\t$AIVDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D"},
                  0},
        RecordRow{"OtherAisSentencesNotRecorded",
                  {{"!AIALR,1,1,,A,x,0*00", 9000}, {"!AIVDX,1,1,,A,x,0*00", 9000}, {"!AIVD", 9000}},
                  false,
                  0,
                  {},
                  0},
        RecordRow{"RmcOnceEvery5s",
                  {{kRmc, 10000}, {kRmc, 14999}, {kRmc, 15000}},
                  false,
                  0,
                  {std::string("10000:\t") + kRmc, std::string("15000:\t") + kRmc},
                  15000},
        RecordRow{"RmcBefore5sAfterStartNotRecorded", {{kRmc, 4999}}, false, 0, {}, 0},
        RecordRow{"GnTalkerRmcRecorded",
                  {{"$GNRMC,1,A,3435.0,N,13515.0,E,0,0,1,,,A*00", 7000}},
                  false,
                  0,
                  {"7000:\t$GNRMC,1,A,3435.0,N,13515.0,E,0,0,1,,,A*00"},
                  7000},
        RecordRow{"GgaNotRecorded", {{"$GPGGA,123456,3435.0,N,13515.0,E,1,08,1.0,0,M,0,M,,*00", 9000}}, false, 0, {}, 0},
        RecordRow{"ShortLineNotRecorded", {{"$G", 9000}, {"!A", 9000}}, false, 0, {}, 0},
        // The sum is compared as it comes out of 32 bits: near the top it wraps and lets
        // the next RMC through at once.
        RecordRow{"RmcSumWrapsNearTop",
                  {{kRmc, 0xFFFFFF00u}},
                  false,
                  0xFFFFF000u,
                  {std::string("-256:\t") + kRmc},
                  0xFFFFFF00u},
        // After the tick itself wraps, the plain comparison holds RMC lines back.
        RecordRow{"RmcHeldBackAfterTickWraps", {{kRmc, 100}}, false, 0xFFFFF000u, {}, 0xFFFFF000u},
        RecordRow{"NothingWhilePlayingBack", {{kVdm, 9000}, {kRmc, 9000}}, true, 0, {}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReceiveLogCap, KeepsTheNewest100000Lines) {
  ReceiveLog log;
  for (uint32_t i = 0; i < kReceiveLogMaxLines + 5; ++i) log.Record(kVdm, i, false);
  ASSERT_EQ(log.Count(), kReceiveLogMaxLines);
  EXPECT_EQ(log.Lines().front(), std::string("5:\t") + kVdm);
  EXPECT_EQ(log.Lines().back(), std::string("100004:\t") + kVdm);
  EXPECT_TRUE(log.WantsFlush());
}

TEST(ReceiveLogFileName, YyMmDdHyphenHhMm) {
  EXPECT_EQ(ReceiveLogFileName(LocalDateTime{2026, 3, 7, 9, 5, 59}), "!AIS260307-0905.txt");
  EXPECT_EQ(ReceiveLogFileName(LocalDateTime{2000, 12, 31, 23, 59, 0}), "!AIS001231-2359.txt");
}

std::string Expected(uint32_t from, uint32_t count) {
  std::string s;
  for (uint32_t i = from; i < from + count; ++i) s += std::to_string(i) + ":\t" + kVdm + "\r\n";
  return s;
}

std::string FileText(const std::filesystem::path& p) {
  const testing::Bytes b = ReadBytes(p);
  return std::string(b.begin(), b.end());
}

struct FlushRow {
  const char* name;
  friend void PrintTo(const FlushRow& r, std::ostream* os) { *os << r.name; }
  uint32_t lines;
  bool visible;
  bool fileWritten;
  size_t linesLeft;
};

class Flush : public ::testing::TestWithParam<FlushRow> {};

TEST_P(Flush, WritesOnlyWhenVisibleAndMoreThanTen) {
  const FlushRow& row = GetParam();
  TempFolder folder;
  ManualClock clock{0, LocalDateTime{2026, 1, 2, 3, 4, 5}};
  ReceiveLog log;
  for (uint32_t i = 0; i < row.lines; ++i) log.Record(kVdm, 1000 + i, false);
  EXPECT_EQ(log.FlushReceiveLog(folder.path(), row.visible, clock), "");
  const auto path = folder.path() / "!AIS260102-0304.txt";
  EXPECT_EQ(std::filesystem::exists(path), row.fileWritten);
  if (row.fileWritten) {
    EXPECT_EQ(FileText(path), Expected(1000, row.lines));
  }
  EXPECT_EQ(log.Count(), row.linesLeft);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), row.fileWritten ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(ReceiveLog, Flush,
                         ::testing::Values(FlushRow{"TenLinesDiscarded", 10, true, false, 0},
                                           FlushRow{"ElevenLinesWritten", 11, true, true, 0},
                                           FlushRow{"HiddenPanelKeepsEverything", 11, false, false, 11},
                                           FlushRow{"HiddenPanelKeepsFewLines", 3, false, false, 3},
                                           FlushRow{"EmptyWritesNothing", 0, true, false, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReceiveLogFlush, TwoFlushesInOneMinuteAppend) {
  TempFolder folder;
  ManualClock clock{0, LocalDateTime{2026, 1, 2, 3, 4, 0}};
  ReceiveLog log;
  for (uint32_t i = 0; i < 12; ++i) log.Record(kVdm, i, false);
  ASSERT_EQ(log.FlushReceiveLog(folder.path(), true, clock), "");
  clock.Advance(30000);
  for (uint32_t i = 100; i < 115; ++i) log.Record(kVdm, i, false);
  ASSERT_EQ(log.FlushReceiveLog(folder.path(), true, clock), "");
  EXPECT_EQ(FileText(folder.path() / "!AIS260102-0304.txt"), Expected(0, 12) + Expected(100, 15));
  clock.Advance(30000);  // the next minute starts a new file
  for (uint32_t i = 200; i < 211; ++i) log.Record(kVdm, i, false);
  ASSERT_EQ(log.FlushReceiveLog(folder.path(), true, clock), "");
  EXPECT_EQ(FileText(folder.path() / "!AIS260102-0305.txt"), Expected(200, 11));
}

TEST(ReceiveLogFlush, FailureKeepsLinesAndIsReportedOnce) {
  TempFolder folder;
  ManualClock clock;
  ReceiveLog log;
  for (uint32_t i = 0; i < 11; ++i) log.Record(kVdm, i, false);
  const auto missing = folder.path() / "no-such-folder";
  const std::string first = log.FlushReceiveLog(missing, true, clock);
  EXPECT_NE(first.find("Cannot create file"), std::string::npos) << first;
  EXPECT_EQ(log.Count(), 11u);
  EXPECT_EQ(log.FlushReceiveLog(missing, true, clock), "");  // not shown again
  EXPECT_EQ(log.Count(), 11u);
  ASSERT_EQ(log.FlushReceiveLog(folder.path(), true, clock), "");  // the folder works: written
  EXPECT_EQ(log.Count(), 0u);
  for (uint32_t i = 0; i < 11; ++i) log.Record(kVdm, i, false);
  EXPECT_NE(log.FlushReceiveLog(missing, true, clock), "");  // a new failure is shown again
}

// Recording under way: a flush is wanted once the lines held span the flush age (the poll)
// or the oldest is that old (the timer, for a stream that stopped), and after a first file
// the few lines of each later flush are written, not dropped.
TEST(ReceiveLogFlush, DueAtTheFlushAgeAndFewLinesKeptOnceWriting) {
  TempFolder folder;
  ManualClock clock{0, LocalDateTime{2026, 1, 2, 3, 4, 0}};
  ReceiveLog log;
  EXPECT_FALSE(log.FlushDue(100000));
  constexpr uint32_t kFirst = 4294964000u;
  constexpr uint32_t kDue = kFirst + kReceiveLogFlushAgeMs;  // wrapped past zero
  static_assert(kDue < 1800u && kReceiveLogFlushAgeMs > 4000u);
  struct Row {
    uint32_t tick;  // a line recorded at this tick (0: none)
    uint32_t now;
    bool wants, due;
  } rows[] = {{kFirst, kFirst, false, false},  // across the tick counter's wrap
              {kFirst + 4000u, kFirst + 4000u, false, false},
              {0, kDue - 1, false, false},
              {0, kDue, false, true},
              {kDue, kDue, true, true}};
  for (const Row& r : rows) {
    if (r.tick != 0) log.Record(kVdm, r.tick, false);
    EXPECT_EQ(log.WantsFlush(), r.wants) << r.now;
    EXPECT_EQ(log.FlushDue(r.now), r.due) << r.now;
  }
  for (uint32_t i = 0; i < 8; ++i) log.Record(kVdm, 1800 + i, false);  // 11 lines: the first file
  ASSERT_EQ(log.FlushReceiveLog(folder.path(), true, clock), "");
  log.Record(kVdm, 20000, false);  // one line: written too, the recording has a file
  ASSERT_EQ(log.FlushReceiveLog(folder.path(), true, clock), "");
  EXPECT_EQ(log.Count(), 0u);
  const std::string text = FileText(folder.path() / "!AIS260102-0304.txt");
  EXPECT_EQ(text.substr(text.size() - Expected(20000, 1).size()), Expected(20000, 1));
  EXPECT_FALSE(log.FlushDue(100000));
}

}  // namespace
}  // namespace aismon
