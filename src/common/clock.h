#pragma once
// The one source of time. Ticks are milliseconds as an unsigned 32-bit count that
// wraps like a system tick counter; calendar time is local time.
#include <cstdint>

namespace aismon {

struct LocalDateTime {
  int year = 1970;   // full year, e.g. 2026
  int month = 1;     // 1..12
  int day = 1;       // 1..31
  int hour = 0;      // 0..23
  int minute = 0;    // 0..59
  int second = 0;    // 0..59
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint32_t TickMs() = 0;
  virtual void SleepMs(uint32_t ms) = 0;
  virtual LocalDateTime Now() = 0;
};

// Real time: ticks from std::chrono::steady_clock, calendar from the system's local time.
class SteadyClock final : public Clock {
 public:
  uint32_t TickMs() override;
  void SleepMs(uint32_t ms) override;
  LocalDateTime Now() override;

 private:
  int64_t cachedSecond_ = -1;
  LocalDateTime cached_;
};

// Test and tool clock: time moves only when told to (sleeping advances it too). The
// calendar time moves with the ticks from the calendar time it was given.
class ManualClock final : public Clock {
 public:
  explicit ManualClock(uint32_t startTick = 0, LocalDateTime start = LocalDateTime{2026, 1, 1, 9, 0, 0})
      : tick_(startTick), baseTick_(startTick), base_(start) {}
  uint32_t TickMs() override { return tick_; }
  void SleepMs(uint32_t ms) override { tick_ += ms; }
  LocalDateTime Now() override;

  void Advance(uint32_t ms) { tick_ += ms; }
  void SetTick(uint32_t tick) { tick_ = tick; }
  // Sets the calendar time as of the current tick.
  void SetNow(const LocalDateTime& now) {
    base_ = now;
    baseTick_ = tick_;
    cachedSeconds_ = UINT32_MAX;
  }

 private:
  uint32_t tick_;
  uint32_t baseTick_;
  LocalDateTime base_;
  // Calendar arithmetic is done once per second of ticks, not per call.
  uint32_t cachedSeconds_ = UINT32_MAX;
  LocalDateTime cached_;
};

// Calendar arithmetic on local date and time (no time zones involved).
LocalDateTime AddSeconds(const LocalDateTime& t, int64_t seconds);

}  // namespace aismon
