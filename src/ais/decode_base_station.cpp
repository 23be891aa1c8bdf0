// Message 4: base station report.
#include "ais/decoder_bits.h"
#include "ais/message_decoders.h"
#include "ais/vdx_assembly.h"
#include "shipdb/ship_table.h"

namespace aismon {

int MessageDecoders::DecodeBaseStation(const AisPayload& p, int /*bitLength*/, int mode) {
  // Looked up in both modes: a VDO message 4 creates or finds its entry and stores nothing.
  Station s;
  Load(table_.FindOrAddShip(MessageMmsi(p)), s);
  RawReport& r = s.raw;
  const int32_t lat = SignedBits(p, 108, 134);
  const int32_t lon = SignedBits(p, 80, 107);
  r.RawLat = lat;
  r.RawLon = lon;
  r.RawSog = kSogNotAvailable;
  r.RawCog = kCogNotAvailable;
  r.RawHdg = kHdgNotAvailable;
  r.RawRot = kRotNotAvailable;
  r.RawNavStat = kNavStatNotCarried;
  r.RawPosAcc = Bits16(p, 79, 79);
  r.RawSec = Bits16(p, 73, 78);
  r.RawRaim = Bits16(p, 149, 149);
  r.RawStations = static_cast<int16_t>(ReceivedStations(p, 150));
  r.PosState = kPosReported;
  s.statics.MsgNo = 4;
  s.statics.BsLat = (lat >= -54000000 && lat <= 54000000) ? lat / 600000.0 : 54600000.0;
  s.statics.BsLon = (lon >= -108000000 && lon <= 108000000) ? lon / 600000.0 : 108600000.0;
  if (mode != kOtherShipsMode) return 0;
  StoreStatic(s.index, s.statics);
  StoreReport(s.index, r, kSpeedTenths, true);
  return 0;
}

}  // namespace aismon
