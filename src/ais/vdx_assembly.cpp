#include "ais/vdx_assembly.h"

#include <cstring>

#include "ais/ais_payload.h"
#include "ais/message_decoders.h"
#include "shipdb/ship_table.h"

namespace aismon {

namespace {
// Fragment count, number and fill bits are single digits; an empty field's first
// character is its terminator, which gives a meaningless but harmless value.
int DigitOf(const SentenceRecord& r, int field) { return static_cast<unsigned char>(*r.FieldText(field)) - '0'; }
}  // namespace

void VdxAssembler::GoIdle() {
  state_.expectedCount = 0;
  state_.lastNumber = 0;
  state_.gatheredLength = 0;
  state_.gathered[0] = '\0';
}

bool VdxAssembler::TakeFragment(int count, int number, const char* payload, int length) {
  const int start = number == 1 ? 0 : state_.gatheredLength;
  if (start + length > kGatheredBytes - 1) {
    GoIdle();  // the whole message is dropped rather than cut
    return false;
  }
  state_.expectedCount = count;
  state_.lastNumber = number;
  std::memcpy(state_.gathered + start, payload, static_cast<size_t>(length));
  state_.gatheredLength = start + length;
  state_.gathered[state_.gatheredLength] = '\0';
  return true;
}

int VdxAssembler::AssembleVdx(const SentenceRecord& r, int mode) {
  const int count = DigitOf(r, 0);
  const int number = DigitOf(r, 1);
  const int fill = DigitOf(r, 5);
  const std::string_view payload = r.Field(4);
  const int length = static_cast<int>(payload.size());

  if (count != 1) {
    // A break in continuity discards what was gathered; a first fragment starts anew.
    if ((state_.expectedCount != 0 && state_.expectedCount != count) || state_.lastNumber + 1 != number) {
      GoIdle();
      if (number == 1) TakeFragment(count, number, payload.data(), length);
      return 0;
    }
  }
  if (!TakeFragment(count, number, payload.data(), length)) return 0;
  if (count != number) return 0;

  AisPayload p;
  std::memset(p.bytes, 0, sizeof p.bytes);  // fields beyond a short message read zeros
  if (Dearmour(state_.gathered, state_.gatheredLength, p.bytes, kPayloadBytes) < 0) {
    GoIdle();
    return 0;
  }
  p.bitLength = state_.gatheredLength * 6 - fill;

  const int32_t mmsi = GetBits(p, 9, 38, false);
  if (mode == kOwnShipMode) {
    // Only a VDO with a channel letter names own ship.
    if (std::strstr(r.text, ",A,") != nullptr || std::strstr(r.text, ",B,") != nullptr) {
      DbDynamic own;
      table_.GetOwnShip(own);
      table_.OwnMMSI = mmsi;
      own.MMSI = mmsi;
      table_.PutOwnShip(own);
    }
  } else if (mmsi == table_.OwnMMSI) {
    // Own transmissions heard as VDM become a separate station, never own ship.
    SetBits(p, 9, 38, static_cast<uint32_t>(kOwnEchoMMSI));
  }
  decoders_.DispatchMessage(p, p.bitLength, mode);
  GoIdle();
  return 0;
}

}  // namespace aismon
