#include "app/watch_sound.h"

#include <QApplication>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace aismon {

WatchSound::WatchSound() = default;
WatchSound::~WatchSound() = default;

void WatchSound::Play(AlarmSound sound) {
  if (sound == AlarmSound::None) return;
  if (!checkedOutputs_) {
    checkedOutputs_ = true;
    useBeep_ = QMediaDevices::audioOutputs().isEmpty();
  }
  Prepared& p = sounds_[static_cast<size_t>(sound)];
  if (!useBeep_ && !p.tried) {
    p.tried = true;
    // Written once to a temporary file, which lives as long as the window.
    p.file = std::make_unique<QTemporaryFile>(QStringLiteral("aismon-alarm-XXXXXX.wav"));
    const std::vector<uint8_t> wav = MakeAlarmToneWav(sound);
    if (p.file->open() &&
        p.file->write(reinterpret_cast<const char*>(wav.data()), static_cast<qint64>(wav.size())) ==
            static_cast<qint64>(wav.size()) &&
        p.file->flush()) {
      p.effect = std::make_unique<QSoundEffect>();
      p.effect->setSource(QUrl::fromLocalFile(p.file->fileName()));
      p.effect->setVolume(0.8f);
    }
  }
  if (p.effect != nullptr && p.effect->status() != QSoundEffect::Error) {
    p.effect->play();
    return;
  }
  QApplication::beep();
}

}  // namespace aismon
