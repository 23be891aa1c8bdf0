#pragma once
// What the table knows about one station, as the rows of the ship card: (label, value)
// pairs in Japanese with their units. A value the station reported as not available reads
// "不明"; a field its kind of station does not transmit reads "—". UTF-8.
#include <cstdint>
#include <string>
#include <vector>

#include "common/clock.h"
#include "shipdb/ship_records.h"

namespace aismon {

class ShipTable;
class TrafficWatch;
class PortList;

enum class StationKind : uint8_t { Unknown, ClassA, ClassB, BaseStation, AidToNavigation, SarAircraft, Sart, Mob, Epirb };

// By the MMSI for distress beacons (970/972/974), else by the last message the station sent.
StationKind StationKindOf(const DbDynamic& e, const DbStatic* s);
// "クラスA", "クラスB", "基地局", "航路標識", "SAR航空機", "AIS-SART", "MOB", "EPIRB", "不明".
const char* StationKindText(StationKind kind);

struct CardLine {
  std::string label;
  std::string value;
};

// The card of table entry `index` (1..table.Stations()); empty when the entry holds no
// station. watch gives range, bearing, CPA, TCPA and whether the station is lost (nullptr:
// those rows read "—"); now is the local time the last-heard time is counted back from.
std::vector<CardLine> ShipCardLines(const ShipTable& table, int index, const TrafficWatch* watch,
                                    const LocalDateTime& now, const PortList& ports);

}  // namespace aismon
