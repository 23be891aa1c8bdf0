#pragma once
// Broker addresses as a person writes them: "mqtt://[USER[:PASSWORD]@]HOST[:PORT]/TOPIC"
// and "mqtts://..." for TLS. USER and PASSWORD may carry %XX escapes (for '@', ':' or '/').
// The topic is a filter for a source ("ais/+/nmea") and a template for an output.
#include <cstdint>
#include <string>
#include <string_view>

namespace aismon {

inline constexpr uint16_t kMqttPort = 1883;
inline constexpr uint16_t kMqttTlsPort = 8883;

struct MqttAddress {
  bool tls = false;
  std::string user;      // empty: no login
  std::string password;  // never shown; see MqttDisplayName
  std::string host;      // an IPv6 address without brackets
  uint16_t port = kMqttPort;
  std::string topic;

  bool operator==(const MqttAddress&) const = default;
};

// True when text starts with "mqtt://" or "mqtts://" (without case).
bool IsMqttName(std::string_view text);
// Reads the name up to an optional '?'; false (out unchanged, error set to a Japanese
// reason) for anything else.
bool ParseMqttName(std::string_view text, MqttAddress& out, std::string* error = nullptr);
// The name that reads back to the same address, password included: for the settings file
// only, and only when the person asked to keep it there.
std::string MqttName(const MqttAddress& a);
// The name with the password left out, for panels, titles, logs and figures.
std::string MqttDisplayName(const MqttAddress& a);

// The level of topic that the first wildcard of filter matched ("ais/+/nmea" and
// "ais/north/nmea" give "north"; "ais/#" and "ais/north/x" give "north"); empty when filter
// has no wildcard or topic does not reach it.
std::string_view TopicSubSource(std::string_view filter, std::string_view topic);

}  // namespace aismon
