#pragma once
// The text layers drawn last into a frame: the label box under the selected ship and the
// fixed overlays (compass, serial-port row, legend with the ship count, own-ship panel,
// debug counters, playback histogram). All text is Shift-JIS.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "chart/frame_context.h"

namespace aismon {

// "%3dﾟ%.2d.%.4d'" of the unsigned angle in degrees, minutes and ten-thousandths of a
// minute, e.g. " 34ﾟ40.0000'" (ﾟ is the Shift-JIS byte 0xDF).
std::string FormatDegMin(double degrees);
// The same into a caller's buffer, without allocating; returns the length written.
size_t FormatDegMinTo(char* out, size_t size, double degrees);

// The text of a ship's label: one line for an aid to navigation, three for a vessel.
struct ShipLabelLines {
  char text[3][160];
  int count = 0;
};
int FormatShipLabelLines(const DbDynamic& ship, const DbStatic& info, std::string_view selectedShipName,
                         ShipLabelLines& out);

// One row of the ship-type legend.
struct LegendRow {
  Rgb colour;
  double sizeFactor;
  const char* text;  // Shift-JIS
};
inline constexpr int kLegendRows = 9;
extern const LegendRow kLegend[kLegendRows];

// Where the port panels are, in work-bitmap pixels of a canvas `width` wide: the COM row
// and, left of the legend and under the compass, one row per network source (the control
// panel covers the column below the legend).
inline constexpr int32_t kSourceBlockTop = 200;
inline constexpr int32_t kSourceRowHeight = 40;
inline constexpr int32_t kSourceNameIndent = 16;  // a source's name box, right of x0
enum class PortPanelKind { None, ComCaption, ComPort, SourceCaption, Source };
struct PortPanelHit {
  PortPanelKind kind = PortPanelKind::None;
  int32_t index = 0;  // port number 1..20, or source 0..7
};
PortPanelHit PortPanelAt(const FrameInputs& in, int32_t width, int32_t x, int32_t y);
int32_t SourceBlockX0(int32_t width);  // the left of the source rows' text

void DrawShipLabel(FrameContext& f, int32_t slot);
void DrawInfoPanels(FrameContext& f, bool debugVisible);

}  // namespace aismon
