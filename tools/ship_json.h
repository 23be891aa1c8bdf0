#pragma once
// JSON Lines forms of the ship table for aisdump: one object per entry, one for the counters.
#include <string>
#include <string_view>

#include "input/intake.h"
#include "shipdb/ship_table.h"
#include "stats/reception_stats.h"

namespace aismon {

// Appends s as a JSON string of its bytes: bytes of 0x80 and above and control bytes as \u00XX.
void AppendJsonBytes(std::string& out, std::string_view s);
// {"index": i, "dynamic": {...}, "static": {...}, "sources": ["name", ...]}: the sources
// that heard the station in the 10 minutes before now.
void AppendEntryJson(std::string& out, const ShipTable& table, const Intake& intake, int index, uint32_t now);
// {"counters": {..., "sources": {"name": {figures}, ...}}}
void AppendCountersJson(std::string& out, const ShipTable& table, const Intake& intake, uint32_t now);
// {"messages": {"1": n, ...}, "binary": {"8/1/31": n, ...}, "sources": {...}}: complete
// messages by number and binary messages by number/DAC/FI (duplicates not counted), and
// each source's figures as in the counters.
void AppendStatsJson(std::string& out, const ShipTable& table, const Intake& intake, const ReceptionStats& stats,
                     uint32_t now);

}  // namespace aismon
