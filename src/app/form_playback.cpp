// The form's demonstration and receive-log playback handlers.
#include <QCoreApplication>
#include <QToolButton>
#include <filesystem>
#include <system_error>

#include "app/builtin_lists.h"
#include "app/main_window.h"
#include "chart/chart_frame.h"

namespace aismon {

namespace fs = std::filesystem;

void TForm1::ButtonDemoClick() { RunDemo(); }

void TForm1::RunDemo() {
  PanelMyPosClick(panels_.myPos);
  intake_.ProcessSentence(kDemoOwnShipRmc);
  DbDynamic own;
  table_.GetShip(0, own);
  ViewState& view = frame_->View();
  view.centerLat = own.Lat;
  view.centerLon = own.Lon;
  demoRunning_ = true;
  // The size is read on every pass: the list could change while events are handled.
  for (size_t i = 0; i < memoSample_.size(); ++i) {
    intake_.ProcessSentence(memoSample_[i].c_str());
    clock_.SleepMs(50);
    Paint1Paint();
    paint1_->update();
    QCoreApplication::processEvents();
    if (closed_) break;  // the window was closed from inside the loop
  }
  demoRunning_ = false;
  // The box's modal loop lets the idle pass paint again.
  if (!closed_) showMessage(QString::fromUtf8("デモ終了"));
}

QToolButton* TForm1::SpeedButton(int tag) {
  if (tag == 1) return panels_.play1;
  if (tag == 2) return panels_.play2;
  if (tag == 10) return panels_.play10;
  return nullptr;
}

void TForm1::PlaySpeedClick(QToolButton* sender) {
  int tag = 1;
  if (sender == panels_.play2) tag = 2;
  if (sender == panels_.play10) tag = 10;
  playback_.PlaySpeedClick(tag, clock_.TickMs());
}

void TForm1::LogPlayClick() {
  const QString chosen = chooseLogFile ? chooseLogFile() : QString();
  // The dialog may have moved the working folder.
  std::error_code ec;
  fs::current_path(programFolder_, ec);
  // Cancelled: the live table, its alarms and a playback under way stay as they were.
  if (chosen.isEmpty()) return;
  playback_.Stop();
  liveDataFlag_ = false;
  playback_.Start(fs::path(chosen.toStdU16String()));
  ResetTableForPlayback(table_);
  panels_.play1->setChecked(true);
  PlaySpeedClick(panels_.play1);
  startTick_ = clock_.TickMs();
  intake_.counters.vdmCount = 0;
  intake_.counters.rmcCount = 0;
  intake_.counters.rmcFixCount = 0;
  liveDataFlag_ = true;
}

}  // namespace aismon
