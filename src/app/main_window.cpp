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
#include <QToolButton>
#include <algorithm>
#include <array>
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

// A poll decodes for at most this long before letting a due frame go first.
constexpr uint32_t kPollBudgetMs = 20;

constexpr int kFormWidth = 967;
constexpr int kFormHeight = 1022;
constexpr int kPanelLeft = 735;
constexpr int kPanelWidth = 213;
// Both panels keep this distance from the right edge, whatever the window's width.
constexpr int kPanelRightGap = kFormWidth - kPanelLeft - kPanelWidth;

}  // namespace

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
  chores_ = std::make_unique<WindowChores>(ChoreParts{table_, intake_, playback_, playbackSource_, ownMotion_, ports_,
                                                      autoSave_, receiveLog_, dataFolder_, network_, clock_,
                                                      panels_.wakeStepSeconds});
  // The receive log starts empty (a member); lines from the ports are offered to it.
  intake_.sentences.SetRecorder(
      [this](const char* line) { receiveLog_.Record(line, clock_.TickMs(), playback_.Playing()); });
  BuiltinLists lists = LoadBuiltinLists(dataFolder_, setup.sharedFolder);
  mmsiNames_ = MmsiNameList(lists.memoMmsi);
  memoSample_ = std::move(lists.memoSample);
  chooseLogFile = [this] {
    // Opens where the receive logs are written, not in whatever folder the program was
    // started from.
    return QFileDialog::getOpenFileName(this, QString(), QString::fromStdU16String(dataFolder_.u16string()),
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

  StartSources(setup);
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

  FrameDriver::Hooks hooks;
  hooks.frame = [this] { AppIdle(); };
  hooks.poll = [this] {
    if (!closed_ && !demoRunning_) PollSerialPorts();
  };
  hooks.chores = [this] { Timer100msTimer(); };
  driver_ = new FrameDriver(this, clock_, std::move(hooks));
  InstallViewControls();
}

void TForm1::FormCreate() {
  paint1_->setGeometry(rect());
  paint1_->lower();
  setWindowTitle(FromShiftJis(WindowCaption()));
  driver_->Start(screen() != nullptr ? screen()->refreshRate() : 60.0);
}

void TForm1::StopDrivers() { driver_->Stop(); }

void TForm1::NoteInteraction() { driver_->NoteInteraction(); }

void TForm1::AnchorPanels() {
  panel1_->move(width() - kPanelWidth - kPanelRightGap, panel1_->y());
  panelDbg_->move(width() - kPanelWidth - kPanelRightGap, panelDbg_->y());
}

void TForm1::resizeEvent(QResizeEvent*) {
  if (paint1_ != nullptr) paint1_->setGeometry(rect());
  AnchorPanels();
  if (driver_ != nullptr) NoteInteraction();
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

void TForm1::AppIdle() {
  if (closed_) return;
  if (demoRunning_) {
    // The demo paints for itself; come back later.
    driver_->RequestFrameWithin(FramePacer::kShipsIntervalMs);
    return;
  }
  PollSerialPorts();
  const uint32_t start = clock_.TickMs();
  Paint1Paint();
  if (closed_) return;
  PaceState pace;
  pace.playing = playback_.Playing();
  pace.fastPlayback = pace.playing && playback_.PlaybackSpeed() >= 10;
  pace.shipsMoving = liveDataFlag_ && shipsMoving_;
  driver_->AfterFrame(start, pace);
}

void TForm1::Paint1Paint() {
  if (closed_) return;
  if (selection_.Follow() && onSelectionChanged) onSelectionChanged();
  driver_->NoteFrameStart();
  FrameOutputs out;
  frame_->Paint(paint1_->width(), paint1_->height(), CollectInputs(), out);
  paint1_->update();
  watch_->AfterFrame(out);
  hoveredShip_ = out.hoveredShip;
  shipsMoving_ = out.shipsMoving;
  driver_->NoteFramePainted();
  ++idlePasses_;
  ViewState& view = frame_->View();
  FollowFrame(panels_, out, view);
  if (view.centerOnOwnShip) {
    DbDynamic own;
    table_.GetShip(0, own);
    view.centerLat = own.Lat;
    view.centerLon = own.Lon;
  }
}

void TForm1::RequestPoll() { driver_->RequestPoll(); }

void TForm1::PrefetchInputs() {
  if (!driver_->Stopped() && !playback_.Playing() && !demoRunning_) pump_.Prefetch();
}

void TForm1::PollSerialPorts() {
  if (playback_.Playing()) return;
  const InputPump::Result r = pump_.Pump(kPollBudgetMs);
  if (r.bytes > 0 && afterInput) afterInput();
  if (r.bytes > 0) {
    liveDataFlag_ = true;
    driver_->NoteNewData();
  }
  // Out of time with input still flowing: the rest comes after whatever else is due.
  if (r.outOfTime) RequestPoll();
  if (receiveLog_.WantsFlush()) {
    const std::string error = receiveLog_.FlushReceiveLog(dataFolder_, Recording(), clock_);
    ReportFlushError(error);
  }
}

void TForm1::Timer100msTimer() {
  // Copied on every tick, so they read false until the first.
  intake_.options.vdoEnabled = panels_.vdoEnable->isChecked();
  intake_.options.rmcSogEnabled = panels_.rmcSog->isChecked();
  intake_.options.rmcHdgEnabled = panels_.rmcHdg->isChecked();
  const WindowChores::Result r =
      chores_->Tick(watch_.get(), Recording(), [this](const std::string& error) { ReportFlushError(error); });
  if (r.tick == 2) window()->showMaximized();  // the main window, when the form is its chart
  if (r.playbackEnded) {
    liveDataFlag_ = false;
    // The chores go on inside the box's loop (the watch must not stand still); a step
    // there finds the playback ended and plays nothing.
    showMessage(QString::fromUtf8("再生終了"));
  }
  if (r.secondDue) {
    // The frames of the last real second, however long the timer stood still.
    panels_.dispRate->setText(DisplayRateText(driver_->FramesInLastSecond()));
    tableFull_->Update(table_.ReuseCount(), table_.Stations(), clock_.TickMs());
  }
}

}  // namespace aismon
