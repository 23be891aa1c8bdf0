#include "app/port_reader.h"

#include <QSerialPort>

namespace aismon {

namespace {

std::string OpenErrorText(const QSerialPort& port) {
  const char* why = "開けません";
  switch (port.error()) {
    case QSerialPort::DeviceNotFoundError: why = "デバイスがありません"; break;
    case QSerialPort::PermissionError: why = "開く権限がないか、他のプログラムが使用中です"; break;
    case QSerialPort::UnsupportedOperationError: why = "この設定 (38400 8N1) にできません"; break;
    default: break;
  }
  return std::string(why) + " (" + port.errorString().toStdString() + ")";
}

bool ValidChannel(int i) { return i >= 0 && i < kReaderChannels; }

}  // namespace

PortReader::~PortReader() {
  if (worker_ == nullptr) return;
  if (thread_.isRunning()) {
    OnThread([this] {
      for (int i = 0; i < kReaderChannels; ++i) ClosePortOnThread(i);
    });
    thread_.quit();
    thread_.wait();
  }
  delete worker_;
}

bool PortReader::StartThread() {
  if (worker_ == nullptr) {
    worker_ = new QObject;
    worker_->moveToThread(&thread_);
    thread_.setObjectName(QStringLiteral("SerialReader"));
  }
  // Work sent to a thread that never started would be waited for forever.
  if (!thread_.isRunning()) thread_.start();
  return thread_.isRunning();
}

void PortReader::OnThread(const std::function<void()>& work) {
  QMetaObject::invokeMethod(worker_, work, Qt::BlockingQueuedConnection);
}

void PortReader::SetWake(QObject* context, std::function<void()> wake) {
  std::lock_guard<std::mutex> hold(wakeLock_);
  wakeContext_ = context;
  wake_ = std::move(wake);
}

void PortReader::Wake() {
  if (wakePending_.exchange(true)) return;
  std::lock_guard<std::mutex> hold(wakeLock_);
  if (wakeContext_ == nullptr || !wake_) {
    wakePending_ = false;
    return;
  }
  QMetaObject::invokeMethod(
      wakeContext_,
      [this] {
        // Cleared first: bytes that come while the wake runs ask for another one.
        wakePending_ = false;
        std::function<void()> wake;
        {
          std::lock_guard<std::mutex> again(wakeLock_);
          wake = wake_;
        }
        if (wake) wake();
      },
      Qt::QueuedConnection);
}

bool PortReader::Open(int i, const std::string& device, std::string& error) {
  if (!ValidChannel(i)) return false;
  if (!StartThread()) {
    error = "読み取りスレッドを開始できません";
    return false;
  }
  Close(i);
  bool ok = false;
  OnThread([&] {
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(QString::fromStdString(device));
    port->setReadBufferSize(kPortQtBufferBytes);
    if (!port->open(QIODevice::ReadOnly)) {
      error = OpenErrorText(*port);
      return;
    }
    // What waited on the line before the port was ours is dropped first, and the line
    // settings come last: once the line shows 38400 baud, every byte that arrives is read.
    port->clear(QSerialPort::AllDirections);
    if (!port->setBaudRate(38400) || !port->setDataBits(QSerialPort::Data8) ||
        !port->setParity(QSerialPort::NoParity) || !port->setStopBits(QSerialPort::OneStop) ||
        !port->setFlowControl(QSerialPort::NoFlowControl)) {
      error = OpenErrorText(*port);
      port->close();
      return;
    }
    Channel& c = channels_[i];
    {
      std::lock_guard<std::mutex> hold(c.lock);
      if (!c.ring) c.ring = std::make_unique<ByteRing>(kPortRingBytes);
      c.ring->Clear();
      c.gone = false;
      c.stalled = false;
    }
    c.lastRead = {};
    c.port = port.release();
    QObject::connect(c.port, &QSerialPort::readyRead, worker_, [this, i] { Drain(i); });
    QObject::connect(c.port, &QSerialPort::errorOccurred, worker_, [this, i](QSerialPort::SerialPortError e) {
      if (e == QSerialPort::ResourceError) {
        Fail(i);
      } else if (e != QSerialPort::NoError && e != QSerialPort::TimeoutError) {
        // A line error: what is pending may be damaged, so it is dropped.
        QSerialPort* p = channels_[i].port;
        if (p == nullptr) return;
        p->clearError();
        p->clear(QSerialPort::Input);
      }
    });
    error.clear();
    ok = true;
  });
  return ok;
}

QSerialPort* PortReader::DetachPort(int i) {
  Channel& c = channels_[i];
  QSerialPort* p = c.port;
  if (p == nullptr) return nullptr;
  c.port = nullptr;
  p->disconnect(worker_);
  return p;
}

void PortReader::ClosePortOnThread(int i) {
  QSerialPort* p = DetachPort(i);
  if (p == nullptr) return;
  p->clear(QSerialPort::AllDirections);
  p->close();
  delete p;
}

void PortReader::Close(int i) {
  if (!ValidChannel(i) || worker_ == nullptr || !thread_.isRunning()) return;
  OnThread([this, i] { ClosePortOnThread(i); });
  Channel& c = channels_[i];
  std::lock_guard<std::mutex> hold(c.lock);
  if (c.ring) c.ring->Clear();
  c.gone = false;
  c.stalled = false;
}

void PortReader::Fail(int i) {
  // Called from inside the port's own signal: it is closed and deleted only once that has
  // returned, by work queued behind it on this thread (before any later close or the end).
  Drain(i);  // what Qt read before the failure still goes to the window
  QSerialPort* p = DetachPort(i);
  if (p == nullptr) return;
  QMetaObject::invokeMethod(
      worker_,
      [p] {
        p->close();
        delete p;
      },
      Qt::QueuedConnection);
  {
    std::lock_guard<std::mutex> hold(channels_[i].lock);
    channels_[i].gone = true;
  }
  Wake();  // the window closes the port once it has taken what was read
}

void PortReader::CollectRead() {
  if (worker_ == nullptr || !thread_.isRunning()) return;
  OnThread([this] {
    for (int i = 0; i < kReaderChannels; ++i) Drain(i);
  });
}

size_t PortReader::Waiting(int i) const {
  if (!ValidChannel(i)) return 0;
  std::lock_guard<std::mutex> hold(channels_[i].lock);
  return channels_[i].ring ? channels_[i].ring->Size() : 0;
}

bool PortReader::Gone(int i) const {
  if (!ValidChannel(i)) return false;
  std::lock_guard<std::mutex> hold(channels_[i].lock);
  return channels_[i].gone;
}

void PortReader::Drain(int i) {
  Channel& c = channels_[i];
  QSerialPort* p = c.port;
  if (p == nullptr) return;
  bool got = false;
  const Steady::time_point now = Steady::now();
  {
    std::lock_guard<std::mutex> hold(c.lock);
    while (p->bytesAvailable() > 0) {
      size_t room = 0;
      char* to = c.ring->WriteSpan(room);
      if (room == 0) {
        // Qt keeps the rest (and stops reading the device when its own buffer is full)
        // until the window has taken some.
        c.stalled = true;
        break;
      }
      const qint64 n = p->read(to, static_cast<qint64>(room));
      if (n <= 0) break;
      if (c.ring->Size() == 0) c.firstWaiting = now;
      c.ring->Commit(static_cast<size_t>(n));
      got = true;
    }
  }
  if (!got) return;
  if (c.lastRead != Steady::time_point{}) {
    const auto gap =
        static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now - c.lastRead).count());
    uint32_t seen = longestGapMs_.load();
    while (gap > seen && !longestGapMs_.compare_exchange_weak(seen, gap)) {
    }
  }
  c.lastRead = now;
  Wake();
}

size_t PortReader::Take(int i, char* to, size_t max, uint32_t& waitedMs) {
  waitedMs = 0;
  if (!ValidChannel(i)) return 0;
  Channel& c = channels_[i];
  bool refill = false;
  size_t n = 0;
  {
    std::lock_guard<std::mutex> hold(c.lock);
    if (!c.ring) return 0;
    if (c.ring->Size() > 0)
      waitedMs = static_cast<uint32_t>(
          std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - c.firstWaiting).count());
    n = c.ring->Take(to, max);
    refill = c.stalled && n > 0;
    if (refill) c.stalled = false;
  }
  if (refill) QMetaObject::invokeMethod(worker_, [this, i] { Drain(i); }, Qt::QueuedConnection);
  return n;
}

}  // namespace aismon
