#include "app/target_list_window.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

namespace aismon {

TargetListWindow::TargetListWindow(QWidget* parent) : QWidget(parent, Qt::Tool) {
  setObjectName(QStringLiteral("TargetList"));
  setWindowTitle(QString::fromUtf8("目標一覧"));
  resize(900, 420);
  model_ = new TargetListModel(this);
  proxy_ = new TargetFilterProxy(this);
  proxy_->setSourceModel(model_);
  filter_ = new QLineEdit(this);
  filter_->setObjectName(QStringLiteral("TargetFilter"));
  filter_->setPlaceholderText(QString::fromUtf8("絞り込み（船名・MMSI・呼出符号）"));
  filter_->setClearButtonEnabled(true);
  view_ = new QTableView(this);
  view_->setObjectName(QStringLiteral("TargetTable"));
  view_->setModel(proxy_);
  view_->setSortingEnabled(true);
  view_->sortByColumn(kColRange, Qt::AscendingOrder);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->verticalHeader()->setVisible(false);
  view_->verticalHeader()->setDefaultSectionSize(22);
  view_->horizontalHeader()->setStretchLastSection(true);
  view_->setColumnWidth(kColName, 170);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  showIgnored_ = new QCheckBox(QString::fromUtf8("無視した船も表示"), this);
  showIgnored_->setObjectName(QStringLiteral("ShowIgnored"));
  auto* top = new QHBoxLayout;
  top->addWidget(filter_, 1);
  top->addWidget(showIgnored_);
  layout->addLayout(top);
  layout->addWidget(view_);
  connect(filter_, &QLineEdit::textChanged, this, [this](const QString& t) { proxy_->SetFilterText(t); });
  // Shown at the next refresh, which the 100 ms chores bring.
  connect(showIgnored_, &QCheckBox::toggled, this, [this](bool on) { model_->SetShowIgnored(on); });
  connect(view_, &QTableView::doubleClicked, this, [this](const QModelIndex& i) {
    const QModelIndex s = proxy_->mapToSource(i);
    if (s.isValid() && onActivate) onActivate(model_->Row(s.row()).slot);
  });
}

int32_t TargetListWindow::SelectedSlot() const {
  const QModelIndexList rows = view_->selectionModel()->selectedRows();
  if (rows.isEmpty()) return -1;
  const QModelIndex s = proxy_->mapToSource(rows.front());
  return s.isValid() ? model_->Row(s.row()).slot : -1;
}

void TargetListWindow::Refresh(const ShipTable& table, const TrafficWatch& watch, const WeatherStations* weather,
                               uint32_t now) {
  model_->Refresh(table, watch, weather, now);
  const int32_t slot = SelectedSlot();
  if (slot < 0) return;
  const int row = model_->RowOfSlot(slot);
  if (row >= 0) view_->scrollTo(proxy_->mapFromSource(model_->index(row, 0)), QAbstractItemView::EnsureVisible);
}

}  // namespace aismon
