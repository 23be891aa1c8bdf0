#pragma once
#include <string>
#include <string_view>

// Conversion between the program's Shift-JIS (code page 932) text and UTF-8, for the
// places where text leaves or enters the program (screen, tools, tests). Not meant for
// per-sentence use: each call opens its own converter.

namespace aismon {

// Bytes that are not valid Shift-JIS become U+FFFD; conversion goes on after them.
std::string ShiftJisToUtf8(std::string_view sjis);

// Characters without a Shift-JIS form, and bytes that are not valid UTF-8, become '?'.
std::string Utf8ToShiftJis(std::string_view utf8);

}  // namespace aismon
