#pragma once
// One frame's worth of state around a fresh ship table, for drawing a layer on a small
// canvas and probing its pixels.
#include <cstdint>

#include "chart/canvas.h"
#include "chart/frame_context.h"
#include "chart/ship_layer.h"
#include "chart/view_state.h"
#include "common/clock.h"
#include "input/receive_state.h"
#include "shipdb/ship_table.h"
#include "tests/support/gui_app.h"

namespace aismon::testing {

struct ChartScene {
  // A canvas of w x h work pixels centred on (34.5 N, 135 E), filled with background.
  ChartScene(int32_t w, int32_t h, double mpp, Rgb background) {
    EnsureGuiApp();
    SetupViewGeometry(view, w, h, 34.5, 135.0, 0, mpp);
    canvas.Resize(w, h);
    Fill(background);
    for (auto& p : screen) p = PixelPoint{kNotDrawn, kNotDrawn};
  }

  void Fill(Rgb c) {
    for (int32_t y = 0; y < canvas.Height(); ++y)
      for (int32_t x = 0; x < canvas.Width(); ++x) canvas.Row(y)[x] = Canvas::Pixel(c);
  }

  // The position drawn at work pixel (x, y) when the view is not turned.
  double LatAt(int32_t y) const { return view.centerLat + (view.height / 2 - y) * view.degLatPerPixel; }
  double LonAt(int32_t x) const { return view.centerLon + (x - view.width / 2) * view.degLonPerPixel; }
  Rgb At(int32_t x, int32_t y) { return Canvas::ColorOf(canvas.Row(y)[x]); }

  ManualClock clock{100000};
  ShipTable table{clock};
  ViewState view;
  Canvas canvas;
  IntakeCounters counters;
  FrameInputs in;
  PixelPoint screen[kDefaultDynamicEntries];
  FrameContext frame{canvas, view, table, counters, in, clock, screen};

  // The ship layer as a frame runs it: the ships moved on, then drawn.
  void StepAndDrawShips() {
    StepShips(table, frame);
    DrawShipLayer(frame);
  }
};

}  // namespace aismon::testing
