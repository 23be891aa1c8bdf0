#pragma once
// The main window: the chart form (paint box and control panel) as the central widget, the
// panels the chart does not carry as docks that can be moved to either side, tabbed,
// floated and closed (their arrangement kept in the settings file), a status bar with the
// pointer's position, and the acknowledge key wherever the focus is.
#include <QMainWindow>
#include <memory>

#include "app/main_window.h"
#include "stats/receiver_position.h"

class QAction;
class QMenu;
class QPushButton;
class QDockWidget;
class QLabel;
class QTimer;

namespace aismon {

class AlarmListView;
class OutputHub;
class OutputsPanel;
class ReceptionStats;
class RecordDock;
class StatsDock;
class PortList;
class ShipCardView;

inline constexpr char kWindowSection[] = "Window";
inline constexpr char kDockStateKey[] = "DockState";
inline constexpr char kShipNamesKey[] = "ShipNames";

class AppWindow : public QMainWindow {
 public:
  AppWindow(const WindowSetup& setup, Clock& clock);
  ~AppWindow() override;

  TForm1& Form() { return *form_; }
  QDockWidget* Dock(const char* objectName) const;
  AlarmListView* Alarms() { return alarms_; }
  QLabel* PointerLabel() { return pointer_; }
  ShipCardView* Card() { return card_; }
  OutputHub& Outputs() { return *outputs_; }
  ReceptionStats& Stats() { return *stats_; }
  RecordDock* Record() { return record_; }
  OutputsPanel* OutputsView() { return outputsPanel_; }
  // What closing saves, the docks' arrangement included.
  void SaveState();
  // The status bar and the docks' rows follow the table (the timer calls it).
  void RefreshPanels();
  // The alarm rows and the card, at once.
  void RefreshDocks();

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  QDockWidget* AddDock(const char* objectName, const char* title, QWidget* content, Qt::DockWidgetArea area);
  void RestoreLayout();
  void SaveLayout();
  void RefreshCard();
  void ShowWeatherCard(int32_t place, QDockWidget* cardDock);
  QWidget* BuildSoundRow(QWidget* parent);
  QWidget* BuildCard();
  void AddChoiceActions(QMenu& menu, int32_t mmsi);

  TForm1* form_;
  std::filesystem::path programFolder_;
  RecordDock* record_ = nullptr;
  std::unique_ptr<ReceptionStats> stats_;
  ReceiverSetting receiver_;
  StatsDock* statsDock_ = nullptr;
  std::unique_ptr<OutputHub> outputs_;
  OutputsPanel* outputsPanel_ = nullptr;
  QPushButton* choiceButtons_[3] = {};
  int weatherShown_ = -1;  // the weather station the card shows, or -1 for the selected ship
  AlarmListView* alarms_ = nullptr;
  ShipCardView* card_ = nullptr;
  std::unique_ptr<PortList> ports_;
  QLabel* pointer_ = nullptr;
  QAction* shipNames_ = nullptr;
  QTimer* refresh_ = nullptr;
  uint32_t refreshes_ = 0;
};

}  // namespace aismon
