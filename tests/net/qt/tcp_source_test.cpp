#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <memory>
#include <string>
#include <vector>

#include "common/clock.h"
#include "net/qt/network_sources.h"
#include "tests/net/qt/socket_helpers.h"

namespace aismon {
namespace {

using testing::PumpFor;
using testing::PumpUntil;

constexpr char kA[] = "!AIVDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D";
constexpr char kRmc[] = "$GPRMC,123456,A,3435.0000,N,13515.0000,E,8.0,20.0,090126,,,A*6C";

SourceAddress Tcp(const char* host, uint16_t port) {
  SourceAddress a;
  a.kind = SourceKind::Tcp;
  a.host = host;
  a.port = port;
  return a;
}

// The source with the event loop turning and every sweep's lines kept.
struct Receiver {
  ManualClock clock{50000};
  NetworkSources sources{clock};
  std::vector<std::string> lines;

  const NetworkSource& source() const { return sources.At(0); }
  bool PumpSweeping(const std::function<bool()>& done) {
    return PumpUntil([&] {
      sources.Sweep([&](const char* l, SourceId) { lines.emplace_back(l); });
      sources.Tick();
      return done();
    });
  }
};

// The server's side of one accepted connection.
std::unique_ptr<QTcpSocket> Accept(QTcpServer& server) {
  if (!PumpUntil([&] { return server.hasPendingConnections(); })) return nullptr;
  return std::unique_ptr<QTcpSocket>(server.nextPendingConnection());
}

void Send(QTcpSocket& peer, const std::string& bytes) {
  peer.write(bytes.data(), static_cast<qint64>(bytes.size()));
  peer.flush();
}

TEST(TcpSource, ReconnectsAfterADropWithBackOffAndComesBackToTheServer) {
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
  const uint16_t port = server.serverPort();
  Receiver r;
  r.sources.SetSources({Tcp("127.0.0.1", port)});
  EXPECT_EQ(r.source().State(), SourceState::Connecting);
  auto peer = Accept(server);
  ASSERT_TRUE(peer);
  ASSERT_TRUE(r.PumpSweeping([&] { return r.source().State() == SourceState::Open; }));

  // Sentences in pieces that do not follow the lines.
  const std::string stream = std::string(kA) + "\r\n" + kRmc + "\r\n" + kA + "\r\n";
  Send(*peer, stream.substr(0, 30));
  PumpFor(10);
  Send(*peer, stream.substr(30));
  ASSERT_TRUE(r.PumpSweeping([&] { return r.lines.size() == 3; }));
  EXPECT_EQ(r.lines, (std::vector<std::string>{kA, kRmc, kA}));
  EXPECT_EQ(r.source().LinesReceived(), 3u);

  // The server drops the connection: the source waits one second, then connects again.
  peer->close();
  peer.reset();
  ASSERT_TRUE(r.PumpSweeping([&] { return r.source().State() == SourceState::Waiting; }));
  EXPECT_FALSE(r.source().LastError().empty());
  const uint32_t failedAt = r.clock.TickMs();
  EXPECT_EQ(r.source().Schedule().DueTick(), failedAt + 1000);
  r.clock.Advance(999);
  r.sources.Tick();
  PumpFor(50);
  EXPECT_FALSE(server.hasPendingConnections());
  r.clock.Advance(1);
  r.sources.Tick();
  EXPECT_EQ(r.source().LastAttemptTick(), failedAt + 1000);
  peer = Accept(server);
  ASSERT_TRUE(peer);
  ASSERT_TRUE(r.PumpSweeping([&] { return r.source().State() == SourceState::Open; }));
  Send(*peer, std::string(kA) + "\n");
  ASSERT_TRUE(r.PumpSweeping([&] { return r.lines.size() == 4; }));

  // The server goes away: refused attempts 1, 2, 4, 8 s apart, never a blocking call.
  server.close();
  peer->close();
  peer.reset();
  std::vector<uint32_t> waits;
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(r.PumpSweeping([&] { return r.source().State() == SourceState::Waiting; }));
    waits.push_back(r.source().Schedule().DueTick() - r.clock.TickMs());
    const char* why = i == 0 ? "切りました" : "拒否";
    EXPECT_NE(r.source().LastError().find(why), std::string::npos) << r.source().LastError();
    r.clock.Advance(waits.back());
    r.sources.Tick();
  }
  EXPECT_EQ(waits, (std::vector<uint32_t>{1000, 2000, 4000, 8000}));

  // It comes back on the same port: the next attempt finds it, and data starts the
  // back-off series again.
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost, port));
  ASSERT_TRUE(r.PumpSweeping([&] { return r.source().State() != SourceState::Connecting; }));
  if (r.source().State() == SourceState::Waiting) {
    r.clock.Advance(r.source().Schedule().DueTick() - r.clock.TickMs());
    r.sources.Tick();
  }
  peer = Accept(server);
  ASSERT_TRUE(peer);
  ASSERT_TRUE(r.PumpSweeping([&] { return r.source().State() == SourceState::Open; }));
  Send(*peer, std::string(kA) + "\n");
  ASSERT_TRUE(r.PumpSweeping([&] { return r.lines.size() == 5; }));
  EXPECT_EQ(r.source().Schedule().NextDelayMs(), 1000u);
}

TEST(TcpSource, SilenceForAMinuteDropsTheConnection) {
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHostIPv6, 0));
  Receiver r;
  r.sources.SetSources({Tcp("::1", server.serverPort())});
  auto peer = Accept(server);
  ASSERT_TRUE(peer);
  ASSERT_TRUE(r.PumpSweeping([&] { return r.source().State() == SourceState::Open; }));
  r.clock.Advance(59999);
  r.sources.Tick();
  EXPECT_EQ(r.source().State(), SourceState::Open);
  r.clock.Advance(1);
  r.sources.Tick();
  EXPECT_EQ(r.source().State(), SourceState::Waiting);
  EXPECT_NE(r.source().LastError().find("60"), std::string::npos);
  // The server sees the connection go.
  EXPECT_TRUE(PumpUntil([&] { return peer->state() == QAbstractSocket::UnconnectedState; }));
}

TEST(TcpSource, AnUnreachablePortIsRetriedAndSaysWhy) {
  Receiver r;
  const uint16_t port = testing::FreeTcpPort();
  r.sources.SetSources({Tcp("127.0.0.1", port), Tcp("localhost", port)});
  for (size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    ASSERT_TRUE(r.PumpSweeping([&] { return r.sources.At(i).State() == SourceState::Waiting; }));
    EXPECT_NE(r.sources.At(i).LastError().find("接続を拒否されました"), std::string::npos)
        << r.sources.At(i).LastError();
    EXPECT_TRUE(r.lines.empty());
  }
}

}  // namespace
}  // namespace aismon
