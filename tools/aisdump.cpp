// aisdump: feeds NMEA lines through the intake exactly as log playback does and prints
// the resulting ship table as JSON lines.
//
//   aisdump [--vdo] [--home DIR] [--save] [--stations N] [--stats] [FILE ...]   (no FILE, or "-": standard input)
//   aisdump [--vdo] [--home DIR] [--save] [--stations N] [--stats] --source NAME [--source NAME]... [--exit-after-ms MS]
//           [--ca-file FILE]
//
// --stats adds, as the last line, the counts of complete messages by number and of binary
// messages by number/DAC/FI, and the per-source figures.
//
// --stations is the number of live stations the table holds (1024, the default, to 16384).
//
// With --source (udp:PORT, udp:ADDR:PORT, udp:GROUP@PORT, tcp:HOST:PORT, mqtt://HOST/FILTER,
// mqtts://...; repeatable) the lines come from the network instead, read as the monitor reads them, until MS
// milliseconds have passed or SIGINT/SIGTERM arrives; files are then not read. --ca-file
// names the CA certificates an mqtts:// source trusts instead of the system's.
//
// Every file and every --source is a source of its own, named by its path ("-" for
// standard input) or its source name: each station's line lists the sources that heard
// it, and the counters give each source's figures.
#include <QCoreApplication>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "command_line.h"
#include "json_text.h"
#include "common/clock.h"
#include "common/settings_file.h"
#include "input/intake.h"
#include "input/log_line.h"
#include "input/source_figures.h"
#include "input/tag_block.h"
#include "net/qt/mqtt_client.h"
#include "net/qt/network_sources.h"
#include "net/source_name.h"
#include "shipdb/ship_db_files.h"
#include "shipdb/ship_table.h"
#include "shipdb/station_capacity.h"
#include "shipdb/table_startup.h"
#include "text/sjis.h"
#include "tools/ship_json.h"

namespace fs = std::filesystem;
using namespace aismon;

namespace {

constexpr uint32_t kStartTick = 1000;
constexpr uint32_t kTickPerLine = 10;

volatile std::sig_atomic_t gStopRequested = 0;

void OnStopSignal(int) { gStopRequested = 1; }

// Reads the sources through the intake until the time is up or a signal arrives. Each
// line advances the table's clock as a file line does, so the output stays repeatable.
void FeedSources(int argc, char** argv, const std::vector<SourceAddress>& addresses, long exitAfterMs,
                 Intake& intake, ManualClock& tableClock) {
  QCoreApplication app(argc, argv);
  SteadyClock realClock;
  NetworkSources sources(realClock, &intake.sources);
  sources.SetSources(addresses);
  const LineSink accept = [&](const char* line, SourceId source) {
    tableClock.Advance(kTickPerLine);
    intake.AcceptLine(line, source);
  };
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
  std::vector<std::string> reported(sources.Count());
  QTimer poll;
  uint32_t sweeps = 0;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    while (sources.Sweep(accept) > 0) {
    }
    if (++sweeps % 10 == 0) sources.Tick();
    // Each new reason a source gives is told once.
    for (size_t i = 0; i < sources.Count(); ++i) {
      const NetworkSource& s = sources.At(i);
      const std::string& why = s.State() == SourceState::Waiting ? s.LastError() : std::string();
      if (why != reported[i] && !why.empty())
        std::fprintf(stderr, "aisdump: %s: %s\n", SourceName(s.Address()).c_str(), why.c_str());
      reported[i] = why;
    }
    if (gStopRequested != 0) app.quit();
  });
  poll.start(10);
  if (exitAfterMs >= 0) QTimer::singleShot(static_cast<int>(exitAfterMs), &app, [&] {
      while (sources.Sweep(accept) > 0) {
      }
      app.quit();
    });
  app.exec();
  WaitForMqttConnects();
}

LocalDateTime LocalNow() {
  SteadyClock real;
  return real.Now();
}

// From the first start character, or from the TAG block just before it.
const char* FirstSentenceStart(const char* line, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (line[i] == '!' || line[i] == '$') return line + TagBlockStart(line, i);
  return nullptr;
}

