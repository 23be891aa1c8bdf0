#pragma once
// Joins the fragments of VDM/VDO messages, de-armours the payload, handles own ship's
// identity (VDO) and own echoes (VDM), and hands complete messages to the decoders once:
// the same message completed again within a few seconds, from any source, is counted as
// a duplicate and not decoded again.
//
// Fragments are joined per source and, within a source, per sequential message
// identifier and channel, so two receivers, or one receiver reporting both channels, may
// interleave their messages. Within one such key the fragments must follow each other:
// a break in continuity discards what the key had gathered. VDM and VDO share the keys.
#include <cstdint>
#include <memory>

#include "ais/duplicate_filter.h"
#include "ais/message_observer.h"
#include "input/sentence_record.h"
#include "input/source_registry.h"

namespace aismon {

class Clock;
class ShipTable;
class MessageDecoders;
class StationSources;

inline constexpr int kOwnShipMode = 0;     // VDO
inline constexpr int kOtherShipsMode = 1;  // VDM

inline constexpr int kGatheredBytes = 256;  // 255 payload characters and the terminator
// Messages a source may have in progress at once; a further one evicts the oldest.
inline constexpr int kMessagesInProgress = 4;
// Fragment lines kept per message for forwarding: a fragment count is one digit.
inline constexpr int kKeptFragmentLines = 9;

struct AssemblyState {
  int32_t expectedCount = 0;  // 0 = idle
  int32_t lastNumber = 0;     // 0 = idle
  char gathered[kGatheredBytes] = {};
  int32_t gatheredLength = 0;
};

class VdxAssembler {
 public:
  VdxAssembler(ShipTable& table, MessageDecoders& decoders, SourceRegistry& sources, StationSources& stations,
               Clock& clock);

  // The fragment's source is r.source.
  int AssembleVdx(const SentenceRecord& r, int mode);

  // The message source is gathering under a sequential identifier and channel (their
  // first characters, '\0' for an empty field), or nullptr when that key is idle.
  const AssemblyState* Pending(SourceId source, char sequence, char channel) const;
  // Messages source has in progress.
  int InProgress(SourceId source) const;

  // Observers are told of every complete message, in the order they were added; at most
  // kMaxObservers (a further one is refused: false).
  static constexpr int kMaxObservers = 4;
  bool AddObserver(MessageObserver* observer);

 private:
  struct Slot {
    bool used = false;
    char sequence = 0;
    char channel = 0;
    uint32_t order = 0;  // when it last took a fragment, for eviction
    AssemblyState state;
    // The sentences taken so far, as received, for the observers.
    char lines[kKeptFragmentLines][kSentenceTextBytes];
  };
  Slot* Find(SourceId source, char sequence, char channel);
  // A free slot of source, else its slot that took a fragment longest ago.
  Slot& Acquire(SourceId source, char sequence, char channel);
  // Takes a fragment into the slot; false (and the slot freed) when the message would
  // overflow.
  bool TakeFragment(Slot& slot, int count, int number, const char* payload, int length);
  // Keeps fragment number's sentence in the slot (not kept beyond kKeptFragmentLines).
  static void KeepLine(Slot& slot, int number, const SentenceRecord& r);
  // De-armours, filters duplicates and dispatches one complete message; lines are its
  // sentences for the observers (lineCount 0: not kept).
  void Complete(const SentenceRecord& r, int mode, SourceId source, const char* text, int length, int fill,
                const char* const* lines, int lineCount);

  ShipTable& table_;
  MessageDecoders& decoders_;
  SourceRegistry& sources_;
  StationSources& stations_;
  Clock& clock_;
  DuplicateFilter duplicates_;
  std::unique_ptr<Slot[]> slots_;  // kMessagesInProgress per source
  uint32_t order_ = 0;
  MessageObserver* observers_[kMaxObservers] = {};
  int observerCount_ = 0;
};

}  // namespace aismon
