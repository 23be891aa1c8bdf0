#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "chart/chart_frame.h"
#include "support/temp_files.h"

namespace aismon {
namespace {

using testing::TempFolder;

// Ports mapped into the test folder, where nothing answers.
WindowSetup QuietSetup(const std::filesystem::path& home) {
  WindowSetup s;
  s.programFolder = home;
  for (int n = 1; n <= kPortCount; ++n) s.portsFromCommandLine[n] = (home / ("absent-" + std::to_string(n))).string();
  return s;
}

int StationsInTable(ShipTable& table) {
  int n = 0;
  for (int i = 1; i < kDynamicEntries; ++i)
    if (table.DynamicEntries()[i].Age != 0 && table.DynamicEntries()[i].MMSI != 0) ++n;
  return n;
}

class DemoTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr); }
  TempFolder home_;
  ManualClock clock_{200000};
};

TEST_F(DemoTest, StateAfterTheDemo) {
  TForm1 w(QuietSetup(home_.path()), clock_);
  w.StopDrivers();
  w.Paint1Paint();
  const bool demoShownBefore = !w.DemoButton()->isHidden();
  std::vector<QString> boxes;
  uint32_t tickAtBox = 0;
  w.showMessage = [&](const QString& text) {
    boxes.push_back(text);
    tickAtBox = clock_.TickMs();
  };
  const uint32_t start = clock_.TickMs();
  w.ButtonDemoClick();

  DbDynamic own;
  w.Table().GetShip(0, own);
  const ViewState& view = w.Frame().View();
  const double lat = 34.0 + 35.0 / 60.0;
  const double lon = 135.0 + 15.0 / 60.0;
  struct Row {
    const char* name;
    std::function<bool()> holds;
  };
  const Row rows[] = {
      {"demo button shown before the demo", [&] { return demoShownBefore; }},
      {"own ship latitude 34 35 N", [&] { return std::fabs(own.Lat - lat) < 1e-9; }},
      {"own ship longitude 135 15 E", [&] { return std::fabs(own.Lon - lon) < 1e-9; }},
      {"view centred on own ship latitude", [&] { return std::fabs(view.centerLat - lat) < 1e-9; }},
      {"view centred on own ship longitude", [&] { return std::fabs(view.centerLon - lon) < 1e-9; }},
      {"centre on own ship set", [&] { return view.centerOnOwnShip; }},
      {"fit all ships cleared", [&] { return !view.fitAllShips; }},
      {"17 stations in the table", [&] { return StationsInTable(w.Table()) == 17; }},
      {"one box", [&] { return boxes.size() == 1; }},
      {"the box says demo over", [&] { return !boxes.empty() && boxes[0] == QString::fromUtf8("デモ終了"); }},
      {"50 ms waited per sample line", [&] { return tickAtBox - start == 78u * 50u; }},
      {"demo button hidden afterwards", [&] { return w.DemoButton()->isHidden(); }},
  };
  for (const Row& r : rows) EXPECT_TRUE(r.holds()) << r.name;
  EXPECT_EQ(StationsInTable(w.Table()), 17);
}

// The closing box must not block painting: the idle pass runs while it is open.
TEST_F(DemoTest, IdlePassPaintsWhileTheBoxIsOpen) {
  TForm1 w(QuietSetup(home_.path()), clock_);
  w.StopDrivers();
  uint32_t before = 0;
  uint32_t after = 0;
  w.showMessage = [&](const QString&) {
    before = w.IdlePasses();
    w.AppIdle();
    after = w.IdlePasses();
  };
  w.ButtonDemoClick();
  EXPECT_EQ(after, before + 1);
}

// One frame is painted after each of the 78 sample lines, none more.
TEST_F(DemoTest, OneFramePerSampleLine) {
  TForm1 w(QuietSetup(home_.path()), clock_);
  w.StopDrivers();
  const uint32_t before = w.IdlePasses();
  uint32_t atBox = 0;
  w.showMessage = [&](const QString&) { atBox = w.IdlePasses(); };
  w.ButtonDemoClick();
  EXPECT_EQ(atBox, before + 78);
}

struct PanelRow {
  const char* name;
  bool myPos;  // which panel is clicked
  bool wantCenterOnOwn;
  bool wantFitAll;
};

TEST_F(DemoTest, PanelMyPosClickModes) {
  const PanelRow rows[] = {
      {"own ship centre", true, true, false},
      {"all ships", false, false, true},
  };
  for (const PanelRow& r : rows) {
    SCOPED_TRACE(r.name);
    TForm1 w(QuietSetup(home_.path()), clock_);
    w.StopDrivers();
    ViewState& v = w.Frame().View();
    v.centerOnOwnShip = !r.wantCenterOnOwn;
    v.fitAllShips = !r.wantFitAll;
    w.PanelMyPosClick(r.myPos ? static_cast<QObject*>(w.MyPosPanel()) : w.AllShipPanel());
    EXPECT_EQ(v.centerOnOwnShip, r.wantCenterOnOwn);
    EXPECT_EQ(v.fitAllShips, r.wantFitAll);
  }
}

}  // namespace
}  // namespace aismon
