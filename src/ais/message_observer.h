#pragma once
// A complete message as the assembler hands it on, for those that count or forward
// messages beside the decoders. Observers see every complete message, duplicates
// included (flagged), after the decoders have had it.
#include "ais/ais_payload.h"
#include "input/source_registry.h"

namespace aismon {

struct CompletedMessage {
  SourceId source = kDefaultSource;
  int mode = 0;          // kOwnShipMode (VDO) or kOtherShipsMode (VDM)
  char channel = '\0';   // the last fragment's channel letter, '\0' when empty
  bool duplicate = false;
  const AisPayload* payload = nullptr;  // de-armoured; bitLength set
  // The message's sentences as received (TAG block and line end removed), in fragment
  // order, for forwarding; lineCount is 0 when a message had more fragments than are kept.
  const char* const* lines = nullptr;
  int lineCount = 0;
};

class MessageObserver {
 public:
  virtual ~MessageObserver() = default;
  virtual void OnMessage(const CompletedMessage& message) = 0;
};

}  // namespace aismon
