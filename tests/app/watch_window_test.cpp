// The watch in the window on the offscreen platform: a crossing ship fed through the
// intake alarms once, shows in the chart's alert panel and the target list, is
// acknowledged by a click on the panel or the A key, and nothing modal opens; the list's
// sort and filter against a plain model; the limits kept in the settings file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QHeaderView>
#include <QTableView>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "app/main_window.h"
#include "app/target_list_window.h"
#include "app/watch_controller.h"
#include "chart/chart_frame.h"
#include "support/payload_builder.h"
#include "support/temp_files.h"
#include "watch/traffic_watch.h"
#include "watch/watch_settings.h"

namespace aismon {
namespace {

using testing::PayloadBuilder;
using testing::TempFolder;

WindowSetup Isolated(const std::filesystem::path& home) {
  WindowSetup s;
  s.programFolder = home;
  for (int n = 1; n <= kPortCount; ++n) s.portsFromCommandLine[n] = (home / ("none-" + std::to_string(n))).string();
  return s;
}

// A class A position report (message 1).
std::string PositionReport(int32_t mmsi, double lat, double lon, double sog, double cog) {
  PayloadBuilder b(168);
  b.Set(1, 6, 1).Set(9, 38, mmsi).Set(39, 42, 0).Set(43, 50, -128).Set(51, 60, static_cast<int>(sog * 10));
  b.Set(62, 89, std::lround(lon * 600000)).Set(90, 116, std::lround(lat * 600000));
  b.Set(117, 128, static_cast<int>(cog * 10)).Set(129, 137, static_cast<int>(cog)).Set(138, 143, 10);
  return b.Sentence();
}

bool AnythingModal() {
  if (QApplication::activeModalWidget() != nullptr) return true;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && (qobject_cast<QDialog*>(w) != nullptr || w->isModal())) return true;
  return false;
}

class WatchWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr); }
  void Seconds(TForm1& w, int s) {
    for (int i = 0; i < 10 * s; ++i) {
      clock_.Advance(100);
      w.Timer100msTimer();
    }
    w.Paint1Paint();
  }
  TempFolder home_;
  ManualClock clock_{100000};
};

TEST_F(WatchWindowTest, CrossingShipAlarmsOnceShowsAndIsAcknowledged) {
  TForm1 w(Isolated(home_.path()), clock_);
  w.StopDrivers();
  w.resize(1000, 800);
  int sounds = 0;
  w.Watch().playSound = [&](AlarmSound) { ++sounds; };
  // Own ship still at 34 40 N 135 15 E; a ship 2 NM north, 2 NM east heading south-west
  // at 10 kn, straight at it: 17 minutes to go.
  w.IntakeChain().ProcessSentence("$GPRMC,120000,A,3440.000,N,13515.000,E,0.0,0.0,081226,,,A*00");
  const double lat = 34 + 40.0 / 60 + 2.0 / 60, lon = 135.25 + 2.0 / 60 / 0.8217;
  w.IntakeChain().ProcessSentence(PositionReport(431000777, lat, lon, 10, 225).c_str());
  w.Paint1Paint();
  Seconds(w, 5);
  EXPECT_EQ(sounds, 1);
  const TrafficWatch& watch = *w.Watch().Watch();
  ASSERT_EQ(watch.AlertCount(), 1);
  EXPECT_EQ(watch.Alert(0).mmsi, 431000777);
  EXPECT_FALSE(AnythingModal());

  // The list: open from its button, beside the chart, the ship in it with its CPA.
  w.Watch().Panel()->findChild<QPushButton*>("ButtonTargetList")->click();
  TargetListWindow* list = w.Watch().TargetList();
  EXPECT_TRUE(list->isVisible());
  EXPECT_FALSE(AnythingModal());
  ASSERT_EQ(list->Proxy().rowCount(), 1);
  EXPECT_EQ(list->Proxy().index(0, kColMmsi).data().toString(), QStringLiteral("431000777"));
  EXPECT_EQ(list->Proxy().index(0, kColTcpa).data().toString().toDouble(), 0.0 + std::round(watch.Target(watch.Alert(0).slot).cpa.tcpaMin * 10) / 10);

  // A click on its panel row acknowledges it; further passes stay silent.
  EXPECT_FALSE(watch.Alert(0).acknowledged);
  w.Paint1MouseDown(Qt::LeftButton, Qt::LeftButton, 30, 28);  // the first row, below the header
  EXPECT_TRUE(watch.Alert(0).acknowledged);
  EXPECT_EQ(w.SelectedShip(), 0);  // the click was the panel's, not a selection
  Seconds(w, 3);
  EXPECT_EQ(sounds, 1);

  // Double-click in the list: the chart centres on the ship and selects it.
  const int slot = watch.Alert(0).slot;
  emit list->View()->doubleClicked(list->Proxy().index(0, kColName));
  EXPECT_EQ(w.SelectedShip(), slot);
  EXPECT_NEAR(w.Frame().View().centerLat, w.Table().DynamicEntries()[slot].Lat, 1e-9);
  EXPECT_FALSE(w.Frame().View().fitAllShips);
  EXPECT_FALSE(AnythingModal());
}

