#include "chart/ship_layer.h"

#include <cmath>
#include <climits>
#include <cstdint>

#include "watch/traffic_watch.h"
#include "shipdb/received_position.h"
#include "chart/small_disc.h"
#include "chart/wake_layer.h"


namespace aismon {

namespace {

constexpr double kRad = 3.141592653589793 / 180.0;
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};

// Real-to-integer conversion toward zero that cannot overflow: NaN gives 0, values beyond
// the 32-bit range give its ends.
int32_t Trunc(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(v);
}

// Opaque pixel as the painter itself writes it into a 32-bit image.
uint32_t OpaquePixel(Rgb c) { return 0xFF000000u | Canvas::Pixel(c); }

void EllipseAround(Canvas& c, int32_t x, int32_t y, int32_t r) { c.Ellipse(x - r, y - r, x + r, y + r); }

void DeadReckon(FrameContext& f, DbDynamic& e) {
  const bool playing = f.in.playback.playing;
  const double playbackFactor = 0.95 * f.in.playback.playbackSpeed;
  double v = e.Sog;
  if (v > 1000) v = 0;
  if (playing) v *= playbackFactor;
  const double cogRad = e.Cog * kRad;
  const double dLat = std::cos(cogRad) * v * f.elapsedHours / 60;
  const double dLon = std::sin(cogRad) * v * f.elapsedHours / 60 * f.inverseCos;
  double r = e.Rot > -128 && v >= 3 ? e.Rot : 0;
  // An infinite rate of turn would leave the course NaN for good.
  if (!std::isfinite(r)) r = 0;
  if (playing) r *= playbackFactor;
  auto turn = [&](double& angle) {
    angle += r * f.elapsedMinutes;
    if (angle < 0) angle += 360;
    if (angle >= 360) angle -= 360;
  };
  turn(e.Cog);
  turn(e.Hdg);
  e.Lat += dLat;
  e.Lon += dLon;
  // A ship crossing the date line stays on the earth's longitudes.
  if (e.Lon > 180.0) e.Lon -= 360.0;
  if (e.Lon < -180.0) e.Lon += 360.0;
}

// Motion that may be drawn or dead-reckoned: another station's speed or course reported as
// not available is no motion at all (its course would otherwise read north).
bool KnownMotion(const DbDynamic& e, int32_t slot) { return slot == 0 || (!e.SogInvalid && !e.CogInvalid); }

void StepShip(ShipTable& table, FrameContext& f, int32_t slot) {
  if (slot == 0 && f.counters.rmcFixCount == 0) return;  // no own position yet
  DbDynamic* e = table.Edit(slot);
  if (e == nullptr) return;
  if (slot != 0) {
    // Saturates instead of wrapping: a ship silent for 49 days must not come back young.
    e->Age = e->Age > UINT32_MAX - f.elapsedMs ? UINT32_MAX : e->Age + f.elapsedMs;
    table.Commit(slot);
    if (e->Age > kShipLostAgeMs || !HasReceivedPosition(*e)) return;  // not drawn
  }
  if (!Drawable(*e)) return;
  // The wake ends where the ship is drawn from, before this frame's dead reckoning.
  if (f.in.options.dispWake) StoreWakeHead(table, slot, *e);
  // Own ship a minute without a fix stays where it was last known: a guess that keeps
  // moving would hide the loss.
  const bool ownLost = slot == 0 && f.in.watch != nullptr && f.in.watch->OwnFixAge().Lost();
  if (f.in.liveDataFlag && KnownMotion(*e, slot) && !ownLost) {
    if (e->Sog > 0 && e->Sog <= 1000) f.shipsMoved = true;
    DeadReckon(f, *e);
    table.Commit(slot);
  }
}

void DrawShipPass(FrameContext& f, int32_t slot) {
  if (slot == 0 && f.counters.rmcFixCount == 0) return;  // no own position yet
  const DbDynamic* e = f.table.Entry(slot);
  if (e == nullptr) return;
  Rgb colour = kOwnShipColor;
  if (slot != 0) {
    if (e->Age > kShipLostAgeMs) return;
    // Counted in the panel, but not drawn at a placeholder or at 0/0.
    if (!HasReceivedPosition(*e)) return;
    // A station the watch-keeper chose to ignore is not drawn (nor hovered, nor clicked).
    if (f.in.watch != nullptr && f.in.watch->Choices().Ignored(e->MMSI)) return;
    colour = TypeColor(f.table.StaticOf(e->Link).Type);
    // A station the watch counts as lost is greyed until it vanishes.
    if (f.in.watch != nullptr && f.in.watch->Target(slot).lost) colour = kLostShipColor;
  }
  if (!Drawable(*e)) return;
  if (f.in.options.dispWake) DrawWake(f, slot, *e, colour);
  if (f.in.options.dispCourse) DrawCourseVector(f, slot);
  DrawShipSymbol(f, slot, colour, f.iconScale);
}

}  // namespace

