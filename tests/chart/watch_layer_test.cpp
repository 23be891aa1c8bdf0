// The watch layer on whole frames: with nothing to show the frame is the frame without the
// watch, pixel for pixel (also the frame after one that drew alarms); with an alarm, a
// beacon and a lost ship the marks are where and in the colours they should be.
#include "chart/watch_layer.h"
#include "text/position_text.h"

#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <string>

#include "chart/chart_frame.h"
#include "chart/ship_layer.h"
#include "tests/support/gui_app.h"
#include "watch/traffic_watch.h"

namespace aismon {
namespace {

constexpr double kLat = 34.7, kLon = 135.25;
constexpr double kNm = 1.0 / 60;

struct Scene {
  explicit Scene(bool ownFix) {
    EnsureGuiApp();
    DbDynamic& own = table.DynamicEntries()[0];
    own.MMSI = kOwnShipPlaceholderMMSI;
    own.Lat = kLat;
    own.Lon = kLon;
    own.Sog = 10;
    own.Cog = 0;
    counters.rmcFixCount = ownFix ? 1 : 0;
    ViewState& v = frame.View();
    v.fitAllShips = false;
    v.centerLat = kLat + 1.5 * kNm;
    v.centerLon = kLon + 1.5 * kNm / 0.822;
    v.metersPerPixel = 10;
  }
  int Add(int32_t mmsi, double northNm, double eastNm, double sog, double cog, uint32_t age = 1) {
    const int i = table.FindOrAddShip(mmsi);
    DbDynamic& e = *table.Edit(i);
    e.Age = age;
    e.Raw.PosState = kPosReported;
    e.Lat = kLat + northNm * kNm;
    e.Lon = kLon + eastNm * kNm / 0.822;
    e.Sog = e.Hdg = 0;
    e.Sog = sog;
    e.Cog = e.Hdg = cog;
    e.NavStat = 0;
    DbStatic& st = table.StaticOf(e.Link);
    st.MsgNo = 1;
    st.Type = 70;
    table.Commit(i);
    return i;
  }
  void Paint(bool withWatch) {
    watch.Pass(table, counters, options, clock.TickMs());
    in.watch = withWatch ? &watch : nullptr;
    frame.Paint(500, 500, in, out);
    clock.Advance(100);
  }
  void Save(const char* name) {
    // Set AISMON_WATCH_PNG to a folder to look at the frames.
    if (const char* dir = std::getenv("AISMON_WATCH_PNG")) frame.Display().save(QString(dir) + "/" + name, "PNG");
  }
  PixelPoint At(int slot) { return frame.ScreenPositions()[slot]; }

  ManualClock clock{100000};
  ShipTable table{clock};
  IntakeCounters counters;
  ReceiveOptions options;
  TrafficWatch watch;
  ChartFrame frame{table, counters, clock, nullptr, nullptr};
  FrameInputs in;
  FrameOutputs out;
};

TEST(WatchLayer, NothingToShowChangesNoPixel) {
  struct Case {
    const char* name;
    bool ownFix;
  };
  for (const Case c : {Case{"no_own_fix", false}, Case{"own_fix_no_danger", true}}) {
    SCOPED_TRACE(c.name);
    Scene plain(c.ownFix), watched(c.ownFix);
    for (Scene* s : {&plain, &watched}) {
      s->Add(431000001, 3, 3, 10, 270);  // a crossing ship: dangerous only when own ship has a fix
      s->Add(431000002, 2, -2, 0, 0);     // moored beside the track, far enough
    }
    // With a fix, the watched scene shows an alarm in its first frame; the plain one moves
    // its crossing ship away first so that both have nothing to show afterwards.
    for (int f = 0; f < 3; ++f) {
      if (f == 1 && c.ownFix)
        for (Scene* s : {&plain, &watched}) s->table.DynamicEntries()[s->table.FindShip(431000001)].Cog = 90;
      plain.Paint(false);
      watched.Paint(true);
      if (f == 0) {
        EXPECT_EQ(watched.watch.AlertCount(), c.ownFix ? 1 : 0);
        continue;
      }
      EXPECT_EQ(watched.watch.AlertCount(), 0);
      EXPECT_TRUE(plain.frame.Display() == watched.frame.Display()) << "frame " << f;
    }
  }
}

TEST(WatchLayer, AlarmBeaconAndLostShip) {
  Scene s(true);
  const int crossing = s.Add(431000001, 3, 3, 10, 270);
  const int sart = s.Add(970000111, 0.8, 1.2, 0, 0);
  const int lost = s.Add(431000003, 2.5, -0.5, 12, 90, kLostMovingClassAMs + 1000);
  s.Paint(true);
  s.Save("watch_alarm_beacon.png");
  ASSERT_EQ(s.watch.AlertCount(), 2);
  EXPECT_EQ(s.watch.Alert(0).kind, AlertKind::Beacon);
  EXPECT_EQ(s.watch.Alert(1).kind, AlertKind::Collision);
  Canvas& c = s.frame.Work();
  // The red ring round the dangerous ship, 2 x symbolSize (40) out, pen 4 wide.
  const PixelPoint p = s.At(crossing);
  ASSERT_NE(p.x, kNotDrawn);
  EXPECT_EQ(c.PixelAt(p.x + 40, p.y), kAlarmRed);
  EXPECT_EQ(c.PixelAt(p.x, p.y - 40), kAlarmRed);
  // The beacon: red disc, white cross through its middle, whatever the scale.
  const PixelPoint b = s.At(sart);
  EXPECT_EQ(c.PixelAt(b.x + 12, b.y + 12), kAlarmRed);
  EXPECT_EQ(c.PixelAt(b.x, b.y + 10), (Rgb{255, 255, 255}));
  EXPECT_EQ(c.PixelAt(b.x + kBeaconRadius + 10, b.y), kAlarmRed);  // the outer ring
  // The beacon's row gives its position, degrees and minutes, for the report to the coast guard.
  const DbDynamic& beacon = s.table.DynamicEntries()[sart];
  const std::string where = LatitudeText(beacon.Lat, "\x81\x8B") + " " + LongitudeText(beacon.Lon, "\x81\x8B");
  EXPECT_NE(AlertRowText(s.table, s.watch, 0).find(where), std::string::npos);
  EXPECT_EQ(AlertRowText(s.table, s.watch, 1).find("'N "), std::string::npos) << "not in a collision row";
  // The lost ship is grey.
  const PixelPoint l = s.At(lost);
  EXPECT_EQ(c.PixelAt(l.x, l.y), kLostShipColor);
  EXPECT_TRUE(s.watch.Target(lost).lost);
  // The panel: a header and two rows, the right ends shaded, the rows known for clicks.
  ASSERT_EQ(s.out.alertRowCount, 2);
  const AlertPanelRow& r = s.out.alertRows[1];
  EXPECT_EQ(r.mmsi, 431000001);
  EXPECT_EQ(r.x0, kAlertPanelLeft / 2);
  const Rgb shade = c.PixelAt(2 * r.x1 - 3, 2 * r.y0 + 4);
  EXPECT_TRUE(shade == (Rgb{160, 0, 0}) || shade == (Rgb{80, 0, 0}));
  // Acknowledged: the ring turns orange and the row stops blinking.
  s.watch.AcknowledgeAll(s.clock.TickMs());
  s.Paint(true);
  s.Save("watch_acknowledged.png");
  const PixelPoint q = s.At(crossing);
  EXPECT_EQ(c.PixelAt(q.x + 40, q.y), kAcknowledgedOrange);
  EXPECT_EQ(c.PixelAt(2 * s.out.alertRows[1].x1 - 3, 2 * s.out.alertRows[1].y0 + 4), (Rgb{0, 0, 128}));
}

}  // namespace
}  // namespace aismon