TEST_F(WatchWindowTest, KeyAcknowledgesAndLimitsAreKept) {
  {
    TForm1 w(Isolated(home_.path()), clock_);
    w.StopDrivers();
    int sounds = 0;
    w.Watch().playSound = [&](AlarmSound) { ++sounds; };
    w.IntakeChain().ProcessSentence("$GPRMC,120000,A,3440.000,N,13515.000,E,0.0,0.0,081226,,,A*00");
    w.IntakeChain().ProcessSentence(PositionReport(431000778, 34 + 41.0 / 60, 135.25, 10, 180).c_str());
    Seconds(w, 2);
    ASSERT_EQ(w.Watch().Watch()->AlertCount(), 1);
    w.FormKeyDown(Qt::Key_A, Qt::NoModifier);
    EXPECT_TRUE(w.Watch().Watch()->Alert(0).acknowledged);
    w.Watch().CpaBox()->setValue(0.5);
    w.Watch().RangeBox()->setValue(12);
    w.Watch().MuteBox()->setChecked(true);
    w.FormClose();
  }
  const WatchSettings s = ReadWatchSettings(home_.path() / "DATA" / "aismon.ini");
  EXPECT_EQ(s.limits.cpaNm, 0.5);
  EXPECT_EQ(s.limits.rangeNm, 12);
  EXPECT_TRUE(s.mute);
  TForm1 again(Isolated(home_.path()), clock_);
  again.StopDrivers();
  EXPECT_EQ(again.Watch().CpaBox()->value(), 0.5);
  EXPECT_TRUE(again.Watch().MuteBox()->isChecked());
  EXPECT_EQ(again.Watch().Watch()->Limits().rangeNm, 12);
}

