// Message 21: aid-to-navigation report.
#include <algorithm>

#include "ais/decoder_bits.h"
#include "ais/message_decoders.h"
#include "ais/vdx_assembly.h"
#include "shipdb/ship_table.h"

namespace aismon {

namespace {
constexpr int kFixedPartBits = 272;    // everything before the name extension
constexpr int kNameExtensionMax = 14;  // characters that Name2 holds
// Whole characters after the fixed part, at any length; six spare bits that pad the message
// to a byte boundary read as "@", which becomes a trailing space.
int NameExtensionLength(int bitLength) {
  return std::clamp((bitLength - kFixedPartBits) / 6, 0, kNameExtensionMax);
}
}  // namespace

int MessageDecoders::DecodeAidToNavigation(const AisPayload& p, int bitLength, int mode) {
  if (mode != kOtherShipsMode) return 0;
  Station s;
  Load(table_.FindOrAddShip(MessageMmsi(p)), s);
  DbStatic& st = s.statics;
  st.Aids = Bits16(p, 39, 43);
  DecodeText(st.Name1, p, 44, 20);
  st.AntA = Bits16(p, 220, 228);
  st.AntB = Bits16(p, 229, 237);
  st.AntC = Bits16(p, 238, 243);
  st.AntD = Bits16(p, 244, 249);
  st.OffPosi = Bits16(p, 260, 260);
  st.Virtual = Bits16(p, 270, 270);
  DecodeText(st.Name2, p, 273, NameExtensionLength(bitLength));
  st.MsgNo = 21;
  RawReport& r = s.raw;
  r.RawLat = SignedBits(p, 193, 219);
  r.RawLon = SignedBits(p, 165, 192);
  r.RawSog = kSogNotAvailable;
  r.RawCog = kCogNotAvailable;
  r.RawHdg = kHdgNotAvailable;
  r.RawRot = kRotNotAvailable;
  r.RawNavStat = kNavStatNotCarried;
  r.RawPosAcc = Bits16(p, 164, 164);
  r.RawSec = Bits16(p, 254, 259);
  r.RawRaim = Bits16(p, 269, 269);
  r.PosState = kPosReported;
  StoreStatic(s.index, st);
  StoreReport(s.index, r, kSpeedTenths, true);
  return 0;
}

}  // namespace aismon
