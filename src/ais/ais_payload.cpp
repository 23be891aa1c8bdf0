#include "ais/ais_payload.h"

namespace aismon {

int SixBitValue(unsigned char c) {
  if (c >= 48 && c <= 87) return c - 48;
  if (c >= 96 && c <= 119) return c - 56;
  return -1;
}

int Dearmour(const char* text, int length, uint8_t* out, int outSize) {
  if (length < 0) return -1;
  const int bytes = (length * 6 + 7) / 8;
  if (bytes > outSize) return -1;
  // Continuous big-endian bit string: every character adds its six bits after the last.
  uint32_t acc = 0;
  int accBits = 0;
  int j = 0;
  for (int i = 0; i < length; ++i) {
    const int v = SixBitValue(static_cast<unsigned char>(text[i]));
    if (v < 0) return -1;
    acc = (acc << 6) | static_cast<uint32_t>(v);
    accBits += 6;
    if (accBits >= 8) {
      accBits -= 8;
      out[j++] = static_cast<uint8_t>(acc >> accBits);
      acc &= (1u << accBits) - 1u;
    }
  }
  if (accBits > 0) out[j++] = static_cast<uint8_t>(acc << (8 - accBits));
  return j;
}

int32_t GetBits(const AisPayload& p, int first, int last, bool isSigned) {
  if (first < 1 || last < first) return 0;
  if (last - first >= 32) first = last - 31;  // the low 32 bits of a wider field
  const int width = last - first + 1;
  const int firstByte = (first - 1) / 8;
  const int lastByte = (last - 1) / 8;
  uint64_t acc = 0;
  for (int b = firstByte; b <= lastByte; ++b) acc = (acc << 8) | (b < kPayloadBytes ? p.bytes[b] : 0u);
  acc >>= 7 - (last - 1) % 8;
  uint32_t value = static_cast<uint32_t>(acc & ((uint64_t{1} << width) - 1u));
  if (isSigned && width < 32 && (value >> (width - 1)) != 0) value |= ~uint32_t{0} << width;
  return static_cast<int32_t>(value);
}

void SetBits(AisPayload& p, int first, int last, uint32_t value) {
  if (first < 1 || last < first || last - first >= 32) return;
  for (int bit = last; bit >= first; --bit, value >>= 1) {
    const int byte = (bit - 1) / 8;
    if (byte >= kPayloadBytes) continue;
    const uint8_t mask = static_cast<uint8_t>(0x80u >> ((bit - 1) % 8));
    if (value & 1u)
      p.bytes[byte] |= mask;
    else
      p.bytes[byte] &= static_cast<uint8_t>(~mask);
  }
}

void DecodeText(char* out, const AisPayload& p, int first, int count) {
  for (int i = 0; i < count; ++i) {
    const int v = GetBits(p, first + 6 * i, first + 6 * i + 5, false);
    out[i] = v == 0 ? ' ' : kSixBitAlphabet[v];
  }
  out[count < 0 ? 0 : count] = '\0';
}

int32_t ReceivedStations(const AisPayload& p, int start) {
  const int32_t timeout = GetBits(p, start + 2, start + 4, false);
  if (timeout == 3 || timeout == 5 || timeout == 7) return GetBits(p, start + 5, start + 18, false);
  return -1;
}

}  // namespace aismon
