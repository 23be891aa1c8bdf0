#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Full-width to half-width conversion of Shift-JIS (code page 932) text. Every string here
// is Shift-JIS bytes; a byte in 0x80-0x9F or 0xE0-0xFF starts a two-byte character.

namespace aismon {

// Replaces the full-width digits "０"-"９" (0x824F-0x8258) by ASCII digits; every other
// character is copied unchanged.
std::string FullDigitsToHalf(std::string_view s);

// Converts the character starting with byte b1 (b2 is the byte after it), appends the
// result to out and returns the bytes consumed: 1 for a one-byte character, else 2.
// Full-width spaces, letters, digits and 38 listed symbols always become ASCII or
// half-width; hiragana and katakana become half-width katakana only when kanaToHalf.
int ToHalfWidthChar(uint8_t b1, uint8_t b2, bool kanaToHalf, std::string& out);

// ToHalfWidthChar over the whole text. A lead byte at the very end is paired with '$',
// so it never reads past the text.
std::string ToHalfWidth(std::string_view s, bool kanaToHalf);

// True for a byte that starts a two-byte Shift-JIS character.
constexpr bool IsShiftJisLeadByte(uint8_t b) { return (b >= 0x80 && b <= 0x9F) || b >= 0xE0; }

}  // namespace aismon
