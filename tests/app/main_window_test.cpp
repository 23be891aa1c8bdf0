#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QToolButton>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <fstream>
#include <sstream>

#include "chart/chart_frame.h"
#include "shipdb/ship_db_files.h"
#include "support/temp_files.h"
#include "support/wait_until.h"

namespace aismon {
namespace {

using testing::TempFolder;

// One widget application for the whole test program, made before the first test and
// destroyed after the last one, while everything it cleans up after is still alive.
class WidgetAppEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (QCoreApplication::instance() != nullptr) return;
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    app_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[13] = "aisapp_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] const ::testing::Environment* const kWidgetApp =
    ::testing::AddGlobalTestEnvironment(new WidgetAppEnvironment);

// Every port mapped into the test folder, where nothing answers, unless a row says otherwise.
WindowSetup IsolatedSetup(const std::filesystem::path& home, std::map<int, std::string> ports = {}) {
  WindowSetup s;
  s.programFolder = home;
  for (int n = 1; n <= kPortCount; ++n)
    if (!ports.count(n)) ports[n] = (home / ("no-such-port-" + std::to_string(n))).string();
  s.portsFromCommandLine = ports;
  return s;
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr); }
  TempFolder home_;
  ManualClock clock_{100000};
};

TEST_F(MainWindowTest, Caption) {
  TForm1 w(IsolatedSetup(home_.path()), clock_);
  w.StopDrivers();
  EXPECT_EQ(w.windowTitle(), QString::fromUtf8("AIS（VDM,RMC）モニター  (2025.12.17版) "));
}

struct ControlRow {
  const char* name;
  const char* caption;  // nullptr: not checked
  QRect geometry;
  bool hidden;
  bool enabled;
  int checked;  // -1: not a check box
};

TEST_F(MainWindowTest, ControlsAtStart) {
  TForm1 w(IsolatedSetup(home_.path()), clock_);
  w.StopDrivers();
  const ControlRow rows[] = {
      {"Panel1", nullptr, {735, 292, 213, 259}, false, true, -1},
      {"CkBigIcon", "船アイコン(大)", {19, 9, 169, 20}, false, true, 1},
      {"CkLatLonLine", "緯線／経線", {19, 34, 175, 20}, false, true, 1},
      {"CkCircle", "レンジサークル", {19, 58, 169, 20}, false, false, 1},
      {"CkDispCourse", "コース (５分後)", {19, 82, 166, 20}, false, true, 1},
      {"CkDispWake", "航跡（50点）", {19, 105, 137, 20}, false, true, 1},
      {"RgWakeStep", "航跡間隔(sec)", {33, 129, 154, 45}, false, true, -1},
      {"PanelAllShip", "全船表示", {8, 184, 102, 28}, false, true, -1},
      {"PanelMyPos", "自船中心", {117, 184, 87, 28}, true, true, -1},
      {"PanelHeadingUp", "Heading-Up", {8, 218, 103, 28}, true, true, -1},
      {"PanelNorthUp", "North-Up", {118, 218, 87, 28}, true, true, -1},
      {"ButtonDemo", "デモ表示する", {48, 224, 113, 25}, false, true, -1},
      {"PanelDbg", nullptr, {735, 732, 213, 203}, true, true, -1},
      {"GboxRMC", "RMC採用値", {28, 4, 153, 60}, false, true, -1},
      {"CkRmcSog", "SOG", {10, 26, 57, 25}, false, true, 1},
      {"CkRmcHdg", "HDG", {81, 26, 57, 25}, false, true, 1},
      {"CkVdoEnable", "VDOを受信する", {26, 74, 163, 22}, false, true, 0},
      {"COM_Reset", "COM-RESET", {33, 104, 151, 24}, false, true, -1},
      {"Panel2", nullptr, {2, 139, 209, 62}, false, true, -1},
      {"LogPlay", "ログ再生", {6, 7, 69, 29}, false, true, -1},
      {"SbtnPlay1", "x1", {83, 7, 34, 27}, false, true, 1},
      {"SbtnPlay2", "x2", {123, 7, 34, 27}, false, true, 0},
      {"SpeedButton2", "x10", {164, 7, 38, 27}, false, true, 0},
      {"lbDispRate", nullptr, {41, 40, 116, 24}, false, true, -1},
  };
  for (const ControlRow& r : rows) {
    SCOPED_TRACE(r.name);
    QWidget* c = w.findChild<QWidget*>(QString::fromLatin1(r.name));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->geometry(), r.geometry);
    EXPECT_EQ(c->isHidden(), r.hidden);
    EXPECT_EQ(c->isEnabled(), r.enabled);
    if (r.caption != nullptr) {
      QString text;
      if (auto* b = qobject_cast<QAbstractButton*>(c)) text = b->text();
      else if (auto* g = qobject_cast<QGroupBox*>(c)) text = g->title();
      else if (auto* l = qobject_cast<QLabel*>(c)) text = l->text();
      EXPECT_EQ(text, QString::fromUtf8(r.caption));
    }
    if (r.checked >= 0) {
      auto* b = qobject_cast<QAbstractButton*>(c);
      ASSERT_NE(b, nullptr);
      EXPECT_EQ(b->isChecked(), r.checked == 1);
    }
  }
  // The wake step group offers 2, 5 and 10 seconds with 5 chosen.
  const auto radios = w.findChild<QGroupBox*>("RgWakeStep")->findChildren<QRadioButton*>();
  ASSERT_EQ(radios.size(), 3);
  EXPECT_EQ(radios[0]->text(), "2");
  EXPECT_EQ(radios[1]->text(), "5");
  EXPECT_EQ(radios[2]->text(), "10");
  EXPECT_TRUE(radios[1]->isChecked());
  EXPECT_EQ(w.size(), QSize(967, 1022));
  EXPECT_EQ(w.findChild<QWidget*>("Paint1")->geometry(), w.rect());
}