namespace aismon {
namespace {

// Pixels of the display in a box that read as red over the panels' navy or white.
int RedPixels(const QImage& img, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const QRgb p = img.pixel(x, y);
      if (qRed(p) - qGreen(p) > 60) ++n;
    }
  return n;
}

// The watch's marks beside the panels: "消音中" where the alert panel sits while muted, and
// the own-ship panel's stale mark once the fix is 10 s old; neither when there is no cause.
TEST(WatchLayer, MuteMarkAndStaleOwnFixMark) {
  struct Case {
    const char* name;
    bool muted;
    uint32_t fixAgeMs;
    bool muteMark, staleMark;
  } cases[] = {{"fresh_not_muted", false, 0, false, false},
               {"muted", true, 0, true, false},
               {"stale_fix", false, 11000, false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scene s(true);
    s.watch.SetMuted(c.muted);
    s.Paint(true);
    s.clock.Advance(c.fixAgeMs);
    s.watch.Pass(s.table, s.counters, s.options, s.clock.TickMs());
    s.in.watch = &s.watch;
    s.frame.Paint(1000, 700, s.in, s.out);
    s.Save(c.name);
    const QImage& img = s.frame.Display();
    // The mark's box: from the panel's left edge, one row high (display pixels are halves).
    const int top = kAlertPanelTop / 2, left = kAlertPanelLeft / 2;
    const bool muteBox = RedPixels(img, left, top, left + 40, top + kAlertRowHeight / 2) > 300;
    EXPECT_EQ(muteBox, c.muteMark);
    // Own-ship panel's title row, right of "自船情報".
    const int x0 = (2000 - 416 - 8) / 2;
    EXPECT_EQ(RedPixels(img, x0 + 92, 1106 / 2, x0 + 200, 1106 / 2 + 24) > 10, c.staleMark);
  }
}

// Own ship is dead-reckoned between fixes, but not once its fix is a minute old: a guess
// that keeps moving would hide the loss.
TEST(WatchLayer, OwnShipStopsAfterAMinuteWithoutAFix) {
  struct Case {
    const char* name;
    bool fixesKeepComing;
    bool moves;
  } cases[] = {{"fixes_coming", true, true}, {"fix_lost", false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scene s(true);
    s.in.liveDataFlag = true;
    s.Paint(true);
    for (int i = 0; i < 61; ++i) {
      s.clock.Advance(1000);
      if (c.fixesKeepComing) ++s.counters.rmcFixCount;
      s.watch.Pass(s.table, s.counters, s.options, s.clock.TickMs());
    }
    s.Paint(true);
    const double before = s.table.DynamicEntries()[0].Lat;
    s.clock.Advance(5000);
    s.Paint(true);
    EXPECT_EQ(s.table.DynamicEntries()[0].Lat > before, c.moves);
    EXPECT_EQ(s.watch.OwnFixAge().Lost(), !c.fixesKeepComing);
  }
}

}  // namespace
}  // namespace aismon
