#include "watch/own_fix_watch.h"

#include <cstring>

namespace aismon {

void OwnFixWatch::Step(const DbDynamic& own, const IntakeCounters& counters, const ReceiveOptions& options,
                       uint32_t now) {
  bool arrived = false;
  if (options.vdoEnabled) {
    arrived = std::memcmp(&own.Raw, &lastRaw_, sizeof(RawReport)) != 0;
  } else {
    if (counters.rmcFixCount < lastCount_) state_ = OwnFixState::NoFix;  // a playback started afresh
    arrived = counters.rmcFixCount != lastCount_;
  }
  lastRaw_ = own.Raw;
  lastCount_ = counters.rmcFixCount;
  const bool isVoid = own.LatInvalid != 0 || own.LonInvalid != 0 || (!options.vdoEnabled && counters.rmcVoid);
  if (arrived && !isVoid) {
    lastFix_ = now;
    state_ = OwnFixState::Fresh;
  }
  if (state_ == OwnFixState::NoFix) return;
  age_ = now - lastFix_;
  if (age_ >= kOwnFixLostMs) state_ = OwnFixState::Lost;
  else if (age_ >= kOwnFixStaleMs || isVoid) state_ = OwnFixState::Stale;
  else state_ = OwnFixState::Fresh;
}

}  // namespace aismon
