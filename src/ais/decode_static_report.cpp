// Message 24: class B static data report, part A (name) or part B (type, vendor, call sign, size).
#include "ais/decoder_bits.h"
#include "ais/message_decoders.h"
#include "ais/vdx_assembly.h"
#include "shipdb/ship_table.h"

namespace aismon {

int MessageDecoders::DecodeStaticReport(const AisPayload& p, int /*bitLength*/, int mode) {
  if (mode != kOtherShipsMode) return 0;
  // Part numbers 2 and 3 are heard on air with another layout; read as part B they would
  // put garbage over a ship's call sign, type and size.
  const int32_t part = Bits(p, 39, 40);
  if (part > 1) return 0;
  Station s;
  Load(table_.FindOrAddShip(MessageMmsi(p)), s);
  DbStatic& st = s.statics;
  if (part == 0) {
    DecodeText(st.Name, p, 41, 20);
  } else {
    st.Type = Bits16(p, 41, 48);
    DecodeText(st.Vendor, p, 49, 7);
    DecodeText(st.Sign, p, 91, 7);
    st.AntA = Bits16(p, 133, 141);
    st.AntB = Bits16(p, 142, 150);
    st.AntC = Bits16(p, 151, 156);
    st.AntD = Bits16(p, 157, 162);
  }
  st.MsgNo = 24;
  if (s.raw.PosState == kPosNothing) s.raw.PosState = kPosStaticOnly;
  StoreStatic(s.index, st);
  StoreReport(s.index, s.raw, kSpeedTenths, false);
  return 0;
}

}  // namespace aismon
