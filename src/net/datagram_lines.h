#pragma once
// Line assembly for datagrams: a datagram may hold several sentences, or one sentence
// without its line end, or a piece of a sentence that the next datagram completes.
#include <cstdint>

#include "input/line_assembler.h"

namespace aismon {

// A gathered line that ends in "*" and two hex digits has its checksum and so is
// complete; anything shorter may still be continued by the next datagram.
inline bool PendingLineComplete(const char* line, int length) {
  if (length < 4) return false;
  auto hex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); };
  return line[length - 3] == '*' && hex(line[length - 2]) && hex(line[length - 1]);
}

// Feeds one datagram; a complete sentence left without a line end at its end is passed on.
template <typename Accept>
void FeedDatagram(LineAssembler& assembler, const char* bytes, int64_t size, Accept&& accept) {
  for (int64_t i = 0; i < size; ++i) assembler.FeedByte(static_cast<uint8_t>(bytes[i]), accept);
  if (PendingLineComplete(assembler.Pending(), assembler.Length())) assembler.FeedByte('\n', accept);
}

}  // namespace aismon
