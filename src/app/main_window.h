#pragma once
// The main window: its controls, the start-up and shutdown steps, the idle pass (ports,
// one chart frame, panel colours) and the 100 ms timer chores.
#include <QColor>
#include <QImage>
#include <QLabel>
#include <QWidget>
#include <array>
#include <functional>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/chart_panels.h"
#include "app/frame_driver.h"
#include "app/window_chores.h"
#include "app/input_pump.h"
#include "app/measure_tool.h"
#include "app/mmsi_names.h"
#include "app/network_input.h"
#include "app/own_motion.h"
#include "app/playback.h"
#include "app/receive_log.h"
#include "app/serial_ports.h"
#include "app/ship_selection.h"
#include "app/ship_db_autosave.h"
#include "basechart/place_names.h"
#include "chart/frame_context.h"
#include "common/clock.h"
#include "input/intake.h"
#include "shipdb/ship_table.h"

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QTimer;
class QToolButton;

namespace aismon {

class ChartCatalog;
class ChartFrame;
class WatchController;
class SourceDialog;
class TableFullNotice;

struct WindowSetup {
  std::filesystem::path programFolder;           // --home, else the executable's folder
  std::filesystem::path tileFolder;              // empty: the tile folder seen from programFolder
  std::filesystem::path sharedFolder;            // installed lists, consulted after DATA; may be empty
  std::map<int, std::string> portsFromCommandLine;  // --port N=PATH
  std::vector<std::string> sourcesFromCommandLine;  // --source NAME
  std::vector<std::string> outputsFromCommandLine;  // --output NAME
  bool record = false;  // --record: the receive log is recorded from the start
  // Listened to when no source is configured and no serial port opened; the program gives
  // udp:10110, tests built on the window leave it empty.
  std::vector<std::string> defaultSources;
  // Live stations the table holds (--stations); 0 takes the setting of the settings file.
  int stations = 0;
};

class TForm1 : public QWidget {
 public:
  TForm1(const WindowSetup& setup, Clock& clock);
  ~TForm1() override;

  void FormCreate();
  void FormClose();
  // What closing saves (ship database, receive log, settings), without closing: also run
  // when the session ends, which may yet be cancelled.
  void SaveState();
  void AppIdle();
  void PollSerialPorts();
  void PrefetchInputs();  // between the layers of a frame
  void RequestPoll();  // decode what has come, as soon as the loop is free
  void Timer100msTimer();
  void COM_ResetClick();
  void CkVdoEnableClick();
  void ReopenMissingPorts();
  void Paint1Paint();  // composes one frame and updates the controls that follow it
  void PanelMyPosClick(QObject* sender);
  void ButtonDemoClick();
  void RunDemo();
  void LogPlayClick();

