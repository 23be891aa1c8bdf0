#include "text/text_parse.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "text/decimal.h"
#include "text/half_width.h"

namespace aismon {

namespace {

// Blanks here are every control byte and the space, as the list and log files use them.
bool IsBlank(char c) { return static_cast<uint8_t>(c) <= 0x20; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'A' && c <= 'F'); }

size_t SkipBlanks(std::string_view s, size_t i) {
  while (i < s.size() && IsBlank(s[i])) ++i;
  return i;
}

bool IsNumberByte(char c) {
  return IsDigit(c) || c == '-' || c == '.' || c == ':' || c == '+' || c == 'e' || c == 'E';
}

// Minutes after "dd:": an optional sign and digits at the start of at most two bytes.
int ReadMinutes(std::string_view two) {
  size_t i = 0;
  bool negative = false;
  if (i < two.size() && (two[i] == '+' || two[i] == '-')) negative = two[i++] == '-';
  int mm = 0;
  while (i < two.size() && IsDigit(two[i])) mm = mm * 10 + (two[i++] - '0');
  return negative ? -mm : mm;
}

// Low 32 bits of the value truncated toward zero. fmod is exact, so this holds for every
// finite double, however large; converting such a double to an integer directly would be
// undefined.
int32_t TruncateToInt32(double v) {
  if (!std::isfinite(v)) return 0;
  const double low = std::fmod(std::trunc(v), 4294967296.0);
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(low)));
}

// Only ASCII letters are upper-cased; trail bytes of two-byte characters are left alone,
// so a full-width letter cannot turn into a full-width digit.
std::string UpperAscii(std::string_view s) {
  std::string out(s);
  for (size_t i = 0; i < out.size(); ++i) {
    if (IsShiftJisLeadByte(static_cast<uint8_t>(out[i]))) {
      ++i;
    } else if (out[i] >= 'a' && out[i] <= 'z') {
      out[i] = static_cast<char>(out[i] - 'a' + 'A');
    }
  }
  return out;
}

}  // namespace

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::vector<std::string> SplitCommaText(std::string_view line) {
  // The lists are handled as C strings: a NUL byte ends the line.
  if (const size_t nul = line.find('\0'); nul != std::string_view::npos) line = line.substr(0, nul);
  std::vector<std::string> fields;
  const size_t n = line.size();
  size_t i = SkipBlanks(line, 0);
  while (i < n) {
    std::string field;
    if (line[i] == '"') {
      // An unclosed quote takes the rest of the line.
      for (++i; i < n; ++i) {
        if (line[i] == '"') {
          if (i + 1 < n && line[i + 1] == '"') {
            ++i;
          } else {
            ++i;
            break;
          }
        }
        field.push_back(line[i]);
      }
    } else {
      const size_t start = i;
      while (i < n && !IsBlank(line[i]) && line[i] != ',') ++i;
      field.assign(line.substr(start, i - start));
    }
    fields.push_back(std::move(field));
    i = SkipBlanks(line, i);
    if (i < n && line[i] == ',') {
      if (i == n - 1) fields.emplace_back();
      i = SkipBlanks(line, i + 1);
    }
  }
  return fields;
}

double ParseReal(std::string_view s) {
  if (s.empty()) return 0.0;
  s = TrimBlanks(s);
  std::string halfDigits;
  if (!s.empty() && static_cast<uint8_t>(s.front()) >= 0x80) {
    halfDigits = FullDigitsToHalf(s);
    s = TrimBlanks(halfDigits);
  }

  std::string kept;
  bool hasExponent = false;
  for (const char c : s) {
    if (c == ',') continue;  // thousands separators
    if (!IsNumberByte(c)) break;
    // A sign after a number that is already non-zero is taken as an exponent.
    if ((c == '-' || c == '+') && !hasExponent && ParseDecimalPrefix(kept) != 0.0) {
      kept.push_back('e');
      hasExponent = true;
    }
    if (c == 'e' || c == 'E') hasExponent = true;
    kept.push_back(c);
  }

  double v = ParseDecimalPrefix(kept);
  if (const size_t colon = kept.find(':'); colon != std::string::npos) {
    const int mm = std::min(ReadMinutes(std::string_view(kept).substr(colon + 1, 2)), 59);
    v += mm / 60.0;
  }
  return v;
}

int32_t ParseInteger(std::string_view s) {
  const std::string upper = UpperAscii(s);
  const std::string_view t = TrimBlanks(upper);

  if (t.size() >= 2 && t[0] == '0' && t[1] == 'X') {
    // Every byte after "0X" counts as a digit, a non-hexadecimal one as 0.
    uint32_t value = 0;
    int significant = 0;
    for (size_t i = 2; i < t.size() && significant <= 8; ++i) {
      const char c = IsHexDigit(t[i]) ? t[i] : '0';
      const uint32_t digit = IsDigit(c) ? static_cast<uint32_t>(c - '0') : static_cast<uint32_t>(c - 'A' + 10);
      if (significant > 0 || digit != 0) ++significant;
      value = value << 4 | digit;
    }
    if (t.size() > 2 && significant <= 8) return static_cast<int32_t>(value);
    return TruncateToInt32(ParseReal(t));
  }

  double v = ParseReal(t);
  v += v >= 0 ? 0.1 : -0.1;
  return TruncateToInt32(v);
}

}  // namespace aismon
