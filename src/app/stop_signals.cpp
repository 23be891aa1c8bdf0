#include "app/stop_signals.h"

#include <QSocketNotifier>
#include <QtGlobal>

#ifdef Q_OS_WIN

namespace aismon {

// Windows sends a window program no signals: it is stopped by closing its window, and at
// the end of the session Qt asks it to save (commitDataRequest) and then quits, both of
// which the program's main follows. Nothing is installed here.
StopSignals::StopSignals(std::function<void(int)> onStop, QObject* parent)
    : QObject(parent), onStop_(std::move(onStop)) {}

StopSignals::~StopSignals() = default;

void StopSignals::Drain() {}

}  // namespace aismon

#else

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace aismon {

namespace {

// The write end of the pipe, for the handler. A signal handler can reach nothing else,
// so this one value is process-wide; StopSignals is made once per process.
volatile std::sig_atomic_t gStopPipeWrite = -1;

constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};

void OnStopSignal(int signal) {
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(signal);
  const int fd = gStopPipeWrite;
  if (fd >= 0) {
    // A full pipe already holds a pending stop: nothing is lost by dropping this one.
    [[maybe_unused]] const ssize_t n = write(fd, &byte, 1);
  }
  errno = saved;
}

}  // namespace

StopSignals::StopSignals(std::function<void(int)> onStop, QObject* parent)
    : QObject(parent), onStop_(std::move(onStop)) {
  if (pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) return;
  gStopPipeWrite = pipe_[1];
  notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { Drain(); });
  struct sigaction sa = {};
  sa.sa_handler = OnStopSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  for (int s : kStopSignals) sigaction(s, &sa, nullptr);
}

StopSignals::~StopSignals() {
  struct sigaction sa = {};
  sa.sa_handler = SIG_DFL;
  sigemptyset(&sa.sa_mask);
  for (int s : kStopSignals) sigaction(s, &sa, nullptr);
  gStopPipeWrite = -1;
  for (int& fd : pipe_) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
}

void StopSignals::Drain() {
  unsigned char bytes[16];
  ssize_t n;
  int last = 0;
  while ((n = read(pipe_[0], bytes, sizeof bytes)) > 0) last = bytes[n - 1];
  if (last != 0 && onStop_) onStop_(last);
}

}  // namespace aismon

#endif
