#include "net/qt/mqtt_client.h"

#include <mosquitto.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

namespace aismon {

namespace {

constexpr int kKeepAliveSeconds = 30;
constexpr uint32_t kConnectTimeoutMs = 10000;

// The connections being begun on threads of their own. The program must not end while one
// of them is still inside the library: its exit handlers (OpenSSL's among them) take down
// what such a thread is using, and the end could hang or crash. Never freed, so the threads
// can count themselves out however late they finish.
struct ConnectThreads {
  std::mutex mutex;
  std::condition_variable done;
  int running = 0;
};
ConnectThreads& Connecting() {
  static ConnectThreads* threads = new ConnectThreads;
  return *threads;
}


void InitLibraryOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    mosquitto_lib_init();
    // A backstop for a program that does not wait itself: registered after the library's
    // own exit handlers, so it runs before them.
    std::atexit(WaitForMqttConnects);
  });
}

}  // namespace

// Waits for them, but not for ever (a name lookup can take its time).
void WaitForMqttConnects() {
  ConnectThreads& t = Connecting();
  std::unique_lock<std::mutex> lock(t.mutex);
  t.done.wait_for(lock, std::chrono::seconds(10), [&t] { return t.running == 0; });
}

namespace {

// Counts a connect thread in and, when destroyed at the thread's very end, out.
class ConnectThreadCount {
 public:
  ConnectThreadCount() {
    std::lock_guard<std::mutex> lock(Connecting().mutex);
    ++Connecting().running;
  }
  ConnectThreadCount(const ConnectThreadCount&) = delete;
  ConnectThreadCount& operator=(const ConnectThreadCount&) = delete;
  ~ConnectThreadCount() {
    ConnectThreads& t = Connecting();
    std::lock_guard<std::mutex> lock(t.mutex);
    --t.running;
    t.done.notify_all();
  }
};

// The broker's answer to CONNECT as a person reads it (MQTT 3.1.1 return codes).
std::string RefusalText(int rc) {
  switch (rc) {
    case 1: return "ブローカーがプロトコルの版を受け付けません";
    case 2: return "ブローカーがクライアントIDを受け付けません";
    case 3: return "ブローカーは使えません";
    case 4: return "ユーザー名かパスワードが違います";
    case 5: return "ブローカーが接続を許可しません (認証が必要か、権限がありません)";
    default: return "ブローカーが接続を拒否しました (" + std::to_string(rc) + ")";
  }
}

std::string LibraryErrorText(int rc, int savedErrno) {
  if (rc == MOSQ_ERR_ERRNO) {
    if (savedErrno == ECONNREFUSED) return "接続を拒否されました";
    return std::string("通信エラー (") + std::strerror(savedErrno) + ")";
  }
  if (rc == MOSQ_ERR_TLS) return "TLS の接続に失敗しました (証明書を確かめてください)";
  if (rc == MOSQ_ERR_EAI) return "ホスト名を解決できません";  // the caller names the host
  if (rc == MOSQ_ERR_CONN_LOST || rc == MOSQ_ERR_NO_CONN) return "接続が切れました";
  return std::string("MQTT エラー (") + mosquitto_strerror(rc) + ")";
}

}  // namespace

// A connection being begun on its own thread. The library object is that thread's until
// done; a client that gives up sooner marks it abandoned and the thread destroys it.
struct MqttClient::PendingConnect {
  std::mutex mutex;
  mosquitto* mosq = nullptr;
  int rc = MOSQ_ERR_SUCCESS;
  int savedErrno = 0;
  bool done = false;
  bool abandoned = false;
};

MqttClient::MqttClient(const MqttAddress& address, std::string caFile, Clock& clock)
    : address_(address), caFile_(std::move(caFile)), clock_(clock), wake_(std::make_unique<QObject>()) {
  InitLibraryOnce();
}

// wake_ goes after this, and with it any news still queued for it.
MqttClient::~MqttClient() { Close(); }

void MqttClient::Close() {
  readWatch_.reset();
  writeWatch_.reset();
  if (pending_) {
    {
      std::lock_guard<std::mutex> lock(pending_->mutex);
      if (!pending_->done) {
        pending_->abandoned = true;
      } else if (pending_->mosq != nullptr) {
        mosquitto_destroy(pending_->mosq);
        pending_->mosq = nullptr;
      }
    }
    pending_.reset();
  }
  if (mosq_ != nullptr) {
    mosquitto_disconnect(mosq_);
    mosquitto_destroy(mosq_);
    mosq_ = nullptr;
  }
}

