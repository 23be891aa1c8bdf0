#pragma once
// When to paint the next frame. A monitor left running for days beside a receiver must
// not keep a core busy redrawing a picture that cannot have changed, so frames are paced
// by what can change on screen:
//  - the user moves the chart (drag, wheel, keys), or a playback runs at x10: as often as
//    the screen refreshes, never more;
//  - only ships move (live data, dead reckoning, a playback at x1 or x2, a report that has
//    just arrived and must flash): about 10 Hz;
//  - nothing can change: 2 Hz, enough for ages, clocks and panel colours.
// Input is read on its own schedule; nothing here delays it.
#include <cstdint>

namespace aismon {

enum class FramePace { Refresh, Ships, Idle };

struct PaceState {
  bool fastPlayback = false;    // a log plays at x10
  bool shipsMoving = false;     // live data flows and the last frame moved a ship
  bool newData = false;         // sentences arrived since the last frame
  bool playing = false;         // a log plays at x1 or x2
};

class FramePacer {
 public:
  static constexpr uint32_t kShipsIntervalMs = 100;
  static constexpr uint32_t kIdleIntervalMs = 500;
  // An interaction keeps the full rate this long after its last event.
  static constexpr uint32_t kInteractionHoldMs = 300;

  // refreshHz <= 0 or not a number: 60 Hz, the usual screen.
  explicit FramePacer(double refreshHz = 60.0) { SetRefreshRate(refreshHz); }
  void SetRefreshRate(double refreshHz);
  double RefreshPeriodMs() const { return refreshPeriodMs_; }

  void NoteInteraction(uint32_t nowMs);
  bool Interacting(uint32_t nowMs) const;

  FramePace PaceFor(const PaceState& s, uint32_t nowMs) const;
  double IntervalMs(FramePace pace) const;

  // Milliseconds from now until the next frame is due, given that the last frame started
  // at frameStartMs. At the refresh pace frames keep a steady phase (60 Hz stays 60 Hz on
  // a timer of whole milliseconds) but never come closer than one refresh period apart on
  // average.
  uint32_t DelayAfterFrame(uint32_t frameStartMs, uint32_t nowMs, FramePace pace);
  // Milliseconds from now until a frame may answer an interaction: a whole refresh period
  // after the last frame's start, rounded up, so a stream of pointer events cannot drive
  // frames faster than the screen shows them.
  uint32_t DelayForInteraction(uint32_t lastFrameStartMs, uint32_t nowMs) const;

 private:
  double refreshPeriodMs_ = 1000.0 / 60.0;
  bool interacted_ = false;
  uint32_t lastInteractionMs_ = 0;
  // Time the next refresh-paced frame is due, in ms on the tick clock (kept as a double
  // offset from the last frame start to carry the fraction).
  double dueFraction_ = 0.0;
  bool haveDue_ = false;
  uint32_t lastDueBase_ = 0;
};

// Frames painted within the last second, for "表示周期": counted by their times, so a
// stretch when the timer stood still (a modal box) is not spread over one second.
class FrameRateCounter {
 public:
  void NoteFrame(uint32_t nowMs);
  uint32_t FramesInLastSecond(uint32_t nowMs) const;

 private:
  static constexpr int kKept = 512;  // far above any screen's refresh rate
  uint32_t ticks_[kKept] = {};
  int next_ = 0;
  int count_ = 0;
};

}  // namespace aismon
