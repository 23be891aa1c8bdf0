#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Lenient field splitting and number reading for Shift-JIS list lines and log lines.
// Nothing here fails: bad input gives empty fields or 0.

namespace aismon {

// Splits a line into fields separated by commas and/or blanks (bytes 0x01-0x20). A field
// starting with '"' runs to the next single '"' ("" inside stands for one '"'); a comma as
// the very last byte adds one empty field. A 0x00 byte ends the line.
std::vector<std::string> SplitCommaText(std::string_view line);

// s without its leading and trailing blanks (bytes 0x00-0x20).
std::string_view TrimBlanks(std::string_view s);

// Reads a real number leniently: full-width digits are accepted, commas are skipped, a
// sign after a non-zero number starts an exponent (1.5-3 is 0.0015), and "dd:mm" adds
// mm/60 (mm at most 59). Gives 0 when nothing numeric is found.
double ParseReal(std::string_view s);

// Reads an integer: "0x" followed by up to 8 significant hexadecimal digits (two's
// complement), else ParseReal moved 0.1 away from zero and truncated (12.95 gives 13,
// 12.85 gives 12). Values beyond 32 bits give their low 32 bits; infinities give 0.
int32_t ParseInteger(std::string_view s);

}  // namespace aismon
