#pragma once
// SIGTERM, SIGINT and SIGHUP turned into a call on the event loop. The handler only
// writes a byte to a pipe (all it may safely do); a socket notifier on the other end
// calls onStop from the event loop, where the window can close its normal way.
// On Windows there are no such signals and nothing is installed (Installed() is false):
// the window's close and the session end stop the program there.
#include <QObject>
#include <functional>

class QSocketNotifier;

namespace aismon {

class StopSignals : public QObject {
 public:
  // Installs the handlers; one instance per process.
  explicit StopSignals(std::function<void(int signal)> onStop, QObject* parent = nullptr);
  ~StopSignals() override;
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  bool Installed() const { return notifier_ != nullptr; }

 private:
  void Drain();

  std::function<void(int)> onStop_;
  int pipe_[2] = {-1, -1};
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace aismon
