#pragma once
// The table of serial ports COM1 to COM20 on QSerialPort: opened 38400 8N1 for reading
// only, read without blocking, and one line assembler per port that survives closing and
// reopening, so a reopened port continues a line it had begun.
#include <QSerialPort>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "common/clock.h"
#include "input/line_assembler.h"

namespace aismon {

inline constexpr int kPortCount = 20;
inline constexpr int kReadChunk = 1024;
// Qt keeps reading behind our back into its own buffer; bound it so a port that floods
// while we paint cannot grow memory without limit.
inline constexpr qint64 kPortBufferBytes = 64 * 1024;

// Port number n (1..20) to device: the command line's "--port n=PATH" first, then key
// "COMn" of section "Ports" in the settings file, else COM1-10 -> /dev/ttyUSB0-9 and
// COM11-20 -> /dev/ttyACM0-9.
std::string DefaultPortDevice(int n);
// The "COMn" keys of section "Ports" (keys and section name compared without case);
// a missing file or section gives an empty map.
std::map<int, std::string> ReadPortsSection(const std::filesystem::path& iniPath);
std::string PortDevice(int n, const std::map<int, std::string>& commandLine,
                       const std::map<int, std::string>& iniPorts);
// "N=PATH" with N from 1 to 20 and a non-empty path; false otherwise.
bool ParsePortArgument(const std::string& arg, int& n, std::string& path);

class SerialPorts {
 public:
  explicit SerialPorts(Clock& clock) : clock_(clock) {}
  SerialPorts(const SerialPorts&) = delete;
  SerialPorts& operator=(const SerialPorts&) = delete;

  // Device path per port number 1..20 (empty: the port is never opened).
  void SetDevices(const std::map<int, std::string>& devices) { devices_ = devices; }
  const std::string& Device(int n) const;

  // Opens port n at 38400 8N1; false (slot left empty) when any step fails.
  bool OpenPort(int n);
  // Closes port n, throwing away anything pending; a closed slot is ignored.
  void ClosePort(int n);
  bool IsOpen(int n) const;
  // Reads up to 1024 waiting bytes into Buffer(n) without blocking; 0 for a closed port,
  // nothing waiting or a line error (the pending input is then dropped).
  int ReadPort(int n);
  // Pulls what waits on every open port into Qt's buffer (64 KiB a port) without blocking
  // or decoding, so a long frame does not leave the device unread; ReadPort hands it on.
  void Prefetch();
  const char* Buffer(int n) const { return slots_[Index(n)].buffer; }
  uint32_t LastReadTick(int n) const { return slots_[Index(n)].lastReadTick; }
  LineAssembler& Assembler(int n) { return slots_[Index(n)].assembler; }
  // Why the last OpenPort(n) failed, in Japanese (UTF-8); empty after a success.
  const std::string& OpenError(int n) const { return slots_[Index(n)].openError; }

 private:
  struct Slot {
    std::unique_ptr<QSerialPort> port;
    char buffer[kReadChunk] = {};
    uint32_t lastReadTick = 0;
    LineAssembler assembler;
    std::string openError;
  };
  static size_t Index(int n) { return static_cast<size_t>(n - 1); }

  Clock& clock_;
  std::map<int, std::string> devices_;
  Slot slots_[kPortCount];
};

}  // namespace aismon
