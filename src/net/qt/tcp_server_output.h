#pragma once
// "tcp-server:[ADDR:]PORT": serves every forwarded message to each connected client (a
// plotter on a tablet), up to 64 clients. Each client has a bounded queue: one that
// cannot keep up loses whole messages, and neither the intake nor the other clients
// wait for it. What clients send is read and thrown away.
#include <QTcpServer>
#include <memory>
#include <vector>

#include "common/clock.h"
#include "net/output_name.h"
#include "net/qt/output.h"
#include "net/reconnect_schedule.h"

class QTcpSocket;

namespace aismon {

inline constexpr int kMaxTcpClients = 64;
// What may wait for one client in our buffer before its messages are dropped; the
// kernel's send buffer for it is set to kClientSocketBytes on top of that.
inline constexpr qint64 kClientQueueBytes = 256 * 1024;
inline constexpr int kClientSocketBytes = 64 * 1024;

class TcpServerOutput final : public Output {
 public:
  TcpServerOutput(const OutputAddress& address, Clock& clock);
  ~TcpServerOutput() override;

  void Start() override;
  void Send(const ForwardedMessage& message) override;
  // Writes what waits for each client as far as its socket takes it now, instead of a
  // piece per turn of the event loop: under a flood the queues then drain every sweep.
  void Flush() override;
  void Tick() override;
  OutputStatus Status() const override;

  uint16_t Port() const { return server_.serverPort(); }  // the port bound (0 asks the system)

 private:
  struct Client {
    QTcpSocket* socket;  // owned by the server object's children
    bool gone = false;
  };
  void Listen();
  void TakeConnections();
  void Prune();

  OutputAddress address_;
  Clock& clock_;
  QTcpServer server_;
  std::vector<Client> clients_;
  ReconnectSchedule schedule_;
  OutputState state_ = OutputState::Starting;
  std::string lastError_;
  uint64_t sent_ = 0;
  uint64_t dropped_ = 0;
  char text_[kMessageTextBytes];
};

}  // namespace aismon