  // View control. Modifier keys and held buttons come with the event that triggered the
  // handler.
  void FormMouseWheel(int delta, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
  // The chart follows the user's hand at the screen's rate for a moment.
  void NoteInteraction();
  void FormKeyDown(int key, Qt::KeyboardModifiers mods);
  // Ctrl+C: the selected ship as one line of text on the clipboard.
  void CopySelectedShip();
  void Paint1MouseDown(Qt::MouseButton button, Qt::MouseButtons buttons, int x, int y);
  void Paint1MouseMove(int x, int y);
  void Paint1MouseUp();
  void Paint1DblClick();
  void PanelNorthUpClick(QObject* sender);
  void RgWakeStepClick();
  void Panel1DblClick(Qt::KeyboardModifiers mods);
  void ZoomAtCursor(int direction, bool fine);
  void PanByPixels(int dx, int dy);
  static double NormalizeAngle(double a);
  int32_t SelectedShip() const { return selection_.Slot(); }
  const MeasureTool& Measure() const { return measure_; }
  const std::string& SelectedShipName() const { return selection_.Name(); }
  int32_t HoveredShip() const { return hoveredShip_; }
  void SetHoveredShip(int32_t index) { hoveredShip_ = index; }
  QWidget* PaintWidget() { return paint1_; }
  QWidget* ControlPanel() { return panel1_; }
  QWidget* DebugPanel() { return panelDbg_; }
  PanelButton* NorthUpPanel() { return panels_.northUp; }
  PanelButton* HeadingUpPanel() { return panels_.headingUp; }
  void PlaySpeedClick(QToolButton* sender);

  // Asks for a log file to play; an empty result means the choice was cancelled.
  std::function<QString()> chooseLogFile;

  // Shows a modal message with an OK button; tests replace it to observe and close it.
  std::function<void(const QString& text)> showMessage;

  // Read by tests and by the snapshot of the command line.
  const QImage& FrameImage() const;
  ShipTable& Table() { return table_; }
  ChartFrame& Frame() { return *frame_; }
  SerialPorts& Ports() { return ports_; }
  NetworkInput& Network() { return network_; }
  // The port panel area of the chart (paint-box pixels): a click opens the source dialog,
  // a resting pointer shows the panel's tooltip. False where there is no panel.
  bool PortAreaClick(int x, int y);
  QString PortAreaToolTipAt(int x, int y) const;
  void OpenSourceDialog();
  SourceDialog* SourceDialogWindow() { return sourceDialog_; }
  Intake& IntakeChain() { return intake_; }
  const std::filesystem::path& IniPath() const { return iniPath_; }
  uint32_t TimerTicks() const { return chores_->Ticks(); }
  uint32_t IdlePasses() const { return idlePasses_; }
  // For --frame-counts: the serial reader's longest gap between reads, and the longest a
  // read byte waited before it was decoded, since the last call.
  uint32_t TakeLongestReadGapMs() { return ports_.TakeLongestReadGapMs(); }
  uint32_t TakeLongestWaitMs() { return ports_.TakeLongestWaitMs(); }
  QPushButton* DemoButton() { return panels_.demo; }
  PanelButton* MyPosPanel() { return panels_.myPos; }
  PanelButton* AllShipPanel() { return panels_.allShip; }
  QToolButton* SpeedButton(int tag);  // 1, 2 or 10
  Playback& LogPlayback() { return playback_; }
  bool LiveDataFlag() const { return liveDataFlag_; }
  uint32_t StartTick() const { return startTick_; }
  const ShipDbAutoSave& AutoSave() const { return autoSave_; }
  void StopDrivers();  // stops the idle hook and the timer (tests drive the handlers by hand)
  WatchController& Watch() { return *watch_; }
  // The receive log is written while recording is switched on or the debug panel is up.
  bool Recording() const { return recording_ || panelDbg_->isVisible(); }
  void SetRecording(bool on) { recording_ = on; }
  const ReceiveLog& Log() const { return receiveLog_; }
  // Called after a poll that brought input (the outputs send what it gathered).
  std::function<void()> afterInput;
  // Ship names beside the symbols (off unless asked for).
  void SetShipNames(bool on) {
    panels_.options->shipNames = on;
    NoteInteraction();
  }
  // The position under the pointer while it is over the chart.
  bool PointerPosition(double& lat, double& lon) const;
  // Own ship's position once a GPS fix has come.
  bool OwnShipFix(double& lat, double& lon) const;
  // Called when the selection changes (a click, the list, or the vessel leaving the table).
  std::function<void()> onSelectionChanged;
  // A click on a weather station's symbol (no ship under the pointer): its place in the
  // weather store.
  std::function<void(int32_t place)> onWeatherPicked;
  // Brings the outputs' settings into view (the source dialog's "出力の設定…").
  std::function<void()> showOutputs;
  // Selects a station as a click on it would, and centres the chart on it.
  void SelectShipFromList(int32_t slot);

 protected:
  void resizeEvent(QResizeEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  void BuildControls();
  void InstallViewControls();
  void AnchorPanels();
  FrameInputs CollectInputs() const;
  void ReportFlushError(const std::string& error);
  void ShowWatchBox(std::string_view caption, std::string_view text);
  void RaiseWatchBoxes();
  // At close: everything already read from the ports and sockets is decoded.
  void DecodeWhatWasRead();
  // Opens the serial ports and starts the network sources, as set on the command line and
  // in the settings file.
  void StartSources(const WindowSetup& setup);
  void SelectShip(int32_t slot, Qt::MouseButtons buttons);

  Clock& clock_;
  std::map<int, std::string> portsFromCommandLine_;
  std::filesystem::path programFolder_;
  std::filesystem::path dataFolder_;
  std::filesystem::path iniPath_;
  uint32_t startTick_ = 0;

  ShipTable table_;
  Intake intake_;
  ReceiveLog receiveLog_;
  Playback playback_;
  MmsiNameList mmsiNames_;
  ShipSelection selection_{table_, mmsiNames_};
  std::unique_ptr<ChartCatalog> catalog_;
  PlaceNameList placeNames_;
  std::unique_ptr<ChartFrame> frame_;
  SerialPorts ports_;
  NetworkInput network_;
  InputPump pump_;
  SourceId playbackSource_ = kDefaultSource;
  std::set<int> namedPorts_;  // ports given a device by --port or the settings file
  SourceDialog* sourceDialog_ = nullptr;
  TableFullNotice* tableFull_ = nullptr;
  OwnMotionMemory ownMotion_;
  std::unique_ptr<WatchController> watch_;
  ShipDbAutoSave autoSave_;

  std::unique_ptr<WindowChores> chores_;
  uint32_t idlePasses_ = 0;
  bool liveDataFlag_ = false;
  // Ships-of-interest boxes waiting to be raised, one at a time, outside decoding.
  std::deque<std::pair<QString, QString>> watchBoxes_;
  bool watchBoxOpen_ = false;
  bool closed_ = false;
  bool demoRunning_ = false;  // the idle pass stays out while the demo feeds its lines
  bool shipsMoving_ = false;  // the last frame moved a ship
  std::vector<std::string> memoSample_;
  int32_t pointerX_ = -100000;
  int32_t pointerY_ = -100000;
  bool pointerInside_ = false;  // over the paint box, as the status bar reads it
  bool recording_ = false;      // the recording dock's switch, or --record
  int32_t pressX_ = 0;
  int32_t pressY_ = 0;
  bool dragging_ = false;
  int32_t hoveredShip_ = -1;
  MeasureTool measure_;
  std::string lastFlushError_;

  FrameDriver* driver_ = nullptr;
  PaintBox* paint1_ = nullptr;
  ChartPanels panels_;
  QWidget* panel1_ = nullptr;
  QWidget* panelDbg_ = nullptr;
};


}  // namespace aismon
