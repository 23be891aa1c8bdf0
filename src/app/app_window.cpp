#include "app/app_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDockWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "ais/weather_stations.h"
#include "app/alarm_list_view.h"
#include "app/limit_spin_box.h"
#include "app/outputs_panel.h"
#include "app/record_dock.h"
#include "app/ship_card_view.h"
#include "app/target_list_window.h"
#include "app/watch_controller.h"
#include "card/port_list.h"
#include "card/ship_card.h"
#include "common/settings_file.h"
#include "net/outputs_settings.h"
#include "net/qt/output_hub.h"
#include "stats/qt/stats_dock.h"
#include "stats/reception_stats.h"
#include "stats/stats_file.h"
#include "text/pointer_text.h"
#include "text/position_text.h"
#include "text/weather_text.h"
#include "watch/alarm_log.h"
#include "watch/range_bearing.h"
#include "watch/watch_rules.h"

namespace aismon {

namespace {

// The pointer read-out follows the hand; the alarm rows change at most once a second.
constexpr int kRefreshMs = 100;
constexpr uint32_t kAlarmRowsEvery = 5;
constexpr uint32_t kSecondEvery = 10;
constexpr uint32_t kStatsSaveEvery = 1200;  // 2 minutes

}  // namespace

AppWindow::AppWindow(const WindowSetup& setup, Clock& clock)
    : form_(new TForm1(setup, clock)),
      programFolder_(setup.programFolder),
      ports_(std::make_unique<PortList>(BuiltinPortList())) {
  setObjectName(QStringLiteral("MainWindow"));
  setWindowTitle(form_->windowTitle());
  setCentralWidget(form_);
  setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks | QMainWindow::AllowNestedDocks);
  WatchController& watch = form_->Watch();

  // The watch: its limits and switches above the list of alarms.
  auto* watchBox = new QWidget;
  auto* column = new QVBoxLayout(watchBox);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(watch.Panel());
  column->addWidget(BuildSoundRow(watchBox));
  alarms_ = new AlarmListView(watchBox);
  column->addWidget(alarms_, 1);
  alarms_->onAcknowledge = [this](int row) {
    form_->Watch().AcknowledgeRow(row);
    alarms_->Refresh(form_->Table(), *form_->Watch().Watch());
  };
  alarms_->onSelect = [this](int32_t slot) { form_->SelectShipFromList(slot); };
  AddDock("DockWatch", "監視", watchBox, Qt::RightDockWidgetArea);

  // Under the watch, tabbed: the ship card (following the selection), recording and
  // playback, the reception statistics and the outputs.
  QDockWidget* cardDock = AddDock("DockShipCard", "船舶情報", BuildCard(), Qt::RightDockWidgetArea);
  form_->onSelectionChanged = [this] {
    weatherShown_ = -1;  // a station chosen on the chart or in the list
    RefreshCard();
  };
  record_ = new RecordDock(*form_, clock);
  tabifyDockWidget(cardDock, AddDock("DockRecord", "記録・再生", record_, Qt::RightDockWidgetArea));
  stats_ = std::make_unique<ReceptionStats>(form_->Table(), form_->IntakeChain().sources, clock);
  form_->IntakeChain().assembler.AddObserver(stats_.get());
  LoadStats(*stats_, setup.programFolder);
  receiver_ = ReadReceiverSetting(form_->IniPath());
  statsDock_ = new StatsDock(*stats_);
  statsDock_->onRangeReset = [this] { SaveStats(*stats_, programFolder_); };
  tabifyDockWidget(cardDock, AddDock("DockStats", "受信統計", statsDock_, Qt::RightDockWidgetArea));
  outputs_ = std::make_unique<OutputHub>(form_->IntakeChain(), clock);
  outputs_->SetCaFile(ReadMqttCaFile(form_->IniPath()));
  std::vector<std::string> outputNames = setup.outputsFromCommandLine;
  if (outputNames.empty()) outputNames = ReadOutputsSection(form_->IniPath()).value_or(std::vector<std::string>{});
  std::string outputError;
  const bool outputsMade = outputs_->SetOutputs(outputNames, &outputError);
  form_->afterInput = [this] { outputs_->Flush(); };
  outputsPanel_ = new OutputsPanel(*outputs_, form_->IniPath());
  if (!outputsMade) outputsPanel_->ErrorLabel()->setText(QString::fromStdString(outputError));
  QDockWidget* outputsDock = AddDock("DockOutputs", "出力", outputsPanel_, Qt::RightDockWidgetArea);
  tabifyDockWidget(cardDock, outputsDock);
  form_->showOutputs = [outputsDock] {
    outputsDock->show();
    outputsDock->raise();
  };
  cardDock->raise();
  RefreshCard();

