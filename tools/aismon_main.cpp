// aismon: the AIS monitor window.
//
//   aismon [--home DIR] [--port N=PATH]... [--exit-after-ms MS] [--snapshot FILE.png]
//
// --home is the program folder (default: the executable's folder, or, for an installed
// program, the user's data folder, ~/.local/share/aismon, with the tiles and lists taken
// from PREFIX/share/aismon). --port maps COM N to a
// device. --exit-after-ms closes the window as a user would after MS milliseconds, first
// saving the chart image to --snapshot when given. SIGINT and SIGTERM close it the same way.
#include <QApplication>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <system_error>

#include "app/caption.h"
#include "app/main_window.h"
#include "app/program_folders.h"
#include "app/serial_ports.h"
#include "common/clock.h"

namespace fs = std::filesystem;
using namespace aismon;

namespace {

// Set by the signal handler, read by a timer on the event loop.
volatile std::sig_atomic_t gStopRequested = 0;

void OnStopSignal(int) { gStopRequested = 1; }

struct Options {
  std::optional<fs::path> home;
  std::map<int, std::string> ports;
  std::optional<long> exitAfterMs;
  std::optional<std::string> snapshot;
};

int Usage(const char* what, const char* arg) {
  std::fprintf(stderr, "aismon: %s: %s (usage: aismon [--home DIR] [--port N=PATH]... [--exit-after-ms MS] [--snapshot FILE.png])\n",
               what, arg);
  return 2;
}

int ParseArgs(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    const bool known = std::strcmp(a, "--home") == 0 || std::strcmp(a, "--port") == 0 ||
                       std::strcmp(a, "--exit-after-ms") == 0 || std::strcmp(a, "--snapshot") == 0;
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
    } else if (std::strcmp(a, "--exit-after-ms") == 0) {
      char* end = nullptr;
      const long ms = std::strtol(v, &end, 10);
      if (end == v || *end != '\0' || ms < 0 || ms > 86400000L) return Usage("bad --exit-after-ms", v);
      o.exitAfterMs = ms;
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
    SteadyClock clock;
    TForm1 window(setup, clock);

    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    QTimer signalWatch;
    QObject::connect(&signalWatch, &QTimer::timeout, &window, [&window] {
      if (gStopRequested != 0) window.close();
    });
    signalWatch.start(50);

    bool snapshotFailed = false;
    if (o.exitAfterMs) {
      QTimer::singleShot(static_cast<int>(*o.exitAfterMs), &window, [&] {
        if (o.snapshot && !window.FrameImage().save(QString::fromLocal8Bit(o.snapshot->c_str()), "PNG")) {
          std::fprintf(stderr, "aismon: cannot write --snapshot %s\n", o.snapshot->c_str());
          snapshotFailed = true;
        }
        window.close();
      });
    }
    window.show();
    app.exec();
    return snapshotFailed ? 1 : 0;
  } catch (const std::exception& e) {
    QMessageBox::critical(nullptr, QApplication::applicationName(), QString::fromLocal8Bit(e.what()));
    return 0;
  }
}
