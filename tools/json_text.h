#pragma once
// Appends text (UTF-8, kept as it is) as a JSON string: only quotes, backslashes and
// control characters are escaped, so a person reading the line sees the names as written.
#include <cstdio>
#include <string>
#include <string_view>

namespace aismon {

inline void AppendJsonText(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20) {
      char b[8];
      std::snprintf(b, sizeof b, "\\u%04x", c);
      out += b;
      continue;
    }
    out += c;
  }
  out += '"';
}

}  // namespace aismon
