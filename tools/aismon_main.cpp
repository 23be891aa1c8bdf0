// aismon: the AIS monitor window.
//
//   aismon [--home DIR] [--port N=PATH]... [--source NAME]... [--output NAME]... [--exit-after-ms MS]
//          [--snapshot FILE.png] [--frame-counts FILE] [--stations N] [--record]
//
// --output sends what is received to a plotter, an aggregator or a broker (tcp-server:PORT,
// udp:HOST:PORT, mqtt://HOST/TOPIC), in place of the outputs of the settings file.
//
// --home is the program folder (default: the executable's folder, or, for an installed
// program, the user's data folder, ~/.local/share/aismon, with the tiles and lists taken
// from PREFIX/share/aismon). --port maps COM N to a
// device. --source reads a network source (udp:PORT, udp:ADDR:PORT, udp:GROUP@PORT,
// tcp:HOST:PORT) instead of those of the settings file. --exit-after-ms closes the window as a
// user would after MS milliseconds, first saving the chart image to --snapshot when given.
// SIGTERM, SIGINT and SIGHUP close it the same way, as does the end of the session, so the
// ship database, the receive log and the settings are written.
// --stations N is the number of live stations the table holds for this run (1024 to 16384),
// in place of the setting.
// --frame-counts FILE appends, once a second and at the close, the steady clock in ms, the number of frames
// painted so far, the longest gap in that second between two reads of the serial ports that
// brought bytes (ms), the longest a read byte waited before it was decoded (ms), and the VDM
// sentences taken so far, for measuring the frame rate and the input reading from outside.
#include <QApplication>
#include <QFont>
#include <QMessageBox>
#include <QSessionManager>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "app/caption.h"
#include "app/app_window.h"
#include "command_line.h"
#include "app/main_window.h"
#include "app/qt_translations.h"
#include "app/program_folders.h"
#include "app/serial_ports.h"
#include "app/stop_signals.h"
#include "common/clock.h"
#include "net/output_name.h"
#include "net/qt/mqtt_client.h"
#include "net/source_name.h"
#include "shipdb/station_capacity.h"

namespace fs = std::filesystem;
using namespace aismon;

namespace {

// A folder name from Qt, by way of UTF-16: on Windows a path from a narrow string would be
// read in the ANSI code page, and a Japanese user or folder name lost.
fs::path PathOf(const QString& s) { return fs::path(s.toStdU16String()); }

struct Options {
  std::optional<fs::path> home;
  std::map<int, std::string> ports;
  std::vector<std::string> sources;
  std::vector<std::string> outputs;
  std::optional<long> exitAfterMs;
  std::optional<std::string> snapshot;
  std::optional<std::string> frameCounts;
  int stations = 0;  // 0: the setting
  bool record = false;
};

const ToolUsage kUsage{"aismon",
                      "[--home DIR] [--port N=PATH]... [--source NAME]... [--output NAME]... [--exit-after-ms MS] [--snapshot FILE.png] "
                      "[--frame-counts FILE] [--stations N] [--record]",
                      "The AIS monitor window: ship traffic from AIS receivers on serial ports and network "
                      "sources, on a chart."};

QCommandLineOption ValueOption(const char* name, const char* value, const char* description) {
  return QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(description), QString::fromLatin1(value));
}

