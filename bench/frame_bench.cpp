// Frame composition time: a busy scene (many moving ships with full wakes, a few long
// hulls, place names, grid, rings and panels, a base chart) composed frame after frame with
// the program's composer, timed per layer; and the floor, the time of only filling the
// work bitmap and averaging it down.
#include "frame_bench.h"

#include <QGuiApplication>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "basechart/chart_catalog.h"
#include "basechart/place_names.h"
#include "chart/chart_frame.h"
#include "common/clock.h"
#include "input/receive_state.h"
#include "shipdb/ship_table.h"
#include "text/sjis.h"

namespace fs = std::filesystem;
using namespace aismon;

namespace {

constexpr double kCenterLat = 34.6;
constexpr double kCenterLon = 135.3;
constexpr double kMetersPerPixel = 15;
constexpr int kWarmUpFrames = 5;
constexpr uint32_t kFrameTickMs = 16;

double NowMs() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// A small deterministic generator, so every run draws the same scene.
struct Lcg {
  uint64_t s = 0x2545F4914F6CDD1Dull;
  double Next() {  // [0, 1)
    s = s * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<double>(s >> 11) / 9007199254740992.0;
  }
};

// A plain (unscrambled) catalog of wobbly islands around the scene, each a closed land
// area, with well over 80,000 points in all; most of them near the view.
void WriteSyntheticCatalog(const fs::path& folder, double centerLat, double centerLon) {
  Lcg rng;
  std::vector<int32_t> words = {0x0033745A, 10, 600000000, 1200000000, 200000000, 1600000000, 8, 10, 0, 0};
  int64_t points = 0;
  for (int area = 0; area < 240; ++area) {
    const double clat = centerLat + (rng.Next() - 0.5) * 0.6;
    const double clon = centerLon + (rng.Next() - 0.5) * 0.8;
    const double radius = 0.005 + rng.Next() * 0.03;
    const int n = 360;
    const double phase = rng.Next() * 6.283;
    std::vector<int32_t> pts;
    double north = -90, south = 90, east = -180, west = 180;
    for (int i = 0; i < n; ++i) {
      const double a = i * 6.283185307179586 / n;
      const double r = radius * (1 + 0.25 * std::sin(5 * a + phase) + 0.1 * std::sin(17 * a) + 0.05 * (rng.Next() - 0.5));
      const double lat = clat + r * std::cos(a);
      const double lon = clon + r * std::sin(a) / std::cos(clat * 3.141592653589793 / 180);
      north = std::max(north, lat);
      south = std::min(south, lat);
      east = std::max(east, lon);
      west = std::min(west, lon);
      pts.push_back(static_cast<int32_t>(std::lround(lat * 1e7)));
      pts.push_back(static_cast<int32_t>(std::lround(lon * 1e7)));
    }
    points += n;
    const int32_t length = 10 + static_cast<int32_t>(pts.size());
    const int32_t header[10] = {'A',
                                length,
                                static_cast<int32_t>(std::lround(north * 1e7)),
                                static_cast<int32_t>(std::lround(west * 1e7)),
                                static_cast<int32_t>(std::lround(south * 1e7)),
                                static_cast<int32_t>(std::lround(east * 1e7)),
                                0,
                                10,
                                n,
                                0};
    words.insert(words.end(), header, header + 10);
    words.insert(words.end(), pts.begin(), pts.end());
  }
  words.push_back(0);
  std::ofstream out(CatalogPath(folder), std::ios::binary);
  out.write(reinterpret_cast<const char*>(words.data()), static_cast<std::streamsize>(words.size() * 4));
  std::fprintf(stderr, "aismon-bench frame: synthetic catalog of %lld points in %s\n", static_cast<long long>(points),
               folder.c_str());
}

// Place names around the scene at every level, Shift-JIS as the built-in list is.
std::vector<std::string> SyntheticPlaceNames(double centerLat, double centerLon) {
  static const char* const kNames[] = {"大阪港", "神戸港", "淡路島", "明石海峡", "関西空港", "堺泉北港", "和歌山",
                                       "友ヶ島", "洲本", "岸和田", "尼崎", "西宮", "芦屋", "泉佐野"};
  Lcg rng;
  std::vector<std::string> lines = {"//,LEVEL,99999,1500,500,200,10"};
  for (int i = 0; i < 860; ++i) {
    char buf[160];
    const double lat = centerLat + (rng.Next() - 0.5) * 2;
    const double lon = centerLon + (rng.Next() - 0.5) * 2;
    std::snprintf(buf, sizeof buf, "P,%.4f,%.4f,,%d,1,%s,@@@,日本", lat, lon, i % 6, kNames[i % 14]);
    lines.push_back(Utf8ToShiftJis(buf));
  }
  return lines;
}

void FillScene(ShipTable& table, int ships, double centerLat, double centerLon, double halfLatSpan,
               double halfLonSpan) {
  static const int16_t kTypes[] = {70, 80, 60, 40, 52, 30, 37, 0, 71, 89};
  Lcg rng;
  DbDynamic own;
  table.GetShip(0, own);
  own.MMSI = kOwnShipPlaceholderMMSI;
  own.Lat = centerLat;
  own.Lon = centerLon;
  own.Sog = 12;
  own.Cog = own.Hdg = 45;
  table.PutShip(0, own);
  for (int i = 0; i < ships; ++i) {
    const int32_t mmsi = 431000000 + i;
    const int slot = table.FindOrAddShip(mmsi);
    DbDynamic e;
    if (slot <= 0 || !table.GetShip(slot, e)) continue;
    e.Age = 1000 + static_cast<uint32_t>(rng.Next() * 100000);
    e.Lat = centerLat + (rng.Next() - 0.5) * 1.8 * halfLatSpan;
    e.Lon = centerLon + (rng.Next() - 0.5) * 1.8 * halfLonSpan;
    e.Sog = 3 + rng.Next() * 17;
    e.Cog = e.Hdg = rng.Next() * 360;
    e.Rot = (rng.Next() - 0.5) * 10;
    e.NavStat = i % 23 == 0 ? 1 : 0;
    e.Raw.PosState = kPosReported;  // a position it reported: only those are drawn
    table.PutShip(slot, e);
    DbStatic& s = table.FindOrAddStaticEntry(mmsi);
    s.Type = kTypes[i % 10];
    const bool longHull = i % 128 == 5;  // a few hulls long enough to be drawn to scale
    s.AntA = static_cast<int16_t>(longHull ? 700 : 80);
    s.AntB = static_cast<int16_t>(longHull ? 300 : 20);
    s.AntC = static_cast<int16_t>(longHull ? 60 : 8);
    s.AntD = static_cast<int16_t>(longHull ? 60 : 8);
    // A full wake of 50 points trailing behind the ship.
    const double rad = e.Cog * 3.141592653589793 / 180;
    for (int k = 0; k < 50; ++k) {
      table.wakeHead = k;
      const double back = (50 - k) * 0.0004;
      table.StoreWakePoint(slot, mmsi, e.Lat - back * std::cos(rad), e.Lon - back * std::sin(rad));
    }
  }
  table.wakeHead = 50;
}

int Usage(const char* message, const char* arg) {
  std::fprintf(stderr,
               "aismon-bench frame: %s: %s\nusage: aismon-bench frame [--size WxH] [--ships N] [--home DIR] [--frames N] "
               "[--center LAT,LON] [--mpp M] [--dump FILE.png] [--reports-per-s R] [--wake-step S] [--fresh] [--pan PX]\n",
               message, arg);
  return 2;
}

}  // namespace

