#include "common/clock.h"

#include <chrono>
#include <ctime>
#include <thread>

#include "common/platform.h"

namespace aismon {

uint32_t SteadyClock::TickMs() {
  using namespace std::chrono;
  const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  return static_cast<uint32_t>(ms);
}

void SteadyClock::SleepMs(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

LocalDateTime SteadyClock::Now() {
  // Every decoded message stamps its record: convert to local time once per second only.
  const std::time_t t = std::time(nullptr);
  if (t != cachedSecond_) {
    std::tm tm{};
    LocalTime(t, tm);
    cached_ = LocalDateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    cachedSecond_ = t;
  }
  return cached_;
}

LocalDateTime AddSeconds(const LocalDateTime& t, int64_t seconds) {
  using namespace std::chrono;
  const sys_days day = year_month_day{year{t.year}, month{static_cast<unsigned>(t.month)},
                                      std::chrono::day{static_cast<unsigned>(t.day)}};
  const sys_seconds s = day + hours{t.hour} + minutes{t.minute} + std::chrono::seconds{t.second + seconds};
  const sys_days d = floor<days>(s);
  const year_month_day ymd{d};
  const hh_mm_ss<std::chrono::seconds> hms{s - d};
  return LocalDateTime{static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
                       static_cast<int>(static_cast<unsigned>(ymd.day())), static_cast<int>(hms.hours().count()),
                       static_cast<int>(hms.minutes().count()), static_cast<int>(hms.seconds().count())};
}

LocalDateTime ManualClock::Now() {
  const uint32_t seconds = static_cast<uint32_t>(tick_ - baseTick_) / 1000;
  if (seconds != cachedSeconds_) {
    cached_ = AddSeconds(base_, seconds);
    cachedSeconds_ = seconds;
  }
  return cached_;
}

}  // namespace aismon