// Feeds every line of f; lines may be of any length and end in LF or CR LF. Lines are
// cut in place in a read buffer; only a line longer than the buffer is gathered apart.
void FeedFile(std::FILE* f, Intake& intake, ManualClock& clock, SourceId source) {
  static char buf[1 << 20];
  std::string longLine;
  size_t have = 0;
  auto feedLine = [&](char* line, size_t length, bool hasTab) {
    clock.Advance(kTickPerLine);
    if (length > 0 && line[length - 1] == '\r') --length;
    line[length] = '\0';
    const char* sentence = hasTab ? SentenceOfLine(line, length) : FirstSentenceStart(line, length);
    if (sentence != nullptr) intake.ProcessSentence(sentence, source);
  };
  for (;;) {
    const size_t n = std::fread(buf + have, 1, sizeof buf - 1 - have, f);
    have += n;
    size_t start = 0;
    // Receive logs have a TAB on every line, bare captures on none: find the next TAB
    // once for many lines instead of searching every line for one.
    const char* tab = static_cast<const char*>(std::memchr(buf, '\t', have));
    while (char* nl = static_cast<char*>(std::memchr(buf + start, '\n', have - start))) {
      const size_t end = static_cast<size_t>(nl - buf);
      if (tab != nullptr && tab < buf + start) tab = static_cast<const char*>(std::memchr(buf + start, '\t', have - start));
      const bool hasTab = tab != nullptr && tab < nl;
      if (!longLine.empty()) {
        longLine.append(buf + start, end - start);
        feedLine(longLine.data(), longLine.size(), true);
        longLine.clear();
      } else {
        feedLine(buf + start, end - start, hasTab);
      }
      start = end + 1;
    }
    if (n == 0) {
      // The last line may lack its end.
      if (!longLine.empty() || start < have) {
        longLine.append(buf + start, have - start);
        feedLine(longLine.data(), longLine.size(), true);
      }
      return;
    }
    std::memmove(buf, buf + start, have - start);
    have -= start;
    if (have == sizeof buf - 1) {  // a line longer than the buffer
      longLine.append(buf, have);
      have = 0;
    }
  }
}

const ToolUsage kUsage{"aisdump",
                       "[--vdo] [--home DIR] [--save] [--stations N] [--stats] [FILE ...] | --source NAME "
                       "[--source NAME]... [--exit-after-ms MS] [--ca-file FILE]",
                       "Feeds NMEA lines through the intake as log playback does and prints the ship table as "
                       "JSON lines. FILE \"-\" (or none) is standard input.",
                       true};

QCommandLineOption Flag(const char* name, const char* description) {
  return QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(description));
}

QCommandLineOption ValueOption(const char* name, const char* value, const char* description) {
  return QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(description), QString::fromLatin1(value));
}

}  // namespace

