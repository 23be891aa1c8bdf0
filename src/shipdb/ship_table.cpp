#include "shipdb/ship_table.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <type_traits>

namespace aismon {

namespace {
constexpr int kOtherStatics = kStaticEntries - 1;  // 60000

// Home slots: mmsi mod n + 1; index 0 is never probed. Negative MMSIs are taken as
// their unsigned bit pattern so that every value lands inside the table.
int HomeSlot(int32_t mmsi, int n) { return static_cast<int>(static_cast<uint32_t>(mmsi) % static_cast<uint32_t>(n)) + 1; }
int NextSlot(int slot, int n) { return slot == n ? 1 : slot + 1; }
}  // namespace

template <typename T>
ShipTable::ZeroedArray<T> ShipTable::AllocateZeroed(size_t n) {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_default_constructible_v<T>);
  void* p = std::calloc(n, sizeof(T));
  if (p == nullptr) throw std::bad_alloc();
  return ZeroedArray<T>(static_cast<T*>(p));
}

ShipTable::ShipTable(Clock& clock, int stations)
    : clock_(clock),
      stations_(std::clamp(stations, kMinStations, kMaxStations)),
      dynamic_(AllocateZeroed<DbDynamic>(stations_ + 1)),
      static_(AllocateZeroed<DbStatic>(kStaticEntries)),
      wake_(AllocateZeroed<WakeRing>(stations_ + 1)),
      ownWake_(AllocateZeroed<OwnWakeRing>(1)),
      index_(stations_) {}

int ShipTable::FindOrAddShip(int32_t mmsi) {
  if (mmsi == dynamic_[0].MMSI) return 0;
  if (ShipCount == 0) {
    for (int i = 1; i <= stations_; ++i)
      if (dynamic_[i].Age != 0) ++ShipCount;
  }
  // The first slot in probe order from the home slot that is free or holds the MMSI.
  bool free = false;
  const int slot = Index().FirstFreeOrMatch(HomeSlot(mmsi, stations_), mmsi, &free);
  if (slot != 0 && !free) return slot;
  if (slot != 0) {
    DbDynamic& e = dynamic_[slot];
    std::memset(&e, 0, sizeof e);
    e.Age = 1;
    e.MMSI = mmsi;
    e.Link = LinkTo(FindOrAddStatic(mmsi));
    e.Lat = 34.5;
    e.Lon = 135.0;
    e.Sog = e.Cog = e.Hdg = e.Rot = 0.0;
    e.NavStat = kNavStatNotCarried;
    e.UtcSec = kSecNotAvailable;
    e.Raim = 0;
    e.Raw.RawLat = kLatNotAvailable;
    e.Raw.RawLon = kLonNotAvailable;
    e.Raw.RawSog = kSogNotAvailable;
    e.Raw.RawCog = kCogNotAvailable;
    e.Raw.RawHdg = kHdgNotAvailable;
    e.Raw.RawRot = kRotNotAvailable;
    e.Raw.RawNavStat = kNavStatNotCarried;
    e.Raw.RawSec = kSecNotAvailable;
    e.Raw.RawStations = kStationsNotAvailable;
    index_.Set(slot, true, mmsi, e.Age);
    ++ShipCount;
    return slot;
  }
  // Full: reuse the entry that has been silent longest (lowest index on a tie).
  const int oldest = index_.Oldest();
  ++reuseCount_;
  DbDynamic& e = dynamic_[oldest];
  std::memset(&e, 0, sizeof e);
  e.Age = 1;
  e.MMSI = mmsi;
  e.Link = LinkTo(FindOrAddStatic(mmsi));
  index_.Set(oldest, true, mmsi, e.Age);
  return oldest;
}

int ShipTable::FindShip(int32_t mmsi) const {
  if (mmsi == dynamic_[0].MMSI) return -1;
  bool free = false;
  const int slot = Index().FirstFreeOrMatch(HomeSlot(mmsi, stations_), mmsi, &free);
  return slot == 0 || free ? -1 : slot;
}

const SlotIndex& ShipTable::Index() const {
  if (indexStale_) {
    index_.Clear();
    for (int i = 1; i <= stations_; ++i) index_.Set(i, dynamic_[i].Age != 0, dynamic_[i].MMSI, dynamic_[i].Age);
    indexStale_ = false;
  }
  return index_;
}

