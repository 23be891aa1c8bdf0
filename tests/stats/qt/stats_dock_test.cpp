// The statistics panel on the offscreen platform, fed two real recorded streams.
#include "stats/qt/stats_dock.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QChart>
#include <QComboBox>
#include <QImage>
#include <QPushButton>
#include <QScatterSeries>
#include <QTabWidget>
#include <QTableWidget>
#include <cstdlib>
#include <fstream>
#include <string>

#include "common/clock.h"
#include "input/intake.h"
#include "shipdb/ship_table.h"
#include "tests/support/temp_files.h"

// The charts' fonts leave patterns the font library (fontconfig) never frees, whatever the
// program does; the leak checker is told so, for this test program only.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace aismon {
namespace {

void EnsureWidgetApp() {
  if (QCoreApplication::instance() != nullptr) return;
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "aisstatsui_tests";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
}

TEST(StatsDock, ShowsAndSavesTheFiguresOfRealStreams) {
  const std::string corpus = AISMON_CORPUS_DIR;
  std::ifstream mixed(corpus + "/rx-mixed-type6.log"), dutch(corpus + "/rx-netherlands-rmc-vdm.log");
  if (!mixed || !dutch) GTEST_SKIP() << "corpus not present";
  EnsureWidgetApp();

  ManualClock clock(1000, LocalDateTime{2026, 12, 9, 8, 0, 0});
  ShipTable table(clock);
  Intake intake(table);
  ReceptionStats stats(table, intake.sources, clock);
  intake.assembler.AddObserver(&stats);
  stats.SetReceiver(52.8, 5.7);  // where the Dutch stream's receiver stood
  const SourceId a = intake.sources.Register("rx-mixed"), b = intake.sources.Register("rx-netherlands");
  // The two streams side by side, a line of each every 60 s: a day and more of traffic.
  std::string la, lb;
  for (bool more = true; more;) {
    more = false;
    if (std::getline(mixed, la)) intake.ProcessSentence(la.c_str(), a), more = true;
    if (std::getline(dutch, lb)) intake.ProcessSentence(lb.c_str(), b), more = true;
    clock.Advance(60000);
  }

  StatsDock dock(stats);
  dock.resize(900, 640);
  dock.show();
  dock.Refresh();

  // A row per number heard, per binary kind, per channel, duplicates and the total; the
  // chosen window's count over all sources, then by source.
  QTableWidget* counts = dock.CountsTable();
  int numbers = 0;
  for (int n = 0; n < kCountedNumbers; ++n) numbers += stats.Count(n, CountWindow::kAllTime) != 0;
  ASSERT_EQ(counts->rowCount(), numbers + stats.BinaryKeyCount() + kChannels + 2);
  ASSERT_EQ(counts->columnCount(), 2 + stats.SourceSlots());
  ASSERT_EQ(stats.SourceSlots(), 2);
  const auto rowOf = [&](const QString& label) {
    for (int r = 0; r < counts->rowCount(); ++r)
      if (counts->item(r, 0)->text() == label) return r;
    return -1;
  };
  const auto cell = [&](int r, int c) { return counts->item(r, c)->data(Qt::DisplayRole).toULongLong(); };
  const int row1 = rowOf(QStringLiteral("1")), rowB = rowOf(QString::fromUtf8("チャンネル B"));
  const int rowDup = rowOf(QString::fromUtf8("重複")), rowAll = rowOf(QString::fromUtf8("合計"));
  const int rowBinary = stats.BinaryKeyCount() > 0 ? numbers : -1;
  ASSERT_GE(row1, 0);
  ASSERT_GE(rowB, 0);
  ASSERT_GE(rowDup, 0);
  ASSERT_GE(rowAll, 0);
  ASSERT_GE(rowBinary, 0);
  // Fed over more than a day: the hour's and the day's windows differ.
  ASSERT_NE(stats.Count(1, CountWindow::kLastHour), stats.Count(1, CountWindow::kLastDay));
  for (const CountWindow w : {CountWindow::kLastMinute, CountWindow::kLastHour, CountWindow::kLastDay,
                              CountWindow::kSinceStart, CountWindow::kAllTime}) {
    SCOPED_TRACE(static_cast<int>(w));
    QComboBox* chooser = dock.CountWindowChooser();
    chooser->setCurrentIndex(chooser->findData(static_cast<int>(w)));
    EXPECT_EQ(cell(row1, 1), stats.Count(1, w));
    EXPECT_EQ(cell(row1, 3), stats.CountBySource(1, 1, w));
    EXPECT_EQ(cell(rowB, 2), stats.ChannelCount(0, 1, w));
    EXPECT_EQ(cell(rowDup, 1), stats.Duplicates(0, w) + stats.Duplicates(1, w));
    EXPECT_EQ(cell(rowAll, 3), stats.SourceTotal(1, w));
    EXPECT_EQ(cell(rowBinary, 1), stats.BinaryCount(0, w));
  }

  // The polar plot and its table carry the sectors that have a record.
  int withA = 0, sectors = 0;
  for (int k = 0; k < kSectors; ++k) {
    withA += stats.Sectors().At(StationClass::kA, k).mmsi != 0;
    sectors += stats.Sectors().At(StationClass::kA, k).mmsi != 0 || stats.Sectors().At(StationClass::kB, k).mmsi != 0;
  }
  ASSERT_GT(withA, 0);
  auto* seriesA = static_cast<QScatterSeries*>(dock.ChartOf(StatsDock::Plot::kRange)->series().at(0));
  EXPECT_EQ(seriesA->count(), withA);
  EXPECT_EQ(dock.RangeTable()->rowCount(), sectors);

  // Each plot's button saves a PNG where the chooser says.
  testing::TempFolder folder;
  std::vector<QString> saved;
  dock.onPlotSaved = [&](const QString& path) { saved.push_back(path); };
  const char* buttons[] = {"SaveRatePlot", "SaveStationsPlot", "SaveRangePlot"};
  for (int i = 0; i < 3; ++i) {
    const QString path = QString::fromStdString((folder.path() / ("plot" + std::to_string(i) + ".png")).string());
    dock.chooseFile = [&](const QString&) { return path; };
    dock.Tabs()->setCurrentIndex(i == 2 ? 3 : i);
    dock.findChild<QPushButton*>(QString::fromLatin1(buttons[i]))->click();
    QImage image(path);
    EXPECT_FALSE(image.isNull()) << buttons[i];
    EXPECT_GE(image.width(), 320) << buttons[i];
  }
  EXPECT_EQ(saved.size(), 3u);

  // Kept for a person to look at when asked to.
  if (const char* keep = std::getenv("AISMON_KEEP_STATS_PNG")) {
    for (int t = 0; t < dock.Tabs()->count(); ++t) {
      dock.Tabs()->setCurrentIndex(t);
      dock.grab().save(QString::fromUtf8(keep) + QStringLiteral("/dock-tab%1.png").arg(t));
    }
  }

  // Forgetting the range records asks first; a cancel keeps them.
  int resets = 0;
  dock.onRangeReset = [&] { ++resets; };
  auto* reset = dock.findChild<QPushButton*>(QStringLiteral("ResetRangeRecords"));
  ASSERT_NE(reset, nullptr);
  for (const bool confirm : {false, true}) {
    SCOPED_TRACE(confirm);
    dock.confirmRangeReset = [confirm] { return confirm; };
    reset->click();
    int left = 0;
    for (int k = 0; k < kSectors; ++k) left += stats.Sectors().At(StationClass::kA, k).mmsi != 0;
    EXPECT_EQ(left, confirm ? 0 : withA);
    EXPECT_EQ(seriesA->count(), confirm ? 0 : withA);
    EXPECT_EQ(dock.RangeTable()->rowCount(), confirm ? 0 : sectors);
    EXPECT_EQ(resets, confirm ? 1 : 0);
  }
}

}  // namespace
}  // namespace aismon
