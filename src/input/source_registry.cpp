#include "input/source_registry.h"

#include <algorithm>
#include <cstring>

namespace aismon {

namespace {

// Copies s into a fixed field, cut to fit, always terminated.
template <size_t N>
void CopyName(char (&to)[N], std::string_view s) {
  const size_t n = std::min(s.size(), N - 1);
  if (n != 0) std::memcpy(to, s.data(), n);  // an empty view may hold no pointer at all
  to[n] = '\0';
}

bool SameName(const char* stored, size_t size, std::string_view s) {
  const size_t n = std::min(s.size(), size - 1);  // compared as it would be stored
  return std::strlen(stored) == n && (n == 0 || std::memcmp(stored, s.data(), n) == 0);
}

}  // namespace

SourceRegistry::SourceRegistry() { Add("default", kNoParent, {}); }

SourceId SourceRegistry::Add(std::string_view name, SourceId parent, std::string_view sub) {
  if (count_ >= kMaxSources) return kDefaultSource;
  Entry& e = entries_[count_];
  CopyName(e.name, name);
  CopyName(e.sub, sub);
  e.parent = parent;
  e.figures = SourceFigures{};
  return static_cast<SourceId>(count_++);
}

SourceId SourceRegistry::Register(std::string_view name) {
  for (int i = 0; i < count_; ++i)
    if (entries_[i].parent == kNoParent && SameName(entries_[i].name, kSourceNameBytes, name))
      return static_cast<SourceId>(i);
  return Add(name, kNoParent, {});
}

SourceId SourceRegistry::SubSource(SourceId parent, std::string_view sub) {
  if (parent >= count_) parent = kDefaultSource;
  if (entries_[parent].parent != kNoParent) parent = entries_[parent].parent;
  if (sub.empty()) return parent;
  for (int i = 0; i < count_; ++i)
    if (entries_[i].parent == parent && SameName(entries_[i].sub, kSubSourceNameBytes, sub))
      return static_cast<SourceId>(i);
  if (count_ >= kMaxSources) return parent;
  // "parent/sub", built in a stack buffer: no allocation on the sentence path.
  char name[kSourceNameBytes];
  const size_t p = std::min(std::strlen(entries_[parent].name), sizeof name - 1);
  std::memcpy(name, entries_[parent].name, p);
  size_t n = p;
  if (n < sizeof name - 1) name[n++] = '/';
  const size_t s = std::min({sub.size(), static_cast<size_t>(kSubSourceNameBytes - 1), sizeof name - 1 - n});
  std::memcpy(name + n, sub.data(), s);
  n += s;
  return Add(std::string_view(name, n), parent, sub);
}

void SourceRegistry::NoteSentence(SourceId id, uint32_t now) {
  if (id >= count_) id = kDefaultSource;
  SourceFigures& f = entries_[id].figures;
  ++f.sentences;
  f.heard = true;
  f.lastHeardTick = now;
}

void SourceRegistry::NoteMessage(SourceId id, uint32_t now, bool duplicate) {
  if (id >= count_) id = kDefaultSource;
  SourceFigures& f = entries_[id].figures;
  ++f.messages;
  if (duplicate) ++f.duplicates;
  const uint32_t second = now / 1000;
  const size_t slot = second % 60;
  if (f.secondStamp[slot] != second || f.secondCount[slot] == 0) {
    f.secondStamp[slot] = second;
    f.secondCount[slot] = 0;
  }
  ++f.secondCount[slot];
}

uint32_t SourceRegistry::MessagesLastMinute(SourceId id, uint32_t now) const {
  const SourceFigures& f = Figures(id);
  const uint32_t second = now / 1000;
  uint32_t total = 0;
  for (size_t i = 0; i < 60; ++i)
    if (f.secondCount[i] != 0 && second - f.secondStamp[i] < kMessageWindowMs / 1000) total += f.secondCount[i];
  return total;
}

}  // namespace aismon
