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
const QColor kSilver(192, 192, 192);

// The serial ports are read on their own thread and wake the decoding, the network
// sockets wake it when they become readable; this sweep only picks up what was held back
// meanwhile (a box, a playback) and checks the receive log's flush. Every wakeup costs an
// idle monitor CPU: at 10 ms this timer alone took about 0.9 % of a core.
constexpr int kSweepIntervalMs = 100;

constexpr int kFormWidth = 967;
constexpr int kFormHeight = 1022;
constexpr int kPanelLeft = 735;
constexpr int kPanelWidth = 213;
// Both panels keep this distance from the right edge, whatever the window's width.
constexpr int kPanelRightGap = kFormWidth - kPanelLeft - kPanelWidth;

void SetBackground(QWidget* w, const QColor& bg, const QColor& fg) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, bg);
  p.setColor(QPalette::WindowText, fg);
  p.setColor(QPalette::ButtonText, fg);
  p.setColor(QPalette::Text, fg);
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

QCheckBox* MakeCheck(QWidget* parent, const char* name, const char* caption, QRect r, bool checked) {
  auto* c = new QCheckBox(QString::fromUtf8(caption), parent);
  c->setObjectName(QString::fromLatin1(name));
  c->setGeometry(r);
  c->setChecked(checked);
  return c;
}

PanelButton* MakePanelButton(QWidget* parent, const char* name, const char* caption, QRect r, bool visible) {
  auto* b = new PanelButton(QString::fromUtf8(caption), parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setGeometry(r);
  b->setVisible(visible);
  return b;
}

QToolButton* MakeSpeedButton(QWidget* parent, const char* name, const char* caption, QRect r) {
  auto* b = new QToolButton(parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setText(QString::fromUtf8(caption));
  b->setGeometry(r);
  return b;
}

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

PanelButton::PanelButton(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
  setAlignment(Qt::AlignCenter);
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  SetColor(kInactive);
}

void PanelButton::SetColor(const QColor& c) {
  color_ = c;
  SetBackground(this, c, Qt::white);
}

void PanelButton::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && onClick) onClick();
}

