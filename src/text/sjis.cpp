#include "text/sjis.h"

#include <cstddef>
#include <cstdint>

#include "common/platform.h"

namespace aismon {

namespace {

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::string_view kReplacementShiftJis = "?";

// Length of the UTF-8 sequence starting at s[0] if it is well formed, else 1, so an
// unconvertible character is skipped whole and a stray byte alone.
size_t Utf8SequenceLength(std::string_view s) {
  const uint8_t b = static_cast<uint8_t>(s[0]);
  size_t len = 1;
  if (b >= 0xC2 && b <= 0xDF) len = 2;
  else if (b >= 0xE0 && b <= 0xEF) len = 3;
  else if (b >= 0xF0 && b <= 0xF4) len = 4;
  if (len > s.size()) return 1;
  for (size_t i = 1; i < len; ++i)
    if ((static_cast<uint8_t>(s[i]) & 0xC0) != 0x80) return 1;
  return len;
}

// An unassigned two-byte code is replaced as one character; a lead byte followed by a
// byte that cannot be a trail byte is replaced alone, so the next byte is kept.
size_t ShiftJisSequenceLength(std::string_view s) {
  const uint8_t lead = static_cast<uint8_t>(s[0]);
  if (s.size() < 2 || !((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC))) return 1;
  const uint8_t trail = static_cast<uint8_t>(s[1]);
  return (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC) ? 2 : 1;
}

// Character by character, so that what cannot be converted is replaced and the rest goes
// on; ASCII is the same on both sides. Without the system's tables only ASCII passes.
std::string Convert(std::string_view in, bool toShiftJis) {
  const std::string_view replacement = toShiftJis ? kReplacementShiftJis : kReplacementUtf8;
  CodePage932 converter(toShiftJis);
  std::string out;
  out.reserve(in.size() * 3 / 2);
  while (!in.empty()) {
    const size_t len = static_cast<uint8_t>(in[0]) < 0x80 ? 1
                       : toShiftJis                        ? Utf8SequenceLength(in)
                                                           : ShiftJisSequenceLength(in);
    if (len == 1 && static_cast<uint8_t>(in[0]) < 0x80) out.push_back(in[0]);
    else if (!converter.ok() || !converter.ConvertOne(in.substr(0, len), out)) out.append(replacement);
    in.remove_prefix(len);
  }
  return out;
}

}  // namespace

std::string ShiftJisToUtf8(std::string_view sjis) { return Convert(sjis, false); }

std::string Utf8ToShiftJis(std::string_view utf8) { return Convert(utf8, true); }

}  // namespace aismon
