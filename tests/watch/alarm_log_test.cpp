// The alarm log over a real watch: a crossing ship raised, acknowledged, raised again ten
// minutes on and cleared, across midnight: one line each, in the file of its day.
#include "watch/alarm_log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "shipdb/ship_table.h"
#include "support/temp_files.h"

namespace aismon {
namespace {

std::vector<std::string> Lines(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> lines;
  size_t from = 0;
  for (size_t at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2)
    lines.push_back(text.substr(from, at - from));
  EXPECT_EQ(from, text.size()) << "a line without its end";
  return lines;
}

TEST(AlarmLog, RaiseAcknowledgeReRaiseClearAcrossMidnight) {
  testing::TempFolder dir;
  ManualClock clock(0, LocalDateTime{2026, 12, 9, 23, 59, 0});
  ShipTable table(clock);
  DbDynamic& own = table.DynamicEntries()[0];
  own.Lat = 35.0;
  own.Lon = 139.0;
  own.Sog = 10;
  const int slot = table.FindOrAddShip(431000001);
  {
    DbDynamic& e = *table.Edit(slot);
    e.Age = 1;
    e.Raw.PosState = kPosReported;
    e.Lat = 35.05;  // 3 NM north, coming south at 10 kn: head on, 9 minutes to go
    e.Lon = 139.0;
    e.Sog = 10;
    e.Cog = 180;
    std::snprintf(table.StaticOf(e.Link).Name, sizeof table.StaticOf(e.Link).Name, "KOBE MARU           ");
    table.Commit(slot);
  }
  IntakeCounters counters;
  TrafficWatch watch(table.DynamicCount());
  AlarmLog log(dir.path());
  auto drain = [&] {
    for (int i = 0; i < watch.EventCount(); ++i)
      ASSERT_TRUE(log.Append(MakeAlarmLogRecord(watch.EventAt(i), table, clock.Now())));
    watch.ClearEvents();
  };
  auto pass = [&] {
    ++counters.rmcFixCount;
    watch.Pass(table, counters, ReceiveOptions{}, clock.TickMs());
    drain();
  };
  pass();                                 // 23:59:00 raised
  clock.Advance(1000);
  ASSERT_TRUE(watch.AcknowledgeRow(0, clock.TickMs()));
  drain();                                // 23:59:01 acknowledged
  for (int s = 0; s < 600; ++s) {         // still dangerous ten minutes on: raised again
    clock.Advance(1000);
    table.DynamicEntries()[slot].Lat = 35.05;  // held where it was: the table is not stepped
    pass();
  }
  table.DynamicEntries()[slot].Cog = 0;   // turns away
  clock.Advance(1000);
  pass();
  const auto day1 = Lines(dir.path() / "!Alarm261209.txt");
  const auto day2 = Lines(dir.path() / "!Alarm261210.txt");
  ASSERT_EQ(day1.size(), 2u);
  ASSERT_EQ(day2.size(), 2u);
  EXPECT_EQ(day1[0],
            "2026-12-09 23:59:00\t発生\t衝突警報\t431000001\tKOBE MARU\tCPA 0.00NM\tTCPA 9.0分\t距離 3.00NM\t方位 000°\t"
            "35°03.000'N 139°00.000'E");
  auto head = [](const std::string& line) { return line.substr(0, line.find("\t431000001")); };
  EXPECT_EQ(head(day1[1]), "2026-12-09 23:59:01\t確認\t衝突警報");
  EXPECT_EQ(head(day2[0]), "2026-12-10 00:09:01\t再発生\t衝突警報");
  EXPECT_EQ(head(day2[1]), "2026-12-10 00:09:02\t解除\t衝突警報");
  AlarmLogRecord last[8];
  ASSERT_EQ(log.LastFor(431000001, last, 8), 4);
  EXPECT_EQ(last[0].change, AlarmChange::Cleared);
  EXPECT_EQ(last[3].change, AlarmChange::Raised);
  EXPECT_EQ(log.LastFor(431000002, last, 8), 0);
  // A restart on the second day finds that day's records again, the same but for the
  // position, which is not read back.
  AlarmLog again(dir.path());
  again.LoadDay(clock.Now());
  ASSERT_EQ(again.LastFor(431000001, last, 8), 2);
  EXPECT_EQ(AlarmLogLine(last[1]), day2[0].substr(0, day2[0].rfind('\t')) + "\t-");
  EXPECT_EQ(AlarmLogLine(last[0]), day2[1].substr(0, day2[1].rfind('\t')) + "\t-");
}

}  // namespace
}  // namespace aismon
