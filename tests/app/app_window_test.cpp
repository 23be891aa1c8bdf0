// The main window on the offscreen platform: every control reachable at a laptop's size,
// the acknowledge key wherever the focus is, the pointer read-out, the docks' arrangement
// kept across a restart.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableWidget>
#include <QToolButton>
#include <QTableView>
#include <QTest>

#include <cmath>
#include <string>

#include "app/alarm_list_view.h"
#include "app/app_window.h"
#include "app/ship_card_view.h"
#include "app/source_dialog.h"
#include "app/outputs_panel.h"
#include "app/record_dock.h"
#include "net/outputs_settings.h"
#include "net/qt/output_hub.h"
#include "ais/weather_stations.h"
#include "app/target_list_window.h"
#include "app/watch_controller.h"
#include "app/target_list_window.h"
#include "chart/chart_frame.h"
#include "support/payload_builder.h"
#include "support/temp_files.h"
#include "watch/traffic_watch.h"

namespace aismon {
namespace {

WindowSetup QuietSetup(const std::filesystem::path& home) {
  WindowSetup s;
  s.programFolder = home;
  for (int n = 1; n <= kPortCount; ++n) s.portsFromCommandLine[n] = (home / ("absent-" + std::to_string(n))).string();
  return s;
}

// A class A position report (message 1).
std::string PositionReport(int32_t mmsi, double lat, double lon, double sog, double cog) {
  testing::PayloadBuilder b(168);
  b.Set(1, 6, 1).Set(9, 38, mmsi).Set(39, 42, 0).Set(43, 50, -128).Set(51, 60, static_cast<int>(sog * 10));
  b.Set(62, 89, std::lround(lon * 600000)).Set(90, 116, std::lround(lat * 600000));
  b.Set(117, 128, static_cast<int>(cog * 10)).Set(129, 137, static_cast<int>(cog)).Set(138, 143, 10);
  return b.Sentence();
}

// A key pressed as a keyboard delivers it: shortcuts first, then the widget with the focus.
void PressKey(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key, Qt::NoModifier); }

class AppWindowTest : public ::testing::Test {
 protected:
  void Show(AppWindow& w, int width, int height) {
    w.Form().StopDrivers();
    w.show();
    w.resize(width, height);
    QApplication::processEvents();
  }
  testing::TempFolder home_;
  ManualClock clock_{100000};
};

TEST_F(AppWindowTest, EveryControlLiesInsideTheWindowAtLaptopSizes) {
  const QSize sizes[] = {{1280, 720}, {1366, 768}};
  for (const QSize& size : sizes) {
    SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()));
    AppWindow w(QuietSetup(home_.path()), clock_);
    Show(w, size.width(), size.height());
    w.Form().Watch().ShowTargetList();
    QApplication::processEvents();
    // The window takes the screen's size: no dock holds it taller or wider.
    ASSERT_EQ(w.size(), size);
    const QRect inside = w.rect();
    int checked = 0;
    const auto controlsInside = [&](QWidget* top) {
      for (QWidget* c : top->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(c) || qobject_cast<QAbstractSpinBox*>(c) ||
                             qobject_cast<QLineEdit*>(c) || qobject_cast<QAbstractItemView*>(c);
        // Only what is shown counts: the hidden debug panel keeps its place on the chart.
        if (!control || !c->isVisible()) continue;
        const QRect r(c->mapTo(&w, QPoint(0, 0)), c->size());
        EXPECT_TRUE(inside.contains(r)) << c->objectName().toStdString() << " at " << r.x() << "," << r.y() << " "
                                        << r.width() << "x" << r.height();
        ++checked;
      }
    };
    controlsInside(&w.Form());
    // The tabs of tabbed docks, which belong to the main window.
    for (QTabBar* tabs : w.findChildren<QTabBar*>(Qt::FindDirectChildrenOnly)) {
      if (!tabs->isVisible()) continue;
      const QRect r(tabs->mapTo(&w, QPoint(0, 0)), tabs->size());
      EXPECT_TRUE(inside.contains(r)) << "tabs at " << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
      ++checked;
    }
    // Each dock in turn at the front of its tabs.
    for (QDockWidget* d : w.findChildren<QDockWidget*>()) {
      if (d->isHidden()) continue;
      d->raise();
      QApplication::processEvents();
      SCOPED_TRACE(d->objectName().toStdString());
      controlsInside(d);
    }
    EXPECT_GT(checked, 20);
    // The list never covers the alarms.
    const QWidget* list = w.Form().Watch().TargetList();
    const QRect listRect(list->mapTo(&w, QPoint(0, 0)), list->size());
    const QRect alarmRect(w.Alarms()->mapTo(&w, QPoint(0, 0)), w.Alarms()->size());
    EXPECT_FALSE(listRect.intersects(alarmRect));
    EXPECT_GE(w.Alarms()->height(), 40);
  }
}

