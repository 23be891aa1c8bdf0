#include "shipdb/table_startup.h"

#include "shipdb/ship_db_files.h"

namespace aismon {

void PrepareShipTable(ShipTable& table, const std::filesystem::path& programFolder, const MapCenter& center) {
  LoadShipDb(table, programFolder);
  table.FindOrAddStatic(1);
  DbDynamic own;
  table.GetShip(0, own);
  own.MMSI = kOwnShipPlaceholderMMSI;
  own.Lat = center.lat;
  own.Lon = center.lon;
  own.Hdg = own.Sog = own.Cog = own.Rot = 0.0;
  table.PutShip(0, own);
}

}  // namespace aismon
