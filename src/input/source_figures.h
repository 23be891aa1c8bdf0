#pragma once
// A source's figures as a person reads them: what it delivered, the stations it heard in
// the last 10 minutes, and the farthest of them with a position, by its range from own
// ship when own ship has a fix. Worked out on demand by a pass over the table (for a
// tooltip or a tool's report), never on the sentence path.
#include <cstdint>

#include "input/source_registry.h"
#include "watch/range_bearing.h"

namespace aismon {

class Intake;
class ShipTable;

struct SourceSummary {
  uint64_t sentences = 0;
  uint64_t messages = 0;
  uint64_t duplicates = 0;
  uint32_t messagesLastMinute = 0;
  bool heard = false;
  uint32_t lastHeardTick = 0;
  int stationsHeard = 0;
  int32_t farthestMmsi = 0;  // 0: no station with a position, or own ship has no fix
  double farthestNm = 0.0;
};

SourceSummary SummarizeSource(const ShipTable& table, const Intake& intake, SourceId id, uint32_t now);

// Whether own ship's position is known: an RMC fix, or its own VDO reports while those
// drive it.
bool OwnShipHasFix(const ShipTable& table, const Intake& intake);

}  // namespace aismon