TEST_F(AppWindowTest, TheAcknowledgeKeyWorksWhereverTheFocusIs) {
  AppWindow w(QuietSetup(home_.path()), clock_);
  Show(w, 1280, 720);
  w.activateWindow();
  TForm1& f = w.Form();
  // Own ship at 34 40 N 135 15 E; a ship 2 NM north, 2 NM east heading south-west at 10 kn.
  f.IntakeChain().ProcessSentence("$GPRMC,120000,A,3440.000,N,13515.000,E,0.0,0.0,081226,,,A*00");
  const double lat = 34 + 40.0 / 60 + 2.0 / 60, lon = 135.25 + 2.0 / 60 / 0.8217;
  f.IntakeChain().ProcessSentence(PositionReport(431000777, lat, lon, 10, 225).c_str());
  f.Paint1Paint();
  for (int i = 0; i < 20; ++i) {
    clock_.Advance(100);
    f.Timer100msTimer();
  }
  const TrafficWatch& watch = *f.Watch().Watch();
  ASSERT_EQ(watch.AlertCount(), 1);
  w.RefreshDocks();
  // A click on its row in the alarm list acknowledges it and shows its card.
  ASSERT_EQ(w.Alarms()->count(), 1);
  emit w.Alarms()->itemClicked(w.Alarms()->item(0));
  EXPECT_TRUE(watch.Alert(0).acknowledged);
  EXPECT_EQ(f.SelectedShip(), watch.Alert(0).slot);
  EXPECT_EQ(w.Card()->findItems(QStringLiteral("431000777"), Qt::MatchExactly).size(), 1);

  // A second ship on the same course alarms; A acknowledges it with the focus in the list.
  f.IntakeChain().ProcessSentence(PositionReport(431000888, lat + 0.001, lon, 10, 225).c_str());
  for (int i = 0; i < 20; ++i) {
    clock_.Advance(100);
    f.Timer100msTimer();
  }
  ASSERT_EQ(watch.AlertCount(), 2);
  f.Watch().ShowTargetList();
  QTableView* table = f.Watch().TargetList()->View();
  table->setFocus(Qt::MouseFocusReason);
  QApplication::processEvents();
  ASSERT_EQ(QApplication::focusWidget(), table);
  PressKey(Qt::Key_A);
  EXPECT_TRUE(watch.Alert(0).acknowledged && watch.Alert(1).acknowledged);
  // A filter box keeps its letters: the key is typed there, not taken as the acknowledgement.
  QLineEdit* filter = f.Watch().TargetList()->FilterBox();
  filter->setFocus(Qt::MouseFocusReason);
  QApplication::processEvents();
  PressKey(Qt::Key_A);
  EXPECT_EQ(filter->text(), QStringLiteral("a"));
}

TEST_F(AppWindowTest, ThePointerReadOutAndTheDocksKeptAcrossARestart) {
  {
    AppWindow w(QuietSetup(home_.path()), clock_);
    Show(w, 1366, 768);
    TForm1& f = w.Form();
    f.Paint1Paint();
    QWidget* paint = f.PaintWidget();
    const QPoint middle(paint->width() / 2, paint->height() / 2);
    QTest::mouseMove(paint, middle);
    QApplication::processEvents();
    w.RefreshPanels();
    // The view's centre, in degrees and minutes; no range and bearing before a fix.
    double lat = 0, lon = 0;
    ASSERT_TRUE(f.PointerPosition(lat, lon));
    EXPECT_NEAR(lat, f.Frame().View().centerLat, 0.01);
    EXPECT_TRUE(w.PointerLabel()->text().startsWith(QString::fromUtf8("34°"))) << w.PointerLabel()->text().toStdString();
    EXPECT_FALSE(w.PointerLabel()->text().contains(QString::fromUtf8("自船から")));
    f.IntakeChain().ProcessSentence("$GPRMC,120000,A,3440.000,N,13515.000,E,0.0,0.0,081226,,,A*00");
    w.RefreshPanels();
    EXPECT_TRUE(w.PointerLabel()->text().contains(QString::fromUtf8("自船から"))) << w.PointerLabel()->text().toStdString();

    // The list floated, the watch moved to the left: kept in the settings file at close.
    w.Form().Watch().ShowTargetList();
    w.Dock("DockTargetList")->setFloating(true);
    w.addDockWidget(Qt::LeftDockWidgetArea, w.Dock("DockWatch"));
    QApplication::processEvents();
    w.close();
  }
  AppWindow again(QuietSetup(home_.path()), clock_);
  again.Form().StopDrivers();
  EXPECT_TRUE(again.Dock("DockTargetList")->isFloating());
  EXPECT_FALSE(again.Dock("DockTargetList")->isHidden());
  EXPECT_EQ(again.dockWidgetArea(again.Dock("DockWatch")), Qt::LeftDockWidgetArea);
}

