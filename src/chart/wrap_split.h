#pragma once
// Shapes cut by the meridian opposite the view centre. The projection brings each point
// on its own to within half a world of the centre, so an edge between points on either
// side of that meridian would run right across the picture, and a filled shape would
// become a band round the world. Such a shape is made continuous across the meridian and
// drawn once for each side, every copy cut at the world's edge (x = -H and x = +H before
// the turn), which is where its points land one by one.
#include <cstdint>
#include <vector>

#include "chart/view_state.h"

namespace aismon {

class WrapSplit {
 public:
  // A quick test on a shape's longitude range (degrees): false when no meridian where
  // the view wraps can pass between its points.
  static bool MayCross(const ViewState& v, double west, double east);

  // Projects n stored points (latitude, longitude pairs in 1e-7 degree) up to the turn and
  // tells whether an edge between consecutive points (and, when closed, from the last back
  // to the first) crosses the wrap. Only then are the points kept, made continuous, for
  // the calls below. A closed ring round a pole cannot be made continuous: false.
  bool Prepare(const ViewState& v, const int32_t* points, int32_t n, bool closed);

  // The copies, each shifted by a whole number of worlds, that meet the world strip.
  int32_t FirstCopy() const { return firstCopy_; }
  int32_t LastCopy() const { return lastCopy_; }

  // The closed shape of one copy cut to the strip, in work pixels.
  const std::vector<PixelPoint>& Polygon(const ViewState& v, int32_t copy);

  // The pieces within the strip of one copy's open polyline through points from, from+1,
  // ..., from+count-1 (an index of n or more stands for the point n places before it, so a
  // run may end with the closing edge).
  void Polyline(const ViewState& v, int32_t copy, int32_t from, int32_t count);
  int PieceCount() const { return static_cast<int>(pieceStart_.size()); }
  const PixelPoint* Piece(int i) const { return pieces_.data() + pieceStart_[static_cast<size_t>(i)]; }
  int PieceLength(int i) const;

 private:
  struct Offset {
    double x, y;
  };
  Offset At(int32_t i, int32_t copy) const;
  void Emit(const ViewState& v, const Offset& p, std::vector<PixelPoint>& out) const;

  std::vector<Offset> offset_;  // as UnturnedOffset gives them
  std::vector<int32_t> world_;  // whole worlds added to make the shape continuous
  std::vector<Offset> ringA_, ringB_;
  std::vector<PixelPoint> polygon_;
  std::vector<PixelPoint> pieces_;
  std::vector<int32_t> pieceStart_;
  int32_t n_ = 0;
  double halfWorld_ = 0;
  int32_t firstCopy_ = 0;
  int32_t lastCopy_ = -1;
};

}  // namespace aismon
