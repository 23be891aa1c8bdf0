#include "app/watch_sound.h"

#include <QApplication>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

#include "watch/alarm_tone.h"

namespace aismon {

WatchSound::WatchSound() = default;
WatchSound::~WatchSound() = default;

void WatchSound::Play() {
  if (!prepared_) {
    prepared_ = true;
    useBeep_ = QMediaDevices::audioOutputs().isEmpty();
    if (!useBeep_) {
      // The chime is written once to a temporary file, which lives as long as the window.
      file_ = std::make_unique<QTemporaryFile>(QStringLiteral("aismon-alarm-XXXXXX.wav"));
      const std::vector<uint8_t> wav = MakeAlarmToneWav();
      if (file_->open() &&
          file_->write(reinterpret_cast<const char*>(wav.data()), static_cast<qint64>(wav.size())) ==
              static_cast<qint64>(wav.size()) &&
          file_->flush()) {
        effect_ = std::make_unique<QSoundEffect>();
        effect_->setSource(QUrl::fromLocalFile(file_->fileName()));
        effect_->setVolume(0.8f);
      } else {
        useBeep_ = true;
      }
    }
  }
  if (effect_ != nullptr && effect_->status() != QSoundEffect::Error) {
    effect_->play();
    return;
  }
  QApplication::beep();
}

}  // namespace aismon
