// Decoding throughput: every sentence of a file fed N times through the sentence layer
// in-process, as the intake does for lines read from the ports.
#include "decode_bench.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "common/clock.h"
#include "input/intake.h"
#include "input/log_line.h"
#include "shipdb/ship_table.h"

using namespace aismon;

int RunDecodeBench(int argc, char** argv) {
  const char* file = nullptr;
  long repeat = 100;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) {
      repeat = std::strtol(argv[++i], nullptr, 10);
      if (repeat < 1) {
        std::fprintf(stderr, "aismon-bench decode: --repeat needs a positive count\n");
        return 2;
      }
    } else if (file == nullptr && argv[i][0] != '-') {
      file = argv[i];
    } else {
      std::fprintf(stderr, "aismon-bench decode: unexpected argument %s\n", argv[i]);
      return 2;
    }
  }
  if (file == nullptr) {
    std::fprintf(stderr, "usage: aismon-bench decode FILE [--repeat N]\n");
    return 2;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "aismon-bench decode: cannot read %s\n", file);
    return 2;
  }
  // The sentences, each kept zero-terminated in one block so the loop touches no allocator.
  std::string block;
  std::vector<size_t> starts;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const char* s = SentenceOfLine(line.c_str());
    if (s == nullptr) continue;
    starts.push_back(block.size());
    block.append(s);
    block.push_back('\0');
  }
  if (starts.empty()) {
    std::fprintf(stderr, "aismon-bench decode: no sentence in %s\n", file);
    return 2;
  }

  SteadyClock clock;
  ShipTable table(clock);
  Intake intake(table);
  intake.options.rmcSogEnabled = true;
  intake.options.rmcHdgEnabled = true;
  DbDynamic own;
  table.GetShip(0, own);
  own.MMSI = kOwnShipPlaceholderMMSI;
  table.PutShip(0, own);

  const char* base = block.data();
  const auto t0 = std::chrono::steady_clock::now();
  for (long r = 0; r < repeat; ++r)
    for (const size_t s : starts) intake.ProcessSentence(base + s);
  const auto t1 = std::chrono::steady_clock::now();

  const double seconds = std::chrono::duration<double>(t1 - t0).count();
  const double sentences = static_cast<double>(starts.size()) * static_cast<double>(repeat);
  std::printf("sentences %.0f\n", sentences);
  std::printf("seconds %.6f\n", seconds);
  std::printf("vdm %u rmc %u ships %u statics %u\n", intake.counters.vdmCount, intake.counters.rmcCount,
              table.ShipCount, table.StaticCount);
  std::printf("sentences_per_second %.0f\n", sentences / seconds);
  return 0;
}
