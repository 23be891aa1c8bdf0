// Arbitrary bytes through serial line gathering into the whole intake chain: sentence
// layer, fragment assembly, watch check, decoders and ship table.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "common/clock.h"
#include "input/intake.h"
#include "input/line_assembler.h"
#include "shipdb/ship_table.h"

using namespace aismon;

namespace {
struct World {
  ManualClock clock{1000};
  ShipTable table{clock};
  Intake intake{table};
  LineAssembler lines;
  World() {
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
    world->lines.FeedByte(data[i], [&](const char* line) { world->intake.AcceptLine(line); });
  }
  // Every stored text must stay terminated within its field.
  const DbStatic* s = world->table.StaticEntries();
  for (int i = 0; i < kStaticEntries; i += 97) {
    if (strnlen(s[i].Name, sizeof s[i].Name) == sizeof s[i].Name) __builtin_trap();
  }
  return 0;
}
