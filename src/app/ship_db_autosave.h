#pragma once
// The ship database saved while the program runs, so that a crash or a power cut loses
// at most two minutes of names, call signs and sizes. The periodic save is split in two
// steps a second apart (images written, then brought to the disk and moved into place)
// so that no timer tick waits for the disk in one go.
#include <cstdint>
#include <filesystem>
#include <utility>

#include "common/clock.h"
#include "shipdb/ship_db_files.h"

namespace aismon {

inline constexpr uint32_t kAutoSaveTicks = 1200;      // 2 minutes of 100 ms ticks
inline constexpr uint32_t kAutoSaveFinishTicks = 10;  // the second step, a second later

// Key "ShipSaveSeconds" of section "Durability" in the settings file may shorten the
// period (1 to 120 s, never longer), for the tests that kill the running program.
uint32_t ReadAutoSaveTicks(const std::filesystem::path& iniPath);

class ShipDbAutoSave {
 public:
  ShipDbAutoSave(const ShipTable& table, std::filesystem::path programFolder, Clock& clock)
      : table_(table), programFolder_(std::move(programFolder)), clock_(clock),
        saveTicks_(ReadAutoSaveTicks(programFolder_ / "DATA" / "aismon.ini")) {}

  // The timer's chore for tick t: begins a save on every multiple of the period and
  // finishes it kAutoSaveFinishTicks later.
  void TimerTick(uint32_t t);

  // The whole save at once (closing, the session ending); a save under way is replaced.
  void SaveNow();

  struct Timing {
    uint32_t beginMs = 0;   // the last periodic save's first step
    uint32_t finishMs = 0;  // and its second
    uint32_t saves = 0;     // periodic saves finished
  };
  const Timing& LastTiming() const { return timing_; }
  bool Pending() const { return pending_; }

 private:
  const ShipTable& table_;
  std::filesystem::path programFolder_;
  Clock& clock_;
  uint32_t saveTicks_;
  bool pending_ = false;
  uint32_t beganAtTick_ = 0;
  ShipDbPendingSave pendingSave_;
  Timing timing_;
};

}  // namespace aismon
