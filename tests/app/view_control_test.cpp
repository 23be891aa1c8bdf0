#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QDoubleSpinBox>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QRadioButton>
#include <QWheelEvent>

#include <cmath>
#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "app/limit_spin_box.h"
#include "app/main_window.h"
#include "watch/range_bearing.h"
#include "chart/chart_frame.h"
#include "support/temp_files.h"

namespace aismon {
namespace {

using testing::TempFolder;

constexpr double kDegToRad = 3.14159265358979323846 / 180.0;

WindowSetup QuietSetup(const std::filesystem::path& home) {
  WindowSetup s;
  s.programFolder = home;
  for (int n = 1; n <= kPortCount; ++n) s.portsFromCommandLine[n] = (home / ("absent-" + std::to_string(n))).string();
  return s;
}

void SendMouse(QWidget* target, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QMouseEvent e(type, QPointF(p), QPointF(target->mapToGlobal(p)), button, buttons, mods);
  QCoreApplication::sendEvent(target, &e);
}

void SendWheel(QWidget* target, QPoint p, int delta, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
  QWheelEvent e(QPointF(p), QPointF(target->mapToGlobal(p)), QPoint(), QPoint(0, delta), buttons, mods,
                Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(target, &e);
}

void SendKey(QWidget* target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QKeyEvent e(QEvent::KeyPress, key, mods);
  QCoreApplication::sendEvent(target, &e);
}

class ViewControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
    w_ = std::make_unique<TForm1>(QuietSetup(home_.path()), clock_);
    w_->StopDrivers();
    ViewState& v = w_->Frame().View();
    v.fitAllShips = false;
    w_->Paint1Paint();  // frame geometry for the pixel-to-position conversions
    v.centerLat = 34.5;
    v.centerLon = 135.0;
    v.metersPerPixel = 15.0;
    v.fitAllShips = true;
    v.centerOnOwnShip = true;
  }
  ViewState& View() { return w_->Frame().View(); }
  TempFolder home_;
  ManualClock clock_{300000};
  std::unique_ptr<TForm1> w_;
};

struct KeyRow {
  const char* name;
  int key;
  Qt::KeyboardModifiers mods;
  int panDx, panDy;     // pixels, when the key pans
  double scaleFactor;   // metersPerPixel afterwards / before
  bool clearsModes;
};

TEST_F(ViewControlTest, ChartKeys) {
  const int W = w_->PaintWidget()->width();
  const int H = w_->PaintWidget()->height();
  ASSERT_GT(W / 60, 0);
  const KeyRow rows[] = {
      {"H pans left", Qt::Key_H, Qt::NoModifier, -(W / 60), 0, 1.0, true},
      {"J pans right", Qt::Key_J, Qt::NoModifier, W / 60, 0, 1.0, true},
      {"U pans up", Qt::Key_U, Qt::NoModifier, 0, -(H / 60), 1.0, true},
      {"N pans down", Qt::Key_N, Qt::NoModifier, 0, H / 60, 1.0, true},
      {"shifted H still pans", Qt::Key_H, Qt::ShiftModifier, -(W / 60), 0, 1.0, true},
      {"page up zooms in", Qt::Key_PageUp, Qt::NoModifier, 0, 0, 1.0 / 1.09, false},
      {"page down zooms out", Qt::Key_PageDown, Qt::NoModifier, 0, 0, 1.09, false},
      {"ctrl page down zooms out finely", Qt::Key_PageDown, Qt::ControlModifier, 0, 0, 1.01, false},
      {"left arrow looks west", Qt::Key_Left, Qt::NoModifier, W / 60, 0, 1.0, true},
      {"right arrow looks east", Qt::Key_Right, Qt::NoModifier, -(W / 60), 0, 1.0, true},
      {"up arrow looks north", Qt::Key_Up, Qt::NoModifier, 0, H / 60, 1.0, true},
      {"down arrow looks south", Qt::Key_Down, Qt::NoModifier, 0, -(H / 60), 1.0, true},
      {"plus zooms in", Qt::Key_Plus, Qt::ShiftModifier, 0, 0, 1.0 / 1.09, false},
      {"minus zooms out", Qt::Key_Minus, Qt::NoModifier, 0, 0, 1.09, false},
      {"other key does nothing", Qt::Key_K, Qt::NoModifier, 0, 0, 1.0, false},
  };
  for (const KeyRow& r : rows) {
    SCOPED_TRACE(r.name);
    SetUp();
    const double lat0 = View().centerLat, lon0 = View().centerLon, m0 = View().metersPerPixel;
    // Keys zoom about the middle of the paint box.
    double latM = 0, lonM = 0;
    PixelToLatLon(View(), W / 2, H / 2, latM, lonM);
    SendKey(w_.get(), r.key, r.mods);
    const double step = 3 * 15.0 / 1852 / 60;
    const double f = r.scaleFactor;
    EXPECT_NEAR(View().centerLat, latM + f * (lat0 - latM) + r.panDy * step, 1e-9);
    EXPECT_NEAR(View().centerLon, lonM + f * (lon0 - lonM) - r.panDx * step * std::cos(lat0 * kDegToRad), 1e-9);
    EXPECT_NEAR(View().metersPerPixel, m0 * r.scaleFactor, 1e-9);
    EXPECT_EQ(View().centerOnOwnShip, !r.clearsModes);
    EXPECT_EQ(View().fitAllShips, !r.clearsModes);
  }
}

// A click on the chart takes the keyboard from a limit field: the keys typed next move the
// chart and never change the limit (nor the settings file).
TEST_F(ViewControlTest, AClickOnTheChartTakesTheKeyboard) {
  w_->show();
  w_->activateWindow();
  QApplication::processEvents();
  auto* tcpa = w_->findChild<QDoubleSpinBox*>(QStringLiteral("SpinWatchTcpa"));
  ASSERT_NE(tcpa, nullptr);
  const double limit = tcpa->value();
  tcpa->setFocus(Qt::MouseFocusReason);  // as a click in the field leaves it
  ASSERT_TRUE(tcpa->hasFocus());
  const QPoint onChart(40, 300);
  SendMouse(w_->PaintWidget(), QEvent::MouseButtonPress, onChart, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  SendMouse(w_->PaintWidget(), QEvent::MouseButtonRelease, onChart, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  ASSERT_EQ(QApplication::focusWidget(), w_->PaintWidget());
  const double lon0 = View().centerLon;
  // Delivered where Qt delivers a real key: to the widget with the focus.
  SendKey(QApplication::focusWidget(), Qt::Key_Backspace);
  SendKey(QApplication::focusWidget(), Qt::Key_J);
  EXPECT_LT(View().centerLon, lon0) << "J pans the chart content right";
  EXPECT_EQ(tcpa->value(), limit);
  w_->hide();
}

// A limit field takes a value in its range on Enter, and refuses one outside it with the
// reason, keeping its value: typing 99 into TCPA (1 to 60 minutes) no longer gives 9.
TEST_F(ViewControlTest, ALimitFieldRefusesAValueOutOfItsRangeWithTheReason) {
  w_->show();
  w_->activateWindow();
  auto* tcpa = w_->findChild<LimitSpinBox*>(QStringLiteral("SpinWatchTcpa"));
  ASSERT_NE(tcpa, nullptr);
  struct Row {
    const char* typed;
    double value;  // afterwards
    bool refused;
  } rows[] = {{"99", 12, true}, {"12", 12, false}, {"0", 12, true}, {"45", 45, false}, {"abc", 45, false}};
  tcpa->setValue(12);
  for (const Row& r : rows) {
    tcpa->setFocus(Qt::MouseFocusReason);
    tcpa->selectAll();
    for (const char* c = r.typed; *c != '\0'; ++c) {
      QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(*c)));
      QCoreApplication::sendEvent(tcpa, &key);
    }
    SendKey(tcpa, Qt::Key_Return);
    EXPECT_EQ(tcpa->value(), r.value) << r.typed;
    EXPECT_EQ(tcpa->Refusal().isEmpty(), !r.refused) << r.typed << ": " << tcpa->Refusal().toStdString();
    if (r.refused) {
      EXPECT_TRUE(tcpa->Refusal().contains(QString::fromUtf8(r.typed))) << tcpa->Refusal().toStdString();
    }
  }
  w_->hide();
}

TEST_F(ViewControlTest, F1ListsTheKeysOnceWithoutStoppingTheWatch) {
  SendKey(w_.get(), Qt::Key_F1);
  SendKey(w_.get(), Qt::Key_F1);
  const QList<QMessageBox*> boxes = w_->findChildren<QMessageBox*>(QStringLiteral("KeyHelp"));
  ASSERT_EQ(boxes.size(), 1);
  EXPECT_FALSE(boxes[0]->isModal());
  for (const char* key : {"A : 警報確認", "Page Up", "ホイール", "ダブルクリック", "M : 距離と方位", "Ctrl+C"})
    EXPECT_TRUE(boxes[0]->text().contains(QString::fromUtf8(key))) << key;
  // The "?" button of the watch panel shows the same list, once.
  auto* help = w_->findChild<QPushButton*>(QStringLiteral("ButtonKeyHelp"));
  ASSERT_NE(help, nullptr);
  help->click();
  EXPECT_EQ(w_->findChildren<QMessageBox*>(QStringLiteral("KeyHelp")).size(), 1);
  boxes[0]->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  help->click();
  EXPECT_EQ(w_->findChildren<QMessageBox*>(QStringLiteral("KeyHelp")).size(), 1);
}

// Ctrl+C puts the selected ship on the clipboard as one line; with none selected the
// clipboard is left alone. The report is the decoding example of ITU-R M.1371 users quote.
TEST_F(ViewControlTest, CtrlCCopiesTheSelectedShip) {
  w_->IntakeChain().ProcessSentence("!AIVDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D");
  const int slot = w_->Table().FindShip(431023494);
  ASSERT_GT(slot, 0);
  QGuiApplication::clipboard()->setText(QStringLiteral("before"));
  SendKey(w_.get(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before")) << "nothing selected";
  w_->SetHoveredShip(slot);
  SendMouse(w_->PaintWidget(), QEvent::MouseButtonPress, QPoint(50, 60), Qt::LeftButton, Qt::LeftButton);
  ASSERT_EQ(w_->SelectedShip(), slot);
  SendKey(w_.get(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(),
            QString::fromUtf8("MMSI 431023494, 船名 不明, 呼出符号 不明, 位置 34°35.100'N 135°25.147'E, SOG 1.0 kn, COG 184.0°"));
}

// M measures: a click sets the start, the far end follows the pointer until a second
// click, Esc ends it; meanwhile a click selects nothing and drags nothing.
TEST_F(ViewControlTest, MMeasuresRangeAndBearingBetweenTwoClicks) {
  View().fitAllShips = false;
  View().centerOnOwnShip = false;
  w_->Paint1Paint();
  const QPoint centre(w_->PaintWidget()->width() / 2, w_->PaintWidget()->height() / 2);
  const int32_t selected = w_->SelectedShip();
  SendKey(w_.get(), Qt::Key_M);
  ASSERT_TRUE(w_->Measure().Active());
  SendMouse(w_->PaintWidget(), QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
  SendMouse(w_->PaintWidget(), QEvent::MouseButtonRelease, centre, Qt::LeftButton, Qt::NoButton);
  const double lat = View().centerLat, lon = View().centerLon;
  SendMouse(w_->PaintWidget(), QEvent::MouseMove, centre + QPoint(100, 0), Qt::NoButton, Qt::NoButton);
  MeasureView m = w_->Measure().View();
  ASSERT_TRUE(m.shown);
  EXPECT_NEAR(m.lat0, 34.5, 1e-3);
  EXPECT_NEAR(m.lat1, m.lat0, 1e-9) << "due east of the start";
  EXPECT_GT(m.lon1, m.lon0);
  EXPECT_EQ(View().centerLat, lat) << "no drag";
  EXPECT_EQ(View().centerLon, lon);
  SendMouse(w_->PaintWidget(), QEvent::MouseButtonPress, centre + QPoint(0, 100), Qt::LeftButton, Qt::LeftButton);
  SendMouse(w_->PaintWidget(), QEvent::MouseMove, centre + QPoint(300, 300), Qt::NoButton, Qt::NoButton);
  m = w_->Measure().View();
  EXPECT_NEAR(RangeBearingBetween(m.lat0, m.lon0, m.lat1, m.lon1).bearingDeg, 180, 1e-6) << "fixed due south";
  // 100 paint pixels are 200 pixels of the work bitmap, 15 m each: 3 km.
  EXPECT_NEAR(RangeBearingBetween(m.lat0, m.lon0, m.lat1, m.lon1).rangeNm, 3000 / 1852.0, 0.01);
  EXPECT_EQ(w_->SelectedShip(), selected) << "the clicks selected nothing";
  SendKey(w_.get(), Qt::Key_Escape);
  EXPECT_FALSE(w_->Measure().View().shown);
}

TEST_F(ViewControlTest, CheckBoxesPassChartKeysOn) {
  auto* box = w_->findChild<QWidget*>(QStringLiteral("CkDispCourse"));
  ASSERT_NE(box, nullptr);
  const double lon0 = View().centerLon;
  SendKey(box, Qt::Key_J);
  EXPECT_LT(View().centerLon, lon0) << "J pans the chart content right";
  EXPECT_FALSE(View().centerOnOwnShip);
}

TEST_F(ViewControlTest, WakeStepChoiceGivesTheKeysBackToTheChart) {
  w_->show();
  w_->activateWindow();
  QApplication::processEvents();
  auto* two = w_->findChild<QRadioButton*>();
  ASSERT_NE(two, nullptr);
  two->setFocus();
  two->click();
  QApplication::processEvents();
  ASSERT_NE(QApplication::focusWidget(), nullptr);
  EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("CkDispCourse"));
  w_->hide();
}

struct WheelRow {
  const char* name;
  int delta;
  Qt::MouseButtons buttons;
  Qt::KeyboardModifiers mods;
  double startRotation;
  double scaleFactor;
  double rotation;  // expected afterwards
  bool freeRotation;
};

TEST_F(ViewControlTest, Wheel) {
  const WheelRow rows[] = {
      {"towards the user zooms out", -120, Qt::NoButton, Qt::NoModifier, 0, 1.09, 0, false},
      {"away zooms in", 120, Qt::NoButton, Qt::NoModifier, 0, 1 / 1.09, 0, false},
      {"ctrl away zooms in finely", 120, Qt::NoButton, Qt::ControlModifier, 0, 1 / 1.01, 0, false},
      {"right button towards turns +2", -120, Qt::RightButton, Qt::NoModifier, 359, 1.0, 1, true},
      {"right button away turns -2", 120, Qt::RightButton, Qt::NoModifier, 1, 1.0, 359, true},
  };
  for (const WheelRow& r : rows) {
    SCOPED_TRACE(r.name);
    SetUp();
    View().rotationDeg = r.startRotation;
    const double m0 = View().metersPerPixel;
    const double lat0 = View().centerLat, lon0 = View().centerLon;
    // Over a corner: with own-ship centring on, the zoom is about the centre anyway.
    SendWheel(w_->PaintWidget(), QPoint(10, 10), r.delta, r.buttons, r.mods);
    EXPECT_NEAR(View().metersPerPixel, m0 * r.scaleFactor, 1e-9);
    EXPECT_NEAR(View().rotationDeg, r.rotation, 1e-9);
    EXPECT_EQ(View().orientationMode == OrientationMode::FreeRotation, r.freeRotation);
    // Turning leaves the modes alone; zooming clears them.
    EXPECT_EQ(View().centerOnOwnShip, r.freeRotation);
    EXPECT_EQ(View().fitAllShips, r.freeRotation);
    if (!r.freeRotation) {
      EXPECT_NEAR(View().centerLat, lat0, 1e-3);
      EXPECT_NEAR(View().centerLon, lon0, 1e-3);
    }
  }
}

TEST_F(ViewControlTest, WheelZoomsAboutThePointer) {
  ViewState& v = View();
  v.centerOnOwnShip = false;
  v.fitAllShips = false;
  w_->Paint1Paint();
  const QPoint p(100, 200);
  SendMouse(w_->PaintWidget(), QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton);
  double latP = 0, lonP = 0;
  PixelToLatLon(v, p.x(), p.y(), latP, lonP);
  const double lat0 = v.centerLat, lon0 = v.centerLon;
  SendWheel(w_->PaintWidget(), p, -120, Qt::NoButton, Qt::NoModifier);
  EXPECT_NEAR(v.centerLat, latP + 1.09 * (lat0 - latP), 1e-12);
  EXPECT_NEAR(v.centerLon, lonP + 1.09 * (lon0 - lonP), 1e-12);
  EXPECT_GT(std::fabs(v.centerLon - lon0), 1e-6) << "the centre moves away from the pointed point";
}

TEST_F(ViewControlTest, DragPansAndReleaseStops) {
  QWidget* pb = w_->PaintWidget();
  const double lat0 = View().centerLat, lon0 = View().centerLon;
  SendMouse(pb, QEvent::MouseButtonPress, QPoint(100, 100), Qt::LeftButton, Qt::LeftButton);
  SendMouse(pb, QEvent::MouseMove, QPoint(130, 90), Qt::NoButton, Qt::LeftButton);
  const double step = 3 * 15.0 / 1852 / 60;
  EXPECT_NEAR(View().centerLat, lat0 - 10 * step, 1e-9);
  EXPECT_NEAR(View().centerLon, lon0 - 30 * step * std::cos(lat0 * kDegToRad), 1e-9);
  EXPECT_FALSE(View().centerOnOwnShip);
  EXPECT_FALSE(View().fitAllShips);
  SendMouse(pb, QEvent::MouseButtonRelease, QPoint(130, 90), Qt::LeftButton, Qt::NoButton);
  const double lat1 = View().centerLat, lon1 = View().centerLon;
  SendMouse(pb, QEvent::MouseMove, QPoint(200, 200), Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(View().centerLat, lat1);
  EXPECT_EQ(View().centerLon, lon1);
}

TEST_F(ViewControlTest, DoubleClickCentresOnThePressPoint) {
  QWidget* pb = w_->PaintWidget();
  double lat = 0, lon = 0;
  PixelToLatLon(View(), 300, 400, lat, lon);
  SendMouse(pb, QEvent::MouseButtonPress, QPoint(300, 400), Qt::LeftButton, Qt::LeftButton);
  SendMouse(pb, QEvent::MouseButtonRelease, QPoint(300, 400), Qt::LeftButton, Qt::NoButton);
  SendMouse(pb, QEvent::MouseButtonDblClick, QPoint(300, 400), Qt::LeftButton, Qt::LeftButton);
  EXPECT_NEAR(View().centerLat, lat, 1e-12);
  EXPECT_NEAR(View().centerLon, lon, 1e-12);
  EXPECT_TRUE(View().centerOnOwnShip) << "the modes stay as they are";
}

struct SelectRow {
  const char* name;
  int32_t mmsi;  // 0: nothing under the pointer
  const char* received;
  Qt::MouseButtons buttons;
  bool wantListName;
};

TEST_F(ViewControlTest, SelectionAndListNames) {
  const SelectRow rows[] = {
      {"listed 43 MMSI takes the list name", 431000001, "  RECEIVED  ", Qt::LeftButton, true},
      {"right held keeps a received name", 431000001, "RECEIVED", Qt::LeftButton | Qt::RightButton, false},
      {"right held with no name uses the list", 431000001, "", Qt::LeftButton | Qt::RightButton, true},
      {"other MMSI keeps the received name", 231000001, "RECEIVED", Qt::LeftButton, false},
      {"unlisted 43 MMSI keeps the received name", 439999999, "RECEIVED", Qt::LeftButton, false},
      {"empty water selects nothing", 0, "", Qt::LeftButton, false},
  };
  for (const SelectRow& r : rows) {
    SCOPED_TRACE(r.name);
    SetUp();
    int index = -1;
    if (r.mmsi != 0) {
      index = w_->Table().FindOrAddShip(r.mmsi);
      ASSERT_GT(index, 0);
      DbDynamic d;
      w_->Table().GetShip(index, d);
      char* name = w_->Table().StaticOf(d.Link).Name;
      std::memset(name, 0, sizeof(DbStatic::Name));
      std::strncpy(name, r.received, sizeof(DbStatic::Name) - 1);
    }
    w_->SetHoveredShip(index);
    SendMouse(w_->PaintWidget(), QEvent::MouseButtonPress, QPoint(50, 60), Qt::LeftButton, r.buttons);
    EXPECT_EQ(w_->SelectedShip(), index);
    if (index < 0) continue;
    const QString got = FromShiftJis(w_->SelectedShipName());
    if (r.wantListName)
      EXPECT_EQ(got, QString::fromUtf8("おけさ丸"));
    else
      EXPECT_EQ(got, QString::fromUtf8("RECEIVED"));
  }
}

TEST_F(ViewControlTest, RightPressDoesNotSelect) {
  const int index = w_->Table().FindOrAddShip(231000001);
  w_->SetHoveredShip(index);
  SendMouse(w_->PaintWidget(), QEvent::MouseButtonPress, QPoint(5, 5), Qt::RightButton, Qt::RightButton);
  EXPECT_EQ(w_->SelectedShip(), 0);
}

// The ship under a real pointer, as the demo leaves the chart: a move over the paint box
// reaches the frame's hover search, a press selects that ship, the next frame draws its
// label, and a press on open water takes the selection and the label away again.
class HoverOnDemoScene : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
    w_ = std::make_unique<TForm1>(QuietSetup(home_.path()), clock_);
    w_->StopDrivers();
    w_->showMessage = [](const QString&) {};
    w_->ButtonDemoClick();
    w_->Paint1Paint();
  }

  // Paint-box point of a station, from its table position and the view of the last frame.
  bool PaintBoxPoint(int slot, QPoint& p) {
    DbDynamic d;
    if (!w_->Table().GetShip(slot, d) || d.Age == 0) return false;
    int32_t x = 0, y = 0;
    if (!LatLonToPixel(w_->Frame().View(), d.Lat, d.Lon, x, y)) return false;
    p = QPoint(x / 2, y / 2);
    const QWidget* pb = w_->PaintWidget();
    return p.x() >= 30 && p.y() >= 30 && p.x() < pb->width() - 30 && p.y() < pb->height() - 30;
  }

  void MoveTo(QPoint p) { SendMouse(w_->PaintWidget(), QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton); }
  void ClickAt(QPoint p) {
    SendMouse(w_->PaintWidget(), QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    SendMouse(w_->PaintWidget(), QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
  }

  TempFolder home_;
  ManualClock clock_{400000};
  std::unique_ptr<TForm1> w_;
};

TEST_F(HoverOnDemoScene, PointerHoversClickSelectsWaterClears) {
  // The station farthest from every other one on the picture, so that hovering near it
  // can only find it.
  std::vector<std::pair<int, QPoint>> shown;
  for (int slot = 1; slot < kDefaultDynamicEntries; ++slot) {
    QPoint p;
    if (PaintBoxPoint(slot, p)) shown.emplace_back(slot, p);
  }
  ASSERT_GE(shown.size(), 5u) << "the demo puts its stations on the picture";
  int target = -1;
  QPoint at;
  double bestGap = 0;
  for (const auto& [slot, p] : shown) {
    double gap = 1e9;
    for (const auto& [other, q] : shown)
      if (other != slot) gap = std::min(gap, std::hypot(p.x() - q.x(), p.y() - q.y()));
    if (gap > bestGap) {
      bestGap = gap;
      target = slot;
      at = p;
    }
  }
  ASSERT_GT(bestGap, 45.0) << "no station stands apart from the others";

  struct Row {
    const char* name;
    QPoint offset;
    int32_t want;
  };
  const Row rows[] = {
      {"on the symbol", {0, 0}, target},
      {"19 pixels right", {19, 0}, target},
      {"13 right and 13 down", {13, 13}, target},
      {"21 pixels up", {0, -21}, -1},
      {"15 left and 15 up", {-15, -15}, -1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    MoveTo(at + r.offset);
    w_->Paint1Paint();
    EXPECT_EQ(w_->HoveredShip(), r.want);
  }

  // A frame without a selection, then the same scene with the station selected.
  MoveTo(at);
  w_->Paint1Paint();
  ASSERT_EQ(w_->HoveredShip(), target);
  const QImage unselected = w_->FrameImage().copy();
  ClickAt(at);
  EXPECT_EQ(w_->SelectedShip(), target);
  w_->Paint1Paint();
  const QImage selected = w_->FrameImage().copy();
  // The label hangs below the symbol.
  int changedBelow = 0;
  for (int y = at.y() + 5; y < std::min(selected.height(), at.y() + 60); ++y)
    for (int x = std::max(0, at.x() - 40); x < std::min(selected.width(), at.x() + 40); ++x)
      if (selected.pixel(x, y) != unselected.pixel(x, y)) ++changedBelow;
  EXPECT_GT(changedBelow, 50) << "the selected station's label is drawn below it";

  // Open water: the point of the picture farthest from every station.
  QPoint water;
  double waterGap = 0;
  const QWidget* pb = w_->PaintWidget();
  for (int y = 40; y < pb->height() - 40; y += 10) {
    for (int x = 40; x < pb->width() - 40; x += 10) {
      double gap = 1e9;
      for (const auto& [slot, p] : shown) gap = std::min(gap, std::hypot(p.x() - x, p.y() - y));
      if (gap > waterGap) {
        waterGap = gap;
        water = QPoint(x, y);
      }
    }
  }
  ASSERT_GT(waterGap, 40.0);
  MoveTo(water);
  w_->Paint1Paint();
  EXPECT_EQ(w_->HoveredShip(), -1);
  ClickAt(water);
  EXPECT_EQ(w_->SelectedShip(), -1);
  MoveTo(at);  // the pointer back where it was, so only the selection differs
  w_->Paint1Paint();
  EXPECT_TRUE(w_->FrameImage() == unselected) << "the label is gone with the selection";
}

struct PanelRow {
  const char* name;
  bool northUp;
  OrientationMode want;
  double wantRotation;
};

TEST_F(ViewControlTest, OrientationPanels) {
  const PanelRow rows[] = {
      {"north-up resets the rotation", true, OrientationMode::NorthUp, 0},
      {"heading-up keeps the rotation", false, OrientationMode::HeadingUp, 33},
  };
  for (const PanelRow& r : rows) {
    SCOPED_TRACE(r.name);
    SetUp();
    View().rotationDeg = 33;
    View().orientationMode = OrientationMode::FreeRotation;
    w_->PanelNorthUpClick(r.northUp ? static_cast<QObject*>(w_->NorthUpPanel()) : w_->HeadingUpPanel());
    EXPECT_EQ(View().orientationMode, r.want);
    EXPECT_EQ(View().rotationDeg, r.wantRotation);
    EXPECT_FALSE(View().fitAllShips);
    EXPECT_TRUE(View().centerOnOwnShip);
  }
}

struct DblRow {
  const char* name;
  Qt::KeyboardModifiers mods;
  uint32_t wantFix;  // from 2
  bool debugShown;   // from hidden
};

TEST_F(ViewControlTest, ControlPanelDoubleClick) {
  const DblRow rows[] = {
      {"plain does nothing", Qt::NoModifier, 2, false},
      {"shift flips the fix count's low bit", Qt::ShiftModifier, 3, false},
      {"ctrl alone does nothing", Qt::ControlModifier, 2, false},
      {"ctrl alt shows the debug panel", Qt::ControlModifier | Qt::AltModifier, 2, true},
      {"shift ctrl alt does both", Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier, 3, true},
  };
  for (const DblRow& r : rows) {
    SCOPED_TRACE(r.name);
    SetUp();
    w_->IntakeChain().counters.rmcFixCount = 2;
    ASSERT_TRUE(w_->DebugPanel()->isHidden());
    SendMouse(w_->ControlPanel(), QEvent::MouseButtonDblClick, QPoint(5, 250), Qt::LeftButton, Qt::LeftButton,
              r.mods);
    EXPECT_EQ(w_->IntakeChain().counters.rmcFixCount, r.wantFix);
    EXPECT_EQ(!w_->DebugPanel()->isHidden(), r.debugShown);
  }
}

struct AngleRow {
  const char* name;
  double in, out;
};

TEST(NormalizeAngle, OneCorrectionEachWay) {
  const AngleRow rows[] = {{"360 stays", 360, 360}, {"-2 wraps up", -2, 358}, {"362 wraps down", 362, 2},
                           {"0 stays", 0, 0},       {"180 stays", 180, 180}};
  for (const AngleRow& r : rows) EXPECT_EQ(TForm1::NormalizeAngle(r.in), r.out) << r.name;
}

}  // namespace
}  // namespace aismon
