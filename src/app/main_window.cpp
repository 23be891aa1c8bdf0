#include "app/main_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStringDecoder>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <array>
#include <cstdio>
#include <system_error>

#include "app/builtin_lists.h"
#include "app/caption.h"
#include "app/table_full_notice.h"
#include "app/watch_controller.h"
#include "basechart/chart_catalog.h"
#include "chart/chart_frame.h"
#include "common/settings_file.h"
#include "shipdb/station_capacity.h"
#include "shipdb/ship_db_files.h"
#include "shipdb/table_startup.h"

namespace aismon {

namespace fs = std::filesystem;

namespace {

const QColor kNavy(0, 0, 128);
const QColor kActive(204, 128, 204);
const QColor kInactive(128, 128, 128);
const QColor kResetPressed(192, 192, 192);

// The serial ports are read on their own thread and wake the decoding, the network
// sockets wake it when they become readable; this sweep only picks up what was held back
// meanwhile (a box, a playback) and checks the receive log's flush. Every wakeup costs an
// idle monitor CPU: at 10 ms this timer alone took about 0.9 % of a core.
constexpr int kSweepIntervalMs = 100;
// A poll decodes for at most this long before letting a due frame go first.
constexpr uint32_t kPollBudgetMs = 20;

constexpr int kFormWidth = 967;
constexpr int kFormHeight = 1022;
constexpr int kPanelLeft = 735;
constexpr int kPanelWidth = 213;
// Both panels keep this distance from the right edge, whatever the window's width.
constexpr int kPanelRightGap = kFormWidth - kPanelLeft - kPanelWidth;

}  // namespace

QString FromShiftJis(std::string_view sjis) {
  QStringDecoder decoder("Shift_JIS");
  if (!decoder.isValid()) return QString::fromLatin1(sjis.data(), static_cast<qsizetype>(sjis.size()));
  return decoder.decode(QByteArrayView(sjis.data(), static_cast<qsizetype>(sjis.size())));
}

QString DisplayRateText(uint32_t frames) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%2d", static_cast<int>(frames));
  return QString::fromUtf8("表示周期：") + QString::fromLatin1(digits) + QStringLiteral("Hz");
}

