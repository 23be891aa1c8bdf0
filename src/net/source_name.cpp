#include "net/source_name.h"

#include <cctype>

#include "text/text_parse.h"

namespace aismon {

namespace {

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
  return true;
}

bool IsIpv6Literal(std::string_view h) { return h.find(':') != std::string_view::npos; }

// "HOST:PORT", "[V6]:PORT" or a bare IPv6 address whose last colon starts the port.
bool SplitHostPort(std::string_view s, std::string& host, uint16_t& port) {
  std::string_view h;
  if (!s.empty() && s.front() == '[') {
    const size_t close = s.find(']');
    if (close == std::string_view::npos || close + 1 >= s.size() || s[close + 1] != ':') return false;
    h = s.substr(1, close - 1);
    if (!IsIpv6Literal(h)) return false;
    if (!ParsePort(s.substr(close + 2), port)) return false;
  } else {
    const size_t colon = s.rfind(':');
    if (colon == std::string_view::npos) return false;
    h = s.substr(0, colon);
    if (!ParsePort(s.substr(colon + 1), port)) return false;
  }
  if (!PlausibleHost(h)) return false;
  host.assign(h);
  return true;
}

std::string_view Unbracket(std::string_view s) {
  if (s.size() >= 2 && s.front() == '[' && s.back() == ']') return s.substr(1, s.size() - 2);
  return s;
}

std::string HostPort(const std::string& host, uint16_t port) {
  std::string out = IsIpv6Literal(host) ? "[" + host + "]" : host;
  out += ':';
  out += std::to_string(port);
  return out;
}

bool Fail(std::string* error, const char* why) {
  if (error != nullptr) *error = why;
  return false;
}

}  // namespace

bool ParsePort(std::string_view s, uint16_t& port) {
  if (s.empty() || s.size() > 5) return false;
  uint32_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint32_t>(c - '0');
  }
  if (v == 0 || v > 65535) return false;
  port = static_cast<uint16_t>(v);
  return true;
}

bool PlausibleHost(std::string_view h) {
  if (h.empty() || h.size() > 253) return false;
  for (char c : h) {
    const auto u = static_cast<unsigned char>(c);
    if (!(std::isalnum(u) || c == '.' || c == '-' || c == '_' || c == ':' || c == '%')) return false;
  }
  return true;
}

bool ParseSourceName(std::string_view text, SourceAddress& out, std::string* error) {
  const std::string_view t = TrimBlanks(text);
  SourceAddress a;
  std::string_view rest;
  if (StartsWithNoCase(t, "udp:")) {
    a.kind = SourceKind::Udp;
    rest = t.substr(4);
  } else if (StartsWithNoCase(t, "tcp:")) {
    a.kind = SourceKind::Tcp;
    rest = t.substr(4);
  } else if (IsMqttName(t)) {
    a.kind = SourceKind::Mqtt;
    if (!ParseMqttName(t, a.mqtt, error)) return false;
    out = std::move(a);
    return true;
  } else {
    return Fail(error, "udp:, tcp: か mqtt:// で始めてください");
  }
  if (a.kind == SourceKind::Udp) {
    if (const size_t at = rest.find('@'); at != std::string_view::npos) {
      const std::string_view group = Unbracket(rest.substr(0, at));
      if (!PlausibleHost(group)) return Fail(error, "マルチキャストグループが正しくありません");
      if (!ParsePort(rest.substr(at + 1), a.port)) return Fail(error, "ポート番号は 1～65535 です");
      a.group.assign(group);
    } else if (rest.find(':') == std::string_view::npos) {
      if (!ParsePort(rest, a.port)) return Fail(error, "ポート番号は 1～65535 です");
    } else if (!SplitHostPort(rest, a.host, a.port)) {
      return Fail(error, "アドレス:ポート の形で書いてください");
    }
  } else if (!SplitHostPort(rest, a.host, a.port)) {
    return Fail(error, "tcp:ホスト:ポート の形で書いてください");
  }
  out = std::move(a);
  return true;
}

std::string SourceName(const SourceAddress& a) {
  if (a.kind == SourceKind::Mqtt) return MqttDisplayName(a.mqtt);
  if (a.kind == SourceKind::Tcp) return "tcp:" + HostPort(a.host, a.port);
  if (!a.group.empty()) {
    const std::string g = IsIpv6Literal(a.group) ? "[" + a.group + "]" : a.group;
    return "udp:" + g + "@" + std::to_string(a.port);
  }
  if (!a.host.empty()) return "udp:" + HostPort(a.host, a.port);
  return "udp:" + std::to_string(a.port);
}

std::string SourceDisplayName(const SourceAddress& a) {
  if (a.kind == SourceKind::Mqtt) return "MQTT " + a.mqtt.host + "/" + a.mqtt.topic;
  if (a.kind == SourceKind::Tcp) return "TCP " + HostPort(a.host, a.port);
  return "UDP" + std::to_string(a.port);
}

}  // namespace aismon
