#pragma once
// Names of network sources as a person writes them on the command line, in the settings
// file and in the source dialog: "udp:PORT", "udp:ADDR:PORT", "udp:GROUP@PORT",
// "tcp:HOST:PORT" (an IPv6 address bare or in brackets), "mqtt://[USER[:PASSWORD]@]HOST
// [:PORT]/TOPIC-FILTER" and "mqtts://..." (a broker), and the short names the port panels
// show.
#include <cstdint>
#include <string>
#include <string_view>

#include "net/mqtt_name.h"

namespace aismon {

inline constexpr int kMaxNetworkSources = 8;
inline constexpr uint16_t kDefaultNmeaPort = 10110;  // the registered "nmea-0183" port
inline constexpr char kDefaultSourceName[] = "udp:10110";

enum class SourceKind { Udp, Tcp, Mqtt };

struct SourceAddress {
  SourceKind kind = SourceKind::Udp;
  // UDP: the address to bind, empty for every IPv4 and IPv6 address. TCP: the server's
  // name or address. IPv6 addresses are kept without brackets.
  std::string host;
  std::string group;  // UDP multicast group to join; empty for none
  uint16_t port = 0;
  MqttAddress mqtt;    // kind Mqtt only
  std::string caFile;  // mqtts://: the CA certificates to trust (a setting), empty for the system's

  bool operator==(const SourceAddress&) const = default;
};

// False (out unchanged, error set to a Japanese reason) for anything else; the scheme is
// read without case, blanks around the whole text are ignored.
bool ParseSourceName(std::string_view text, SourceAddress& out, std::string* error = nullptr);
// The name ParseSourceName reads back to the same address, e.g. "udp:[::1]:10110"; a
// broker's password is left out (this name is shown and registered).
std::string SourceName(const SourceAddress& a);
// What the port panel shows: "UDP10110", "TCP host:port", "MQTT host/topic".
std::string SourceDisplayName(const SourceAddress& a);

// A port number 1..65535 written in decimal digits only.
bool ParsePort(std::string_view s, uint16_t& port);
// Host names and IPv4/IPv6 literals (with a "%zone" after an IPv6 one); the socket layer
// finds out whether the name resolves.
bool PlausibleHost(std::string_view h);

}  // namespace aismon
