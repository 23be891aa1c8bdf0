// aisdump: feeds NMEA lines through the intake exactly as log playback does and prints
// the resulting ship table as JSON lines.
//
//   aisdump [--vdo] [--home DIR] [--save] [FILE ...]     (no FILE, or "-": standard input)
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "common/clock.h"
#include "common/settings_file.h"
#include "input/intake.h"
#include "input/log_line.h"
#include "shipdb/ship_db_files.h"
#include "shipdb/ship_table.h"
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
  std::fprintf(stderr, "aisdump: %s: %s (usage: aisdump [--vdo] [--home DIR] [--save] [FILE ...])\n", message, arg);
  return 2;
}

LocalDateTime LocalNow() {
  SteadyClock real;
  return real.Now();
}

const char* FirstSentenceStart(const char* line, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (line[i] == '!' || line[i] == '$') return line + i;
  return nullptr;
}

// Feeds every line of f; lines may be of any length and end in LF or CR LF. Lines are
// cut in place in a read buffer; only a line longer than the buffer is gathered apart.
void FeedFile(std::FILE* f, Intake& intake, ManualClock& clock) {
  static char buf[1 << 20];
  std::string longLine;
  size_t have = 0;
  auto feedLine = [&](char* line, size_t length, bool hasTab) {
    clock.Advance(kTickPerLine);
    if (length > 0 && line[length - 1] == '\r') --length;
    line[length] = '\0';
    const char* sentence = hasTab ? SentenceOfLine(line, length) : FirstSentenceStart(line, length);
    if (sentence != nullptr) intake.ProcessSentence(sentence);
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
  bool vdo = false, save = false;
  const char* home = nullptr;
  std::vector<const char*> files;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strcmp(a, "--vdo") == 0) {
      vdo = true;
    } else if (std::strcmp(a, "--save") == 0) {
      save = true;
    } else if (std::strcmp(a, "--home") == 0) {
      if (i + 1 >= argc) return Usage("missing folder after", a);
      home = argv[++i];
    } else if (std::strncmp(a, "--", 2) == 0) {
      return Usage("unknown option", a);
    } else {
      files.push_back(a);
    }
  }
  if (save && home == nullptr) return Usage("needs --home DIR", "--save");
  if (files.empty()) files.push_back("-");

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
  ShipTable table(clock);
  Intake intake(table);
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

  for (std::FILE* f : inputs) {
    FeedFile(f, intake, clock);
    if (f != stdin) std::fclose(f);
  }

  if (save) {
    // A failed save leaves the previous files as they were, as the program does.
    std::error_code ec;
    fs::create_directories(fs::path(home) / kDataFolderName, ec);
    SaveShipDb(table, home);
  }

  std::string out;
  const DbDynamic* d = static_cast<const ShipTable&>(table).DynamicEntries();
  for (int i = 0; i < kDynamicEntries; ++i) {
    if (i == 0 || d[i].Age != 0) AppendEntryJson(out, table, i);
  }
  AppendCountersJson(out, table, intake.counters);
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}
