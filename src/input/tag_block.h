#pragma once
// NMEA 0183 version 4 TAG blocks in front of a sentence, "\s:name,c:1733785200*hh\!AIVDM,...":
// the block's checksum is checked and its source field (s:) read; the other fields are
// not used.
#include <string_view>

namespace aismon {

inline constexpr int kMaxTagBlockLength = 96;  // between the two backslashes

// The sentence a line holds: the line itself when it has no TAG block, the text after
// the block when the block is good (source then holds its s: value, or is empty), and
// nullptr when the block is bad (no closing backslash, no or wrong checksum, or no
// sentence start after it): such a line is dropped.
const char* SkipTagBlock(const char* line, std::string_view& source);

// Where a TAG block that ends just before position start of text begins, or start when
// none does; for cutting a line that holds something before its TAG block.
size_t TagBlockStart(const char* text, size_t start);

}  // namespace aismon
