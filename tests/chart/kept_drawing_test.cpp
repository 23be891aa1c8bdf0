// Frames drawn from what was kept (the picture under the ships, each ship's pixels, the
// wakes' dots) against the same frames drawn afresh: every pixel and every output equal,
// through the changes that must make a kept picture be drawn again.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "chart/canvas.h"
#include "chart/chart_frame.h"
#include "chart/row_split.h"
#include "chart/ship_layer.h"
#include "common/clock.h"
#include "input/receive_state.h"
#include "shipdb/received_position.h"
#include "shipdb/ship_table.h"
#include "tests/support/gui_app.h"

namespace aismon {
namespace {

// One table, clock, view and inputs, drawn by one frame composer.
struct Scene {
  explicit Scene(bool keep) {
    frame.SetKeepDrawn(keep);
    DbDynamic own;
    table.GetShip(0, own);
    own.MMSI = kOwnShipPlaceholderMMSI;
    own.Lat = 34.70;
    own.Lon = 135.25;
    own.Sog = 12;
    own.Cog = own.Hdg = 40;
    table.PutShip(0, own);
    counters.rmcFixCount = 1;
    static const int16_t kTypes[] = {70, 80, 60, 40, 52, 30, 37, 0};
    // Enough ships, with wakes longer than is drawn, for the work shared by two threads.
    for (int i = 0; i < 70; ++i) {
      const int32_t mmsi = 431000100 + i;
      const int slot = table.FindOrAddShip(mmsi);
      DbDynamic e;
      table.GetShip(slot, e);
      e.Age = 1000 + 700 * static_cast<uint32_t>(i);  // the first few still flash
      e.Lat = 34.685 + 0.0008 * (i % 8);
      e.Lon = 135.235 + 0.0011 * (i / 8);
      e.Sog = 4 + i % 9;
      e.Cog = e.Hdg = 9.0 * i;
      e.Rot = i % 3 == 0 ? 6 : 0;
      e.Raw.PosState = kPosReported;
      table.PutShip(slot, e);
      DbStatic& s = table.FindOrAddStaticEntry(mmsi);
      s.Type = kTypes[i % 8];
      const bool longHull = i % 10 == 3;
      s.AntA = static_cast<int16_t>(longHull ? 250 : 40);
      s.AntB = static_cast<int16_t>(longHull ? 90 : 10);
      s.AntC = s.AntD = static_cast<int16_t>(longHull ? 20 : 4);
      for (int k = 0; k < 60; ++k) {
        table.wakeHead = k;
        table.StoreWakePoint(slot, mmsi, e.Lat - 0.00002 * (60 - k), e.Lon - 0.000024 * (60 - k));
      }
    }
    table.wakeHead = 60;
    ViewState& v = frame.View();
    v.fitAllShips = false;
    v.centerLat = 34.69;
    v.centerLon = 135.24;
    v.metersPerPixel = 4;
    in.liveDataFlag = true;
    in.selectedShip = table.FindShip(431000100 + 3);
    in.selectedShipName = "KEPT AS IT WAS DRAWN";
  }
  void Paint() {
    clock.Advance(50);
    frame.Paint(width, height, in, out);
  }

