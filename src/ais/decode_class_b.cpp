// Messages 18 and 19: class B position reports, standard and extended.
#include <cstring>

#include "ais/decoder_bits.h"
#include "ais/message_decoders.h"
#include "ais/vdx_assembly.h"
#include "shipdb/ship_table.h"

namespace aismon {

namespace {
// The position fields both messages share.
void ReadClassBPosition(const AisPayload& p, RawReport& r) {
  r.RawLat = SignedBits(p, 86, 112);
  r.RawLon = SignedBits(p, 58, 85);
  r.RawSog = Bits16(p, 47, 56);
  r.RawCog = Bits16(p, 113, 124);
  r.RawHdg = Bits16(p, 125, 133);
  r.RawPosAcc = Bits16(p, 57, 57);
  r.RawSec = Bits16(p, 134, 139);
  r.PosState = kPosReported;
}
}  // namespace

int MessageDecoders::DecodeClassB(const AisPayload& p, int /*bitLength*/, int mode) {
  if (mode != kOtherShipsMode) return 0;
  Station s;
  Load(table_.FindOrAddShip(MessageMmsi(p)), s);
  RawReport& r = s.raw;
  ReadClassBPosition(p, r);  // rate of turn and status keep their table values
  r.RawRaim = Bits16(p, 148, 148);
  if (Bits(p, 149, 149) == 0) r.RawStations = static_cast<int16_t>(ReceivedStations(p, 150));  // SOTDMA
  s.statics.MsgNo = 18;
  StoreStatic(s.index, s.statics);
  StoreReport(s.index, r, kSpeedTenths, true);
  NoteFineReport(s.index);
  return 0;
}

int MessageDecoders::DecodeClassBExtended(const AisPayload& p, int /*bitLength*/, int mode) {
  if (mode != kOtherShipsMode) return 0;
  Station s;
  Load(table_.FindOrAddShip(MessageMmsi(p)), s);
  ReadClassBPosition(p, s.raw);
  s.raw.RawRaim = Bits16(p, 306, 306);  // after the position-fixing device type
  DbStatic& st = s.statics;
  if (st.Imo != 0) {
    // The record held class A data: its remark and watch mark no longer apply.
    std::memset(st.Memo, 0, sizeof st.Memo);
    st.Watch = 0;
  }
  st.Ver = 0;
  st.Imo = 0;
  DecodeText(st.Name, p, 144, 20);
  st.Type = Bits16(p, 264, 271);
  st.AntA = Bits16(p, 272, 280);
  st.AntB = Bits16(p, 281, 289);
  st.AntC = Bits16(p, 290, 295);
  st.AntD = Bits16(p, 296, 301);
  st.Device = Bits16(p, 302, 305);
  st.Draught = 0;
  st.Dte = Bits16(p, 307, 307);
  st.EtaMM = 1;
  st.EtaDD = 1;
  st.EtaHH = 0;
  st.EtaMN = 0;
  st.MsgNo = 19;
  StoreStatic(s.index, st);
  StoreReport(s.index, s.raw, kSpeedTenths, true);
  NoteFineReport(s.index);
  return 0;
}

}  // namespace aismon