// The sound repeats every 10 s until muted (and at once when unmuted); a followed ship no
// longer alarms but is listed as followed, an ignored one leaves the list, a beacon cannot
// be ignored; the alarm log has the alarm's lines and the choice survives a restart.
TEST_F(WatchWindowTest, RepeatedSoundShipChoicesAndAlarmLog) {
  constexpr int32_t kMmsi = 431000779;
  const char* rmc = "$GPRMC,120000,A,3440.000,N,13515.000,E,0.0,0.0,081226,,,A*00";
  {
    TForm1 w(Isolated(home_.path()), clock_);
    w.StopDrivers();
    std::vector<AlarmSound> sounds;
    w.Watch().playSound = [&](AlarmSound s) { sounds.push_back(s); };
    w.IntakeChain().ProcessSentence(PositionReport(kMmsi, 34 + 41.0 / 60, 135.25, 10, 180).c_str());
    auto run = [&](int seconds) {
      for (int i = 0; i < seconds; ++i) {
        w.IntakeChain().ProcessSentence(rmc);  // the GPS keeps giving fixes
        Seconds(w, 1);
      }
    };
    run(25);
    EXPECT_EQ(sounds, std::vector<AlarmSound>(3, AlarmSound::Collision));  // at once, after 10 s and 20 s
    w.Watch().MuteBox()->setChecked(true);
    run(15);
    EXPECT_EQ(sounds.size(), 3u);
    w.Watch().MuteBox()->setChecked(false);
    run(1);
    EXPECT_EQ(sounds.size(), 4u);

    EXPECT_TRUE(w.Watch().SetShipChoice(kMmsi, ShipChoice::Follow));
    EXPECT_EQ(w.Watch().Watch()->AlertCount(), 0);
    w.Watch().ShowTargetList();
    TargetListWindow* list = w.Watch().TargetList();
    ASSERT_EQ(list->Proxy().rowCount(), 1);
    EXPECT_EQ(list->Proxy().index(0, kColChoice).data().toString(), QString::fromUtf8("追従"));
    EXPECT_TRUE(w.Watch().SetShipChoice(kMmsi, ShipChoice::Ignore));
    EXPECT_EQ(list->Proxy().rowCount(), 0);
    // Shown again on request, marked, so that the choice can be undone from the list.
    list->ShowIgnoredBox()->click();
    run(1);
    ASSERT_EQ(list->Proxy().rowCount(), 1);
    EXPECT_EQ(list->Proxy().index(0, kColChoice).data().toString(), QString::fromUtf8("無視"));
    EXPECT_EQ(w.Watch().Watch()->AlertCount(), 0);
    EXPECT_FALSE(w.Watch().SetShipChoice(970000001, ShipChoice::Ignore));
    run(12);
    EXPECT_EQ(sounds.size(), 4u);
    w.FormClose();
  }
  std::ifstream in(home_.path() / "DATA" / "!Alarm260101.txt", std::ios::binary);
  const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(log.find("\t発生\t衝突警報\t431000779\t"), std::string::npos) << log;
  EXPECT_NE(log.find("\t解除\t衝突警報\t431000779\t"), std::string::npos) << log;
  TForm1 again(Isolated(home_.path()), clock_);
  again.StopDrivers();
  EXPECT_EQ(again.Watch().ShipChoiceOf(kMmsi), ShipChoice::Ignore);
}

// --- the list model against a plain model ------------------------------------------------

class TargetListModelTest : public ::testing::Test {
 protected:
  TargetListModelTest() : table(clock) {
    DbDynamic& own = table.DynamicEntries()[0];
    own.Lat = 34.6;
    own.Lon = 135.3;
    own.Sog = 8;
    counters.rmcFixCount = 1;
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(0, 1);
    const char* names[] = {"KAIYO MARU", "SEA BREEZE", "NORTHERN STAR", "", "SHIN KAIYO", "ASAHI"};
    for (int i = 0; i < 60; ++i) {
      const int32_t mmsi = i % 17 == 3 ? 970000100 + i : 431000000 + 37 * i;
      const int slot = table.FindOrAddShip(mmsi);
      DbDynamic& e = *table.Edit(slot);
      e.Age = 1 + static_cast<uint32_t>(u(rng) * 400000);
      e.Raw.PosState = i % 11 == 5 ? kPosStaticOnly : kPosReported;
      e.Lat = 34.6 + (u(rng) - 0.5) * 0.4;
      e.Lon = 135.3 + (u(rng) - 0.5) * 0.4;
      e.Sog = u(rng) * 15;
      e.Cog = u(rng) * 360;
      DbStatic& st = table.StaticOf(e.Link);
      std::snprintf(st.Name, sizeof st.Name, "%s", names[i % 6]);
      std::snprintf(st.Sign, sizeof st.Sign, "JD%03d", i * 7 % 1000);
      st.Type = static_cast<int16_t>(30 + i % 60);
      st.MsgNo = 1;
      table.Commit(slot);
    }
    watch.Pass(table, counters, options, clock.TickMs());
    model.Refresh(table, watch);
    proxy.setSourceModel(&model);
  }
  std::vector<int32_t> ProxySlots() const {
    std::vector<int32_t> v;
    for (int r = 0; r < proxy.rowCount(); ++r) v.push_back(model.Row(proxy.mapToSource(proxy.index(r, 0)).row()).slot);
    return v;
  }
  std::vector<int32_t> PlainSlots(int column, Qt::SortOrder order, const QString& filter) const {
    std::vector<TargetRow> rows;
    for (int r = 0; r < model.rowCount(); ++r)
      if (TargetMatches(model.Row(r), filter)) rows.push_back(model.Row(r));
    std::stable_sort(rows.begin(), rows.end(), [&](const TargetRow& a, const TargetRow& b) {
      if (a.beacon != b.beacon) return a.beacon;
      return order == Qt::AscendingOrder ? TargetLess(a, b, column) : TargetLess(b, a, column);
    });
    std::vector<int32_t> v;
    for (const TargetRow& r : rows) v.push_back(r.slot);
    return v;
  }

