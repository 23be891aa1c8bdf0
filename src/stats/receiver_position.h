#pragma once
// Where the receiver stands, for the range statistics: own ship's fix while there is one,
// else the position set in the settings file (section "Receiver", keys "Lat" and "Lon"),
// else nowhere (no range is recorded then).
#include <filesystem>

#include "input/receive_state.h"
#include "stats/reception_stats.h"

namespace aismon {

class ShipTable;

inline constexpr char kReceiverSection[] = "Receiver";

struct ReceiverSetting {
  bool set = false;
  double lat = 0, lon = 0;
};

// Not set when the file, a key or a number is missing, or the position is off the globe.
ReceiverSetting ReadReceiverSetting(const std::filesystem::path& iniPath);
bool WriteReceiverSetting(const std::filesystem::path& iniPath, double lat, double lon);

// Gives stats the receiver's position by the rule above; call it about once a second.
void UpdateReceiver(ReceptionStats& stats, const ShipTable& table, const IntakeCounters& counters,
                    const ReceiverSetting& setting);

}  // namespace aismon
