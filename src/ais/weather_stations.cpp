#include "ais/weather_stations.h"

#include <algorithm>
#include <cstdlib>

namespace aismon {

WeatherStations::WeatherStations(int stations)
    : capacity_(std::max(64, stations / 8)), places_(new WeatherStation[capacity_]()) {}

int WeatherStations::Find(int32_t mmsi, int32_t rawLat, int32_t rawLon) const {
  for (int i = 0; i < capacity_; ++i) {
    const WeatherStation& w = places_[i];
    if (w.used && w.mmsi == mmsi && std::abs(w.rawLat - rawLat) <= kSameSiteRaw &&
        std::abs(w.rawLon - rawLon) <= kSameSiteRaw)
      return i;
  }
  return -1;
}

int WeatherStations::Note(int32_t mmsi, int32_t rawLat, int32_t rawLon, const WeatherReport& report, uint32_t now) {
  int i = Find(mmsi, rawLat, rawLon);
  if (i < 0) {
    // A free place, else the one heard longest ago.
    for (int k = 0; k < capacity_; ++k) {
      if (!places_[k].used) {
        i = k;
        break;
      }
      if (i < 0 || now - places_[k].tick > now - places_[i].tick) i = k;
    }
    if (!places_[i].used) ++count_;
  }
  places_[i] = WeatherStation{true, mmsi, rawLat, rawLon, now, report};
  return i;
}

}  // namespace aismon
