#pragma once
// The alarm sound: the program's own chime through Qt Multimedia where an audio output
// exists, the system beep where none does. Made on the first alarm, not at start-up, so a
// run without alarms never opens the audio system.
#include <QTemporaryFile>
#include <memory>

class QSoundEffect;

namespace aismon {

class WatchSound {
 public:
  WatchSound();
  ~WatchSound();
  void Play();

 private:
  bool prepared_ = false;
  bool useBeep_ = false;
  std::unique_ptr<QTemporaryFile> file_;
  std::unique_ptr<QSoundEffect> effect_;
};

}  // namespace aismon
