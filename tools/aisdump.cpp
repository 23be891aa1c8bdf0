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
  std::fprintf(stderr, "aisdump: %s: %s\nusage: aisdump [--vdo] [--home DIR] [--save] [FILE ...]\n", message, arg);
  return 2;
}

LocalDateTime LocalNow() {
  SteadyClock real;
  return real.Now();
}

// Feeds every line of f; lines may be of any length and end in LF or CR LF.
void FeedFile(std::FILE* f, Intake& intake, ManualClock& clock) {
  std::string line;
  char buf[65536];
  auto flush = [&]() {
    clock.Advance(kTickPerLine);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (const char* sentence = SentenceOfLine(line.c_str())) intake.ProcessSentence(sentence);
    line.clear();
  };
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    size_t start = 0;
    for (size_t i = 0; i < n; ++i) {
      if (buf[i] == '\n') {
        line.append(buf + start, i - start);
        flush();
        start = i + 1;
      }
    }
    line.append(buf + start, n - start);
  }
  if (!line.empty()) flush();
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

  std::string out;
  const DbDynamic* d = table.DynamicEntries();
  for (int i = 0; i < kDynamicEntries; ++i) {
    if (i == 0 || d[i].Age != 0) AppendEntryJson(out, table, i);
  }
  AppendCountersJson(out, table, intake.counters);
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}
