#include "chart/chart_frame.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "basechart/chart_catalog.h"
#include "chart/grid_layer.h"
#include "chart/panels_layer.h"
#include "chart/measure_layer.h"
#include "chart/ship_layer.h"
#include "chart/watch_layer.h"
#include "chart/weather_layer.h"

#include "basechart/place_names.h"
#include "chart/base_chart_layer.h"
#include "chart/bit_runs.h"
#include "chart/cpu_features.h"
#include "chart/place_names_layer.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace aismon {

namespace {

constexpr double kRad = 3.141592653589793 / 180.0;
constexpr uint32_t kAverageMask = 0x00FCFCFCu;
constexpr uint32_t kOpaque = 0xFF000000u;
// The work bitmap of a 2560 x 1600 paint box: the largest whose pictures are kept.
constexpr int64_t kKeptPicturePixelsMax = int64_t{5120} * 3200;
constexpr char kPanelFaceSjis[] = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";  // "ＭＳ ゴシック"

// Writes the time since the previous lap into the layer's slot, when a benchmark asks.
class LayerStopwatch {
 public:
  explicit LayerStopwatch(FrameTimings* t) : t_(t != nullptr && t->nowMs ? t : nullptr) {
    if (t_ == nullptr) return;
    for (double& m : t_->ms) m = 0;
    last_ = t_->nowMs();
  }
  void Lap(FrameLayer layer) {
    if (t_ == nullptr) return;
    const double now = t_->nowMs();
    t_->ms[static_cast<int>(layer)] = now - last_;
    last_ = now;
  }

 private:
  FrameTimings* t_;
  double last_ = 0;
};

}  // namespace

const char* FrameLayerName(FrameLayer layer) {
  switch (layer) {
    case FrameLayer::ViewUpdate: return "view_update";
    case FrameLayer::BaseChart: return "base_chart";
    case FrameLayer::PlaceNames: return "place_names";
    case FrameLayer::Grid: return "grid";
    case FrameLayer::RangeRings: return "range_rings";
    case FrameLayer::Ships: return "ships";
    case FrameLayer::Hover: return "hover";
    case FrameLayer::ShipLabel: return "ship_label";
    case FrameLayer::InfoPanels: return "info_panels";
    case FrameLayer::Watch: return "watch";
    case FrameLayer::Downsample: return "downsample";
  }
  return "?";
}

ChartFrame::ChartFrame(ShipTable& table, const IntakeCounters& counters, Clock& clock, ChartCatalog* catalog,
                       PlaceNameList* placeNames, std::vector<std::string> placeNameLines)
    : table_(table),
      counters_(counters),
      clock_(clock),
      catalog_(catalog),
      placeNames_(placeNames),
      placeNameLines_(std::move(placeNameLines)),
      fitFilter_(table.DynamicCount()),
      screenPositions_(std::make_unique<PixelPoint[]>(table.DynamicCount())),
      wakeDots_(table.DynamicCount(), kStationWakePoints) {
  baseChart_ = std::make_unique<BaseChartLayer>();
  canvas_.SetRowSplitter(&splitter_);
  // One kept course line per slot of the ship table.
  canvas_.KeepLines(table.DynamicCount());
  // And one kept item of shapes per ship.
  canvas_.KeepItems(table.DynamicCount());
  ResetScreenPositions();
}

ChartFrame::~ChartFrame() = default;

void ChartFrame::SetKeepDrawn(bool keep) {
  keepDrawn_ = keep;
  if (!keep) {
    underlay_.Clear();
    groundPicture_.Clear();
  }
  canvas_.KeepItems(keep ? table_.DynamicCount() : 0);
}

// Every byte 0x80: a slot not drawn this frame reads 0x80808080 in both coordinates.
void ChartFrame::ResetScreenPositions() {
  std::fill_n(screenPositions_.get(), table_.DynamicCount(), PixelPoint{kNotDrawn, kNotDrawn});
}

