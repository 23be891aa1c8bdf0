#pragma once
// What one frame reads from outside the chart (check boxes, pointer, selection, ports,
// playback) as plain values, so frames can be composed without widgets, and the bundle of
// state every layer of a frame works with.
#include <cstdint>
#include <string>

#include "chart/canvas.h"
#include "chart/view_state.h"
#include "common/clock.h"
#include "input/receive_state.h"
#include "shipdb/ship_table.h"

namespace aismon {

class TrafficWatch;
class WakeDotCache;
class WeatherStations;

// The check boxes of the control panel (defaults as at start-up).
struct DisplayOptions {
  bool bigIcon = true;       // "船アイコン(大)"
  bool latLonLine = true;    // "緯線／経線"
  bool circleChecked = true; // "レンジサークル" (enabled only while own ship has a position)
  bool dispCourse = true;    // "コース (５分後)"
  bool dispWake = true;      // "航跡（50点）"
  bool debugPanelVisible = false;
  bool shipNames = false;    // names beside the symbols, decluttered (the window's view menu)
};

struct PortStatus {
  bool open = false;
  uint32_t lastReadTick = 0;
  // Not open although a device was named for it (--port or the settings file): shown
  // as failed instead of left out.
  bool missing = false;
};

// A network source as its panel shows it.
enum class SourcePanelState : uint8_t { Connecting, Listening, Connected, Waiting };
inline constexpr int kMaxSourcePanels = 8;
struct SourceStatus {
  char name[48] = {};  // "UDP10110", "TCP host:port" (ASCII)
  SourcePanelState state = SourcePanelState::Waiting;
  uint32_t lastReadTick = 0;
  uint32_t retryDueTick = 0;  // while Waiting
};

struct PlaybackView {
  bool playing = false;
  int32_t playbackSpeed = 1;  // 1 while no log is played
  int64_t playbackElapsedMs = 0;
  std::string playbackFileName;
  int32_t playbackPos = 0;
  int32_t minuteHistogram[60] = {};
};

// The measuring line, as the window's measuring tool has it.
struct MeasureView {
  bool shown = false;
  double lat0 = 0, lon0 = 0, lat1 = 0, lon1 = 0;
};

struct FrameInputs {
  DisplayOptions options;
  int32_t pointerX = -100000;  // paint-box pixels
  int32_t pointerY = -100000;
  int32_t selectedShip = -1;
  std::string selectedShipName;  // Shift-JIS
  bool liveDataFlag = false;
  PlaybackView playback;
  PortStatus ports[21];  // 1..20
  SourceStatus sources[kMaxSourcePanels];
  int32_t sourceCount = 0;
  uint32_t startTick = 0;
  const TrafficWatch* watch = nullptr;  // the collision and distress watch, when there is one
  const WeatherStations* weather = nullptr;  // weather stations heard, when they are shown
  MeasureView measure;
};

// A row of the alert panel as drawn, in paint-box pixels (x1/y1 exclusive), for clicks.
struct AlertPanelRow {
  int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  int32_t alert = -1;  // row of the watch's alert list when drawn
  int32_t mmsi = 0;    // and its station, to find the row again should the list change
  int32_t kind = 0;
};
inline constexpr int kAlertPanelRows = 8;

// What a frame decides for the window.
struct FrameOutputs {
  int32_t hoveredShip = -1;
  bool buttonDemoVisible = true;
  bool circleEnabled = false;
  bool ownShipPanelsVisible = false;
  int32_t alertRowCount = 0;
  AlertPanelRow alertRows[kAlertPanelRows];
  bool shipsMoving = false;  // dead reckoning moved a drawn ship: the next frame differs
};

inline constexpr int32_t kNotDrawn = static_cast<int32_t>(0x80808080u);

// Everything a layer of one frame works with.
struct FrameContext {
  Canvas& canvas;
  ViewState& view;
  const ShipTable& table;  // drawing reads it; StepShips moves the ships on before
  const IntakeCounters& counters;
  const FrameInputs& in;
  Clock& clock;
  PixelPoint* screenPositions;  // one per table entry, kNotDrawn when not drawn this frame
  // Per-frame values of the ship layer.
  uint32_t elapsedMs = 0;
  double elapsedMinutes = 0;
  double elapsedHours = 0;
  double inverseCos = 1;
  int iconScale = 2;
  // Own ship's entry is never aged, so whether a report of it has just arrived is decided
  // by the frame (a new fix or a new raw report since the previous frame).
  bool ownReportFresh = false;
  bool shipsMoved = false;  // set by StepShips
  // Changes whenever the view differs from the previous frame's; with the kept wake dots
  // (may be null: every wake is projected).
  uint32_t viewGeneration = 0;
  WakeDotCache* wakeDots = nullptr;
  // A second thread for work that splits by slots or rows (may be null).
  RowSplitter* split = nullptr;
  // Names the picture under the ships: the same number, the same pixels (0: unknown).
  uint64_t ground = 0;
  // Whether each ship's drawing is kept for the next frame (an item of the canvas).
  bool keepShips = true;
  // When not null the ground was not drawn this frame: these are its pixels (rows of the
  // canvas's width), and the canvas still shows the last frame.
  const uint32_t* groundPixels = nullptr;
};

}  // namespace aismon
