#pragma once
// Where the sentence of a stored line begins: a receive-log line ("tick:<TAB>sentence")
// gives the text after its first TAB; a bare line gives the text from its first '!' or '$'.
#include <cstring>

namespace aismon {

inline const char* SentenceOfLine(const char* line) {
  if (const char* tab = std::strchr(line, '\t')) return tab + 1;
  return std::strpbrk(line, "!$");
}

}  // namespace aismon