  ManualClock clock{100000};
  ShipTable table{clock};
  IntakeCounters counters;
  ChartFrame frame{table, counters, clock, nullptr, nullptr};
  FrameInputs in;
  FrameOutputs out;
  int32_t width = 960, height = 600;
};

struct Change {
  const char* name;
  std::function<void(Scene&)> apply;
};

int32_t SlotOf(Scene& s, int i) { return s.table.FindOrAddShip(431000100 + i); }

void MoveShip(Scene& s, int i, double dLat, double dLon) {
  DbDynamic e;
  const int32_t slot = SlotOf(s, i);
  s.table.GetShip(slot, e);
  e.Lat += dLat;
  e.Lon += dLon;
  e.Age = 0;  // just reported
  s.table.PutShip(slot, e);
}

const std::vector<Change>& Changes() {
  static const std::vector<Change> kChanges = {
      {"nothing", [](Scene&) {}},
      {"nothing_again", [](Scene&) {}},
      {"a_ship_reports_elsewhere", [](Scene& s) { MoveShip(s, 5, 0.0004, -0.0003); }},
      {"a_ship_turns", [](Scene& s) {
         DbDynamic e;
         s.table.GetShip(SlotOf(s, 7), e);
         e.Hdg = e.Cog = std::fmod(e.Cog + 75, 360);
         s.table.PutShip(SlotOf(s, 7), e);
       }},
      {"the_wake_head_moves_on", [](Scene& s) { s.table.AdvanceWakeHead(); }},
      {"a_point_is_written_behind_the_head",
       [](Scene& s) {
         const int32_t slot = SlotOf(s, 9);
         const int head = ((s.table.wakeHead % kWakePoints) + kWakePoints) % kWakePoints;
         s.table.WakeRings()[slot].Put((head + kWakePoints - 4) % kWakePoints, WakePoint{34.69, 135.245});
       }},
      {"a_type_changes_colour", [](Scene& s) { s.table.FindOrAddStaticEntry(431000100 + 11).Type = 80; }},
      {"small_icons", [](Scene& s) { s.in.options.bigIcon = false; }},
      {"no_wakes", [](Scene& s) { s.in.options.dispWake = false; }},
      {"wakes_again", [](Scene& s) { s.in.options.dispWake = true; }},
      {"no_course_lines", [](Scene& s) { s.in.options.dispCourse = false; }},
      {"no_grid", [](Scene& s) { s.in.options.latLonLine = false; }},
      {"the_view_pans", [](Scene& s) { s.frame.View().centerLon += 0.0007; }},
      {"still_after_the_pan", [](Scene&) {}},
      {"the_view_turns", [](Scene& s) {
         s.frame.View().orientationMode = OrientationMode::FreeRotation;
         s.frame.View().rotationDeg = 17;
       }},
      {"zoomed_out", [](Scene& s) { s.frame.View().metersPerPixel = 40; }},
      {"the_window_grows", [](Scene& s) { s.width = 1100; }},
      {"a_ship_is_lost", [](Scene& s) {
         DbDynamic e;
         s.table.GetShip(SlotOf(s, 2), e);
         e.Age = kShipLostAgeMs + 1;
         s.table.PutShip(SlotOf(s, 2), e);
       }},
      {"the_selection_is_cleared", [](Scene& s) { s.in.selectedShip = 0; }},
      {"nothing_at_the_end", [](Scene&) {}},
  };
  return kChanges;
}

TEST(KeptDrawing, FramesEqualFramesDrawnAfresh) {
  EnsureGuiApp();
  Scene kept(true), fresh(false);
  for (const Change& c : Changes()) {
    SCOPED_TRACE(c.name);
    c.apply(kept);
    c.apply(fresh);
    // Two frames each: the second is the one drawn from what the first kept.
    for (int k = 0; k < 2; ++k) {
      kept.Paint();
      fresh.Paint();
      const QImage& a = kept.frame.Work().Image();
      const QImage& b = fresh.frame.Work().Image();
      ASSERT_EQ(a.size(), b.size());
      int differing = 0;
      for (int y = 0; y < a.height(); ++y)
        differing += std::memcmp(a.constScanLine(y), b.constScanLine(y), static_cast<size_t>(a.width()) * 4) != 0;
      EXPECT_EQ(differing, 0) << "rows that differ, frame " << k;
      EXPECT_TRUE(kept.frame.Display() == fresh.frame.Display()) << "display, frame " << k;
      EXPECT_EQ(kept.out.hoveredShip, fresh.out.hoveredShip);
      EXPECT_EQ(kept.frame.View().symbolSize, fresh.frame.View().symbolSize);
      EXPECT_TRUE(kept.frame.Work().SavedState() == fresh.frame.Work().SavedState());
    }
  }
}

// Items against the same shapes drawn straight: an item the painter has to draw (an
// arc), rows read in the middle of one, the same key twice before a flush, a shape and
// text drawn outside any item over them.
TEST(KeptDrawing, ItemsSetThePixelsTheirShapesSet) {
  EnsureGuiApp();
  using Step = std::function<void(Canvas&, bool)>;
  auto box = [](Canvas& c, int key, bool items, const std::function<void(Canvas&)>& draw) {
    const bool item = items && c.BeginItem(key);
    draw(c);
    if (item) c.EndItem();
  };
  const PixelPoint tri[3] = {{10, 10}, {70, 20}, {30, 60}};
  const PixelPoint dots[3] = {{40, 40}, {42, 41}, {90, 5}};
  const std::vector<Step> frame = {
      [&](Canvas& c, bool i) {
        box(c, 0, i, [&](Canvas& k) {
          k.SetBrushStyle(BrushStyle::Solid);
          k.SetBrushColor(Rgb{200, 0, 0});
          k.SetPenColor(Rgb{255, 255, 255});
          k.Polygon(tri, 3);
          k.SmallDiscs(dots, 3, 3, Rgb{0, 200, 0});
        });
      },
      [&](Canvas& c, bool i) {
        box(c, 3, i, [&](Canvas& k) {  // more colours than an item keeps
          for (int n = 0; n < 9; ++n) {
            k.SetBrushColor(Rgb{static_cast<uint8_t>(25 * n), 0, 100});
            k.FillRect(60 + 4 * n, 3, 63 + 4 * n, 9);  // over the first item's last disc
          }
        });
      },
      [&](Canvas& c, bool i) {
        box(c, 1, i, [&](Canvas& k) {
          k.SetPenWidth(3);
          k.Line(0, 50, 100, 70);
          k.SetPenWidth(1);
          k.Arc(20, 20, 80, 80, 80, 50, 20, 50);  // half a ring: only the painter draws it
          k.Ellipse(50, 50, 61, 61);
        });
      },
      [&](Canvas& c, bool i) {
        box(c, 2, i, [&](Canvas& k) {
          k.Ellipse(5, 5, 25, 19);
          k.Row(10)[3] = 0xFF123456u;  // read and written by hand in the middle
          k.Line(0, 0, 99, 99);
        });
      },
      [&](Canvas& c, bool i) {
        box(c, 0, i, [&](Canvas& k) {  // key 0 again, changed, while its runs still wait
          k.SetBrushColor(Rgb{0, 0, 200});
          k.Polygon(tri, 3);
        });
      },
      [&](Canvas& c, bool) {  // straight over what the items still hold
        c.SetBrushColor(Rgb{90, 90, 90});
        c.FillRect(0, 40, 100, 44);
      },
      [&](Canvas& c, bool) {
        c.SetBrushStyle(BrushStyle::Clear);
        c.SetFontColor(Rgb{255, 255, 0});
        c.TextOut(30, 30, "W");
      },
  };
  // With room for every run, and with room for hardly any (items written at once).
  for (const size_t budget : {ItemCache::kRunBudget, size_t{8}}) {
    Canvas itemsCanvas, plainCanvas;
    itemsCanvas.KeepItems(4, budget);
    for (Canvas* c : {&itemsCanvas, &plainCanvas}) c->Resize(100, 100);
    for (int round = 0; round < 3; ++round) {
      SCOPED_TRACE(testing::Message() << "budget " << budget << " round " << round);
      for (Canvas* c : {&itemsCanvas, &plainCanvas}) {
        c->SetBrushStyle(BrushStyle::Solid);
        c->SetBrushColor(Rgb{0, 0, 64});
        c->FillRect(0, 0, 100, 100);
        for (const Step& s : frame) s(*c, c == &itemsCanvas);
        c->FlushItems();
      }
      EXPECT_TRUE(itemsCanvas.Image() == plainCanvas.Image());
      EXPECT_TRUE(itemsCanvas.SavedState() == plainCanvas.SavedState());
    }
  }
}

// Frames where many items change, recorded on two threads, against the same shapes drawn
// straight: each item keeps its own runs in its place in the order, the lines kept on the
// way give the same pixels when looked up later, and an item that cannot be kept is
// written where it stands.
TEST(KeptDrawing, ManyChangedItemsRecordedOnTwoThreads) {
  EnsureGuiApp();
  constexpr int kItems = 1100, kW = 320, kH = 240;  // over two chunks of items to record
  RowSplitter helper(true);
  Canvas kept, plain;
  kept.KeepItems(kItems);
  kept.SetRowSplitter(&helper);
  for (Canvas* c : {&kept, &plain}) {
    c->KeepLines(kItems);
    c->Resize(kW, kH);
  }
  // frame 0: all new; 1: the lines of a third move, the dots of another third; 2: as 1
  // (all held); 3: they move again.
  auto draw = [&](Canvas& c, bool items, int frame) {
    const int shift = frame == 2 ? 1 : frame;
    c.SetBrushStyle(BrushStyle::Solid);
    c.SetBrushColor(Rgb{0, 0, 64});
    c.FillRect(0, 0, kW, kH);
    for (int k = 0; k < kItems; ++k) {
      const bool item = items && c.BeginItem(k);
      const int x = k * 37 % 300, y = k * 53 % 220;
      const int line = k % 3 == 0 ? shift : 0, dots = k % 3 == 1 ? shift : 0;
      c.SetPenWidth(3);
      c.SetPenColor(Rgb{static_cast<uint8_t>(k), 255, 0});
      c.KeptLine(k, x, y, x + 25, y + 12 + line);
      c.SetPenWidth(1);
      const PixelPoint centres[3] = {{x + dots, y}, {x + 3, y + 2 + dots}, {x + 6, y + 4}};
      c.SmallDiscs(centres, 3, 2, Rgb{255, 255, static_cast<uint8_t>(k)});
      c.SetBrushColor(Rgb{200, static_cast<uint8_t>(k), 0});
      c.Ellipse(x - 4, y - 4 + dots, x + 5, y + 5);
      if (k == 150)  // more colours than an item keeps
        for (int n = 0; n < 9; ++n) {
          c.SetBrushColor(Rgb{static_cast<uint8_t>(25 * n), 0, 100});
          c.FillRect(x + 2 * n, y, x + 2 * n + 3, y + 20);
        }
      if (item) c.EndItem();
    }
    c.FlushItems();
  };
  for (int frame = 0; frame < 4; ++frame) {
    SCOPED_TRACE(frame);
    draw(kept, true, frame);
    draw(plain, false, frame);
    const QImage& a = kept.Image();
    const QImage& b = plain.Image();
    int differing = 0;
    for (int y = 0; y < kH; ++y) differing += std::memcmp(a.constScanLine(y), b.constScanLine(y), kW * 4) != 0;
    EXPECT_EQ(differing, 0);
  }
}

// A layer of items over a ground that was not drawn again (the canvas still shows the
// last frame with something over it): the ground comes from its kept pixels, in the
// tiles that need it or whole when something interrupts the layer.
TEST(KeptDrawing, ItemLayersOverAKeptGround) {
  EnsureGuiApp();
  const int kSize = 200;
  auto drawGround = [&](Canvas& c) {
    c.SetBrushStyle(BrushStyle::Solid);
    c.SetBrushColor(Rgb{0, 0, 64});
    c.FillRect(0, 0, kSize, kSize);
    c.SetBrushColor(Rgb{128, 128, 128});
    c.FillRect(20, 120, 180, 190);
  };
  struct Round {
    const char* name;
    bool shiftThird;  // the third item moves
    bool arc;         // an item only the painter draws interrupts the layer
    bool readRow;     // rows are read in the middle of the layer
    bool recolour;    // two far apart shapes of the sixth item change colour, its bar between them not
    bool swap;        // the fourth and fifth items, which overlap, come in the other order
    bool dropTenth;   // the tenth item goes away
  };
  const Round rounds[] = {{"still", false, false, false, false, false, false},
                          {"one_item_moves", true, false, false, false, false, false},
                          {"the_painter_interrupts", false, true, false, false, false, false},
                          {"rows_read_midway", true, false, true, false, false, false},
                          {"still_again", false, false, false, false, false, false},
                          {"two_items_swap_places", false, false, false, false, true, false},
                          {"they_swap_back", false, false, false, false, false, false},
                          {"part_of_an_item_changes", false, false, false, true, false, false},
                          {"an_item_goes", false, false, false, false, false, true},
                          {"it_comes_back", false, false, false, false, false, false}};
  auto drawItems = [&](Canvas& c, bool items, const Round& r) {
    for (int i = 0; i < 12; ++i) {
      const int k = r.swap && (i == 3 || i == 4) ? 7 - i : i;
      if (r.dropTenth && k == 9) continue;
      const bool item = items && c.BeginItem(k);
      const int x = 10 + 15 * k + (r.shiftThird && k == 2 ? 3 : 0);
      const PixelPoint dart[4] = {{x, 20 + 10 * k}, {x + 12, 40 + 10 * k}, {x, 32 + 10 * k}, {x - 12, 40 + 10 * k}};
      c.SetBrushColor(Rgb{static_cast<uint8_t>(20 * k), static_cast<uint8_t>(r.recolour && k == 5 ? 90 : 200), 0});
      c.SetPenColor(Rgb{255, 255, 255});
      c.Polygon(dart, 4);
      if (k == 5) {
        c.SetBrushColor(Rgb{10, 10, 10});
        c.FillRect(0, 80, kSize, 82);
        c.SetBrushColor(Rgb{200, static_cast<uint8_t>(r.recolour ? 0 : 100), 0});
        c.FillRect(180, 75, 190, 85);
      }
      if (r.arc && k == 5) c.Arc(x - 20, 50, x + 20, 90, x + 20, 70, x - 20, 70);
      if (r.readRow && k == 7) (void)c.PixelAt(5, 5);
      if (item) c.EndItem();
    }
  };
  Canvas kept, fresh;
  kept.KeepItems(12);
  kept.Resize(kSize, kSize);
  fresh.Resize(kSize, kSize);
  drawGround(fresh);
  std::vector<uint32_t> ground(static_cast<size_t>(kSize) * kSize);
  for (int y = 0; y < kSize; ++y) std::memcpy(&ground[static_cast<size_t>(y) * kSize], fresh.Row(y), kSize * 4);
  // The first layer is drawn over a ground drawn in place; it is the one kept.
  drawGround(kept);
  kept.BeginItemLayer(7);
  drawItems(kept, true, rounds[0]);
  kept.EndItemLayer();
  // Last frame's panels, labels and marks over the canvas, each way of drawing that
  // bypasses the items in rows of its own (bands of 16): all must be gone after the next
  // layer.
  auto drawOver = [&](Canvas& c, int i) {
    const int x = 20 + 23 * i % 150;
    c.SetBrushColor(Rgb{255, 0, 255});
    c.FillRect(0, 0, kSize, 30);
    c.SetFontHeight(14);
    c.SetFontColor(Rgb{255, 255, 0});
    c.SetBrushStyle(BrushStyle::Clear);
    c.TextOut(x, 40, "W");
    c.SetBrushStyle(BrushStyle::DiagCross);
    c.FillRect(x, 84, x + 9, 91);
    c.SetPenWidth(3);
    const PixelPoint zigzag[3] = {{x, 112}, {x + 8, 118}, {x + 16, 112}};
    c.Polyline(zigzag, 3);
    c.SetPenWidth(1);
    c.Arc(x, 140, x + 12, 150, x, 145, x, 145);
    c.RowsToWrite(x, 180, x + 3, 181)[180 * kSize + x + 1] = 0xFFFFFFFFu;
    c.SetBrushStyle(BrushStyle::Solid);
  };
  int round = 0;
  for (const Round& r : rounds) {
    SCOPED_TRACE(r.name);
    drawOver(kept, round++);
    kept.BeginItemLayer(7, ground.data());
    drawItems(kept, true, r);
    kept.EndItemLayer();
    drawGround(fresh);
    drawItems(fresh, false, r);
    EXPECT_TRUE(kept.Image() == fresh.Image());
  }
}

// Under a mended tile, each item is written again where it sets pixels: a mark moving
// over a long bar (wider than 64 tiles) and over a slant whose box covers tiles it leaves
// empty, at each end and beyond the 64th tile of the bar.
TEST(KeptDrawing, MendedTilesKeepWhatLiesUnder) {
  EnsureGuiApp();
  const int kW = 2600, kH = 64;
  const int32_t marks[] = {5, 40, 100, 1000, 2047, 2060, 2300, 2590, 2300, 100, 5};
  auto draw = [&](Canvas& c, bool items, int32_t markX) {
    c.SetBrushStyle(BrushStyle::Solid);
    c.SetBrushColor(Rgb{0, 0, 64});
    c.FillRect(0, 0, kW, kH);
    c.BeginItemLayer(3);
    const bool bar = items && c.BeginItem(0);
    c.SetBrushColor(Rgb{200, 200, 0});
    c.FillRect(0, 20, kW, 24);
    if (bar) c.EndItem();
    const bool slant = items && c.BeginItem(1);
    c.SetPenColor(Rgb{0, 255, 0});
    c.Line(0, 0, 300, 60);
    if (slant) c.EndItem();
    const bool mark = items && c.BeginItem(2);
    c.SetBrushColor(Rgb{255, 0, 0});
    c.SetPenColor(Rgb{255, 255, 255});
    const PixelPoint dart[3] = {{markX, 16}, {markX + 6, 28}, {markX - 6, 28}};
    c.Polygon(dart, 3);
    if (mark) c.EndItem();
    c.EndItemLayer();
  };
  Canvas kept, fresh;
  kept.KeepItems(3);
  kept.Resize(kW, kH);
  fresh.Resize(kW, kH);
  for (const int32_t x : marks) {
    SCOPED_TRACE(x);
    draw(kept, true, x);
    draw(fresh, false, x);
    EXPECT_TRUE(kept.Image() == fresh.Image());
  }
  EXPECT_LT(kept.Items()->RewrittenTiles(), kept.Items()->Tiles());  // mended, not written whole
}

}  // namespace
}  // namespace aismon
