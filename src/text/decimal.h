#pragma once
#include <cstddef>
#include <string_view>

namespace aismon {

// Reads the longest prefix of s that forms a decimal real number (optional sign, digits,
// optional fraction, optional exponent with optional sign and digits) and gives its value,
// correctly rounded; 0 when no prefix forms one. Never reads hexadecimal, "inf" or "nan".
// *consumed (if given) receives the prefix length.
double ParseDecimalPrefix(std::string_view s, size_t* consumed = nullptr);

}  // namespace aismon
