#pragma once
// The message stage: dispatch by message number, one decoder per message family (each in
// its own file), and the two common steps that write the ship table.
#include <cstdint>

#include "ais/ais_payload.h"
#include "ais/safety_text.h"
#include "ais/station_notes.h"
#include "ais/weather_stations.h"
#include "shipdb/ship_records.h"

namespace aismon {

class ShipTable;
class WatchAlert;

class MessageDecoders {
 public:
  MessageDecoders(ShipTable& table, WatchAlert& watch);

  int DispatchMessage(const AisPayload& p, int bitLength, int mode);
  // Receives the text of messages 12 and 14; without it they are ignored.
  void SetSafetyTextHook(SafetyTextHook hook) { safetyHook_ = std::move(hook); }
  // Long-range notes of the table's entries.
  const StationNotes& Notes() const { return notes_; }
  // The weather stations heard, beside the table.
  const WeatherStations& Weather() const { return weather_; }

 private:
  // A decoder's working copies of the station's data.
  struct Station {
    int index;
    DbStatic statics;
    RawReport raw;
  };
  void Load(int index, Station& s);

  int DecodeClassA(int number, const AisPayload& p, int mode);
  int DecodeBaseStation(const AisPayload& p, int bitLength, int mode);
  int DecodeStaticVoyage(const AisPayload& p, int bitLength, int mode);
  int DecodeSarAircraft(const AisPayload& p, int bitLength, int mode);
  int DecodeClassB(const AisPayload& p, int bitLength, int mode);
  int DecodeClassBExtended(const AisPayload& p, int bitLength, int mode);
  int DecodeAidToNavigation(const AisPayload& p, int bitLength, int mode);
  int DecodeStaticReport(const AisPayload& p, int bitLength, int mode);
  int DecodeSafetyText(int number, const AisPayload& p, int bitLength, int mode);
  int DecodeBinaryBroadcast(const AisPayload& p, int bitLength, int mode);
  int DecodeLongRange(const AisPayload& p, int bitLength, int mode);
  // A fine position report (1-3, 18, 19) came: long-range reports step aside for a while.
  void NoteFineReport(int index);

  void StoreStatic(int index, DbStatic& statics);
  void StoreReport(int index, const RawReport& raw, int speedUnit, bool applyMotion);

  ShipTable& table_;
  WatchAlert& watch_;
  SafetyTextHook safetyHook_;
  SafetyText safety_;
  StationNotes notes_;
  WeatherStations weather_;
};

// Speed units of StoreReport: tenths of a knot, or whole knots (message 9).
inline constexpr int kSpeedTenths = 0;
inline constexpr int kSpeedKnots = 9;

}  // namespace aismon