TForm1::TForm1(const WindowSetup& setup, Clock& clock)
    : clock_(clock),
      portsFromCommandLine_(setup.portsFromCommandLine),
      programFolder_(setup.programFolder),
      table_(clock, setup.stations > 0 ? setup.stations
                                        : ReadStationCapacity(setup.programFolder / "DATA" / "aismon.ini")),
      intake_(table_),
      ports_(clock),
      network_(clock, [this](const char* line, SourceId source) { intake_.AcceptLine(line, source); },
               &intake_.sources),
      pump_(ports_, network_, intake_, clock),
      autoSave_(table_, setup.programFolder, clock),
      recording_(setup.record) {
  BuildControls();
  BuildChartCatalog(programFolder_, setup.tileFolder.empty() ? TileFolder(programFolder_) : setup.tileFolder);
  catalog_ = std::make_unique<ChartCatalog>(programFolder_);
  startTick_ = clock_.TickMs();
  dataFolder_ = programFolder_ / "DATA";
  std::error_code ec;
  fs::create_directories(dataFolder_, ec);  // a failure shows later as failed writes
  playbackSource_ = intake_.sources.Register("playback");
  // The receive log starts empty (a member); lines from the ports are offered to it.
  intake_.sentences.SetRecorder(
      [this](const char* line) { receiveLog_.Record(line, clock_.TickMs(), playback_.Playing()); });
  BuiltinLists lists = LoadBuiltinLists(dataFolder_, setup.sharedFolder);
  mmsiNames_ = MmsiNameList(lists.memoMmsi);
  memoSample_ = std::move(lists.memoSample);
  chooseLogFile = [this] {
    // Opens where the receive logs are written, not in whatever folder the program was
    // started from.
    return QFileDialog::getOpenFileName(this, QString(), QString::fromStdString(dataFolder_.string()),
                                        QStringLiteral("*.txt (*.txt);;*.log (*.log)"));
  };
  showMessage = [this](const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, windowTitle(), text, QMessageBox::Ok, this);
    box.exec();
  };
  iniPath_ = dataFolder_ / "aismon.ini";
  const MapCenter center = ReadMapCenter(iniPath_);
  PrepareShipTable(table_, programFolder_, center);
  frame_ = std::make_unique<ChartFrame>(table_, intake_.counters, clock_, catalog_.get(), &placeNames_,
                                        std::move(lists.memoChimei));
  frame_->SetBetweenLayers([this] { PrefetchInputs(); });
  frame_->View().centerLat = center.lat;
  frame_->View().centerLon = center.lon;
  paint1_->SetImage(&frame_->Display());
  intake_.watch.SetShowBox([this](std::string_view caption, std::string_view text) { ShowWatchBox(caption, text); });
  watch_ = std::make_unique<WatchController>(this, panel1_, table_, intake_, clock_, iniPath_);
  watch_->selectShip = [this](int32_t slot) { SelectShipFromList(slot); };
  // The no-data alarm stands only where some source is meant to be heard.
  watch_->sourcesConfigured = [this] {
    for (int n = 1; n <= kPortCount; ++n)
      if (ports_.IsOpen(n) || namedPorts_.count(n) != 0) return true;
    return network_.Sources().Count() > 0;
  };

  std::map<int, std::string> devices;
  const std::map<int, std::string> iniPorts = ReadPortsSection(iniPath_);
  for (int n = 1; n <= kPortCount; ++n) devices[n] = PortDevice(n, portsFromCommandLine_, iniPorts);
  ports_.SetDevices(devices);
  // Decoded at once when the loop is free: through the zero timer a due frame could go first.
  ports_.SetWake(this, [this] {
    if (!closed_ && !demoRunning_ && !driversStopped_) PollSerialPorts();
  });
  network_.SetReadyHook([this] { RequestPoll(); });
  for (const auto& named : {portsFromCommandLine_, iniPorts})
    for (const auto& [n, path] : named) namedPorts_.insert(n);
  COM_ResetClick();
  bool anyPortOpen = false;
  for (int n = 1; n <= kPortCount; ++n) anyPortOpen = anyPortOpen || ports_.IsOpen(n);
  network_.Start(setup.sourcesFromCommandLine, iniPath_,
                 anyPortOpen ? std::vector<std::string>{} : setup.defaultSources);
  FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::BuildControls() {
  setObjectName(QStringLiteral("Form1"));
  resize(kFormWidth, kFormHeight);

  paint1_ = new PaintBox(this);
  paint1_->setObjectName(QStringLiteral("Paint1"));
  paint1_->setAttribute(Qt::WA_OpaquePaintEvent);
  tableFull_ = new TableFullNotice(paint1_);
  tableFull_->onClick = [this] { OpenSourceDialog(); };

  panels_ = BuildChartPanels(this);
  panel1_ = panels_.panel1;
  panelDbg_ = panels_.debug;
  connect(panels_.demo, &QPushButton::clicked, this, [this] { ButtonDemoClick(); });
  panels_.myPos->onClick = [this] { PanelMyPosClick(panels_.myPos); };
  panels_.allShip->onClick = [this] { PanelMyPosClick(panels_.allShip); };
  connect(panels_.vdoEnable, &QCheckBox::clicked, this, [this] { CkVdoEnableClick(); });
  panels_.comReset->onClick = [this] { COM_ResetClick(); };
  connect(panels_.logPlay, &QToolButton::clicked, this, [this] { LogPlayClick(); });
  for (QToolButton* b : {panels_.play1, panels_.play2, panels_.play10})
    connect(b, &QToolButton::clicked, this, [this, b] { PlaySpeedClick(b); });

  idleTimer_ = new QTimer(this);
  idleTimer_->setObjectName(QStringLiteral("AppIdle"));
  idleTimer_->setSingleShot(true);
  idleTimer_->setTimerType(Qt::PreciseTimer);
  idleTimer_->setInterval(0);
  connect(idleTimer_, &QTimer::timeout, this, [this] { AppIdle(); });
  pollTimer_ = new QTimer(this);
  pollTimer_->setObjectName(QStringLiteral("PollPorts"));
  pollTimer_->setTimerType(Qt::PreciseTimer);
  pollTimer_->setInterval(kSweepIntervalMs);
  connect(pollTimer_, &QTimer::timeout, this, [this] {
    if (!closed_ && !demoRunning_) PollSerialPorts();
  });
  pollSoon_ = new QTimer(this);
  pollSoon_->setObjectName(QStringLiteral("PollSoon"));
  pollSoon_->setSingleShot(true);
  pollSoon_->setInterval(0);
  connect(pollSoon_, &QTimer::timeout, this, [this] {
    if (!closed_ && !demoRunning_) PollSerialPorts();
  });
  timer100ms_ = new QTimer(this);
  timer100ms_->setObjectName(QStringLiteral("Timer100ms"));
  timer100ms_->setInterval(100);
  connect(timer100ms_, &QTimer::timeout, this, [this] { Timer100msTimer(); });
  timer100ms_->start();
  InstallViewControls();
}

