#pragma once
// Exact, allocation-free acceleration of the dynamic table's lookups: which slots are
// taken (a bitmap), where each taken MMSI lives (a small open-addressing multimap), and
// which slot has the largest Age (a tournament tree). With them the first slot in probe
// order that is free or holds an MMSI, and the entry to reuse in a full table, are found
// without walking thousands of entries of 320 bytes, which a full table would otherwise
// cost on every message. Its arrays are allocated once, by the constructor.
#include <cstdint>
#include <memory>

namespace aismon {

class SlotIndex {
 public:
  // Slots 1..slots, at most 32767.
  explicit SlotIndex(int slots);

  int Slots() const { return slots_; }
  // Every slot free, no MMSI known.
  void Clear();
  // Records slot (1..Slots()) as it now is: taken by mmsi or free, and its Age.
  void Set(int slot, bool taken, int32_t mmsi, uint32_t age);

  bool Taken(int slot) const { return (free_[(slot - 1) >> 6] >> ((slot - 1) & 63) & 1u) == 0; }
  int FreeCount() const { return freeCount_; }

  // The first slot in probe order from home (wrapping from the last slot to 1) that is free or
  // taken by mmsi; *free tells which. 0 when every slot is taken by other MMSIs.
  int FirstFreeOrMatch(int home, int32_t mmsi, bool* free) const;

  // The slot with the largest Age (unsigned; the lowest slot wins a tie).
  int Oldest() const { return treeSlot_[1]; }

 private:
  struct Bucket {
    int32_t mmsi;
    int16_t slot;  // 0 = empty bucket
  };
  int BucketOf(int32_t mmsi) const {
    uint32_t h = static_cast<uint32_t>(mmsi) * 0x9E3779B1u;
    return static_cast<int>(h >> (32 - bucketBits_));
  }
  int NextBucket(int b) const { return (b + 1) & (buckets_ - 1); }
  void Insert(int32_t mmsi, int slot);
  void Erase(int32_t mmsi, int slot);
  // Probe distance of slot from home in probe order (0..Slots()-1).
  int Distance(int home, int slot) const { return (slot - home + slots_) % slots_; }
  int FirstFreeFrom(int home) const;
  void SetAge(int slot, uint32_t age);

  int slots_;
  int leaves_;      // a power of two >= slots_; leaves past the last slot stay at Age 0
  int words_;       // of the free bitmap
  int bucketBits_;  // buckets_ = 2^bucketBits_ >= 2 * slots_
  int buckets_;
  int freeCount_ = 0;
  std::unique_ptr<uint64_t[]> free_;  // bit set = slot free
  std::unique_ptr<int32_t[]> slotMmsi_;
  std::unique_ptr<Bucket[]> bucket_;
  // Tournament tree over the Ages: node 1 is the root, leaf k (slot k + 1) is node leaves_ + k.
  std::unique_ptr<uint32_t[]> treeAge_;
  std::unique_ptr<int16_t[]> treeSlot_;
};

}  // namespace aismon