void PaintBox::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (image_ == nullptr || image_->isNull()) {
    p.fillRect(rect(), Qt::black);
    return;
  }
  p.drawImage(0, 0, *image_);
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
      autoSave_(table_, setup.programFolder, clock) {
  BuildControls();
  BuildChartCatalog(programFolder_, setup.tileFolder.empty() ? TileFolder(programFolder_) : setup.tileFolder);
  catalog_ = std::make_unique<ChartCatalog>(programFolder_);
  startTick_ = clock_.TickMs();
  dataFolder_ = programFolder_ / "DATA";
  std::error_code ec;
  fs::create_directories(dataFolder_, ec);  // a failure shows later as failed writes
  comSources_.fill(kNoSource);
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

  panel1_ = new QWidget(this);
  panel1_->setObjectName(QStringLiteral("Panel1"));
  panel1_->setGeometry(kPanelLeft, 292, kPanelWidth, 259);
  SetBackground(panel1_, kNavy, Qt::yellow);
  ckBigIcon_ = MakeCheck(panel1_, "CkBigIcon", "船アイコン(大)", {19, 9, 169, 20}, true);
  ckLatLonLine_ = MakeCheck(panel1_, "CkLatLonLine", "緯線／経線", {19, 34, 175, 20}, true);
  ckCircle_ = MakeCheck(panel1_, "CkCircle", "レンジサークル", {19, 58, 169, 20}, true);
  ckCircle_->setEnabled(false);
  ckDispCourse_ = MakeCheck(panel1_, "CkDispCourse", "コース (５分後)", {19, 82, 166, 20}, true);
  ckDispWake_ = MakeCheck(panel1_, "CkDispWake", "航跡（50点）", {19, 105, 137, 20}, true);

  rgWakeStep_ = new QGroupBox(QString::fromUtf8("航跡間隔(sec)"), panel1_);
  rgWakeStep_->setObjectName(QStringLiteral("RgWakeStep"));
  rgWakeStep_->setGeometry(33, 129, 154, 45);
  auto* wakeGroup = new QButtonGroup(rgWakeStep_);
  const char* steps[3] = {"2", "5", "10"};
  for (int i = 0; i < 3; ++i) {
    wakeStepButtons_[i] = new QRadioButton(QString::fromLatin1(steps[i]), rgWakeStep_);
    wakeStepButtons_[i]->setGeometry(6 + i * 49, 20, 46, 20);
    wakeGroup->addButton(wakeStepButtons_[i], i);
  }
  wakeStepButtons_[1]->setChecked(true);

  panelAllShip_ = MakePanelButton(panel1_, "PanelAllShip", "全船表示", {8, 184, 102, 28}, true);
  panelMyPos_ = MakePanelButton(panel1_, "PanelMyPos", "自船中心", {117, 184, 87, 28}, false);
  panelHeadingUp_ = MakePanelButton(panel1_, "PanelHeadingUp", "Heading-Up", {8, 218, 103, 28}, false);
  panelNorthUp_ = MakePanelButton(panel1_, "PanelNorthUp", "North-Up", {118, 218, 87, 28}, false);
  buttonDemo_ = new QPushButton(QString::fromUtf8("デモ表示する"), panel1_);
  buttonDemo_->setObjectName(QStringLiteral("ButtonDemo"));
  buttonDemo_->setGeometry(48, 224, 113, 25);
  {
    // A push button keeps the system's button text colour, not the panel's yellow, which
    // would be unreadable on the button face.
    QPalette p = buttonDemo_->palette();
    p.setColor(QPalette::ButtonText, QApplication::palette().color(QPalette::ButtonText));
    buttonDemo_->setPalette(p);
  }
  connect(buttonDemo_, &QPushButton::clicked, this, [this] { ButtonDemoClick(); });
  panelMyPos_->onClick = [this] { PanelMyPosClick(panelMyPos_); };
  panelAllShip_->onClick = [this] { PanelMyPosClick(panelAllShip_); };

  panelDbg_ = new QWidget(this);
  panelDbg_->setObjectName(QStringLiteral("PanelDbg"));
  panelDbg_->setGeometry(kPanelLeft, 732, kPanelWidth, 203);
  SetBackground(panelDbg_, kNavy, Qt::yellow);
  panelDbg_->setVisible(false);
  gboxRmc_ = new QGroupBox(QString::fromUtf8("RMC採用値"), panelDbg_);
  gboxRmc_->setObjectName(QStringLiteral("GboxRMC"));
  gboxRmc_->setGeometry(28, 4, 153, 60);
  SetBackground(gboxRmc_, kNavy, Qt::yellow);
  ckRmcSog_ = MakeCheck(gboxRmc_, "CkRmcSog", "SOG", {10, 26, 57, 25}, true);
  ckRmcHdg_ = MakeCheck(gboxRmc_, "CkRmcHdg", "HDG", {81, 26, 57, 25}, true);
  ckVdoEnable_ = MakeCheck(panelDbg_, "CkVdoEnable", "VDOを受信する", {26, 74, 163, 22}, false);
  connect(ckVdoEnable_, &QCheckBox::clicked, this, [this] { CkVdoEnableClick(); });
  comReset_ = MakePanelButton(panelDbg_, "COM_Reset", "COM-RESET", {33, 104, 151, 24}, true);
  comReset_->onClick = [this] { COM_ResetClick(); };

  auto* panel2 = new QWidget(panelDbg_);
  panel2->setObjectName(QStringLiteral("Panel2"));
  panel2->setGeometry(2, 139, 209, 62);
  SetBackground(panel2, kSilver, Qt::black);
  logPlay_ = MakeSpeedButton(panel2, "LogPlay", "ログ再生", {6, 7, 69, 29});
  connect(logPlay_, &QToolButton::clicked, this, [this] { LogPlayClick(); });
  auto* speedGroup = new QButtonGroup(panel2);
  speedGroup->setExclusive(true);
  QToolButton* x1 = MakeSpeedButton(panel2, "SbtnPlay1", "x1", {83, 7, 34, 27});
  QToolButton* x2 = MakeSpeedButton(panel2, "SbtnPlay2", "x2", {123, 7, 34, 27});
  QToolButton* x10 = MakeSpeedButton(panel2, "SpeedButton2", "x10", {164, 7, 38, 27});
  for (auto [b, tag] : {std::pair{x1, 1}, std::pair{x2, 2}, std::pair{x10, 10}}) {
    b->setCheckable(true);
    speedGroup->addButton(b, tag);
  }
  x1->setChecked(true);
  sbtnPlay1_ = x1;
  sbtnPlay2_ = x2;
  speedButton2_ = x10;
  for (QToolButton* b : {x1, x2, x10})
    connect(b, &QToolButton::clicked, this, [this, b] { PlaySpeedClick(b); });
  lbDispRate_ = new QLabel(panel2);
  lbDispRate_->setObjectName(QStringLiteral("lbDispRate"));
  lbDispRate_->setGeometry(41, 40, 116, 24);

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
  if (playback_.Playing()) return;
  // Bounded: a source that never falls silent must not hold the close up.
  for (int round = 0; round < 64; ++round) {
    ports_.CollectRead();
    int total = network_.Sweep();
    for (int n = 1; n <= kPortCount; ++n)
      for (int got = FeedPort(n); got > 0; got = FeedPort(n)) total += got;
    if (total == 0) break;
  }
}

