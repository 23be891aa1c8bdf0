#pragma once
// The ship layer of a frame: every slot of the ship table aged and dead-reckoned (a step
// just before the layer), then drawn with its wake, its 5-minute course line and its
// symbol; and the checkerboard shade the panels use for their boxes.
#include <cmath>
#include <cstdint>

#include "chart/canvas.h"
#include "chart/frame_context.h"

namespace aismon {

inline constexpr uint32_t kShipLostAgeMs = 600000;  // unheard for longer: no longer drawn
inline constexpr uint32_t kFreshAgeMs = 200;         // a report this recent is flashed
inline constexpr Rgb kOwnShipColor{255, 255, 0};
inline constexpr Rgb kAidColor{255, 128, 204};
inline constexpr Rgb kPassengerColor{64, 64, 255};
inline constexpr Rgb kLostShipColor{112, 112, 112};

// Shared by the layer's drawing of ships and of wakes.
inline Rgb Brighten(Rgb c) {
  return Rgb{static_cast<uint8_t>(c.r | 127), static_cast<uint8_t>(c.g | 127), static_cast<uint8_t>(c.b | 127)};
}
// Pen and brush changes rebuild the painter's state; a thousand ships mostly ask for what
// is already set.
inline void UsePen(Canvas& c, Rgb colour) {
  if (c.PenColor() != colour) c.SetPenColor(colour);
}
inline void UsePenWidth(Canvas& c, int width) {
  if (c.PenWidth() != width) c.SetPenWidth(width);
}
inline void UseSolidFill(Canvas& c, Rgb colour) {
  if (c.Brush() != BrushStyle::Solid) c.SetBrushStyle(BrushStyle::Solid);
  if (c.BrushColor() != colour) c.SetBrushColor(colour);
}
// Values that are turned into pixels; a corrupt entry holding NaN or infinity is not drawn.
inline bool Drawable(const DbDynamic& e) {
  return std::isfinite(e.Lat) && std::isfinite(e.Lon) && std::isfinite(e.Sog) && std::isfinite(e.Cog) &&
         std::isfinite(e.Hdg);
}

// The symbol colour of a ship and cargo type.
Rgb TypeColor(int16_t type);

// Moves every ship on to this frame, own ship first: ages the other stations, stores the
// position of each ship that will be drawn at the wake head, and dead-reckons while live
// data flows. table is the one f reads.
void StepShips(ShipTable& table, FrameContext& f);
// Draws every slot in ascending order (own ship first), changing nothing in the table.
void DrawShipLayer(FrameContext& f);

// A filled disc of the given radius around a position, fill and outline in colour.
void DrawWakeDot(FrameContext& f, double lat, double lon, int32_t radius, Rgb colour);
// The white line to where the ship will be in 5 minutes.
void DrawCourseVector(FrameContext& f, int32_t slot);
// The ship's symbol; stores its screen position and sets the view's symbolSize.
void DrawShipSymbol(FrameContext& f, int32_t slot, Rgb colour, int iconScale);
// A pale disc around a ship whose report has just arrived; d is a minimum size in pixels.
void DrawFlashRing(FrameContext& f, int32_t x, int32_t y, Rgb colour, double d);
void DrawArrowSymbol(FrameContext& f, int32_t x, int32_t y, double heading, bool fresh);
// The hull to scale around its reference point; pb/ps/pp/pt are pixels to bow, stern,
// port and starboard.
void DrawHullSymbol(FrameContext& f, int32_t rx, int32_t ry, double heading, bool fresh, int32_t pb, int32_t ps,
                    int32_t pp, int32_t pt);

// Every second pixel of the rectangle (x1/y1 exclusive, clamped to the image) set to
// colour, offset by one on odd rows: a 50 % shade once the frame is averaged 2x2.
void StippleRect(Canvas& canvas, int32_t x0, int32_t y0, int32_t x1, int32_t y1, Rgb colour);

}  // namespace aismon