void TForm1::FormCreate() {
  paint1_->setGeometry(rect());
  paint1_->lower();
  setWindowTitle(FromShiftJis(WindowCaption()));
  if (QScreen* s = screen()) pacer_.SetRefreshRate(s->refreshRate());
  idleTimer_->start(0);
  pollTimer_->start();
}

void TForm1::StopDrivers() {
  driversStopped_ = true;
  idleTimer_->stop();
  pollTimer_->stop();
  pollSoon_->stop();
  timer100ms_->stop();
}

void TForm1::ScheduleNextFrame(uint32_t frameStartMs) {
  if (driversStopped_ || closed_) return;
  PaceState s;
  s.playing = playback_.Playing();
  s.fastPlayback = s.playing && playback_.PlaybackSpeed() >= 10;
  s.shipsMoving = liveDataFlag_ && shipsMoving_;
  s.newData = newData_;
  const uint32_t now = clock_.TickMs();
  const FramePace pace = pacer_.PaceFor(s, now);
  idleTimer_->start(static_cast<int>(pacer_.DelayAfterFrame(frameStartMs, now, pace)));
}

void TForm1::RequestFrameWithin(uint32_t ms) {
  if (driversStopped_ || closed_) return;
  if (!idleTimer_->isActive() || idleTimer_->remainingTime() > static_cast<int>(ms)) idleTimer_->start(static_cast<int>(ms));
}

void TForm1::NoteInteraction() {
  const uint32_t now = clock_.TickMs();
  pacer_.NoteInteraction(now);
  RequestFrameWithin(pacer_.DelayForInteraction(lastFrameStart_, now));
}

void TForm1::AnchorPanels() {
  panel1_->move(width() - kPanelWidth - kPanelRightGap, panel1_->y());
  panelDbg_->move(width() - kPanelWidth - kPanelRightGap, panelDbg_->y());
}

void TForm1::resizeEvent(QResizeEvent*) {
  if (paint1_ != nullptr) paint1_->setGeometry(rect());
  AnchorPanels();
  if (idleTimer_ != nullptr) NoteInteraction();
}

void TForm1::closeEvent(QCloseEvent* e) {
  if (!closed_) FormClose();
  e->accept();
}

void TForm1::FormClose() {
  closed_ = true;
  StopDrivers();
  DecodeWhatWasRead();
  SaveState();
}

void TForm1::DecodeWhatWasRead() {
  if (!playback_.Playing()) pump_.DrainAtClose();
}

void TForm1::SaveState() {
  autoSave_.SaveNow();
  const std::string error = receiveLog_.FlushReceiveLog(dataFolder_, Recording(), clock_);
  ReportFlushError(error);
  network_.SaveAtClose();
  const ViewState& view = frame_->View();
  WriteMapCenter(iniPath_, MapCenter{view.centerLat, view.centerLon});
}