Rgb TypeColor(int16_t type) {
  Rgb c{224, 224, 224};
  if (type >= 70 && type <= 79) c = Rgb{0, 224, 0};
  if (type >= 80 && type <= 89) c = Rgb{255, 64, 64};
  if (type >= 60 && type <= 69) c = kPassengerColor;
  if (type >= 40 && type <= 49) c = Rgb{240, 240, 0};
  if (type == 52) c = Rgb{64, 240, 240};
  if (type == 30) c = Rgb{255, 176, 128};
  if (type == 37) c = Rgb{255, 128, 255};
  return c;
}

void StepShips(ShipTable& table, FrameContext& f) {
  for (int32_t slot = 0; slot < table.DynamicCount(); ++slot) StepShip(table, f, slot);
}

void DrawShipLayer(FrameContext& f) {
  Canvas& c = f.canvas;
  ProjectWakesAhead(f);
  if (f.ground != 0) c.BeginItemLayer(f.ground, f.groundPixels);
  // Drawn afresh, the ships' shapes are shared out between two threads by rows.
  const bool shared = !f.keepShips;
  if (shared) c.BeginShared();
  const DbDynamic* entries = f.table.DynamicEntries();
  constexpr int32_t kAhead = 4;  // slots in the static table lie all over it
  for (int32_t slot = 0; slot < f.table.DynamicCount(); ++slot) {
    if (slot + kAhead < f.table.DynamicCount()) __builtin_prefetch(&f.table.StaticOf(entries[slot + kAhead].Link));
    // Each ship's shapes are one item: a ship that looks as it did last frame is written
    // from the pixels kept for it.
    const bool item = f.keepShips && c.BeginItem(slot);
    DrawShipPass(f, slot);
    if (item) c.EndItem();
  }
  if (shared) c.EndShared();
  if (f.ground != 0)
    c.EndItemLayer();
  else
    c.FlushItems();
}

void DrawWakeDot(FrameContext& f, double lat, double lon, int32_t radius, Rgb colour) {
  int32_t x, y;
  if (!LatLonToPixel(f.view, lat, lon, x, y)) return;
  Canvas& c = f.canvas;
  c.SetBrushStyle(BrushStyle::Solid);
  c.SetBrushColor(colour);
  c.SetPenColor(colour);
  const PixelPoint dot{x, y};
  if (SmallDiscRadius(radius))
    c.SmallDiscs(&dot, 1, radius, colour);
  else
    EllipseAround(c, x, y, radius);
}

void DrawCourseVector(FrameContext& f, int32_t slot) {
  const DbDynamic* e = f.table.Entry(slot);
  if (e == nullptr) return;
  double v = e->Sog;
  if (v > 1000 || !KnownMotion(*e, slot)) v = 0;
  int32_t x, y;
  if (!LatLonToPixel(f.view, e->Lat, e->Lon, x, y)) return;
  const int32_t length = Trunc(v * 1852 * 5 / (f.view.metersPerPixel * 60));
  Canvas& c = f.canvas;
  UsePen(c, kWhite);
  UsePenWidth(c, 3);
  if (length > f.view.symbolSize) {
    const double theta = (e->Cog - f.view.rotationDeg) * kRad;
    const int32_t ex = Trunc(length * std::sin(theta) + x);
    const int32_t ey = Trunc(y - length * std::cos(theta));
    // Odd coordinates keep the 3-pixel line centred on a 2x2 block of the averaging.
    c.KeptLine(slot, x | 1, y | 1, ex | 1, ey | 1);
  }
  UsePenWidth(c, 1);
}

void DrawShipSymbol(FrameContext& f, int32_t slot, Rgb colour, int iconScale) {
  const DbDynamic* e = f.table.Entry(slot);
  if (e == nullptr) return;
  int32_t x, y;
  if (!LatLonToPixel(f.view, e->Lat, e->Lon, x, y)) return;
  f.screenPositions[slot] = PixelPoint{x, y};
  const bool fresh = slot == 0 ? f.ownReportFresh : e->Age > 0 && e->Age < kFreshAgeMs;
  double v = e->Sog;
  if (v >= 1023) v = 0;
  // Without a heading a vessel points along its course; without either it has no direction
  // to show (a stale heading, or 511 read as degrees, would point anywhere).
  double heading = e->Hdg;
  if (slot != 0 && e->HdgInvalid) {
    if (!e->CogInvalid)
      heading = e->Cog;
    else
      v = 0;
  }
  const DbStatic& s = f.table.StaticOf(e->Link);
  const double mpp = f.view.metersPerPixel;
  const int32_t pb = Trunc(s.AntA / mpp);
  const int32_t ps = Trunc(s.AntB / mpp);
  const int32_t pp = Trunc(s.AntC / mpp);
  const int32_t pt = Trunc(s.AntD / mpp);
  const int32_t size = iconScale == 1 ? 12 : 20;
  f.view.symbolSize = size;

  Canvas& c = f.canvas;
  UseSolidFill(c, colour);
  UsePen(c, kWhite);
  UsePenWidth(c, 1);
  if (slot == 0) {
    const int32_t r = Trunc(size * 1.8);
    c.SetBrushColor(kWhite);
    EllipseAround(c, x, y, r);
    c.SetBrushColor(kBlack);
    EllipseAround(c, x, y, r - 2);
    c.SetBrushColor(colour);
  }
  if (s.Aids != 0) {
    const int32_t h = size * 2 / 3;
    const PixelPoint diamond[4] = {{x, y - h}, {x + h, y}, {x, y + h}, {x - h, y}};
    c.SetBrushColor(kAidColor);
    c.Polygon(diamond, 4);
    if (fresh) DrawFlashRing(f, x, y, kAidColor, 0);
  } else if (pb + ps > 3 * size) {
    DrawHullSymbol(f, x, y, heading, fresh, pb, ps, pp, pt);
  } else if (v != 0 && e->NavStat != 1) {
    DrawArrowSymbol(f, x, y, heading, fresh);
  } else {
    if (fresh) DrawFlashRing(f, x, y, colour, 0);
    EllipseAround(c, x, y, size / 2);
  }
}

