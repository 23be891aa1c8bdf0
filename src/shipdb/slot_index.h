#pragma once
// Exact, allocation-free acceleration of the dynamic table's lookups: which slots are
// taken (a bitmap), where each taken MMSI lives (a small open-addressing multimap), and
// which slot has the largest Age (a tournament tree). With them the first slot in probe
// order that is free or holds an MMSI, and the entry to reuse in a full table, are found
// without walking 1024 entries of 320 bytes, which a full table would otherwise cost on
// every message.
#include <cstdint>

namespace aismon {

class SlotIndex {
 public:
  static constexpr int kSlots = 1024;  // slots 1..1024

  SlotIndex() { Clear(); }

  // Every slot free, no MMSI known.
  void Clear();
  // Records slot (1..1024) as it now is: taken by mmsi or free, and its Age.
  void Set(int slot, bool taken, int32_t mmsi, uint32_t age);

  bool Taken(int slot) const { return (free_[(slot - 1) >> 6] >> ((slot - 1) & 63) & 1u) == 0; }
  int FreeCount() const { return freeCount_; }

  // The first slot in probe order from home (wrapping from 1024 to 1) that is free or
  // taken by mmsi; *free tells which. 0 when every slot is taken by other MMSIs.
  int FirstFreeOrMatch(int home, int32_t mmsi, bool* free) const;

  // The slot with the largest Age (unsigned; the lowest slot wins a tie).
  int Oldest() const { return treeSlot_[1]; }

 private:
  static constexpr int kBuckets = 2048;
  struct Bucket {
    int32_t mmsi;
    int16_t slot;  // 0 = empty bucket
  };
  static int BucketOf(int32_t mmsi) {
    uint32_t h = static_cast<uint32_t>(mmsi) * 0x9E3779B1u;
    return static_cast<int>(h >> 21);  // 11 bits
  }
  void Insert(int32_t mmsi, int slot);
  void Erase(int32_t mmsi, int slot);
  // Probe distance of slot from home in probe order (0..1023).
  static int Distance(int home, int slot) { return (slot - home + kSlots) % kSlots; }
  int FirstFreeFrom(int home) const;

  uint64_t free_[kSlots / 64];  // bit set = slot free
  int freeCount_;
  void SetAge(int slot, uint32_t age);

  int32_t slotMmsi_[kSlots + 1];
  Bucket buckets_[kBuckets];
  // Tournament tree over the Ages: node 1 is the root, leaves are 1024..2047.
  uint32_t treeAge_[2 * kSlots];
  int16_t treeSlot_[2 * kSlots];
};

}  // namespace aismon
