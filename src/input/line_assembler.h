#pragma once
// Cuts a serial byte stream into sentence lines: a line starts at '!' or '$' and ends at a
// carriage return or line feed. A TAG block just before the start character stays in
// front of the sentence. Allocation-free; one per port.
#include <cstdint>
#include <cstring>

#include "input/tag_block.h"

namespace aismon {

inline constexpr int kLineBufferBytes = 1024;
inline constexpr int kLineGiveUpLength = 1022;  // an over-long line is dropped here

class LineAssembler {
 public:
  // Adds one byte; when it completes a line of more than one character, calls
  // accept(line) with the zero-terminated line (without its end-of-line byte).
  template <typename Accept>
  void FeedByte(uint8_t byte, Accept&& accept) {
    if (lineLength_ >= kLineGiveUpLength) lineLength_ = 0;
    if (byte == '!' || byte == '$') {
      // A start character anywhere starts the line again, keeping only a TAG block that
      // ends just before it.
      const size_t tag = TagBlockStart(lineBuffer_, static_cast<size_t>(lineLength_));
      if (tag < static_cast<size_t>(lineLength_)) {
        const int32_t kept = lineLength_ - static_cast<int32_t>(tag);
        std::memmove(lineBuffer_, lineBuffer_ + tag, static_cast<size_t>(kept));
        lineBuffer_[kept] = static_cast<char>(byte);
        lineLength_ = kept + 1;
        return;
      }
      lineBuffer_[0] = static_cast<char>(byte);
      lineLength_ = 1;
      return;
    }
    lineBuffer_[lineLength_] = static_cast<char>(byte);
    if (byte == '\r' || byte == '\n') {
      lineBuffer_[lineLength_] = '\0';
      if (lineLength_ > 1) accept(static_cast<const char*>(lineBuffer_));
      lineBuffer_[0] = '\0';
      lineLength_ = 0;
      return;
    }
    ++lineLength_;
  }

  int Length() const { return lineLength_; }
  // The line gathered so far (Length() bytes, not terminated).
  const char* Pending() const { return lineBuffer_; }

 private:
  char lineBuffer_[kLineBufferBytes] = {};
  int32_t lineLength_ = 0;
};

}  // namespace aismon