void MqttClient::Fail(const std::string& reason) {
  Close();
  lastError_ = reason;
  state_ = MqttState::Waiting;
  schedule_.Failed(clock_.TickMs());
}

void MqttClient::Start() { Connect(); }

void MqttClient::Connect() {
  Close();
  schedule_.Attempting();
  attemptTick_ = clock_.TickMs();
  state_ = MqttState::Connecting;
  pendingFailure_.clear();
  mosq_ = mosquitto_new(nullptr, true, this);  // a random client id, a clean session
  if (mosq_ == nullptr) return Fail("MQTT クライアントを作れません");
  mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
  mosquitto_connect_callback_set(mosq_, &MqttClient::OnConnect);
  mosquitto_disconnect_callback_set(mosq_, &MqttClient::OnDisconnect);
  mosquitto_message_callback_set(mosq_, &MqttClient::OnMessage);
  if (!address_.user.empty())
    mosquitto_username_pw_set(mosq_, address_.user.c_str(), address_.password.empty() ? nullptr : address_.password.c_str());
  if (address_.tls) {
    const int rc = caFile_.empty() ? mosquitto_int_option(mosq_, MOSQ_OPT_TLS_USE_OS_CERTS, 1)
                                   : mosquitto_tls_set(mosq_, caFile_.c_str(), nullptr, nullptr, nullptr, nullptr);
    if (rc != MOSQ_ERR_SUCCESS) return Fail("CA 証明書を読めません");
  }
  // The library looks the name up and starts the connection (without waiting for it)
  // on a thread of its own; the name it is given is also what a TLS certificate must
  // name, so it gets the name, never an address looked up here.
  auto pending = std::make_shared<PendingConnect>();
  pending->mosq = mosq_;
  mosq_ = nullptr;
  pending_ = pending;
  auto count = std::make_shared<ConnectThreadCount>();
  auto begin = [this, pending, count, host = address_.host, port = address_.port, wake = wake_.get()]() mutable {
    // The thread counts as running until this lambda is gone, whatever path it leaves by.
    const std::shared_ptr<ConnectThreadCount> running = std::move(count);
    errno = 0;
    const int rc = mosquitto_connect_async(pending->mosq, host.c_str(), port, kKeepAliveSeconds);
    const int savedErrno = errno;
    std::lock_guard<std::mutex> lock(pending->mutex);
    pending->rc = rc;
    pending->savedErrno = savedErrno;
    pending->done = true;
    if (pending->abandoned) {
      mosquitto_destroy(pending->mosq);
      pending->mosq = nullptr;
      return;
    }
    // Runs on the client's thread, unless wake (and so the client) is gone first.
    QMetaObject::invokeMethod(wake, [this, pending] { ConnectDone(pending); }, Qt::QueuedConnection);
  };
  try {
    std::thread(std::move(begin)).detach();
  } catch (const std::system_error&) {
    pending_.reset();
    mosq_ = pending->mosq;  // closed by Fail
    Fail("MQTT の接続を始められません (スレッドを作れません)");
  }
}

void MqttClient::ConnectDone(const std::shared_ptr<PendingConnect>& pending) {
  if (pending != pending_) return;  // an attempt given up since
  {
    std::lock_guard<std::mutex> lock(pending->mutex);
    mosq_ = pending->mosq;
    pending->mosq = nullptr;
  }
  pending_.reset();
  if (pending->rc == MOSQ_ERR_EAI) return Fail(LibraryErrorText(pending->rc, 0) + " (" + address_.host + ")");
  if (pending->rc != MOSQ_ERR_SUCCESS) return Fail(LibraryErrorText(pending->rc, pending->savedErrno));
  WatchSocket();
  UpdateWriteWatch();
}

