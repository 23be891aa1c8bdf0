#include "app/ship_card_view.h"

#include <QHeaderView>

#include "card/port_list.h"
#include "card/ship_card.h"
#include "shipdb/ship_table.h"

namespace aismon {

ShipCardView::ShipCardView(QWidget* parent) : QTableWidget(0, 2, parent) {
  setObjectName(QStringLiteral("ShipCard"));
  setHorizontalHeaderLabels({QString::fromUtf8("項目"), QString::fromUtf8("値")});
  horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  horizontalHeader()->setStretchLastSection(true);
  verticalHeader()->hide();
  // Compact rows: the card should show most of a station without scrolling.
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setWordWrap(false);
}

void ShipCardView::Show(const ShipTable& table, int index, const TrafficWatch* watch, const LocalDateTime& now,
                        const PortList& ports, const std::vector<CardLine>& extra) {
  std::vector<CardLine> lines = index >= 1 ? ShipCardLines(table, index, watch, now, ports) : std::vector<CardLine>{};
  if (!lines.empty()) lines.insert(lines.end(), extra.begin(), extra.end());
  ShowLines(lines);
}

void ShipCardView::ShowLines(const std::vector<CardLine>& lines) {
  if (lines.empty()) {
    setRowCount(1);
    setItem(0, 0, new QTableWidgetItem(QString()));
    setItem(0, 1, new QTableWidgetItem(QString::fromUtf8("海図または目標一覧で船を選んでください")));
    return;
  }
  setRowCount(static_cast<int>(lines.size()));
  for (int r = 0; r < rowCount(); ++r) {
    const CardLine& l = lines[static_cast<size_t>(r)];
    const QString label = QString::fromStdString(l.label), value = QString::fromStdString(l.value);
    // Items are kept and their text changed, so a refresh keeps the row the user looks at.
    for (int c = 0; c < 2; ++c) {
      QTableWidgetItem* it = item(r, c);
      if (it == nullptr) setItem(r, c, it = new QTableWidgetItem);
      const QString& text = c == 0 ? label : value;
      if (it->text() != text) it->setText(text);
    }
  }
}

}  // namespace aismon