void ChartFrame::SetupView(int32_t paintWidth, int32_t paintHeight) {
  if (paintWidth < 1) paintWidth = 1;
  if (paintHeight < 1) paintHeight = 1;
  if (firstFrame_) {
    if (placeNames_ != nullptr && !placeNameLines_.empty()) placeNames_->Load(placeNameLines_);
    placeNameLines_.clear();
    placeNameLines_.shrink_to_fit();
    view_.symbolSize = 20;
    view_.seaColor = Rgb{0, 0, 64};
    view_.landColor = Rgb{128, 128, 128};
    view_.coastColor = Rgb{192, 192, 192};
    // The first frame's names get the panel face that later frames inherit from the panels.
    canvas_.SetFontFace(kPanelFaceSjis);
  }
  if (display_.width() != paintWidth || display_.height() != paintHeight) {
    display_ = QImage(paintWidth, paintHeight, QImage::Format_RGB32);
    display_.fill(kOpaque);
    displayCurrent_ = false;
    canvas_.Resize(2 * paintWidth, 2 * paintHeight);
  }
  SetupViewGeometry(view_, canvas_.Width(), canvas_.Height(), view_.centerLat, view_.centerLon, view_.rotationDeg,
                    view_.metersPerPixel);
}

void ChartFrame::Paint(int32_t paintWidth, int32_t paintHeight, const FrameInputs& in, FrameOutputs& out) {
  LayerStopwatch watch(timings_);
  UpdateViewForFrame(view_, table_, paintHeight, fitFilter_);
  ResetScreenPositions();
  SetupView(paintWidth, paintHeight);
  if (!(view_ == lastView_)) {
    lastView_ = view_;
    ++viewGeneration_;
  }
  FrameContext f{canvas_, view_, table_, counters_, in, clock_, screenPositions_.get()};
  f.viewGeneration = viewGeneration_;
  f.wakeDots = keepDrawn_ ? &wakeDots_ : nullptr;
  f.split = &splitter_;
  watch.Lap(FrameLayer::ViewUpdate);

  const ChartImage* chart = catalog_ != nullptr ? catalog_->Load() : nullptr;
  const UnderlayKey underlay{view_, chart, placeNames_ != nullptr ? placeNames_->Count() : -1,
                             in.options.latLonLine, canvas_.SavedState()};
  // The rings are drawn from their centre's pixel, the view and the pen and font left.
  GroundKey ground{underlay, in.options.circleChecked && circleEnabled_, false, 0, 0, {}};
  if (ground.rings) {
    DbDynamic own;
    table_.GetShip(0, own);
    ground.ringCentreNear = LatLonToPixel(view_, own.Lat, own.Lon, ground.ringX, ground.ringY);
  }
  const int32_t w = canvas_.Width(), h = canvas_.Height();
  // Each kept picture is as large as the work bitmap: beyond a large window's, none is kept.
  const bool keepPictures = keepDrawn_ && int64_t{w} * h <= kKeptPicturePixelsMax;
  if (!keepPictures) {
    underlay_.Clear();
    groundPicture_.Clear();
  }
  bool groundKept = false;
  if (keepPictures && underlay_.Holds(underlay, w, h)) {
    ground.beforeRings = underlay_.StateOut();
    // The same ground under the same kept ships: it is not even put back, only where a
    // ship changed (the canvas still shows the last frame).
    const ItemCache* items = canvas_.Items();
    groundKept = ground == lastGround_ && groundPicture_.Holds(ground, w, h) && items != nullptr &&
                 items->KeptOver(groundNumber_, w, h);
  }
  if (groundKept) {
    canvas_.RestoreState(groundPicture_.StateOut());
    watch.Lap(FrameLayer::BaseChart);
    if (betweenLayers_) betweenLayers_();
    watch.Lap(FrameLayer::PlaceNames);
    watch.Lap(FrameLayer::Grid);
  } else {
    if (keepPictures && underlay_.Restore(underlay, canvas_)) {
      watch.Lap(FrameLayer::BaseChart);
      if (betweenLayers_) betweenLayers_();
      watch.Lap(FrameLayer::PlaceNames);
      watch.Lap(FrameLayer::Grid);
    } else {
      baseChart_->DrawBaseChart(f, chart);
      watch.Lap(FrameLayer::BaseChart);
      if (betweenLayers_) betweenLayers_();
      if (placeNames_ != nullptr) DrawPlaceNames(f, *placeNames_);
      watch.Lap(FrameLayer::PlaceNames);
      if (in.options.latLonLine) DrawGrid(f, gridRotation_, view_.rotationDeg == 0.0, view_.rotationDeg);
      watch.Lap(FrameLayer::Grid);
      if (keepPictures) underlay_.Offer(underlay, canvas_);
    }
    ground.beforeRings = canvas_.SavedState();
    if (ground.rings) {
      DbDynamic own;
      table_.GetShip(0, own);
      DrawRangeRings(f, own.Lat, own.Lon);
    }
    if (keepPictures) groundPicture_.Offer(ground, canvas_);
  }
  // While the ground changes from frame to frame (the view moves) keeping costs more than
  // it saves: the ships are drawn straight, and kept from the second still frame on.
  const bool still = keepPictures && ground == lastGround_;
  if (!still) {
    lastGround_ = ground;
    ++groundNumber_;
  }
  f.ground = still ? groundNumber_ : 0;
  f.keepShips = still;
  f.groundPixels = groundKept ? groundPicture_.Pixels() : nullptr;
  watch.Lap(FrameLayer::RangeRings);
  if (betweenLayers_) betweenLayers_();

  const uint32_t now = clock_.TickMs();
  f.elapsedMs = firstFrame_ ? 0 : now - lastFrameTick_;
  lastFrameTick_ = now;
  firstFrame_ = false;
  f.elapsedMinutes = f.elapsedMs / 60000.0;
  f.elapsedHours = f.elapsedMinutes / 60;
  f.iconScale = in.options.bigIcon ? 2 : 1;
  f.inverseCos = 1 / std::cos(view_.centerLat * kRad);
  {
    // The const form: the writable one would make the lookup index be rebuilt.
    const DbDynamic& own = static_cast<const ShipTable&>(table_).DynamicEntries()[0];
    f.ownReportFresh = counters_.rmcFixCount != lastOwnFixCount_ ||
                       std::memcmp(&own.Raw, &lastOwnRaw_, sizeof(RawReport)) != 0;
    lastOwnFixCount_ = counters_.rmcFixCount;
    lastOwnRaw_ = own.Raw;
  }
  StepShips(table_, f);
  DrawShipLayer(f);
  if (in.weather != nullptr) DrawWeatherLayer(f, *in.weather);
  out.shipsMoving = f.shipsMoved;
  watch.Lap(FrameLayer::Ships);
  if (betweenLayers_) betweenLayers_();

  out.hoveredShip = FindHoveredShip(screenPositions_.get(), table_.DynamicCount(), in.pointerX, in.pointerY);
  watch.Lap(FrameLayer::Hover);

  if (in.options.shipNames) names_.Draw(f, in.watch, in.selectedShip);
  if (in.selectedShip > 0) DrawShipLabel(f, in.selectedShip);
  watch.Lap(FrameLayer::ShipLabel);
  DrawMeasureLayer(f, in.measure);
  DrawInfoPanels(f, in.options.debugPanelVisible);
  watch.Lap(FrameLayer::InfoPanels);
  if (betweenLayers_) betweenLayers_();
  out.alertRowCount = 0;
  if (in.watch != nullptr) DrawWatchLayer(f, *in.watch, out);
  watch.Lap(FrameLayer::Watch);

  // The display keeps last frame's averages: only what the work image changed since is
  // averaged again.
  canvas_.TakeChanges(changes_);
  if (displayCurrent_ && keepDrawn_)
    Downsample2x2(canvas_.Image(), display_, changes_, &splitter_);
  else
    Downsample2x2(canvas_.Image(), display_, &splitter_);
  displayCurrent_ = true;
  watch.Lap(FrameLayer::Downsample);
  if (betweenLayers_) betweenLayers_();

  const bool fix = counters_.rmcFixCount != 0;
  out.buttonDemoVisible = counters_.vdmCount == 0 && !fix;
  out.circleEnabled = fix;
  out.ownShipPanelsVisible = fix;
  circleEnabled_ = fix;
}

