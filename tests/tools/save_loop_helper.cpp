// aismon_save_loop: the target of the kill test. It saves the ship database and flushes a
// receive log over and over, each round stamped with its number, so that a process killed
// at any moment leaves files whose state can be checked.
//
//   aismon_save_loop --home DIR           load, then save rounds until killed; prints
//                                         "saved N" after each round is on the disk
//   aismon_save_loop --home DIR --check   load as the program does at start-up and check
//                                         that both files hold one whole round and every
//                                         receive log holds whole rounds; prints
//                                         "round N mark M temps T" (exit 1 on a fault)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/receive_log.h"
#include "common/clock.h"
#include "shipdb/ship_db_files.h"
#include "shipdb/station_capacity.h"
#include "shipdb/ship_table.h"

namespace fs = std::filesystem;
using namespace aismon;

namespace {

constexpr int kStampEvery = 997;          // static records stamped with the round: spread over the file
constexpr int kLinesPerRound = 20;        // receive-log lines recorded per round
constexpr int kRoundsPerLogFile = 40;     // then the log's minute moves on: a new file

void Stamp(ShipTable& table, int32_t round) {
  table.DynamicEntries()[0].MMSI = round;
  table.DynamicEntries()[table.Stations()].MMSI = round;  // the last entry: the whole file was written
  for (int i = 1; i < kStaticEntries; i += kStampEvery) {
    DbStatic& s = table.StaticEntries()[i];
    s.UdTime = static_cast<uint32_t>(round);
    s.MMSI = round;
    std::snprintf(s.Name, sizeof s.Name, "ROUND %d", round);
  }
}

// The round both files hold, or -1 when they disagree or a file is torn. Round 0 is the
// empty table a kill before the first finished save leaves: every stamped record blank.
// The dynamic file's last entry is checked when the table has the capacity it was written
// with; a table of another capacity loads own ship's entry only.
int32_t LoadedRound(const ShipTable& table, bool sameCapacity, std::string& why) {
  const int32_t round = table.DynamicEntries()[0].MMSI;
  if (sameCapacity && table.DynamicEntries()[table.Stations()].MMSI != round) {
    why = "the dynamic file's last entry holds round " + std::to_string(table.DynamicEntries()[table.Stations()].MMSI) +
          ", its first round " + std::to_string(round);
    return -1;
  }
  for (int i = 1; i < kStaticEntries; i += kStampEvery) {
    const DbStatic& s = table.StaticEntries()[i];
    char name[sizeof s.Name] = {};
    if (round != 0) std::snprintf(name, sizeof name, "ROUND %d", round);
    if (s.MMSI != round || s.UdTime != static_cast<uint32_t>(round) || std::strcmp(s.Name, name) != 0) {
      why = "static record " + std::to_string(i) + " holds round " + std::to_string(s.MMSI) +
            ", the dynamic file round " + std::to_string(round);
      return -1;
    }
  }
  return round;
}

std::string LogLine(int32_t round, int k) {
  return "!AIVDM,1,1,," + std::string(k % 2 ? "A" : "B") + ",R" + std::to_string(round) + "K" + std::to_string(k) + ",0*00";
}

// Every receive log must be whole rounds of whole lines, rounds rising. Returns the last
// round found, or -1 with why set.
int32_t CheckLogs(const fs::path& data, std::string& why) {
  int32_t last = 0;
  std::vector<fs::path> logs;
  for (const auto& e : fs::directory_iterator(data)) {
    const std::string name = e.path().filename().string();
    if (name.rfind("!AIS", 0) == 0 && e.path().extension() == ".txt") logs.push_back(e.path());
  }
  std::sort(logs.begin(), logs.end());
  for (const fs::path& log : logs) {
    std::ifstream in(log, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    size_t pos = 0;
    int k = 0;
    int32_t round = -1;
    while (pos < text.size()) {
      const size_t end = text.find("\r\n", pos);
      if (end == std::string::npos) {
        why = log.filename().string() + ": a line without its end at byte " + std::to_string(pos);
        return -1;
      }
      const std::string line = text.substr(pos, end - pos);
      pos = end + 2;
      const size_t tab = line.find(":\t");
      if (tab == std::string::npos) {
        why = log.filename().string() + ": not a log line: " + line;
        return -1;
      }
      const std::string sentence = line.substr(tab + 2);
      if (k == 0) {
        const size_t r = sentence.find(",R");
        round = r == std::string::npos ? -1 : std::atoi(sentence.c_str() + r + 2);
        if (round <= last) {
          why = log.filename().string() + ": round " + std::to_string(round) + " after round " + std::to_string(last);
          return -1;
        }
      }
      if (sentence != LogLine(round, k)) {
        why = log.filename().string() + ": unexpected line " + sentence;
        return -1;
      }
      if (++k == kLinesPerRound) {
        k = 0;
        last = round;
      }
    }
    if (k != 0) {
      why = log.filename().string() + ": round " + std::to_string(round) + " cut after " + std::to_string(k) + " lines";
      return -1;
    }
  }
  return last;
}

int Check(const fs::path& home, int stations) {
  const fs::path data = home / kDataFolderName;
  std::error_code ec;
  const bool mark = fs::exists(data / kSaveCommitFileName, ec);
  int temps = 0;
  for (const char* name : {kDynamicDbFileName, kStaticDbFileName})
    if (fs::exists(data / (std::string(name) + kSaveTempSuffix), ec)) ++temps;
  // The files may come from a run at another capacity (killed before its first save): the
  // dynamic file's size tells which (once a cut-off move is finished), and that file is
  // checked whole.
  RecoverShipDbSave(home);
  const uintmax_t bytes = fs::file_size(data / kDynamicDbFileName, ec);
  if (!ec) {
    if (bytes % sizeof(DbDynamic) != 0 || bytes / sizeof(DbDynamic) < kMinStations + 1 ||
        bytes / sizeof(DbDynamic) > kMaxStations + 1) {
      std::printf("FAULT ship files: a dynamic file of %ju bytes\n", bytes);
      return 1;
    }
    stations = static_cast<int>(bytes / sizeof(DbDynamic)) - 1;
  }
  ManualClock clock;
  ShipTable table(clock, stations);
  LoadShipDb(table, home);
  std::string why;
  const int32_t round = LoadedRound(table, true, why);
  if (round < 0) {
    std::printf("FAULT ship files: %s\n", why.c_str());
    return 1;
  }
  const int32_t logRound = CheckLogs(data, why);
  if (logRound < 0) {
    std::printf("FAULT receive log: %s\n", why.c_str());
    return 1;
  }
  std::printf("round %d log %d mark %d temps %d\n", round, logRound, mark ? 1 : 0, temps);
  return 0;
}

int Loop(const fs::path& home, int stations) {
  fs::create_directories(home / kDataFolderName);
  ManualClock clock(0, LocalDateTime{2026, 12, 9, 3, 0, 0});
  ShipTable table(clock, stations);
  LoadShipDb(table, home);  // the files may have been written at another capacity
  std::string why;
  int32_t round = LoadedRound(table, false, why);
  if (round < 0) round = 0;  // a first run: nothing stamped yet
  ReceiveLog log;
  std::printf("ready %d\n", round);
  std::fflush(stdout);
  for (;;) {
    ++round;
    Stamp(table, round);
    SaveShipDb(table, home);
    clock.SetNow(AddSeconds(LocalDateTime{2026, 12, 9, 3, 0, 0}, 60 * (round / kRoundsPerLogFile)));
    for (int k = 0; k < kLinesPerRound; ++k) log.Record(LogLine(round, k).c_str(), static_cast<uint32_t>(round), false);
    const std::string error = log.FlushReceiveLog(home / kDataFolderName, true, clock);
    if (!error.empty()) {
      std::printf("flush failed: %s\n", error.c_str());
      return 1;
    }
    std::printf("saved %d\n", round);
    std::fflush(stdout);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || std::strcmp(argv[1], "--home") != 0) {
    std::fprintf(stderr, "usage: aismon_save_loop --home DIR [--stations N] [--check]\n");
    return 2;
  }
  const fs::path home = argv[2];
  int stations = kDefaultStations;
  bool check = false;
  for (int i = 3; i < argc; ++i) {
    if (std::strcmp(argv[i], "--check") == 0) {
      check = true;
    } else if (std::strcmp(argv[i], "--stations") == 0 && i + 1 < argc && ParseStationCount(argv[i + 1], stations)) {
      ++i;
    } else {
      std::fprintf(stderr, "aismon_save_loop: bad argument %s\n", argv[i]);
      return 2;
    }
  }
  return check ? Check(home, stations) : Loop(home, stations);
}
