#include "app/serial_ports.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>

#include <QtGlobal>

namespace aismon {

namespace {

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// A decimal port number 1..20 and nothing else.
bool ParsePortNumber(const std::string& s, int& n) {
  if (s.empty() || s.size() > 2) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  n = std::atoi(s.c_str());
  return n >= 1 && n <= kPortCount;
}

}  // namespace

std::string DefaultPortDevice(int n) {
#ifdef Q_OS_WIN
  // Windows names the ports themselves; QSerialPort takes "COMn" for every n.
  if (n >= 1 && n <= kPortCount) return "COM" + std::to_string(n);
  return {};
#endif
  if (n >= 1 && n <= 10) return "/dev/ttyUSB" + std::to_string(n - 1);
  if (n >= 11 && n <= 20) return "/dev/ttyACM" + std::to_string(n - 11);
  return {};
}

std::map<int, std::string> ReadPortsSection(const std::filesystem::path& iniPath) {
  std::map<int, std::string> ports;
  std::ifstream in(iniPath, std::ios::binary);
  std::string line;
  bool inPorts = false;
  while (std::getline(in, line)) {
    const std::string t = Trim(line);
    if (t.empty() || t[0] == ';') continue;
    if (t.front() == '[') {
      inPorts = t.back() == ']' && Lower(Trim(t.substr(1, t.size() - 2))) == "ports";
      continue;
    }
    if (!inPorts) continue;
    const size_t eq = t.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = Lower(Trim(t.substr(0, eq)));
    const std::string value = Trim(t.substr(eq + 1));
    int n = 0;
    if (key.rfind("com", 0) == 0 && ParsePortNumber(key.substr(3), n) && !value.empty()) ports[n] = value;
  }
  return ports;
}

std::string PortDevice(int n, const std::map<int, std::string>& commandLine,
                       const std::map<int, std::string>& iniPorts) {
  if (auto it = commandLine.find(n); it != commandLine.end()) return it->second;
  if (auto it = iniPorts.find(n); it != iniPorts.end()) return it->second;
  return DefaultPortDevice(n);
}

bool ParsePortArgument(const std::string& arg, int& n, std::string& path) {
  const size_t eq = arg.find('=');
  if (eq == std::string::npos) return false;
  if (!ParsePortNumber(arg.substr(0, eq), n)) return false;
  path = arg.substr(eq + 1);
  return !path.empty();
}

const std::string& SerialPorts::Device(int n) const {
  static const std::string kNone;
  auto it = devices_.find(n);
  return it == devices_.end() ? kNone : it->second;
}

bool SerialPorts::OpenPort(int n) {
  if (n < 1 || n > kPortCount) return false;
  Slot& s = slots_[Index(n)];
  ClosePort(n);
  const std::string& device = Device(n);
  s.openError = "デバイスの指定がありません";
  if (device.empty()) return false;
  s.open = reader_.Open(static_cast<int>(Index(n)), device, s.openError);
  return s.open;
}

void SerialPorts::ClosePort(int n) {
  if (n < 1 || n > kPortCount) return;
  Slot& s = slots_[Index(n)];
  if (!s.open) return;
  reader_.Close(static_cast<int>(Index(n)));
  s.open = false;
}

bool SerialPorts::IsOpen(int n) const { return n >= 1 && n <= kPortCount && slots_[Index(n)].open; }

int SerialPorts::ReadPort(int n) {
  if (!IsOpen(n)) return 0;
  Slot& s = slots_[Index(n)];
  const int channel = static_cast<int>(Index(n));
  uint32_t waited = 0;
  const size_t got = reader_.Take(channel, s.buffer, kReadChunk, waited);
  if (got == 0) {
    if (reader_.Gone(channel)) ClosePort(n);
    return 0;
  }
  longestWaitMs_ = std::max(longestWaitMs_, waited);
  s.lastReadTick = clock_.TickMs();
  return static_cast<int>(got);
}

}  // namespace aismon
