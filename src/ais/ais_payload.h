#pragma once
// The six-bit AIS payload: de-armouring of the sentence text into packed bits, and the
// field and text readers every decoder uses. Bit positions are 1-based: bit 1 is the top
// bit of byte 0 (one more than the 0-based offsets of ITU-R M.1371).
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace aismon {

inline constexpr int kPayloadBytes = 256;
inline constexpr int kPayloadBits = kPayloadBytes * 8;

struct AisPayload {
  uint8_t bytes[kPayloadBytes];
  int32_t bitLength;
};

// Index = six-bit value. Value 28 is '|' where ITU-R M.1371 has a backslash.
inline constexpr char kSixBitAlphabet[] =
    "@ABCDEFGHIJKLMNOPQRSTUVWXYZ[|]^_ !\"#$%&'()*+,-./0123456789:;<=>?";
static_assert(sizeof(kSixBitAlphabet) == 65);

// Six-bit value of an armoured payload character, or -1.
int SixBitValue(unsigned char c);

// Packs the six-bit values of text[0..length) into out (out must hold 6*length/8 bytes,
// rounded up; bytes beyond the last written one are not touched). Returns the number of
// bytes begun, or -1 at the first character that is not a payload character, or when the
// result would not fit outSize.
int Dearmour(const char* text, int length, uint8_t* out, int outSize);

// The field from bit first to bit last inclusive (at most 32 bits; a wider field gives
// its low 32 bits). Bits beyond the payload buffer read as 0. signed: two's complement.
// Inline: the decoders' constant bit positions then fold into a load and two shifts.
inline int32_t GetBits(const AisPayload& p, int first, int last, bool isSigned) {
  if (first < 1 || last < first) return 0;
  if (last - first >= 32) first = last - 31;  // the low 32 bits of a wider field
  const int width = last - first + 1;
  const int firstByte = (first - 1) / 8;
  uint64_t window = 0;  // eight bytes from the field's first byte, big-endian
  if (firstByte + 8 <= kPayloadBytes) {
    std::memcpy(&window, p.bytes + firstByte, 8);
    window = __builtin_bswap64(window);
  } else {
    for (int k = 0; k < 8; ++k) window = (window << 8) | (firstByte + k < kPayloadBytes ? p.bytes[firstByte + k] : 0u);
  }
  // The field starts at most 7 bits into the window and is at most 32 bits wide.
  uint32_t value = static_cast<uint32_t>((window << ((first - 1) % 8)) >> (64 - width));
  if (isSigned && width < 32 && (value >> (width - 1)) != 0) value |= ~uint32_t{0} << width;
  return static_cast<int32_t>(value);
}

// Overwrites bits first..last (at most 32) with the low bits of value.
void SetBits(AisPayload& p, int first, int last, uint32_t value);

// Reads count six-bit characters from bit first into out (count + 1 bytes), '@' as a
// space, then a terminating zero. Nothing is trimmed.
void DecodeText(char* out, const AisPayload& p, int first, int count);

// The number of received stations from a SOTDMA communication state beginning at bit
// start, or -1 when its slot time-out is not 3, 5 or 7.
int32_t ReceivedStations(const AisPayload& p, int start);

}  // namespace aismon