struct ResizeRow {
  const char* name;
  int width;
  int height;
};

TEST_F(MainWindowTest, PanelsKeepTheirDistanceFromTheRightEdge) {
  TForm1 w(IsolatedSetup(home_.path()), clock_);
  w.StopDrivers();
  const ResizeRow rows[] = {{"wider", 1400, 1000}, {"narrower", 800, 700}, {"back", 967, 1022}};
  for (const ResizeRow& r : rows) {
    w.resize(r.width, r.height);
    QResizeEvent e(QSize(r.width, r.height), w.size());
    QApplication::sendEvent(&w, &e);
    EXPECT_EQ(w.findChild<QWidget*>("Panel1")->geometry(), QRect(r.width - 232, 292, 213, 259)) << r.name;
    EXPECT_EQ(w.findChild<QWidget*>("PanelDbg")->geometry(), QRect(r.width - 232, 732, 213, 203)) << r.name;
    EXPECT_EQ(w.findChild<QWidget*>("Paint1")->geometry(), QRect(0, 0, r.width, r.height)) << r.name;
  }
}

TEST_F(MainWindowTest, DefaultsAndViewCentreRoundTrip) {
  {
    TForm1 w(IsolatedSetup(home_.path()), clock_);
    w.StopDrivers();
    EXPECT_DOUBLE_EQ(w.Frame().View().centerLat, 34.6666);
    EXPECT_DOUBLE_EQ(w.Frame().View().centerLon, 135.25);
    DbDynamic own;
    ASSERT_TRUE(w.Table().GetShip(0, own));
    EXPECT_EQ(own.MMSI, 599999999);
    EXPECT_DOUBLE_EQ(own.Lat, 34.6666);
    EXPECT_DOUBLE_EQ(own.Lon, 135.25);
    EXPECT_EQ(own.Sog, 0);
    EXPECT_TRUE(std::filesystem::is_directory(home_.path() / "DATA"));
    EXPECT_FALSE(std::filesystem::exists(w.IniPath()));
    w.Frame().View().centerLat = 35.4375;
    w.Frame().View().centerLon = 139.6812;
    w.close();
    EXPECT_TRUE(std::filesystem::exists(w.IniPath()));
  }
  TForm1 again(IsolatedSetup(home_.path()), clock_);
  again.StopDrivers();
  EXPECT_DOUBLE_EQ(again.Frame().View().centerLat, 35.4375);
  EXPECT_DOUBLE_EQ(again.Frame().View().centerLon, 139.6812);
  DbDynamic own;
  ASSERT_TRUE(again.Table().GetShip(0, own));
  EXPECT_DOUBLE_EQ(own.Lat, 35.4375);
  EXPECT_DOUBLE_EQ(own.Lon, 139.6812);
}

