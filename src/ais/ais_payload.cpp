#include "ais/ais_payload.h"

#include <cstring>

namespace aismon {


namespace {
// Six-bit value of every byte, or -1: one lookup per payload character.
struct SixBitTable {
  int8_t value[256];
  constexpr SixBitTable() : value() {
    for (int c = 0; c < 256; ++c) value[c] = static_cast<int8_t>(c >= 48 && c <= 87 ? c - 48 : c >= 96 && c <= 119 ? c - 56 : -1);
  }
};
constexpr SixBitTable kSixBit;
}  // namespace

int SixBitValue(unsigned char c) { return kSixBit.value[c]; }

int Dearmour(const char* text, int length, uint8_t* out, int outSize) {
  if (length < 0) return -1;
  const int bytes = (length * 6 + 7) / 8;
  if (bytes > outSize) return -1;
  const auto* in = reinterpret_cast<const unsigned char*>(text);
  int i = 0, j = 0;
  // Four characters make three bytes.
  for (; i + 4 <= length; i += 4, j += 3) {
    const int a = kSixBit.value[in[i]], b = kSixBit.value[in[i + 1]];
    const int c = kSixBit.value[in[i + 2]], d = kSixBit.value[in[i + 3]];
    if ((a | b | c | d) < 0) return -1;
    const uint32_t v = static_cast<uint32_t>(a << 18 | b << 12 | c << 6 | d);
    out[j] = static_cast<uint8_t>(v >> 16);
    out[j + 1] = static_cast<uint8_t>(v >> 8);
    out[j + 2] = static_cast<uint8_t>(v);
  }
  uint32_t acc = 0;
  int accBits = 0;
  for (; i < length; ++i) {
    const int v = kSixBit.value[in[i]];
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

void SetBits(AisPayload& p, int first, int last, uint32_t value) {
  if (first < 1 || last < first || last - first >= 32) return;
  const int width = last - first + 1;
  const int firstByte = (first - 1) / 8;
  if (firstByte + 8 > kPayloadBytes) {
    for (int bit = last; bit >= first; --bit, value >>= 1) {
      const int byte = (bit - 1) / 8;
      if (byte >= kPayloadBytes) continue;
      const uint8_t mask = static_cast<uint8_t>(0x80u >> ((bit - 1) % 8));
      p.bytes[byte] = static_cast<uint8_t>(value & 1u ? p.bytes[byte] | mask : p.bytes[byte] & ~mask);
    }
    return;
  }
  // The same eight-byte window the reader uses, written back whole.
  uint64_t window;
  std::memcpy(&window, p.bytes + firstByte, 8);
  window = __builtin_bswap64(window);
  const int shift = 64 - ((first - 1) % 8) - width;
  const uint64_t mask = ((uint64_t{1} << width) - 1u) << shift;
  window = (window & ~mask) | ((static_cast<uint64_t>(value) << shift) & mask);
  window = __builtin_bswap64(window);
  std::memcpy(p.bytes + firstByte, &window, 8);
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
