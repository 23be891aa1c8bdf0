#include "chart/view_state.h"

#include <cmath>

#include "common/settings_file.h"
#include "shipdb/received_position.h"
#include "shipdb/ship_table.h"

namespace aismon {

namespace {
constexpr double kPi = 3.141592653589793;
constexpr double kRad = kPi / 180.0;
constexpr uint32_t kLiveAgeMs = 600000;  // a ship unheard for longer is not shown
}  // namespace

void SetupViewGeometry(ViewState& v, int32_t workWidth, int32_t workHeight, double centerLat, double centerLon,
                       double rotationDeg, double metersPerPixel) {
  v.width = workWidth;
  v.height = workHeight;
  v.centerLat = centerLat;
  v.centerLon = centerLon;
  v.rotationDeg = rotationDeg;
  v.metersPerPixel = metersPerPixel;
  v.cosRotQ12 = static_cast<int32_t>(std::trunc(std::cos(rotationDeg * kRad) * 4096));
  v.sinRotQ12 = static_cast<int32_t>(std::trunc(std::sin(rotationDeg * kRad) * 4096));
  // Near the poles the longitude scale is held finite.
  const double c = std::cos(centerLat * kRad);
  const double k = c > 0.173 ? c : 0.173;
  v.degLonPerPixel = metersPerPixel / 1852 / (60 * k);
  v.degLatPerPixel = metersPerPixel / 1852 / 60;
  const int32_t halfW = workWidth / 2;
  const int32_t halfH = workHeight / 2;
  v.southLat = centerLat - halfH * v.degLatPerPixel;
  v.westLon = centerLon - halfW * v.degLonPerPixel;
  v.northLat = centerLat + halfH * v.degLatPerPixel;
  v.eastLon = centerLon + halfW * v.degLonPerPixel;
  v.cosCenterLat = c;
  v.pixelsPerDegLat = 1 / v.degLatPerPixel;
  v.pixelsPerDegLon = 1 / v.degLonPerPixel;
  v.halfWorldPixels = 180 / v.degLonPerPixel;
}

void PixelToLatLon(const ViewState& v, int32_t px, int32_t py, double& lat, double& lon) {
  lon = v.centerLon + v.degLonPerPixel * (2.0 * px - v.width / 2);
  lat = v.centerLat - v.degLatPerPixel * (2.0 * py - v.height / 2);
}

void PaintPointToLatLon(const ViewState& v, int32_t paintWidth, int32_t paintHeight, int32_t x, int32_t y,
                        double& lat, double& lon) {
  // The turn is undone about the paint box's centre, as zooming at the pointer does.
  const int32_t cx = paintWidth / 2, cy = paintHeight / 2;
  const double t = v.rotationDeg * kRad;
  const double dx = x - cx, dy = y - cy;
  const double px = dx * std::cos(t) - dy * std::sin(t) + cx;
  const double py = dx * std::sin(t) + dy * std::cos(t) + cy;
  lon = v.centerLon + v.degLonPerPixel * (2.0 * px - v.width / 2);
  lat = v.centerLat - v.degLatPerPixel * (2.0 * py - v.height / 2);
  lon = std::remainder(lon, 360.0);
  if (lon == 180.0) lon = -180.0;
}

PixelPoint RotatePixelCache::Rotate(int32_t w, int32_t h, double angleDeg, int32_t x, int32_t y) {
  if (angleDeg != lastAngle_) {
    lastAngle_ = angleDeg;
    sn_ = static_cast<int32_t>(std::trunc(std::sin(-angleDeg * kRad) * 16384));
    cs_ = static_cast<int32_t>(std::trunc(std::cos(-angleDeg * kRad) * 16384));
  }
  const int32_t hw = w >> 1;
  const int32_t hh = h >> 1;
  // 64-bit products: points far outside the bitmap must not overflow.
  const int64_t dx = static_cast<int64_t>(x) - hw;
  const int64_t dy = static_cast<int64_t>(y) - hh;
  return PixelPoint{static_cast<int32_t>(hw + ((dx * cs_ - dy * sn_) >> 14)),
                    static_cast<int32_t>(hh + ((dx * sn_ + dy * cs_) >> 14))};
}

void FitAllShips(ViewState& v, ShipTable& table, int32_t paintHeight, ViewFitFilter& filter) {
  filter.Clear();
  for (int i = 1; i < table.DynamicCount(); ++i) {
    DbDynamic e;
    if (!table.GetShip(i, e)) continue;
    if (e.Age > kLiveAgeMs || table.StaticOf(e.Link).Aids != 0) continue;
    // A station known only from a static message, or reporting "no position", sits at a
    // placeholder: it would stretch the view over half the earth.
    if (!HasReceivedPosition(e)) continue;
    filter.Add(e.Lat, e.Lon);
  }
  filter.Decide();
  double north = -90, south = 90, east = -180, west = 180;
  int count = 0;
  for (size_t i = 0; i < filter.Count(); ++i) {
    if (!filter.Kept(i)) continue;
    ++count;
    north = std::fmax(north, filter.Lat(i) + 0.000001);
    south = std::fmin(south, filter.Lat(i) - 0.000001);
    east = std::fmax(east, filter.Lon(i) + 0.000001);
    west = std::fmin(west, filter.Lon(i) - 0.000001);
  }
  if (count < 2) return;
  v.centerLat = (north + south) / 2;
  v.centerLon = (east + west) / 2;
  const double span = std::fmax(std::cos(v.centerLat * kRad) * (east - west), north - south);
  v.metersPerPixel = std::fmax(span * 111120 / (paintHeight * 1.8), 10.0);
}

void KeepCenterOnEarth(ViewState& v) {
  if (!std::isfinite(v.centerLat) || !std::isfinite(v.centerLon)) {
    v.centerLat = kDefaultCenterLat;
    v.centerLon = kDefaultCenterLon;
  }
  v.centerLat = std::fmin(std::fmax(v.centerLat, -90.0), 90.0);
  // Longitudes wrap: the projection draws everything within 180 degrees of the centre anyway.
  if (v.centerLon > 180.0 || v.centerLon < -180.0) {
    v.centerLon = std::remainder(v.centerLon, 360.0);
  }
}

void UpdateViewForFrame(ViewState& v, ShipTable& table, int32_t paintHeight, ViewFitFilter& filter) {
  if (v.fitAllShips) FitAllShips(v, table, paintHeight, filter);
  KeepCenterOnEarth(v);
  // NaN as well as out-of-range scales end up inside 0.1 .. 10000.
  if (!(v.metersPerPixel <= 10000)) v.metersPerPixel = 10000;
  if (!(v.metersPerPixel >= 0.1)) v.metersPerPixel = 0.1;
  if (v.orientationMode == OrientationMode::HeadingUp) {
    DbDynamic own;
    table.GetShip(0, own);
    const double h = std::isfinite(own.Hdg) ? std::trunc(own.Hdg) : 0.0;
    v.rotationDeg = (7 * v.rotationDeg + h) / 8;
  }
}

}  // namespace aismon
