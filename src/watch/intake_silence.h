#pragma once
// No data: sources are configured and not one sentence has come from any of them for 60 s.
// Counted from the first step with sources configured when nothing has come yet, so a
// receiver that never speaks alarms as well as one that stops.
#include <cstdint>

namespace aismon {

inline constexpr uint32_t kNoDataMs = 60000;

class IntakeSilence {
 public:
  // sentences: every sentence taken so far from all sources (it only grows).
  void Step(bool configured, uint64_t sentences, uint32_t now);
  bool Silent() const { return silent_; }

 private:
  bool counting_ = false;
  uint64_t lastCount_ = 0;
  uint32_t lastChange_ = 0;
  bool silent_ = false;
};

}  // namespace aismon
