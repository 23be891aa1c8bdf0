#include "ais/ais_payload.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "tests/support/payload_builder.h"

namespace aismon {
namespace {

AisPayload Dearmoured(const std::string& text) {
  AisPayload p;
  std::memset(p.bytes, 0, sizeof p.bytes);
  p.bitLength = Dearmour(text.data(), static_cast<int>(text.size()), p.bytes, kPayloadBytes) < 0
                    ? -1
                    : static_cast<int>(text.size()) * 6;
  return p;
}

TEST(AisPayloadTest, TheMessageOneExample) {
  const std::string text = "16K3UQP00:9cqTRCjRU7<5Pb08=@";
  AisPayload p;
  std::memset(p.bytes, 0xEE, sizeof p.bytes);
  EXPECT_EQ(Dearmour(text.data(), 28, p.bytes, kPayloadBytes), 21);  // 168 bits
  EXPECT_EQ(p.bytes[21], 0xEE);                                       // bytes beyond are untouched
  EXPECT_EQ(GetBits(p, 1, 6, false), 1);
  EXPECT_EQ(GetBits(p, 9, 38, false), 431023494);
}

TEST(AisPayloadTest, SixBitValueRanges) {
  struct Row {
    char c;
    int value;
  } rows[] = {{'0', 0}, {'9', 9}, {':', 10}, {'@', 16}, {'W', 39}, {'`', 40}, {'a', 41}, {'w', 63},
              {'X', -1}, {'x', -1}, {'/', -1}, {'_', -1}, {' ', -1}, {'\0', -1}, {'\x80', -1}, {'\xff', -1}};
  for (const Row& r : rows) EXPECT_EQ(SixBitValue(static_cast<unsigned char>(r.c)), r.value) << r.c;
}

TEST(AisPayloadTest, DearmourRefusesNonPayloadCharactersAndOverflow) {
  uint8_t out[8] = {};
  EXPECT_EQ(Dearmour("1X2", 3, out, 8), -1);
  EXPECT_EQ(Dearmour("1x2", 3, out, 8), -1);
  EXPECT_EQ(Dearmour("", 0, out, 8), 0);
  EXPECT_EQ(Dearmour("00000000000", 11, out, 8), -1);  // 66 bits need 9 bytes
  EXPECT_EQ(Dearmour("0000000000", 10, out, 8), 8);    // 60 bits fit 8
}

TEST(AisPayloadTest, GetBitsSignExtension) {
  AisPayload p{};
  p.bytes[0] = 0x80;  // a 28-bit field whose only set bit is its top bit
  EXPECT_EQ(GetBits(p, 1, 28, true), -134217728);
  EXPECT_EQ(GetBits(p, 1, 28, false), 134217728);
  EXPECT_EQ(GetBits(p, 1, 1, true), -1);
  std::memset(p.bytes, 0xFF, 4);
  EXPECT_EQ(GetBits(p, 1, 32, true), -1);
  EXPECT_EQ(GetBits(p, 1, 32, false), -1);  // all 32 bits as the same int32 pattern
}

TEST(AisPayloadTest, GetBitsNeverReadsOutsideThePayload) {
  AisPayload p;
  std::memset(p.bytes, 0xFF, sizeof p.bytes);
  EXPECT_EQ(GetBits(p, kPayloadBits - 3, kPayloadBits, false), 15);
  EXPECT_EQ(GetBits(p, kPayloadBits - 3, kPayloadBits + 4, false), 15 << 4);  // past the end reads 0
  EXPECT_EQ(GetBits(p, kPayloadBits + 1, kPayloadBits + 30, false), 0);
  EXPECT_EQ(GetBits(p, 2000000000, 2000000010, false), 0);
  EXPECT_EQ(GetBits(p, 0, 5, false), 0);
  EXPECT_EQ(GetBits(p, -40, 5, false), 0);
  EXPECT_EQ(GetBits(p, 9, 8, false), 0);
  // A field wider than 32 bits gives its low 32 bits.
  std::memset(p.bytes, 0, sizeof p.bytes);
  p.bytes[0] = 0xFF;
  p.bytes[5] = 0x01;
  EXPECT_EQ(GetBits(p, 1, 48, false), 0x00000001);
}

TEST(AisPayloadTest, GetBitsReadsWhatWasPlacedAnywhere) {
  // Fields placed by an independent encoder at random positions and widths read back.
  std::mt19937 rng(12345);
  for (int round = 0; round < 2000; ++round) {
    const int width = 1 + static_cast<int>(rng() % 32);
    const int first = 1 + static_cast<int>(rng() % 400);
    const int last = first + width - 1;
    const uint32_t raw = static_cast<uint32_t>(rng()) & (width == 32 ? 0xFFFFFFFFu : ((1u << width) - 1u));
    testing::PayloadBuilder b(((last + 5) / 6) * 6);
    b.Set(first, last, raw);
    const AisPayload p = Dearmoured(b.Armoured());
    ASSERT_EQ(static_cast<uint32_t>(GetBits(p, first, last, false)), raw) << first << ".." << last;
    const int64_t expectSigned =
        width < 32 && (raw >> (width - 1)) ? static_cast<int64_t>(raw) - (int64_t{1} << width)
                                           : static_cast<int64_t>(static_cast<int32_t>(raw));
    ASSERT_EQ(GetBits(p, first, last, true), expectSigned) << first << ".." << last;
  }
}

TEST(AisPayloadTest, SetBitsTouchesOnlyItsField) {
  AisPayload p;
  std::memset(p.bytes, 0xA5, sizeof p.bytes);
  SetBits(p, 9, 38, 987650000u);
  EXPECT_EQ(GetBits(p, 9, 38, false), 987650000);
  EXPECT_EQ(p.bytes[0], 0xA5);
  EXPECT_EQ(GetBits(p, 39, 48, false), GetBits(AisPayload{{0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5}, 0}, 39, 48, false));
}

TEST(AisPayloadTest, SetBitsThenGetBitsAnywhere) {
  std::mt19937 rng(777);
  for (int round = 0; round < 3000; ++round) {
    const int width = 1 + static_cast<int>(rng() % 32);
    const int first = 1 + static_cast<int>(rng() % (kPayloadBits - width + 1));
    const int last = first + width - 1;
    const uint32_t v = static_cast<uint32_t>(rng()) & (width == 32 ? 0xFFFFFFFFu : (1u << width) - 1u);
    AisPayload p;
    for (uint8_t& b : p.bytes) b = static_cast<uint8_t>(rng());
    AisPayload before = p;
    SetBits(p, first, last, v);
    ASSERT_EQ(static_cast<uint32_t>(GetBits(p, first, last, false)), v) << first << ".." << last;
    // Every bit outside the field is unchanged.
    for (int bit = 1; bit <= kPayloadBits; bit += 1) {
      if (bit >= first && bit <= last) continue;
      ASSERT_EQ(GetBits(p, bit, bit, false), GetBits(before, bit, bit, false)) << "bit " << bit;
    }
  }
}

TEST(AisPayloadTest, DecodeTextAlphabet) {
  testing::PayloadBuilder b(18);
  b.Set(1, 6, 0).Set(7, 12, 28).Set(13, 18, 32);
  const AisPayload p = Dearmoured(b.Armoured());
  char out[4];
  DecodeText(out, p, 1, 3);
  EXPECT_STREQ(out, " | ");
  testing::PayloadBuilder all(64 * 6);
  for (int v = 0; v < 64; ++v) all.Set(1 + 6 * v, 6 + 6 * v, v);
  const AisPayload q = Dearmoured(all.Armoured());
  char text[65];
  DecodeText(text, q, 1, 64);
  EXPECT_STREQ(text, " ABCDEFGHIJKLMNOPQRSTUVWXYZ[|]^_ !\"#$%&'()*+,-./0123456789:;<=>?");
}

TEST(AisPayloadTest, ReceivedStationsOnlyForTimeoutsThreeFiveSeven) {
  for (int timeout = 0; timeout < 8; ++timeout) {
    testing::PayloadBuilder b(168);
    b.Set(152, 154, timeout).Set(155, 168, 384);
    const AisPayload p = Dearmoured(b.Armoured());
    const bool carries = timeout == 3 || timeout == 5 || timeout == 7;
    EXPECT_EQ(ReceivedStations(p, 150), carries ? 384 : -1) << "timeout " << timeout;
  }
}

}  // namespace
}  // namespace aismon
