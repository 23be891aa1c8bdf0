// The window as a person meets it: real key events through the event system, and a
// selection that stays with the vessel picked.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <cmath>

#include "app/main_window.h"
#include "chart/chart_frame.h"
#include "support/temp_files.h"

namespace aismon {
namespace {

WindowSetup QuietSetup(const std::filesystem::path& home) {
  WindowSetup s;
  s.programFolder = home;
  for (int n = 1; n <= kPortCount; ++n) s.portsFromCommandLine[n] = (home / ("none-" + std::to_string(n))).string();
  return s;
}

// One key press, delivered where the keyboard focus would deliver it: not consumed there,
// it travels on to the window as the same event.
void Press(QWidget* target, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
  QApplication::sendEvent(target, &release);
}

TEST(WindowInput, EveryKeyActsOnce) {
  ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
  testing::TempFolder home;
  ManualClock clock(100000);
  TForm1 w(QuietSetup(home.path()), clock);
  w.StopDrivers();
  w.Frame().View().fitAllShips = false;
  auto* course = w.findChild<QCheckBox*>("CkDispCourse");
  ASSERT_NE(course, nullptr);
  const int W = w.PaintWidget()->width();
  ASSERT_GT(W / 60, 1);
  struct Row {
    const char* name;
    QWidget* target;
    int key;
    double mppFactor;
    int panX;  // paint-box pixels, before rotation
  } rows[] = {
      {"page_up_on_check_box", course, Qt::Key_PageUp, 1 / 1.09, 0},
      {"page_down_on_check_box", course, Qt::Key_PageDown, 1.09, 0},
      {"h_on_check_box", course, Qt::Key_H, 1, -(W / 60)},
      {"j_on_window", &w, Qt::Key_J, 1, W / 60},
      {"page_up_on_window", &w, Qt::Key_PageUp, 1 / 1.09, 0},
  };
  for (const Row& r : rows) {
    ViewState& v = w.Frame().View();
    v.centerLat = 34.5;
    v.centerLon = 135.0;
    v.metersPerPixel = 15;
    w.Paint1Paint();  // the view's geometry for turning the pointer into a position
    Press(r.target, r.key);
    EXPECT_NEAR(v.metersPerPixel, 15 * r.mppFactor, 1e-9) << r.name;
    if (r.panX != 0) {
      const double lonPerPx = 3 * 15.0 / 1852 / 60 * std::cos(34.5 * M_PI / 180);
      EXPECT_NEAR(v.centerLon, 135.0 - r.panX * lonPerPx, 1e-12) << r.name;
    }
  }
}

TEST(WindowInput, SelectionStaysWithTheVesselAndEndsWhenItLeaves) {
  testing::TempFolder home;
  ManualClock clock(100000);
  TForm1 w(QuietSetup(home.path()), clock);
  w.StopDrivers();
  ShipTable& t = w.Table();
  auto put = [&](int32_t mmsi, uint32_t age, const char* name) {
    const int slot = t.FindOrAddShip(mmsi);
    DbDynamic* e = t.Edit(slot);
    e->Age = age;
    e->Raw.PosState = kPosReported;
    e->Lat = 34.6;
    e->Lon = 135.2;
    std::snprintf(t.StaticOf(e->Link).Name, sizeof(DbStatic::Name), "%s", name);
    t.Commit(slot);
    return slot;
  };
  const int picked = put(353000715, 1000, "FIRST");
  w.SetHoveredShip(picked);
  w.Paint1MouseDown(Qt::LeftButton, Qt::LeftButton, 10, 10);
  w.Paint1MouseUp();
  EXPECT_EQ(w.SelectedShip(), picked);
  EXPECT_EQ(w.SelectedShipName(), "FIRST");

  // A name learnt after the click shows in the label.
  std::snprintf(t.StaticOf(t.Edit(picked)->Link).Name, sizeof(DbStatic::Name), "%s", "RENAMED");
  w.Paint1Paint();
  EXPECT_EQ(w.SelectedShip(), picked);
  EXPECT_EQ(w.SelectedShipName(), "RENAMED");

  // The table fills up; the picked vessel is the oldest, so the next newcomer takes its
  // entry. The selection must not pass to the newcomer.
  for (int i = 1; i <= 1023; ++i) put(440000000 + i, 10, "OTHER");
  t.Edit(picked)->Age = 500000;
  t.Commit(picked);
  const int reused = put(431000158, 1, "UNKNOWN 158");
  ASSERT_EQ(reused, picked);
  w.Paint1Paint();
  EXPECT_LT(w.SelectedShip(), 1);
  EXPECT_EQ(w.SelectedShipName(), "");
}

}  // namespace
}  // namespace aismon
