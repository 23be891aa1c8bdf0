#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <cmath>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/builtin_lists.h"
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
  for (int i = 1; i < kDefaultDynamicEntries; ++i)
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

// Complete single-fragment position reports from the built-in sample list.
std::vector<std::string> SampleReports(size_t n) {
  std::vector<std::string> out;
  for (const std::string& line : BuiltinMemoSample())
    if (line.rfind("!AIVDM,1,1,", 0) == 0 && out.size() < n) out.push_back(line);
  return out;
}

// The log controls change the working folder; tests put it back.
class PlaybackTest : public DemoTest {
 protected:
  void TearDown() override { std::filesystem::current_path(cwd_); }
  std::filesystem::path cwd_ = std::filesystem::current_path();
};

TEST_F(PlaybackTest, CancellingTheDialogChangesNothing) {
  TForm1 w(QuietSetup(home_.path()), clock_);
  w.StopDrivers();
  w.showMessage = [](const QString&) {};
  w.ButtonDemoClick();
  ASSERT_GT(StationsInTable(w.Table()), 0);
  ASSERT_GT(w.IntakeChain().counters.vdmCount, 0u);
  clock_.Advance(1234);
  int asked = 0;
  w.chooseLogFile = [&] {
    ++asked;
    return QString();
  };
  const int stations = StationsInTable(w.Table());
  const uint32_t vdm = w.IntakeChain().counters.vdmCount;
  const uint32_t rmcFixes = w.IntakeChain().counters.rmcFixCount;
  const uint32_t startTick = w.StartTick();
  DbDynamic ownBefore;
  w.Table().GetShip(0, ownBefore);
  w.LogPlayClick();
  w.Paint1Paint();
  DbDynamic own;
  w.Table().GetShip(0, own);
  struct Row {
    const char* name;
    std::function<bool()> holds;
  };
  const Row rows[] = {
      {"dialog asked once", [&] { return asked == 1; }},
      {"the stations stay", [&] { return StationsInTable(w.Table()) == stations; }},
      {"own ship stays", [&] { return own.MMSI == ownBefore.MMSI && own.Lat == ownBefore.Lat; }},
      {"vdm count kept", [&] { return w.IntakeChain().counters.vdmCount == vdm; }},
      {"rmc fix count kept", [&] { return w.IntakeChain().counters.rmcFixCount == rmcFixes; }},
      {"start tick kept", [&] { return w.StartTick() == startTick; }},
      {"nothing plays", [&] { return !w.LogPlayback().Playing(); }},
  };
  for (const Row& r : rows) EXPECT_TRUE(r.holds()) << r.name;
}

TEST_F(PlaybackTest, ThreeLineLogPlaysAndEndsWithOneBox) {
  const std::vector<std::string> reports = SampleReports(3);
  ASSERT_EQ(reports.size(), 3u);
  const std::filesystem::path log = home_.path() / "three.txt";
  {
    std::ofstream f(log, std::ios::binary);
    for (size_t i = 0; i < reports.size(); ++i) f << 1000 * (i + 1) << ":\t" << reports[i] << "\r\n";
  }
  TForm1 w(QuietSetup(home_.path()), clock_);
  w.StopDrivers();
  w.chooseLogFile = [&] { return QString::fromStdString(log.string()); };
  int boxes = 0;
  int stationsAtBox = -1;
  bool paintedDuringBox = false;
  w.showMessage = [&](const QString& text) {
    if (text == QString::fromUtf8("再生終了")) ++boxes;
    const uint32_t frames = w.IdlePasses();
    w.AppIdle();
    paintedDuringBox = w.IdlePasses() == frames + 1;
    stationsAtBox = StationsInTable(w.Table());
  };
  w.LogPlayClick();
  ASSERT_TRUE(w.LogPlayback().Playing());
  for (int i = 0; i < 100; ++i) {
    clock_.Advance(100);
    w.Timer100msTimer();
  }
  bool allStopped = true;
  for (int i = 1; i < kDefaultDynamicEntries; ++i) {
    const DbDynamic& d = w.Table().DynamicEntries()[i];
    if (d.Age != 0 && (d.Sog != 0 || d.Raw.RawSog != 0)) allStopped = false;
  }
  struct Row {
    const char* name;
    std::function<bool()> holds;
  };
  const Row rows[] = {
      {"end box shown once", [&] { return boxes == 1; }},
      {"painting goes on while the box is open", [&] { return paintedDuringBox; }},
      {"the played ships are in the table", [&] { return stationsAtBox > 0; }},
      {"playback over", [&] { return !w.LogPlayback().Playing(); }},
      {"live data flag cleared", [&] { return !w.LiveDataFlag(); }},
      {"ships stopped", [&] { return allStopped; }},
      {"vdm sentences counted", [&] { return w.IntakeChain().counters.vdmCount == 3u; }},
  };
  for (const Row& r : rows) EXPECT_TRUE(r.holds()) << r.name;
}

struct ClickRow {
  const char* name;
  std::function<void(TForm1&)> click;
  std::function<bool(TForm1&, int boxes, int asked)> holds;
};

// The controls themselves reach their handlers.
TEST_F(PlaybackTest, ControlsReachTheirHandlers) {
  const ClickRow rows[] = {
      {"demo button runs the demo", [](TForm1& w) { w.DemoButton()->click(); },
       [](TForm1& w, int boxes, int) { return boxes == 1 && w.Frame().View().centerOnOwnShip; }},
      {"log button asks for a file", [](TForm1& w) { w.findChild<QToolButton*>(QStringLiteral("LogPlay"))->click(); },
       [](TForm1&, int boxes, int asked) { return asked == 1 && boxes == 0; }},
  };
  for (const ClickRow& r : rows) {
    SCOPED_TRACE(r.name);
    TForm1 w(QuietSetup(home_.path()), clock_);
    w.StopDrivers();
    int boxes = 0;
    int asked = 0;
    w.showMessage = [&](const QString&) { ++boxes; };
    w.chooseLogFile = [&] {
      ++asked;
      return QString();
    };
    r.click(w);
    EXPECT_TRUE(r.holds(w, boxes, asked));
  }
}

struct SpeedRow {
  const char* name;
  int tag;
};

TEST_F(PlaybackTest, SpeedButtonsSetTheirTagWhilePlaying) {
  const SpeedRow rows[] = {{"x1", 1}, {"x2", 2}, {"x10", 10}};
  const std::filesystem::path log = home_.path() / "speed.txt";
  {
    std::ofstream f(log, std::ios::binary);
    for (int i = 0; i < 5; ++i) f << 1000 * (i + 1) << ":\tx\r\n";
  }
  for (const SpeedRow& r : rows) {
    SCOPED_TRACE(r.name);
    TForm1 w(QuietSetup(home_.path()), clock_);
    w.StopDrivers();
    w.PlaySpeedClick(w.SpeedButton(r.tag));
    EXPECT_EQ(w.LogPlayback().PlaybackSpeed(), 1) << "nothing changes without a playback";
    w.chooseLogFile = [&] { return QString::fromStdString(log.string()); };
    w.LogPlayClick();
    ASSERT_TRUE(w.LogPlayback().Playing());
    EXPECT_EQ(w.LogPlayback().PlaybackSpeed(), 1) << "a new playback starts at x1";
    w.SpeedButton(r.tag)->click();
    EXPECT_EQ(w.LogPlayback().PlaybackSpeed(), r.tag);
  }
}

}  // namespace
}  // namespace aismon
