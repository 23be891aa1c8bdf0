// The TCP server output with real clients on 127.0.0.1: clients come and go and are
// counted; more than the limit are turned away.
#include "net/qt/tcp_server_output.h"

#include <gtest/gtest.h>

#include <QTcpSocket>
#include <memory>
#include <vector>

#include "tests/net/qt/socket_helpers.h"

namespace aismon {
namespace {

using testing::PumpUntil;

TEST(TcpServerOutput, CountsClientsThatComeAndGoAndTurnsAwayThoseOverTheLimit) {
  ManualClock clock{1000};
  OutputAddress a;
  ASSERT_TRUE(ParseOutputName("tcp-server:127.0.0.1:" + std::to_string(testing::FreeTcpPort()), a));
  TcpServerOutput out(a, clock);
  out.Start();
  ASSERT_EQ(out.Status().state, OutputState::Open) << out.Status().lastError;
  auto clients = [&] {
    out.Tick();
    return out.Status().clients;
  };
  std::vector<std::unique_ptr<QTcpSocket>> peers;
  for (int i = 0; i < kMaxTcpClients + 2; ++i) {
    peers.push_back(std::make_unique<QTcpSocket>());
    peers.back()->connectToHost(QHostAddress::LocalHost, a.port);
  }
  ASSERT_TRUE(PumpUntil([&] { return clients() == kMaxTcpClients; }));
  // The two over the limit are closed by the server.
  ASSERT_TRUE(PumpUntil([&] {
    int closed = 0;
    for (auto& p : peers) closed += p->state() == QAbstractSocket::UnconnectedState ? 1 : 0;
    return closed == 2;
  }));
  peers[0]->disconnectFromHost();
  peers[1]->abort();
  EXPECT_TRUE(PumpUntil([&] { return clients() == kMaxTcpClients - 2; }));
}

}  // namespace
}  // namespace aismon