TEST_F(MainWindowTest, PortMappingInTheWindow) {
  std::filesystem::create_directories(home_.path() / "DATA");
  const std::string ini = "[Ports]\nCOM2=/dev/ttyS9\nCOM3=/dev/ttyS8\n";
  testing::WriteBytes(home_.path() / "DATA" / "aismon.ini", ini.data(), ini.size());
  WindowSetup s;
  s.programFolder = home_.path();
  s.portsFromCommandLine = {{3, "/tmp/from-command-line"}};
  TForm1 w(s, clock_);
  w.StopDrivers();
  struct Row {
    const char* name;
    int n;
    const char* device;
  } rows[] = {
      {"default_usb", 1, "/dev/ttyUSB0"},
      {"ini", 2, "/dev/ttyS9"},
      {"command_line_over_ini", 3, "/tmp/from-command-line"},
      {"default_acm", 12, "/dev/ttyACM1"},
  };
  for (const Row& r : rows) EXPECT_EQ(w.Ports().Device(r.n), r.device) << r.name;
}

TEST_F(MainWindowTest, RateLabel) {
  struct Row {
    const char* name;
    uint32_t frames;
    const char* text;
  } rows[] = {{"zero", 0, "表示周期： 0Hz"}, {"one_digit", 7, "表示周期： 7Hz"}, {"two_digits", 60, "表示周期：60Hz"},
              {"three_digits", 125, "表示周期：125Hz"}};
  for (const Row& r : rows) EXPECT_EQ(DisplayRateText(r.frames), QString::fromUtf8(r.text)) << r.name;

  TForm1 w(IsolatedSetup(home_.path()), clock_);
  w.StopDrivers();
  auto* label = w.findChild<QLabel*>("lbDispRate");
  ASSERT_NE(label, nullptr);
  auto tick = [&] {
    clock_.Advance(100);
    w.Timer100msTimer();
  };
  tick();
  for (int i = 0; i < 3; ++i) w.AppIdle();
  for (int t = 2; t <= 9; ++t) tick();
  EXPECT_EQ(label->text(), QString());  // set only once a second
  tick();
  EXPECT_EQ(label->text(), QString::fromUtf8("表示周期： 3Hz"));
  tick();
  for (int i = 0; i < 12; ++i) w.AppIdle();
  for (int t = 2; t <= 10; ++t) tick();
  EXPECT_EQ(label->text(), QString::fromUtf8("表示周期：12Hz"));
  EXPECT_EQ(w.TimerTicks(), 20u);
  EXPECT_EQ(w.IdlePasses(), 15u);

  // Thirty seconds of frames every 10 ms while the timer stood still (a modal box): the
  // label shows the last real second, not everything since it was last set.
  for (int i = 0; i < 3000; ++i) {
    clock_.Advance(10);
    w.AppIdle();
  }
  w.Timer100msTimer();  // tick 21: no label
  for (int t = 22; t <= 30; ++t) w.Timer100msTimer();
  EXPECT_EQ(label->text(), QString::fromUtf8("表示周期：100Hz"));
}

TEST_F(MainWindowTest, TimerCopiesTheReceiveOptions) {
  TForm1 w(IsolatedSetup(home_.path()), clock_);
  w.StopDrivers();
  EXPECT_FALSE(w.IntakeChain().options.rmcSogEnabled);  // until the first tick
  w.findChild<QCheckBox*>("CkRmcHdg")->setChecked(false);
  w.findChild<QCheckBox*>("CkVdoEnable")->setChecked(true);
  w.Timer100msTimer();
  EXPECT_TRUE(w.IntakeChain().options.rmcSogEnabled);
  EXPECT_FALSE(w.IntakeChain().options.rmcHdgEnabled);
  EXPECT_TRUE(w.IntakeChain().options.vdoEnabled);
}

struct Station {
  int32_t mmsi;
  const char* name;  // the static record's Name, blanks included
};

