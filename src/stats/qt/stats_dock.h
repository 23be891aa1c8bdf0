#pragma once
// The statistics panel, for a dock: messages per minute over the last day by source,
// stations heard per hour, the table of message counts by number and source, and the
// polar plot of the farthest station in each 10-degree sector (class A and B apart), each
// plot with a button that saves it as PNG. The counts table shows one window at a time,
// chosen above it. It reads a ReceptionStats and changes it only to forget the range
// records when the user asks for it and confirms.
#include <QString>
#include <QWidget>
#include <functional>

#include "stats/reception_stats.h"

class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QLineSeries;
class QBarSet;
class QBarSeries;
class QScatterSeries;
class QTableWidget;
class QTabWidget;
class QValueAxis;

namespace aismon {

class StatsDock : public QWidget {
 public:
  enum class Plot { kRate, kStations, kRange };

  explicit StatsDock(ReceptionStats& stats, QWidget* parent = nullptr);

  // Reads the figures again; call it about once a second while the panel is shown.
  void Refresh();
  // Writes the plot as a PNG file; false when it could not be written.
  bool SavePlot(Plot plot, const QString& path);

  // Asks where to save a plot (a file dialog unless replaced); an empty name cancels.
  std::function<QString(const QString& suggested)> chooseFile;
  // Told of every plot saved by its button.
  std::function<void(const QString& path)> onPlotSaved;
  // Asks before the range records are forgotten (a question box unless replaced); false keeps them.
  std::function<bool()> confirmRangeReset;
  // Told once the range records were forgotten, e.g. to write the statistics file at once.
  std::function<void()> onRangeReset;

  QTabWidget* Tabs() const { return tabs_; }
  QTableWidget* CountsTable() const { return counts_; }
  QComboBox* CountWindowChooser() const { return window_; }
  QTableWidget* RangeTable() const { return rangeTable_; }
  QChart* ChartOf(Plot plot) const;

 private:
  QWidget* PlotPage(Plot plot, QChartView* view, QWidget* below = nullptr);
  QWidget* CountsPage();
  void ResetRange();
  void RefreshRate();
  void RefreshStations();
  void RefreshCounts();
  void RefreshRange();

  ReceptionStats& stats_;
  QTabWidget* tabs_;
  QChartView* rateView_;
  QChartView* stationsView_;
  QChartView* rangeView_;
  QTableWidget* counts_;
  QComboBox* window_;
  QTableWidget* rangeTable_;
  QBarSet* stationBars_;
  QValueAxis* stationAxis_;
  QValueAxis* rateAxis_;
  QValueAxis* rangeAxis_;
  QScatterSeries* rangeA_;
  QScatterSeries* rangeB_;
  uint32_t rateMinute_ = UINT32_MAX;  // the minute the rate plot was drawn for
  uint64_t rateTotal_ = 0;
};

}  // namespace aismon
