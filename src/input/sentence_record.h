#pragma once
// One sentence split into fields; lives for one call of the sentence layer.
#include <cstdint>
#include <string_view>

#include "input/source_registry.h"

namespace aismon {

inline constexpr int kSentenceTextBytes = 128;
inline constexpr int kMaxSentenceFields = 12;

struct SentenceField {
  int32_t start;   // offset in text
  int32_t length;  // characters, without the terminator
};

struct SentenceRecord {
  char text[kSentenceTextBytes];  // zero-terminated working copy of the line (nothing past the terminator is read)
  int row;                        // row of the sentence table
  int fieldCount;                 // fields split
  SentenceField fields[kMaxSentenceFields];
  SourceId source = kDefaultSource;  // where the line came from (a TAG block's sub-source included)

  // Field i as split; an unsplit index gives an empty field.
  std::string_view Field(int i) const {
    if (i < 0 || i >= fieldCount || i >= kMaxSentenceFields) return {};
    return std::string_view(text + fields[i].start, static_cast<size_t>(fields[i].length));
  }
  // The text of field i from its start (up to the end of the line), as handlers read it.
  const char* FieldText(int i) const {
    if (i < 0 || i >= fieldCount || i >= kMaxSentenceFields) return "";
    return text + fields[i].start;
  }
};

}  // namespace aismon
