// aismon-bench: benchmarks of the program's hot paths.
//   aismon-bench decode FILE [--repeat N]
//   aismon-bench frame [--size WxH] [--ships N] [--home DIR] [--frames N]
//   aismon-bench save [--home DIR] [--repeat N]
//   aismon-bench target-list [--ships N] [--refreshes N]   (QT_QPA_PLATFORM=offscreen without a display)
#include <cstdio>
#include <cstring>

#include "decode_bench.h"
#include "frame_bench.h"
#include "save_bench.h"
#include "target_list_bench.h"

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "decode") == 0) return RunDecodeBench(argc - 2, argv + 2);
  if (argc >= 2 && std::strcmp(argv[1], "frame") == 0) return RunFrameBench(argc - 2, argv + 2);
  if (argc >= 2 && std::strcmp(argv[1], "save") == 0) return RunSaveBench(argc - 2, argv + 2);
  if (argc >= 2 && std::strcmp(argv[1], "target-list") == 0) return RunTargetListBench(argc - 2, argv + 2);
  std::fprintf(stderr,
               "usage: aismon-bench decode FILE [--repeat N]\n"
               "       aismon-bench frame [--size WxH] [--ships N] [--home DIR] [--frames N]\n"
               "       aismon-bench save [--home DIR] [--repeat N]\n"
               "       aismon-bench target-list [--ships N] [--refreshes N]\n");
  return 2;
}
