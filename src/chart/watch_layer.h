#pragma once
// The watch layer, drawn last, over everything: a red ring round each dangerous ship
// with the lines to its and own ship's points of closest approach, the distress beacon
// symbol at every scale, and the alert panel at the top left of the chart. With nothing
// to show it draws nothing and leaves the canvas's pen, brush and font alone.
#include <string>

#include "chart/frame_context.h"

namespace aismon {

class TrafficWatch;

inline constexpr Rgb kAlarmRed{255, 0, 0};
inline constexpr Rgb kAcknowledgedOrange{255, 160, 0};
inline constexpr Rgb kOwnCpaYellow{255, 255, 0};
inline constexpr int32_t kBeaconRadius = 30;  // work pixels, whatever the scale
inline constexpr int32_t kAlertPanelLeft = 16;
inline constexpr int32_t kAlertPanelTop = 16;
inline constexpr int32_t kAlertPanelTopWithDebug = 260;  // below the debug counters
inline constexpr int32_t kAlertRowHeight = 36;

void DrawWatchLayer(FrameContext& f, const TrafficWatch& watch, FrameOutputs& out);
// The text of alert row i as the panel shows it (Shift_JIS).
std::string AlertRowText(const ShipTable& table, const TrafficWatch& watch, int i);

}  // namespace aismon
