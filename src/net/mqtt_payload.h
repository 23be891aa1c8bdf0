#pragma once
// What an MQTT message carries, found out per message: one or more NMEA lines, or a JSON
// object whose "nmea" member is an array of lines (the form receivers publish as
// JSON_NMEA). Either way each line goes through a line assembler, as a datagram's would.
#include <cstddef>
#include <cstring>

#include "input/line_assembler.h"
#include "net/datagram_lines.h"

namespace aismon {

namespace mqtt_payload_detail {

inline const char* SkipBlanks(const char* p, const char* end) {
  while (p < end && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')) ++p;
  return p;
}

// Feeds the JSON string starting after its opening quote to the assembler, unescaped;
// returns the position after its closing quote, or nullptr when it is not closed.
template <typename Accept>
const char* FeedJsonString(const char* p, const char* end, LineAssembler& assembler, Accept& accept) {
  auto hex = [](char c) {
    return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
  };
  while (p < end && *p != '"') {
    char c = *p++;
    if (c == '\\') {
      if (p >= end) return nullptr;
      const char e = *p++;
      switch (e) {
        case 'n': c = '\n'; break;
        case 'r': c = '\r'; break;
        case 't': c = '\t'; break;
        case 'u': {
          int v = 0;
          for (int i = 0; i < 4; ++i) {
            const int h = p < end ? hex(*p++) : -1;
            if (h < 0) return nullptr;
            v = v * 16 + h;
          }
          c = v < 0x80 ? static_cast<char>(v) : '?';  // sentences are ASCII
          break;
        }
        default: c = e;  // \" \\ \/
      }
    }
    assembler.FeedByte(static_cast<uint8_t>(c), accept);
  }
  return p < end ? p + 1 : nullptr;
}

}  // namespace mqtt_payload_detail

// Calls accept(line) for each complete sentence of the payload. A JSON payload without a
// well-formed "nmea" array gives what it gave up to the fault, and nothing more.
template <typename Accept>
void FeedMqttPayload(LineAssembler& assembler, const char* data, size_t size, Accept&& accept) {
  using namespace mqtt_payload_detail;
  const char* end = data + size;
  const char* p = SkipBlanks(data, end);
  if (p == end || *p != '{') {
    FeedDatagram(assembler, data, static_cast<int64_t>(size), accept);
    assembler.FeedByte('\n', accept);  // a message never continues in the next one
    return;
  }
  // The member named "nmea" at any place; other members are not looked at.
  static constexpr char kKey[] = "\"nmea\"";
  for (const char* k = p; k + sizeof kKey - 1 <= end; ++k) {
    if (std::memcmp(k, kKey, sizeof kKey - 1) != 0) continue;
    const char* q = SkipBlanks(k + sizeof kKey - 1, end);
    if (q == end || *q != ':') continue;
    q = SkipBlanks(q + 1, end);
    if (q == end || *q != '[') return;
    q = SkipBlanks(q + 1, end);
    while (q < end && *q == '"') {
      q = FeedJsonString(q + 1, end, assembler, accept);
      assembler.FeedByte('\n', accept);
      if (q == nullptr) return;
      q = SkipBlanks(q, end);
      if (q < end && *q == ',') q = SkipBlanks(q + 1, end);
    }
    return;
  }
}

}  // namespace aismon
