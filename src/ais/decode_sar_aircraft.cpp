// Message 9: standard search and rescue aircraft position report.
#include "ais/decoder_bits.h"
#include "ais/message_decoders.h"
#include "ais/vdx_assembly.h"
#include "shipdb/ship_table.h"

namespace aismon {

int MessageDecoders::DecodeSarAircraft(const AisPayload& p, int /*bitLength*/, int mode) {
  // Looked up in both modes: a VDO message 9 creates or finds its entry and stores nothing.
  Station s;
  Load(table_.FindOrAddShip(MessageMmsi(p)), s);
  RawReport& r = s.raw;
  r.RawLat = SignedBits(p, 90, 116);
  r.RawLon = SignedBits(p, 62, 89);
  r.RawSog = Bits16(p, 51, 60);  // whole knots
  r.RawCog = Bits16(p, 117, 128);
  r.RawHdg = kHdgNotAvailable;
  r.RawRot = kRotNotAvailable;
  r.RawNavStat = kNavStatNotCarried;
  r.RawPosAcc = Bits16(p, 61, 61);
  r.RawSec = Bits16(p, 129, 134);
  r.RawRaim = Bits16(p, 148, 148);
  if (Bits(p, 149, 149) == 0) r.RawStations = static_cast<int16_t>(ReceivedStations(p, 150));  // SOTDMA
  r.PosState = kPosReported;
  s.statics.Alt = Bits16(p, 39, 50);
  s.statics.MsgNo = 9;
  if (mode != kOtherShipsMode) return 0;
  StoreStatic(s.index, s.statics);
  StoreReport(s.index, r, kSpeedKnots, true);
  return 0;
}

}  // namespace aismon
