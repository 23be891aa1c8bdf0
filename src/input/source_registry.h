#pragma once
// The sources lines come from (a serial port, a network source, playback, a file, or a
// sub-source a TAG block names), each with a small id that travels with its lines, and
// what each has delivered. A fixed table: registering never allocates, so a sub-source
// first seen in the middle of a stream costs nothing but a name copy.
#include <array>
#include <cstdint>
#include <string_view>

namespace aismon {

using SourceId = uint8_t;

inline constexpr int kMaxSources = 64;
inline constexpr SourceId kDefaultSource = 0;  // lines whose caller names no source
inline constexpr SourceId kNoParent = 0xFF;
inline constexpr SourceId kNoSource = 0xFF;  // for holders of an id not yet registered
inline constexpr int kSourceNameBytes = 128;   // longer names are cut (they are only shown)
inline constexpr int kSubSourceNameBytes = 16;  // a TAG block's s: is at most 15 characters
inline constexpr uint32_t kMessageWindowMs = 60000;

// What one source delivered. Ticks are the Clock's.
struct SourceFigures {
  uint64_t sentences = 0;   // lines starting with '!' or '$' (after a good TAG block)
  uint64_t messages = 0;    // complete messages, duplicates included
  uint64_t duplicates = 0;  // complete messages another source (or this one) gave first
  bool heard = false;       // any sentence yet
  uint32_t lastHeardTick = 0;
  // Complete messages per second of the last minute, by tick / 1000 modulo 60.
  std::array<uint32_t, 60> secondStamp{};
  std::array<uint32_t, 60> secondCount{};
};

class SourceRegistry {
 public:
  SourceRegistry();

  // The id of the source named name, registered when new; the default source's id when
  // the table is full.
  SourceId Register(std::string_view name);
  // The id of sub-source sub of parent, named "parent/sub"; parent itself when sub is
  // empty or the table is full. Sub-sources of sub-sources are not made: parent's own
  // parent is used.
  SourceId SubSource(SourceId parent, std::string_view sub);

  int Count() const { return count_; }
  const char* Name(SourceId id) const { return id < count_ ? entries_[id].name : ""; }
  // kNoParent for a top-level source.
  SourceId Parent(SourceId id) const { return id < count_ ? entries_[id].parent : kNoParent; }
  const SourceFigures& Figures(SourceId id) const { return entries_[id < count_ ? id : kDefaultSource].figures; }

  void NoteSentence(SourceId id, uint32_t now);
  void NoteMessage(SourceId id, uint32_t now, bool duplicate);
  // Complete messages in the minute before now.
  uint32_t MessagesLastMinute(SourceId id, uint32_t now) const;

 private:
  struct Entry {
    char name[kSourceNameBytes];
    char sub[kSubSourceNameBytes];  // the TAG's s: of a sub-source, else empty
    SourceId parent;
    SourceFigures figures;
  };
  SourceId Add(std::string_view name, SourceId parent, std::string_view sub);

  std::array<Entry, kMaxSources> entries_;
  int count_ = 0;
};

}  // namespace aismon