const QImage& TForm1::FrameImage() const { return frame_->Display(); }

FrameInputs TForm1::CollectInputs() const {
  FrameInputs in;
  in.measure = measure_.View();
  in.options = *panels_.options;
  in.options.debugPanelVisible = panelDbg_->isVisible();
  in.liveDataFlag = liveDataFlag_;
  in.pointerX = pointerX_;
  in.pointerY = pointerY_;
  in.selectedShip = selectedShip_;
  in.selectedShipName = selectedShipName_;
  in.startTick = startTick_;
  in.watch = watch_->Watch();
  in.weather = &intake_.decoders.Weather();
  for (int n = 1; n <= kPortCount; ++n) {
    in.ports[n].open = ports_.IsOpen(n);
    in.ports[n].lastReadTick = ports_.LastReadTick(n);
    in.ports[n].missing = !in.ports[n].open && namedPorts_.count(n) != 0;
  }
  network_.FillInputs(in);
  in.playback.playing = playback_.Playing();
  in.playback.playbackSpeed = playback_.PlaybackSpeed();
  // The histogram panel and the running-time read-out follow the log, not the wall clock.
  in.playback.playbackElapsedMs = playback_.PlaybackElapsedMs();
  in.playback.playbackFileName = playback_.PlaybackFileName();
  in.playback.playbackPos = static_cast<int32_t>(playback_.PlaybackPos());
  const std::array<int32_t, 60>& histogram = playback_.MinuteHistogram();
  std::copy(histogram.begin(), histogram.end(), std::begin(in.playback.minuteHistogram));
  return in;
}

void TForm1::AppIdle() {
  if (closed_) return;
  if (demoRunning_) {
    // The demo paints for itself; come back later.
    if (!driversStopped_) idleTimer_->start(static_cast<int>(FramePacer::kShipsIntervalMs));
    return;
  }
  PollSerialPorts();
  const uint32_t start = clock_.TickMs();
  Paint1Paint();
  ScheduleNextFrame(start);
}

void TForm1::Paint1Paint() {
  if (closed_) return;
  FollowSelection();
  lastFrameStart_ = clock_.TickMs();
  newData_ = false;
  FrameOutputs out;
  frame_->Paint(paint1_->width(), paint1_->height(), CollectInputs(), out);
  paint1_->update();
  watch_->AfterFrame(out);
  hoveredShip_ = out.hoveredShip;
  shipsMoving_ = out.shipsMoving;
  frameRate_.NoteFrame(clock_.TickMs());
  panels_.demo->setVisible(out.buttonDemoVisible);
  panels_.circle->setEnabled(out.circleEnabled);
  panels_.myPos->setVisible(out.ownShipPanelsVisible);
  panels_.headingUp->setVisible(out.ownShipPanelsVisible);
  panels_.northUp->setVisible(out.ownShipPanelsVisible);
  ++idlePasses_;
  ViewState& view = frame_->View();
  panels_.allShip->SetColor(view.fitAllShips ? kActive : kInactive);
  panels_.myPos->SetColor(view.centerOnOwnShip ? kActive : kInactive);
  panels_.headingUp->SetColor(view.orientationMode == OrientationMode::HeadingUp ? kActive : kInactive);
  panels_.northUp->SetColor(view.orientationMode == OrientationMode::NorthUp ? kActive : kInactive);
  if (view.centerOnOwnShip) {
    DbDynamic own;
    table_.GetShip(0, own);
    view.centerLat = own.Lat;
    view.centerLon = own.Lon;
  }
}

void TForm1::PanelMyPosClick(QObject* sender) {
  ViewState& view = frame_->View();
  if (sender == panels_.myPos) {
    view.centerOnOwnShip = true;
    view.fitAllShips = false;
  } else if (sender == panels_.allShip) {
    view.centerOnOwnShip = false;
    view.fitAllShips = true;
  }
  NoteInteraction();
}

void TForm1::RequestPoll() {
  if (!driversStopped_ && !pollSoon_->isActive()) pollSoon_->start();
}

