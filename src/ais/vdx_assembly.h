#pragma once
// Joins the fragments of VDM/VDO messages, de-armours the payload, handles own ship's
// identity (VDO) and own echoes (VDM), and hands complete messages to the decoders.
#include <cstdint>

#include "input/sentence_record.h"

namespace aismon {

class ShipTable;
class MessageDecoders;

inline constexpr int kOwnShipMode = 0;     // VDO
inline constexpr int kOtherShipsMode = 1;  // VDM

inline constexpr int kGatheredBytes = 256;  // 255 payload characters and the terminator

// VDM and VDO share one state: a VDO fragment between two VDM fragments loses the VDM message.
struct AssemblyState {
  int32_t expectedCount = 0;  // 0 = idle
  int32_t lastNumber = 0;     // 0 = idle
  char gathered[kGatheredBytes] = {};
  int32_t gatheredLength = 0;
};

class VdxAssembler {
 public:
  VdxAssembler(ShipTable& table, MessageDecoders& decoders) : table_(table), decoders_(decoders) {}

  int AssembleVdx(const SentenceRecord& r, int mode);
  const AssemblyState& State() const { return state_; }

 private:
  void GoIdle();
  // Takes a fragment into gathered; false (and idle) when the message would overflow.
  bool TakeFragment(int count, int number, const char* payload, int length);

  ShipTable& table_;
  MessageDecoders& decoders_;
  AssemblyState state_;
};

}  // namespace aismon
