#pragma once
// The intake chain from a sentence line to the ship table, wired together: sentence
// layer -> fragment assembly -> watch check and decoders -> ship table. Every line comes
// with the id of its source (registered in sources); callers that name none use the
// default source.
#include "ais/message_decoders.h"
#include "ais/vdx_assembly.h"
#include "ais/watch_alert.h"
#include "input/receive_state.h"
#include "input/sentence_layer.h"
#include "input/source_registry.h"
#include "input/station_sources.h"
#include "shipdb/ship_table.h"

namespace aismon {

class Intake {
 public:
  explicit Intake(ShipTable& table)
      : stations(table.DynamicCount()),
        watch(table),
        decoders(table, watch),
        assembler(table, decoders, sources, stations, table.TableClock()),
        sentences(table, assembler, options, counters, sources, table.TableClock()) {}
  Intake(const Intake&) = delete;
  Intake& operator=(const Intake&) = delete;

  void ProcessSentence(const char* line, SourceId source = kDefaultSource) { sentences.ProcessSentence(line, source); }
  void AcceptLine(const char* line, SourceId source = kDefaultSource) { sentences.AcceptLine(line, source); }

  ReceiveOptions options;
  IntakeCounters counters;
  SourceRegistry sources;
  StationSources stations;  // which sources heard each station lately
  WatchAlert watch;
  MessageDecoders decoders;
  VdxAssembler assembler;
  SentenceLayer sentences;
};

}  // namespace aismon