// Nothing when the arguments are good, else the exit status (help or a reported error).
std::optional<int> ParseArgs(int argc, char** argv, Options& o) {
  const QList<QCommandLineOption> options{
      ValueOption("home", "DIR", "The program folder (default: the executable's folder, or ~/.local/share/aismon)."),
      ValueOption("port", "N=PATH", "Reads COM N (1 to 20) from the serial device PATH; may be repeated."),
      ValueOption("source", "NAME", "Reads a network source (udp:PORT, udp:ADDR:PORT, udp:GROUP@PORT, tcp:HOST:PORT) "
                                    "instead of those of the settings file; up to 8."),
      ValueOption("output", "NAME", "Sends what is received to an output (tcp-server:[ADDR:]PORT, udp:HOST:PORT, "
                                    "mqtt://HOST[:PORT]/TOPIC) instead of those of the settings file; up to 8."),
      ValueOption("exit-after-ms", "MS", "Closes the window as a user would after MS milliseconds."),
      ValueOption("snapshot", "FILE.png", "With --exit-after-ms: saves the chart image first."),
      ValueOption("frame-counts", "FILE", "Appends frame and input timing figures once a second."),
      ValueOption("stations", "N", "Live stations the table holds for this run (1024 to 16384)."),
      QCommandLineOption(QStringLiteral("record"), QStringLiteral("Records the receive log from the start.")),
  };
  QCommandLineParser p;
  if (const std::optional<int> end = ParseCommandLine(p, options, kUsage, argc, argv)) return end;
  if (p.isSet("home")) {
    const QString v = p.value("home");
    if (v.isEmpty()) return CommandLineError(kUsage, "empty folder for", QStringLiteral("--home"));
    o.home = PathOf(v);
  }
  for (const QString& v : p.values("port")) {
    int n = 0;
    std::string path;
    if (!ParsePortArgument(v.toStdString().c_str(), n, path))
      return CommandLineError(kUsage, "bad --port (want N=PATH, N from 1 to 20)", v);
    o.ports[n] = path;
  }
  for (const QString& v : p.values("source")) {
    SourceAddress address;
    if (!ParseSourceName(v.toStdString().c_str(), address))
      return CommandLineError(kUsage, "bad --source (want udp:PORT or tcp:HOST:PORT)", v);
    if (o.sources.size() >= static_cast<size_t>(kMaxNetworkSources))
      return CommandLineError(kUsage, "more than 8 of", QStringLiteral("--source"));
    o.sources.push_back(SourceName(address));
  }
  for (const QString& v : p.values("output")) {
    OutputAddress address;
    std::string why;
    if (!ParseOutputName(v.toStdString(), address, &why)) return CommandLineError(kUsage, "bad --output", v);
    if (o.outputs.size() >= 8) return CommandLineError(kUsage, "more than 8 of", QStringLiteral("--output"));
    o.outputs.push_back(v.toStdString());
  }
  if (p.isSet("exit-after-ms")) {
    const QString v = p.value("exit-after-ms");
    if (v.isEmpty()) return CommandLineError(kUsage, "empty value for", QStringLiteral("--exit-after-ms"));
    const std::string text = v.toStdString();
    char* end = nullptr;
    const long ms = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != '\0' || ms < 0 || ms > 86400000L) return CommandLineError(kUsage, "bad --exit-after-ms", v);
    o.exitAfterMs = ms;
  }
  if (p.isSet("stations") && !ParseStationCount(p.value("stations").toStdString().c_str(), o.stations))
    return CommandLineError(kUsage, "bad --stations (want 1024 to 16384)", p.value("stations"));
  for (const char* name : {"frame-counts", "snapshot"}) {
    if (!p.isSet(name)) continue;
    const QString v = p.value(name);
    if (v.isEmpty()) return CommandLineError(kUsage, "empty file name for", QStringLiteral("--") + QString::fromLatin1(name));
    (std::strcmp(name, "snapshot") == 0 ? o.snapshot : o.frameCounts) = v.toStdString();
  }
  o.record = p.isSet("record");
  return std::nullopt;
}

fs::path ExecutableFolder(const char* argv0) {
#ifdef Q_OS_WIN
  (void)argv0;
  return PathOf(QCoreApplication::applicationDirPath());
#else
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) return self.parent_path();
  return fs::absolute(fs::path(argv0), ec).parent_path();
#endif
}

