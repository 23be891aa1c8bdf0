// The program's files in a folder whose name has "!", a space and Japanese in it, as a
// Windows user's folder may: each is written twice (the second time over the first) and
// read back, and is found under its own name by the file system.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "basechart/chart_catalog.h"
#include "basechart/chart_file_writer.h"
#include "common/clock.h"
#include "common/settings_file.h"
#include "shipdb/ship_db_files.h"
#include "shipdb/ship_table.h"
#include "support/temp_files.h"
#include "watch/alarm_log.h"

namespace aismon {
namespace {

namespace fs = std::filesystem;

const LocalDateTime kDay{2026, 12, 10, 9, 30, 0};

ChartFileWriter Tile(int records) {
  ChartFileWriter w(400000000, 1200000000, 200000000, 1400000000);
  for (int i = 0; i < records; ++i) w.AddRecord('L', {{350000000 + i, 1350000000}, {351000000, 1351000000 + i}});
  return w;
}

struct FileCase {
  const char* name;
  const char* file;                                 // where it must be, below the program folder
  std::function<bool(const fs::path&, int)> write;  // the round's contents; true when written
  std::function<int64_t(const fs::path&)> readBack;
  int64_t expected;  // what reading gives after round 2
};

TEST(FileNames, FilesInAFolderWithAJapaneseNameAreReplacedAndReadBack) {
  const FileCase cases[] = {
      {"ship database", "DATA/@DbDynamic3.bin",
       [](const fs::path& home, int round) {
         ManualClock clock;
         ShipTable table(clock);
         LoadShipDb(table, home);
         table.DynamicEntries()[0].MMSI = 431000000 + round;
         const ShipDbSaveResult r = SaveShipDbFiles(table, home);
         return r.dynamicSaved && r.staticSaved;
       },
       [](const fs::path& home) -> int64_t {
         ManualClock clock;
         ShipTable table(clock);
         LoadShipDb(table, home);
         return table.DynamicEntries()[0].MMSI;
       },
       431000002},
      {"settings file", "DATA/aismon.ini",
       [](const fs::path& home, int round) {
         return WriteMapCenter(home / "DATA" / "aismon.ini", MapCenter{30.0 + round, 135.5});
       },
       [](const fs::path& home) -> int64_t { return static_cast<int64_t>(ReadMapCenter(home / "DATA" / "aismon.ini").lat); },
       32},
      {"alarm log", "DATA/!Alarm261210.txt",
       [](const fs::path& home, int round) {
         AlarmLogRecord r;
         r.when = kDay;
         r.mmsi = 431000000 + round;
         return AlarmLog(home / "DATA").Append(r);
       },
       [](const fs::path& home) -> int64_t {
         AlarmLog log(home / "DATA");
         log.LoadDay(kDay);
         AlarmLogRecord found[2];
         return log.LastFor(431000001, found, 2) + log.LastFor(431000002, found, 2);
       },
       2},
      {"chart catalog from its tiles", "!Japan.Zt3",
       [](const fs::path& home, int round) {
         std::string error;
         const bool saved = Tile(round).Save(TilePath(home, "N20E120"), error);
         if (round == 2) BuildChartCatalog(home);  // built once, from the replaced tile
         return saved && error.empty();
       },
       [](const fs::path& home) -> int64_t {
         ChartCatalog catalog(home);
         const ChartImage* image = catalog.Load();
         return image == nullptr ? -1 : static_cast<int64_t>(image->wordCount);
       },
       static_cast<int64_t>(Tile(2).Words().size())},
  };
  testing::TempFolder dir;
  const fs::path home = dir.path() / fs::path(u8"!船舶 データ") / "home";
  fs::create_directories(home / "DATA");
  fs::create_directories(TilePath(home, "N20E120").parent_path());
  for (const FileCase& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(c.write(home, 1));
    ASSERT_TRUE(c.write(home, 2));
    EXPECT_EQ(c.readBack(home), c.expected);
    EXPECT_TRUE(fs::is_regular_file(home / c.file));
  }
  // Nothing was left beside the files or written anywhere else.
  int entries = 0;
  for (const auto& e : fs::recursive_directory_iterator(dir.path())) {
    EXPECT_NE(e.path().extension(), ".tmp") << e.path();
    ++entries;
  }
  // The folders (the Japanese one, home, DATA and the two of the tiles) and the six files.
  EXPECT_EQ(entries, 5 + 6);
}

}  // namespace
}  // namespace aismon
