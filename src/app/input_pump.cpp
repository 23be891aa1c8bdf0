#include "app/input_pump.h"

#include <cstdio>

#include "app/network_input.h"
#include "common/clock.h"
#include "input/intake.h"

namespace aismon {

namespace {

constexpr uint32_t kPrefetchSpacingMs = 8;
constexpr int kCloseRounds = 64;

}  // namespace

InputPump::InputPump(SerialPorts& ports, NetworkInput& network, Intake& intake, Clock& clock)
    : ports_(ports), network_(network), intake_(intake), clock_(clock) {
  comSources_.fill(kNoSource);
}

InputPump::Result InputPump::Pump(uint32_t budgetMs) {
  lastRead_ = clock_.TickMs();
  const uint32_t deadline = lastRead_ + budgetMs;
  Result r;
  while (clock_.TickMs() <= deadline) {
    const int got = Sweep();
    if (got == 0) return r;
    r.bytes += got;
  }
  r.outOfTime = true;
  return r;
}

void InputPump::DrainAtClose() {
  for (int round = 0; round < kCloseRounds; ++round) {
    ports_.CollectRead();
    int total = network_.Sweep();
    for (int n = 1; n <= kPortCount; ++n)
      for (int got = FeedPort(n); got > 0; got = FeedPort(n)) total += got;
    if (total == 0) break;
  }
}

void InputPump::Prefetch() {
  const uint32_t now = clock_.TickMs();
  if (now - lastRead_ < kPrefetchSpacingMs) return;
  network_.Prefetch();
  lastRead_ = now;
}

int InputPump::Sweep() {
  int total = 0;
  for (int n = 1; n <= kPortCount; ++n) total += FeedPort(n);
  return total + network_.Sweep();
}

int InputPump::FeedPort(int n) {
  if (!ports_.IsOpen(n)) return 0;
  const int got = ports_.ReadPort(n);
  if (got == 0) return 0;
  const char* bytes = ports_.Buffer(n);
  LineAssembler& assembler = ports_.Assembler(n);
  const SourceId source = ComSource(n);
  for (int i = 0; i < got; ++i)
    assembler.FeedByte(static_cast<uint8_t>(bytes[i]),
                       [this, source](const char* line) { intake_.AcceptLine(line, source); });
  return got;
}

SourceId InputPump::ComSource(int n) {
  if (comSources_[static_cast<size_t>(n)] == kNoSource) {
    char name[8];
    std::snprintf(name, sizeof name, "COM%d", n);
    comSources_[static_cast<size_t>(n)] = intake_.sources.Register(name);
  }
  return comSources_[static_cast<size_t>(n)];
}

}  // namespace aismon
