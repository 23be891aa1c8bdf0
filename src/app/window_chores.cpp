#include "app/window_chores.h"

#include "app/network_input.h"
#include "app/own_motion.h"
#include "app/playback.h"
#include "app/receive_log.h"
#include "app/serial_ports.h"
#include "app/ship_db_autosave.h"
#include "app/watch_controller.h"
#include "common/clock.h"
#include "input/intake.h"
#include "shipdb/ship_table.h"

namespace aismon {

WindowChores::Result WindowChores::Tick(WatchController* watch, bool recording,
                                        const std::function<void(const std::string&)>& flushError) {
  Result r;
  const uint32_t t = r.tick = ++ticks_;
  WakeClockTick(p_.table, t, WakeTicks(*p_.wakeStepSeconds, p_.playback.Playing(), p_.playback.PlaybackSpeed()),
                p_.intake.counters.rmcFixCount != 0);
  if (t % 10 == 0) EstimateOwnMotion(p_.table, p_.ownMotion, p_.clock.TickMs());
  if (watch != nullptr) watch->Tick();
  if (t % 30 == 5) ReopenMissingPorts();
  p_.autoSave.TimerTick(t);  // every 2 minutes, in two steps a second apart
  if (p_.receiveLog.FlushDue(p_.clock.TickMs())) flushError(p_.receiveLog.FlushReceiveLog(p_.dataFolder, recording, p_.clock));
  p_.network.Tick();
  if (t % 3 == 0) {
    // Nothing plays until the log controls start a playback.
    const SourceId source = p_.playbackSource;
    const Playback::StepResult step = p_.playback.PlaybackStep(
        p_.clock.TickMs(), [this, source](const char* s) { p_.intake.ProcessSentence(s, source); });
    if (step == Playback::StepResult::Ended) {
      StopShipsAfterPlayback(p_.table);
      r.playbackEnded = true;
    }
  }
  r.secondDue = t % 10 == 0;
  return r;
}

void WindowChores::ReopenMissingPorts() {
  for (int n = 1; n <= kPortCount; ++n)
    if (!p_.ports.IsOpen(n)) p_.ports.OpenPort(n);
}

}  // namespace aismon
