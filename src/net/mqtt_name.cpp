#include "net/mqtt_name.h"

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

bool Fail(std::string* error, const char* why) {
  if (error != nullptr) *error = why;
  return false;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Unescape(std::string_view s, std::string& out) {
  out.clear();
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') {
      out += s[i];
      continue;
    }
    const int hi = i + 1 < s.size() ? HexValue(s[i + 1]) : -1;
    const int lo = i + 2 < s.size() ? HexValue(s[i + 2]) : -1;
    if (hi < 0 || lo < 0) return false;
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return true;
}

std::string Escape(const std::string& s) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '%' || c == '@' || c == ':' || c == '/' || c == '?' || u <= 0x20 || u >= 0x7F) {
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 15];
    } else {
      out += c;
    }
  }
  return out;
}


std::string Name(const MqttAddress& a, bool withPassword) {
  std::string out = a.tls ? "mqtts://" : "mqtt://";
  if (!a.user.empty()) {
    out += Escape(a.user);
    if (withPassword && !a.password.empty()) out += ":" + Escape(a.password);
    out += '@';
  }
  out += a.host.find(':') != std::string::npos ? "[" + a.host + "]" : a.host;
  if (a.port != (a.tls ? kMqttTlsPort : kMqttPort)) out += ":" + std::to_string(a.port);
  return out + "/" + a.topic;
}

}  // namespace

bool IsMqttName(std::string_view text) {
  const std::string_view t = TrimBlanks(text);
  return StartsWithNoCase(t, "mqtt://") || StartsWithNoCase(t, "mqtts://");
}

bool ParseMqttName(std::string_view text, MqttAddress& out, std::string* error) {
  std::string_view t = TrimBlanks(text);
  MqttAddress a;
  if (StartsWithNoCase(t, "mqtts://")) {
    a.tls = true;
    a.port = kMqttTlsPort;
    t.remove_prefix(8);
  } else if (StartsWithNoCase(t, "mqtt://")) {
    t.remove_prefix(7);
  } else {
    return Fail(error, "mqtt:// か mqtts:// で始めてください");
  }
  t = t.substr(0, t.find('?'));
  const size_t slash = t.find('/');
  if (slash == std::string_view::npos || slash + 1 >= t.size()) return Fail(error, "トピックがありません (mqtt://ホスト/トピック)");
  a.topic.assign(t.substr(slash + 1));
  std::string_view authority = t.substr(0, slash);
  if (const size_t at = authority.rfind('@'); at != std::string_view::npos) {
    const std::string_view login = authority.substr(0, at);
    const size_t colon = login.find(':');
    if (!Unescape(login.substr(0, colon), a.user) ||
        (colon != std::string_view::npos && !Unescape(login.substr(colon + 1), a.password)))
      return Fail(error, "ユーザー名かパスワードの %XX が正しくありません");
    if (a.user.empty()) return Fail(error, "ユーザー名がありません");
    authority.remove_prefix(at + 1);
  }
  std::string_view host = authority;
  if (!authority.empty() && authority.front() == '[') {
    const size_t close = authority.find(']');
    if (close == std::string_view::npos) return Fail(error, "IPv6 アドレスの ] がありません");
    host = authority.substr(1, close - 1);
    const std::string_view rest = authority.substr(close + 1);
    if (!rest.empty() && (rest.front() != ':' || !ParsePort(rest.substr(1), a.port)))
      return Fail(error, "ポート番号は 1～65535 です");
  } else if (const size_t colon = authority.rfind(':'); colon != std::string_view::npos) {
    host = authority.substr(0, colon);
    if (host.find(':') != std::string_view::npos) return Fail(error, "IPv6 アドレスは [ ] で囲んでください");
    if (!ParsePort(authority.substr(colon + 1), a.port)) return Fail(error, "ポート番号は 1～65535 です");
  }
  if (!PlausibleHost(host)) return Fail(error, "ホスト名が正しくありません");
  a.host.assign(host);
  out = std::move(a);
  return true;
}

std::string MqttName(const MqttAddress& a) { return Name(a, true); }
std::string MqttDisplayName(const MqttAddress& a) { return Name(a, false); }

std::string_view TopicSubSource(std::string_view filter, std::string_view topic) {
  for (;;) {
    const size_t fEnd = filter.find('/');
    const std::string_view fLevel = filter.substr(0, fEnd);
    const size_t tEnd = topic.find('/');
    const std::string_view tLevel = topic.substr(0, tEnd);
    if (fLevel == "+" || fLevel == "#") return tLevel;
    if (fEnd == std::string_view::npos || tEnd == std::string_view::npos) return {};
    filter.remove_prefix(fEnd + 1);
    topic.remove_prefix(tEnd + 1);
  }
}

}  // namespace aismon
