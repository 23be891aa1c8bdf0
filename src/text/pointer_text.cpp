#include "text/pointer_text.h"

#include <cmath>
#include <cstdio>

#include "text/position_text.h"
#include "watch/range_bearing.h"

namespace aismon {

std::string PointerStatusText(double lat, double lon, const RangeBearing* fromOwnShip) {
  std::string text = LatitudeText(lat) + "  " + LongitudeText(lon);
  if (fromOwnShip == nullptr || !std::isfinite(fromOwnShip->rangeNm) || !std::isfinite(fromOwnShip->bearingDeg))
    return text;
  // Bearings read to a tenth, as on a compass repeater: 359.96 shows as 000.0, not 360.0.
  double bearing = std::round(fromOwnShip->bearingDeg * 10) / 10;
  if (bearing >= 360) bearing -= 360;
  char buf[64];
  std::snprintf(buf, sizeof buf, "    自船から %.2f NM  %05.1f°", fromOwnShip->rangeNm, bearing);
  return text + buf;
}

}  // namespace aismon
