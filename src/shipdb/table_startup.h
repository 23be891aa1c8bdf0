#pragma once
// The start-up steps that touch the ship table: load the database of the program folder,
// make sure MMSI 1 has a static record, and place own ship at the view centre.
#include <filesystem>

#include "common/settings_file.h"
#include "shipdb/ship_table.h"

namespace aismon {

void PrepareShipTable(ShipTable& table, const std::filesystem::path& programFolder, const MapCenter& center);

}  // namespace aismon
