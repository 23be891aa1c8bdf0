#pragma once
// Waits for something the program must do, step by step, until it is done. The limit only
// ends a test that would otherwise hang: a loaded machine makes the wait longer, never a
// failure.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

namespace aismon::testing {

inline constexpr int kWaitLimitMs = 60000;

// step runs, then done is asked, until done holds or the limit passes.
inline bool StepUntil(const std::function<void()>& step, const std::function<bool()>& done,
                      int limitMs = kWaitLimitMs) {
  QElapsedTimer t;
  t.start();
  for (;;) {
    step();
    if (done()) return true;
    if (t.elapsed() > limitMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    QThread::msleep(1);
  }
}

}  // namespace aismon::testing
