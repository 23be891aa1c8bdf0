#include "net/output_name.h"

#include <cctype>

#include "ais/vdx_assembly.h"
#include "net/source_name.h"
#include "text/text_parse.h"

namespace aismon {

namespace {

constexpr int kHighestType = 27;

bool Fail(std::string* error, const char* why) {
  if (error != nullptr) *error = why;
  return false;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// "1,2,3,5" into bits; false for an empty list or a number outside 1..27.
bool ParseTypes(std::string_view s, uint32_t& bits) {
  bits = 0;
  while (true) {
    const size_t comma = s.find(',');
    const std::string_view n = s.substr(0, comma);
    if (n.empty() || n.size() > 2) return false;
    int v = 0;
    for (char c : n) {
      if (c < '0' || c > '9') return false;
      v = v * 10 + (c - '0');
    }
    if (v < 1 || v > kHighestType) return false;
    bits |= 1u << v;
    if (comma == std::string_view::npos) return true;
    s.remove_prefix(comma + 1);
  }
}

bool ParseOptions(std::string_view query, OutputAddress& a, std::string* error) {
  while (!query.empty()) {
    const size_t amp = query.find('&');
    const std::string_view item = query.substr(0, amp);
    const size_t eq = item.find('=');
    const std::string key = Lower(item.substr(0, eq));
    const std::string_view value = eq == std::string_view::npos ? std::string_view() : item.substr(eq + 1);
    if (key == "vdo") {
      if (value != "0" && value != "1") return Fail(error, "vdo は 0 か 1 です");
      a.vdo = value == "1";
    } else if (key == "types") {
      if (!ParseTypes(value, a.types)) return Fail(error, "types はメッセージ番号 (1～27) をカンマで区切って並べます");
    } else if (key == "format") {
      const std::string v = Lower(value);
      if (a.kind != OutputKind::Mqtt) return Fail(error, "format は mqtt:// の出力だけに使えます");
      if (v != "json" && v != "nmea") return Fail(error, "format は json か nmea です");
      a.json = v == "json";
    } else {
      return Fail(error, "使えるオプションは vdo, types, format です");
    }
    if (amp == std::string_view::npos) break;
    query.remove_prefix(amp + 1);
  }
  return true;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && Lower(s.substr(0, prefix.size())) == prefix;
}

std::string HostPort(const std::string& host, uint16_t port) {
  std::string out = host.find(':') != std::string::npos ? "[" + host + "]" : host;
  return out + ":" + std::to_string(port);
}

}  // namespace

bool OutputAddress::Passes(int mode, int type) const {
  if (mode == kOwnShipMode && !vdo) return false;
  if (types == 0) return true;
  return type >= 1 && type <= kHighestType && (types & (1u << type)) != 0;
}

bool ParseOutputName(std::string_view text, OutputAddress& out, std::string* error) {
  const std::string_view t = TrimBlanks(text);
  const size_t q = t.find('?');
  const std::string_view base = t.substr(0, q);
  OutputAddress a;
  if (IsMqttName(base)) {
    a.kind = OutputKind::Mqtt;
    if (!ParseMqttName(base, a.mqtt, error)) return false;
  } else if (StartsWithNoCase(base, "tcp-server:")) {
    a.kind = OutputKind::TcpServer;
    const std::string_view rest = base.substr(11);
    if (rest.find(':') == std::string_view::npos) {
      // A bare port: every address. Written through the source parser's UDP form.
      SourceAddress port;
      if (!ParseSourceName("udp:" + std::string(rest), port)) return Fail(error, "ポート番号は 1～65535 です");
      a.port = port.port;
    } else {
      SourceAddress tcp;
      if (!ParseSourceName("tcp:" + std::string(rest), tcp)) return Fail(error, "tcp-server:[アドレス:]ポート の形で書いてください");
      a.host = tcp.host;
      a.port = tcp.port;
    }
  } else if (StartsWithNoCase(base, "udp:")) {
    a.kind = OutputKind::Udp;
    SourceAddress dest;
    if (base.substr(4).find(':') == std::string_view::npos ||
        !ParseSourceName("tcp:" + std::string(base.substr(4)), dest))
      return Fail(error, "udp:ホスト:ポート の形で書いてください");
    a.host = dest.host;
    a.port = dest.port;
  } else {
    return Fail(error, "tcp-server:, udp: か mqtt:// で始めてください");
  }
  if (q != std::string_view::npos && !ParseOptions(t.substr(q + 1), a, error)) return false;
  out = std::move(a);
  return true;
}

std::string OutputName(const OutputAddress& a, bool withPassword) {
  std::string out;
  switch (a.kind) {
    case OutputKind::TcpServer:
      out = "tcp-server:" + (a.host.empty() ? std::to_string(a.port) : HostPort(a.host, a.port));
      break;
    case OutputKind::Udp: out = "udp:" + HostPort(a.host, a.port); break;
    case OutputKind::Mqtt: out = withPassword ? MqttName(a.mqtt) : MqttDisplayName(a.mqtt); break;
  }
  std::string options;
  if (a.vdo) options += "&vdo=1";
  if (a.types != 0) {
    options += "&types=";
    for (int n = 1; n <= kHighestType; ++n)
      if ((a.types & (1u << n)) != 0) options += std::to_string(n) + ",";
    options.pop_back();
  }
  if (a.json) options += "&format=json";
  if (!options.empty()) out += "?" + options.substr(1);
  return out;
}

}  // namespace aismon