int32_t FindHoveredShip(const PixelPoint* screenPositions, int32_t entries, int32_t pointerX, int32_t pointerY) {
  int32_t hovered = -1;
  double best = 1000000000.0;
  for (int32_t slot = 1; slot < entries; ++slot) {
    // Halves truncate toward zero; slots not drawn sit about a billion pixels away.
    const double dx = static_cast<double>(pointerX) - screenPositions[slot].x / 2;
    const double dy = static_cast<double>(pointerY) - screenPositions[slot].y / 2;
    const double d = dx * dx + dy * dy;
    if (d < 400 && d < best) {
      hovered = slot;
      best = d;
    }
  }
  return hovered;
}

#if defined(__x86_64__) && defined(__GNUC__)
#define AISMON_AVERAGE_AVX2 1
namespace {

// Asked once: the averaging runs a thousand rows a frame.
const bool kHaveAvx2 = HaveAvx2();

// Eight display pixels at a time where the processor has the wide registers; returns how
// many pixels of the row it did.
__attribute__((target("avx2"))) int32_t AverageRowAvx2(const uint32_t* r0, const uint32_t* r1, uint32_t* o,
                                                       int32_t w) {
  const __m256i mask = _mm256_set1_epi32(static_cast<int>(kAverageMask));
  const __m256i opaque = _mm256_set1_epi32(static_cast<int>(kOpaque));
  int32_t x = 0;
  for (; x + 8 <= w; x += 8) {
    const __m256i* p0 = reinterpret_cast<const __m256i*>(r0 + 2 * x);
    const __m256i* p1 = reinterpret_cast<const __m256i*>(r1 + 2 * x);
    const __m256i s0 = _mm256_add_epi32(_mm256_and_si256(_mm256_loadu_si256(p0), mask),
                                        _mm256_and_si256(_mm256_loadu_si256(p1), mask));
    const __m256i s1 = _mm256_add_epi32(_mm256_and_si256(_mm256_loadu_si256(p0 + 1), mask),
                                        _mm256_and_si256(_mm256_loadu_si256(p1 + 1), mask));
    // Within each half: even and odd columns of s0's and s1's quarter.
    const __m256 f0 = _mm256_castsi256_ps(s0), f1 = _mm256_castsi256_ps(s1);
    const __m256i even = _mm256_castps_si256(_mm256_shuffle_ps(f0, f1, _MM_SHUFFLE(2, 0, 2, 0)));
    const __m256i odd = _mm256_castps_si256(_mm256_shuffle_ps(f0, f1, _MM_SHUFFLE(3, 1, 3, 1)));
    const __m256i avg = _mm256_srli_epi32(_mm256_add_epi32(even, odd), 2);
    // Pixels 0 1 4 5 | 2 3 6 7 back into order.
    const __m256i ordered = _mm256_permute4x64_epi64(avg, _MM_SHUFFLE(3, 1, 2, 0));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(o + x), _mm256_or_si256(ordered, opaque));
  }
  return x;
}

}  // namespace
#endif

