#include "input/sentence_layer.h"

#include <cstring>

#include "ais/vdx_assembly.h"
#include "common/clock.h"
#include "input/rmc_own_ship.h"
#include "input/tag_block.h"

namespace aismon {

const SentenceLayer::SentenceHandler SentenceLayer::kSentenceTable[] = {
    {"VDO", &SentenceLayer::HandleVdo, 6, 7},
    {"VDM", &SentenceLayer::HandleVdm, 6, 7},
    {"RMC", &SentenceLayer::HandleRmc, 11, 12},
    {"", nullptr, 0, 0},
};

namespace {
bool IsFieldEnd(char c) { return c == ',' || c == '*' || c == '\r' || c == '\n' || c == '\0'; }
}  // namespace

SentenceLayer::SentenceLayer(ShipTable& table, VdxAssembler& assembler, ReceiveOptions& options,
                             IntakeCounters& counters, SourceRegistry& sources, Clock& clock)
    : table_(table), assembler_(assembler), options_(options), counters_(counters), sources_(sources), clock_(clock) {}

const char* SentenceLayer::Attribute(const char* line, SourceId& source) {
  std::string_view sub;
  const char* sentence = SkipTagBlock(line, sub);
  if (sentence != nullptr && !sub.empty()) source = sources_.SubSource(source, sub);
  return sentence;
}

void SentenceLayer::AcceptLine(const char* line, SourceId source) {
  const char* sentence = Attribute(line, source);
  if (sentence == nullptr) return;
  Process(sentence, source);
  // The log keeps the sentence as it always has; where it came from is not recorded.
  if (recorder_) recorder_(sentence);
}

void SentenceLayer::ProcessSentence(const char* line, SourceId source) {
  const char* sentence = Attribute(line, source);
  if (sentence != nullptr) Process(sentence, source);
}

bool SentenceLayer::SplitSentence(const char* line, SentenceRecord& r) {
  // The type sits at positions 3..5, after the start character and the two-letter talker.
  // Stop at the terminator so that a short line is never read past its end.
  if (line[0] == '\0' || line[1] == '\0' || line[2] == '\0') return false;
  int row = 0;
  for (; kSentenceTable[row].type[0] != '\0'; ++row) {
    const char* type = kSentenceTable[row].type;
    // Short-circuit order keeps the reads inside the line: a terminator never matches.
    if (line[3] == type[0] && line[4] == type[1] && line[5] == type[2]) break;
  }
  const SentenceHandler& h = kSentenceTable[row];
  if (h.handler == nullptr) return false;

  // A line of 128 characters or more would leave the working copy without a terminator.
  const void* end = memccpy(r.text, line, '\0', sizeof r.text);
  if (end == nullptr) return false;
  // Fields are read from position 7 up to their terminators; a line shorter than that
  // must read zeros there.
  const size_t length = static_cast<size_t>(static_cast<const char*>(end) - r.text) - 1;
  if (length < 8) std::memset(r.text + length, 0, 8 - length);
  r.row = row;
  r.fieldCount = 0;

  // Fields start at position 7, after the comma that follows the six-character address.
  int pos = 7;
  for (int i = 0; i < h.fieldsScanned; ++i) {
    int len = 0;
    while (!IsFieldEnd(r.text[pos + len])) ++len;
    r.fields[i] = SentenceField{pos, len};
    r.fieldCount = i + 1;
    const char end = r.text[pos + len];
    if (end == ',' || end == '*') {
      pos += len + 1;
      continue;
    }
    return i >= h.minEndField;  // ended too early: rejected
  }
  return true;  // as many fields as scanned: the rest is ignored
}

void SentenceLayer::Process(const char* line, SourceId source) {
  if (line[0] == '!' || line[0] == '$') sources_.NoteSentence(source, clock_.TickMs());
  SentenceRecord r;
  if (!SplitSentence(line, r)) return;
  r.source = source;
  const auto handler = kSentenceTable[r.row].handler;
  (this->*handler)(r);
}

int SentenceLayer::HandleVdo(const SentenceRecord& r) {
  if (!options_.vdoEnabled) return 0;
  assembler_.AssembleVdx(r, kOwnShipMode);
  return 0;
}

int SentenceLayer::HandleVdm(const SentenceRecord& r) {
  ++counters_.vdmCount;
  assembler_.AssembleVdx(r, kOtherShipsMode);
  return 0;
}

int SentenceLayer::HandleRmc(const SentenceRecord& r) {
  ++counters_.rmcCount;
  if (options_.vdoEnabled) return 0;
  UpdateOwnShipFromRmc(r, table_, options_, counters_);
  return 0;
}

}  // namespace aismon
