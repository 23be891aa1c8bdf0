#pragma once
// The target list as a tool window beside the chart: a filter box over a sortable table of
// every station (ignored ones on request, to undo the choice). Never modal; a double-click hands the station's slot to onActivate.
#include <QWidget>
#include <functional>

#include "app/target_list_model.h"

class QCheckBox;
class QLineEdit;
class QTableView;

namespace aismon {

class TargetListWindow : public QWidget {
 public:
  explicit TargetListWindow(QWidget* parent);

  // Brings the rows up to date; the sort and the selected station are kept, and the
  // selected row is scrolled into view.
  // Weather stations heard within the hour are listed after the ships.
  void Refresh(const ShipTable& table, const TrafficWatch& watch, const WeatherStations* weather = nullptr,
               uint32_t now = 0);
  // The slot of the selected row, or -1.
  int32_t SelectedSlot() const;

  std::function<void(int32_t slot)> onActivate;

  TargetListModel& Model() { return *model_; }
  TargetFilterProxy& Proxy() { return *proxy_; }
  QTableView* View() { return view_; }
  QLineEdit* FilterBox() { return filter_; }
  QCheckBox* ShowIgnoredBox() { return showIgnored_; }

 private:
  TargetListModel* model_;
  TargetFilterProxy* proxy_;
  QTableView* view_;
  QLineEdit* filter_;
  QCheckBox* showIgnored_;
};

}  // namespace aismon
