#pragma once
// Whether own ship's position can still be trusted: fresh while good fixes keep coming,
// stale 10 s after the last one (at once when the receiver calls its fix void), lost after
// 60 s. Whatever is worked from own ship (its dead reckoning, CPA and TCPA) follows this:
// estimated while stale, not worked at all once lost.
#include <cstdint>

#include "input/receive_state.h"
#include "shipdb/ship_records.h"

namespace aismon {

inline constexpr uint32_t kOwnFixStaleMs = 10000;
inline constexpr uint32_t kOwnFixLostMs = 60000;

// NoFix: no good fix since start (or since a playback reset the count); nothing to lose.
enum class OwnFixState : uint8_t { NoFix, Fresh, Stale, Lost };

class OwnFixWatch {
 public:
  // A good fix has come when the RMC fix count moved (or, with VDO driving own ship, its
  // raw report changed) since the last step and the fix is not void: an RMC with status
  // "V", or a position marked invalid.
  void Step(const DbDynamic& own, const IntakeCounters& counters, const ReceiveOptions& options, uint32_t now);

  OwnFixState State() const { return state_; }
  bool Stale() const { return state_ == OwnFixState::Stale || state_ == OwnFixState::Lost; }
  bool Lost() const { return state_ == OwnFixState::Lost; }
  // Since the last good fix, as of the last step.
  uint32_t AgeMs() const { return age_; }

 private:
  OwnFixState state_ = OwnFixState::NoFix;
  uint32_t lastFix_ = 0;
  uint32_t age_ = 0;
  uint32_t lastCount_ = 0;
  RawReport lastRaw_{};
};

}  // namespace aismon
