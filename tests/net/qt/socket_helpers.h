#pragma once
// Loopback peers for the source tests, and an event pump with a real-time deadline (the
// deadline only ends a test that would otherwise hang; nothing is asserted on time).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpServer>
#include <QThread>
#include <QUdpSocket>
#include <functional>
#include <string>

namespace aismon::testing {

inline bool PumpUntil(const std::function<bool()>& done, int deadlineMs = 60000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > deadlineMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
  return true;
}

inline void PumpFor(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
}

inline void SendDatagram(const QHostAddress& to, uint16_t port, const std::string& bytes) {
  QUdpSocket s;
  s.writeDatagram(bytes.data(), static_cast<qint64>(bytes.size()), to, port);
}

// A port on 127.0.0.1 where nothing listens at the moment (taken and given back).
inline uint16_t FreeTcpPort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

}  // namespace aismon::testing