void TForm1::PrefetchInputs() {
  if (!driversStopped_ && !playback_.Playing() && !demoRunning_) pump_.Prefetch();
}

void TForm1::PollSerialPorts() {
  if (playback_.Playing()) return;
  const InputPump::Result r = pump_.Pump(kPollBudgetMs);
  if (r.bytes > 0 && afterInput) afterInput();
  if (r.bytes > 0) {
    liveDataFlag_ = true;
    if (!newData_) {
      // A fresh report shows (and flashes) within a ship-paced frame.
      newData_ = true;
      const uint32_t since = clock_.TickMs() - lastFrameStart_;
      RequestFrameWithin(since >= FramePacer::kShipsIntervalMs ? 0 : FramePacer::kShipsIntervalMs - since);
    }
  }
  // Out of time with input still flowing: the rest comes after whatever else is due.
  if (r.outOfTime) RequestPoll();
  if (receiveLog_.WantsFlush()) {
    const std::string error = receiveLog_.FlushReceiveLog(dataFolder_, Recording(), clock_);
    ReportFlushError(error);
  }
}

void TForm1::Timer100msTimer() {
  const uint32_t t = ++timerTicks_;
  if (t == 2) window()->showMaximized();  // the main window, when the form is its chart
  intake_.options.vdoEnabled = panels_.vdoEnable->isChecked();
  intake_.options.rmcSogEnabled = panels_.rmcSog->isChecked();
  intake_.options.rmcHdgEnabled = panels_.rmcHdg->isChecked();
  const int stepSeconds = *panels_.wakeStepSeconds;
  WakeClockTick(table_, t, WakeTicks(stepSeconds, playback_.Playing(), playback_.PlaybackSpeed()),
                intake_.counters.rmcFixCount != 0);
  if (t % 10 == 0) EstimateOwnMotion(table_, ownMotion_, clock_.TickMs());
  watch_->Tick();
  if (t % 30 == 5) ReopenMissingPorts();
  autoSave_.TimerTick(t);  // every 2 minutes, in two steps a second apart
  if (receiveLog_.FlushDue(clock_.TickMs()))
    ReportFlushError(receiveLog_.FlushReceiveLog(dataFolder_, Recording(), clock_));
  network_.Tick();
  if (t % 3 == 0) {
    // Nothing plays until the log controls start a playback.
    const Playback::StepResult r =
        playback_.PlaybackStep(clock_.TickMs(), [this](const char* s) { intake_.ProcessSentence(s, playbackSource_); });
    if (r == Playback::StepResult::Ended) {
      StopShipsAfterPlayback(table_);
      liveDataFlag_ = false;
      // The chores go on inside the box's loop (the watch must not stand still); a step
      // there finds the playback ended and plays nothing.
      showMessage(QString::fromUtf8("再生終了"));
    }
  }
  if (t % 10 == 0) {
    // The frames of the last real second, however long the timer stood still.
    panels_.dispRate->setText(DisplayRateText(frameRate_.FramesInLastSecond(clock_.TickMs())));
    idlePassesAtLastRate_ = idlePasses_;
    tableFull_->Update(table_.ReuseCount(), table_.Stations(), clock_.TickMs());
  }
}

void TForm1::ReopenMissingPorts() {
  for (int n = 1; n <= kPortCount; ++n)
    if (!ports_.IsOpen(n)) ports_.OpenPort(n);
}

void TForm1::COM_ResetClick() {
  panels_.comReset->SetColor(kResetPressed);
  panels_.comReset->repaint();
  for (int n = 1; n <= kPortCount; ++n) {
    ports_.ClosePort(n);
    ports_.OpenPort(n);
  }
  clock_.SleepMs(100);
  panels_.comReset->SetColor(kInactive);
}

void TForm1::CkVdoEnableClick() {
  SetBackground(panels_.rmc, panels_.vdoEnable->isChecked() ? kInactive : kNavy, Qt::yellow);
}

}  // namespace aismon
