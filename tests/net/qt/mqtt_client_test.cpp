#include <gtest/gtest.h>

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

}  // namespace
}  // namespace aismon