  // The target list: below the chart, so it never covers the alarm list.
  TargetListWindow* list = watch.TargetList();
  list->setWindowFlags(Qt::Widget);
  // A weather station's row shows its values in the card; a ship's selects it as before.
  list->onActivate = [this, ship = list->onActivate, cardDock](int32_t slot) {
    const int32_t firstWeather = form_->Table().DynamicCount();
    if (slot < firstWeather) {
      if (ship) ship(slot);
      return;
    }
    ShowWeatherCard(slot - firstWeather, cardDock);
  };
  // A click on a weather station's symbol shows its card the same way.
  form_->onWeatherPicked = [this, cardDock](int32_t place) { ShowWeatherCard(place, cardDock); };
  list->View()->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list->View(), &QWidget::customContextMenuRequested, this, [this, list](const QPoint& at) {
    const QModelIndex index = list->View()->indexAt(at);
    if (!index.isValid()) return;
    list->View()->selectRow(index.row());
    const DbDynamic* e = form_->Table().Entry(list->SelectedSlot());
    if (e == nullptr) return;
    QMenu menu(this);
    AddChoiceActions(menu, e->MMSI);
    menu.exec(list->View()->viewport()->mapToGlobal(at));
  });
  QDockWidget* listDock = AddDock("DockTargetList", "目標一覧", list, Qt::BottomDockWidgetArea);
  listDock->hide();  // opened from the watch panel's button or the view menu
  watch.showList = [listDock] {
    listDock->show();
    listDock->raise();
  };

  // The acknowledge key works wherever the focus is in the window; a text field that
  // takes letters keeps them.
  auto* ack = new QShortcut(QKeySequence(Qt::Key_A), this);
  ack->setContext(Qt::WindowShortcut);
  connect(ack, &QShortcut::activated, this, [this] { form_->Watch().AcknowledgeKey(); });

  pointer_ = new QLabel(this);
  pointer_->setObjectName(QStringLiteral("StatusPointer"));
  statusBar()->addPermanentWidget(pointer_, 1);

  QMenu* view = menuBar()->addMenu(QString::fromUtf8("表示(&V)"));
  for (QDockWidget* d : findChildren<QDockWidget*>()) view->addAction(d->toggleViewAction());
  view->addSeparator();
  shipNames_ = view->addAction(QString::fromUtf8("船名を表示"));
  shipNames_->setObjectName(QStringLiteral("ActionShipNames"));
  shipNames_->setCheckable(true);
  connect(shipNames_, &QAction::toggled, this, [this](bool on) { form_->SetShipNames(on); });

  refresh_ = new QTimer(this);
  refresh_->setInterval(kRefreshMs);
  connect(refresh_, &QTimer::timeout, this, [this] { RefreshPanels(); });
  refresh_->start();
  resize(1280, 720);
  RestoreLayout();
}

AppWindow::~AppWindow() {
  // The form owns the intake the statistics and the outputs observe: it goes first, so no
  // message can reach them while they are taken down.
  delete form_;
}

QDockWidget* AppWindow::AddDock(const char* objectName, const char* title, QWidget* content,
                                Qt::DockWidgetArea area) {
  auto* dock = new QDockWidget(QString::fromUtf8(title), this);
  dock->setObjectName(QString::fromLatin1(objectName));
  dock->setAllowedAreas(Qt::AllDockWidgetAreas);
  dock->setWidget(content);
  addDockWidget(area, dock);
  return dock;
}

QDockWidget* AppWindow::Dock(const char* objectName) const {
  return findChild<QDockWidget*>(QString::fromLatin1(objectName));
}

QWidget* AppWindow::BuildSoundRow(QWidget* parent) {
  auto* row = new QWidget(parent);
  auto* line = new QHBoxLayout(row);
  line->setContentsMargins(4, 0, 4, 0);
  line->addWidget(new QLabel(QString::fromUtf8("試験音:"), row));
  const struct {
    const char* name;
    const char* caption;
    AlarmSound sound;
  } sounds[] = {{"ButtonTestDistress", "遭難", AlarmSound::Distress},
                {"ButtonTestCollision", "衝突", AlarmSound::Collision},
                {"ButtonTestCaution", "注意", AlarmSound::Caution}};
  for (const auto& s : sounds) {
    auto* b = new QPushButton(QString::fromUtf8(s.caption), row);
    b->setObjectName(QString::fromLatin1(s.name));
    b->setFocusPolicy(Qt::NoFocus);
    connect(b, &QPushButton::clicked, this, [this, sound = s.sound] { form_->Watch().TestSound(sound); });
    line->addWidget(b);
  }
  line->addWidget(new QLabel(QString::fromUtf8("繰返し(秒)"), row));
  auto* repeat = new LimitSpinBox(row, QString::fromUtf8("繰返し(秒)"));
  repeat->setObjectName(QStringLiteral("SpinWatchRepeat"));
  repeat->setRange(5, 120);
  repeat->setDecimals(0);
  repeat->setKeyboardTracking(false);
  repeat->setValue(form_->Watch().Settings().repeatS);
  connect(repeat, &QDoubleSpinBox::valueChanged, this, [this](double v) { form_->Watch().SetRepeatSeconds(v); });
  line->addWidget(repeat);
  return row;
}

