#include "ais/duplicate_filter.h"

namespace aismon {

namespace {

constexpr uint64_t kFnvOffset = 14695981039346656037ull;
constexpr uint64_t kFnvPrime = 1099511628211ull;

uint64_t Mix(uint64_t h, uint8_t byte) { return (h ^ byte) * kFnvPrime; }

}  // namespace

DuplicateFilter::DuplicateFilter() : places_(new Place[kBuckets * kWays]()) {}

uint64_t DuplicateFilter::Digest(const AisPayload& p, int payloadBytes, int mode) {
  uint64_t h = kFnvOffset;
  h = Mix(h, static_cast<uint8_t>(mode));
  for (int k = 0; k < 4; ++k) h = Mix(h, static_cast<uint8_t>(static_cast<uint32_t>(p.bitLength) >> (8 * k)));
  if (payloadBytes > kPayloadBytes) payloadBytes = kPayloadBytes;
  for (int i = 0; i < payloadBytes; ++i) {
    uint8_t b = p.bytes[i];
    // Only the message's bits count: the fill bits after them are not part of it.
    const int bitsBefore = 8 * i;
    if (p.bitLength >= bitsBefore && p.bitLength < bitsBefore + 8)
      b &= static_cast<uint8_t>(0xFF00u >> (p.bitLength - bitsBefore));
    h = Mix(h, b);
  }
  // Finalised so that the bucket (low bits) depends on every byte.
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdull;
  h ^= h >> 33;
  return h;
}

bool DuplicateFilter::Seen(uint64_t digest, uint32_t now) const {
  const Place* bucket = places_.get() + (digest % kBuckets) * kWays;
  for (int w = 0; w < kWays; ++w)
    if (bucket[w].used && bucket[w].digest == digest && now - bucket[w].tick < kDuplicateWindowMs) return true;
  return false;
}

void DuplicateFilter::Remember(uint64_t digest, uint32_t now) {
  Place* bucket = places_.get() + (digest % kBuckets) * kWays;
  Place* place = &bucket[0];
  for (int w = 0; w < kWays; ++w) {
    Place& c = bucket[w];
    if (c.used && c.digest == digest) {
      place = &c;
      break;
    }
    if (!c.used) {
      if (place->used) place = &c;
    } else if (place->used && now - c.tick > now - place->tick) {
      place = &c;
    }
  }
  *place = Place{digest, now, true};
}

}  // namespace aismon
