#pragma once
// Short forms for the decoders, so each field reads like a line of the message table.
#include "ais/ais_payload.h"

namespace aismon {

inline int32_t Bits(const AisPayload& p, int first, int last) { return GetBits(p, first, last, false); }
inline int32_t SignedBits(const AisPayload& p, int first, int last) { return GetBits(p, first, last, true); }
inline int16_t Bits16(const AisPayload& p, int first, int last) {
  return static_cast<int16_t>(GetBits(p, first, last, false));
}
inline int16_t SignedBits16(const AisPayload& p, int first, int last) {
  return static_cast<int16_t>(GetBits(p, first, last, true));
}
inline int32_t MessageMmsi(const AisPayload& p) { return GetBits(p, 9, 38, false); }

}  // namespace aismon
