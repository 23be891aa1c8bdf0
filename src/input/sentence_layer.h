#pragma once
// Turns one NMEA 0183 line into a call of the handler for its sentence type (VDO, VDM,
// RMC). Checksums are never verified; bad sentences are dropped without a trace.
#include <functional>

#include "input/receive_state.h"
#include "input/sentence_record.h"

namespace aismon {

class ShipTable;
class VdxAssembler;

class SentenceLayer {
 public:
  using Recorder = std::function<void(const char* line)>;

  SentenceLayer(ShipTable& table, VdxAssembler& assembler, ReceiveOptions& options, IntakeCounters& counters);

  // A line framed from a serial port: processed, then offered to the receive-log recorder.
  void AcceptLine(const char* line);
  // The common entry (playback and the demo call it directly, without recording).
  void ProcessSentence(const char* line);

  void SetRecorder(Recorder recorder) { recorder_ = std::move(recorder); }

  // Finds the line's row of the sentence table and splits its fields into r. False when
  // no row matches or the sentence is rejected (too long, or ended before its last field).
  static bool SplitSentence(const char* line, SentenceRecord& r);

 private:
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
  Recorder recorder_;
};

}  // namespace aismon
