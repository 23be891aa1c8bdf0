#include "text/decimal.h"

#include <charconv>
#include <cstdlib>
#include <string>

namespace aismon {

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

double ParseDecimalPrefix(std::string_view s, size_t* consumed) {
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  const size_t numberStart = i;
  size_t digits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    size_t j = i + 1;
    size_t fraction = 0;
    while (j < s.size() && IsDigit(s[j])) ++j, ++fraction;
    if (digits + fraction > 0) {
      i = j;
      digits += fraction;
    }
  }
  if (digits == 0) {
    if (consumed) *consumed = 0;
    return 0.0;
  }
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    if (j < s.size() && IsDigit(s[j])) {
      while (j < s.size() && IsDigit(s[j])) ++j;
      i = j;
    }
  }
  double value = 0.0;
  // from_chars takes no leading '+'; the sign was consumed above.
  const auto r = std::from_chars(s.data() + numberStart, s.data() + i, value, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    // Rare: let strtod decide between overflow (HUGE_VAL) and underflow (0 or denormal).
    const std::string copy(s.substr(numberStart, i - numberStart));
    value = std::strtod(copy.c_str(), nullptr);
  }
  if (consumed) *consumed = i;
  return negative ? -value : value;
}

}  // namespace aismon