TEST_F(MainWindowTest, SentencesFromAPseudoTerminalReachTheSavedDatabase) {
  std::ifstream in(std::string(AISMON_TEST_DATA_DIR) + "/intake_sample.nmea", std::ios::binary);
  std::stringstream sample;
  sample << in.rdbuf();
  const std::string bytes = sample.str();
  ASSERT_FALSE(bytes.empty());
  // Decoded by the idle passes, or only read when the window closes: saved either way.
  for (const bool idlePasses : {true, false}) {
    SCOPED_TRACE(idlePasses ? "decoded by the idle passes" : "read, not yet decoded, at the close");
    TempFolder home;
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    {
      SteadyClock clock;
      TForm1 w(IsolatedSetup(home.path(), {{1, ptsname(master)}}), clock);
      w.StopDrivers();
      ASSERT_TRUE(w.Ports().IsOpen(1));
      ASSERT_EQ(write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
      const auto named = [&](int32_t mmsi) {
        const DbStatic* st = w.Table().StaticEntries();
        for (int i = 1; i < kStaticEntries; ++i)
          if (st[i].MMSI == mmsi && st[i].Name[0] != '\0') return true;
        return false;
      };
      if (idlePasses) {
        EXPECT_TRUE(testing::StepUntil([&] { w.AppIdle(); }, [&] { return named(538008984) && named(271041815); }));
      } else {
        EXPECT_TRUE(testing::StepUntil([] {}, [&] { return w.Ports().Waiting(1) == bytes.size(); }));
        EXPECT_EQ(w.IntakeChain().counters.vdmCount, 0u);
      }
      w.close();
    }
    close(master);

    ManualClock clock;
    ShipTable saved(clock);
    LoadShipDb(saved, home.path());
    const Station stations[] = {{538008984, "LEONARDO            "}, {271041815, "PROGUY              "}};
    for (const Station& s : stations) {
      bool existed = false;
      const int i = saved.FindOrAddStatic(s.mmsi, &existed);
      EXPECT_TRUE(existed) << s.mmsi;
      EXPECT_EQ(std::string(saved.StaticEntries()[i].Name), s.name) << s.mmsi;
    }
  }
}

std::string ReadSample() {
  std::ifstream in(std::string(AISMON_TEST_DATA_DIR) + "/intake_sample.nmea", std::ios::binary);
  std::stringstream sample;
  sample << in.rdbuf();
  return sample.str();
}

TEST_F(MainWindowTest, WatchBoxIsRaisedOutsideDecodingAndTheReadingGoesOn) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const std::string sample = ReadSample();
  ASSERT_FALSE(sample.empty());

  SteadyClock clock;
  TForm1 w(IsolatedSetup(home_.path(), {{1, ptsname(master)}}), clock);
  w.StopDrivers();
  ASSERT_TRUE(w.Ports().IsOpen(1));
  // A watched station of the sample, heard before: its first report announces it. (Its
  // second report in the sample is the same message a moment later, decoded once.)
  w.Table().FindOrAddShip(431023494);
  w.Table().FindOrAddStaticEntry(431023494).Watch = 1;

  int boxes = 0;
  QString title, text;
  uint32_t vdmInside = 0, vdmAfterNestedPasses = 0, passesBefore = 0, passesAfter = 0;
  QTimer inspector;  // runs inside the box's modal loop
  inspector.setInterval(0);
  QObject::connect(&inspector, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    ++boxes;
    title = box->windowTitle();
    text = box->text();
    vdmInside = w.IntakeChain().counters.vdmCount;
    passesBefore = w.IdlePasses();
    ASSERT_EQ(write(master, sample.data(), sample.size()), static_cast<ssize_t>(sample.size()));
    for (int i = 0; i < 5; ++i) {
      usleep(5000);
      w.AppIdle();
    }
    vdmAfterNestedPasses = w.IntakeChain().counters.vdmCount;
    passesAfter = w.IdlePasses();
    box->done(0);
  });
  inspector.start();

  ASSERT_EQ(write(master, sample.data(), sample.size()), static_cast<ssize_t>(sample.size()));
  testing::StepUntil([&] { w.AppIdle(); }, [&] { return boxes != 0; });
  inspector.stop();
  close(master);
  ASSERT_EQ(boxes, 1);
  EXPECT_EQ(title, QString::fromUtf8("情報"));
  EXPECT_TRUE(text.startsWith(QString::fromUtf8("注目船が見付かりました。(#"))) << text.toStdString();
  // The ports are read and decoded while the box is up, and every nested pass paints.
  EXPECT_GT(vdmAfterNestedPasses, vdmInside);
  EXPECT_EQ(passesAfter, passesBefore + 5);
  EXPECT_EQ(w.Table().FindOrAddStaticEntry(431023494).Watch, 2);
}

