#include "watch/intake_silence.h"

namespace aismon {

void IntakeSilence::Step(bool configured, uint64_t sentences, uint32_t now) {
  if (!configured) {
    counting_ = false;
    silent_ = false;
    return;
  }
  if (!counting_ || sentences != lastCount_) {
    counting_ = true;
    lastCount_ = sentences;
    lastChange_ = now;
  }
  silent_ = now - lastChange_ >= kNoDataMs;
}

}  // namespace aismon
