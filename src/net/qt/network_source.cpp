#include "net/qt/network_source.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QUdpSocket>

#include "net/datagram_lines.h"
#include "net/mqtt_payload.h"
#include "net/qt/mqtt_client.h"

namespace aismon {

namespace {

constexpr int kDatagramBytes = 65536;  // the largest UDP payload fits

}  // namespace

std::string SocketErrorText(QAbstractSocket::SocketError error, const QString& qtText) {
  const char* why = "通信エラー";
  switch (error) {
    case QAbstractSocket::ConnectionRefusedError: why = "接続を拒否されました"; break;
    case QAbstractSocket::RemoteHostClosedError: why = "相手が接続を切りました"; break;
    case QAbstractSocket::HostNotFoundError: why = "ホスト名を解決できません"; break;
    case QAbstractSocket::SocketAccessError: why = "権限がありません"; break;
    case QAbstractSocket::SocketTimeoutError: why = "時間切れ"; break;
    case QAbstractSocket::NetworkError: why = "ネットワークに届きません"; break;
    case QAbstractSocket::AddressInUseError: why = "アドレスは使用中です"; break;
    case QAbstractSocket::SocketAddressNotAvailableError: why = "このアドレスはこの機械にありません"; break;
    default: break;
  }
  std::string out = why;
  if (!qtText.isEmpty()) out += " (" + qtText.toStdString() + ")";
  return out;
}

NetworkSource::NetworkSource(const SourceAddress& address, Clock& clock, SourceId id, SourceRegistry* registry)
    : address_(address), clock_(clock), id_(id), registry_(registry), buffer_(new char[kDatagramBytes]) {}

NetworkSource::~NetworkSource() { CloseSocket(); }

void NetworkSource::CloseSocket() {
  if (tcp_) {
    tcp_->abort();
    tcp_.reset();
  }
  if (udp_) {
    udp_->close();
    udp_.reset();
  }
  mqtt_.reset();
}

void NetworkSource::Fail(const std::string& reason) {
  CloseSocket();
  lastError_ = reason;
  state_ = SourceState::Waiting;
  schedule_.Failed(clock_.TickMs());
}

void NetworkSource::Open() {
  CloseSocket();
  schedule_.Attempting();
  lastAttemptTick_ = clock_.TickMs();
  lastDataOrOpenTick_ = lastAttemptTick_;
  if (address_.kind == SourceKind::Udp)
    OpenUdp();
  else if (address_.kind == SourceKind::Tcp)
    OpenTcp();
  else
    OpenMqtt();
}

void NetworkSource::OpenMqtt() {
  mqtt_ = std::make_unique<MqttClient>(address_.mqtt, address_.caFile, clock_);
  if (ready_) mqtt_->SetReadyHook(ready_);
  mqtt_->SetMessageHook([this](std::string_view topic, const char* data, size_t size) {
    if (mqttSink_ == nullptr) return;
    SourceId id = id_;
    const std::string_view sub = TopicSubSource(address_.mqtt.topic, topic);
    if (registry_ != nullptr && !sub.empty()) id = registry_->SubSource(id_, sub);
    FeedMqttPayload(assembler_, data, size, [&](const char* line) {
      ++lines_;
      (*mqttSink_)(line, id);
    });
  });
  state_ = SourceState::Connecting;
  mqtt_->Start();
  MirrorMqttState();
}

void NetworkSource::MirrorMqttState() {
  if (!mqtt_) return;
  switch (mqtt_->State()) {
    case MqttState::Connecting: state_ = SourceState::Connecting; break;
    case MqttState::Open:
      state_ = SourceState::Open;
      lastError_.clear();
      break;
    case MqttState::Waiting:
      state_ = SourceState::Waiting;
      lastError_ = mqtt_->LastError();
      break;
  }
}

void NetworkSource::OpenUdp() {
  udp_ = std::make_unique<QUdpSocket>();
  if (ready_) QObject::connect(udp_.get(), &QIODevice::readyRead, [this] { ready_(); });
  const bool multicast = !address_.group.empty();
  QHostAddress bindTo(QHostAddress::Any);  // every IPv4 and IPv6 address
  QHostAddress group;
  if (multicast) {
    group = QHostAddress(QString::fromStdString(address_.group));
    if (group.isNull() || !group.isMulticast()) return Fail("マルチキャストのアドレスではありません");
    bindTo = group.protocol() == QAbstractSocket::IPv6Protocol ? QHostAddress(QHostAddress::AnyIPv6)
                                                               : QHostAddress(QHostAddress::AnyIPv4);
  } else if (!address_.host.empty()) {
    bindTo = QHostAddress(QString::fromStdString(address_.host));
    if (bindTo.isNull()) return Fail("アドレスが正しくありません");
  }
  // A unicast port is ours alone, so a second listener learns that it is in use instead of
  // silently sharing the datagrams; listeners to a group share it by design.
  const QAbstractSocket::BindMode mode =
      multicast ? (QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint) : QAbstractSocket::DontShareAddress;
  if (!udp_->bind(bindTo, address_.port, mode)) return Fail(SocketErrorText(udp_->error(), udp_->errorString()));
  if (multicast && !udp_->joinMulticastGroup(group))
    return Fail("グループに参加できません (" + udp_->errorString().toStdString() + ")");
  udp_->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 256 * 1024);
  state_ = SourceState::Open;
  lastError_.clear();
}

