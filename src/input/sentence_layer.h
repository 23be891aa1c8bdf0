#pragma once
// Turns one NMEA 0183 line into a call of the handler for its sentence type (VDO, VDM,
// RMC). Sentence checksums are never verified; bad sentences are dropped without a trace.
// A TAG block in front of the sentence is checked (a bad one drops the line) and its s:
// makes the line a sub-source's of the line's source.
#include <functional>

#include "input/receive_state.h"
#include "input/sentence_record.h"
#include "input/source_registry.h"

namespace aismon {

class Clock;
class ShipTable;
class VdxAssembler;

class SentenceLayer {
 public:
  using Recorder = std::function<void(const char* line)>;

  SentenceLayer(ShipTable& table, VdxAssembler& assembler, ReceiveOptions& options, IntakeCounters& counters,
                SourceRegistry& sources, Clock& clock);

  // A line framed from a serial port or a network source: processed, then its sentence
  // (without a TAG block) offered to the receive-log recorder.
  void AcceptLine(const char* line, SourceId source = kDefaultSource);
  // The common entry (playback and the demo call it directly, without recording).
  void ProcessSentence(const char* line, SourceId source = kDefaultSource);

  void SetRecorder(Recorder recorder) { recorder_ = std::move(recorder); }

  // Finds the line's row of the sentence table and splits its fields into r. False when
  // no row matches or the sentence is rejected (too long, or ended before its last field).
  static bool SplitSentence(const char* line, SentenceRecord& r);

 private:
  // The sentence of a line and the source it is attributed to; nullptr for a line with
  // a bad TAG block.
  const char* Attribute(const char* line, SourceId& source);
  void Process(const char* sentence, SourceId source);
  int HandleVdo(const SentenceRecord& r);
  int HandleVdm(const SentenceRecord& r);
  int HandleRmc(const SentenceRecord& r);

  struct SentenceHandler {
    char type[4];
    int (SentenceLayer::*handler)(const SentenceRecord&);
    int minEndField;
    int fieldsScanned;
  };
  static const SentenceHandler kSentenceTable[];

  ShipTable& table_;
  VdxAssembler& assembler_;
  ReceiveOptions& options_;
  IntakeCounters& counters_;
  SourceRegistry& sources_;
  Clock& clock_;
  Recorder recorder_;
};

}  // namespace aismon
