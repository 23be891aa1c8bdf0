#include "app/ship_db_autosave.h"

namespace aismon {

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
  if (t % kAutoSaveTicks != 0) return;
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
