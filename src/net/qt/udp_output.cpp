#include "net/qt/udp_output.h"

#include <QHostInfo>
#include <cstring>

#include "net/qt/network_source.h"

namespace aismon {

UdpOutput::UdpOutput(const OutputAddress& address, Clock& clock) : address_(address), clock_(clock) {}

UdpOutput::~UdpOutput() {
  if (lookupId_ >= 0) QHostInfo::abortHostLookup(lookupId_);
}

void UdpOutput::Start() { Lookup(); }

void UdpOutput::Fail(const std::string& reason) {
  lastError_ = reason;
  state_ = OutputState::Waiting;
  schedule_.Failed(clock_.TickMs());
}

void UdpOutput::Lookup() {
  schedule_.Attempting();
  const QString host = QString::fromStdString(address_.host);
  const QHostAddress literal(host);
  if (!literal.isNull()) {
    destination_ = literal;
    state_ = OutputState::Open;
    return;
  }
  // A name is looked up in the background; until then messages are dropped.
  state_ = OutputState::Starting;
  lookupId_ = QHostInfo::lookupHost(host, &socket_, [this](const QHostInfo& info) {
    lookupId_ = -1;
    if (info.error() != QHostInfo::NoError || info.addresses().isEmpty()) return Fail("ホスト名を解決できません");
    destination_ = info.addresses().front();
    state_ = OutputState::Open;
    lastError_.clear();
    schedule_.Succeeded();
  });
}

void UdpOutput::Send(const ForwardedMessage& message) {
  if (state_ != OutputState::Open) {
    dropped_ += static_cast<uint64_t>(message.lineCount);
    return;
  }
  const int n = MessageText(message, text_, sizeof text_);
  if (n <= 0) return;
  if (used_ + n > kSafeDatagramBytes) Flush();
  std::memcpy(datagram_ + used_, text_, static_cast<size_t>(n));
  used_ += n;
  linesInDatagram_ += message.lineCount;
}

void UdpOutput::Flush() {
  if (used_ == 0) return;
  const qint64 wrote = socket_.writeDatagram(datagram_, used_, destination_, address_.port);
  if (wrote == used_) {
    sent_ += static_cast<uint64_t>(linesInDatagram_);
    // A refusal reported for an earlier datagram is over once one goes out again.
    if (state_ == OutputState::Open) lastError_.clear();
  } else {
    dropped_ += static_cast<uint64_t>(linesInDatagram_);
    lastError_ = SocketErrorText(socket_.error(), socket_.errorString());
  }
  used_ = 0;
  linesInDatagram_ = 0;
}

void UdpOutput::Tick() {
  Flush();
  if (state_ == OutputState::Waiting && schedule_.Due(clock_.TickMs())) Lookup();
}

OutputStatus UdpOutput::Status() const {
  OutputStatus s;
  s.name = OutputName(address_);
  s.state = state_;
  s.linesSent = sent_;
  s.linesDropped = dropped_;
  s.lastError = lastError_;
  return s;
}

}  // namespace aismon
