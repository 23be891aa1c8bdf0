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

#include "common/clock.h"
#include "common/settings_file.h"
#include "input/intake.h"
#include "input/log_line.h"
#include "input/source_figures.h"
#include "input/tag_block.h"
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

int Usage(const char* message, const char* arg) {
  // One line, so that scripts can show it as it is.
  std::fprintf(stderr,
               "aisdump: %s: %s (usage: aisdump [--vdo] [--home DIR] [--save] [--stations N] [--stats] [FILE ...] | "
               "--source NAME [--source NAME]... [--exit-after-ms MS] [--ca-file FILE])\n",
               message, arg);
  return 2;
}

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

}  // namespace

int main(int argc, char** argv) {
  bool vdo = false, save = false, withStats = false;
  const char* home = nullptr;
  std::vector<const char*> files;
  std::vector<SourceAddress> sources;
  long exitAfterMs = -1;
  std::string caFile;
  int stations = kDefaultStations;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strcmp(a, "--vdo") == 0) {
      vdo = true;
    } else if (std::strcmp(a, "--save") == 0) {
      save = true;
    } else if (std::strcmp(a, "--stats") == 0) {
      withStats = true;
    } else if (std::strcmp(a, "--home") == 0) {
      if (i + 1 >= argc) return Usage("missing folder after", a);
      home = argv[++i];
    } else if (std::strcmp(a, "--source") == 0) {
      if (i + 1 >= argc) return Usage("missing source after", a);
      SourceAddress address;
      if (!ParseSourceName(argv[++i], address))
        return Usage("bad --source (want udp:PORT, tcp:HOST:PORT or mqtt://HOST/TOPIC)",
                     IsMqttName(argv[i]) ? "mqtt://... (not shown: it may hold a password)" : argv[i]);
      sources.push_back(address);
    } else if (std::strcmp(a, "--ca-file") == 0) {
      if (i + 1 >= argc) return Usage("missing file after", a);
      caFile = argv[++i];
    } else if (std::strcmp(a, "--stations") == 0) {
      if (i + 1 >= argc) return Usage("missing value after", a);
      if (!ParseStationCount(argv[++i], stations)) return Usage("bad --stations (want 1024 to 16384)", argv[i]);
    } else if (std::strcmp(a, "--exit-after-ms") == 0) {
      if (i + 1 >= argc) return Usage("missing value after", a);
      const char* v = argv[++i];
      char* end = nullptr;
      exitAfterMs = std::strtol(v, &end, 10);
      if (end == v || *end != '\0' || exitAfterMs < 0 || exitAfterMs > 86400000L) return Usage("bad --exit-after-ms", v);
    } else if (std::strncmp(a, "--", 2) == 0) {
      return Usage("unknown option", a);
    } else {
      files.push_back(a);
    }
  }
  for (SourceAddress& a : sources) a.caFile = caFile;
  if (save && home == nullptr) return Usage("needs --home DIR", "--save");
  if (exitAfterMs >= 0 && sources.empty()) return Usage("needs --source", "--exit-after-ms");
  if (!sources.empty() && !files.empty()) return Usage("files and --source together", files.front());
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
    out += '"';
    for (const char c : utf8) {
      if (c == '"' || c == '\\') out += '\\';
      if (static_cast<unsigned char>(c) < 0x20) {
        char b[8];
        std::snprintf(b, sizeof b, "\\u%04x", c);
        out += b;
        continue;
      }
      out += c;
    }
    out += "\"}\n";
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
