#pragma once
// One network source on Qt Network: a UDP socket bound to a port (optionally joined to a
// multicast group), a TCP client that reconnects with back-off, or a subscription at an
// MQTT broker (each receiver behind the broker, named by the topic level the filter's
// wildcard matches, its own sub-source). Never blocks: binding,
// name lookup and connecting run in the event loop, and reads take only what is pending.
#include <QAbstractSocket>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "common/clock.h"
#include "input/line_assembler.h"
#include "input/source_registry.h"
#include "net/reconnect_schedule.h"
#include "net/source_name.h"

class QTcpSocket;
class QUdpSocket;

namespace aismon {

class MqttClient;

// At most this much is taken from one source in one sweep, so a flood on one source
// leaves time for the others; the rest waits in the socket (and is dropped there when
// that fills).
inline constexpr int kSourceSweepBytes = 4096;
// Bytes Qt may buffer for a TCP source ahead of our reads.
inline constexpr qint64 kSourceBufferBytes = 64 * 1024;
// A TCP connection attempt that has not completed after this long is given up.
inline constexpr uint32_t kConnectTimeoutMs = 10000;

enum class SourceState {
  Connecting,  // TCP: looking up the name or connecting
  Open,        // UDP bound and listening, TCP connected
  Waiting,     // failed; tried again at the schedule's due tick
};

// A complete line and the id of the source it came from.
using LineSink = std::function<void(const char* line, SourceId source)>;

class NetworkSource {
 public:
  // registry: where an MQTT source registers its sub-sources (none: all lines are id's).
  NetworkSource(const SourceAddress& address, Clock& clock, SourceId id = kDefaultSource,
                SourceRegistry* registry = nullptr);
  ~NetworkSource();
  NetworkSource(const NetworkSource&) = delete;
  NetworkSource& operator=(const NetworkSource&) = delete;

  // ready runs whenever the socket has something to read (from the next Open on).
  void SetReadyHook(std::function<void()> ready) { ready_ = std::move(ready); }
  // Binds or starts connecting; a failure leaves the source Waiting with its reason.
  void Open();
  // Reads what is pending, at most kSourceSweepBytes, feeding complete lines to accept;
  // returns the bytes read.
  int Read(const LineSink& accept);
  // Pulls waiting TCP bytes into the socket's buffer without handing on a line, so a long
  // frame can keep the connection read; datagrams wait in the socket's own buffer.
  void Prefetch();
  // Notices lost or refused connections, silence and connection timeouts, and retries
  // when the schedule says so.
  void Tick();

  const SourceAddress& Address() const { return address_; }
  SourceId Id() const { return id_; }
  SourceState State() const { return state_; }
  const std::string& LastError() const { return lastError_; }  // Japanese, UTF-8
  uint32_t LastReadTick() const { return lastReadTick_; }
  uint64_t LinesReceived() const { return lines_; }
  const ReconnectSchedule& Schedule() const;
  // The tick at which Open was last called (a test reads how the retries were spaced).
  uint32_t LastAttemptTick() const { return lastAttemptTick_; }
  // The UDP port actually bound (a source made with port 0 gets one from the system).
  uint16_t LocalPort() const;

 private:
  void OpenUdp();
  void OpenTcp();
  void OpenMqtt();
  void MirrorMqttState();
  void Fail(const std::string& reason);
  void CheckTcpState();
  void CloseSocket();

  SourceAddress address_;
  Clock& clock_;
  SourceId id_;
  std::unique_ptr<QUdpSocket> udp_;
  std::unique_ptr<QTcpSocket> tcp_;
  std::unique_ptr<MqttClient> mqtt_;
  SourceRegistry* registry_;
  const LineSink* mqttSink_ = nullptr;  // where the messages of one Read go
  std::unique_ptr<char[]> buffer_;  // one datagram, or one TCP read
  LineAssembler assembler_;
  ReconnectSchedule schedule_;
  SourceState state_ = SourceState::Waiting;
  std::string lastError_;
  uint32_t lastReadTick_ = 0;
  uint32_t lastDataOrOpenTick_ = 0;
  uint32_t lastAttemptTick_ = 0;
  uint64_t lines_ = 0;
  std::function<void()> ready_;
};

// The reason for a socket error as a person reads it, with Qt's own text after it.
std::string SocketErrorText(QAbstractSocket::SocketError error, const QString& qtText);

}  // namespace aismon
