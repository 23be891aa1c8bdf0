#pragma once
// The table of serial ports COM1 to COM20 on QSerialPort: opened 38400 8N1 for reading
// only, read on a thread of their own into bounded rings (see port_reader.h) and taken
// from there without blocking, and one line assembler per port that survives closing and
// reopening, so a reopened port continues a line it had begun.
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "app/port_reader.h"
#include "common/clock.h"
#include "input/line_assembler.h"

namespace aismon {

inline constexpr int kPortCount = 20;
inline constexpr int kReadChunk = 1024;
static_assert(kPortCount == kReaderChannels);

// Port number n (1..20) to device: the command line's "--port n=PATH" first, then key
// "COMn" of section "Ports" in the settings file, else COM1-10 -> /dev/ttyUSB0-9 and
// COM11-20 -> /dev/ttyACM0-9 (on Windows "COMn" itself).
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
  // Takes up to 1024 bytes the reader has read into Buffer(n), without blocking; 0 for a
  // closed port or nothing waiting. A port whose device has gone is closed here once what
  // was read before is taken, so the periodic retry can find it again.
  int ReadPort(int n);
  // Bytes port n has read that ReadPort has not taken yet (those Qt still holds aside).
  size_t Waiting(int n) const { return n >= 1 && n <= kPortCount ? reader_.Waiting(static_cast<int>(Index(n))) : 0; }
  // Moves what the reader has read from the devices so far where ReadPort takes it.
  void CollectRead() { reader_.CollectRead(); }
  // wake runs on context's thread soon after bytes arrive on a port that had none waiting.
  void SetWake(QObject* context, std::function<void()> wake) { reader_.SetWake(context, std::move(wake)); }
  // The longest gap between two reads of a port that brought bytes, since the last call.
  uint32_t TakeLongestReadGapMs() { return reader_.TakeLongestReadGapMs(); }
  // The longest time bytes waited between being read and being taken, since the last call.
  uint32_t TakeLongestWaitMs() {
    const uint32_t w = longestWaitMs_;
    longestWaitMs_ = 0;
    return w;
  }
  const char* Buffer(int n) const { return slots_[Index(n)].buffer; }
  uint32_t LastReadTick(int n) const { return slots_[Index(n)].lastReadTick; }
  LineAssembler& Assembler(int n) { return slots_[Index(n)].assembler; }
  // Why the last OpenPort(n) failed, in Japanese (UTF-8); empty after a success.
  const std::string& OpenError(int n) const { return slots_[Index(n)].openError; }

 private:
  struct Slot {
    bool open = false;
    char buffer[kReadChunk] = {};
    uint32_t lastReadTick = 0;
    LineAssembler assembler;
    std::string openError;
  };
  static size_t Index(int n) { return static_cast<size_t>(n - 1); }

  Clock& clock_;
  std::map<int, std::string> devices_;
  Slot slots_[kPortCount];
  uint32_t longestWaitMs_ = 0;
  PortReader reader_;  // last: its thread stops before the slots go
};

}  // namespace aismon
