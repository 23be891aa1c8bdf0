#include "net/datagram_lines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace aismon {
namespace {

constexpr char kA[] = "!AIVDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D";
constexpr char kB[] = "!AIVDM,1,1,,B,13u?etPv2;0n:dDPwUM1U1Cb069D,0*24";

struct DatagramRow {
  const char* name;
  std::vector<std::string> datagrams;
  std::vector<std::string> lines;
};

TEST(DatagramLines, OneSeveralAndSplitSentences) {
  const std::string a = kA, b = kB;
  const DatagramRow rows[] = {
      {"one with its line end", {a + "\r\n"}, {a}},
      {"one without a line end", {a}, {a}},
      {"several in one", {a + "\r\n" + b + "\r\n"}, {a, b}},
      {"several, the last without a line end", {a + "\n" + b}, {a, b}},
      {"split inside the payload", {a.substr(0, 20), a.substr(20) + "\r\n"}, {a}},
      {"split inside the checksum", {a.substr(0, a.size() - 1), a.substr(a.size() - 1)}, {a}},
      {"split before the line end", {a, "\r\n" + b}, {a, b}},
      {"noise between", {"xx\x01\xff" + a + "\r\n\r\n", "garbage", b}, {a, b}},
      {"an empty datagram", {"", a}, {a}},
      {"a cut sentence is given up at the next start", {a.substr(0, 30), b}, {b}},
  };
  for (const DatagramRow& r : rows) {
    SCOPED_TRACE(r.name);
    LineAssembler assembler;
    std::vector<std::string> got;
    for (const std::string& d : r.datagrams)
      FeedDatagram(assembler, d.data(), static_cast<int64_t>(d.size()), [&](const char* l) { got.emplace_back(l); });
    EXPECT_EQ(got, r.lines);
  }
}

}  // namespace
}  // namespace aismon
