#include "app/serial_ports.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>

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

std::string OpenErrorText(const QSerialPort& port) {
  const char* why = "開けません";
  switch (port.error()) {
    case QSerialPort::DeviceNotFoundError: why = "デバイスがありません"; break;
    case QSerialPort::PermissionError: why = "開く権限がないか、他のプログラムが使用中です"; break;
    case QSerialPort::UnsupportedOperationError: why = "この設定 (38400 8N1) にできません"; break;
    default: break;
  }
  return std::string(why) + " (" + port.errorString().toStdString() + ")";
}

}  // namespace

std::string DefaultPortDevice(int n) {
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
  s.port.reset();
  const std::string& device = Device(n);
  s.openError = "デバイスの指定がありません";
  if (device.empty()) return false;
  auto port = std::make_unique<QSerialPort>();
  port->setPortName(QString::fromStdString(device));
  port->setReadBufferSize(kPortBufferBytes);
  if (!port->open(QIODevice::ReadOnly)) {
    s.openError = OpenErrorText(*port);
    return false;
  }
  if (!port->setBaudRate(38400) || !port->setDataBits(QSerialPort::Data8) || !port->setParity(QSerialPort::NoParity) ||
      !port->setStopBits(QSerialPort::OneStop) || !port->setFlowControl(QSerialPort::NoFlowControl)) {
    s.openError = OpenErrorText(*port);
    port->close();
    return false;
  }
  port->clear(QSerialPort::AllDirections);
  s.openError.clear();
  s.port = std::move(port);
  return true;
}

void SerialPorts::ClosePort(int n) {
  if (n < 1 || n > kPortCount) return;
  Slot& s = slots_[Index(n)];
  if (!s.port) return;
  s.port->clear(QSerialPort::AllDirections);
  s.port->close();
  s.port.reset();
}

bool SerialPorts::IsOpen(int n) const {
  return n >= 1 && n <= kPortCount && slots_[Index(n)].port && slots_[Index(n)].port->isOpen();
}

void SerialPorts::Prefetch() {
  for (Slot& s : slots_)
    if (s.port && s.port->isOpen() && s.port->bytesAvailable() < kPortBufferBytes) s.port->waitForReadyRead(0);
}

int SerialPorts::ReadPort(int n) {
  if (!IsOpen(n)) return 0;
  Slot& s = slots_[Index(n)];
  QSerialPort& p = *s.port;
  // Outside the event loop Qt only fills its buffer when asked; a zero wait never blocks.
  if (p.bytesAvailable() == 0) p.waitForReadyRead(0);
  const QSerialPort::SerialPortError error = p.error();
  if (error == QSerialPort::ResourceError) {
    // The device has gone (unplugged): drop it so the periodic retry can find it again.
    ClosePort(n);
    return 0;
  }
  if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError) {
    p.clearError();
    p.clear(QSerialPort::Input);
    return 0;
  }
  if (error == QSerialPort::TimeoutError) p.clearError();
  const qint64 got = p.read(s.buffer, std::min<qint64>(p.bytesAvailable(), kReadChunk));
  if (got <= 0) return 0;
  s.lastReadTick = clock_.TickMs();
  return static_cast<int>(got);
}

}  // namespace aismon
