#include "app/serial_ports.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QObject>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "support/temp_files.h"

namespace aismon {
namespace {

using testing::TempFolder;

struct DeviceRow {
  const char* name;
  int port;
  std::map<int, std::string> commandLine;
  std::map<int, std::string> ini;
  std::string expected;
};

TEST(PortDevice, CommandLineThenIniThenDefault) {
  const DeviceRow rows[] = {
      {"com1_default_usb0", 1, {}, {}, "/dev/ttyUSB0"},
      {"com10_default_usb9", 10, {}, {}, "/dev/ttyUSB9"},
      {"com11_default_acm0", 11, {}, {}, "/dev/ttyACM0"},
      {"com20_default_acm9", 20, {}, {}, "/dev/ttyACM9"},
      {"ini_replaces_default", 3, {}, {{3, "/dev/ttyS4"}}, "/dev/ttyS4"},
      {"command_line_beats_ini", 3, {{3, "/tmp/p"}}, {{3, "/dev/ttyS4"}}, "/tmp/p"},
      {"other_port_entries_ignored", 2, {{3, "/tmp/p"}}, {{4, "/dev/ttyS4"}}, "/dev/ttyUSB1"},
  };
  for (const DeviceRow& r : rows) EXPECT_EQ(PortDevice(r.port, r.commandLine, r.ini), r.expected) << r.name;
}

struct ArgRow {
  const char* name;
  const char* arg;
  bool ok;
  int n;
  const char* path;
};

TEST(PortDevice, ParsePortArgument) {
  const ArgRow rows[] = {
      {"plain", "1=/dev/pts/3", true, 1, "/dev/pts/3"},
      {"twenty", "20=/x", true, 20, "/x"},
      {"path_with_equals", "5=/a=b", true, 5, "/a=b"},
      {"zero", "0=/x", false, 0, ""},
      {"twenty_one", "21=/x", false, 0, ""},
      {"no_equals", "3", false, 0, ""},
      {"empty_path", "3=", false, 0, ""},
      {"not_a_number", "a=/x", false, 0, ""},
      {"sign", "+3=/x", false, 0, ""},
      {"com_prefix", "COM3=/x", false, 0, ""},
  };
  for (const ArgRow& r : rows) {
    int n = 0;
    std::string path;
    ASSERT_EQ(ParsePortArgument(r.arg, n, path), r.ok) << r.name;
    if (r.ok) {
      EXPECT_EQ(n, r.n) << r.name;
      EXPECT_EQ(path, r.path) << r.name;
    }
  }
}

TEST(PortDevice, ReadsPortsSectionOnly) {
  TempFolder dir;
  const auto ini = dir.path() / "aismon.ini";
  const std::string text =
      "[Map]\r\nLat=34.5\r\nCOM1=/not/this\r\n"
      "[ports]\r\n com2 = /dev/ttyS1 \r\nCOM12=/dev/pts/7\r\nCOM21=/too/high\r\nCOMx=/bad\r\nCOM3=\r\n; COM4=/comment\r\n"
      "[Other]\r\nCOM5=/not/this/either\r\n";
  testing::WriteBytes(ini, text.data(), text.size());
  const std::map<int, std::string> ports = ReadPortsSection(ini);
  const std::map<int, std::string> expected{{2, "/dev/ttyS1"}, {12, "/dev/pts/7"}};
  EXPECT_EQ(ports, expected);
  EXPECT_TRUE(ReadPortsSection(dir.path() / "missing.ini").empty());
}

// Polls until done() holds; the limit is generous, a loaded machine only makes it slower.
bool WaitFor(const std::function<bool()>& done) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!done()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    QCoreApplication::processEvents();
    usleep(1000);
  }
  return true;
}

// Takes from port n until want bytes have come (or the limit passed).
std::string ReadAll(SerialPorts& ports, int n, size_t want) {
  std::string got;
  WaitFor([&] {
    const int k = ports.ReadPort(n);
    EXPECT_LE(k, kReadChunk);
    got.append(ports.Buffer(n), static_cast<size_t>(k));
    return got.size() >= want;
  });
  return got;
}

// A pseudo-terminal stands in for a receiver: its slave side is the port.
class Pty {
 public:
  Pty() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) slave_ = ptsname(master_);
  }
  ~Pty() {
    Unplug();
    if (watch_ >= 0) close(watch_);
  }
  void Unplug() {
    if (master_ >= 0) close(master_);
    master_ = -1;
  }
  // A second handle on the slave side, to see its line settings and what waits on it.
  int Watch() {
    if (watch_ < 0) watch_ = open(slave_.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    return watch_;
  }
  speed_t Speed() {
    termios t{};
    return tcgetattr(Watch(), &t) == 0 ? cfgetispeed(&t) : B0;
  }
  void SetSpeed(speed_t speed) {
    termios t{};
    ASSERT_EQ(tcgetattr(Watch(), &t), 0);
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    ASSERT_EQ(tcsetattr(Watch(), TCSANOW, &t), 0);
  }

  bool ok() const { return !slave_.empty(); }
  const std::string& slave() const { return slave_; }
  void Write(const std::string& s) { ASSERT_EQ(write(master_, s.data(), s.size()), static_cast<ssize_t>(s.size())); }

 private:
  int master_ = -1;
  int watch_ = -1;
  std::string slave_;
};