int TForm1::FeedPort(int n) {
  if (!ports_.IsOpen(n)) return 0;
  const int got = ports_.ReadPort(n);
  if (got == 0) return 0;
  const char* bytes = ports_.Buffer(n);
  LineAssembler& assembler = ports_.Assembler(n);
  const SourceId source = ComSource(n);
  for (int i = 0; i < got; ++i)
    assembler.FeedByte(static_cast<uint8_t>(bytes[i]),
                       [this, source](const char* line) { intake_.AcceptLine(line, source); });
  return got;
}

void TForm1::SaveState() {
  autoSave_.SaveNow();
  const std::string error = receiveLog_.FlushReceiveLog(dataFolder_, panelDbg_->isVisible(), clock_);
  ReportFlushError(error);
  network_.SaveAtClose();
  const ViewState& view = frame_->View();
  WriteMapCenter(iniPath_, MapCenter{view.centerLat, view.centerLon});
}

const QImage& TForm1::FrameImage() const { return frame_->Display(); }

FrameInputs TForm1::CollectInputs() const {
  FrameInputs in;
  in.measure = measure_.View();
  in.options.bigIcon = ckBigIcon_->isChecked();
  in.options.latLonLine = ckLatLonLine_->isChecked();
  in.options.circleChecked = ckCircle_->isChecked();
  in.options.dispCourse = ckDispCourse_->isChecked();
  in.options.dispWake = ckDispWake_->isChecked();
  in.options.debugPanelVisible = panelDbg_->isVisible();
  in.liveDataFlag = liveDataFlag_;
  in.pointerX = pointerX_;
  in.pointerY = pointerY_;
  in.selectedShip = selectedShip_;
  in.selectedShipName = selectedShipName_;
  in.startTick = startTick_;
  in.watch = watch_->Watch();
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
  buttonDemo_->setVisible(out.buttonDemoVisible);
  ckCircle_->setEnabled(out.circleEnabled);
  panelMyPos_->setVisible(out.ownShipPanelsVisible);
  panelHeadingUp_->setVisible(out.ownShipPanelsVisible);
  panelNorthUp_->setVisible(out.ownShipPanelsVisible);
  ++idlePasses_;
  ViewState& view = frame_->View();
  panelAllShip_->SetColor(view.fitAllShips ? kActive : kInactive);
  panelMyPos_->SetColor(view.centerOnOwnShip ? kActive : kInactive);
  panelHeadingUp_->SetColor(view.orientationMode == OrientationMode::HeadingUp ? kActive : kInactive);
  panelNorthUp_->SetColor(view.orientationMode == OrientationMode::NorthUp ? kActive : kInactive);
  if (view.centerOnOwnShip) {
    DbDynamic own;
    table_.GetShip(0, own);
    view.centerLat = own.Lat;
    view.centerLon = own.Lon;
  }
}

void TForm1::PanelMyPosClick(QObject* sender) {
  ViewState& view = frame_->View();
  if (sender == panelMyPos_) {
    view.centerOnOwnShip = true;
    view.fitAllShips = false;
  } else if (sender == panelAllShip_) {
    view.centerOnOwnShip = false;
    view.fitAllShips = true;
  }
  NoteInteraction();
}

void TForm1::ButtonDemoClick() { RunDemo(); }

void TForm1::RunDemo() {
  PanelMyPosClick(panelMyPos_);
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
  if (tag == 1) return sbtnPlay1_;
  if (tag == 2) return sbtnPlay2_;
  if (tag == 10) return speedButton2_;
  return nullptr;
}

void TForm1::PlaySpeedClick(QToolButton* sender) {
  int tag = 1;
  if (sender == sbtnPlay2_) tag = 2;
  if (sender == speedButton2_) tag = 10;
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
  playback_.Start(fs::path(chosen.toStdString()));
  ResetTableForPlayback(table_);
  sbtnPlay1_->setChecked(true);
  PlaySpeedClick(sbtnPlay1_);
  startTick_ = clock_.TickMs();
  intake_.counters.vdmCount = 0;
  intake_.counters.rmcCount = 0;
  intake_.counters.rmcFixCount = 0;
  liveDataFlag_ = true;
}

void TForm1::RequestPoll() {
  if (!driversStopped_ && !pollSoon_->isActive()) pollSoon_->start();
}

void TForm1::PrefetchInputs() {
  constexpr uint32_t kPrefetchSpacingMs = 8;
  const uint32_t now = clock_.TickMs();
  if (now - lastInputRead_ < kPrefetchSpacingMs || driversStopped_ || playback_.Playing() || demoRunning_)
    return;
  network_.Prefetch();
  lastInputRead_ = now;
}

