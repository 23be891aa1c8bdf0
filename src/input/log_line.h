#pragma once
// Where the sentence of a stored line begins: a receive-log line ("tick:<TAB>sentence")
// gives the text after its first TAB; a bare line gives the text from its first '!' or '$'
// (from the TAG block just before it, when it has one).
#include <cstddef>
#include <cstring>

#include "input/tag_block.h"

namespace aismon {

inline const char* SentenceOfLine(const char* line) {
  if (const char* tab = std::strchr(line, '\t')) return tab + 1;
  const char* start = std::strpbrk(line, "!$");
  return start == nullptr ? nullptr : line + TagBlockStart(line, static_cast<size_t>(start - line));
}

// The same for a line of known length that need not be terminated; nullptr when neither.
inline const char* SentenceOfLine(const char* line, size_t length) {
  if (const void* tab = std::memchr(line, '\t', length)) return static_cast<const char*>(tab) + 1;
  for (size_t i = 0; i < length; ++i)
    if (line[i] == '!' || line[i] == '$') return line + TagBlockStart(line, i);
  return nullptr;
}

}  // namespace aismon
