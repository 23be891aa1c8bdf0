#pragma once
// The alarm sounds: the program's own sounds through Qt Multimedia where an audio output
// exists, the system beep where none does. Each is made the first time it is played, not
// at start-up, so a run without alarms never opens the audio system.
#include <QTemporaryFile>
#include <array>
#include <memory>

#include "watch/alarm_tone.h"

class QSoundEffect;

namespace aismon {

class WatchSound {
 public:
  WatchSound();
  ~WatchSound();
  void Play(AlarmSound sound);

 private:
  struct Prepared {
    bool tried = false;
    std::unique_ptr<QTemporaryFile> file;
    std::unique_ptr<QSoundEffect> effect;
  };
  bool checkedOutputs_ = false;
  bool useBeep_ = false;
  std::array<Prepared, 4> sounds_;  // by AlarmSound
};

}  // namespace aismon
