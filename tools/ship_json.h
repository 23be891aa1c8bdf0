#pragma once
// JSON Lines forms of the ship table for aisdump: one object per entry, one for the counters.
#include <string>
#include <string_view>

#include "input/receive_state.h"
#include "shipdb/ship_table.h"

namespace aismon {

// Appends s as a JSON string of its bytes: bytes of 0x80 and above and control bytes as \u00XX.
void AppendJsonBytes(std::string& out, std::string_view s);
// {"index": i, "dynamic": {...}, "static": {...}}
void AppendEntryJson(std::string& out, const ShipTable& table, int index);
// {"counters": {...}}
void AppendCountersJson(std::string& out, const ShipTable& table, const IntakeCounters& counters);

}  // namespace aismon
