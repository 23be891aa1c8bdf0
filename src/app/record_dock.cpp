#include "app/record_dock.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <cstdio>
#include <system_error>

#include "app/main_window.h"

namespace aismon {

namespace {

QToolButton* Button(QWidget* parent, const char* name, const char* caption, bool checkable = false) {
  auto* b = new QToolButton(parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setText(QString::fromUtf8(caption));
  b->setCheckable(checkable);
  b->setFocusPolicy(Qt::NoFocus);  // the keys stay with the chart
  return b;
}

QString HoursMinutesSeconds(int32_t ms) {
  const int32_t s = ms / 1000;
  char text[32];
  std::snprintf(text, sizeof text, "%d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
  return QString::fromLatin1(text);
}

}  // namespace

RecordDock::RecordDock(TForm1& form, Clock& clock, QWidget* parent)
    : QWidget(parent), form_(form), clock_(clock) {
  setObjectName(QStringLiteral("RecordPanel"));
  auto* grid = new QGridLayout(this);
  record_ = Button(this, "ButtonRecord", "● 受信ログを記録", true);
  connect(record_, &QToolButton::toggled, this, [this](bool on) {
    form_.SetRecording(on);
    Refresh();
  });
  file_ = new QLabel(this);
  file_->setObjectName(QStringLiteral("RecordFile"));
  file_->setWordWrap(true);
  grid->addWidget(record_, 0, 0, 1, 2);
  grid->addWidget(file_, 1, 0, 1, 2);

  auto* bar = new QHBoxLayout;
  QToolButton* open = Button(this, "ButtonPlayOpen", "開く…");
  connect(open, &QToolButton::clicked, this, [this] { form_.LogPlayClick(); });
  pause_ = Button(this, "ButtonPlayPause", "一時停止", true);
  connect(pause_, &QToolButton::toggled, this, [this](bool paused) {
    form_.LogPlayback().Pause(paused, clock_.TickMs());
  });
  back_ = Button(this, "ButtonPlayBack", "◀ 1分");
  QToolButton* back = back_;
  connect(back, &QToolButton::clicked, this, [this] { form_.LogPlayback().Jump(-60000, clock_.TickMs()); });
  forward_ = Button(this, "ButtonPlayForward", "1分 ▶");
  QToolButton* forward = forward_;
  connect(forward, &QToolButton::clicked, this, [this] { form_.LogPlayback().Jump(60000, clock_.TickMs()); });
  bar->addWidget(open);
  bar->addWidget(pause_);
  bar->addWidget(back);
  bar->addWidget(forward);
  const int tags[3] = {1, 2, 10};
  const char* captions[3] = {"×1", "×2", "×10"};
  const char* names[3] = {"ButtonPlay1", "ButtonPlay2", "ButtonPlay10"};
  for (int i = 0; i < 3; ++i) {
    speeds_[i] = Button(this, names[i], captions[i], true);
    connect(speeds_[i], &QToolButton::clicked, this, [this, tag = tags[i]] {
      // The debug panel's speed buttons are the player's own; they follow.
      QToolButton* own = form_.SpeedButton(tag);
      own->setChecked(true);
      form_.PlaySpeedClick(own);
      Refresh();
    });
    bar->addWidget(speeds_[i]);
  }
  bar->addStretch(1);
  grid->addLayout(bar, 2, 0, 1, 2);
  position_ = new QLabel(this);
  position_->setObjectName(QStringLiteral("PlayPosition"));
  position_->setWordWrap(true);
  grid->addWidget(position_, 3, 0, 1, 2);
  grid->setRowStretch(4, 1);

  chartMark_ = new QLabel(QString::fromUtf8("● 記録中"), form_.PaintWidget());
  chartMark_->setObjectName(QStringLiteral("RecordingMark"));
  chartMark_->setStyleSheet(QStringLiteral("QLabel { color: white; background: rgb(200, 0, 0); padding: 2px 6px; }"));
  chartMark_->adjustSize();
  chartMark_->hide();
  Refresh();
}

void RecordDock::Refresh() {
  const bool recording = form_.Recording();
  if (record_->isChecked() != recording && !form_.DebugPanel()->isVisible()) record_->setChecked(recording);
  const ReceiveLog& log = form_.Log();
  QString file = QString::fromUtf8(recording ? "記録中" : "記録していません");
  if (!log.LastFile().empty()) {
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(log.LastFile(), ec);
    file += QString::fromUtf8("　書込先: ") + QString::fromStdString(log.LastFile().filename().string());
    if (!ec) file += QString::fromUtf8("（%1 KB）").arg((bytes + 1023) / 1024);
    file += QString::fromUtf8("　書込済み %1 行").arg(log.LinesWritten());
  }
  if (recording) file += QString::fromUtf8("　未書込 %1 行").arg(log.Count());
  if (file_->text() != file) file_->setText(file);

  const Playback& play = form_.LogPlayback();
  QString where = QString::fromUtf8("再生していません");
  if (play.Playing()) {
    where = QString::fromUtf8("再生中 %1　%2 / %3 行　経過 %4%5")
                .arg(QString::fromStdString(std::filesystem::path(play.PlaybackFileName()).filename().string()))
                .arg(play.PlaybackPos())
                .arg(play.LineCount())
                .arg(HoursMinutesSeconds(play.PlaybackElapsedMs()))
                .arg(play.Paused() ? QString::fromUtf8("　一時停止中") : QString());
  }
  if (position_->text() != where) position_->setText(where);
  if (pause_->isChecked() != play.Paused()) pause_->setChecked(play.Paused());
  const int tags[3] = {1, 2, 10};
  for (int i = 0; i < 3; ++i) {
    speeds_[i]->setEnabled(play.Playing());
    speeds_[i]->setChecked(play.Playing() && play.PlaybackSpeed() == tags[i]);
  }
  pause_->setEnabled(play.Playing());
  back_->setEnabled(play.Playing());
  forward_->setEnabled(play.Playing());

  chartMark_->move(form_.PaintWidget()->width() / 2 - chartMark_->width() / 2, 4);
  chartMark_->setVisible(recording);
}

}  // namespace aismon
