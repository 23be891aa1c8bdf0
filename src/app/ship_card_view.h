#pragma once
// The ship card: what the table knows about the selected station, one row per field, in a
// dock that follows the selection.
#include <QTableWidget>
#include <vector>

#include "card/ship_card.h"

namespace aismon {

class PortList;
class ShipTable;
class TrafficWatch;
struct LocalDateTime;

class ShipCardView : public QTableWidget {
 public:
  explicit ShipCardView(QWidget* parent);

  // Shows table entry index (nothing selected: index < 1).
  // extra rows (the window's own: choices, recent alarms) follow the table's.
  void Show(const ShipTable& table, int index, const TrafficWatch* watch, const LocalDateTime& now,
            const PortList& ports, const std::vector<CardLine>& extra = {});
  // Shows rows made elsewhere (a weather station's).
  void ShowLines(const std::vector<CardLine>& lines);
};

}  // namespace aismon
