#pragma once
// WindowChores: what the window does every 100 ms, whatever is on screen: the wake clock,
// own ship's motion estimate, the watch's timers, reopening ports that went away, the
// ship files' autosave, the receive log's flush, the network sources' reconnects and the
// playback's step. The window shows what comes of it (a box, the frame rate).
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "input/source_registry.h"

namespace aismon {

class Clock;
class Intake;
class NetworkInput;
class Playback;
class ReceiveLog;
class SerialPorts;
class ShipDbAutoSave;
class ShipTable;
class WatchController;
struct OwnMotionMemory;

struct ChoreParts {
  ShipTable& table;
  Intake& intake;
  Playback& playback;
  SourceId playbackSource;
  OwnMotionMemory& ownMotion;
  SerialPorts& ports;
  ShipDbAutoSave& autoSave;
  ReceiveLog& receiveLog;
  std::filesystem::path dataFolder;
  NetworkInput& network;
  Clock& clock;
  std::shared_ptr<const int> wakeStepSeconds;  // the control panel's wake step
};

class WindowChores {
 public:
  explicit WindowChores(ChoreParts parts) : p_(std::move(parts)) {}

  struct Result {
    uint32_t tick = 0;           // how many times the chores have run, this one included
    bool playbackEnded = false;  // the playback read its last line
    bool secondDue = false;      // a whole second since the last: the read-outs refresh
  };
  // watch may be null (before the window has built it). recording: whether the receive
  // log is written. A flush error (Shift-JIS, for the screen) goes to flushError.
  Result Tick(WatchController* watch, bool recording, const std::function<void(const std::string&)>& flushError);
  uint32_t Ticks() const { return ticks_; }

  void ReopenMissingPorts();

 private:
  ChoreParts p_;
  uint32_t ticks_ = 0;
};

}  // namespace aismon