// The docks drive the form's own recorder and the watch's choices, and set the outputs.
TEST_F(AppWindowTest, TheDocksDriveTheRecorderTheOutputsAndTheShipChoices) {
  AppWindow w(QuietSetup(home_.path()), clock_);
  Show(w, 1366, 768);
  TForm1& f = w.Form();

  ASSERT_FALSE(f.Recording());
  w.Record()->RecordButton()->click();
  EXPECT_TRUE(f.Recording());
  EXPECT_TRUE(f.PaintWidget()->findChild<QLabel*>(QStringLiteral("RecordingMark"))->isVisibleTo(&w));
  w.Record()->RecordButton()->click();
  EXPECT_FALSE(f.Recording());

  OutputsPanel* panel = w.OutputsView();
  ASSERT_NE(panel, nullptr);
  panel->NamesBox()->setPlainText(QStringLiteral("udp:127.0.0.1:9\nbogus:1"));
  EXPECT_FALSE(panel->Apply());
  EXPECT_FALSE(panel->ErrorLabel()->text().isEmpty());
  EXPECT_EQ(w.Outputs().Count(), 0u);
  panel->NamesBox()->setPlainText(QStringLiteral("udp:127.0.0.1:9"));
  EXPECT_TRUE(panel->Apply());
  EXPECT_EQ(w.Outputs().Count(), 1u);
  EXPECT_EQ(panel->Table()->rowCount(), 1);
  EXPECT_EQ(ReadOutputsSection(f.IniPath()).value_or(std::vector<std::string>{}), std::vector<std::string>{"udp:127.0.0.1:9"});
  // The source dialog leads to the outputs, in front of the tabs they share.
  w.Dock("DockShipCard")->raise();
  QApplication::processEvents();
  ASSERT_TRUE(w.Dock("DockOutputs")->visibleRegion().isEmpty());
  f.OpenSourceDialog();
  f.SourceDialogWindow()->OutputsButton()->click();
  QApplication::processEvents();
  EXPECT_FALSE(w.Dock("DockOutputs")->visibleRegion().isEmpty());
  EXPECT_TRUE(w.Dock("DockShipCard")->visibleRegion().isEmpty());
  f.SourceDialogWindow()->close();

  // Follow a ship from its card; a distress beacon's card offers no "ignore".
  const struct {
    int32_t mmsi;
    bool ignorable;
  } ships[] = {{431000777, true}, {970123456, false}};
  for (const auto& ship : ships) {
    f.IntakeChain().ProcessSentence(PositionReport(ship.mmsi, 34.7, 135.3, 10, 225).c_str());
    f.SelectShipFromList(f.Table().FindShip(ship.mmsi));
    auto* ignore = w.findChild<QPushButton*>(QStringLiteral("ButtonIgnore"));
    EXPECT_EQ(ignore->isEnabled(), ship.ignorable) << ship.mmsi;
    w.findChild<QPushButton*>(QStringLiteral("ButtonFollow"))->click();
    EXPECT_EQ(f.Watch().ShipChoiceOf(ship.mmsi), ShipChoice::Follow) << ship.mmsi;
    EXPECT_EQ(w.Card()->findItems(QString::fromUtf8("追従（衝突警報なし）"), Qt::MatchExactly).size(), 1) << ship.mmsi;
  }

  // A weather station's row in the list shows its values in the card (gpsd's FI 11 sample).
  f.IntakeChain().ProcessSentence("!AIVDM,1,1,4,B,8>jR06@0Bk3:wOli;<`WPhh<1rqVBQf2V@Pdt0J82avIM2b<<Rv1t<ot=@1,2*54");
  ASSERT_EQ(f.IntakeChain().decoders.Weather().Count(), 1);
  f.Watch().TargetList()->onActivate(f.Table().DynamicCount());
  EXPECT_EQ(w.Card()->findItems(QString::fromUtf8("気象観測所"), Qt::MatchExactly).size(), 1);
  EXPECT_EQ(w.Card()->findItems(QString::fromUtf8("1024 hPa"), Qt::MatchExactly).size(), 1);
  f.SelectShipFromList(f.Table().FindShip(431000777));  // back to a ship
  EXPECT_EQ(w.Card()->findItems(QStringLiteral("431000777"), Qt::MatchExactly).size(), 1);
  // A click on the station's symbol on the chart shows its card again.
  const WeatherStation& station = f.IntakeChain().decoders.Weather().At(0);
  ASSERT_TRUE(station.used);
  ViewState& view = f.Frame().View();
  view.fitAllShips = view.centerOnOwnShip = false;
  view.centerLat = station.Lat();
  view.centerLon = station.Lon();
  f.Paint1Paint();
  QWidget* paint = f.PaintWidget();
  QTest::mouseClick(paint, Qt::LeftButton, {}, QPoint(paint->width() / 2, paint->height() / 2));
  EXPECT_EQ(w.Card()->findItems(QString::fromUtf8("気象観測所"), Qt::MatchExactly).size(), 1);
}

}  // namespace
}  // namespace aismon
