#pragma once
// How far the receiver hears: the farthest station heard in each 10-degree sector of true
// bearing around the receiver, class A and class B apart, with the station that set it.
#include <cstdint>

namespace aismon {

inline constexpr int kSectors = 36;
// Farther positions are taken for bad fixes (0 N 0 E, a ship's GPS gone astray), not
// reception: even tropospheric ducting rarely carries VHF this far.
inline constexpr double kMaxPlausibleRangeNm = 500.0;

enum class StationClass : uint8_t { kA = 0, kB = 1 };
inline constexpr int kStationClasses = 2;

struct SectorRecord {
  double rangeNm = 0.0;
  int32_t mmsi = 0;      // 0 = nothing heard in the sector yet
  uint32_t minute = 0;   // when it was set (the statistics' minute count)
};

// 0 for bearings from 0 up to 10 degrees, ..., 35 up to 360; any angle is taken modulo 360.
int SectorOf(double bearingDeg);

// A plain record of records, so it is written to the statistics file as it stands.
struct RangeSectors {
  SectorRecord records[kStationClasses][kSectors];

  // Notes a station of class c at (lat, lon) heard from a receiver at (recvLat, recvLon);
  // true when it set a new record for its sector.
  bool Note(StationClass c, double recvLat, double recvLon, double lat, double lon, int32_t mmsi, uint32_t minute);
  const SectorRecord& At(StationClass c, int sector) const { return records[static_cast<int>(c)][sector]; }
};

}  // namespace aismon
