// Message 27: long-range position report (class A beyond the coast stations' reach).
// Its position is to 1/10 minute, so it stands in only for a station with no fine report
// lately: mixed with fine reports it would make the ship jump.
#include "ais/decoder_bits.h"
#include "ais/message_decoders.h"
#include "ais/vdx_assembly.h"
#include "shipdb/ship_table.h"

namespace aismon {

namespace {
constexpr int kLongRangeSogNotAvailable = 63;   // knots
constexpr int kLongRangeCogNotAvailable = 511;  // degrees
constexpr int32_t kTenthMinuteToRaw = 1000;     // 1/10 minute -> 1/10000 minute
}  // namespace

int MessageDecoders::DecodeLongRange(const AisPayload& p, int /*bitLength*/, int mode) {
  if (mode != kOtherShipsMode) return 0;
  const int32_t mmsi = MessageMmsi(p);
  const int existing = table_.FindShip(mmsi);
  if (existing > 0) {
    const StationNote* n = notes_.Of(existing, mmsi);
    const uint32_t now = table_.TableClock().TickMs();
    if (n != nullptr && n->fineHeard && now - n->fineTick < kFineReportHoldMs) return 0;
  }
  Station s;
  Load(table_.FindOrAddShip(mmsi), s);
  RawReport& r = s.raw;
  r.RawPosAcc = Bits16(p, 39, 39);
  r.RawRaim = Bits16(p, 40, 40);
  r.RawNavStat = Bits16(p, 41, 44);
  // 91 and 181 degrees (not available) scale onto the table's own not-available values.
  r.RawLon = SignedBits(p, 45, 62) * kTenthMinuteToRaw;
  r.RawLat = SignedBits(p, 63, 79) * kTenthMinuteToRaw;
  const int sog = Bits(p, 80, 85);
  const int cog = Bits(p, 86, 94);
  r.RawSog = sog == kLongRangeSogNotAvailable ? kSogNotAvailable : static_cast<int16_t>(sog * 10);
  r.RawCog = cog >= 360 || cog == kLongRangeCogNotAvailable ? kCogNotAvailable : static_cast<int16_t>(cog * 10);
  r.RawHdg = kHdgNotAvailable;
  r.RawRot = kRotNotAvailable;
  r.RawSec = kSecNotAvailable;
  r.RawStations = kStationsNotAvailable;
  r.PosState = kPosReported;
  s.statics.MsgNo = 27;
  StoreStatic(s.index, s.statics);
  StoreReport(s.index, r, kSpeedTenths, true);
  if (StationNote* n = notes_.Take(s.index, table_.Entry(s.index)->MMSI)) n->longRange = true;
  return 0;
}

void MessageDecoders::NoteFineReport(int index) {
  StationNote* n = notes_.Take(index, table_.Entry(index)->MMSI);
  if (n == nullptr) return;
  n->fineHeard = true;
  n->fineTick = table_.TableClock().TickMs();
  n->longRange = false;
}

}  // namespace aismon
