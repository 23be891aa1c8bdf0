#pragma once
// The statistics file as version 2 wrote it (64 source slots, per-minute counts by number
// over all sources, no windowed tallies), so that such a file keeps what it can on upgrade.
#include <cstdint>

#include "stats/reception_stats.h"

namespace aismon {

inline constexpr uint32_t kStatsVersion2 = 2;
inline constexpr int kV2Sources = 64;

struct StatsImageV2 {
  char magic[8];
  uint32_t version;
  uint32_t sourceCount;
  uint32_t binaryKeyCount;
  uint32_t reserved;
  char sourceNames[kV2Sources][kSourceNameBytes];
  BinaryKey binaryKeys[kBinaryKeys];
  struct {
    uint64_t byNumber[kV2Sources][kCountedNumbers];
    uint64_t duplicates[kV2Sources];
    uint64_t byChannel[kV2Sources][kChannels];
    uint64_t binary[kBinaryKeys];
  } allTime;
  uint32_t minuteStamp[kDayMinutes];
  uint32_t minuteByNumber[kDayMinutes][kCountedNumbers];
  uint32_t minuteBySource[kDayMinutes][kV2Sources];
  uint32_t hourStamp[kDayHours];
  uint32_t hourStations[kDayHours];
  RangeSectors sectors;
  uint32_t heardHour;
  int32_t heardCount;
  int32_t heard[kHeardStations];
};
// The size those files have: a change to a member type must not go unnoticed here.
static_assert(sizeof(StatsImageV2) == 919264);

// Fills a fresh image (all zero but its magic and version) with what the old one holds:
// names, binary kinds, all-time counts, messages per minute by source, stations per hour,
// the range records and the hour's stations. Slots past the last are added into the last.
// The windowed tallies stay empty: the old file has no counts by number and source per
// minute. Checks nothing; Restore checks the result.
void UpgradeStatsImage(const StatsImageV2& old, StatsImage& image);

}  // namespace aismon
