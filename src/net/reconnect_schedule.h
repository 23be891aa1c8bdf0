#pragma once
// When a network source tries again after a failure: 1, 2, 4 ... 60 s after each failed
// attempt, for ever, back to 1 s once data flows again. Read against the one Clock, so
// tests move time by hand.
#include <cstdint>

namespace aismon {

inline constexpr uint32_t kFirstRetryMs = 1000;
inline constexpr uint32_t kLongestRetryMs = 60000;
// A TCP connection that brings nothing for this long is dropped and made again.
inline constexpr uint32_t kSilenceLimitMs = 60000;

class ReconnectSchedule {
 public:
  // An attempt failed at tick now: the next is due after the current delay, which then
  // doubles up to 60 s.
  void Failed(uint32_t now) {
    dueTick_ = now + delayMs_;
    waiting_ = true;
    lastDelayMs_ = delayMs_;
    delayMs_ = delayMs_ * 2 > kLongestRetryMs ? kLongestRetryMs : delayMs_ * 2;
  }
  // Data arrived: the next failure starts the series again.
  void Succeeded() { delayMs_ = kFirstRetryMs; }
  // True once the waiting is over (wrap-safe on the 32-bit tick); the caller then tries.
  bool Due(uint32_t now) const { return waiting_ && static_cast<int32_t>(now - dueTick_) >= 0; }
  void Attempting() { waiting_ = false; }
  bool Waiting() const { return waiting_; }
  uint32_t DueTick() const { return dueTick_; }
  uint32_t LastDelayMs() const { return lastDelayMs_; }  // the wait now running
  uint32_t NextDelayMs() const { return delayMs_; }     // the wait after the next failure

 private:
  uint32_t delayMs_ = kFirstRetryMs;
  uint32_t lastDelayMs_ = 0;
  uint32_t dueTick_ = 0;
  bool waiting_ = false;
};

}  // namespace aismon