QWidget* AppWindow::BuildCard() {
  auto* box = new QWidget;
  auto* column = new QVBoxLayout(box);
  column->setContentsMargins(0, 0, 0, 0);
  card_ = new ShipCardView(box);
  column->addWidget(card_, 1);
  auto* buttons = new QHBoxLayout;
  const struct {
    const char* name;
    const char* caption;
    ShipChoice choice;
  } choices[] = {{"ButtonFollow", "追従", ShipChoice::Follow},
                 {"ButtonIgnore", "無視", ShipChoice::Ignore},
                 {"ButtonNoChoice", "解除", ShipChoice::None}};
  for (int i = 0; i < 3; ++i) {
    choiceButtons_[i] = new QPushButton(QString::fromUtf8(choices[i].caption), box);
    choiceButtons_[i]->setObjectName(QString::fromLatin1(choices[i].name));
    choiceButtons_[i]->setFocusPolicy(Qt::NoFocus);
    connect(choiceButtons_[i], &QPushButton::clicked, this, [this, choice = choices[i].choice] {
      const DbDynamic* e = form_->Table().Entry(form_->SelectedShip());
      if (e != nullptr) form_->Watch().SetShipChoice(e->MMSI, choice);
      RefreshCard();
    });
    buttons->addWidget(choiceButtons_[i]);
  }
  column->addLayout(buttons);
  return box;
}

void AppWindow::AddChoiceActions(QMenu& menu, int32_t mmsi) {
  WatchController& watch = form_->Watch();
  const ShipChoice now = watch.ShipChoiceOf(mmsi);
  QAction* follow = menu.addAction(QString::fromUtf8("追従（衝突警報なし）"));
  follow->setCheckable(true);
  follow->setChecked(now == ShipChoice::Follow);
  QAction* ignore = menu.addAction(QString::fromUtf8("無視（表示も警報もしない）"));
  ignore->setCheckable(true);
  ignore->setChecked(now == ShipChoice::Ignore);
  ignore->setEnabled(BeaconOf(mmsi) == BeaconType::None);  // a distress beacon is never hidden
  QAction* none = menu.addAction(QString::fromUtf8("解除"));
  none->setEnabled(now != ShipChoice::None);
  connect(follow, &QAction::triggered, this, [this, mmsi] { form_->Watch().SetShipChoice(mmsi, ShipChoice::Follow); });
  connect(ignore, &QAction::triggered, this, [this, mmsi] { form_->Watch().SetShipChoice(mmsi, ShipChoice::Ignore); });
  connect(none, &QAction::triggered, this, [this, mmsi] { form_->Watch().SetShipChoice(mmsi, ShipChoice::None); });
}

void AppWindow::RefreshPanels() {
  double lat = 0, lon = 0;
  QString text;
  if (form_->PointerPosition(lat, lon)) {
    double ownLat = 0, ownLon = 0;
    RangeBearing fromOwn;
    const bool own = form_->OwnShipFix(ownLat, ownLon);
    if (own) fromOwn = RangeBearingBetween(ownLat, ownLon, lat, lon);
    text = QString::fromStdString(PointerStatusText(lat, lon, own ? &fromOwn : nullptr));
  }
  if (pointer_->text() != text) pointer_->setText(text);
  outputs_->Tick();
  outputs_->Flush();  // what a playback step gathered
  if (++refreshes_ % kAlarmRowsEvery == 0) RefreshDocks();
  if (refreshes_ % kSecondEvery == 0) {
    UpdateReceiver(*stats_, form_->Table(), form_->IntakeChain().counters, receiver_);
    if (statsDock_->isVisible()) statsDock_->Refresh();
    if (outputsPanel_->isVisible()) outputsPanel_->Refresh();
    if (record_->isVisible() || form_->Recording()) record_->Refresh();
  }
  // The figures reach the disk with the ship files' rhythm.
  if (refreshes_ % kStatsSaveEvery == 0) SaveStats(*stats_, programFolder_);
}