void DrawFlashRing(FrameContext& f, int32_t x, int32_t y, Rgb colour, double d) {
  Canvas& c = f.canvas;
  const Rgb oldBrush = c.BrushColor();
  const Rgb oldPen = c.PenColor();
  const int32_t r = Trunc(std::fmax(f.view.symbolSize * 1.5, d * 0.7));
  c.SetBrushStyle(BrushStyle::Solid);
  c.SetBrushColor(Brighten(colour));
  c.SetPenColor(kWhite);
  EllipseAround(c, x, y, r);
  c.SetBrushColor(oldBrush);
  c.SetPenColor(oldPen);
}

void DrawArrowSymbol(FrameContext& f, int32_t x, int32_t y, double heading, bool fresh) {
  Canvas& c = f.canvas;
  if (fresh) DrawFlashRing(f, x, y, c.BrushColor(), 0);
  // A dart with its tip forward and a notched tail; x to starboard, y forward.
  static constexpr int8_t kDart[4][2] = {{0, -2}, {-3, -4}, {0, 4}, {3, -4}};
  const int32_t u = 2 * f.view.symbolSize / 8;
  const double theta = (heading - f.view.rotationDeg) * kRad;
  const double sn = std::sin(theta), cs = std::cos(theta);
  PixelPoint pts[4];
  for (int i = 0; i < 4; ++i) {
    const double px = kDart[i][0], py = kDart[i][1];
    pts[i] = PixelPoint{Trunc(x + (py * sn + px * cs) * u), Trunc(y - (py * cs - px * sn) * u)};
  }
  UseSolidFill(c, c.BrushColor());
  UsePen(c, kWhite);
  c.Polygon(pts, 4);
}

void DrawHullSymbol(FrameContext& f, int32_t rx, int32_t ry, double heading, bool fresh, int32_t pb, int32_t ps,
                    int32_t pp, int32_t pt) {
  const double bow = pb, stern = ps, port = pp;
  const double b = port + pt;
  const double o = 0.2 * b;
  // Chamfered stern corners, straight sides, and a bow pointed over the last 0.75 beam.
  const double hull[9][2] = {
      {o - port, -stern},
      {-port, o - stern},
      {-port, bow - 0.75 * b},
      {0.25 * b - port, bow - o},
      {0.5 * b - port, bow},
      {0.75 * b - port, bow - o},
      {b - port, bow - 0.75 * b},
      {b - port, o - stern},
      {0.8 * b - port, -stern},
  };
  const double theta = (heading - f.view.rotationDeg) * kRad;
  const double sn = std::sin(theta), cs = std::cos(theta);
  PixelPoint pts[9];
  for (int i = 0; i < 9; ++i) {
    const double hx = hull[i][0], hy = hull[i][1];
    pts[i] = PixelPoint{Trunc(rx + hy * sn + hx * cs), Trunc(ry - (hy * cs - hx * sn))};
  }
  Canvas& c = f.canvas;
  c.SetBrushStyle(BrushStyle::Solid);
  c.SetPenColor(kBlack);
  c.Polygon(pts, 9);
  if (fresh) DrawFlashRing(f, rx, ry, c.BrushColor(), Trunc(b));
  // The position antenna.
  c.SetBrushColor(kBlack);
  c.SetPenColor(kWhite);
  EllipseAround(c, rx, ry, 7);
  EllipseAround(c, rx, ry, 6);
}

void StippleRect(Canvas& canvas, int32_t x0, int32_t y0, int32_t x1, int32_t y1, Rgb colour) {
  const int32_t w = canvas.Width(), h = canvas.Height();
  auto clamp = [](int32_t v, int32_t hi) { return v < 0 ? 0 : v > hi ? hi : v; };
  x0 = clamp(x0, w);
  x1 = clamp(x1, w);
  y0 = clamp(y0, h);
  y1 = clamp(y1, h);
  if (x0 >= x1 || y0 >= y1) return;
  const uint32_t pixel = OpaquePixel(colour);
  uint32_t* base = canvas.RowsToWrite(x0, y0, x1, y1);
  for (int32_t y = y0; y < y1; ++y) {
    uint32_t* row = base + static_cast<ptrdiff_t>(y) * w;
    for (int32_t x = x0 + (y & 1); x < x1; x += 2) row[x] = pixel;
  }
}

}  // namespace aismon
