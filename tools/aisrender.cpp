// aisrender: composes chart frames without a window, with the program's own frame composer,
// and writes the last displayed frame as a PNG.
//
//   aisrender --out FILE.png [--size WxH] [--center LAT,LON] [--mpp M] [--rotation DEG]
//             [--home DIR] [--input FILE]... [--frames N] [--big-icons 0|1] [--grid 0|1]
//             [--rings 0|1] [--course 0|1] [--wake 0|1] [--fix 0|1] [--report FILE]
//             [--stations N]
//
// --stations is the number of live stations the table holds (1024, the default, to 16384).
//
// --report writes the last frame's view as one line of JSON (centre, scale, rotation, the
// work bitmap's size and edges), so a test can tell where the picture lies on the earth.
//
// --home plays the program folder (its catalog, built from the tiles when missing, its ship
// database, its settings and its place-name list DATA/MemoChimei.txt). --center is the
// start-up centre (own ship starts there too) and turns fitting to all ships off. Inputs
// are fed as aisdump feeds them, before the first frame; between frames the clock moves
// on by 100 ms.
#include <QGuiApplication>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "basechart/chart_catalog.h"
#include "app/builtin_lists.h"
#include "basechart/place_names.h"
#include "shipdb/station_capacity.h"
#include "chart/chart_frame.h"
#include "common/clock.h"
#include "common/settings_file.h"
#include "input/intake.h"
#include "input/line_feed.h"
#include "shipdb/ship_table.h"
#include "shipdb/table_startup.h"

namespace fs = std::filesystem;
using namespace aismon;

