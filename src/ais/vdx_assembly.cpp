#include "ais/vdx_assembly.h"

#include <cstring>

#include "ais/ais_payload.h"
#include "ais/message_decoders.h"
#include "common/clock.h"
#include "input/station_sources.h"
#include "shipdb/ship_table.h"

namespace aismon {

namespace {
// Fragment count, number and fill bits are single digits; an empty field's first
// character is its terminator, which gives a meaningless but harmless value.
int DigitOf(const SentenceRecord& r, int field) { return static_cast<unsigned char>(*r.FieldText(field)) - '0'; }

// The key characters: the first of the field, '\0' for an empty one.
char KeyOf(const SentenceRecord& r, int field) {
  const std::string_view f = r.Field(field);
  return f.empty() ? '\0' : f.front();
}

constexpr int kHighestMessageNumber = 27;
}  // namespace

VdxAssembler::VdxAssembler(ShipTable& table, MessageDecoders& decoders, SourceRegistry& sources,
                           StationSources& stations, Clock& clock)
    : table_(table),
      decoders_(decoders),
      sources_(sources),
      stations_(stations),
      clock_(clock),
      slots_(new Slot[kMaxSources * kMessagesInProgress]) {}

VdxAssembler::Slot* VdxAssembler::Find(SourceId source, char sequence, char channel) {
  Slot* s = slots_.get() + (source % kMaxSources) * kMessagesInProgress;
  for (int i = 0; i < kMessagesInProgress; ++i)
    if (s[i].used && s[i].sequence == sequence && s[i].channel == channel) return &s[i];
  return nullptr;
}

const AssemblyState* VdxAssembler::Pending(SourceId source, char sequence, char channel) const {
  const Slot* s = const_cast<VdxAssembler*>(this)->Find(source, sequence, channel);
  return s == nullptr ? nullptr : &s->state;
}

int VdxAssembler::InProgress(SourceId source) const {
  const Slot* s = slots_.get() + (source % kMaxSources) * kMessagesInProgress;
  int n = 0;
  for (int i = 0; i < kMessagesInProgress; ++i) n += s[i].used ? 1 : 0;
  return n;
}

VdxAssembler::Slot& VdxAssembler::Acquire(SourceId source, char sequence, char channel) {
  Slot* s = slots_.get() + (source % kMaxSources) * kMessagesInProgress;
  Slot* pick = &s[0];
  for (int i = 0; i < kMessagesInProgress; ++i) {
    if (!s[i].used) {
      pick = &s[i];
      break;
    }
    if (order_ - s[i].order > order_ - pick->order) pick = &s[i];
  }
  pick->used = true;
  pick->sequence = sequence;
  pick->channel = channel;
  pick->order = order_;
  pick->state.expectedCount = 0;
  pick->state.lastNumber = 0;
  pick->state.gatheredLength = 0;
  pick->state.gathered[0] = '\0';
  return *pick;
}

bool VdxAssembler::TakeFragment(Slot& slot, int count, int number, const char* payload, int length) {
  AssemblyState& st = slot.state;
  const int start = number == 1 ? 0 : st.gatheredLength;
  if (start + length > kGatheredBytes - 1) {
    slot.used = false;  // the whole message is dropped rather than cut
    return false;
  }
  st.expectedCount = count;
  st.lastNumber = number;
  std::memcpy(st.gathered + start, payload, static_cast<size_t>(length));
  st.gatheredLength = start + length;
  st.gathered[st.gatheredLength] = '\0';
  slot.order = ++order_;
  return true;
}

int VdxAssembler::AssembleVdx(const SentenceRecord& r, int mode) {
  const SourceId source = r.source;
  const int count = DigitOf(r, 0);
  const int number = DigitOf(r, 1);
  const int fill = DigitOf(r, 5);
  const char sequence = KeyOf(r, 2);
  const char channel = KeyOf(r, 3);
  const std::string_view payload = r.Field(4);
  const int length = static_cast<int>(payload.size());
  Slot* slot = Find(source, sequence, channel);

  if (count == 1) {
    // A single sentence replaces whatever its key had gathered and is complete at once
    // when it is fragment 1 (a "1,2" never completes anything).
    if (slot != nullptr) slot->used = false;
    if (number == 1 && length <= kGatheredBytes - 1) {
      const char* line = r.text;
      Complete(r, mode, source, payload.data(), length, fill, &line, 1);
    }
    return 0;
  }
  const int expected = slot != nullptr ? slot->state.expectedCount : 0;
  const int last = slot != nullptr ? slot->state.lastNumber : 0;
  if ((expected != 0 && expected != count) || last + 1 != number) {
    // A break in continuity discards what was gathered; a first fragment starts anew.
    if (slot != nullptr) slot->used = false;
    if (number == 1) {
      Slot& fresh = Acquire(source, sequence, channel);
      if (TakeFragment(fresh, count, number, payload.data(), length)) KeepLine(fresh, number, r);
    }
    return 0;
  }
  if (slot == nullptr) slot = &Acquire(source, sequence, channel);  // fragment 1 of an idle key
  if (!TakeFragment(*slot, count, number, payload.data(), length)) return 0;
  if (count != number) {
    KeepLine(*slot, number, r);
    return 0;
  }
  slot->used = false;
  // The last fragment is still in r; the earlier ones wait in the slot.
  const char* lines[kKeptFragmentLines];
  const int lineCount = count <= kKeptFragmentLines ? count : 0;
  for (int i = 0; i + 1 < lineCount; ++i) lines[i] = slot->lines[i];
  if (lineCount > 0) lines[lineCount - 1] = r.text;
  Complete(r, mode, source, slot->state.gathered, slot->state.gatheredLength, fill, lines, lineCount);
  return 0;
}

void VdxAssembler::KeepLine(Slot& slot, int number, const SentenceRecord& r) {
  if (number < 1 || number > kKeptFragmentLines) return;
  // r.text is terminated within its bytes, so the copy always is too.
  std::memcpy(slot.lines[number - 1], r.text, strnlen(r.text, sizeof r.text - 1) + 1);
}

bool VdxAssembler::AddObserver(MessageObserver* observer) {
  if (observer == nullptr || observerCount_ >= kMaxObservers) return false;
  observers_[observerCount_++] = observer;
  return true;
}

void VdxAssembler::Complete(const SentenceRecord& r, int mode, SourceId source, const char* text, int length,
                            int fill, const char* const* lines, int lineCount) {
  AisPayload p;
  std::memset(p.bytes, 0, sizeof p.bytes);  // fields beyond a short message read zeros
  const int bytes = Dearmour(text, length, p.bytes, kPayloadBytes);
  if (bytes < 0) return;  // dropped silently
  p.bitLength = length * 6 - fill;

  const int32_t mmsi = GetBits(p, 9, 38, false);
  if (mode == kOtherShipsMode && mmsi == table_.OwnMMSI) {
    // Own transmissions heard as VDM become a separate station, never own ship.
    SetBits(p, 9, 38, static_cast<uint32_t>(kOwnEchoMMSI));
  }
  const uint32_t now = clock_.TickMs();
  const uint64_t digest = DuplicateFilter::Digest(p, bytes, mode);
  const bool duplicate = duplicates_.Seen(digest, now);
  sources_.NoteMessage(source, now, duplicate);
  if (!duplicate) {
    duplicates_.Remember(digest, now);
    // Only a VDO with a channel letter names own ship.
    if (mode == kOwnShipMode && (std::strstr(r.text, ",A,") != nullptr || std::strstr(r.text, ",B,") != nullptr)) {
      DbDynamic own;
      table_.GetOwnShip(own);
      table_.OwnMMSI = mmsi;
      own.MMSI = mmsi;
      table_.PutOwnShip(own);
    }
    decoders_.DispatchMessage(p, p.bitLength, mode);
  }
  if (observerCount_ > 0) {
    CompletedMessage message;
    message.source = source;
    message.mode = mode;
    message.channel = KeyOf(r, 3);
    message.duplicate = duplicate;
    message.payload = &p;
    message.lines = lines;
    message.lineCount = lineCount;
    for (int i = 0; i < observerCount_; ++i) observers_[i]->OnMessage(message);
  }
  const int number = static_cast<int8_t>(p.bytes[0]) >> 2;
  if (mode == kOtherShipsMode && number >= 1 && number <= kHighestMessageNumber) {
    const int32_t station = GetBits(p, 9, 38, false);
    const int index = table_.FindShip(station);
    if (index >= 1) stations_.Note(index, station, source, now);
  }
}

}  // namespace aismon
