#pragma once
// Names of outputs as a person writes them: "tcp-server:[ADDR:]PORT" (serve plotters),
// "udp:HOST:PORT" (forward to an aggregator, unicast or broadcast) and "mqtt://.../TOPIC"
// (publish to a broker), each optionally followed by "?vdo=1", "?types=1,2,3" and, for
// MQTT, "?format=json", joined by '&'.
#include <cstdint>
#include <string>
#include <string_view>

#include "net/mqtt_name.h"

namespace aismon {

inline constexpr int kMaxOutputs = 8;

enum class OutputKind { TcpServer, Udp, Mqtt };

struct OutputAddress {
  OutputKind kind = OutputKind::TcpServer;
  // TCP server: the address to listen on, empty for every address. UDP: the destination.
  // IPv6 addresses without brackets.
  std::string host;
  uint16_t port = 0;
  MqttAddress mqtt;  // kind Mqtt only; its topic is the template (%station%, %mmsi%, %type%)
  bool vdo = false;     // own ship's VDO too: it gives away own position, so only when asked
  uint32_t types = 0;   // bit n: message number n passes; 0: every number
  bool json = false;    // MQTT payload as {"nmea":[...]} instead of plain lines

  bool operator==(const OutputAddress&) const = default;
  // Whether a message of number type from mode (kOwnShipMode VDO, else VDM) goes out.
  bool Passes(int mode, int type) const;
};

// False (out unchanged, error set to a Japanese reason) for anything else; the scheme and
// options are read without case.
bool ParseOutputName(std::string_view text, OutputAddress& out, std::string* error = nullptr);
// The name that reads back to the same output; withPassword only for the settings file
// when the person asked to keep the password there.
std::string OutputName(const OutputAddress& a, bool withPassword = false);

}  // namespace aismon
