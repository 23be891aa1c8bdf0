#include "app/watch_controller.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <cstdio>
#include <cstring>

#include "app/key_help.h"
#include "app/limit_spin_box.h"
#include "app/target_list_window.h"
#include "app/watch_sound.h"
#include "input/intake.h"
#include "shipdb/ship_table.h"

namespace aismon {

namespace {

constexpr int kPanelTop = 746;  // under own ship's panel, which the chart draws below the control panel
constexpr int kPanelWidth = 213;
constexpr int kPanelHeight = 142;

QDoubleSpinBox* MakeSpin(QWidget* parent, QGridLayout* grid, const char* name, const char* caption, int row,
                         double lo, double hi, double step, int decimals, double value) {
  auto* label = new QLabel(QString::fromUtf8(caption), parent);
  auto* s = new LimitSpinBox(parent, QString::fromUtf8(caption));
  s->setObjectName(QString::fromLatin1(name));
  s->setRange(lo, hi);
  s->setSingleStep(step);
  s->setDecimals(decimals);
  s->setValue(value);
  // Applied on Enter or when the field loses the focus, not at every key: a half-typed
  // value must never become the watch's limit nor be written to the settings file.
  s->setKeyboardTracking(false);
  grid->addWidget(label, row, 0);
  grid->addWidget(s, row, 1);
  return s;
}

}  // namespace

WatchController::WatchController(QWidget* form, QWidget* controlPanel, ShipTable& table, Intake& intake, Clock& clock,
                                 std::filesystem::path iniPath)
    : QObject(form),
      table_(table),
      intake_(intake),
      clock_(clock),
      iniPath_(std::move(iniPath)),
      settings_(ReadWatchSettings(iniPath_)),
      watch_(table.DynamicCount()),
      sound_(std::make_unique<WatchSound>()),
      log_(iniPath_.parent_path()),
      controlPanel_(controlPanel) {
  watch_.SetLimits(settings_.limits);
  watch_.MutableChoices().Read(iniPath_);
  log_.LoadDay(clock_.Now());
  playSound = [this](AlarmSound s) { sound_->Play(s); };
  watch_.SetMuted(settings_.mute);
  intake_.decoders.SetSafetyTextHook([this](const SafetyText& s) { watch_.OnSafetyText(s, clock_.TickMs()); });
  BuildPanel(form);
  list_ = new TargetListWindow(form);
  list_->onActivate = [this](int32_t slot) {
    if (selectShip) selectShip(slot);
  };
  controlPanel_->installEventFilter(this);
}

WatchController::~WatchController() = default;

void WatchController::BuildPanel(QWidget* form) {
  panel_ = new QWidget(form);
  panel_->setObjectName(QStringLiteral("PanelWatch"));
  QPalette p = panel_->palette();
  p.setColor(QPalette::Window, QColor(0, 0, 128));
  p.setColor(QPalette::WindowText, Qt::yellow);
  panel_->setPalette(p);
  panel_->setAutoFillBackground(true);
  auto* grid = new QGridLayout(panel_);
  grid->setContentsMargins(8, 4, 8, 4);
  grid->setVerticalSpacing(4);
  mute_ = new QCheckBox(QString::fromUtf8("警報音を消す"), panel_);
  mute_->setObjectName(QStringLiteral("CkWatchMute"));
  // The keys and mouse actions, as F1 lists them, for whoever has not found F1.
  auto* help = new QPushButton(QStringLiteral("?"), panel_);
  help->setObjectName(QStringLiteral("ButtonKeyHelp"));
  help->setFixedWidth(26);
  help->setToolTip(QString::fromUtf8("操作一覧 (F1)"));
  help->setFocusPolicy(Qt::NoFocus);
  connect(help, &QPushButton::clicked, this, [form] { ShowKeyHelpOnce(form); });
  mute_->setChecked(settings_.mute);
  {
    QPalette cp = mute_->palette();
    cp.setColor(QPalette::WindowText, Qt::yellow);
    mute_->setPalette(cp);
  }
  grid->addWidget(mute_, 0, 0);
  grid->addWidget(help, 0, 1, Qt::AlignRight);
  cpa_ = MakeSpin(panel_, grid, "SpinWatchCpa", "CPA (NM)", 1, kCpaMinNm, kCpaMaxNm, 0.1, 1, settings_.limits.cpaNm);
  tcpa_ = MakeSpin(panel_, grid, "SpinWatchTcpa", "TCPA (分)", 2, kTcpaMinMin, kTcpaMaxMin, 1, 0,
                   settings_.limits.tcpaMin);
  range_ = MakeSpin(panel_, grid, "SpinWatchRange", "範囲 (NM)", 3, kRangeMinNm, kRangeMaxNm, 1, 0,
                    settings_.limits.rangeNm);
  listButton_ = new QPushButton(QString::fromUtf8("目標一覧"), panel_);
  listButton_->setObjectName(QStringLiteral("ButtonTargetList"));
  ackButton_ = new QPushButton(QString::fromUtf8("警報確認(A)"), panel_);
  ackButton_->setObjectName(QStringLiteral("ButtonWatchAck"));
  for (QPushButton* b : {listButton_, ackButton_}) {
    QPalette bp = b->palette();
    bp.setColor(QPalette::ButtonText, Qt::black);
    b->setPalette(bp);
  }
  grid->addWidget(listButton_, 4, 0);
  grid->addWidget(ackButton_, 4, 1);
  // Over the chart, under own ship's panel, until the window takes it into a dock.
  panel_->setGeometry(controlPanel_->x(), kPanelTop, kPanelWidth, kPanelHeight);
  connect(mute_, &QCheckBox::toggled, this, [this] { SettingsChanged(); });
  for (QDoubleSpinBox* s : {cpa_, tcpa_, range_})
    connect(s, &QDoubleSpinBox::valueChanged, this, [this] { SettingsChanged(); });
  connect(listButton_, &QPushButton::clicked, this, [this] { ShowTargetList(); });
  connect(ackButton_, &QPushButton::clicked, this, [this] { AcknowledgeKey(); });
}

bool WatchController::eventFilter(QObject* watched, QEvent* e) {
  if (watched == controlPanel_ && e->type() == QEvent::Move && panel_->parentWidget() == controlPanel_->parentWidget())
    panel_->move(controlPanel_->x(), panel_->y());
  return QObject::eventFilter(watched, e);
}

void WatchController::SettingsChanged() {
  settings_.mute = mute_->isChecked();
  watch_.SetMuted(settings_.mute);
  settings_.limits = WatchLimits{cpa_->value(), tcpa_->value(), range_->value()};
  watch_.SetLimits(settings_.limits);
  WriteWatchSettings(iniPath_, settings_);  // a failure leaves the old file; nothing to tell
}

void WatchController::NoteIntake() {
  const SourceRegistry& sources = intake_.sources;
  uint64_t sentences = 0;
  bool heardSource = false;
  for (int i = 0; i < sources.Count(); ++i) {
    const SourceId id = static_cast<SourceId>(i);
    const SourceFigures& f = sources.Figures(id);
    sentences += f.sentences;
    if (f.heard && std::strcmp(sources.Name(id), "playback") != 0) heardSource = true;
  }
  watch_.NoteIntake(sourcesConfigured ? sourcesConfigured() : heardSource, sentences);
}

void WatchController::Tick() {
  NoteIntake();
  const bool passed = watch_.Update(table_, intake_.counters, intake_.options, clock_.TickMs());
  if (passed) {
    LogEvents();
    ReportNewAlarms();
    if (list_->isVisible()) list_->Refresh(table_, watch_, &intake_.decoders.Weather(), clock_.TickMs());
  }
  SoundAlarms(passed && watch_.SoundingAlarms() > 0);
}

// Every tick: an alarm raised sounds at once, one standing unanswered again at the set
// interval, until acknowledged or muted.
void WatchController::SoundAlarms(bool newAlarm) {
  const AlarmSound s = repeat_.Step(WantedSound(watch_), newAlarm, settings_.mute,
                                    static_cast<uint32_t>(settings_.repeatS * 1000), clock_.TickMs());
  if (s != AlarmSound::None && playSound) playSound(s);
}

bool WatchController::SetShipChoice(int32_t mmsi, ShipChoice choice) {
  if (!watch_.MutableChoices().Set(mmsi, choice)) return false;
  // Seen at once on the chart and in the list and the alarms, not at the next pass.
  watch_.Pass(table_, intake_.counters, intake_.options, clock_.TickMs());
  LogEvents();
  ReportNewAlarms();
  if (list_->isVisible()) list_->Refresh(table_, watch_, &intake_.decoders.Weather(), clock_.TickMs());
  return ShipChoices::Write(iniPath_, mmsi, choice);
}

// Every change of an alarm goes to the alarm log as it happens; a failed write is not
// shown (the error stream has the alarm itself).
void WatchController::LogEvents() {
  if (watch_.EventCount() == 0) return;
  const LocalDateTime now = clock_.Now();
  for (int i = 0; i < watch_.EventCount(); ++i) log_.Append(MakeAlarmLogRecord(watch_.EventAt(i), table_, now));
  watch_.ClearEvents();
}

void WatchController::TestSound(AlarmSound sound) {
  if (playSound) playSound(sound);
}

void WatchController::SetMuted(bool muted) { mute_->setChecked(muted); }

void WatchController::SetRepeatSeconds(double seconds) {
  if (seconds < kRepeatMinS || seconds > kRepeatMaxS) return;
  settings_.repeatS = seconds;
  WriteWatchSettings(iniPath_, settings_);
}

// Every new alarm goes to the error stream as a line of the watch's log.
void WatchController::ReportNewAlarms() {
  for (int i = 0; i < watch_.NewAlarmCount(); ++i) {
    const NewAlarm& a = watch_.NewAlarmAt(i);
    if (a.kind == AlertKind::Collision) {
      const CpaResult& c = watch_.Target(a.slot).cpa;
      std::fprintf(stderr, "aismon: 衝突警報 MMSI %09d CPA %.2fNM TCPA %.1f分\n", a.mmsi, c.cpaNm, c.tcpaMin);
    } else if (a.kind == AlertKind::OwnFixLost) {
      std::fprintf(stderr, "aismon: 自船位置喪失\n");
    } else if (a.kind == AlertKind::NoData) {
      std::fprintf(stderr, "aismon: 受信途絶\n");
    } else {
      std::fprintf(stderr, "aismon: 遭難信号 MMSI %09d\n", a.mmsi);
    }
  }
}

void WatchController::AfterFrame(const FrameOutputs& out) {
  lastFrame_.alertRowCount = out.alertRowCount;
  for (int i = 0; i < out.alertRowCount; ++i) lastFrame_.alertRows[i] = out.alertRows[i];
}

bool WatchController::ChartPress(int x, int y) {
  for (int i = 0; i < lastFrame_.alertRowCount; ++i) {
    const AlertPanelRow& r = lastFrame_.alertRows[i];
    if (x < r.x0 || x >= r.x1 || y < r.y0 || y >= r.y1) continue;
    // The list may have been rebuilt since the frame: the row is found by its station.
    for (int j = 0; j < watch_.AlertCount(); ++j) {
      const AlertRow& a = watch_.Alert(j);
      if (a.mmsi != r.mmsi || static_cast<int32_t>(a.kind) != r.kind) continue;
      watch_.AcknowledgeRow(j, clock_.TickMs());
      LogEvents();
      break;
    }
    return true;
  }
  return false;
}

void WatchController::AcknowledgeRow(int row) {
  watch_.AcknowledgeRow(row, clock_.TickMs());
  LogEvents();
}

void WatchController::AcknowledgeKey() {
  watch_.AcknowledgeAll(clock_.TickMs());
  LogEvents();
}

void WatchController::ShowTargetList() {
  list_->Refresh(table_, watch_, &intake_.decoders.Weather(), clock_.TickMs());
  if (showList) {
    showList();
    return;
  }
  list_->show();
  list_->raise();
}

}  // namespace aismon