TEST(SerialPorts, ReadsWhatArrivesOnAPseudoTerminal) {
  Pty pty;
  ASSERT_TRUE(pty.ok());
  ManualClock clock(5000);
  SerialPorts ports(clock);
  ports.SetDevices({{3, pty.slave()}, {4, "/nonexistent/device"}});
  EXPECT_FALSE(ports.OpenPort(4));
  EXPECT_FALSE(ports.IsOpen(4));
  EXPECT_FALSE(ports.OpenPort(5));  // no device at all
  ASSERT_TRUE(ports.OpenPort(3));
  EXPECT_TRUE(ports.IsOpen(3));
  EXPECT_EQ(ports.ReadPort(3), 0);
  EXPECT_EQ(ports.LastReadTick(3), 0u);

  // The reader's thread wakes this one when bytes arrive.
  QObject context;
  int wakes = 0;
  ports.SetWake(&context, [&] { ++wakes; });
  const std::string sentence = "!AIVDM,1,1,,A,13aEOK?P00PD2wVMdLDRhgvL289?,0*26\r\n";
  pty.Write(sentence);
  clock.Advance(10);
  EXPECT_TRUE(WaitFor([&] { return wakes > 0; }));
  EXPECT_EQ(ReadAll(ports, 3, sentence.size()), sentence);
  EXPECT_EQ(ports.LastReadTick(3), 5010u);

  // A read takes at most 1024 bytes, the rest waits for the next one.
  const std::string burst(3000, 'x');
  pty.Write(burst);
  EXPECT_EQ(ReadAll(ports, 3, burst.size()), burst);

  ports.ClosePort(3);
  EXPECT_FALSE(ports.IsOpen(3));
  EXPECT_EQ(ports.ReadPort(3), 0);
  ports.ClosePort(3);  // closing twice is harmless
}

TEST(SerialPorts, AnUnpluggedDeviceHandsOnWhatItSentThenCloses) {
  Pty pty;
  ASSERT_TRUE(pty.ok());
  ManualClock clock;
  SerialPorts ports(clock);
  ports.SetDevices({{7, pty.slave()}});
  ASSERT_TRUE(ports.OpenPort(7));
  const std::string sentence = "$GPRMC,000000,V,,,,,,,010100,,,N*62\r\n";
  pty.Write(sentence);
  // Taken from the device by the reader's thread before the device goes. (An empty input
  // queue would not tell: a pseudo-terminal hands written bytes to its slave side a moment
  // later.)
  ASSERT_TRUE(WaitFor([&] { return ports.Waiting(7) == sentence.size(); }));
  pty.Unplug();
  std::string got;
  WaitFor([&] {
    const int n = ports.ReadPort(7);
    got.append(ports.Buffer(7), static_cast<size_t>(n));
    return !ports.IsOpen(7);
  });
  EXPECT_EQ(got, sentence);
  EXPECT_FALSE(ports.IsOpen(7));
}

// Whoever feeds a port may start as soon as the line shows 38400 baud: what waited before
// is dropped at the open, but nothing sent after that moment.
TEST(SerialPorts, EveryByteSentOnceTheLineIsSetIsRead) {
  const std::string sentence = "!AIVDM,1,1,,A,13aEOK?P00PD2wVMdLDRhgvL289?,0*26\r\n";
  for (int round = 0; round < 20; ++round) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    pty.SetSpeed(B9600);
    pty.Write("stale bytes from before the open\r\n");
    ManualClock clock;
    SerialPorts ports(clock);
    ports.SetDevices({{1, pty.slave()}});
    bool sent = false;
    std::thread feeder([&] {
      const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
      while (pty.Speed() != B38400 && std::chrono::steady_clock::now() < limit) {
      }
      pty.Write(sentence);
      sent = true;
    });
    const bool opened = ports.OpenPort(1);
    feeder.join();
    ASSERT_TRUE(opened);
    ASSERT_TRUE(sent);
    ASSERT_EQ(ReadAll(ports, 1, sentence.size()), sentence) << "round " << round;
  }
}

TEST(SerialPorts, LineAssemblerSurvivesReopening) {
  Pty pty;
  ASSERT_TRUE(pty.ok());
  ManualClock clock;
  SerialPorts ports(clock);
  ports.SetDevices({{1, pty.slave()}});
  ASSERT_TRUE(ports.OpenPort(1));
  for (char c : std::string("!AIVDM,1,1")) ports.Assembler(1).FeedByte(static_cast<uint8_t>(c), [](const char*) {});
  ports.ClosePort(1);
  ASSERT_TRUE(ports.OpenPort(1));
  std::string line;
  for (char c : std::string(",,A,x*00\r"))
    ports.Assembler(1).FeedByte(static_cast<uint8_t>(c), [&](const char* l) { line = l; });
  EXPECT_EQ(line, "!AIVDM,1,1,,A,x*00");
}

}  // namespace
}  // namespace aismon
