#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <vector>

#include "common/clock.h"
#include "net/qt/mqtt_client.h"
#include "tests/net/qt/socket_helpers.h"

namespace aismon {
namespace {

// A name in the reserved .invalid domain never resolves: the attempt fails with the name
// in its reason, off the caller's thread, and is tried again on the back-off schedule.
TEST(MqttClient, AHostNameThatDoesNotResolveIsRetriedWithBackOff) {
  ManualClock clock{1000};
  MqttAddress a;
  ASSERT_TRUE(ParseMqttName("mqtt://broker.invalid/ais/out", a));
  MqttClient client(a, "", clock);
  for (const uint32_t delay : {1000u, 2000u, 4000u}) {
    if (delay == 1000u)
      client.Start();
    else
      client.Tick();
    // The lookup has not been made on this thread: the attempt is still under way.
    ASSERT_EQ(client.State(), MqttState::Connecting) << "attempt after " << delay;
    ASSERT_TRUE(testing::PumpUntil([&] { return client.State() == MqttState::Waiting; }));
    EXPECT_NE(client.LastError().find("解決"), std::string::npos) << client.LastError();
    EXPECT_NE(client.LastError().find("broker.invalid"), std::string::npos) << client.LastError();
    EXPECT_EQ(client.Schedule().LastDelayMs(), delay);
    client.Tick();
    EXPECT_EQ(client.State(), MqttState::Waiting) << "not before its time";
    clock.Advance(delay);
  }
}

// A subscriber's messages go only to the sweep that services it: a tick that read one would
// have nowhere to put it. A retained message arrives right after the subscription, while
// only ticks run; it must still be there for the next sweep.
TEST(MqttClient, ASubscribersTicksLeaveItsMessagesForTheSweep) {
  if (QStandardPaths::findExecutable("mosquitto").isEmpty() || QStandardPaths::findExecutable("mosquitto_pub").isEmpty())
    GTEST_SKIP() << "mosquitto missing";
  QTemporaryDir folder;
  const uint16_t port = testing::FreeTcpPort();
  QFile conf(folder.filePath("mosquitto.conf"));
  ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
  conf.write(QString("listener %1 127.0.0.1\nallow_anonymous true\npersistence false\nuser %2\n")
                 .arg(port)
                 .arg(getpwuid(getuid())->pw_name)
                 .toUtf8());
  conf.close();
  QProcess broker;
  broker.start("mosquitto", {"-c", conf.fileName()});
  ASSERT_TRUE(broker.waitForStarted());
  const QString line = "!AIVDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D";
  ASSERT_TRUE(testing::PumpUntil([&] {
    return QProcess::execute("mosquitto_pub", {"-h", "127.0.0.1", "-p", QString::number(port), "-t", "ais/rx", "-r",
                                               "-m", line}) == 0;
  }));

  ManualClock clock{1000};
  MqttAddress a;
  ASSERT_TRUE(ParseMqttName("mqtt://127.0.0.1:" + std::to_string(port) + "/ais/+", a));
  MqttClient client(a, "", clock);
  bool sweeping = false;
  std::vector<std::string> swept;
  int outsideSweep = 0;
  client.SetMessageHook([&](std::string_view, const char* data, size_t size) {
    if (sweeping)
      swept.emplace_back(data, size);
    else
      ++outsideSweep;
  });
  bool ready = false;
  client.SetReadyHook([&] { ready = true; });
  auto sweep = [&] {
    sweeping = true;
    client.Service();
    sweeping = false;
  };
  client.Start();
  ASSERT_TRUE(testing::PumpUntil([&] {
    sweep();
    return client.State() == MqttState::Open;
  }));
  // Only ticks now, until the answer to the subscription has had time to come.
  ready = false;
  ASSERT_TRUE(testing::PumpUntil([&] {
    client.Tick();
    return ready || outsideSweep > 0;
  }));
  for (int i = 0; i < 25; ++i) {
    client.Tick();
    testing::PumpFor(20);
  }
  ASSERT_TRUE(testing::PumpUntil([&] {
    sweep();
    return !swept.empty() || outsideSweep > 0;
  }));
  EXPECT_EQ(swept, std::vector<std::string>{line.toStdString()});
  EXPECT_EQ(outsideSweep, 0);
  broker.terminate();
  broker.waitForFinished();
}

}  // namespace
}  // namespace aismon
