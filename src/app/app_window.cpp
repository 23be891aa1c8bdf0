#include "app/app_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDockWidget>
#include <QLabel>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "app/alarm_list_view.h"
#include "app/ship_card_view.h"
#include "card/port_list.h"
#include "app/target_list_window.h"
#include "app/watch_controller.h"
#include "common/settings_file.h"
#include "text/pointer_text.h"
#include "watch/range_bearing.h"

namespace aismon {

namespace {

// The pointer read-out follows the hand; the alarm rows change at most once a second.
constexpr int kRefreshMs = 100;
constexpr uint32_t kAlarmRowsEvery = 5;

}  // namespace

AppWindow::AppWindow(const WindowSetup& setup, Clock& clock)
    : form_(new TForm1(setup, clock)), ports_(std::make_unique<PortList>(BuiltinPortList())) {
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
  alarms_ = new AlarmListView(watchBox);
  column->addWidget(alarms_, 1);
  alarms_->onAcknowledge = [this, &clock](int row) {
    TrafficWatch& w = form_->Watch().MutableWatch();
    if (row >= 0 && row < w.AlertCount()) w.AcknowledgeRow(row, clock.TickMs());
    alarms_->Refresh(form_->Table(), w);
  };
  alarms_->onSelect = [this](int32_t slot) { form_->SelectShipFromList(slot); };
  AddDock("DockWatch", "監視", watchBox, Qt::RightDockWidgetArea);

  // The ship card, under the watch, following the selection.
  card_ = new ShipCardView(nullptr);
  AddDock("DockShipCard", "船舶情報", card_, Qt::RightDockWidgetArea);
  form_->onSelectionChanged = [this] { RefreshCard(); };
  RefreshCard();

  // The target list: below the chart, so it never covers the alarm list.
  TargetListWindow* list = watch.TargetList();
  list->setWindowFlags(Qt::Widget);
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

  RestoreLayout();
  refresh_ = new QTimer(this);
  refresh_->setInterval(kRefreshMs);
  connect(refresh_, &QTimer::timeout, this, [this] { RefreshPanels(); });
  refresh_->start();
  resize(1280, 720);
}

AppWindow::~AppWindow() = default;

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
  if (++refreshes_ % kAlarmRowsEvery == 0) RefreshDocks();
}

void AppWindow::RefreshDocks() {
  if (alarms_->isVisible()) alarms_->Refresh(form_->Table(), *form_->Watch().Watch());
  if (card_->isVisible()) RefreshCard();
}

void AppWindow::RefreshCard() {
  const ShipTable& table = form_->Table();
  card_->Show(table, form_->SelectedShip(), form_->Watch().Watch(), table.TableClock().Now(), *ports_);
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
  e->accept();
}

}  // namespace aismon
