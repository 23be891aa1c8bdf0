#include "stats/qt/stats_dock.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QMessageBox>
#include <QPolarChart>
#include <QPushButton>
#include <QScatterSeries>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <utility>

namespace aismon {

namespace {
constexpr int kRateMinutes = kDayMinutes;

QChartView* NewView(QChart* chart) {
  chart->legend()->setAlignment(Qt::AlignBottom);
  chart->setMargins(QMargins(4, 4, 4, 4));
  // A small panel shows its labels whole rather than as "...".
  for (QAbstractAxis* axis : chart->axes()) axis->setTruncateLabels(false);
  auto* view = new QChartView(chart);
  view->setRenderHint(QPainter::Antialiasing);
  // Small enough that the panel fits beside the chart on a laptop screen.
  view->setMinimumSize(240, 100);
  return view;
}

// A count axis from 0 to just above the largest value, in five whole steps.
void FitCountAxis(QValueAxis* axis, double v) {
  double top = 5;
  if (v > 5) {
    const double p = std::pow(10.0, std::floor(std::log10(v)));
    top = 10 * p;
    for (const double m : {1.0, 2.0, 5.0})
      if (v <= m * p) {
        top = m * p;
        break;
      }
  }
  axis->setRange(0, top);
  axis->setTickCount(6);
}

QTableWidgetItem* Number(uint64_t v) {
  auto* item = new QTableWidgetItem;
  item->setData(Qt::DisplayRole, static_cast<qulonglong>(v));
  item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return item;
}
}  // namespace

StatsDock::StatsDock(ReceptionStats& stats, QWidget* parent) : QWidget(parent), stats_(stats) {
  setObjectName(QStringLiteral("StatsDock"));
  setWindowTitle(QString::fromUtf8("受信統計"));
  chooseFile = [this](const QString& suggested) {
    return QFileDialog::getSaveFileName(this, QString::fromUtf8("グラフを保存"), suggested,
                                        QStringLiteral("PNG (*.png)"));
  };
  confirmRangeReset = [this] {
    return QMessageBox::question(this, QString::fromUtf8("受信距離の記録"),
                                 QString::fromUtf8("方位別の最大受信距離の記録をすべて消去しますか？"),
                                 QMessageBox::Yes | QMessageBox::Cancel, QMessageBox::Cancel) == QMessageBox::Yes;
  };

  // Messages per minute, one line per source, the last 24 hours (minutes before now).
  auto* rate = new QChart;
  rate->setTitle(QString::fromUtf8("毎分の電文数（24時間）"));
  auto* minutes = new QValueAxis;
  minutes->setRange(-kRateMinutes, 0);
  minutes->setTickCount(9);
  minutes->setLabelFormat(QStringLiteral("%d"));
  minutes->setTitleText(QString::fromUtf8("分前"));
  rateAxis_ = new QValueAxis;
  rateAxis_->setLabelFormat(QStringLiteral("%d"));
  rate->addAxis(minutes, Qt::AlignBottom);
  rate->addAxis(rateAxis_, Qt::AlignLeft);
  rateView_ = NewView(rate);

  // Distinct stations per hour, oldest hour on the left.
  auto* hours = new QChart;
  hours->setTitle(QString::fromUtf8("1時間ごとの受信局数"));
  stationBars_ = new QBarSet(QString::fromUtf8("局数"));
  auto* bars = new QBarSeries;
  bars->append(stationBars_);
  hours->addSeries(bars);
  auto* hourAxis = new QBarCategoryAxis;
  QStringList labels;
  for (int ago = kDayHours - 1; ago >= 0; --ago) labels << QString::number(-ago);
  hourAxis->append(labels);
  hourAxis->setTitleText(QString::fromUtf8("時間前"));
  stationAxis_ = new QValueAxis;
  stationAxis_->setLabelFormat(QStringLiteral("%d"));
  hours->addAxis(hourAxis, Qt::AlignBottom);
  hours->addAxis(stationAxis_, Qt::AlignLeft);
  bars->attachAxis(hourAxis);
  bars->attachAxis(stationAxis_);
  hours->legend()->hide();
  stationsView_ = NewView(hours);

  // Range by bearing: the record of each sector at the sector's middle bearing.
  auto* polar = new QPolarChart;
  polar->setTitle(QString::fromUtf8("方位別の最大受信距離 (NM)"));
  auto* bearing = new QValueAxis;
  bearing->setRange(0, 360);
  bearing->setTickCount(13);
  bearing->setLabelFormat(QStringLiteral("%d"));
  rangeAxis_ = new QValueAxis;
  rangeAxis_->setLabelFormat(QStringLiteral("%d"));
  polar->addAxis(bearing, QPolarChart::PolarOrientationAngular);
  polar->addAxis(rangeAxis_, QPolarChart::PolarOrientationRadial);
  rangeA_ = new QScatterSeries;
  rangeA_->setName(QString::fromUtf8("A 級"));
  rangeA_->setMarkerSize(9);
  rangeB_ = new QScatterSeries;
  rangeB_->setName(QString::fromUtf8("B 級"));
  rangeB_->setMarkerSize(7);
  rangeB_->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
  for (QScatterSeries* s : {rangeA_, rangeB_}) {
    polar->addSeries(s);
    s->attachAxis(bearing);
    s->attachAxis(rangeAxis_);
  }
  rangeView_ = NewView(polar);
  rangeTable_ = new QTableWidget(0, 5);
  rangeTable_->setObjectName(QStringLiteral("RangeRecords"));
  rangeTable_->setHorizontalHeaderLabels({QString::fromUtf8("方位"), QString::fromUtf8("A 級 NM"),
                                          QString::fromUtf8("A 級 MMSI"), QString::fromUtf8("B 級 NM"),
                                          QString::fromUtf8("B 級 MMSI")});
  rangeTable_->verticalHeader()->hide();
  rangeTable_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  rangeTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  rangeTable_->setMaximumHeight(160);
  rangeTable_->setMinimumHeight(48);


  tabs_ = new QTabWidget;
  tabs_->addTab(PlotPage(Plot::kRate, rateView_), QString::fromUtf8("受信率"));
  tabs_->addTab(PlotPage(Plot::kStations, stationsView_), QString::fromUtf8("局数"));
  tabs_->addTab(CountsPage(), QString::fromUtf8("電文数"));
  tabs_->addTab(PlotPage(Plot::kRange, rangeView_, rangeTable_), QString::fromUtf8("受信距離"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(tabs_);
  Refresh();
}

QWidget* StatsDock::PlotPage(Plot plot, QChartView* view, QWidget* below) {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(view, 1);
  if (below != nullptr) layout->addWidget(below);
  auto* buttons = new QHBoxLayout;
  layout->addLayout(buttons);
  if (plot == Plot::kRange) {
    auto* reset = new QPushButton(QString::fromUtf8("記録を消去…"));
    reset->setObjectName(QStringLiteral("ResetRangeRecords"));
    buttons->addWidget(reset);
    connect(reset, &QPushButton::clicked, this, [this] { ResetRange(); });
  }
  buttons->addStretch(1);
  auto* save = new QPushButton(QString::fromUtf8("PNG で保存…"));
  static const char* const kNames[] = {"SaveRatePlot", "SaveStationsPlot", "SaveRangePlot"};
  static const char* const kFiles[] = {"ais-rate.png", "ais-stations.png", "ais-range.png"};
  save->setObjectName(QString::fromLatin1(kNames[static_cast<int>(plot)]));
  buttons->addWidget(save);
  connect(save, &QPushButton::clicked, this, [this, plot] {
    const QString path = chooseFile ? chooseFile(QString::fromLatin1(kFiles[static_cast<int>(plot)])) : QString();
    if (!path.isEmpty() && SavePlot(plot, path) && onPlotSaved) onPlotSaved(path);
  });
  return page;
}

QWidget* StatsDock::CountsPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(QString::fromUtf8("期間")));
  window_ = new QComboBox;
  window_->setObjectName(QStringLiteral("CountWindow"));
  const std::pair<const char*, CountWindow> windows[] = {
      {"直近 1 分", CountWindow::kLastMinute}, {"直近 1 時間", CountWindow::kLastHour},
      {"直近 24 時間", CountWindow::kLastDay},  {"起動後", CountWindow::kSinceStart},
      {"累計", CountWindow::kAllTime}};
  for (const auto& [label, w] : windows) window_->addItem(QString::fromUtf8(label), static_cast<int>(w));
  window_->setCurrentIndex(window_->findData(static_cast<int>(CountWindow::kSinceStart)));
  row->addWidget(window_);
  row->addStretch(1);
  layout->addLayout(row);
  counts_ = new QTableWidget;
  counts_->setObjectName(QStringLiteral("MessageCounts"));
  counts_->verticalHeader()->hide();
  counts_->verticalHeader()->setDefaultSectionSize(counts_->fontMetrics().height() + 6);
  counts_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  counts_->setSortingEnabled(false);
  layout->addWidget(counts_, 1);
  connect(window_, &QComboBox::currentIndexChanged, this, [this] { RefreshCounts(); });
  return page;
}

void StatsDock::ResetRange() {
  if (confirmRangeReset && !confirmRangeReset()) return;
  stats_.ResetRangeRecords();
  RefreshRange();
  if (onRangeReset) onRangeReset();
}

QChart* StatsDock::ChartOf(Plot plot) const {
  switch (plot) {
    case Plot::kRate:
      return rateView_->chart();
    case Plot::kStations:
      return stationsView_->chart();
    default:
      return rangeView_->chart();
  }
}

bool StatsDock::SavePlot(Plot plot, const QString& path) {
  QChartView* view = plot == Plot::kRate ? rateView_ : plot == Plot::kStations ? stationsView_ : rangeView_;
  // A plot on a hidden tab has no size of its own yet: give it the visible one's.
  if (!view->isVisible()) view->resize(tabs_->currentWidget()->size().expandedTo(QSize(640, 480)));
  return view->grab().save(path, "PNG");
}

void StatsDock::Refresh() {
  RefreshRate();
  RefreshStations();
  RefreshCounts();
  RefreshRange();
}

void StatsDock::RefreshRate() {
  // Rebuilt only when a minute has passed or new messages came: 1440 points a source.
  uint64_t total = 0;
  for (int s = 0; s < stats_.SourceSlots(); ++s) total += stats_.SourceTotal(s, CountWindow::kLastDay);
  const uint32_t minute = stats_.CurrentMinute();
  if (minute == rateMinute_ && total == rateTotal_) return;
  rateMinute_ = minute;
  rateTotal_ = total;
  QChart* chart = rateView_->chart();
  const QList<QAbstractSeries*> old = chart->series();
  uint32_t top = 0;
  for (int s = 0; s < stats_.SourceSlots(); ++s) {
    QLineSeries* line = s < old.size() ? static_cast<QLineSeries*>(old[s]) : nullptr;
    if (line == nullptr) {
      line = new QLineSeries;
      chart->addSeries(line);
      for (QAbstractAxis* a : chart->axes()) line->attachAxis(a);
    }
    const char* name = stats_.SourceName(s);
    line->setName(name[0] != '\0' ? QString::fromUtf8(name) : QString::fromUtf8("既定"));
    QList<QPointF> points;
    points.reserve(kRateMinutes);
    for (int ago = kRateMinutes - 1; ago >= 0; --ago) {
      const uint32_t n = stats_.MinuteCount(s, ago);
      top = std::max(top, n);
      points.append(QPointF(-ago, n));
    }
    line->replace(points);
  }
  FitCountAxis(rateAxis_, top);
}

void StatsDock::RefreshStations() {
  uint32_t top = 0;
  for (int i = 0; i < kDayHours; ++i) {
    const uint32_t n = stats_.StationsInHour(kDayHours - 1 - i);
    top = std::max(top, n);
    if (i < stationBars_->count())
      stationBars_->replace(i, n);
    else
      stationBars_->append(n);
  }
  FitCountAxis(stationAxis_, top);
}

void StatsDock::RefreshCounts() {
  // One row per message number ever heard (so the rows stay put when the window changes),
  // per binary kind, per channel, then duplicates and the total; the window's count over
  // all sources, then by source.
  const CountWindow w = static_cast<CountWindow>(window_->currentData().toInt());
  const int sources = stats_.SourceSlots();
  QStringList header{QString::fromUtf8("電文"), QString::fromUtf8("全受信源")};
  for (int s = 0; s < sources; ++s) {
    const char* name = stats_.SourceName(s);
    header << (name[0] != '\0' ? QString::fromUtf8(name) : QString::fromUtf8("既定"));
  }
  int rows = 0;
  for (int n = 0; n < kCountedNumbers; ++n) rows += stats_.Count(n, CountWindow::kAllTime) != 0;
  rows += stats_.BinaryKeyCount() + kChannels + 2;
  counts_->setColumnCount(static_cast<int>(header.size()));
  counts_->setHorizontalHeaderLabels(header);
  counts_->setRowCount(rows);
  int row = 0;
  // A row of a figure read by source slot: its sum, then each slot.
  const auto bySource = [&](const QString& label, auto figure) {
    counts_->setItem(row, 0, new QTableWidgetItem(label));
    uint64_t all = 0;
    for (int s = 0; s < sources; ++s) {
      const uint64_t n = figure(s);
      all += n;
      counts_->setItem(row, 2 + s, Number(n));
    }
    counts_->setItem(row++, 1, Number(all));
  };
  for (int n = 0; n < kCountedNumbers; ++n) {
    if (stats_.Count(n, CountWindow::kAllTime) == 0) continue;
    bySource(QString::number(n), [&](int s) { return stats_.CountBySource(s, n, w); });
  }
  // Binary kinds are counted over all sources only.
  for (int k = 0; k < stats_.BinaryKeyCount(); ++k, ++row) {
    const BinaryKey& key = stats_.BinaryKeyAt(k);
    counts_->setItem(row, 0, new QTableWidgetItem(QStringLiteral("%1/%2/%3").arg(key.number).arg(key.dac).arg(key.fi)));
    counts_->setItem(row, 1, Number(stats_.BinaryCount(k, w)));
    for (int s = 0; s < sources; ++s) counts_->setItem(row, 2 + s, new QTableWidgetItem());
  }
  static const char* const kChannelNames[kChannels] = {"チャンネル A", "チャンネル B", "チャンネル 他"};
  for (int c = 0; c < kChannels; ++c)
    bySource(QString::fromUtf8(kChannelNames[c]), [&](int s) { return stats_.ChannelCount(s, c, w); });
  bySource(QString::fromUtf8("重複"), [&](int s) { return stats_.Duplicates(s, w); });
  bySource(QString::fromUtf8("合計"), [&](int s) { return stats_.SourceTotal(s, w); });
}

void StatsDock::RefreshRange() {
  const RangeSectors& sectors = stats_.Sectors();
  double top = 0;
  int rows = 0;
  QList<QPointF> a, b;
  for (int k = 0; k < kSectors; ++k) {
    const SectorRecord& ra = sectors.At(StationClass::kA, k);
    const SectorRecord& rb = sectors.At(StationClass::kB, k);
    if (ra.mmsi != 0) a.append(QPointF(k * 10 + 5, ra.rangeNm));
    if (rb.mmsi != 0) b.append(QPointF(k * 10 + 5, rb.rangeNm));
    top = std::max({top, ra.rangeNm, rb.rangeNm});
    rows += ra.mmsi != 0 || rb.mmsi != 0;
  }
  rangeA_->replace(a);
  rangeB_->replace(b);
  FitCountAxis(rangeAxis_, top);
  rangeTable_->setRowCount(rows);
  int row = 0;
  for (int k = 0; k < kSectors; ++k) {
    const SectorRecord& ra = sectors.At(StationClass::kA, k);
    const SectorRecord& rb = sectors.At(StationClass::kB, k);
    if (ra.mmsi == 0 && rb.mmsi == 0) continue;
    rangeTable_->setItem(row, 0, new QTableWidgetItem(QStringLiteral("%1-%2").arg(k * 10, 3, 10, QLatin1Char('0')).arg(k * 10 + 10, 3, 10, QLatin1Char('0'))));
    int col = 1;
    for (const SectorRecord* r : {&ra, &rb}) {
      rangeTable_->setItem(row, col++, new QTableWidgetItem(r->mmsi != 0 ? QString::number(r->rangeNm, 'f', 1) : QString()));
      rangeTable_->setItem(row, col++, new QTableWidgetItem(r->mmsi != 0 ? QString::number(r->mmsi) : QString()));
    }
    ++row;
  }
}

}  // namespace aismon