TEST_F(MainWindowTest, ReceiveLogFailureAtCloseIsShownWithoutHoldingTheClose) {
  // A file where the data folder should be: nothing can be written into it.
  testing::WriteBytes(home_.path() / "DATA", "x", 1);
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const std::string sample = ReadSample();

  SteadyClock clock;
  TForm1 w(IsolatedSetup(home_.path(), {{1, ptsname(master)}}), clock);
  w.StopDrivers();
  w.show();
  w.findChild<QWidget*>("PanelDbg")->show();  // the log is written only with the debug panel up
  ASSERT_EQ(write(master, sample.data(), sample.size()), static_cast<ssize_t>(sample.size()));
  testing::StepUntil([&] { w.AppIdle(); }, [&] { return w.IntakeChain().counters.vdmCount >= 15; });
  close(master);
  ASSERT_GE(w.IntakeChain().counters.vdmCount, 15u);
  EXPECT_EQ(w.findChild<QMessageBox*>("ReceiveLogError"), nullptr);
  EXPECT_TRUE(w.close());
  EXPECT_FALSE(w.isVisible());
  auto* box = w.findChild<QMessageBox*>("ReceiveLogError");
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->isVisible());
  EXPECT_FALSE(box->isModal());
  EXPECT_FALSE(box->text().isEmpty());
}

TEST_F(MainWindowTest, MaximisedOnTheSecondTickOnly) {
  TForm1 w(IsolatedSetup(home_.path()), clock_);
  w.StopDrivers();
  w.show();
  w.Timer100msTimer();
  EXPECT_FALSE(w.isMaximized()) << "tick 1";
  w.Timer100msTimer();
  EXPECT_TRUE(w.isMaximized()) << "tick 2";
  w.showNormal();
  for (int t = 3; t <= 40; ++t) w.Timer100msTimer();
  EXPECT_FALSE(w.isMaximized()) << "after tick 2";
}

TEST_F(MainWindowTest, WakeClockFollowsTheWakeStep) {
  TForm1 w(IsolatedSetup(home_.path()), clock_);
  w.StopDrivers();
  struct Row {
    const char* name;
    int button;  // 0: 2 s, 1: 5 s, 2: 10 s
    int ticks;
    int advances;
  } rows[] = {{"two_seconds", 0, 100, 5}, {"five_seconds", 1, 100, 2}, {"ten_seconds", 2, 100, 1},
              {"five_seconds_short", 1, 49, 0}};
  const auto radios = w.findChild<QGroupBox*>("RgWakeStep")->findChildren<QRadioButton*>();
  ASSERT_EQ(radios.size(), 3);
  for (const Row& r : rows) {
    radios[r.button]->setChecked(true);
    // Start each row on a tick that is a multiple of every step.
    while (w.TimerTicks() % 100 != 0) w.Timer100msTimer();
    const int before = w.Table().wakeHead;
    for (int i = 0; i < r.ticks; ++i) w.Timer100msTimer();
    EXPECT_EQ((w.Table().wakeHead - before + 480) % 480, r.advances) << r.name;
  }
}

TEST_F(MainWindowTest, PortsRetriedEveryThreeSecondsAndOnReset) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const auto link = home_.path() / "receiver";  // not there at start: "unplugged"
  TForm1 w(IsolatedSetup(home_.path(), {{2, link.string()}}), clock_);
  w.StopDrivers();
  EXPECT_FALSE(w.Ports().IsOpen(2));
  std::filesystem::create_symlink(ptsname(master), link);  // "plugged in"
  struct Row {
    const char* name;
    int lastTick;
    bool open;
  } rows[] = {{"ticks_1_to_4", 4, false}, {"tick_5", 5, true}};
  for (const Row& r : rows) {
    while (w.TimerTicks() < static_cast<uint32_t>(r.lastTick)) w.Timer100msTimer();
    EXPECT_EQ(w.Ports().IsOpen(2), r.open) << r.name;
  }
  // COM-RESET closes and reopens every port, then waits 100 ms and turns grey again.
  w.Ports().ClosePort(2);
  const uint32_t before = clock_.TickMs();
  w.COM_ResetClick();
  EXPECT_TRUE(w.Ports().IsOpen(2));
  EXPECT_EQ(clock_.TickMs() - before, 100u);
  EXPECT_EQ(w.findChild<PanelButton*>("COM_Reset")->Color(), QColor(128, 128, 128));
  close(master);
}