void MqttClient::WatchSocket() {
  const int fd = mosquitto_socket(mosq_);
  if (fd < 0) return;
  readWatch_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  QObject::connect(readWatch_.get(), &QSocketNotifier::activated, [this] {
    if (!onMessage_) return Service();
    // A subscriber's messages are taken in the owner's sweep, where they have somewhere
    // to go: the watch rests until then.
    readWatch_->setEnabled(false);
    if (ready_) ready_();
  });
  writeWatch_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
  QObject::connect(writeWatch_.get(), &QSocketNotifier::activated, [this] {
    if (!onMessage_) return Service();
    // Servicing also reads, and a subscriber's messages need the owner's sweep.
    writeWatch_->setEnabled(false);
    if (ready_) ready_();
  });
  UpdateWriteWatch();
}

void MqttClient::UpdateWriteWatch() {
  if (writeWatch_ && mosq_ != nullptr) writeWatch_->setEnabled(mosquitto_want_write(mosq_));
}

void MqttClient::Service() {
  if (mosq_ == nullptr || servicing_) return;
  servicing_ = true;
  errno = 0;
  const int rc = mosquitto_loop(mosq_, 0, 64);
  const int savedErrno = errno;
  servicing_ = false;
  if (!pendingFailure_.empty()) return Fail(pendingFailure_);
  if (rc != MOSQ_ERR_SUCCESS) return Fail(LibraryErrorText(rc, savedErrno));
  if (readWatch_) readWatch_->setEnabled(true);
  UpdateWriteWatch();
}

void MqttClient::Tick() {
  if (state_ == MqttState::Waiting) {
    if (schedule_.Due(clock_.TickMs())) Connect();
    return;
  }
  if (state_ == MqttState::Connecting && clock_.TickMs() - attemptTick_ >= kConnectTimeoutMs)
    return Fail("接続できません (時間切れ)");
  if (!onMessage_) return Service();  // keeps the connection alive when nothing else wakes it
  // A subscriber must not read here: a message read now would have nowhere to go and be
  // lost. Only the keep-alive is done; a PINGREQ it queues wakes the owner's sweep.
  if (mosq_ == nullptr || servicing_) return;
  errno = 0;
  const int rc = mosquitto_loop_misc(mosq_);
  const int savedErrno = errno;
  if (!pendingFailure_.empty()) return Fail(pendingFailure_);
  if (rc != MOSQ_ERR_SUCCESS) return Fail(LibraryErrorText(rc, savedErrno));
  UpdateWriteWatch();
}

bool MqttClient::Publish(const char* topic, const void* data, int size) {
  if (state_ != MqttState::Open || mosq_ == nullptr) return false;
  // What the library could not write yet is the queue: while any waits, a new message is
  // dropped rather than let the queue grow without bound behind a slow broker.
  if (mosquitto_want_write(mosq_)) {
    Service();
    if (mosq_ == nullptr || mosquitto_want_write(mosq_)) return false;
  }
  const int rc = mosquitto_publish(mosq_, nullptr, topic, size, data, 0, false);
  if (rc == MOSQ_ERR_SUCCESS) {
    UpdateWriteWatch();
    return true;
  }
  // A lost connection is noticed here first when nothing is read.
  if (rc == MOSQ_ERR_NO_CONN || rc == MOSQ_ERR_CONN_LOST || rc == MOSQ_ERR_ERRNO) {
    if (!servicing_) Fail(LibraryErrorText(rc, errno));
  }
  return false;
}

void MqttClient::OnConnect(mosquitto* m, void* self, int rc) {
  auto* c = static_cast<MqttClient*>(self);
  if (rc != 0) {
    c->pendingFailure_ = RefusalText(rc);
    return;
  }
  c->state_ = MqttState::Open;
  c->lastError_.clear();
  c->schedule_.Succeeded();
  if (c->onMessage_) mosquitto_subscribe(m, nullptr, c->address_.topic.c_str(), 0);
}

void MqttClient::OnDisconnect(mosquitto*, void* self, int rc) {
  auto* c = static_cast<MqttClient*>(self);
  if (rc != 0 && c->pendingFailure_.empty()) c->pendingFailure_ = "接続が切れました";
}

void MqttClient::OnMessage(mosquitto*, void* self, const mosquitto_message* m) {
  auto* c = static_cast<MqttClient*>(self);
  if (c->onMessage_ && m->payloadlen > 0)
    c->onMessage_(m->topic, static_cast<const char*>(m->payload), static_cast<size_t>(m->payloadlen));
}

}  // namespace aismon
