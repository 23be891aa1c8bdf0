#include "app/frame_pacer.h"

#include <cmath>

namespace aismon {

namespace {

// Rounded up: a timer of whole milliseconds must not fire before the time is due.
uint32_t WholeMsUntil(double delayMs) { return delayMs <= 0 ? 0u : static_cast<uint32_t>(std::ceil(delayMs)); }

}  // namespace

void FramePacer::SetRefreshRate(double refreshHz) {
  if (!(refreshHz >= 1.0) || !std::isfinite(refreshHz)) refreshHz = 60.0;
  refreshPeriodMs_ = 1000.0 / refreshHz;
}

void FramePacer::NoteInteraction(uint32_t nowMs) {
  interacted_ = true;
  lastInteractionMs_ = nowMs;
}

bool FramePacer::Interacting(uint32_t nowMs) const {
  return interacted_ && nowMs - lastInteractionMs_ < kInteractionHoldMs;
}

FramePace FramePacer::PaceFor(const PaceState& s, uint32_t nowMs) const {
  if (Interacting(nowMs) || s.fastPlayback) return FramePace::Refresh;
  if (s.shipsMoving || s.newData || s.playing) return FramePace::Ships;
  return FramePace::Idle;
}

double FramePacer::IntervalMs(FramePace pace) const {
  switch (pace) {
    case FramePace::Refresh: return refreshPeriodMs_;
    case FramePace::Ships: return kShipsIntervalMs;
    case FramePace::Idle: return kIdleIntervalMs;
  }
  return kIdleIntervalMs;
}

uint32_t FramePacer::DelayAfterFrame(uint32_t frameStartMs, uint32_t nowMs, FramePace pace) {
  const double interval = IntervalMs(pace);
  double due = interval;  // from this frame's start
  if (pace == FramePace::Refresh && haveDue_) {
    // The previous frame's due time, seen from this frame's start: keep the phase unless
    // this frame came more than a period late.
    const double previous = static_cast<int32_t>(lastDueBase_ - frameStartMs) + dueFraction_;
    due = previous + interval;
    if (due < 0 || due > interval) due = interval;
  }
  haveDue_ = pace == FramePace::Refresh;
  lastDueBase_ = frameStartMs;
  dueFraction_ = due;
  const double spent = static_cast<int32_t>(nowMs - frameStartMs);
  return WholeMsUntil(due - spent);
}

uint32_t FramePacer::DelayForInteraction(uint32_t lastFrameStartMs, uint32_t nowMs) const {
  return WholeMsUntil(refreshPeriodMs_ - static_cast<double>(nowMs - lastFrameStartMs));
}

void FrameRateCounter::NoteFrame(uint32_t nowMs) {
  ticks_[next_] = nowMs;
  next_ = (next_ + 1) % kKept;
  if (count_ < kKept) ++count_;
}

uint32_t FrameRateCounter::FramesInLastSecond(uint32_t nowMs) const {
  uint32_t n = 0;
  // Newest first; the first frame older than a second ends the count.
  for (int k = 0; k < count_; ++k) {
    const uint32_t t = ticks_[(next_ - 1 - k + kKept) % kKept];
    if (nowMs - t >= 1000) break;
    ++n;
  }
  return n;
}

}  // namespace aismon
