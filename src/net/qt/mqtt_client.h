#pragma once
// One connection to an MQTT broker with libmosquitto, run on the caller's thread: the
// library's socket is watched with QSocketNotifiers and serviced with mosquitto_loop(0)
// (never waiting), so received messages arrive on the same thread as every other line
// and no lock or queue is needed between threads. Only the connection is begun on a
// short-lived thread of its own, because the library looks the host name up inside it and
// a slow name server must not stop the caller. Reconnects on the network sources'
// schedule (1, 2, 4 ... 60 s). QoS 0 throughout.
#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "common/clock.h"
#include "net/mqtt_name.h"
#include "net/reconnect_schedule.h"

struct mosquitto;
struct mosquitto_message;

namespace aismon {

enum class MqttState { Connecting, Open, Waiting };

// Waits (at most 10 s) until no connection is still being begun on a thread of its own.
// Called when a program's event loop has ended, before it exits: exit handlers (OpenSSL's
// among them) must not take the library down under such a thread. Also run at exit.
void WaitForMqttConnects();

class MqttClient {
 public:
  using MessageHook = std::function<void(std::string_view topic, const char* data, size_t size)>;

  // caFile: for mqtts://, the CA certificates to trust; empty for the system's store.
  MqttClient(const MqttAddress& address, std::string caFile, Clock& clock);
  ~MqttClient();
  MqttClient(const MqttClient&) = delete;
  MqttClient& operator=(const MqttClient&) = delete;

  // With a hook the client subscribes to the address's topic filter on each connection
  // and hands every message to it, from inside Service.
  void SetMessageHook(MessageHook hook) { onMessage_ = std::move(hook); }
  // Runs when a subscriber's socket can be read or written: the owner should sweep soon
  // and call Service from there, since servicing hands on messages (its ticks never read,
  // so its sweeps must come whether or not this ran). A publisher services itself.
  void SetReadyHook(std::function<void()> ready) { ready_ = std::move(ready); }

  void Start();
  // Reads, writes and keeps the connection alive; never waits.
  void Service();
  // Connection timeouts and reconnects when due; the 100 ms timer calls it.
  void Tick();
  // Publishes at QoS 0; false when not connected (the message is dropped).
  bool Publish(const char* topic, const void* data, int size);

  MqttState State() const { return state_; }
  const std::string& LastError() const { return lastError_; }  // Japanese, UTF-8, never the password
  const ReconnectSchedule& Schedule() const { return schedule_; }

 private:
  static void OnConnect(mosquitto*, void* self, int rc);
  static void OnDisconnect(mosquitto*, void* self, int rc);
  static void OnMessage(mosquitto*, void* self, const mosquitto_message* m);
  struct PendingConnect;
  void Connect();
  void ConnectDone(const std::shared_ptr<PendingConnect>& pending);
  void Fail(const std::string& reason);
  void Close();
  void WatchSocket();
  void UpdateWriteWatch();

  MqttAddress address_;
  std::string caFile_;
  Clock& clock_;
  mosquitto* mosq_ = nullptr;              // ours once connected; before that, pending_'s
  std::shared_ptr<PendingConnect> pending_;  // the connection being begun, if any
  std::unique_ptr<QObject> wake_;            // where the connecting thread's news arrives
  std::unique_ptr<QSocketNotifier> readWatch_;
  std::unique_ptr<QSocketNotifier> writeWatch_;
  MessageHook onMessage_;
  std::function<void()> ready_;
  ReconnectSchedule schedule_;
  MqttState state_ = MqttState::Waiting;
  std::string lastError_;
  std::string pendingFailure_;  // set inside the library's callbacks, acted on after them
  uint32_t attemptTick_ = 0;
  bool servicing_ = false;
};

}  // namespace aismon
