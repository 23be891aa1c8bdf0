// aismon: the AIS monitor window.
//
//   aismon [--home DIR] [--port N=PATH]... [--source NAME]... [--exit-after-ms MS] [--snapshot FILE.png]
//          [--frame-counts FILE] [--stations N]
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
#include "app/main_window.h"
#include "app/qt_translations.h"
#include "app/program_folders.h"
#include "app/serial_ports.h"
#include "app/stop_signals.h"
#include "common/clock.h"
#include "net/source_name.h"
#include "shipdb/station_capacity.h"

namespace fs = std::filesystem;
using namespace aismon;

namespace {

struct Options {
  std::optional<fs::path> home;
  std::map<int, std::string> ports;
  std::vector<std::string> sources;
  std::optional<long> exitAfterMs;
  std::optional<std::string> snapshot;
  std::optional<std::string> frameCounts;
  int stations = 0;  // 0: the setting
};

int Usage(const char* what, const char* arg) {
  std::fprintf(stderr, "aismon: %s: %s (usage: aismon [--home DIR] [--port N=PATH]... [--source NAME]... [--exit-after-ms MS] [--snapshot FILE.png] [--frame-counts FILE] [--stations N])\n",
               what, arg);
  return 2;
}

int ParseArgs(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    const bool known = std::strcmp(a, "--home") == 0 || std::strcmp(a, "--port") == 0 || std::strcmp(a, "--source") == 0 ||
                       std::strcmp(a, "--exit-after-ms") == 0 || std::strcmp(a, "--snapshot") == 0 ||
                       std::strcmp(a, "--frame-counts") == 0 || std::strcmp(a, "--stations") == 0;
    if (!known) return Usage("unknown argument", a);
    if (i + 1 >= argc) return Usage("missing value after", a);
    const char* v = argv[++i];
    if (std::strcmp(a, "--home") == 0) {
      if (*v == '\0') return Usage("empty folder for", a);
      o.home = fs::path(v);
    } else if (std::strcmp(a, "--port") == 0) {
      int n = 0;
      std::string path;
      if (!ParsePortArgument(v, n, path)) return Usage("bad --port (want N=PATH, N from 1 to 20)", v);
      o.ports[n] = path;
    } else if (std::strcmp(a, "--source") == 0) {
      SourceAddress address;
      if (!ParseSourceName(v, address)) return Usage("bad --source (want udp:PORT or tcp:HOST:PORT)", v);
      if (o.sources.size() >= static_cast<size_t>(kMaxNetworkSources)) return Usage("more than 8 of", a);
      o.sources.push_back(SourceName(address));
    } else if (std::strcmp(a, "--exit-after-ms") == 0) {
      char* end = nullptr;
      const long ms = std::strtol(v, &end, 10);
      if (end == v || *end != '\0' || ms < 0 || ms > 86400000L) return Usage("bad --exit-after-ms", v);
      o.exitAfterMs = ms;
    } else if (std::strcmp(a, "--stations") == 0) {
      if (!ParseStationCount(v, o.stations)) return Usage("bad --stations (want 1024 to 16384)", v);
    } else if (std::strcmp(a, "--frame-counts") == 0) {
      if (*v == '\0') return Usage("empty file name for", a);
      o.frameCounts = std::string(v);
    } else {
      if (*v == '\0') return Usage("empty file name for", a);
      o.snapshot = std::string(v);
    }
  }
  return 0;
}

fs::path ExecutableFolder(const char* argv0) {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) return self.parent_path();
  return fs::absolute(fs::path(argv0), ec).parent_path();
}

void WriteCounts(std::FILE* counts, Clock& clock, TForm1& window) {
  std::fprintf(counts, "%u %u %u %u %u\n", clock.TickMs(), window.IdlePasses(), window.TakeLongestReadGapMs(),
               window.TakeLongestWaitMs(), window.IntakeChain().counters.vdmCount);
  std::fflush(counts);
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (const int status = ParseArgs(argc, argv, o); status != 0) return status;

  QApplication app(argc, argv);
  // The user's data folder is named after the program, not after its Japanese title.
  QApplication::setApplicationName(QStringLiteral("aismon"));
  QGuiApplication::setDesktopFileName(QStringLiteral("aismon"));
  const fs::path userData =
      fs::path(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString());
  QApplication::setApplicationName(FromShiftJis(ApplicationTitle()));
  InstallQtJapanese(app);
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
