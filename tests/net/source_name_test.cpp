#include "net/source_name.h"

#include <gtest/gtest.h>

namespace aismon {
namespace {

struct NameRow {
  const char* text;
  SourceKind kind;
  const char* host;
  const char* group;
  int port;
  const char* canonical;
  const char* display;
};

TEST(SourceName, ReadsEveryWrittenForm) {
  const NameRow rows[] = {
      {"udp:10110", SourceKind::Udp, "", "", 10110, "udp:10110", "UDP10110"},
      {"  UDP:2000 ", SourceKind::Udp, "", "", 2000, "udp:2000", "UDP2000"},
      {"udp:127.0.0.1:10110", SourceKind::Udp, "127.0.0.1", "", 10110, "udp:127.0.0.1:10110", "UDP10110"},
      {"udp:[::1]:10110", SourceKind::Udp, "::1", "", 10110, "udp:[::1]:10110", "UDP10110"},
      {"udp:::1:10110", SourceKind::Udp, "::1", "", 10110, "udp:[::1]:10110", "UDP10110"},
      {"udp:fe80::1%eth0:5000", SourceKind::Udp, "fe80::1%eth0", "", 5000, "udp:[fe80::1%eth0]:5000", "UDP5000"},
      {"udp:239.192.0.1@60001", SourceKind::Udp, "", "239.192.0.1", 60001, "udp:239.192.0.1@60001", "UDP60001"},
      {"udp:[ff02::1]@10110", SourceKind::Udp, "", "ff02::1", 10110, "udp:[ff02::1]@10110", "UDP10110"},
      {"tcp:192.168.1.5:10110", SourceKind::Tcp, "192.168.1.5", "", 10110, "tcp:192.168.1.5:10110",
       "TCP 192.168.1.5:10110"},
      {"Tcp:localhost:2947", SourceKind::Tcp, "localhost", "", 2947, "tcp:localhost:2947", "TCP localhost:2947"},
      {"tcp:ais-rx.local:65535", SourceKind::Tcp, "ais-rx.local", "", 65535, "tcp:ais-rx.local:65535",
       "TCP ais-rx.local:65535"},
      {"tcp:[::1]:10110", SourceKind::Tcp, "::1", "", 10110, "tcp:[::1]:10110", "TCP [::1]:10110"},
      {"tcp:2001:db8::7:1", SourceKind::Tcp, "2001:db8::7", "", 1, "tcp:[2001:db8::7]:1", "TCP [2001:db8::7]:1"},
  };
  for (const NameRow& r : rows) {
    SCOPED_TRACE(r.text);
    SourceAddress a;
    ASSERT_TRUE(ParseSourceName(r.text, a));
    EXPECT_EQ(a.kind, r.kind);
    EXPECT_EQ(a.host, r.host);
    EXPECT_EQ(a.group, r.group);
    EXPECT_EQ(a.port, r.port);
    EXPECT_EQ(SourceName(a), r.canonical);
    EXPECT_EQ(SourceDisplayName(a), r.display);
    SourceAddress back;
    ASSERT_TRUE(ParseSourceName(SourceName(a), back));
    EXPECT_EQ(back, a);
  }
}

TEST(SourceName, RejectsWhatIsNotASource) {
  const char* bad[] = {"",          "10110",          "udp:",          "udp:0",        "udp:65536",
                       "udp:-1",    "udp:10110x",     "udp:abc",       "udp:1.2.3.4:", "udp::10110",
                       "tcp:10110", "tcp:host",       "tcp:host:",     "tcp::10110",   "tcp:[::1]10110",
                       "tcp:[::1]", "tcp:[host]:1",   "tcp:a b:10110", "tcp:h@x:1",    "serial:/dev/ttyUSB0",
                       "udp:@10110", "udp:239.1.1.1@", "udp:1234567",  "tcp:host:99999"};
  for (const char* text : bad) {
    SCOPED_TRACE(text);
    SourceAddress a;
    a.port = 7;
    std::string why;
    EXPECT_FALSE(ParseSourceName(text, a, &why));
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(a.port, 7);  // left as it was
  }
}

}  // namespace
}  // namespace aismon
