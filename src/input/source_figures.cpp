#include "input/source_figures.h"

#include <algorithm>
#include <cmath>

#include "input/intake.h"
#include "shipdb/received_position.h"
#include "shipdb/ship_table.h"
#include "watch/cpa.h"  // the earth radius the watch uses

namespace aismon {

bool OwnShipHasFix(const ShipTable& table, const Intake& intake) {
  const DbDynamic& own = table.DynamicEntries()[0];
  const bool vdoFix = intake.options.vdoEnabled && own.Raw.PosState == kPosReported;
  return (intake.counters.rmcFixCount != 0 || vdoFix) && !own.LatInvalid && !own.LonInvalid &&
         IsEarthPosition(own.Lat, own.Lon);
}

SourceSummary SummarizeSource(const ShipTable& table, const Intake& intake, SourceId id, uint32_t now) {
  SourceSummary s;
  const SourceFigures& f = intake.sources.Figures(id);
  s.sentences = f.sentences;
  s.messages = f.messages;
  s.duplicates = f.duplicates;
  s.messagesLastMinute = intake.sources.MessagesLastMinute(id, now);
  s.heard = f.heard;
  s.lastHeardTick = f.lastHeardTick;

  const DbDynamic* d = table.DynamicEntries();
  const bool fix = OwnShipHasFix(table, intake);
  for (int i = 1; i < table.DynamicCount(); ++i) {
    if (d[i].Age == 0 || !intake.stations.Heard(i, d[i].MMSI, id, now)) continue;
    ++s.stationsHeard;
    if (!fix || !HasReceivedPosition(d[i])) continue;
    const double range = GreatCircleNm(d[0].Lat, d[0].Lon, d[i].Lat, d[i].Lon);
    if (s.farthestMmsi == 0 || range > s.farthestNm) {
      s.farthestMmsi = d[i].MMSI;
      s.farthestNm = range;
    }
  }
  return s;
}

}  // namespace aismon
