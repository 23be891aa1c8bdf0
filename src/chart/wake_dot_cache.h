#pragma once
// Where each station's wake dots fall on the picture, kept from frame to frame. The dots
// behind a wake's head stay where they are until the head moves on, the ring is written
// behind its head, or the view changes; until then their fifty projections per ship give
// the same pixels again. The table is allocated once, one fixed row of dots per slot.
#include <cstdint>
#include <memory>

#include "chart/view_state.h"

namespace aismon {

// Everything the dots of one wake are projected from, apart from the points themselves,
// which the ring's edit count stands for.
struct WakeDotKey {
  uint32_t viewGeneration = 0;
  int32_t head = -1;
  uint32_t ringEdits = 0;
  int32_t owner = 0;
  int32_t points = 0;
  friend bool operator==(const WakeDotKey&, const WakeDotKey&) = default;
};

class WakeDotCache {
 public:
  // slots rows of at most dotsPerSlot dots.
  WakeDotCache(int32_t slots, int32_t dotsPerSlot);

  int32_t Slots() const { return slots_; }
  int32_t DotsPerSlot() const { return dotsPerSlot_; }
  // The dots kept for slot under exactly this key, or null; stamp tells them apart from
  // every other set of dots ever kept.
  const PixelPoint* Find(int32_t slot, const WakeDotKey& key, int& count, uint64_t& stamp) const;
  // Keeps count dots (at most DotsPerSlot) for slot under key; returns their stamp, or 0
  // when they could not be kept.
  uint64_t Store(int32_t slot, const WakeDotKey& key, const PixelPoint* dots, int count);
  // For threads keeping dots of different slots at once: one stamp per slot is set aside,
  // slot s's being the value returned plus s, and StoreStamped keeps dots under it.
  uint64_t ReserveStamps();
  void StoreStamped(int32_t slot, const WakeDotKey& key, const PixelPoint* dots, int count, uint64_t stamp);
  void Forget(int32_t slot);

 private:
  int32_t slots_;
  int32_t dotsPerSlot_;
  std::unique_ptr<WakeDotKey[]> keys_;
  std::unique_ptr<int32_t[]> counts_;  // -1: nothing kept
  std::unique_ptr<uint64_t[]> stamps_;
  uint64_t nextStamp_ = 1;
  std::unique_ptr<PixelPoint[]> dots_;
};

}  // namespace aismon
