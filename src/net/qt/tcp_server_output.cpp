#include "net/qt/tcp_server_output.h"

#include <QTcpSocket>

#include "net/qt/network_source.h"

namespace aismon {

TcpServerOutput::TcpServerOutput(const OutputAddress& address, Clock& clock) : address_(address), clock_(clock) {
  QObject::connect(&server_, &QTcpServer::newConnection, [this] { TakeConnections(); });
}

TcpServerOutput::~TcpServerOutput() {
  for (Client& c : clients_) delete c.socket;
}

void TcpServerOutput::Start() { Listen(); }

void TcpServerOutput::Listen() {
  schedule_.Attempting();
  QHostAddress at(QHostAddress::Any);  // every IPv4 and IPv6 address
  if (!address_.host.empty()) at = QHostAddress(QString::fromStdString(address_.host));
  if (at.isNull() || !server_.listen(at, address_.port)) {
    lastError_ = at.isNull() ? std::string("アドレスが正しくありません")
                             : SocketErrorText(server_.serverError(), server_.errorString());
    state_ = OutputState::Waiting;
    schedule_.Failed(clock_.TickMs());
    return;
  }
  // New clients wait in the kernel until the event loop takes them.
  server_.setMaxPendingConnections(kMaxTcpClients);
  state_ = OutputState::Open;
  lastError_.clear();
  schedule_.Succeeded();
}

void TcpServerOutput::TakeConnections() {
  while (QTcpSocket* s = server_.nextPendingConnection()) {
    Prune();
    if (static_cast<int>(clients_.size()) >= kMaxTcpClients) {
      s->abort();
      s->deleteLater();
      continue;
    }
    s->setParent(nullptr);
    s->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, kClientSocketBytes);
    s->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // What a client sends is not read by anyone: thrown away as it comes.
    QObject::connect(s, &QIODevice::readyRead, s, [s] { s->skip(s->bytesAvailable()); });
    clients_.push_back(Client{s});
    QObject::connect(s, &QAbstractSocket::disconnected, s, [this, s] {
      for (Client& c : clients_)
        if (c.socket == s) c.gone = true;
    });
  }
}

void TcpServerOutput::Prune() {
  for (size_t i = 0; i < clients_.size();) {
    if (clients_[i].gone || clients_[i].socket->state() == QAbstractSocket::UnconnectedState) {
      clients_[i].socket->deleteLater();
      clients_[i] = clients_.back();
      clients_.pop_back();
    } else {
      ++i;
    }
  }
}

void TcpServerOutput::Send(const ForwardedMessage& message) {
  if (clients_.empty()) return;
  const int n = MessageText(message, text_, sizeof text_);
  if (n <= 0) return;
  for (Client& c : clients_) {
    if (c.gone) continue;
    // Qt's own write buffer is the client's queue; past the bound the message is lost
    // for this client alone.
    if (c.socket->bytesToWrite() + n > kClientQueueBytes) {
      dropped_ += static_cast<uint64_t>(message.lineCount);
      continue;
    }
    c.socket->write(text_, n);
    sent_ += static_cast<uint64_t>(message.lineCount);
  }
}

void TcpServerOutput::Flush() {
  for (Client& c : clients_)
    if (!c.gone && c.socket->bytesToWrite() > 0) c.socket->flush();
}

void TcpServerOutput::Tick() {
  Prune();
  if (state_ == OutputState::Waiting && schedule_.Due(clock_.TickMs())) Listen();
}

OutputStatus TcpServerOutput::Status() const {
  OutputStatus s;
  s.name = OutputName(address_);
  s.state = state_;
  for (const Client& c : clients_) s.clients += c.gone ? 0 : 1;
  s.linesSent = sent_;
  s.linesDropped = dropped_;
  s.lastError = lastError_;
  return s;
}

}  // namespace aismon
