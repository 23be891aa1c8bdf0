#pragma once
#include "input/receive_state.h"
#include "input/sentence_record.h"

namespace aismon {

class ShipTable;

// Own ship's position, speed, heading and course from an RMC sentence (used while VDO is
// off). The course field gives Hdg and, when it is a course, Cog; without it Cog is left
// for the timer's estimate.
void UpdateOwnShipFromRmc(const SentenceRecord& r, ShipTable& table, const ReceiveOptions& options,
                          IntakeCounters& counters);

}  // namespace aismon
