#pragma once
// Recording and playback in sight: a switch for the receive log with the file being
// written, its size and the lines written, and a playback bar (open, play and pause,
// x1/x2/x10, a minute back or forward, where the log stands). It drives the form's own
// recorder and player, as the debug panel does; a mark on the chart shows recording.
#include <QWidget>

class QLabel;
class QToolButton;

namespace aismon {

class Clock;
class TForm1;

class RecordDock : public QWidget {
 public:
  RecordDock(TForm1& form, Clock& clock, QWidget* parent = nullptr);

  // Brings the figures and the buttons' states up to date (the window's timer).
  void Refresh();

  QToolButton* RecordButton() { return record_; }
  QToolButton* PauseButton() { return pause_; }
  QLabel* FileLabel() { return file_; }
  QLabel* PositionLabel() { return position_; }

 private:
  TForm1& form_;
  Clock& clock_;
  QToolButton* record_ = nullptr;
  QToolButton* pause_ = nullptr;
  QToolButton* back_ = nullptr;
  QToolButton* forward_ = nullptr;
  QToolButton* speeds_[3] = {};
  QLabel* file_ = nullptr;
  QLabel* position_ = nullptr;
  QLabel* chartMark_ = nullptr;  // over the chart while recording
};

}  // namespace aismon
