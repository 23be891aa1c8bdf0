#include "stats/range_sectors.h"

#include <cmath>

#include "watch/range_bearing.h"

namespace aismon {

int SectorOf(double bearingDeg) {
  if (!std::isfinite(bearingDeg)) return 0;
  double b = std::fmod(bearingDeg, 360.0);
  if (b < 0) b += 360.0;
  const int s = static_cast<int>(b / 10.0);
  return s >= kSectors ? kSectors - 1 : s;  // 359.99999 may round up to 36
}

bool RangeSectors::Note(StationClass c, double recvLat, double recvLon, double lat, double lon, int32_t mmsi,
                        uint32_t minute) {
  if (!(std::fabs(lat) <= 90.0 && std::fabs(lon) <= 180.0)) return false;
  const RangeBearing rb = RangeBearingBetween(recvLat, recvLon, lat, lon);
  if (!(rb.rangeNm <= kMaxPlausibleRangeNm)) return false;
  SectorRecord& r = records[static_cast<int>(c)][SectorOf(rb.bearingDeg)];
  if (r.mmsi != 0 && rb.rangeNm <= r.rangeNm) return false;
  r = SectorRecord{rb.rangeNm, mmsi, minute};
  return true;
}

}  // namespace aismon
