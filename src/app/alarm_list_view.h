#pragma once
// The alarm list in the watch dock: one row per alarm, as the chart's alert panel words it,
// red while it sounds and orange once acknowledged. A click acknowledges the row and
// selects the station, so its card shows. Never modal.
#include <QListWidget>
#include <cstdint>
#include <functional>

namespace aismon {

class ShipTable;
class TrafficWatch;

class AlarmListView : public QListWidget {
 public:
  explicit AlarmListView(QWidget* parent);

  // Rebuilds the rows from the watch when they changed.
  void Refresh(const ShipTable& table, const TrafficWatch& watch);

  std::function<void(int row)> onAcknowledge;  // the watch's alert row
  std::function<void(int32_t slot)> onSelect;  // a table entry

 private:
  std::vector<int32_t> slots_;  // per row, the station's entry or -1
};

}  // namespace aismon