int RunFrameBench(int argc, char** argv) {
  int width = 960, height = 1000, ships = 1024, frames = 200;
  double centerLat = kCenterLat, centerLon = kCenterLon, metersPerPixel = kMetersPerPixel;
  const char* home = nullptr;
  const char* dump = nullptr;  // the last frame's work bitmap, to compare renderers by
  double reportsPerSecond = -1;  // -1: every ship once in ten seconds
  double wakeStepSeconds = 5;    // the control panel's default
  bool fresh = false;            // nothing kept from frame to frame: what a moving view costs
  int pan = 0;                   // display pixels the view moves east or west each frame, as when dragged
  for (int i = 0; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strcmp(a, "--fresh") == 0) {
      fresh = true;
      continue;
    }
    if (i + 1 >= argc) return Usage("missing value after", a);
    const char* v = argv[++i];
    if (std::strcmp(a, "--size") == 0) {
      if (std::sscanf(v, "%dx%d", &width, &height) != 2 || width < 16 || height < 16 || width > 8192 || height > 8192)
        return Usage("bad --size", v);
    } else if (std::strcmp(a, "--ships") == 0) {
      ships = std::atoi(v);
      if (ships < 0 || ships > kMaxStations) return Usage("bad --ships (0 to 16384)", v);
    } else if (std::strcmp(a, "--frames") == 0) {
      frames = std::atoi(v);
      if (frames < 1) return Usage("bad --frames", v);
    } else if (std::strcmp(a, "--center") == 0) {
      if (std::sscanf(v, "%lf,%lf", &centerLat, &centerLon) != 2 || !(std::abs(centerLat) <= 80) ||
          !(std::abs(centerLon) <= 180))
        return Usage("bad --center (LAT,LON in degrees)", v);
    } else if (std::strcmp(a, "--mpp") == 0) {
      metersPerPixel = std::atof(v);
      if (!(metersPerPixel >= 0.5 && metersPerPixel <= 100000)) return Usage("bad --mpp (0.5 to 100000)", v);
    } else if (std::strcmp(a, "--home") == 0) {
      home = v;
    } else if (std::strcmp(a, "--dump") == 0) {
      dump = v;
    } else if (std::strcmp(a, "--reports-per-s") == 0) {
      reportsPerSecond = std::atof(v);
      if (!(reportsPerSecond >= 0 && reportsPerSecond <= 100000)) return Usage("bad --reports-per-s (0 to 100000)", v);
    } else if (std::strcmp(a, "--pan") == 0) {
      pan = std::atoi(v);
      if (pan < 0 || pan > 1000) return Usage("bad --pan (0 to 1000 pixels a frame)", v);
    } else if (std::strcmp(a, "--wake-step") == 0) {
      wakeStepSeconds = std::atof(v);
      if (!(wakeStepSeconds >= 0 && wakeStepSeconds <= 3600)) return Usage("bad --wake-step (0 to 3600 s, 0 never)", v);
    } else {
      return Usage("unknown option", a);
    }
  }

  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int qargc = 1;
  char name[] = "aismon-bench";
  char* qargv[] = {name, nullptr};
  QGuiApplication app(qargc, qargv);

  fs::path folder;
  if (home != nullptr) {
    folder = home;
    // The catalog is built into the folder from the tiles beside it: a folder that does not
    // exist yet (build/home before the first start) is made.
    std::error_code made;
    fs::create_directories(folder, made);
    if (made) {
      std::fprintf(stderr, "aismon-bench frame: cannot make %s: %s\n", folder.c_str(), made.message().c_str());
      return 1;
    }
    BuildChartCatalog(folder);
  } else {
    folder = fs::temp_directory_path() / ("aismon-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    WriteSyntheticCatalog(folder, centerLat, centerLon);
  }
  ChartCatalog catalog(folder);
  if (catalog.Load() == nullptr) std::fprintf(stderr, "aismon-bench frame: no catalog in %s\n", folder.c_str());

  ManualClock clock(1000);
  ShipTable table(clock, ships);  // room for them all: 1024 at least
  IntakeCounters counters;
  counters.vdmCount = 100000;
  counters.rmcCount = 1000;
  counters.rmcFixCount = 1;  // own ship, its panel, the compass and the rings are drawn
  const double halfLat = height * metersPerPixel / 1852 / 60;
  const double halfLon = width * metersPerPixel / 1852 / 60 / std::cos(centerLat * 3.141592653589793 / 180);
  FillScene(table, ships, centerLat, centerLon, halfLat, halfLon);

  PlaceNameList names;
  PlaceNameList* namesPtr = &names;
  ChartFrame frame(table, counters, clock, &catalog, namesPtr, SyntheticPlaceNames(centerLat, centerLon));
  ViewState& view = frame.View();
  view.fitAllShips = false;
  view.centerLat = centerLat;
  view.centerLon = centerLon;
  view.metersPerPixel = metersPerPixel;

  FrameInputs in;
  in.liveDataFlag = true;
  in.selectedShip = 1;
  in.pointerX = width / 3;
  in.pointerY = height / 3;
  in.startTick = 1000;
  for (int p = 1; p <= 4; ++p) in.ports[p].open = true;
  FrameOutputs out;
  FrameTimings timings;
  timings.nowMs = NowMs;
  frame.SetTimings(&timings);
  frame.SetKeepDrawn(!fresh);
  if (reportsPerSecond < 0) reportsPerSecond = ships / 10.0;

  // Reports arrive as from a receiver: each moves its ship by about a metre, restarts its
  // age (it flashes) and writes its wake's head; the wake clock moves the head on.
  double reportsOwed = 0, sinceWakeStep = 0;
  int nextReport = 0;
  Lcg jitter;
  auto arrive = [&] {
    reportsOwed += reportsPerSecond * kFrameTickMs / 1000.0;
    for (; reportsOwed >= 1 && ships > 0; reportsOwed -= 1) {
      const int32_t mmsi = 431000000 + nextReport;
      nextReport = (nextReport + 1) % ships;
      const int slot = table.FindShip(mmsi);
      DbDynamic e;
      if (slot <= 0 || !table.GetShip(slot, e)) continue;
      e.Lat += (jitter.Next() - 0.5) * 0.00002;
      e.Lon += (jitter.Next() - 0.5) * 0.00002;
      e.Age = 0;
      table.PutShip(slot, e);
      table.StoreWakePoint(slot, mmsi, e.Lat, e.Lon);
    }
    sinceWakeStep += kFrameTickMs / 1000.0;
    if (wakeStepSeconds > 0 && sinceWakeStep >= wakeStepSeconds) {
      sinceWakeStep = 0;
      table.AdvanceWakeHead();
    }
  };

  std::vector<double> total;
  std::vector<double> rewritten;  // share of the kept ship picture written again, per frame
  std::vector<std::vector<double>> layers(kFrameLayerCount);
  for (int i = 0; i < kWarmUpFrames + frames; ++i) {
    clock.Advance(kFrameTickMs);
    arrive();
    if (pan > 0) {
      // Twenty frames one way, twenty back: the ships stay in view.
      const double step = pan * metersPerPixel / 1852 / 60 / std::cos(centerLat * 3.141592653589793 / 180);
      view.centerLon += (i / 20) % 2 == 0 ? step : -step;
    }
    const double t0 = NowMs();
    frame.Paint(width, height, in, out);
    const double t1 = NowMs();
    if (i < kWarmUpFrames) continue;
    total.push_back(t1 - t0);
    if (const ItemCache* items = frame.Work().Items(); items != nullptr && items->Tiles() > 0)
      rewritten.push_back(100.0 * static_cast<double>(items->RewrittenTiles()) / static_cast<double>(items->Tiles()));
    for (int l = 0; l < kFrameLayerCount; ++l) layers[static_cast<size_t>(l)].push_back(timings.ms[l]);
  }

  if (dump != nullptr && !frame.Work().Image().save(QString::fromLocal8Bit(dump)))
    std::fprintf(stderr, "aismon-bench frame: cannot write %s\n", dump);

  // The floor: fill the work bitmap, average it down.
  QImage work(2 * width, 2 * height, QImage::Format_RGB32);
  QImage display(width, height, QImage::Format_RGB32);
  std::vector<double> floor;
  for (int i = 0; i < kWarmUpFrames + frames; ++i) {
    const double t0 = NowMs();
    uint32_t* bits = reinterpret_cast<uint32_t*>(work.bits());
    std::fill_n(bits, static_cast<size_t>(work.width()) * static_cast<size_t>(work.height()), 0xFF000040u + (i & 1));
    Downsample2x2(work, display);
    const double t1 = NowMs();
    if (i >= kWarmUpFrames) floor.push_back(t1 - t0);
  }

  if (home == nullptr) fs::remove_all(folder);
  std::printf("frame %dx%d ships %d frames %d center %.4f,%.4f mpp %g reports_per_s %g wake_step_s %g%s\n", width,
              height, ships, frames, centerLat, centerLon, metersPerPixel, reportsPerSecond, wakeStepSeconds,
              fresh ? " fresh" : "");
  if (pan > 0) std::printf("pan_px_per_frame %d\n", pan);
  for (int l = 0; l < kFrameLayerCount; ++l)
    std::printf("layer %-12s median_ms %.3f\n", FrameLayerName(static_cast<FrameLayer>(l)), Median(layers[static_cast<size_t>(l)]));
  std::vector<double> sorted = total;
  std::sort(sorted.begin(), sorted.end());
  const double p95 = sorted.empty() ? 0 : sorted[std::min(sorted.size() - 1, sorted.size() * 95 / 100)];
  std::printf("median_frame_ms %.3f p95_frame_ms %.3f max_frame_ms %.3f floor_ms %.3f ships_rewritten_pct %.1f\n",
              Median(total), p95, sorted.empty() ? 0 : sorted.back(), Median(floor), Median(rewritten));
  return 0;
}
