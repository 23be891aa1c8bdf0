#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/clock.h"
#include "net/qt/network_sources.h"
#include "tests/net/qt/socket_helpers.h"

namespace aismon {
namespace {

using testing::PumpFor;
using testing::PumpUntil;
using testing::SendDatagram;

constexpr char kA[] = "!AIVDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D";
constexpr char kB[] = "!AIVDM,1,1,,B,13u?etPv2;0n:dDPwUM1U1Cb069D,0*24";

SourceAddress Udp(const char* host, uint16_t port) {
  SourceAddress a;
  a.kind = SourceKind::Udp;
  a.host = host;
  a.port = port;
  return a;
}

struct UdpRow {
  const char* name;
  const char* bindHost;  // "" = every address
  QHostAddress to;
  std::vector<std::string> datagrams;
  std::vector<std::string> lines;
};

TEST(UdpSource, OneSeveralAndSplitSentencesOverIpv4AndIpv6) {
  const std::string a = kA, b = kB;
  const UdpRow rows[] = {
      {"one sentence, IPv4 to every address", "", QHostAddress::LocalHost, {a + "\r\n"}, {a}},
      {"one sentence, IPv6 to every address", "", QHostAddress::LocalHostIPv6, {a + "\r\n"}, {a}},
      {"one without a line end", "127.0.0.1", QHostAddress::LocalHost, {a}, {a}},
      {"several in one datagram", "::1", QHostAddress::LocalHostIPv6, {a + "\r\n" + b + "\r\n" + a}, {a, b, a}},
      {"one split over two datagrams", "127.0.0.1", QHostAddress::LocalHost, {a.substr(0, 25), a.substr(25)}, {a}},
  };
  for (const UdpRow& r : rows) {
    SCOPED_TRACE(r.name);
    ManualClock clock(1000);
    NetworkSources sources(clock);
    sources.SetSources({Udp(r.bindHost, 0)});
    ASSERT_EQ(sources.Count(), 1u);
    const NetworkSource& s = sources.At(0);
    ASSERT_EQ(s.State(), SourceState::Open) << s.LastError();
    for (const std::string& d : r.datagrams) {
      SendDatagram(r.to, s.LocalPort(), d);
      PumpFor(5);  // keep the datagrams apart and in order
    }
    std::vector<std::string> got;
    clock.Advance(500);
    EXPECT_TRUE(PumpUntil([&] {
      sources.Sweep([&](const char* line, SourceId) { got.emplace_back(line); });
      return got.size() >= r.lines.size();
    }));
    PumpFor(20);
    sources.Sweep([&](const char* line, SourceId) { got.emplace_back(line); });
    EXPECT_EQ(got, r.lines);
    EXPECT_EQ(s.LinesReceived(), r.lines.size());
    EXPECT_EQ(s.LastReadTick(), 1500u);
  }
}

TEST(UdpSource, AFloodOnOneSourceDoesNotStarveAnother) {
  ManualClock clock;
  NetworkSources sources(clock);
  sources.SetSources({Udp("127.0.0.1", 0), Udp("::1", 0)});
  ASSERT_EQ(sources.At(0).State(), SourceState::Open);
  ASSERT_EQ(sources.At(1).State(), SourceState::Open);
  // A second of a 20,000 sentences/s flood arrives at once on the first source, and only
  // then 20 sentences on the second.
  {
    QUdpSocket flood;
    const std::string line = std::string(kA) + "\r\n";
    for (int i = 0; i < 20000; ++i)
      flood.writeDatagram(line.data(), static_cast<qint64>(line.size()), QHostAddress::LocalHost,
                          sources.At(0).LocalPort());
  }
  for (int i = 0; i < 20; ++i) SendDatagram(QHostAddress::LocalHostIPv6, sources.At(1).LocalPort(), std::string(kB) + "\r\n");
  PumpFor(50);
  int fromA = 0, fromB = 0;
  const LineSink count = [&](const char* line, SourceId) { (line[12] == 'A' ? fromA : fromB) += 1; };
  sources.Sweep(count);
  // One sweep took the second source's sentences, and no more than its share of the flood.
  EXPECT_EQ(fromB, 20);
  EXPECT_GT(fromA, 0);
  EXPECT_LE(fromA, kSourceSweepBytes / static_cast<int>(sizeof kA) + 1);
  // The flood is still waiting (partly dropped by the socket, never by us out of turn).
  const int afterOne = fromA;
  sources.Sweep(count);
  EXPECT_GT(fromA, afterOne);
}

TEST(UdpSource, APortInUseIsShownAndTakenWhenFreed) {
  ManualClock clock(0);
  auto blocker = std::make_unique<QUdpSocket>();
  ASSERT_TRUE(blocker->bind(QHostAddress::LocalHost, 0, QAbstractSocket::DontShareAddress));
  const uint16_t port = blocker->localPort();
  NetworkSources sources(clock);
  sources.SetSources({Udp("127.0.0.1", port), Udp("", port)});
  for (size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(sources.At(i).State(), SourceState::Waiting);
    EXPECT_NE(sources.At(i).LastError().find("使用中"), std::string::npos) << sources.At(i).LastError();
  }
  // Tried again after a second, still in use; then the other listener goes away.
  clock.Advance(1000);
  sources.Tick();
  EXPECT_EQ(sources.At(0).State(), SourceState::Waiting);
  EXPECT_EQ(sources.At(0).Schedule().LastDelayMs(), 2000u);
  blocker.reset();
  clock.Advance(1999);
  sources.Tick();
  EXPECT_EQ(sources.At(0).State(), SourceState::Waiting);
  clock.Advance(1);
  sources.Tick();
  // Both wanted the port; the first takes it, the second still finds it in use.
  EXPECT_EQ(sources.At(0).State(), SourceState::Open) << sources.At(0).LastError();
  EXPECT_EQ(sources.At(1).State(), SourceState::Waiting);
  SendDatagram(QHostAddress::LocalHost, port, std::string(kA) + "\n");
  std::vector<std::string> got;
  EXPECT_TRUE(PumpUntil([&] {
    sources.Sweep([&](const char* line, SourceId) { got.emplace_back(line); });
    return !got.empty();
  }));
  EXPECT_EQ(got, std::vector<std::string>{kA});
}

TEST(UdpSource, ChangingTheListKeepsRunningSourcesAndClosesRemovedOnes) {
  ManualClock clock;
  NetworkSources sources(clock);
  sources.SetSources({Udp("127.0.0.1", 0)});
  const uint16_t first = sources.At(0).LocalPort();
  const NetworkSource* kept = &sources.At(0);
  // The same name is kept (same socket), a new one is opened, and the list is in order.
  SourceAddress same = Udp("127.0.0.1", 0);
  sources.SetSources({Udp("::1", 0), same});
  ASSERT_EQ(sources.Count(), 2u);
  EXPECT_EQ(&sources.At(1), kept);
  EXPECT_EQ(sources.At(1).LocalPort(), first);
  EXPECT_EQ(sources.At(0).State(), SourceState::Open);
  // Removing a source gives its port back at once.
  sources.SetSources({Udp("::1", 0)});
  QUdpSocket again;
  EXPECT_TRUE(again.bind(QHostAddress::LocalHost, first, QAbstractSocket::DontShareAddress));
  // At most eight, duplicates once.
  std::vector<SourceAddress> many(3, Udp("::1", 0));
  for (int i = 0; i < 9; ++i) {
    SourceAddress t;
    t.kind = SourceKind::Tcp;
    t.host = "127.0.0.1";
    t.port = static_cast<uint16_t>(1 + i);
    many.push_back(t);
  }
  sources.SetSources(many);
  EXPECT_EQ(sources.Count(), 8u);
  EXPECT_EQ(sources.Names()[0], "udp:[::1]:0");
  EXPECT_EQ(sources.Names()[1], "tcp:127.0.0.1:1");
}

}  // namespace
}  // namespace aismon