TEST_F(MainWindowTest, PanelColours) {
  TForm1 w(IsolatedSetup(home_.path()), clock_);
  w.StopDrivers();
  const QColor active(204, 128, 204), inactive(128, 128, 128), navy(0, 0, 128);
  struct Row {
    const char* name;
    bool fitAll;
    bool onOwn;
    OrientationMode mode;
    QColor allShip, myPos, headingUp, northUp;
  } rows[] = {
      {"start", true, false, OrientationMode::NorthUp, active, inactive, inactive, active},
      {"own_ship_heading_up", false, true, OrientationMode::HeadingUp, inactive, active, active, inactive},
      {"free_rotation", false, false, OrientationMode::FreeRotation, inactive, inactive, inactive, inactive},
  };
  for (const Row& r : rows) {
    ViewState& v = w.Frame().View();
    v.fitAllShips = r.fitAll;
    v.centerOnOwnShip = r.onOwn;
    v.orientationMode = r.mode;
    w.AppIdle();
    EXPECT_EQ(w.findChild<PanelButton*>("PanelAllShip")->Color(), r.allShip) << r.name;
    EXPECT_EQ(w.findChild<PanelButton*>("PanelMyPos")->Color(), r.myPos) << r.name;
    EXPECT_EQ(w.findChild<PanelButton*>("PanelHeadingUp")->Color(), r.headingUp) << r.name;
    EXPECT_EQ(w.findChild<PanelButton*>("PanelNorthUp")->Color(), r.northUp) << r.name;
  }
  // The RMC group greys out while VDO is taken.
  auto* vdo = w.findChild<QCheckBox*>("CkVdoEnable");
  auto* group = w.findChild<QGroupBox*>("GboxRMC");
  vdo->click();
  EXPECT_EQ(group->palette().color(QPalette::Window), inactive);
  vdo->click();
  EXPECT_EQ(group->palette().color(QPalette::Window), navy);
}

TEST_F(MainWindowTest, ViewFollowsOwnShipOnlyWhenAskedTo) {
  TForm1 w(IsolatedSetup(home_.path()), clock_);
  w.StopDrivers();
  DbDynamic own;
  ASSERT_TRUE(w.Table().GetShip(0, own));
  own.Lat = 34.25;
  own.Lon = 135.5;
  w.Table().PutShip(0, own);
  ViewState& v = w.Frame().View();
  v.fitAllShips = false;
  v.centerOnOwnShip = false;
  v.centerLat = 34.6;
  v.centerLon = 135.1;
  w.AppIdle();
  EXPECT_DOUBLE_EQ(v.centerLat, 34.6) << "not following";
  EXPECT_DOUBLE_EQ(v.centerLon, 135.1) << "not following";
  v.centerOnOwnShip = true;
  w.AppIdle();
  EXPECT_DOUBLE_EQ(v.centerLat, 34.25) << "following";
  EXPECT_DOUBLE_EQ(v.centerLon, 135.5) << "following";
}

TEST_F(MainWindowTest, CheckBoxesReachTheFrame) {
  TForm1 w(IsolatedSetup(home_.path()), clock_);
  w.StopDrivers();
  w.AppIdle();
  const QImage withGrid = w.FrameImage().copy();
  ASSERT_EQ(withGrid.size(), w.findChild<QWidget*>("Paint1")->size());
  w.findChild<QCheckBox*>("CkLatLonLine")->setChecked(false);
  w.AppIdle();
  const QImage withoutGrid = w.FrameImage().copy();
  EXPECT_NE(withGrid, withoutGrid);
  w.findChild<QCheckBox*>("CkLatLonLine")->setChecked(true);
  w.AppIdle();
  EXPECT_EQ(w.FrameImage(), withGrid);
}

}  // namespace
}  // namespace aismon
