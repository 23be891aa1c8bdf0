#pragma once
// Reads the serial ports on a thread of their own, so neither a long frame nor a slow
// screen leaves a receiver's line unread: each port's bytes wait in a bounded ring until
// the window's thread takes and decodes them. Only bytes cross between the threads; the
// line assemblers, the decoding and the ship table stay on the window's thread.
#include <QObject>
#include <QThread>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "input/byte_ring.h"

class QSerialPort;

namespace aismon {

inline constexpr int kReaderChannels = 20;
// Memory a port may hold ahead of decoding: Qt's buffer plus the ring, 64 KiB in all.
// Beyond that input waits in the operating system and is dropped there when that fills.
inline constexpr size_t kPortRingBytes = 48 * 1024;
inline constexpr qint64 kPortQtBufferBytes = 16 * 1024;

class PortReader {
 public:
  PortReader() = default;
  ~PortReader();
  PortReader(const PortReader&) = delete;
  PortReader& operator=(const PortReader&) = delete;

  // Channel i (0..19) opens device at 38400 8N1 on the reader's thread, dropping whatever
  // was pending; false with the reason in Japanese (UTF-8).
  bool Open(int i, const std::string& device, std::string& error);
  // Closes channel i and throws away what waits in its ring.
  void Close(int i);
  // Bytes of channel i read and waiting to be taken.
  size_t Waiting(int i) const;
  // Moves what Qt has read from every open port into its ring now, on the reader's thread
  // (at close, so that nothing already taken from a device is left undecoded).
  void CollectRead();
  // The device failed (unplugged) after opening; what was read before it still waits.
  bool Gone(int i) const;
  // Up to max bytes of channel i, oldest first. waitedMs: how long the oldest of them
  // waited in the ring.
  size_t Take(int i, char* to, size_t max, uint32_t& waitedMs);

  // Called on context's thread, soon after bytes arrive on an empty ring (several
  // arrivals may share one call).
  void SetWake(QObject* context, std::function<void()> wake);
  // The longest gap between two reads that brought bytes, since the last call.
  uint32_t TakeLongestReadGapMs() { return longestGapMs_.exchange(0); }

 private:
  using Steady = std::chrono::steady_clock;
  struct Channel {
    mutable std::mutex lock;
    std::unique_ptr<ByteRing> ring;  // made at the first open, kept
    bool gone = false;
    bool stalled = false;  // the ring was full: Qt's buffer holds more
    Steady::time_point firstWaiting{};
    // Touched on the reader's thread only.
    QSerialPort* port = nullptr;
    Steady::time_point lastRead{};
  };

  bool StartThread();  // false when the thread could not be started
  void OnThread(const std::function<void()>& work);  // runs work there and waits for it
  void Drain(int i);                                   // on the reader's thread
  void Fail(int i);                                    // on the reader's thread
  QSerialPort* DetachPort(int i);  // on the reader's thread: out of its channel, its signals cut
  void ClosePortOnThread(int i);
  void Wake();

  QThread thread_;
  QObject* worker_ = nullptr;  // lives on thread_; the context of the work sent there
  Channel channels_[kReaderChannels];
  std::atomic<uint32_t> longestGapMs_{0};
  std::atomic<bool> wakePending_{false};
  std::mutex wakeLock_;  // the reader's thread reads the two below
  QObject* wakeContext_ = nullptr;
  std::function<void()> wake_;
};

}  // namespace aismon
