// The target list's once-a-second update with a full table: every station moves and ages
// between refreshes, the watch recomputes CPA and TCPA, and the shown list window (model,
// sorting proxy, view) takes the new rows with its sort and selection kept. Timed: the
// watch pass, and the list refresh.
#include "target_list_bench.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QTableView>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/target_list_window.h"
#include "common/clock.h"
#include "input/receive_state.h"
#include "shipdb/ship_table.h"
#include "watch/traffic_watch.h"

using namespace aismon;

namespace {

double NowMs() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Stats {
  double median, p95, max;
};
Stats Summarise(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  if (v.empty()) return {0, 0, 0};
  return {v[v.size() / 2], v[std::min(v.size() - 1, v.size() * 95 / 100)], v.back()};
}

void Fill(ShipTable& table, int ships) {
  uint64_t s = 0x9E3779B97F4A7C15ull;
  auto next = [&s] {
    s = s * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<double>(s >> 11) / 9007199254740992.0;
  };
  for (int i = 0; i < ships; ++i) {
    const int32_t mmsi = 431000000 + i * 7;
    const int slot = table.FindOrAddShip(mmsi);
    DbDynamic& e = *table.Edit(slot);
    e.Age = 1 + static_cast<uint32_t>(next() * 200000);
    e.Raw.PosState = kPosReported;
    e.Lat = 34.6 + (next() - 0.5) * 0.6;
    e.Lon = 135.3 + (next() - 0.5) * 0.8;
    e.Sog = next() * 20;
    e.Cog = next() * 360;
    DbStatic& st = table.StaticOf(e.Link);
    std::snprintf(st.Name, sizeof st.Name, "SHIP %04d MARU", i);
    std::snprintf(st.Sign, sizeof st.Sign, "JA%04d", i);
    std::snprintf(st.Dest, sizeof st.Dest, "KOBE");
    st.Type = static_cast<int16_t>(60 + (i % 30));
    st.MsgNo = 1;
    table.Commit(slot);
  }
}

}  // namespace

int RunTargetListBench(int argc, char** argv) {
  int ships = 1024, refreshes = 200;
  for (int i = 0; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--ships") == 0) ships = std::clamp(std::atoi(argv[i + 1]), 1, kMaxStations);
    else if (std::strcmp(argv[i], "--refreshes") == 0) refreshes = std::max(1, std::atoi(argv[i + 1]));
    else {
      std::fprintf(stderr, "aismon-bench target-list: unknown argument %s\n", argv[i]);
      return 2;
    }
  }
  int qargc = 1;
  char name[] = "aismon-bench";
  char* qargv[] = {name, nullptr};
  QApplication app(qargc, qargv);
  ManualClock clock(1000);
  ShipTable table(clock, ships);  // room for them all: 1024 at least
  Fill(table, ships);
  DbDynamic& own = table.DynamicEntries()[0];
  own.Lat = 34.6;
  own.Lon = 135.3;
  own.Sog = 12;
  own.Cog = 45;
  IntakeCounters counters;
  counters.rmcFixCount = 1;
  ReceiveOptions options;
  TrafficWatch watch(table.DynamicCount());
  TargetListWindow window(nullptr);
  window.show();
  watch.Pass(table, counters, options, clock.TickMs());
  window.Refresh(table, watch);
  window.View()->sortByColumn(kColCpa, Qt::AscendingOrder);
  window.View()->selectRow(ships / 2);
  QApplication::processEvents();
  const int32_t selected = window.SelectedSlot();

  std::vector<double> passMs, refreshMs;
  for (int r = 0; r < refreshes; ++r) {
    clock.Advance(1000);
    DbDynamic* e = table.DynamicEntries();
    for (int slot = 1; slot < table.DynamicCount(); ++slot) {
      if (e[slot].Age == 0) continue;
      e[slot].Age += 1000;
      if (e[slot].Age > 300000) e[slot].Age = 1;  // a fresh report
      e[slot].Lat += std::cos(e[slot].Cog * 0.0174533) * e[slot].Sog / 3600 / 60;
      e[slot].Lon += std::sin(e[slot].Cog * 0.0174533) * e[slot].Sog / 3600 / 60 / 0.82;
    }
    const double t0 = NowMs();
    watch.Pass(table, counters, options, clock.TickMs());
    const double t1 = NowMs();
    window.Refresh(table, watch);
    const double t2 = NowMs();
    passMs.push_back(t1 - t0);
    refreshMs.push_back(t2 - t1);
    QApplication::processEvents();  // the view repaints between refreshes, as in the program
  }
  const Stats p = Summarise(passMs), l = Summarise(refreshMs);
  std::printf("target-list: %d stations, %d refreshes, rows %d\n", ships, refreshes, window.Model().rowCount());
  std::printf("  watch pass     median %.3f ms  p95 %.3f ms  max %.3f ms\n", p.median, p.p95, p.max);
  std::printf("  list refresh   median %.3f ms  p95 %.3f ms  max %.3f ms\n", l.median, l.p95, l.max);
  std::printf("  selection kept: %s\n", window.SelectedSlot() == selected ? "yes" : "NO");
  return window.SelectedSlot() == selected ? 0 : 1;
}