int main(int argc, char** argv) {
  const QList<QCommandLineOption> options{
      Flag("vdo", "Takes VDO sentences (own ship) as well."),
      ValueOption("home", "DIR", "Loads the ship database of this program folder first."),
      Flag("save", "With --home: saves the ship database there at the end."),
      ValueOption("stations", "N", "Live stations the table holds (1024, the default, to 16384)."),
      Flag("stats", "Adds the message counts as the last line."),
      ValueOption("source", "NAME", "Reads a network source (udp:PORT, tcp:HOST:PORT, mqtt://HOST/TOPIC); may be repeated."),
      ValueOption("exit-after-ms", "MS", "With --source: stops after MS milliseconds."),
      ValueOption("ca-file", "FILE", "The CA certificates mqtts:// sources trust instead of the system's."),
  };
  QCommandLineParser p;
  if (const std::optional<int> end = ParseCommandLine(p, options, kUsage, argc, argv)) return *end;
  const bool vdo = p.isSet("vdo"), save = p.isSet("save"), withStats = p.isSet("stats");
  const std::string homeText = p.value("home").toStdString();
  const char* home = p.isSet("home") ? homeText.c_str() : nullptr;
  std::vector<std::string> fileNames;
  for (const QString& f : p.positionalArguments()) fileNames.push_back(f.toStdString());
  std::vector<const char*> files;
  for (const std::string& f : fileNames) files.push_back(f.c_str());
  std::vector<SourceAddress> sources;
  for (const QString& v : p.values("source")) {
    SourceAddress address;
    const std::string name = v.toStdString();
    if (!ParseSourceName(name.c_str(), address))
      return CommandLineError(kUsage, "bad --source (want udp:PORT, tcp:HOST:PORT or mqtt://HOST/TOPIC)",
                              IsMqttName(name.c_str()) ? QStringLiteral("mqtt://... (not shown: it may hold a password)") : v);
    sources.push_back(address);
  }
  const std::string caFile = p.value("ca-file").toStdString();
  int stations = kDefaultStations;
  if (p.isSet("stations") && !ParseStationCount(p.value("stations").toStdString().c_str(), stations))
    return CommandLineError(kUsage, "bad --stations (want 1024 to 16384)", p.value("stations"));
  long exitAfterMs = -1;
  if (p.isSet("exit-after-ms")) {
    const std::string v = p.value("exit-after-ms").toStdString();
    char* end = nullptr;
    exitAfterMs = std::strtol(v.c_str(), &end, 10);
    if (end == v.c_str() || *end != '\0' || exitAfterMs < 0 || exitAfterMs > 86400000L)
      return CommandLineError(kUsage, "bad --exit-after-ms", p.value("exit-after-ms"));
  }
  for (SourceAddress& a : sources) a.caFile = caFile;
  if (save && home == nullptr) return CommandLineError(kUsage, "needs --home DIR", QStringLiteral("--save"));
  if (exitAfterMs >= 0 && sources.empty())
    return CommandLineError(kUsage, "needs --source", QStringLiteral("--exit-after-ms"));
  if (!sources.empty() && !files.empty())
    return CommandLineError(kUsage, "files and --source together", QString::fromLocal8Bit(files.front()));
  if (files.empty() && sources.empty()) files.push_back("-");

  // Open every input first, so that a bad name stops the run before any output.
  std::vector<std::FILE*> inputs;
  for (const char* name : files) {
    std::FILE* f = std::strcmp(name, "-") == 0 ? stdin : std::fopen(name, "rb");
    if (f == nullptr) {
      std::fprintf(stderr, "aisdump: cannot read %s: %s\n", name, std::strerror(errno));
      return 2;
    }
    inputs.push_back(f);
  }

  ManualClock clock(kStartTick, LocalNow());
  ShipTable table(clock, stations);
  Intake intake(table);
  ReceptionStats stats(table, intake.sources, clock);
  if (withStats) intake.assembler.AddObserver(&stats);
  intake.options.vdoEnabled = vdo;
  intake.options.rmcSogEnabled = true;
  intake.options.rmcHdgEnabled = true;
  intake.watch.SetShowBox([](std::string_view, std::string_view text) {
    std::string out = "{\"alert\": ";
    const std::string utf8 = ShiftJisToUtf8(text);
    // The alert text is shown to a person: UTF-8 as it is, only quotes and controls escaped.
    AppendJsonText(out, utf8);
    out += "}\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
  });

  if (home != nullptr) {
    const fs::path folder(home);
    PrepareShipTable(table, folder, ReadMapCenter(folder / "DATA" / "aismon.ini"));
  }

  for (size_t i = 0; i < inputs.size(); ++i) {
    FeedFile(inputs[i], intake, clock, intake.sources.Register(files[i]));
    if (inputs[i] != stdin) std::fclose(inputs[i]);
  }
  if (!sources.empty()) FeedSources(argc, argv, sources, exitAfterMs, intake, clock);

  if (save) {
    // A failed save leaves the previous files as they were, as the program does.
    std::error_code ec;
    fs::create_directories(fs::path(home) / kDataFolderName, ec);
    SaveShipDb(table, home);
  }

  std::string out;
  const DbDynamic* d = static_cast<const ShipTable&>(table).DynamicEntries();
  for (int i = 0; i < table.DynamicCount(); ++i) {
    if (i == 0 || d[i].Age != 0) AppendEntryJson(out, table, intake, i, clock.TickMs());
  }
  AppendCountersJson(out, table, intake, clock.TickMs());
  if (withStats) AppendStatsJson(out, table, intake, stats, clock.TickMs());
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}
