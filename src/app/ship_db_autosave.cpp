#include "app/ship_db_autosave.h"

#include "common/settings_file.h"

namespace aismon {

uint32_t ReadAutoSaveTicks(const std::filesystem::path& iniPath) {
  uint32_t ticks = kAutoSaveTicks;
  for (const auto& [key, v] : ReadIniNumbers(iniPath, "Durability"))
    if (key == "ShipSaveSeconds" && v >= 1 && v * 10 < kAutoSaveTicks) ticks = static_cast<uint32_t>(v * 10);
  // A period shorter than the two steps would begin a save while one is under way.
  return ticks > kAutoSaveFinishTicks ? ticks : kAutoSaveFinishTicks + 1;
}

void ShipDbAutoSave::TimerTick(uint32_t t) {
  if (pending_) {
    if (t - beganAtTick_ < kAutoSaveFinishTicks) return;
    const uint32_t start = clock_.TickMs();
    FinishShipDbSave(pendingSave_, programFolder_);
    timing_.finishMs = clock_.TickMs() - start;
    ++timing_.saves;
    pending_ = false;
    return;
  }
  if (t % saveTicks_ != 0) return;
  const uint32_t start = clock_.TickMs();
  pendingSave_ = BeginShipDbSave(table_, programFolder_);
  timing_.beginMs = clock_.TickMs() - start;
  pending_ = true;
  beganAtTick_ = t;
}

void ShipDbAutoSave::SaveNow() {
  pending_ = false;  // its images are written again from the table as it is now
  SaveShipDb(table_, programFolder_);
}

}  // namespace aismon
