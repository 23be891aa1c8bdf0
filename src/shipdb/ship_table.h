#pragma once
// The one store of what is known about ships: DbDynamic (tracked stations), DbStatic
// (every MMSI ever seen) and the wake rings, found by MMSI with open addressing.
// Storage is allocated once by the constructor; nothing here allocates afterwards.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "common/clock.h"
#include "shipdb/ship_records.h"
#include "shipdb/slot_index.h"

namespace aismon {

inline constexpr int32_t kOwnEchoMMSI = 987650000;   // VDM reports carrying own MMSI are filed here
inline constexpr int32_t kOwnShipPlaceholderMMSI = 599999999;

class ShipTable {
 public:
  // Room for `stations` live stations besides own ship (clamped to kMinStations..kMaxStations).
  explicit ShipTable(Clock& clock, int stations = kDefaultStations);
  ShipTable(const ShipTable&) = delete;
  ShipTable& operator=(const ShipTable&) = delete;

  int FindOrAddShip(int32_t mmsi);
  int FindShip(int32_t mmsi) const;
  // Returns the DbStatic index; *existed tells whether the MMSI was already there.
  int FindOrAddStatic(int32_t mmsi, bool* existed = nullptr);
  DbStatic& FindOrAddStaticEntry(int32_t mmsi) { return static_[FindOrAddStatic(mmsi)]; }

  bool GetShip(int index, DbDynamic& out);
  void PutShip(int index, const DbDynamic& in);
  // The in-place form of GetShip/PutShip for the intake's hot path: the entry itself, or
  // nullptr where GetShip would fail (the Link is resolved as GetShip does). Commit after
  // changing it; its Link must not be changed.
  DbDynamic* Edit(int index);
  void Commit(int index);
  // Reading only: the entry, or nullptr where GetShip would fail. Its Link is taken as it
  // stands (Edit resolves a missing one).
  const DbDynamic* Entry(int index) const {
    if (index < 0 || index > stations_) return nullptr;
    const DbDynamic& e = dynamic_[index];
    return index > 0 && e.Age == 0 ? nullptr : &e;
  }

  void GetOwnShip(DbDynamic& out);
  void PutOwnShip(const DbDynamic& in);
  void ClearShips();
  uint32_t NowStamp();
  // The clock the table's times come from; the intake reads its ticks from it too.
  Clock& TableClock() const { return clock_; }

  // The static record a (resolved) Link refers to.
  DbStatic& StaticOf(uint32_t link) { return static_[LinkIndex(link)]; }
  const DbStatic& StaticOf(uint32_t link) const { return static_[LinkIndex(link)]; }
  static int LinkIndex(uint32_t link) { return link == kNoLink ? 0 : static_cast<int>(link - 1); }
  static uint32_t LinkTo(int staticIndex) { return static_cast<uint32_t>(staticIndex) + 1; }

  // Live stations the dynamic table holds besides own ship; entries 0..Stations().
  int Stations() const { return stations_; }
  int DynamicCount() const { return stations_ + 1; }
  // Times a full table gave an entry to a new station by dropping the one silent longest.
  uint32_t ReuseCount() const { return reuseCount_; }

  // Whole-array access for the database files, tools and the painter's passes. Taking the
  // writable form marks the lookup index stale; it is rebuilt at the next lookup. Do not
  // keep the pointer across lookups.
  DbDynamic* DynamicEntries() {
    indexStale_ = true;
    return dynamic_.get();
  }
  const DbDynamic* DynamicEntries() const { return dynamic_.get(); }
  DbStatic* StaticEntries() { return static_.get(); }
  const DbStatic* StaticEntries() const { return static_.get(); }
  // The stations' wake rings by entry index (1..Stations(); entry 0's is unused), and own ship's.
  WakeRing* WakeRings() { return wake_.get(); }
  const WakeRing* WakeRings() const { return wake_.get(); }
  OwnWakeRing& OwnWake() { return ownWake_[0]; }
  const OwnWakeRing& OwnWake() const { return ownWake_[0]; }

  // Own ship's MMSI as learnt from VDO (0 until learnt).
  int32_t OwnMMSI = 0;
  // Shared slot index of all wake rings, advanced by the wake clock (AdvanceWakeHead).
  int wakeHead = 0;
  // Moves wakeHead on one place. A station's ring forgets what it held there, so a wake
  // never shows a point from a turn of the head before (one not rewritten since).
  void AdvanceWakeHead();
  // Entries handed out; recounted by a scan when found 0.
  uint32_t ShipCount = 0;
  uint32_t StaticCount = 0;
  // Set by the first database load; later loads do nothing.
  bool dbLoaded = false;

  // Stores a wake point for entry index at the current head. A ring that changes owner
  // (its entry was reused) is emptied first, so no station wears another's wake.
  void StoreWakePoint(int index, int32_t ownerMmsi, double lat, double lon);

  // Entries 1..Stations() in use now. Unlike ShipCount it does not keep counting across a
  // ClearShips, so it never exceeds the table.
  int TakenCount() const { return stations_ - Index().FreeCount(); }

 private:
  // The arrays come from calloc: large blocks arrive as fresh zero pages, so start-up
  // neither clears 21 MB nor touches pages that are never used.
  struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
  };
  template <typename T>
  using ZeroedArray = std::unique_ptr<T[], FreeDeleter>;
  template <typename T>
  static ZeroedArray<T> AllocateZeroed(size_t n);

  Clock& clock_;
  int stations_;
  uint32_t reuseCount_ = 0;
  LocalDateTime stampFor_{-1, 0, 0, 0, 0, 0};  // the calendar time stamp_ was computed for
  uint32_t stamp_ = 0;
  ZeroedArray<DbDynamic> dynamic_;
  ZeroedArray<DbStatic> static_;
  ZeroedArray<WakeRing> wake_;
  ZeroedArray<OwnWakeRing> ownWake_;
  // Which of entries 1..Stations() are taken, by which MMSI, and which is oldest; mirrors the
  // entries exactly unless stale.
  const SlotIndex& Index() const;
  mutable SlotIndex index_;
  mutable bool indexStale_ = false;
};

}  // namespace aismon
