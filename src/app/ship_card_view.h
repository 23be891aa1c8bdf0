#pragma once
// The ship card: what the table knows about the selected station, one row per field, in a
// dock that follows the selection.
#include <QTableWidget>

namespace aismon {

class PortList;
class ShipTable;
class TrafficWatch;
struct LocalDateTime;

class ShipCardView : public QTableWidget {
 public:
  explicit ShipCardView(QWidget* parent);

  // Shows table entry index (nothing selected: index < 1).
  void Show(const ShipTable& table, int index, const TrafficWatch* watch, const LocalDateTime& now,
            const PortList& ports);
};

}  // namespace aismon