int ShipTable::FindOrAddStatic(int32_t mmsi, bool* existed) {
  if (existed) *existed = true;
  if (mmsi == OwnMMSI) return 0;
  if (StaticCount == 0) {
    for (int i = 1; i <= kOtherStatics; ++i)
      if (static_[i].UdTime != 0) ++StaticCount;
  }
  int slot = HomeSlot(mmsi, kOtherStatics);
  for (int probe = 0; probe < kOtherStatics; ++probe, slot = NextSlot(slot, kOtherStatics)) {
    DbStatic& s = static_[slot];
    if (s.UdTime == 0) {
      std::memset(&s, 0, sizeof s);
      s.UdTime = NowStamp();
      s.MMSI = mmsi;
      ++StaticCount;
      if (existed) *existed = false;
      return slot;
    }
    if (s.MMSI == mmsi) return slot;
  }
  // Full: reuse the record updated longest ago (lowest index on a tie).
  int oldest = 1;
  uint32_t bound = NowStamp();
  for (int i = 1; i <= kOtherStatics; ++i) {
    if (static_[i].UdTime < bound) {
      bound = static_[i].UdTime;
      oldest = i;
    }
  }
  DbStatic& s = static_[oldest];
  std::memset(&s, 0, sizeof s);
  s.UdTime = NowStamp();
  s.MMSI = mmsi;
  if (existed) *existed = false;
  return oldest;
}

bool ShipTable::GetShip(int index, DbDynamic& out) {
  out.Age = 0;
  const DbDynamic* e = Edit(index);
  if (e == nullptr) return false;
  out = *e;
  return true;
}

DbDynamic* ShipTable::Edit(int index) {
  if (index < 0 || index > stations_) return nullptr;
  DbDynamic& e = dynamic_[index];
  if (index > 0 && e.Age == 0) return nullptr;
  if (e.Link == kNoLink) e.Link = LinkTo(FindOrAddStatic(e.MMSI));
  return &e;
}

void ShipTable::Commit(int index) {
  if (index > 0 && index <= stations_ && !indexStale_) {
    const DbDynamic& e = dynamic_[index];
    index_.Set(index, e.Age != 0, e.MMSI, e.Age);
  }
}

void ShipTable::PutShip(int index, const DbDynamic& in) {
  if (index < 0 || index > stations_) return;
  DbDynamic& e = dynamic_[index];
  const uint32_t link = e.Link;
  e = in;
  e.Link = link;
  Commit(index);
}

void ShipTable::GetOwnShip(DbDynamic& out) {
  dynamic_[0].Link = LinkTo(0);
  DbStatic& s = static_[0];
  auto tidy = [](char* text, size_t size) {
    for (size_t i = 0; i < size && text[i] != '\0'; ++i)
      if (text[i] == '@') text[i] = ' ';
  };
  tidy(s.Sign, sizeof s.Sign);
  tidy(s.Name, sizeof s.Name);
  tidy(s.Dest, sizeof s.Dest);
  tidy(s.Vendor, sizeof s.Vendor);
  if (s.EtaMM < 1 || s.EtaMM > 12) s.EtaMM = 1;
  if (s.EtaDD < 1 || s.EtaDD > 31) s.EtaDD = 1;
  if (s.EtaHH < 0 || s.EtaHH > 23) s.EtaHH = 0;
  if (s.EtaMN < 0 || s.EtaMN > 59) s.EtaMN = 0;
  out = dynamic_[0];
}

void ShipTable::PutOwnShip(const DbDynamic& in) { dynamic_[0] = in; }

void ShipTable::ClearShips() {
  index_.Clear();  // every entry free with Age 0: exactly a cleared index
  indexStale_ = false;
  for (int i = 0; i <= stations_; ++i) {
    dynamic_[i].Age = 0;
    wake_[i].Clear();
  }
  ownWake_[0].Clear();
}

uint32_t ShipTable::NowStamp() {
  const LocalDateTime t = clock_.Now();
  // Every decoded message asks; the calendar arithmetic is redone only when the second changes.
  if (t.second == stampFor_.second && t.minute == stampFor_.minute && t.hour == stampFor_.hour &&
      t.day == stampFor_.day && t.month == stampFor_.month && t.year == stampFor_.year)
    return stamp_;
  stampFor_ = t;
  int y = t.year;
  if (y <= 69) y += 2000;
  if (y <= 99) y += 1900;
  y -= 1968;
  int m = t.month;
  if (m < 3) {
    y -= 1;
    m += 12;
  }
  // 64 bits: a 32-bit long (Windows) would overflow from 2038 on; the stamp keeps the low 32.
  const int64_t days = static_cast<int64_t>(std::floor(y * 365.25 + 0.1)) +
                       static_cast<int64_t>(std::floor((m - 3) * 30.6 + 0.5)) + t.day + 59 - 731;
  const int64_t stamp = days * 86400 + t.hour * int64_t{3600} + t.minute * int64_t{60} + t.second - 32400;
  stamp_ = static_cast<uint32_t>(stamp);
  return stamp_;
}

void ShipTable::AdvanceWakeHead() {
  wakeHead = (wakeHead + 1) % kWakePoints;
  for (int i = 1; i <= stations_; ++i) wake_[i].Forget(wakeHead);
}

void ShipTable::StoreWakePoint(int index, int32_t ownerMmsi, double lat, double lon) {
  if (index < 0 || index > stations_) return;
  WakeRing& r = wake_[index];
  if (r.OwnerMMSI != ownerMmsi) {
    r.Clear();
    r.OwnerMMSI = ownerMmsi;
  }
  r.Put(wakeHead, WakePoint{lat, lon});
}

}  // namespace aismon
