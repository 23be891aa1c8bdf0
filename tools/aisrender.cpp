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

#include "command_line.h"
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

struct Options {
  std::string out;
  int32_t width = 960, height = 1000;
  std::optional<MapCenter> center;
  std::optional<double> mpp;
  std::optional<double> rotation;
  std::string home;
  std::vector<std::string> inputs;
  long frames = 2;
  DisplayOptions display;
  std::optional<bool> fix;
  std::string report;
  int stations = kDefaultStations;
};

const ToolUsage kUsage{"aisrender",
                       "--out FILE.png [--size WxH] [--center LAT,LON] [--mpp M] [--rotation DEG] [--home DIR] "
                       "[--input FILE]... [--frames N] [--big-icons 0|1] [--grid 0|1] [--rings 0|1] [--course 0|1] "
                       "[--wake 0|1] [--fix 0|1] [--report FILE] [--stations N]",
                       "Composes chart frames without a window and writes the last one as a PNG."};

QCommandLineOption ValueOption(const char* name, const char* value, const char* description) {
  return QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(description), QString::fromLatin1(value));
}

// Nothing when the arguments are good, else the exit status (help or a reported error).
std::optional<int> ParseArgs(int argc, char** argv, Options& o) {
  const QList<QCommandLineOption> options{
      ValueOption("out", "FILE.png", "Where the last frame is written (required)."),
      ValueOption("size", "WxH", "The paint box's size in pixels (default 960x1000)."),
      ValueOption("center", "LAT,LON", "The start-up centre; turns fitting to all ships off."),
      ValueOption("mpp", "M", "Metres per pixel."),
      ValueOption("rotation", "DEG", "The chart's turn in degrees."),
      ValueOption("home", "DIR", "The program folder: catalog, ship database, settings, place names."),
      ValueOption("input", "FILE", "Sentences fed before the first frame; may be repeated."),
      ValueOption("frames", "N", "Frames composed (default 2); the clock moves on 100 ms between them."),
      ValueOption("big-icons", "0|1", "Large ship symbols."),
      ValueOption("grid", "0|1", "Latitude and longitude lines."),
      ValueOption("rings", "0|1", "Range rings."),
      ValueOption("course", "0|1", "5-minute course lines."),
      ValueOption("wake", "0|1", "Wakes."),
      ValueOption("fix", "0|1", "Own ship has a GPS fix."),
      ValueOption("report", "FILE", "Writes the last frame's view as one line of JSON."),
      ValueOption("stations", "N", "Live stations the table holds (1024, the default, to 16384)."),
  };
  QCommandLineParser p;
  if (const std::optional<int> end = ParseCommandLine(p, options, kUsage, argc, argv)) return end;
  const auto text = [&p](const char* name) { return p.value(QString::fromLatin1(name)).toStdString(); };
  const auto bad = [](const char* what, const std::string& v) {
    return std::optional<int>(CommandLineError(kUsage, what, QString::fromStdString(v)));
  };
  if (!p.isSet("out")) return CommandLineError(kUsage, "missing", QStringLiteral("--out FILE.png"));
  o.out = text("out");
  if (o.out.empty()) return bad("empty file name for", "--out");
  if (p.isSet("size") && !ParseSize(text("size").c_str(), o.width, o.height)) return bad("bad --size (want WxH)", text("size"));
  if (p.isSet("center")) {
    MapCenter c;
    if (!ParseCenter(text("center").c_str(), c.lat, c.lon)) return bad("bad --center (want LAT,LON)", text("center"));
    o.center = c;
  }
  if (p.isSet("mpp")) {
    double m;
    if (!ParseDouble(text("mpp").c_str(), m) || m <= 0)
      return bad("bad --mpp (want metres per pixel above 0)", text("mpp"));
    o.mpp = m;
  }
  if (p.isSet("rotation")) {
    double r;
    if (!ParseDouble(text("rotation").c_str(), r)) return bad("bad --rotation (want degrees)", text("rotation"));
    o.rotation = r;
  }
  o.home = text("home");
  for (const QString& v : p.values("input")) o.inputs.push_back(v.toStdString());
  if (p.isSet("frames") && !ParseInt(text("frames").c_str(), 1, 100000, o.frames))
    return bad("bad --frames (want a count from 1)", text("frames"));
  const struct {
    const char* name;
    bool* flag;
  } flags[] = {{"big-icons", &o.display.bigIcon}, {"grid", &o.display.latLonLine}, {"rings", &o.display.circleChecked},
               {"course", &o.display.dispCourse}, {"wake", &o.display.dispWake}};
  for (const auto& f : flags) {
    if (!p.isSet(f.name)) continue;
    if (text(f.name).empty()) return bad("empty value for", std::string("--") + f.name);
    if (!ParseFlag(text(f.name).c_str(), *f.flag)) return bad((std::string("bad --") + f.name + " (want 0 or 1)").c_str(), text(f.name));
  }
  if (p.isSet("fix")) {
    bool fix = false;
    if (!ParseFlag(text("fix").c_str(), fix)) return bad("bad --fix (want 0 or 1)", text("fix"));
    o.fix = fix;
  }
  if (p.isSet("report")) {
    o.report = text("report");
    if (o.report.empty()) return bad("empty file name for", "--report");
  }
  if (p.isSet("stations") && !ParseStationCount(text("stations").c_str(), o.stations))
    return bad("bad --stations (want 1024 to 16384)", text("stations"));
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (const std::optional<int> end = ParseArgs(argc, argv, o)) return *end;
  // Open every input first, so that a bad name stops the run before any work.
  std::vector<std::FILE*> files;
  for (const std::string& name : o.inputs) {
    std::FILE* f = std::fopen(name.c_str(), "rb");
    if (f == nullptr) {
      std::fprintf(stderr, "aisrender: cannot read --input %s: %s\n", name.c_str(), std::strerror(errno));
      return 2;
    }
    files.push_back(f);
  }
  if (!o.home.empty() && !fs::is_directory(o.home)) return Fail("--home is not a folder", o.home.c_str());

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
  if (!o.home.empty()) {
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
  if (!frame.Display().save(QString::fromLocal8Bit(o.out.c_str()), "PNG")) {
    std::fprintf(stderr, "aisrender: cannot write --out %s\n", o.out.c_str());
    return 1;
  }
  if (!o.report.empty()) {
    std::FILE* r = std::fopen(o.report.c_str(), "w");
    if (r == nullptr) {
      std::fprintf(stderr, "aisrender: cannot write --report %s: %s\n", o.report.c_str(), std::strerror(errno));
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
      std::fprintf(stderr, "aisrender: cannot write --report %s\n", o.report.c_str());
      return 1;
    }
  }
  return 0;
}
