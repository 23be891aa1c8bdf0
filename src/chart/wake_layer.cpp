#include "chart/wake_layer.h"

#include <algorithm>
#include <climits>
#include <cstddef>

#include "chart/row_split.h"
#include "chart/ship_layer.h"
#include "chart/wake_dot_cache.h"
#include "shipdb/received_position.h"

namespace aismon {

namespace {

constexpr int kOwnWakePoints = kWakePoints;
constexpr int kOtherWakePoints = 50;
static_assert(kOtherWakePoints < kStationWakePoints, "the ring keeps what is drawn and the head");

int WakeHead(const ShipTable& table) { return ((table.wakeHead % kWakePoints) + kWakePoints) % kWakePoints; }

template <typename Ring>
int ProjectWake(const FrameContext& f, const Ring& ring, int n, PixelPoint* dots) {
  int i = WakeHead(f.table) - n;
  if (i < 0) i += kWakePoints;
  int count = 0;
  // Every dot of one wake has the same colour and size, so a dot on the pixel of the one
  // before adds nothing: far out, a whole wake falls on a few pixels.
  int32_t lastX = INT32_MIN, lastY = INT32_MIN;
  for (int k = 0; k < n; ++k, i = i + 1 == kWakePoints ? 0 : i + 1) {
    const WakePoint p = ring.At(i);
    // Slots never filled hold 0/0; a report without a position left its raw values.
    if ((p.Lat == 0.0 && p.Lon == 0.0) || !IsEarthPosition(p.Lat, p.Lon)) continue;
    int32_t x, y;
    if (!LatLonToPixel(f.view, p.Lat, p.Lon, x, y)) continue;
    if (x == lastX && y == lastY) continue;
    lastX = x;
    lastY = y;
    dots[count++] = PixelPoint{x, y};
  }
  return count;
}

template <typename Ring>
void DrawWakeRing(FrameContext& f, int32_t slot, const Ring& ring, int n, Rgb colour) {
  const int32_t radius = colour == kPassengerColor ? 3 : 2;
  const Rgb dotColour = Brighten(colour);
  // Room for projecting, left unset: the kept dots are used nearly always, and setting
  // 480 points to zero for every ship of every frame showed in profiles.
  alignas(PixelPoint) std::byte room[sizeof(PixelPoint) * kWakePoints];
  PixelPoint* const projected = reinterpret_cast<PixelPoint*>(room);
  const PixelPoint* dots = projected;
  int count = 0;
  // The kept dots hold while the ring was last written at the table's head: points
  // written there are not drawn, and any other write counts as an edit.
  const int head = WakeHead(f.table);
  WakeDotCache* kept = f.wakeDots != nullptr && n <= f.wakeDots->DotsPerSlot() && ring.LastPut() == head
                           ? f.wakeDots
                           : nullptr;
  const WakeDotKey key{f.viewGeneration, head, ring.Edits(), ring.OwnerMMSI, n};
  uint64_t stamp = 0;
  if (kept == nullptr || (dots = kept->Find(slot, key, count, stamp)) == nullptr) {
    const int made = ProjectWake(f, ring, n, projected);
    // Drawn from the kept copy: the item may be drawn after this function has returned.
    if (kept == nullptr || kept->Store(slot, key, projected, made) == 0 ||
        (dots = kept->Find(slot, key, count, stamp)) == nullptr) {
      dots = projected;
      count = made;
      stamp = 0;
    }
  }
  if (count == 0) return;
  // Kept dots go by their stamp: the ship's item compares that instead of every dot.
  f.canvas.SmallDiscs(dots, count, radius, dotColour, stamp);
  // Leave the pen and brush as drawing the dots with the painter would have.
  UseSolidFill(f.canvas, dotColour);
  UsePen(f.canvas, dotColour);
}

// A station's ring is its own while it carries the station's MMSI.
bool OwnsRing(const ShipTable& table, int32_t slot, const DbDynamic& e) {
  const WakeRing& ring = table.WakeRings()[slot];
  return ring.OwnerMMSI != 0 && ring.OwnerMMSI == e.MMSI;
}

}  // namespace

void StoreWakeHead(ShipTable& table, int32_t slot, const DbDynamic& e) {
  const WakePoint p{e.Lat, e.Lon};
  if (slot == 0) table.OwnWake().Put(WakeHead(table), p);
  else if (OwnsRing(table, slot, e)) table.WakeRings()[slot].Put(WakeHead(table), p);
}

void DrawWake(FrameContext& f, int32_t slot, const DbDynamic& e, Rgb colour) {
  if (slot == 0) DrawWakeRing(f, slot, f.table.OwnWake(), kOwnWakePoints, colour);
  else if (OwnsRing(f.table, slot, e)) DrawWakeRing(f, slot, f.table.WakeRings()[slot], kOtherWakePoints, colour);
}

// Projects every other station's wake that is not kept already, on two threads sharing the
// slots, into the kept dots, where drawing the ship then finds it: after a wake step, or
// while the view moves, this is fifty points for each of thousands of ships. Only reads
// the table; each thread keeps dots of its own slots only.
void ProjectWakesAhead(FrameContext& f) {
  WakeDotCache* kept = f.wakeDots;
  if (kept == nullptr || f.split == nullptr || !f.in.options.dispWake || kOtherWakePoints > kept->DotsPerSlot()) return;
  const int32_t n = std::min(f.table.DynamicCount(), kept->Slots());
  const DbDynamic* entries = f.table.DynamicEntries();
  const WakeRing* rings = f.table.WakeRings();
  const int head = WakeHead(f.table);
  const uint64_t firstStamp = kept->ReserveStamps();
  auto work = [&](int, int32_t begin, int32_t end) {
    PixelPoint projected[kOtherWakePoints];
    for (int32_t slot = std::max(begin, 1); slot < end; ++slot) {
      const DbDynamic& e = entries[slot];
      const WakeRing& ring = rings[slot];
      if (e.Age > kShipLostAgeMs || !HasReceivedPosition(e) || !Drawable(e) || !OwnsRing(f.table, slot, e) ||
          ring.LastPut() != head)
        continue;
      const WakeDotKey key{f.viewGeneration, head, ring.Edits(), ring.OwnerMMSI, kOtherWakePoints};
      int count = 0;
      uint64_t stamp = 0;
      if (kept->Find(slot, key, count, stamp) != nullptr) continue;
      const int made = ProjectWake(f, ring, kOtherWakePoints, projected);
      kept->StoreStamped(slot, key, projected, made, firstStamp + static_cast<uint64_t>(slot));
    }
  };
  f.split->Run(n, work);
}

}  // namespace aismon
