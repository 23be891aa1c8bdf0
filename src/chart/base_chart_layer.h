#pragma once
// The bottom layer of every frame: the sea, then the land areas, further filled areas,
// lines and dots of the base chart catalog, each projected through the view.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "basechart/chart_catalog.h"
#include "basechart/chart_walk.h"
#include "chart/clip.h"
#include "chart/frame_context.h"
#include "chart/view_state.h"
#include "chart/wrap_split.h"

namespace aismon {

// Room of the screen point buffer before any record needed more, and what a larger record
// adds on top of its own count when the buffer grows for it.
inline constexpr int32_t kChartPointRoom = 100000;
inline constexpr int32_t kChartPointGrowth = 10000;
// Shapes are clipped to the bitmap widened by this much, so the clipped borders and the
// largest dot stay outside what is seen.
inline constexpr int32_t kChartGuardMargin = 16;

// Seam edges (tile and bin borders the source data was cut along) are left out of a land
// area's outline: an almost exactly north-south or east-west long edge, or any edge longer
// than about 0.18 degree in either direction. Points in 1e-7 degree.
bool IsSeamEdge(int32_t lat0, int32_t lon0, int32_t lat1, int32_t lon1);

// Whether a box (degrees) lies near the unrotated work bitmap: within a quarter of the
// bitmap's longitude span of it in latitude; in longitude only a box beyond that margin on
// both sides at once is refused.
bool BoxNearView(const ViewState& v, double north, double west, double south, double east);

// Draws the base chart. One per canvas: it keeps the screen point buffer and the clipping
// buffers between frames, so a frame allocates nothing once they have grown.
class BaseChartLayer {
 public:
  BaseChartLayer();

  // Floods the work bitmap with the sea colour, then draws the image if there is one.
  void DrawBaseChart(FrameContext& f, const ChartImage* image);
  // Draws every record of a chart image that lies near the view, in stored order.
  void DrawChartImage(FrameContext& f, const ChartImage& image);
  // Draws the chart image of the first wordCount words (header, records, end marker).
  void DrawChartWords(FrameContext& f, const int32_t* words, size_t wordCount);
  // Outlines an area in runs that stop at every seam edge. g: n stored points (latitude,
  // longitude pairs in 1e-7 degree); s: their n screen points and one spare entry after
  // them, which receives a copy of s[0] to close the ring.
  void DrawAreaOutline(FrameContext& f, const int32_t* g, PixelPoint* s, int32_t n);
  // The same from flags: seamAfter[i] says whether the edge from s[i] to the next point
  // (s[0] after the last) is a seam.
  void DrawOutlineRuns(FrameContext& f, PixelPoint* s, const uint8_t* seamAfter, int32_t n);

  // Points the screen buffer holds without growing (one spare entry beyond).
  int32_t PointRoom() const { return room_; }

 private:
  void DrawPolygon(FrameContext& f, const PixelPoint* s, int32_t n, const ClipRect& bounds);
  void DrawPolyline(FrameContext& f, const PixelPoint* s, int32_t n);
  // Whether the record is cut by the meridian opposite the centre; if so, prepares wrap_.
  bool CrossesWrap(const ViewState& v, const ChartRecord& r, bool closed);
  // Draws the record prepared in wrap_ with the current pen and brush: filled (and
  // outlined) when an area, a line otherwise; then its coast when coast is set.
  void DrawAcrossWrap(FrameContext& f, const ChartRecord& r, bool area, bool coast);
  void DrawWrapPieces(FrameContext& f);

  std::vector<PixelPoint> screen_;
  std::vector<uint8_t> seamAfter_;  // for the points kept in screen_
  int32_t room_ = 0;
  PolygonClipper polygonClipper_;
  PolylineClipper polylineClipper_;
  WrapSplit wrap_;
};

}  // namespace aismon