namespace {

// w display pixels of one row from the two work rows under it.
void AverageRow(const uint32_t* r0, const uint32_t* r1, uint32_t* o, int32_t w) {
  int32_t x = 0;
#if defined(AISMON_AVERAGE_AVX2)
  if (kHaveAvx2) x = AverageRowAvx2(r0, r1, o, w);
#endif
#if defined(__SSE2__)
  // Four display pixels at a time: column sums of eight work pixels, then the even and
  // the odd columns added.
  const __m128i mask = _mm_set1_epi32(static_cast<int>(kAverageMask));
  const __m128i opaque = _mm_set1_epi32(static_cast<int>(kOpaque));
  for (; x + 4 <= w; x += 4) {
    const __m128i* p0 = reinterpret_cast<const __m128i*>(r0 + 2 * x);
    const __m128i* p1 = reinterpret_cast<const __m128i*>(r1 + 2 * x);
    const __m128i s0 = _mm_add_epi32(_mm_and_si128(_mm_loadu_si128(p0), mask), _mm_and_si128(_mm_loadu_si128(p1), mask));
    const __m128i s1 =
        _mm_add_epi32(_mm_and_si128(_mm_loadu_si128(p0 + 1), mask), _mm_and_si128(_mm_loadu_si128(p1 + 1), mask));
    const __m128 f0 = _mm_castsi128_ps(s0), f1 = _mm_castsi128_ps(s1);
    const __m128i even = _mm_castps_si128(_mm_shuffle_ps(f0, f1, _MM_SHUFFLE(2, 0, 2, 0)));
    const __m128i odd = _mm_castps_si128(_mm_shuffle_ps(f0, f1, _MM_SHUFFLE(3, 1, 3, 1)));
    const __m128i avg = _mm_srli_epi32(_mm_add_epi32(even, odd), 2);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o + x), _mm_or_si128(avg, opaque));
  }