void TForm1::PollSerialPorts() {
  if (playback_.Playing()) return;
  lastInputRead_ = clock_.TickMs();
  const uint32_t deadline = clock_.TickMs() + 20;
  while (clock_.TickMs() <= deadline) {
    int total = 0;
    for (int n = 1; n <= kPortCount; ++n) total += FeedPort(n);
    total += network_.Sweep();
    if (total == 0) break;
    liveDataFlag_ = true;
    if (!newData_) {
      // A fresh report shows (and flashes) within a ship-paced frame.
      newData_ = true;
      const uint32_t since = clock_.TickMs() - lastFrameStart_;
      RequestFrameWithin(since >= FramePacer::kShipsIntervalMs ? 0 : FramePacer::kShipsIntervalMs - since);
    }
  }
  // Out of time with input still flowing: the rest comes after whatever else is due.
  if (clock_.TickMs() > deadline) RequestPoll();
  if (receiveLog_.WantsFlush()) {
    const std::string error = receiveLog_.FlushReceiveLog(dataFolder_, panelDbg_->isVisible(), clock_);
    ReportFlushError(error);
  }
}

void TForm1::Timer100msTimer() {
  const uint32_t t = ++timerTicks_;
  if (t == 2) window()->showMaximized();  // the main window, when the form is its chart
  intake_.options.vdoEnabled = ckVdoEnable_->isChecked();
  intake_.options.rmcSogEnabled = ckRmcSog_->isChecked();
  intake_.options.rmcHdgEnabled = ckRmcHdg_->isChecked();
  int stepSeconds = 5;
  if (wakeStepButtons_[0]->isChecked()) stepSeconds = 2;
  if (wakeStepButtons_[2]->isChecked()) stepSeconds = 10;
  WakeClockTick(table_, t, WakeTicks(stepSeconds, playback_.Playing(), playback_.PlaybackSpeed()),
                intake_.counters.rmcFixCount != 0);
  if (t % 10 == 0) EstimateOwnMotion(table_, ownMotion_, clock_.TickMs());
  watch_->Tick();
  if (t % 30 == 5) ReopenMissingPorts();
  autoSave_.TimerTick(t);  // every 10 minutes, in two steps a second apart
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
    lbDispRate_->setText(DisplayRateText(frameRate_.FramesInLastSecond(clock_.TickMs())));
    idlePassesAtLastRate_ = idlePasses_;
    tableFull_->Update(table_.ReuseCount(), table_.Stations(), clock_.TickMs());
  }
}

SourceId TForm1::ComSource(int n) {
  if (comSources_[n] == kNoSource) {
    char name[8];
    std::snprintf(name, sizeof name, "COM%d", n);
    comSources_[n] = intake_.sources.Register(name);
  }
  return comSources_[n];
}

void TForm1::ReopenMissingPorts() {
  for (int n = 1; n <= kPortCount; ++n)
    if (!ports_.IsOpen(n)) ports_.OpenPort(n);
}

void TForm1::COM_ResetClick() {
  comReset_->SetColor(kResetPressed);
  comReset_->repaint();
  for (int n = 1; n <= kPortCount; ++n) {
    ports_.ClosePort(n);
    ports_.OpenPort(n);
  }
  clock_.SleepMs(100);
  comReset_->SetColor(kInactive);
}

void TForm1::CkVdoEnableClick() {
  SetBackground(gboxRmc_, ckVdoEnable_->isChecked() ? kInactive : kNavy, Qt::yellow);
}

void TForm1::ReportFlushError(const std::string& error) {
  if (error.empty()) return;
  const QString text = FromShiftJis(error);
  std::fprintf(stderr, "aismon: %s\n", text.toLocal8Bit().constData());
  // Not modal: neither the polling nor a close waits for the user. The log keeps the
  // error to the first of a run of failures, so this appears once.
  auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
  box->setObjectName(QStringLiteral("ReceiveLogError"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  box->show();
}

void TForm1::ShowWatchBox(std::string_view caption, std::string_view text) {
  if (closed_) return;  // decoding what was read at close: nobody is there to answer a box
  // Raised after decoding has returned, never from inside it: a modal loop started here
  // would stop the reading of every source for as long as the box stays open.
  watchBoxes_.push_back({FromShiftJis(caption), FromShiftJis(text)});
  QTimer::singleShot(0, this, [this] { RaiseWatchBoxes(); });
}

void TForm1::RaiseWatchBoxes() {
  if (watchBoxOpen_) return;  // the open box's loop raises the rest when it is closed
  watchBoxOpen_ = true;
  while (!watchBoxes_.empty() && !closed_) {
    const auto [caption, text] = watchBoxes_.front();
    watchBoxes_.pop_front();
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, this);
    box.exec();
  }
  watchBoxOpen_ = false;
}

}  // namespace aismon
