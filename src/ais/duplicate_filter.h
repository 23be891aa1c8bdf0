#pragma once
// Recently decoded messages, by a digest of their bits, so that the same transmission
// heard by several receivers (or twice by one) is decoded once. A fixed set-associative
// table: a digest has a bucket of a few places; the place decoded longest ago gives way,
// so a flood can at worst let a duplicate through, never refuse a new message.
#include <cstdint>
#include <memory>

#include "ais/ais_payload.h"

namespace aismon {

inline constexpr uint32_t kDuplicateWindowMs = 5000;

class DuplicateFilter {
 public:
  DuplicateFilter();

  // The digest of a message: its bits (bitLength of them, from payloadBytes bytes) and
  // the mode, so that own ship's VDO and a VDM never match each other.
  static uint64_t Digest(const AisPayload& p, int payloadBytes, int mode);

  // True when digest was remembered within the window before now.
  bool Seen(uint64_t digest, uint32_t now) const;
  // Remembers digest as decoded at now.
  void Remember(uint64_t digest, uint32_t now);

 private:
  static constexpr int kBuckets = 512;
  static constexpr int kWays = 8;
  struct Place {
    uint64_t digest;
    uint32_t tick;
    bool used;
  };
  std::unique_ptr<Place[]> places_;
};

}  // namespace aismon
