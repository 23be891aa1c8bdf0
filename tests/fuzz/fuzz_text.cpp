// Runs every text utility on arbitrary bytes and checks the properties that hold for
// any input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text/half_width.h"
#include "text/sjis.h"
#include "text/text_parse.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// Well-formed UTF-8: no stray continuation bytes, overlong forms, surrogates or values
// beyond U+10FFFF.
bool IsValidUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const uint8_t b = static_cast<uint8_t>(s[i]);
    size_t len = 0;
    uint32_t cp = 0;
    if (b < 0x80) len = 1, cp = b;
    else if (b >= 0xC2 && b <= 0xDF) len = 2, cp = b & 0x1F;
    else if (b >= 0xE0 && b <= 0xEF) len = 3, cp = b & 0x0F;
    else if (b >= 0xF0 && b <= 0xF4) len = 4, cp = b & 0x07;
    else return false;
    if (i + len > s.size()) return false;
    for (size_t k = 1; k < len; ++k) {
      const uint8_t c = static_cast<uint8_t>(s[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = cp << 6 | (c & 0x3F);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return false;
    if (cp >= 0xD800 && cp <= 0xDFFF) return false;
    i += len;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace aismon;
  const std::string_view s(reinterpret_cast<const char*>(data), size);

  size_t total = 0;
  for (const std::string& field : SplitCommaText(s)) total += field.size();
  Check(total <= size);

  ParseReal(s);
  ParseInteger(s);

  const std::string digits = FullDigitsToHalf(s);
  Check(digits.size() <= size);

  Check(FullDigitsToHalf(digits) == digits);

  // A character never grows beyond two bytes; only a lead byte at the very end gains its
  // '$'. Every piece is a one-byte character or an unconvertible pair, so converting the
  // result again changes nothing.
  for (const bool kana : {false, true}) {
    const std::string half = ToHalfWidth(s, kana);
    Check(half.size() <= size + 1);
    Check(ToHalfWidth(half, kana) == half);
  }
  if (size >= 1) {
    std::string out;
    const int used = ToHalfWidthChar(data[0], size >= 2 ? data[1] : uint8_t{'$'}, size % 2 == 0, out);
    Check(used == 1 || used == 2);
    Check(!out.empty() && out.size() <= 2);
  }

  const std::string utf8 = ShiftJisToUtf8(s);
  Check(IsValidUtf8(utf8));
  const std::string back = Utf8ToShiftJis(utf8);
  Check(IsValidUtf8(ShiftJisToUtf8(back)));
  Utf8ToShiftJis(s);
  return 0;
}
