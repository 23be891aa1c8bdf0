#pragma once
// The watch in the window: it runs the collision and distress watch from the timer, sounds
// new alarms, takes acknowledgements (a click on the chart's alert panel, the A key, or
// the button), offers the limits and the mute switch on a small panel under the control
// panel (kept in the settings file), and opens the target list. Nothing here is modal.
#include <QObject>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

#include "chart/frame_context.h"
#include "watch/alarm_log.h"
#include "watch/alarm_repeat.h"
#include "watch/traffic_watch.h"
#include "watch/watch_settings.h"

class QCheckBox;
class QDoubleSpinBox;
class QPushButton;
class QWidget;

namespace aismon {

class Clock;
class Intake;
class ShipTable;
class TargetListWindow;
class WatchSound;

class WatchController : public QObject {
 public:
  // The panel is placed under controlPanel and follows it when the window is resized.
  WatchController(QWidget* form, QWidget* controlPanel, ShipTable& table, Intake& intake, Clock& clock,
                  std::filesystem::path iniPath);
  ~WatchController() override;

  const TrafficWatch* Watch() const { return &watch_; }
  TrafficWatch& MutableWatch() { return watch_; }
  void Tick();                              // every timer tick: a watch pass once a second
  void AfterFrame(const FrameOutputs& out);  // where the frame drew the alert rows
  bool ChartPress(int x, int y);            // a press on the chart; true when it hit an alert row
  void AcknowledgeKey();                    // the A key: every sounding alarm
  void AcknowledgeRow(int row);             // one row of the alarm list, logged at once
  void ShowTargetList();

  // Selects a station on the chart and centres it; installed by the window.
  std::function<void(int32_t slot)> selectShip;
  // Brings the target list into view; the window that docks the list installs it (alone,
  // the list is a window of its own).
  std::function<void()> showList;
  // Plays a sound for the alarms standing; tests replace it to count.
  std::function<void(AlarmSound)> playSound;
  // Plays one sound whatever the mute switch says, for the test buttons.
  void TestSound(AlarmSound sound);
  void SetMuted(bool muted);  // as the mute box does
  // The card's and the list's "追従" and "無視" (ShipChoice::None undoes either): applied at
  // once and kept in the settings file. False when refused (a distress beacon cannot be
  // ignored) or not written.
  bool SetShipChoice(int32_t mmsi, ShipChoice choice);
  ShipChoice ShipChoiceOf(int32_t mmsi) const { return watch_.Choices().Of(mmsi); }
  // A station's last alarms of this run, newest first (for the ship card; AlarmLogLine
  // gives a record's text).
  int LastAlarms(int32_t mmsi, AlarmLogRecord* out, int max) const { return log_.LastFor(mmsi, out, max); }
  void SetRepeatSeconds(double seconds);
  // Whether any source (port or network) is configured, for the no-data alarm; installed
  // by the window. Until then: any source but the playback that has given a sentence.
  std::function<bool()> sourcesConfigured;

  QWidget* Panel() { return panel_; }
  TargetListWindow* TargetList() { return list_; }
  QCheckBox* MuteBox() { return mute_; }
  QDoubleSpinBox* CpaBox() { return cpa_; }
  QDoubleSpinBox* TcpaBox() { return tcpa_; }
  QDoubleSpinBox* RangeBox() { return range_; }
  const WatchSettings& Settings() const { return settings_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void BuildPanel(QWidget* form);
  void SettingsChanged();
  void ReportNewAlarms();
  void NoteIntake();
  void SoundAlarms(bool newAlarm);
  void LogEvents();

  ShipTable& table_;
  Intake& intake_;
  Clock& clock_;
  std::filesystem::path iniPath_;
  WatchSettings settings_;
  TrafficWatch watch_;
  std::unique_ptr<WatchSound> sound_;
  AlarmRepeat repeat_;
  AlarmLog log_;
  FrameOutputs lastFrame_;
  QWidget* controlPanel_;
  QWidget* panel_ = nullptr;
  QCheckBox* mute_ = nullptr;
  QDoubleSpinBox* cpa_ = nullptr;
  QDoubleSpinBox* tcpa_ = nullptr;
  QDoubleSpinBox* range_ = nullptr;
  QPushButton* listButton_ = nullptr;
  QPushButton* ackButton_ = nullptr;
  TargetListWindow* list_ = nullptr;
};

}  // namespace aismon