  ManualClock clock{5000};
  ShipTable table;
  IntakeCounters counters;
  ReceiveOptions options;
  TrafficWatch watch;
  TargetListModel model;
  TargetFilterProxy proxy;
};

TEST_F(TargetListModelTest, SortAndFilterAsAPlainModel) {
  ASSERT_EQ(model.rowCount(), 60);
  const QString filters[] = {"", "kaiyo", "MARU", "4310000", "jd0", "zzz"};
  for (const QString& f : filters) {
    proxy.SetFilterText(f);
    for (int column = 0; column < kTargetColumns; ++column) {
      for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
        SCOPED_TRACE(f.toStdString() + " column " + std::to_string(column) + (order ? " desc" : " asc"));
        proxy.sort(column, order);
        EXPECT_EQ(ProxySlots(), PlainSlots(column, order, f));
      }
    }
  }
}

TEST_F(TargetListModelTest, RefreshKeepsSortAndSelectionInView) {
  TargetListWindow win(nullptr);
  win.resize(700, 200);  // a few rows visible
  win.show();
  win.Refresh(table, watch);
  win.View()->sortByColumn(kColRange, Qt::AscendingOrder);
  win.View()->selectRow(6);  // rows 0..3 are the beacons, which sort first
  const int32_t selected = win.SelectedSlot();
  ASSERT_GT(selected, 0);
  ASSERT_FALSE(win.Model().Row(win.Model().RowOfSlot(selected)).beacon);
  // The selected station moves far out: it sorts last now, and stays selected and in view.
  DbDynamic& e = table.DynamicEntries()[selected];
  e.Lat += 0.5;
  clock.Advance(1000);
  watch.Pass(table, counters, options, clock.TickMs());
  win.Refresh(table, watch);
  QApplication::processEvents();
  EXPECT_EQ(win.SelectedSlot(), selected);
  EXPECT_EQ(win.View()->horizontalHeader()->sortIndicatorSection(), kColRange);
  const QModelIndex at = win.Proxy().mapFromSource(win.Model().index(win.Model().RowOfSlot(selected), 0));
  EXPECT_GT(at.row(), 40);  // the four beacons and the nearer ships first
  EXPECT_TRUE(win.View()->viewport()->rect().intersects(win.View()->visualRect(at)));
  // A station leaving the table leaves the list; the selection stays on its station.
  table.DynamicEntries()[model.Row(0).slot == selected ? model.Row(1).slot : model.Row(0).slot].Age = 0;
  win.Refresh(table, watch);
  EXPECT_EQ(win.Model().rowCount(), 59);
  EXPECT_EQ(win.SelectedSlot(), selected);
}

}  // namespace
}  // namespace aismon
