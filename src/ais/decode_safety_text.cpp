// Messages 12 (addressed safety-related message) and 14 (safety-related broadcast).
#include <algorithm>

#include "ais/decoder_bits.h"
#include "ais/message_decoders.h"

namespace aismon {

int MessageDecoders::DecodeSafetyText(int number, const AisPayload& p, int bitLength, int mode) {
  if (mode == 0 || !safetyHook_) return 0;  // own ship's transmissions are not news to it
  SafetyText& s = safety_;
  s.number = number;
  s.mmsi = MessageMmsi(p);
  // Message 12: sequence 39-40, destination 41-70, retransmit 71, spare 72, text from 73.
  // Message 14: spare 39-40, text from 41.
  const int first = number == 12 ? 73 : 41;
  s.destMmsi = number == 12 ? Bits(p, 41, 70) : 0;
  const int count = std::clamp((bitLength - (first - 1)) / 6, 0, kSafetyTextChars);
  DecodeText(s.text, p, first, count);
  int n = count;
  while (n > 0 && s.text[n - 1] == ' ') --n;
  s.text[n] = '\0';
  safetyHook_(s);
  return 0;
}

}  // namespace aismon
