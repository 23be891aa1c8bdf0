// Messages 1, 2, 3: class A position report.
#include "ais/decoder_bits.h"
#include "ais/message_decoders.h"
#include "ais/vdx_assembly.h"
#include "shipdb/ship_table.h"

namespace aismon {

int MessageDecoders::DecodeClassA(int number, const AisPayload& p, int mode) {
  // A VDO report is own ship's, whatever MMSI it carries.
  Station s;
  Load(mode == kOtherShipsMode ? table_.FindOrAddShip(MessageMmsi(p)) : 0, s);
  RawReport& r = s.raw;
  r.RawLat = SignedBits(p, 90, 116);
  r.RawLon = SignedBits(p, 62, 89);
  r.RawSog = Bits16(p, 51, 60);
  r.RawCog = Bits16(p, 117, 128);
  r.RawHdg = Bits16(p, 129, 137);
  r.RawRot = SignedBits16(p, 43, 50);
  r.RawNavStat = Bits16(p, 39, 42);
  r.RawPosAcc = Bits16(p, 61, 61);
  r.RawSec = Bits16(p, 138, 143);
  r.RawRaim = Bits16(p, 149, 149);
  r.RawStations = kStationsNotAvailable;
  if (number == 1 || number == 2) r.RawStations = static_cast<int16_t>(ReceivedStations(p, 150));  // SOTDMA only
  r.PosState = kPosReported;
  s.statics.MsgNo = static_cast<int16_t>(number);
  StoreStatic(s.index, s.statics);
  StoreReport(s.index, r, kSpeedTenths, true);
  if (mode == kOtherShipsMode) NoteFineReport(s.index);
  return 0;
}

}  // namespace aismon
