// Message 5: static and voyage related data (class A).
#include "ais/decoder_bits.h"
#include "ais/message_decoders.h"
#include "ais/vdx_assembly.h"
#include "shipdb/ship_table.h"

namespace aismon {

int MessageDecoders::DecodeStaticVoyage(const AisPayload& p, int /*bitLength*/, int mode) {
  if (mode != kOtherShipsMode) return 0;
  Station s;
  Load(table_.FindOrAddShip(MessageMmsi(p)), s);
  DbStatic& st = s.statics;
  st.Ver = Bits16(p, 39, 40);
  st.Imo = Bits(p, 41, 70);
  DecodeText(st.Sign, p, 71, 7);
  DecodeText(st.Name, p, 113, 20);
  st.Type = Bits16(p, 233, 240);
  st.AntA = Bits16(p, 241, 249);
  st.AntB = Bits16(p, 250, 258);
  st.AntC = Bits16(p, 259, 264);
  st.AntD = Bits16(p, 265, 270);
  st.Device = Bits16(p, 271, 274);
  st.EtaMM = Bits16(p, 275, 278);
  st.EtaDD = Bits16(p, 279, 283);
  st.EtaHH = Bits16(p, 284, 288);
  st.EtaMN = Bits16(p, 289, 294);
  st.Draught = Bits16(p, 295, 302);
  DecodeText(st.Dest, p, 303, 20);
  st.Dte = Bits16(p, 423, 423);
  st.Person = 0;
  st.MsgNo = 5;
  if (s.raw.PosState == kPosNothing) s.raw.PosState = kPosStaticOnly;
  StoreStatic(s.index, st);
  StoreReport(s.index, s.raw, kSpeedTenths, false);
  return 0;
}

}  // namespace aismon
