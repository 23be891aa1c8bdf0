#include "text/sjis.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>

namespace aismon {

namespace {

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::string_view kReplacementShiftJis = "?";

// Opens a converter for code page 932, preferring names that map 0x5C and 0x7E to ASCII.
iconv_t OpenShiftJis(bool toShiftJis) {
  for (const char* name : {"CP932", "WINDOWS-31J", "SHIFT_JIS"}) {
    const iconv_t cd = toShiftJis ? iconv_open(name, "UTF-8") : iconv_open("UTF-8", name);
    if (cd != reinterpret_cast<iconv_t>(-1)) return cd;
  }
  return reinterpret_cast<iconv_t>(-1);
}

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

// Without a converter only ASCII can be passed through safely.
std::string AsciiOnly(std::string_view in, std::string_view replacement) {
  std::string out;
  for (const char c : in) {
    if (static_cast<uint8_t>(c) < 0x80) out.push_back(c);
    else out.append(replacement);
  }
  return out;
}

std::string Convert(std::string_view in, bool toShiftJis) {
  const std::string_view replacement = toShiftJis ? kReplacementShiftJis : kReplacementUtf8;
  const iconv_t cd = OpenShiftJis(toShiftJis);
  if (cd == reinterpret_cast<iconv_t>(-1)) return AsciiOnly(in, replacement);

  std::string out;
  char buffer[1024];
  // iconv's interface takes a non-const input pointer but does not write through it.
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  while (srcLeft > 0) {
    char* dst = buffer;
    size_t dstLeft = sizeof(buffer);
    const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    const int error = errno;
    out.append(buffer, static_cast<size_t>(dst - buffer));
    if (r != static_cast<size_t>(-1)) break;
    if (error == E2BIG) continue;
    if (srcLeft == 0) break;
    // EILSEQ (invalid or unconvertible) or EINVAL (cut off at the end): replace and go on.
    const std::string_view rest(src, srcLeft);
    const size_t skip = toShiftJis ? Utf8SequenceLength(rest) : ShiftJisSequenceLength(rest);
    out.append(replacement);
    src += skip;
    srcLeft -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
  }
  // Flush any pending shift state (none for these encodings, but cheap).
  char* dst = buffer;
  size_t dstLeft = sizeof(buffer);
  iconv(cd, nullptr, nullptr, &dst, &dstLeft);
  out.append(buffer, static_cast<size_t>(dst - buffer));
  iconv_close(cd);
  return out;
}

}  // namespace

std::string ShiftJisToUtf8(std::string_view sjis) { return Convert(sjis, false); }

std::string Utf8ToShiftJis(std::string_view utf8) { return Convert(utf8, true); }

}  // namespace aismon