namespace {

constexpr uint32_t kStartTick = 1000;
constexpr uint32_t kTickPerLine = 10;
constexpr uint32_t kTickPerFrame = 100;

int Fail(const char* what, const char* arg) {
  std::fprintf(stderr, "aisrender: %s: %s\n", what, arg);
  return 2;
}

bool ParseDouble(const char* s, double& out) {
  char* end = nullptr;
  errno = 0;
  out = std::strtod(s, &end);
  return end != s && *end == '\0' && errno == 0 && std::isfinite(out);
}

bool ParseInt(const char* s, long lo, long hi, long& out) {
  char* end = nullptr;
  errno = 0;
  out = std::strtol(s, &end, 10);
  return end != s && *end == '\0' && errno == 0 && out >= lo && out <= hi;
}

bool ParseSize(const char* s, int32_t& w, int32_t& h) {
  const char* x = std::strchr(s, 'x');
  if (x == nullptr) return false;
  const std::string a(s, x);
  long lw, lh;
  if (!ParseInt(a.c_str(), 1, 16384, lw) || !ParseInt(x + 1, 1, 16384, lh)) return false;
  w = static_cast<int32_t>(lw);
  h = static_cast<int32_t>(lh);
  return true;
}

bool ParseCenter(const char* s, double& lat, double& lon) {
  const char* comma = std::strchr(s, ',');
  if (comma == nullptr) return false;
  const std::string a(s, comma);
  return ParseDouble(a.c_str(), lat) && ParseDouble(comma + 1, lon) && std::fabs(lat) <= 90 && std::fabs(lon) <= 360;
}

bool ParseFlag(const char* s, bool& out) {
  if (std::strcmp(s, "0") == 0 || std::strcmp(s, "1") == 0) {
    out = s[0] == '1';
    return true;
  }
  return false;
}

bool KnownOption(const char* a) {
  static const char* const kOptions[] = {"--out",  "--size",  "--center", "--mpp",       "--rotation",
                                         "--home", "--input", "--frames", "--big-icons", "--grid",
                                         "--rings", "--course", "--wake", "--fix", "--report", "--stations"};
  for (const char* o : kOptions)
    if (std::strcmp(a, o) == 0) return true;
  return false;
}

struct Options {
  const char* out = nullptr;
  int32_t width = 960, height = 1000;
  std::optional<MapCenter> center;
  std::optional<double> mpp;
  std::optional<double> rotation;
  const char* home = nullptr;
  std::vector<const char*> inputs;
  long frames = 2;
  DisplayOptions display;
  std::optional<bool> fix;
  const char* report = nullptr;
  int stations = kDefaultStations;
};

// 0 when the arguments are good, else the exit status after the message.
int ParseArgs(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strncmp(a, "--", 2) != 0) return Fail("unexpected argument", a);
    if (!KnownOption(a)) return Fail("unknown option", a);  // even as the last argument
    if (i + 1 >= argc) return Fail("missing value after", a);
    const char* v = argv[++i];
    bool flag = false;
    if (std::strcmp(a, "--out") == 0) {
      if (*v == '\0') return Fail("empty file name for", a);
      o.out = v;
    } else if (std::strcmp(a, "--size") == 0) {
      if (!ParseSize(v, o.width, o.height)) return Fail("bad --size (want WxH)", v);
    } else if (std::strcmp(a, "--center") == 0) {
      MapCenter c;
      if (!ParseCenter(v, c.lat, c.lon)) return Fail("bad --center (want LAT,LON)", v);
      o.center = c;
    } else if (std::strcmp(a, "--mpp") == 0) {
      double m;
      if (!ParseDouble(v, m) || m <= 0) return Fail("bad --mpp (want metres per pixel above 0)", v);
      o.mpp = m;
    } else if (std::strcmp(a, "--rotation") == 0) {
      double r;
      if (!ParseDouble(v, r)) return Fail("bad --rotation (want degrees)", v);
      o.rotation = r;
    } else if (std::strcmp(a, "--home") == 0) {
      o.home = v;
    } else if (std::strcmp(a, "--input") == 0) {
      o.inputs.push_back(v);
    } else if (std::strcmp(a, "--frames") == 0) {
      if (!ParseInt(v, 1, 100000, o.frames)) return Fail("bad --frames (want a count from 1)", v);
    } else if (std::strcmp(a, "--big-icons") == 0) {
      if (!ParseFlag(v, o.display.bigIcon)) return Fail("bad --big-icons (want 0 or 1)", v);
    } else if (std::strcmp(a, "--grid") == 0) {
      if (!ParseFlag(v, o.display.latLonLine)) return Fail("bad --grid (want 0 or 1)", v);
    } else if (std::strcmp(a, "--rings") == 0) {
      if (!ParseFlag(v, o.display.circleChecked)) return Fail("bad --rings (want 0 or 1)", v);
    } else if (std::strcmp(a, "--course") == 0) {
      if (!ParseFlag(v, o.display.dispCourse)) return Fail("bad --course (want 0 or 1)", v);
    } else if (std::strcmp(a, "--wake") == 0) {
      if (!ParseFlag(v, o.display.dispWake)) return Fail("bad --wake (want 0 or 1)", v);
    } else if (std::strcmp(a, "--report") == 0) {
      if (*v == '\0') return Fail("empty file name for", a);
      o.report = v;
    } else if (std::strcmp(a, "--stations") == 0) {
      if (!ParseStationCount(v, o.stations)) return Fail("bad --stations (want 1024 to 16384)", v);
    } else if (std::strcmp(a, "--fix") == 0) {
      if (!ParseFlag(v, flag)) return Fail("bad --fix (want 0 or 1)", v);
      o.fix = flag;
    } else {
      return Fail("unknown option", a);
    }
  }
  if (o.out == nullptr) return Fail("missing", "--out FILE.png");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (const int status = ParseArgs(argc, argv, o); status != 0) return status;
  // Open every input first, so that a bad name stops the run before any work.
  std::vector<std::FILE*> files;
  for (const char* name : o.inputs) {
    std::FILE* f = std::fopen(name, "rb");
    if (f == nullptr) {
      std::fprintf(stderr, "aisrender: cannot read --input %s: %s\n", name, std::strerror(errno));
      return 2;
    }
    files.push_back(f);
  }
  if (o.home != nullptr && !fs::is_directory(o.home)) return Fail("--home is not a folder", o.home);

  // Drawing needs a GUI application; without a display it runs on the offscreen platform.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);

  ManualClock clock(kStartTick);
  ShipTable table(clock, o.stations);
  Intake intake(table);
  intake.options.rmcSogEnabled = true;
  intake.options.rmcHdgEnabled = true;
  intake.watch.SetShowBox([](std::string_view, std::string_view) {});

  std::unique_ptr<ChartCatalog> catalog;
  // The program's own place list, or the user's replacement in the program folder.
  std::vector<std::string> placeLines = BuiltinMemoChimei();
  MapCenter start;
  if (o.home != nullptr) {
    const fs::path home(o.home);
    BuildChartCatalog(home);
    catalog = std::make_unique<ChartCatalog>(home);
    start = ReadMapCenter(home / "DATA" / "aismon.ini");
    if (o.center) start = *o.center;
    PrepareShipTable(table, home, start);
    placeLines = LoadListOrBuiltin(home / "DATA", kMemoChimeiFileName, placeLines);
  } else {
    if (o.center) start = *o.center;
    // The start-up steps of a program folder without a database.
    table.FindOrAddStatic(1);
    DbDynamic own;
    table.GetShip(0, own);
    own.MMSI = kOwnShipPlaceholderMMSI;
    own.Lat = start.lat;
    own.Lon = start.lon;
    table.PutShip(0, own);
  }

  for (std::FILE* f : files) {
    FeedLines(f, intake, clock, kTickPerLine);
    std::fclose(f);
  }
  if (o.fix) intake.counters.rmcFixCount = *o.fix ? 1 : 0;

  PlaceNameList placeNames;
  PlaceNameList* names = &placeNames;
  ChartFrame frame(table, intake.counters, clock, catalog.get(), names, std::move(placeLines));
  ViewState& view = frame.View();
  view.centerLat = start.lat;
  view.centerLon = start.lon;
  if (o.center) view.fitAllShips = false;
  if (o.mpp) view.metersPerPixel = *o.mpp;
  if (o.rotation) {
    view.rotationDeg = *o.rotation;
    view.orientationMode = OrientationMode::FreeRotation;
  }

  FrameInputs in;
  in.options = o.display;
  in.startTick = kStartTick;
  FrameOutputs out;
  for (long i = 0; i < o.frames; ++i) {
    if (i > 0) clock.Advance(kTickPerFrame);
    frame.Paint(o.width, o.height, in, out);
  }
  if (!frame.Display().save(QString::fromLocal8Bit(o.out), "PNG")) {
    std::fprintf(stderr, "aisrender: cannot write --out %s\n", o.out);
    return 1;
  }
  if (o.report != nullptr) {
    std::FILE* r = std::fopen(o.report, "w");
    if (r == nullptr) {
      std::fprintf(stderr, "aisrender: cannot write --report %s: %s\n", o.report, std::strerror(errno));
      return 1;
    }
    const ViewState& v = frame.View();
    std::fprintf(r,
                 "{\"centerLat\":%.9f,\"centerLon\":%.9f,\"metersPerPixel\":%.9g,\"rotationDeg\":%.9g,"
                 "\"width\":%d,\"height\":%d,\"northLat\":%.9f,\"southLat\":%.9f,\"westLon\":%.9f,"
                 "\"eastLon\":%.9f,\"fitAllShips\":%s}\n",
                 v.centerLat, v.centerLon, v.metersPerPixel, v.rotationDeg, v.width, v.height, v.northLat, v.southLat,
                 v.westLon, v.eastLon, v.fitAllShips ? "true" : "false");
    if (std::fclose(r) != 0) {
      std::fprintf(stderr, "aisrender: cannot write --report %s\n", o.report);
      return 1;
    }
  }
  return 0;
}
