#pragma once
// Safety-related text: message 12 (addressed to one station) and 14 (broadcast). Only
// their text and sender are read; they change nothing in the ship table.
#include <cstdint>
#include <functional>
#include <utility>

namespace aismon {

// Five slots of 168 bits less the 40-bit head of message 14, in six-bit characters.
inline constexpr int kSafetyTextChars = 161;

struct SafetyText {
  int number = 0;          // 12 or 14
  int32_t mmsi = 0;        // sender
  int32_t destMmsi = 0;    // message 12: the station addressed; 14: 0
  char text[kSafetyTextChars + 1] = {};  // trailing blanks removed
};

// Called with each decoded safety text (VDM only); the record is the decoder's own and is
// reused for the next message.
using SafetyTextHook = std::function<void(const SafetyText&)>;

}  // namespace aismon
