#include "chart/wake_dot_cache.h"

#include <algorithm>

namespace aismon {

WakeDotCache::WakeDotCache(int32_t slots, int32_t dotsPerSlot)
    : slots_(std::max(slots, 0)),
      dotsPerSlot_(std::max(dotsPerSlot, 0)),
      keys_(std::make_unique<WakeDotKey[]>(static_cast<size_t>(slots_))),
      counts_(std::make_unique<int32_t[]>(static_cast<size_t>(slots_))),
      stamps_(std::make_unique<uint64_t[]>(static_cast<size_t>(slots_))),
      dots_(std::make_unique<PixelPoint[]>(static_cast<size_t>(slots_) * static_cast<size_t>(dotsPerSlot_))) {
  std::fill_n(counts_.get(), slots_, -1);
}

const PixelPoint* WakeDotCache::Find(int32_t slot, const WakeDotKey& key, int& count, uint64_t& stamp) const {
  count = 0;
  stamp = 0;
  if (slot < 0 || slot >= slots_ || counts_[slot] < 0 || !(keys_[slot] == key)) return nullptr;
  count = counts_[slot];
  stamp = stamps_[slot];
  return dots_.get() + static_cast<size_t>(slot) * static_cast<size_t>(dotsPerSlot_);
}

uint64_t WakeDotCache::Store(int32_t slot, const WakeDotKey& key, const PixelPoint* dots, int count) {
  if (slot < 0 || slot >= slots_) return 0;
  StoreStamped(slot, key, dots, count, nextStamp_++);
  return counts_[slot] < 0 ? 0 : stamps_[slot];
}

uint64_t WakeDotCache::ReserveStamps() {
  const uint64_t first = nextStamp_;
  nextStamp_ += static_cast<uint64_t>(slots_);
  return first;
}

void WakeDotCache::StoreStamped(int32_t slot, const WakeDotKey& key, const PixelPoint* dots, int count,
                                uint64_t stamp) {
  if (slot < 0 || slot >= slots_) return;
  if (count < 0 || count > dotsPerSlot_) {
    counts_[slot] = -1;
    return;
  }
  keys_[slot] = key;
  counts_[slot] = count;
  std::copy_n(dots, count, dots_.get() + static_cast<size_t>(slot) * static_cast<size_t>(dotsPerSlot_));
  stamps_[slot] = stamp;
}

void WakeDotCache::Forget(int32_t slot) {
  if (slot >= 0 && slot < slots_) counts_[slot] = -1;
}

}  // namespace aismon
