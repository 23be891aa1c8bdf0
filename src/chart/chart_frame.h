#pragma once
// The frame composer: draws one complete chart frame, layer by layer in a fixed order, into
// a work bitmap twice the paint box's size and averages it 2x2 into the display image.
#include <QImage>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/name_layer.h"
#include "chart/canvas.h"
#include "chart/row_split.h"
#include "chart/underlay_cache.h"
#include "chart/wake_dot_cache.h"
#include "chart/frame_context.h"
#include "chart/view_state.h"

namespace aismon {

class BaseChartLayer;
class ChartCatalog;
class PlaceNameList;

// The layers of a frame, in the order they are drawn.
enum class FrameLayer : int {
  ViewUpdate,
  BaseChart,
  PlaceNames,
  Grid,
  RangeRings,
  Ships,
  Hover,
  ShipLabel,
  InfoPanels,
  Watch,
  Downsample,
};
inline constexpr int kFrameLayerCount = 11;
const char* FrameLayerName(FrameLayer layer);

// Timing hook for the benchmark: when given, each frame writes the time each layer took.
// The stopwatch is the caller's, so the chart itself reads no clock but the program's.
struct FrameTimings {
  std::function<double()> nowMs;
  double ms[kFrameLayerCount] = {};
};

class ChartFrame {
 public:
  // catalog and placeNames may be null (open sea, no names). When placeNameLines are given
  // the list is loaded from them on the first frame; otherwise it is used as it is.
  ChartFrame(ShipTable& table, const IntakeCounters& counters, Clock& clock, ChartCatalog* catalog,
             PlaceNameList* placeNames, std::vector<std::string> placeNameLines = {});
  ~ChartFrame();
  ChartFrame(const ChartFrame&) = delete;
  ChartFrame& operator=(const ChartFrame&) = delete;

  void Paint(int32_t paintWidth, int32_t paintHeight, const FrameInputs& in, FrameOutputs& out);

  const QImage& Display() const { return display_; }
  ViewState& View() { return view_; }
  Canvas& Work() { return canvas_; }
  const PixelPoint* ScreenPositions() const { return screenPositions_.get(); }
  void SetTimings(FrameTimings* timings) { timings_ = timings; }
  // Called between the layers of a frame; the window reads its inputs there so that a
  // long frame does not leave them unread. It must not change the ship table.
  void SetBetweenLayers(std::function<void()> hook) { betweenLayers_ = std::move(hook); }
  // Whether what was drawn is kept for the next frames (on by default): the picture under
  // the ships while the view stands still, each ship's pixels and its wake's dots. Off,
  // every frame draws every layer afresh, the same pixels (for comparing the two).
  void SetKeepDrawn(bool keep);

 private:
  void SetupView(int32_t paintWidth, int32_t paintHeight);
  void ResetScreenPositions();

  ShipTable& table_;
  const IntakeCounters& counters_;
  Clock& clock_;
  ChartCatalog* catalog_;
  PlaceNameList* placeNames_;
  std::vector<std::string> placeNameLines_;
  std::unique_ptr<BaseChartLayer> baseChart_;  // keeps its point buffers between frames
  std::function<void()> betweenLayers_;
  RowSplitter splitter_;  // before the canvas, which points at it
  Canvas canvas_;
  QImage display_;
  // The display holds the averages of the work image as last frame left it.
  bool displayCurrent_ = false;
  TileChanges changes_;
  ViewState view_;
  ViewFitFilter fitFilter_;
  std::unique_ptr<PixelPoint[]> screenPositions_;  // one per table entry
  NameLayer names_;
  RotatePixelCache gridRotation_;
  UnderlayCache underlay_;
  WakeDotCache wakeDots_;  // after screenPositions_, which it follows in the constructor
  ViewState lastView_;
  uint32_t viewGeneration_ = 0;
  GroundKey lastGround_;
  KeptPicture<GroundKey> groundPicture_;
  uint64_t groundNumber_ = 1;
  bool keepDrawn_ = true;
  bool firstFrame_ = true;
  // What own ship's last report looked like at the previous frame.
  uint32_t lastOwnFixCount_ = 0;
  RawReport lastOwnRaw_{};
  uint32_t lastFrameTick_ = 0;
  // "レンジサークル" is enabled by the end of a frame that knows own position; the next
  // frame's rings follow that state.
  bool circleEnabled_ = false;
  FrameTimings* timings_ = nullptr;
};

// The ship under the pointer (paint-box pixels): the nearest drawn ship of slots 1..1024
// strictly within 20 pixels, the lower slot on ties; -1 when none.
int32_t FindHoveredShip(const PixelPoint* screenPositions, int32_t entries, int32_t pointerX, int32_t pointerY);

// Averages each 2x2 block of the work image into one display pixel (two low bits of every
// channel dropped first, so one 32-bit addition sums all channels exactly).
// With a splitter, two threads share the rows.
void Downsample2x2(const QImage& work, QImage& display, RowSplitter* split = nullptr);
// Only the display pixels under the tiles changed, unless all are.
void Downsample2x2(const QImage& work, QImage& display, const TileChanges& changes, RowSplitter* split = nullptr);

}  // namespace aismon
