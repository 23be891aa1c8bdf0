#include "shipdb/slot_index.h"

#include <cstring>

namespace aismon {

namespace {
int BitsFor(int n) {
  int bits = 0;
  while ((1 << bits) < n) ++bits;
  return bits;
}
}  // namespace

SlotIndex::SlotIndex(int slots)
    : slots_(slots),
      leaves_(1 << BitsFor(slots)),
      words_((slots + 63) / 64),
      bucketBits_(BitsFor(2 * slots)),
      buckets_(1 << bucketBits_),
      free_(new uint64_t[words_]),
      slotMmsi_(new int32_t[slots + 1]),
      bucket_(new Bucket[buckets_]),
      treeAge_(new uint32_t[2 * leaves_]),
      treeSlot_(new int16_t[2 * leaves_]) {
  Clear();
}

void SlotIndex::Clear() {
  for (int w = 0; w < words_; ++w) free_[w] = ~uint64_t{0};
  // Bits past the last slot are never free.
  if (slots_ % 64 != 0) free_[words_ - 1] = (uint64_t{1} << (slots_ % 64)) - 1;
  freeCount_ = slots_;
  std::memset(slotMmsi_.get(), 0, sizeof(int32_t) * (slots_ + 1));
  std::memset(bucket_.get(), 0, sizeof(Bucket) * buckets_);
  for (int leaf = 0; leaf < leaves_; ++leaf) {
    treeAge_[leaves_ + leaf] = 0;
    // Leaves past the last slot point at slot 1; they keep Age 0, so a real slot wins.
    treeSlot_[leaves_ + leaf] = static_cast<int16_t>(leaf < slots_ ? leaf + 1 : 1);
  }
  for (int node = leaves_ - 1; node >= 1; --node) {
    treeAge_[node] = 0;
    treeSlot_[node] = treeSlot_[2 * node];
  }
}

void SlotIndex::SetAge(int slot, uint32_t age) {
  int node = leaves_ + slot - 1;
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
  if (slot < 1 || slot > slots_) return;
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
  while (bucket_[b].slot != 0) b = NextBucket(b);
  bucket_[b] = Bucket{mmsi, static_cast<int16_t>(slot)};
}

void SlotIndex::Erase(int32_t mmsi, int slot) {
  int b = BucketOf(mmsi);
  while (bucket_[b].slot != 0 && !(bucket_[b].slot == slot && bucket_[b].mmsi == mmsi)) b = NextBucket(b);
  if (bucket_[b].slot == 0) return;
  // Backward-shift deletion keeps every remaining key reachable from its home bucket.
  int hole = b;
  for (int next = NextBucket(hole); bucket_[next].slot != 0; next = NextBucket(next)) {
    const int home = BucketOf(bucket_[next].mmsi);
    // Move next into the hole unless its home lies cyclically in (hole, next].
    const bool homeBetween = hole <= next ? (home > hole && home <= next) : (home > hole || home <= next);
    if (!homeBetween) {
      bucket_[hole] = bucket_[next];
      hole = next;
    }
  }
  bucket_[hole].slot = 0;
}

int SlotIndex::FirstFreeFrom(int home) const {
  if (freeCount_ == 0) return 0;
  // Bits from home to the last slot, then from 1 up to home.
  int bit = home - 1;
  for (int pass = 0; pass < 2; ++pass) {
    for (int w = bit >> 6; w < words_; ++w) {
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
  int bestDistance = slots_;
  if (freeSlot != 0) {
    best = freeSlot;
    bestDistance = Distance(home, freeSlot);
    *free = true;
  }
  for (int b = BucketOf(mmsi); bucket_[b].slot != 0; b = NextBucket(b)) {
    if (bucket_[b].mmsi != mmsi) continue;
    const int d = Distance(home, bucket_[b].slot);
    if (d < bestDistance) {
      best = bucket_[b].slot;
      bestDistance = d;
      *free = false;
    }
  }
  return best;
}

}  // namespace aismon
