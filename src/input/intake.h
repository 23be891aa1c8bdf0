#pragma once
// The intake chain from a sentence line to the ship table, wired together: sentence
// layer -> fragment assembly -> watch check and decoders -> ship table.
#include "ais/message_decoders.h"
#include "ais/vdx_assembly.h"
#include "ais/watch_alert.h"
#include "input/receive_state.h"
#include "input/sentence_layer.h"

namespace aismon {

class ShipTable;

class Intake {
 public:
  explicit Intake(ShipTable& table)
      : watch(table), decoders(table, watch), assembler(table, decoders), sentences(table, assembler, options, counters) {}
  Intake(const Intake&) = delete;
  Intake& operator=(const Intake&) = delete;

  void ProcessSentence(const char* line) { sentences.ProcessSentence(line); }
  void AcceptLine(const char* line) { sentences.AcceptLine(line); }

  ReceiveOptions options;
  IntakeCounters counters;
  WatchAlert watch;
  MessageDecoders decoders;
  VdxAssembler assembler;
  SentenceLayer sentences;
};

}  // namespace aismon