void WriteCounts(std::FILE* counts, Clock& clock, TForm1& window) {
  std::fprintf(counts, "%u %u %u %u %u\n", clock.TickMs(), window.IdlePasses(), window.TakeLongestReadGapMs(),
               window.TakeLongestWaitMs(), window.IntakeChain().counters.vdmCount);
  std::fflush(counts);
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (const std::optional<int> end = ParseArgs(argc, argv, o)) return *end;

  QApplication app(argc, argv);
  // The user's data folder is named after the program, not after its Japanese title.
  QApplication::setApplicationName(QStringLiteral("aismon"));
  QGuiApplication::setDesktopFileName(QStringLiteral("aismon"));
  const fs::path userData =
      PathOf(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
  QApplication::setApplicationName(FromShiftJis(ApplicationTitle()));
  InstallQtJapanese(app);
#ifdef Q_OS_WIN
  // The chart asks for the Japanese face by the names that stand in for it elsewhere;
  // Windows has the face itself, which Qt takes when none of those is installed.
  QFont::insertSubstitutions(QStringLiteral("IPAGothic"), {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic")});
#endif
  try {
    const ProgramFolders folders = ChooseProgramFolders(o.home, ExecutableFolder(argv[0]), userData);
    if (folders.installed) {
      // The catalog is built there before the window makes DATA.
      std::error_code ec;
      fs::create_directories(folders.programFolder, ec);
    }
    WindowSetup setup;
    setup.programFolder = folders.programFolder;
    setup.tileFolder = folders.tileFolder;
    setup.sharedFolder = folders.sharedFolder;
    setup.portsFromCommandLine = o.ports;
    setup.sourcesFromCommandLine = o.sources;
    setup.outputsFromCommandLine = o.outputs;
    setup.record = o.record;
    setup.stations = o.stations;
    // A receiver or SDR decoder left at its defaults sends here.
    setup.defaultSources = {kDefaultSourceName};
    SteadyClock clock;
    // Closed the normal way, from the event loop, so everything is saved; quitting too
    // ends a modal box's loop that may be open meanwhile. Caught from before the window is
    // made: a stop that comes while it starts (its ports already read) still saves.
    AppWindow* stopping = nullptr;
    StopSignals stopSignals([&stopping](int) {
      if (stopping != nullptr) stopping->close();
      QCoreApplication::quit();
    });
    AppWindow window(setup, clock);
    TForm1& form = window.Form();
    stopping = &window;
    // Logging out: save when asked (the logout may yet be cancelled), close on the way out.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, [&window](QSessionManager&) {
      window.SaveState();
    });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, [&window] { window.close(); });

    std::FILE* counts = nullptr;
    QTimer countWatch;
    if (o.frameCounts) {
      counts = std::fopen(o.frameCounts->c_str(), "a");
      if (counts == nullptr) {
        std::fprintf(stderr, "aismon: cannot write --frame-counts %s\n", o.frameCounts->c_str());
        return 1;
      }
      QObject::connect(&countWatch, &QTimer::timeout, &window, [&] { WriteCounts(counts, clock, form); });
      countWatch.start(1000);
    }

    bool snapshotFailed = false;
    if (o.exitAfterMs) {
      QTimer::singleShot(static_cast<int>(*o.exitAfterMs), &window, [&] {
        if (o.snapshot && !form.FrameImage().save(QString::fromLocal8Bit(o.snapshot->c_str()), "PNG")) {
          std::fprintf(stderr, "aismon: cannot write --snapshot %s\n", o.snapshot->c_str());
          snapshotFailed = true;
        }
        window.close();
      });
    }
    window.show();
    app.exec();
    WaitForMqttConnects();
    if (counts != nullptr) {
      WriteCounts(counts, clock, form);  // what the close decoded too
      std::fclose(counts);
    }
    return snapshotFailed ? 1 : 0;
  } catch (const std::exception& e) {
    QMessageBox::critical(nullptr, QApplication::applicationName(), QString::fromLocal8Bit(e.what()));
    return 0;
  }
}
