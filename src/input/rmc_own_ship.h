#pragma once
#include "input/receive_state.h"
#include "input/sentence_record.h"

namespace aismon {

class ShipTable;

// Own ship's position, speed and heading from an RMC sentence (used while VDO is off).
void UpdateOwnShipFromRmc(const SentenceRecord& r, ShipTable& table, const ReceiveOptions& options,
                          IntakeCounters& counters);

}  // namespace aismon
