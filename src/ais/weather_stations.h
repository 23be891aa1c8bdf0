#pragma once
// Weather stations heard (message 8, DAC 1, FI 31 or 11). One sender often reports for
// several sites (a coast station for each tide gauge along a river), so a station is the
// sender's MMSI together with the site's position, kept apart from the ship table: it is
// never a ship, never moves and never enters a collision watch. A fixed number of places,
// allocated once; when all are taken the station heard longest ago gives way.
#include <cstdint>
#include <memory>

#include "ais/weather_report.h"

namespace aismon {

struct WeatherStation {
  bool used = false;
  int32_t mmsi = 0;
  int32_t rawLat = 0;  // 1/10000 minute, as the ship table's raw reports
  int32_t rawLon = 0;
  uint32_t tick = 0;   // when last heard
  WeatherReport report;
  double Lat() const { return rawLat / 600000.0; }
  double Lon() const { return rawLon / 600000.0; }
};

// A station silent this long is no longer shown or listed (they report every few minutes).
inline constexpr uint32_t kWeatherShownMs = 60 * 60 * 1000;

// Two reports of one sender within this distance (1/10000 minute, about 20 m) are one site.
inline constexpr int32_t kSameSiteRaw = 100;

class WeatherStations {
 public:
  // Places for a ship table of `stations` live stations: one weather station for every
  // eight of them, at least 64.
  explicit WeatherStations(int stations);

  // Stores a report of mmsi at the site (rawLat, rawLon) heard at tick now; returns its place.
  int Note(int32_t mmsi, int32_t rawLat, int32_t rawLon, const WeatherReport& report, uint32_t now);
  int Capacity() const { return capacity_; }
  const WeatherStation& At(int i) const { return places_[i]; }
  // The place of mmsi's station at the site, or -1.
  int Find(int32_t mmsi, int32_t rawLat, int32_t rawLon) const;
  int Count() const { return count_; }

 private:
  int capacity_;
  int count_ = 0;
  std::unique_ptr<WeatherStation[]> places_;
};

}  // namespace aismon
