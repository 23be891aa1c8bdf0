#include "input/tag_block.h"

#include <cstring>

namespace aismon {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

const char* SkipTagBlock(const char* line, std::string_view& source) {
  source = {};
  if (line[0] != '\\') return line;
  const char* body = line + 1;
  // The checksum covers the characters between the opening backslash and the '*'.
  int sum = 0;
  int i = 0;
  for (; i < kMaxTagBlockLength && body[i] != '*'; ++i) {
    if (body[i] == '\0' || body[i] == '\\') return nullptr;
    sum ^= static_cast<unsigned char>(body[i]);
  }
  if (i == kMaxTagBlockLength) return nullptr;
  const int star = i;
  const int high = HexValue(body[star + 1]);
  const int low = high < 0 ? -1 : HexValue(body[star + 2]);
  if (low < 0 || body[star + 3] != '\\' || high * 16 + low != sum) return nullptr;
  const char* sentence = body + star + 4;
  if (sentence[0] != '!' && sentence[0] != '$') return nullptr;

  // Fields "k:value" separated by commas; only the source is used.
  const std::string_view fields(body, static_cast<size_t>(star));
  size_t pos = 0;
  while (pos <= fields.size()) {
    size_t end = fields.find(',', pos);
    if (end == std::string_view::npos) end = fields.size();
    const std::string_view f = fields.substr(pos, end - pos);
    if (f.size() >= 2 && f[0] == 's' && f[1] == ':') source = f.substr(2);
    pos = end + 1;
  }
  return sentence;
}

size_t TagBlockStart(const char* text, size_t start) {
  if (start < 2 || text[start - 1] != '\\') return start;
  for (size_t i = start - 1; i-- > 0;)
    if (text[i] == '\\') return start - 1 - i <= kMaxTagBlockLength + 1 ? i : start;
  return start;
}

}  // namespace aismon
