#include "app/frame_driver.h"

#include <QTimer>

namespace aismon {

namespace {

// The serial ports are read on their own thread and wake the decoding, the network
// sockets wake it when they become readable; this sweep only picks up what was held back
// meanwhile (a box, a playback) and checks the receive log's flush. Every wakeup costs an
// idle monitor CPU: at 10 ms this timer alone took about 0.9 % of a core.
constexpr int kSweepIntervalMs = 100;
constexpr int kChoresIntervalMs = 100;

QTimer* NewTimer(QObject* parent, const char* name, int intervalMs, bool singleShot) {
  auto* t = new QTimer(parent);
  t->setObjectName(QString::fromLatin1(name));
  t->setTimerType(Qt::PreciseTimer);
  t->setSingleShot(singleShot);
  t->setInterval(intervalMs);
  return t;
}

}  // namespace

FrameDriver::FrameDriver(QObject* parent, Clock& clock, Hooks hooks)
    : QObject(parent),
      clock_(clock),
      hooks_(std::move(hooks)),
      frameTimer_(NewTimer(this, "AppIdle", 0, true)),
      sweepTimer_(NewTimer(this, "PollPorts", kSweepIntervalMs, false)),
      pollSoon_(NewTimer(this, "PollSoon", 0, true)),
      choresTimer_(NewTimer(this, "Timer100ms", kChoresIntervalMs, false)) {
  choresTimer_->setTimerType(Qt::CoarseTimer);
  connect(frameTimer_, &QTimer::timeout, this, [this] { hooks_.frame(); });
  connect(sweepTimer_, &QTimer::timeout, this, [this] { hooks_.poll(); });
  connect(pollSoon_, &QTimer::timeout, this, [this] { hooks_.poll(); });
  connect(choresTimer_, &QTimer::timeout, this, [this] { hooks_.chores(); });
  choresTimer_->start();
}

void FrameDriver::Start(double screenRefreshHz) {
  if (stopped_) return;
  pacer_.SetRefreshRate(screenRefreshHz);
  frameTimer_->start(0);
  sweepTimer_->start();
}

void FrameDriver::Stop() {
  stopped_ = true;
  for (QTimer* t : {frameTimer_, sweepTimer_, pollSoon_, choresTimer_}) t->stop();
}

void FrameDriver::NoteFrameStart() {
  lastFrameStart_ = clock_.TickMs();
  newData_ = false;
}

void FrameDriver::AfterFrame(uint32_t frameStartMs, PaceState state) {
  if (stopped_) return;
  state.newData = newData_;
  const uint32_t now = clock_.TickMs();
  const FramePace pace = pacer_.PaceFor(state, now);
  frameTimer_->start(static_cast<int>(pacer_.DelayAfterFrame(frameStartMs, now, pace)));
}

void FrameDriver::RequestFrameWithin(uint32_t ms) {
  if (stopped_) return;
  if (!frameTimer_->isActive() || frameTimer_->remainingTime() > static_cast<int>(ms))
    frameTimer_->start(static_cast<int>(ms));
}

void FrameDriver::NoteInteraction() {
  const uint32_t now = clock_.TickMs();
  pacer_.NoteInteraction(now);
  RequestFrameWithin(pacer_.DelayForInteraction(lastFrameStart_, now));
}

void FrameDriver::NoteNewData() {
  if (newData_) return;
  newData_ = true;
  const uint32_t since = clock_.TickMs() - lastFrameStart_;
  RequestFrameWithin(since >= FramePacer::kShipsIntervalMs ? 0 : FramePacer::kShipsIntervalMs - since);
}

void FrameDriver::RequestPoll() {
  if (!stopped_ && !pollSoon_->isActive()) pollSoon_->start();
}

}  // namespace aismon
