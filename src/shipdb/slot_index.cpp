#include "shipdb/slot_index.h"

#include <cstring>

namespace aismon {

void SlotIndex::Clear() {
  for (uint64_t& w : free_) w = ~uint64_t{0};
  freeCount_ = kSlots;
  std::memset(slotMmsi_, 0, sizeof slotMmsi_);
  std::memset(buckets_, 0, sizeof buckets_);
  for (int leaf = 0; leaf < kSlots; ++leaf) {
    treeAge_[kSlots + leaf] = 0;
    treeSlot_[kSlots + leaf] = static_cast<int16_t>(leaf + 1);
  }
  for (int node = kSlots - 1; node >= 1; --node) {
    treeAge_[node] = 0;
    treeSlot_[node] = treeSlot_[2 * node];
  }
}

void SlotIndex::SetAge(int slot, uint32_t age) {
  int node = kSlots + slot - 1;
  if (treeAge_[node] == age) return;
  treeAge_[node] = age;
  for (node >>= 1; node >= 1; node >>= 1) {
    // The left child holds the lower slots: it wins a tie.
    const int winner = treeAge_[2 * node + 1] > treeAge_[2 * node] ? 2 * node + 1 : 2 * node;
    treeAge_[node] = treeAge_[winner];
    treeSlot_[node] = treeSlot_[winner];
  }
}

void SlotIndex::Set(int slot, bool taken, int32_t mmsi, uint32_t age) {
  if (slot < 1 || slot > kSlots) return;
  SetAge(slot, age);
  const bool wasTaken = Taken(slot);
  if (wasTaken && (!taken || slotMmsi_[slot] != mmsi)) Erase(slotMmsi_[slot], slot);
  if (taken && (!wasTaken || slotMmsi_[slot] != mmsi)) Insert(mmsi, slot);
  const uint64_t bit = uint64_t{1} << ((slot - 1) & 63);
  uint64_t& word = free_[(slot - 1) >> 6];
  if (taken && !wasTaken) {
    word &= ~bit;
    --freeCount_;
  } else if (!taken && wasTaken) {
    word |= bit;
    ++freeCount_;
  }
  slotMmsi_[slot] = mmsi;
}

void SlotIndex::Insert(int32_t mmsi, int slot) {
  int b = BucketOf(mmsi);
  while (buckets_[b].slot != 0) b = (b + 1) & (kBuckets - 1);
  buckets_[b] = Bucket{mmsi, static_cast<int16_t>(slot)};
}

void SlotIndex::Erase(int32_t mmsi, int slot) {
  int b = BucketOf(mmsi);
  while (buckets_[b].slot != 0 && !(buckets_[b].slot == slot && buckets_[b].mmsi == mmsi)) b = (b + 1) & (kBuckets - 1);
  if (buckets_[b].slot == 0) return;
  // Backward-shift deletion keeps every remaining key reachable from its home bucket.
  int hole = b;
  for (int next = (hole + 1) & (kBuckets - 1); buckets_[next].slot != 0; next = (next + 1) & (kBuckets - 1)) {
    const int home = BucketOf(buckets_[next].mmsi);
    // Move next into the hole unless its home lies cyclically in (hole, next].
    const bool homeBetween = hole <= next ? (home > hole && home <= next) : (home > hole || home <= next);
    if (!homeBetween) {
      buckets_[hole] = buckets_[next];
      hole = next;
    }
  }
  buckets_[hole].slot = 0;
}

int SlotIndex::FirstFreeFrom(int home) const {
  if (freeCount_ == 0) return 0;
  // Bits from home to 1024, then from 1 up to home.
  int bit = home - 1;
  for (int pass = 0; pass < 2; ++pass) {
    for (int w = bit >> 6; w < kSlots / 64; ++w) {
      uint64_t word = free_[w];
      if (w == (bit >> 6)) word &= ~uint64_t{0} << (bit & 63);
      if (word != 0) return w * 64 + __builtin_ctzll(word) + 1;
    }
    bit = 0;
  }
  return 0;
}

int SlotIndex::FirstFreeOrMatch(int home, int32_t mmsi, bool* free) const {
  const int freeSlot = FirstFreeFrom(home);
  int best = 0;
  int bestDistance = kSlots;
  if (freeSlot != 0) {
    best = freeSlot;
    bestDistance = Distance(home, freeSlot);
    *free = true;
  }
  for (int b = BucketOf(mmsi); buckets_[b].slot != 0; b = (b + 1) & (kBuckets - 1)) {
    if (buckets_[b].mmsi != mmsi) continue;
    const int d = Distance(home, buckets_[b].slot);
    if (d < bestDistance) {
      best = buckets_[b].slot;
      bestDistance = d;
      *free = false;
    }
  }
  return best;
}

}  // namespace aismon