#endif
  for (; x < w; ++x) {
    const uint32_t sum = (r0[2 * x] & kAverageMask) + (r0[2 * x + 1] & kAverageMask) + (r1[2 * x] & kAverageMask) +
                         (r1[2 * x + 1] & kAverageMask);
    o[x] = (sum >> 2) | kOpaque;
  }
}

const uint32_t* WorkRow(const uchar* bits, qsizetype stride, int32_t y) {
  return reinterpret_cast<const uint32_t*>(bits + y * stride);
}

void AverageRows(const uchar* workBits, qsizetype workStride, uchar* displayBits, qsizetype displayStride, int32_t w,
                 int32_t begin, int32_t end) {
  for (int32_t y = begin; y < end; ++y)
    AverageRow(WorkRow(workBits, workStride, 2 * y), WorkRow(workBits, workStride, 2 * y + 1),
               reinterpret_cast<uint32_t*>(displayBits + y * displayStride), w);
}

// The same, only under the changed tiles of the work image.
void AverageChangedRows(const uchar* workBits, qsizetype workStride, uchar* displayBits, qsizetype displayStride,
                        int32_t w, const TileChanges& changes, int32_t begin, int32_t end) {
  constexpr int32_t kColumns = TileChanges::kTileColumns / 2, kRows = TileChanges::kTileRows / 2;
  for (int32_t y = begin; y < end; ++y) {
    const int32_t band = y / kRows;
    const uint32_t* r0 = WorkRow(workBits, workStride, 2 * y);
    const uint32_t* r1 = WorkRow(workBits, workStride, 2 * y + 1);
    uint32_t* o = reinterpret_cast<uint32_t*>(displayBits + y * displayStride);
    ForEachBitRun(changes.bits.data() + static_cast<size_t>(band) * changes.wordsPerBand, changes.wordsPerBand,
                  [&](int32_t t, int32_t u) {
                    const int32_t x0 = t * kColumns, x1 = std::min(w, u * kColumns);
                    if (x1 > x0) AverageRow(r0 + 2 * x0, r1 + 2 * x0, o + x0, x1 - x0);
                  });
  }
}

}  // namespace

void Downsample2x2(const QImage& work, QImage& display, RowSplitter* split) {
  const int32_t w = std::min(display.width(), work.width() / 2);
  const int32_t h = std::min(display.height(), work.height() / 2);
  // The pointers are taken here, once: a detach of an image on two threads would race.
  const uchar* from = work.constBits();
  uchar* to = display.bits();
  const qsizetype fromStride = work.bytesPerLine(), toStride = display.bytesPerLine();
  auto rows = [&](int, int32_t b, int32_t e) { AverageRows(from, fromStride, to, toStride, w, b, e); };
  if (split != nullptr)
    split->Run(h, rows);
  else
    rows(0, 0, h);
}

void Downsample2x2(const QImage& work, QImage& display, const TileChanges& changes, RowSplitter* split) {
  // Tiles laid out for another size are no guide.
  const int32_t tilesPerRow = (work.width() + TileChanges::kTileColumns - 1) / TileChanges::kTileColumns;
  const int32_t bands = (work.height() + TileChanges::kTileRows - 1) / TileChanges::kTileRows;
  if (changes.all || changes.tilesPerRow != tilesPerRow ||
      changes.bits.size() != changes.wordsPerBand * static_cast<size_t>(bands) ||
      changes.wordsPerBand != static_cast<size_t>((tilesPerRow + 63) / 64)) {
    Downsample2x2(work, display, split);
    return;
  }
  const int32_t w = std::min(display.width(), work.width() / 2);
  const int32_t h = std::min(display.height(), work.height() / 2);
  const uchar* from = work.constBits();
  uchar* to = display.bits();
  const qsizetype fromStride = work.bytesPerLine(), toStride = display.bytesPerLine();
  auto rows = [&](int, int32_t b, int32_t e) { AverageChangedRows(from, fromStride, to, toStride, w, changes, b, e); };
  if (split != nullptr)
    split->Run(h, rows);
  else
    rows(0, 0, h);
}

}  // namespace aismon
