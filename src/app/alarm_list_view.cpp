#include "app/alarm_list_view.h"

#include "app/main_window.h"
#include "chart/watch_layer.h"
#include "watch/traffic_watch.h"

namespace aismon {

AlarmListView::AlarmListView(QWidget* parent) : QListWidget(parent) {
  setObjectName(QStringLiteral("AlarmList"));
  setSelectionMode(QAbstractItemView::NoSelection);
  setToolTip(QString::fromUtf8("クリックで警報確認とその船の選択"));
  connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    // The station is taken first: acknowledging rebuilds the rows.
    const int r = row(item);
    const int32_t slot = r >= 0 && r < static_cast<int>(slots_.size()) ? slots_[static_cast<size_t>(r)] : -1;
    if (onAcknowledge) onAcknowledge(r);
    if (onSelect && slot >= 1) onSelect(slot);
  });
}

void AlarmListView::Refresh(const ShipTable& table, const TrafficWatch& watch) {
  const int rows = watch.AlertCount();
  // Rows are rebuilt only when a text or colour changed, so a click between two passes
  // lands on the row the user saw.
  bool same = rows == count();
  for (int i = 0; i < rows && same; ++i) {
    const QString text = FromShiftJis(AlertRowText(table, watch, i));
    same = item(i)->text() == text && item(i)->data(Qt::UserRole).toBool() == watch.Alert(i).acknowledged;
  }
  if (same) return;
  clear();
  slots_.assign(static_cast<size_t>(rows), -1);
  for (int i = 0; i < rows; ++i) {
    const AlertRow& a = watch.Alert(i);
    auto* it = new QListWidgetItem(FromShiftJis(AlertRowText(table, watch, i)), this);
    it->setData(Qt::UserRole, a.acknowledged);
    it->setForeground(a.acknowledged ? QColor(255, 160, 0) : QColor(255, 0, 0));
    slots_[static_cast<size_t>(i)] = a.slot;
  }
}

}  // namespace aismon
