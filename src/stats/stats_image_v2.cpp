#include "stats/stats_image_v2.h"

#include <algorithm>
#include <cstring>

namespace aismon {

void UpgradeStatsImage(const StatsImageV2& old, StatsImage& im) {
  const auto slot = [](int s) { return std::min(s, kStatSources - 1); };
  im.sourceCount = std::min<uint32_t>(old.sourceCount, kStatSources);
  std::memcpy(im.sourceNames, old.sourceNames, sizeof im.sourceNames);
  if (old.sourceCount > static_cast<uint32_t>(kStatSources)) NameOtherSources(im);
  im.binaryKeyCount = old.binaryKeyCount;
  std::memcpy(im.binaryKeys, old.binaryKeys, sizeof im.binaryKeys);
  for (int s = 0; s < kV2Sources; ++s) {
    for (int n = 0; n < kCountedNumbers; ++n) im.allTime.byNumber[slot(s)][n] += old.allTime.byNumber[s][n];
    im.allTime.duplicates[slot(s)] += old.allTime.duplicates[s];
    for (int c = 0; c < kChannels; ++c) im.allTime.byChannel[slot(s)][c] += old.allTime.byChannel[s][c];
  }
  std::memcpy(im.allTime.binary, old.allTime.binary, sizeof im.allTime.binary);
  std::memcpy(im.minuteStamp, old.minuteStamp, sizeof im.minuteStamp);
  for (int m = 0; m < kDayMinutes; ++m)
    for (int s = 0; s < kV2Sources; ++s) im.minuteBySource[m][slot(s)] += old.minuteBySource[m][s];
  std::memcpy(im.hourStamp, old.hourStamp, sizeof im.hourStamp);
  std::memcpy(im.hourStations, old.hourStations, sizeof im.hourStations);
  im.sectors = old.sectors;
  im.heardHour = old.heardHour;
  im.heardCount = old.heardCount;
  std::memcpy(im.heard, old.heard, sizeof im.heard);
}

}  // namespace aismon
