#pragma once
// "mqtt://.../TOPIC": publishes each forwarded message to a broker, the topic made from
// its template (%station%, %mmsi%, %type%), the payload the message's lines (CR LF after
// each) or, with ?format=json, {"nmea":["...", ...]}. While the broker is away messages
// are dropped, never queued: nothing is published twice after a reconnect. A sweep's
// messages are gathered and published at its flush, after the TCP clients have theirs:
// each publication is a system call or two, and the plotters should not wait for them.
#include <string>
#include <vector>

#include "net/output_name.h"
#include "net/qt/mqtt_client.h"
#include "net/qt/output.h"

namespace aismon {

class MqttOutput final : public Output {
 public:
  MqttOutput(const OutputAddress& address, std::string caFile, Clock& clock);

  void Start() override { client_.Start(); }
  void Send(const ForwardedMessage& message) override;
  void Flush() override;
  void Tick() override;
  OutputStatus Status() const override;

 private:
  OutputAddress address_;
  MqttClient client_;
  std::string topic_;    // reused for every message
  std::string payload_;  // reused for every message
  char text_[kMessageTextBytes];
  // Messages gathered since the last flush, each as topic length, payload length, lines,
  // topic and payload; allocated once, published early when it fills.
  std::vector<char> gathered_;
  size_t used_ = 0;
  uint64_t sent_ = 0;
  uint64_t dropped_ = 0;
};

// The topic for a message from the template; a station name's '/', '+' and '#' become '_'
// so that it stays one level.
void ExpandTopic(const std::string& pattern, const ForwardedMessage& message, std::string& out);

}  // namespace aismon