void AppWindow::RefreshDocks() {
  if (alarms_->isVisible()) alarms_->Refresh(form_->Table(), *form_->Watch().Watch());
  if (card_->isVisible()) RefreshCard();
}

void AppWindow::ShowWeatherCard(int32_t place, QDockWidget* cardDock) {
  weatherShown_ = place;
  RefreshCard();
  cardDock->show();
  cardDock->raise();
}

namespace {

// A weather station's card: where it is, when it was heard, and its values as it sends them.
std::vector<CardLine> WeatherCard(const WeatherStation& w, uint32_t now) {
  std::vector<CardLine> lines;
  char mmsi[16];
  std::snprintf(mmsi, sizeof mmsi, "%09d", static_cast<int>(w.mmsi));
  lines.push_back({"種別", "気象観測所"});
  lines.push_back({"MMSI", mmsi});
  lines.push_back({"位置", LatitudeText(w.Lat()) + " " + LongitudeText(w.Lon())});
  char age[32];
  std::snprintf(age, sizeof age, "%u 秒前", (now - w.tick) / 1000);
  lines.push_back({"最終受信", age});
  const std::string text = WeatherCardText(w.report);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    const size_t space = line.find(' ');
    lines.push_back(space == std::string::npos ? CardLine{line, ""} : CardLine{line.substr(0, space), line.substr(space + 1)});
    start = end + 1;
  }
  return lines;
}

}  // namespace

void AppWindow::RefreshCard() {
  const WeatherStations& weather = form_->IntakeChain().decoders.Weather();
  if (weatherShown_ >= 0 && weatherShown_ < weather.Capacity() && weather.At(weatherShown_).used) {
    for (QPushButton* b : choiceButtons_) b->setEnabled(false);  // never in an alarm: nothing to choose
    card_->ShowLines(WeatherCard(weather.At(weatherShown_), form_->Table().TableClock().TickMs()));
    return;
  }
  const ShipTable& table = form_->Table();
  const int slot = form_->SelectedShip();
  const DbDynamic* e = table.Entry(slot);
  std::vector<CardLine> extra;
  WatchController& watch = form_->Watch();
  if (e != nullptr && slot >= 1) {
    const StationNote* note = form_->IntakeChain().decoders.Notes().Of(slot, e->MMSI);
    if (note != nullptr && note->longRange) extra.push_back({"位置の種類", kLongRangePositionText});
    const ShipChoice choice = watch.ShipChoiceOf(e->MMSI);
    extra.push_back({"選択", choice == ShipChoice::Follow   ? "追従（衝突警報なし）"
                             : choice == ShipChoice::Ignore ? "無視"
                                                            : "なし"});
    AlarmLogRecord last[5];
    const int n = watch.LastAlarms(e->MMSI, last, 5);
    for (int i = 0; i < n; ++i) extra.push_back({i == 0 ? "最近の警報" : "", AlarmLogLine(last[i])});
  }
  for (QPushButton* b : choiceButtons_) b->setEnabled(e != nullptr && slot >= 1);
  if (e != nullptr && BeaconOf(e->MMSI) != BeaconType::None) choiceButtons_[1]->setEnabled(false);
  card_->Show(table, slot, watch.Watch(), table.TableClock().Now(), *ports_, extra);
}

void AppWindow::RestoreLayout() {
  const std::optional<std::string> saved = ReadIniText(form_->IniPath(), kWindowSection, kDockStateKey);
  const std::optional<std::string> names = ReadIniText(form_->IniPath(), kWindowSection, kShipNamesKey);
  shipNames_->setChecked(names && *names == "1");
  if (!saved) return;
  // A damaged value restores nothing: the default arrangement stays.
  restoreState(QByteArray::fromBase64(QByteArray::fromStdString(*saved)));
}

void AppWindow::SaveState() {
  form_->SaveState();
  SaveStats(*stats_, programFolder_);
  SaveLayout();
}

void AppWindow::SaveLayout() {
  WriteIniTexts(form_->IniPath(), kWindowSection,
                {{kDockStateKey, saveState().toBase64().toStdString()}, {kShipNamesKey, shipNames_->isChecked() ? "1" : "0"}});
}

void AppWindow::closeEvent(QCloseEvent* e) {
  // The form saves the ship files, the receive log and the view at its close; the docks'
  // arrangement goes beside them.
  SaveLayout();
  form_->close();
  SaveStats(*stats_, programFolder_);
  e->accept();
}

}  // namespace aismon
