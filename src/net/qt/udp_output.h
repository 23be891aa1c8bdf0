#pragma once
// "udp:HOST:PORT": forwards messages as datagrams to one address (an aggregator, or a
// broadcast address), whole messages only, several per datagram up to a size that
// crosses any ordinary network unfragmented.
#include <QHostAddress>
#include <QUdpSocket>

#include "common/clock.h"
#include "net/output_name.h"
#include "net/qt/output.h"
#include "net/reconnect_schedule.h"

namespace aismon {

// An Ethernet frame less the IPv6 and UDP headers.
inline constexpr int kSafeDatagramBytes = 1452;

class UdpOutput final : public Output {
 public:
  UdpOutput(const OutputAddress& address, Clock& clock);
  ~UdpOutput() override;

  void Start() override;
  void Send(const ForwardedMessage& message) override;
  void Flush() override;
  void Tick() override;
  OutputStatus Status() const override;

 private:
  void Lookup();
  void Fail(const std::string& reason);

  OutputAddress address_;
  Clock& clock_;
  QUdpSocket socket_;
  QHostAddress destination_;
  int lookupId_ = -1;
  ReconnectSchedule schedule_;
  OutputState state_ = OutputState::Starting;
  std::string lastError_;
  uint64_t sent_ = 0;
  uint64_t dropped_ = 0;
  char datagram_[kSafeDatagramBytes];
  int used_ = 0;
  int linesInDatagram_ = 0;
  char text_[kMessageTextBytes];
};

}  // namespace aismon
