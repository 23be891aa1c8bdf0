#include "app/ship_db_autosave.h"

#include <gtest/gtest.h>

#include <QTimer>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/main_window.h"
#include "shipdb/ship_db_files.h"
#include "support/temp_files.h"

namespace aismon {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

std::string LoadedName(const fs::path& home, int index) {
  ManualClock clock;
  ShipTable table(clock);
  LoadShipDb(table, home);
  return table.StaticEntries()[index].Name;
}

// The window saves the ship database every 2 minutes of timer ticks, in two steps a
// second apart, and the save holds what the table held at the first step.
TEST(ShipDbAutoSave, WindowSavesEveryTwoMinutes) {
  TempFolder home;
  ManualClock clock(100000);
  WindowSetup setup;
  setup.programFolder = home.path();
  for (int n = 1; n <= kPortCount; ++n) setup.portsFromCommandLine[n] = (home.path() / ("absent-" + std::to_string(n))).string();
  TForm1 w(setup, clock);
  w.StopDrivers();
  const fs::path dynamicFile = DynamicDbPath(home.path());
  const fs::path staticFile = StaticDbPath(home.path());
  auto tick = [&](uint32_t n) {
    for (uint32_t i = 0; i < n; ++i) {
      clock.Advance(100);
      w.Timer100msTimer();
    }
  };
  struct Step {
    const char* name;
    uint32_t ticks;         // run before looking
    const char* tableName;  // written into static entry 9 before the ticks ("" = unchanged)
    bool saved;             // the files exist
    const char* fileName;   // what they then hold in entry 9
  };
  const Step steps[] = {
      {"nothing before two minutes", kAutoSaveTicks - 1, "FIRST", false, ""},
      {"images written, not yet in place", 1, "", false, ""},
      {"in place a second later", kAutoSaveFinishTicks, "SECOND", true, "FIRST"},
      {"not again before the next two minutes", kAutoSaveTicks - kAutoSaveFinishTicks - 1, "", true, "FIRST"},
      {"the next save", kAutoSaveTicks, "", true, "SECOND"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    if (s.tableName[0] != '\0') std::strcpy(w.Table().StaticEntries()[9].Name, s.tableName);
    tick(s.ticks);
    EXPECT_EQ(fs::exists(dynamicFile), s.saved);
    EXPECT_EQ(fs::exists(staticFile), s.saved);
    if (s.saved) {
      EXPECT_EQ(LoadedName(home.path(), 9), s.fileName);
    }
  }
  EXPECT_EQ(w.AutoSave().LastTiming().saves, 2u);
  EXPECT_FALSE(fs::exists(home.path() / "DATA" / kSaveCommitFileName));
}

// Closing saves at once whatever a periodic save is doing, and what the table holds then.
TEST(ShipDbAutoSave, SaveNowReplacesASaveUnderWay) {
  TempFolder home;
  ManualClock clock;
  ShipTable table(clock);
  LoadShipDb(table, home.path());
  fs::create_directories(home.path() / "DATA");
  ShipDbAutoSave save(table, home.path(), clock);
  std::strcpy(table.StaticEntries()[9].Name, "BEGUN");
  save.TimerTick(kAutoSaveTicks);
  ASSERT_TRUE(save.Pending());
  std::strcpy(table.StaticEntries()[9].Name, "CLOSED");
  save.SaveNow();
  EXPECT_FALSE(save.Pending());
  EXPECT_EQ(LoadedName(home.path(), 9), "CLOSED");
  save.TimerTick(kAutoSaveTicks + kAutoSaveFinishTicks);  // nothing left to finish
  EXPECT_EQ(LoadedName(home.path(), 9), "CLOSED");
  EXPECT_EQ(save.LastTiming().saves, 0u);
}

}  // namespace
}  // namespace aismon