void NetworkSource::OpenTcp() {
  tcp_ = std::make_unique<QTcpSocket>();
  tcp_->setReadBufferSize(kSourceBufferBytes);
  if (ready_) QObject::connect(tcp_.get(), &QIODevice::readyRead, [this] { ready_(); });
  state_ = SourceState::Connecting;
  // A name is looked up in the background and every address it gives is tried in turn.
  tcp_->connectToHost(QString::fromStdString(address_.host), address_.port, QIODevice::ReadOnly);
  CheckTcpState();
}

void NetworkSource::CheckTcpState() {
  if (!tcp_) return;
  const QAbstractSocket::SocketState s = tcp_->state();
  const uint32_t now = clock_.TickMs();
  if (state_ == SourceState::Connecting) {
    if (s == QAbstractSocket::ConnectedState) {
      state_ = SourceState::Open;
      lastError_.clear();
      lastDataOrOpenTick_ = now;
    } else if (s == QAbstractSocket::UnconnectedState) {
      Fail(SocketErrorText(tcp_->error(), tcp_->errorString()));
    } else if (now - lastAttemptTick_ >= kConnectTimeoutMs) {
      Fail("接続できません (時間切れ)");
    }
    return;
  }
  if (state_ != SourceState::Open) return;
  if (s != QAbstractSocket::ConnectedState && tcp_->bytesAvailable() == 0) {
    const QAbstractSocket::SocketError e = tcp_->error();
    Fail(e == QAbstractSocket::UnknownSocketError ? std::string("相手が接続を切りました")
                                                  : SocketErrorText(e, tcp_->errorString()));
  } else if (now - lastDataOrOpenTick_ >= kSilenceLimitMs) {
    Fail("60秒間データがありません");
  }
}

void NetworkSource::Prefetch() {
  if (state_ == SourceState::Open && tcp_ && tcp_->state() == QAbstractSocket::ConnectedState &&
      tcp_->bytesAvailable() < kSourceBufferBytes)
    tcp_->waitForReadyRead(0);
}

int NetworkSource::Read(const LineSink& accept) {
  if (!mqtt_ && state_ != SourceState::Open && state_ != SourceState::Connecting) return 0;
  auto counted = [&](const char* line) {
    ++lines_;
    accept(line, id_);
  };
  int total = 0;
  if (mqtt_) {
    const uint64_t before = lines_;
    mqttSink_ = &accept;
    mqtt_->Service();
    mqttSink_ = nullptr;
    MirrorMqttState();
    // Each line counts as a sweep's worth of bytes, so the sweep goes on while more wait.
    total = static_cast<int>(lines_ - before);
  } else if (udp_) {
    while (total < kSourceSweepBytes && udp_->hasPendingDatagrams()) {
      const qint64 got = udp_->readDatagram(buffer_.get(), kDatagramBytes);
      if (got < 0) break;
      FeedDatagram(assembler_, buffer_.get(), got, counted);
      // An empty datagram still counts, so the sweep does not stop while more wait.
      total += got > 0 ? static_cast<int>(got) : 1;
    }
  } else if (tcp_) {
    CheckTcpState();
    if (state_ != SourceState::Open || !tcp_) return 0;
    // Outside the event loop Qt fills its buffer only when asked; a zero wait never blocks.
    if (tcp_->bytesAvailable() == 0 && tcp_->state() == QAbstractSocket::ConnectedState) tcp_->waitForReadyRead(0);
    const qint64 got = tcp_->read(buffer_.get(), std::min<qint64>(tcp_->bytesAvailable(), kSourceSweepBytes));
    for (qint64 i = 0; i < got; ++i) assembler_.FeedByte(static_cast<uint8_t>(buffer_[i]), counted);
    total = got > 0 ? static_cast<int>(got) : 0;
    if (total == 0) CheckTcpState();
  }
  if (total > 0) {
    lastReadTick_ = clock_.TickMs();
    lastDataOrOpenTick_ = lastReadTick_;
    schedule_.Succeeded();
  }
  return total;
}

const ReconnectSchedule& NetworkSource::Schedule() const { return mqtt_ ? mqtt_->Schedule() : schedule_; }

uint16_t NetworkSource::LocalPort() const { return udp_ ? udp_->localPort() : 0; }

void NetworkSource::Tick() {
  if (mqtt_) {
    // The client keeps its own schedule; its reasons and states are shown as ours.
    mqtt_->Tick();
    MirrorMqttState();
    return;
  }
  if (state_ == SourceState::Waiting) {
    if (schedule_.Due(clock_.TickMs())) Open();
    return;
  }
  CheckTcpState();
}

}  // namespace aismon
