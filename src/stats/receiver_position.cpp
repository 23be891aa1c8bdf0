#include "stats/receiver_position.h"

#include <cmath>

#include "common/settings_file.h"
#include "shipdb/ship_table.h"

namespace aismon {

ReceiverSetting ReadReceiverSetting(const std::filesystem::path& iniPath) {
  ReceiverSetting r;
  bool lat = false, lon = false;
  for (const auto& [key, value] : ReadIniNumbers(iniPath, kReceiverSection)) {
    if (key == "Lat") r.lat = value, lat = true;
    if (key == "Lon") r.lon = value, lon = true;
  }
  r.set = lat && lon && std::fabs(r.lat) <= 90.0 && std::fabs(r.lon) <= 180.0;
  return r;
}

bool WriteReceiverSetting(const std::filesystem::path& iniPath, double lat, double lon) {
  return WriteIniNumbers(iniPath, kReceiverSection, {{"Lat", lat}, {"Lon", lon}});
}

void UpdateReceiver(ReceptionStats& stats, const ShipTable& table, const IntakeCounters& counters,
                    const ReceiverSetting& setting) {
  // Own ship starts at the view centre: only a fix (from RMC or a VDO report) places it.
  const DbDynamic& own = table.DynamicEntries()[0];
  const bool fix = (counters.rmcFixCount != 0 || own.Raw.PosState == kPosReported) && own.LatInvalid == 0 &&
                   own.LonInvalid == 0;
  if (fix)
    stats.SetReceiver(own.Lat, own.Lon);
  else if (setting.set)
    stats.SetReceiver(setting.lat, setting.lon);
  else
    stats.ClearReceiver();
}

}  // namespace aismon
