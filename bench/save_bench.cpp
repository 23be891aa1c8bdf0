#include "save_bench.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "common/clock.h"
#include "shipdb/ship_db_files.h"
#include "shipdb/ship_table.h"

namespace fs = std::filesystem;
using namespace aismon;

namespace {

double NowMs() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void Report(const char* what, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  std::printf("%-34s min %7.2f  median %7.2f  max %7.2f ms\n", what, ms.front(), ms[ms.size() / 2], ms.back());
}

}  // namespace

int RunSaveBench(int argc, char** argv) {
  fs::path home;
  int repeat = 20;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--home") == 0 && i + 1 < argc) {
      home = argv[++i];
    } else if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) {
      repeat = std::max(1, std::atoi(argv[++i]));
    } else {
      std::fprintf(stderr, "aismon-bench save: unknown argument %s\n", argv[i]);
      return 2;
    }
  }
  const bool ownHome = home.empty();
  if (ownHome) home = fs::temp_directory_path() / ("aismon-save-bench-" + std::to_string(::getpid()));
  std::error_code ec;
  fs::create_directories(home / kDataFolderName, ec);
  if (ec) {
    std::fprintf(stderr, "aismon-bench save: cannot make %s: %s\n", (home / kDataFolderName).c_str(), ec.message().c_str());
    return 1;
  }
  ManualClock clock;
  ShipTable table(clock);
  LoadShipDb(table, home);
  // A full static side, as after days beside a busy coast.
  for (int i = 1; i < kStaticEntries; ++i) {
    DbStatic& s = table.StaticEntries()[i];
    s.UdTime = static_cast<uint32_t>(i);
    s.MMSI = 431000000 + i;
    std::snprintf(s.Name, sizeof s.Name, "SHIP %d", i);
  }
  std::vector<double> begin, finish, whole;
  for (int r = 0; r < repeat; ++r) {
    table.StaticEntries()[1].UdTime = static_cast<uint32_t>(r);
    double t0 = NowMs();
    const ShipDbPendingSave pending = BeginShipDbSave(table, home);
    double t1 = NowMs();
    begin.push_back(t1 - t0);
    // The running program takes the second step a second later; the system writes the
    // images out meanwhile.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    t0 = NowMs();
    const ShipDbSaveResult saved = FinishShipDbSave(pending, home);
    t1 = NowMs();
    finish.push_back(t1 - t0);
    if (!saved.dynamicSaved || !saved.staticSaved) {
      std::fprintf(stderr, "aismon-bench save: the save failed in %s\n", home.c_str());
      return 1;
    }
    t0 = NowMs();
    SaveShipDb(table, home);
    whole.push_back(NowMs() - t0);
  }
  std::printf("ship database save, %d rounds, %s\n", repeat, home.c_str());
  Report("write images (periodic, step 1)", begin);
  Report("to disk and move (step 2, 1 s later)", finish);
  Report("whole save at once (close)", whole);
  if (ownHome) fs::remove_all(home, ec);
  return 0;
}
