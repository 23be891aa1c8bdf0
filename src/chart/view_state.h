#pragma once
// The view: centre, scale and rotation kept between frames, and the geometry rebuilt for
// each frame, with the projection between latitude/longitude and work-bitmap pixels.
// Pure arithmetic (no drawing surface), so it can be tested and used without Qt.
#include <cmath>
#include <cstdint>

#include "chart/view_fit_filter.h"

namespace aismon {

class ShipTable;

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

enum class OrientationMode : int { NorthUp = 0, HeadingUp = 1, FreeRotation = 2 };

struct PixelPoint {
  int32_t x = 0;
  int32_t y = 0;
};

struct ViewState {
  // View settings, kept from frame to frame.
  OrientationMode orientationMode = OrientationMode::NorthUp;
  bool centerOnOwnShip = false;
  bool fitAllShips = true;
  double centerLat = 34.666667;
  double centerLon = 135.25;
  double rotationDeg = 0.0;
  double metersPerPixel = 15.0;

  // Frame geometry, rebuilt by SetupViewGeometry every frame.
  double northLat = 0, westLon = 0, southLat = 0, eastLon = 0;
  Rgb seaColor{0, 0, 64};
  Rgb landColor{128, 128, 128};
  Rgb coastColor{192, 192, 192};
  int32_t symbolSize = 20;
  int32_t width = 0;   // work bitmap, twice the paint box
  int32_t height = 0;
  double cosCenterLat = 1.0;
  double pixelsPerDegLon = 1.0, pixelsPerDegLat = 1.0;
  double degLonPerPixel = 1.0, degLatPerPixel = 1.0;
  double halfWorldPixels = 180.0;
  int32_t cosRotQ12 = 4096, sinRotQ12 = 0;
  friend bool operator==(const ViewState&, const ViewState&) = default;
};

// The geometry part of SetupView: stores the settings given and rebuilds the frame
// geometry for a work bitmap of workWidth x workHeight (twice the paint box).
void SetupViewGeometry(ViewState& v, int32_t workWidth, int32_t workHeight, double centerLat, double centerLon,
                       double rotationDeg, double metersPerPixel);

// The projection up to the turn: offsets from the centre in pixels, x east and y north,
// the longitude brought within half a world of the centre (x in (-H, H]).
inline void UnturnedOffset(const ViewState& v, double lat, double lon, double& x0, double& y0) {
  y0 = (lat - v.centerLat) * v.pixelsPerDegLat;
  x0 = (lon - v.centerLon) * v.pixelsPerDegLon;
  const double h = v.halfWorldPixels;
  if (x0 < h) x0 += 2 * h;
  if (x0 < h) x0 += 2 * h;
  if (x0 > h) x0 -= 2 * h;
  if (x0 > h) x0 -= 2 * h;
}

// The rest of the projection: the turn and the rounding to a work pixel. Returns nearPicture.
inline bool OffsetToPixel(const ViewState& v, double x0, double y0, int32_t& x, int32_t& y) {
  if (v.rotationDeg != 0.0) {
    const double a = std::trunc(v.cosRotQ12 * x0 - v.sinRotQ12 * y0);
    const double b = std::trunc(v.cosRotQ12 * y0 + v.sinRotQ12 * x0);
    // Arithmetic shift right by 12 of the truncated integers (floor division by 4096).
    x0 = std::floor(a / 4096.0);
    y0 = std::floor(b / 4096.0);
  }
  // Truncated toward zero. Points millions of pixels away (or not a number) are pinned far
  // outside instead of overflowing the conversion; they are never near the picture. The
  // pin comes before the truncation, which gives the same: the bounds are whole numbers.
  // Plain comparisons and one conversion, as this runs for every point of every frame.
  constexpr double kFar = 1e9;
  auto pin = [](double v) {
    if (v >= -kFar && v <= kFar) return static_cast<int32_t>(v);
    return static_cast<int32_t>(std::isnan(v) || v > 0 ? kFar : -kFar);
  };
  x = pin(v.width / 2 + x0 + 0.5);
  y = pin(v.height / 2 - y0 + 0.5);
  return x >= -100 && x <= v.width + 100 && y >= -100 && y <= v.height + 100;
}

// Work-bitmap pixel of a position; x and y are always written. Returns nearPicture.
// Inline: every coastline point and wake dot of a frame goes through it.
inline bool LatLonToPixel(const ViewState& v, double lat, double lon, int32_t& x, int32_t& y) {
  double x0, y0;
  UnturnedOffset(v, lat, lon, x0, y0);
  return OffsetToPixel(v, x0, y0, x, y);
}


// Position of a paint-box point (no rotation undone, no wrap).
void PixelToLatLon(const ViewState& v, int32_t px, int32_t py, double& lat, double& lon);
// Position under a point of the paint box (paintWidth x paintHeight), the view's turn
// undone and the longitude brought into -180 .. 180: where the pointer is.
void PaintPointToLatLon(const ViewState& v, int32_t paintWidth, int32_t paintHeight, int32_t x, int32_t y,
                        double& lat, double& lon);

// Turns work-bitmap points about the bitmap centre; caches the sine and cosine of the
// last angle (one instance per user, e.g. the grid layer).
class RotatePixelCache {
 public:
  PixelPoint Rotate(int32_t w, int32_t h, double angleDeg, int32_t x, int32_t y);

 private:
  double lastAngle_ = -9999.0;
  int32_t sn_ = 0;
  int32_t cs_ = 16384;
};

// Re-centres and re-scales the view on all live ships (paintHeight: the paint box's height),
// leaving out what filter rules out (see view_fit_filter.h); filter is scratch storage.
void FitAllShips(ViewState& v, ShipTable& table, int32_t paintHeight, ViewFitFilter& filter);

// The per-frame view update before SetupView: fit, clamp the scale, follow own heading.
// A centre that is not a number goes back to the default; latitudes stop at the poles and
// longitudes wrap into -180..180, whatever view control or a settings file left.
void KeepCenterOnEarth(ViewState& v);
void UpdateViewForFrame(ViewState& v, ShipTable& table, int32_t paintHeight, ViewFitFilter& filter);

}  // namespace aismon
