// Arbitrary bytes through serial line gathering into the whole intake chain: TAG blocks,
// sentence layer, fragment assembly per source, duplicate filter, watch check, decoders
// and ship table, with the reception statistics watching. The bytes come from two sources, each with its own line gathering; a
// byte 0x01 (never part of a sentence) switches between them, so their lines interleave.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "common/clock.h"
#include "input/intake.h"
#include "input/line_assembler.h"
#include "shipdb/ship_table.h"
#include "stats/reception_stats.h"

using namespace aismon;

namespace {
struct World {
  ManualClock clock{1000};
  ShipTable table{clock};
  Intake intake{table};
  LineAssembler lines[2];
  SourceId sources[2] = {intake.sources.Register("COM1"), intake.sources.Register("udp:10110")};
  ReceptionStats stats{table, intake.sources, clock};
  int current = 0;
  World() {
    intake.assembler.AddObserver(&stats);
    stats.SetReceiver(52.8, 5.7);
    intake.options.rmcSogEnabled = true;
    intake.options.rmcHdgEnabled = true;
    // Watched stations so that the announcement path runs too.
    for (int i = 1; i <= 60000; i += 7) table.StaticEntries()[i].Watch = 1;
    intake.watch.SetShowBox([](std::string_view caption, std::string_view text) {
      volatile size_t sink = caption.size() + text.size();
      (void)sink;
    });
  }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One long-lived world, as the program has: state carries over between inputs.
  static World* world = new World;
  if (size > 0) {
    // The first byte picks the receive options.
    world->intake.options.vdoEnabled = (data[0] & 1) != 0;
    world->intake.options.rmcSogEnabled = (data[0] & 2) != 0;
    world->intake.options.rmcHdgEnabled = (data[0] & 4) != 0;
    world->table.wakeHead = data[0] % kWakePoints;
  }
  for (size_t i = 1; i < size; ++i) {
    world->clock.Advance(1);
    if (data[i] == 0x01) {
      world->current ^= 1;
      continue;
    }
    const SourceId source = world->sources[world->current];
    world->lines[world->current].FeedByte(data[i], [&](const char* line) { world->intake.AcceptLine(line, source); });
  }
  // Every stored text must stay terminated within its field.
  const DbStatic* s = world->table.StaticEntries();
  for (int i = 0; i < kStaticEntries; i += 97) {
    if (strnlen(s[i].Name, sizeof s[i].Name) == sizeof s[i].Name) __builtin_trap();
  }
  return 0;
}
