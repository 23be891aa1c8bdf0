#pragma once
// FrameDriver: when the window does its work. The next frame comes on a single-shot timer
// re-armed by the pacing; a sweep every 100 ms picks up input no wake announced; a wake's
// decoding pass is coalesced onto one zero timer; the chores run every 100 ms. What each of
// them does is the window's; this class only decides when.
#include <QObject>
#include <cstdint>
#include <functional>

#include "app/frame_pacer.h"
#include "common/clock.h"

class QTimer;

namespace aismon {

class FrameDriver : public QObject {
 public:
  struct Hooks {
    std::function<void()> frame;   // decode what has come, paint, then AfterFrame
    std::function<void()> poll;    // decode what has come
    std::function<void()> chores;  // the 100 ms chores
  };
  FrameDriver(QObject* parent, Clock& clock, Hooks hooks);

  // The chores run from construction; frames and sweeps from Start.
  void Start(double screenRefreshHz);
  // Everything stops for good (closing, or tests that drive the handlers by hand).
  void Stop();
  bool Stopped() const { return stopped_; }

  // A frame starts now: input that comes from here on is new to the next one.
  void NoteFrameStart();
  // A frame was painted, for "表示周期".
  void NoteFramePainted() { frameRate_.NoteFrame(clock_.TickMs()); }
  // After a frame that started at frameStartMs: arms the next one at the pace the state asks.
  void AfterFrame(uint32_t frameStartMs, PaceState state);
  void RequestFrameWithin(uint32_t ms);
  // The chart follows the user's hand at the screen's rate for a moment.
  void NoteInteraction();
  // Input arrived: a fresh report shows (and flashes) within a ship-paced frame.
  void NoteNewData();
  bool NewData() const { return newData_; }
  void RequestPoll();
  uint32_t FramesInLastSecond() const { return frameRate_.FramesInLastSecond(clock_.TickMs()); }

 private:
  Clock& clock_;
  Hooks hooks_;
  FramePacer pacer_;
  FrameRateCounter frameRate_;
  bool stopped_ = false;
  bool newData_ = false;  // sentences arrived since the last frame
  uint32_t lastFrameStart_ = 0;
  QTimer* frameTimer_;
  QTimer* sweepTimer_;
  QTimer* pollSoon_;
  QTimer* choresTimer_;
};

}  // namespace aismon
