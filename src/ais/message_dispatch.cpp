#include "ais/message_decoders.h"

#include "ais/vdx_assembly.h"
#include "ais/watch_alert.h"
#include "shipdb/ship_table.h"

namespace aismon {

namespace {
constexpr int32_t kLatLimit = 54000000;   // 90 degrees in 1/10000 minute
constexpr int32_t kLonLimit = 108000000;  // 180 degrees
constexpr double kRawPerDegree = 600000.0;
}  // namespace

MessageDecoders::MessageDecoders(ShipTable& table, WatchAlert& watch)
    : table_(table), watch_(watch), notes_(table.DynamicCount()), weather_(table.Stations()) {}

int MessageDecoders::DispatchMessage(const AisPayload& p, int bitLength, int mode) {
  // Taken as a signed byte: numbers from 32 on come out negative and are refused too.
  const int number = static_cast<int8_t>(p.bytes[0]) >> 2;
  constexpr int kLongRange = 27;
  if (number < 1 || (number > 24 && number != kLongRange)) return 0;
  watch_.CheckWatch(p, number);
  switch (number) {
    case 1:
    case 2:
    case 3:
      return DecodeClassA(number, p, mode);
    case 4:
      return DecodeBaseStation(p, bitLength, mode);
    case 5:
      return DecodeStaticVoyage(p, bitLength, mode);
    case 9:
      return DecodeSarAircraft(p, bitLength, mode);
    case 18:
      return DecodeClassB(p, bitLength, mode);
    case 19:
      return DecodeClassBExtended(p, bitLength, mode);
    case 21:
      return DecodeAidToNavigation(p, bitLength, mode);
    case 24:
      return DecodeStaticReport(p, bitLength, mode);
    case 12:
    case 14:
      return DecodeSafetyText(number, p, bitLength, mode);
    case 8:
      return DecodeBinaryBroadcast(p, bitLength, mode);
    case kLongRange:
      return DecodeLongRange(p, bitLength, mode);
    default:
      return 0;
  }
}

// The decoders change the entry in place (the single-threaded equivalent of copying it
// out and back, without the copies); the static record and the raw report are worked on
// as copies, since messages 4 and 9 from own ship store neither.
void MessageDecoders::Load(int index, Station& s) {
  s.index = index;
  const DbDynamic* e = table_.Edit(index);  // always an entry: index comes from a lookup
  s.statics = table_.StaticOf(e->Link);
  s.raw = e->Raw;
}

void MessageDecoders::StoreStatic(int index, DbStatic& statics) {
  DbDynamic& e = *table_.Edit(index);
  e.Age = 1;
  statics.UdTime = table_.NowStamp();
  statics.MMSI = e.MMSI;
  table_.StaticOf(e.Link) = statics;
  table_.Commit(index);
}

void MessageDecoders::StoreReport(int index, const RawReport& raw, int speedUnit, bool applyMotion) {
  DbDynamic& e = *table_.Edit(index);
  const int16_t stations = e.Raw.RawStations;
  e.Age = 1;
  e.Raw = raw;
  if (e.Raw.RawStations < 0) e.Raw.RawStations = stations;

  if (applyMotion) {
    const bool own = index == 0;  // own ship keeps its last values on an invalid report
    if (raw.RawLat >= -kLatLimit && raw.RawLat <= kLatLimit) {
      e.Lat = raw.RawLat / kRawPerDegree;
      e.LatInvalid = 0;
    } else {
      e.LatInvalid = 1;
      if (!own) e.Lat = kLatNotAvailable;
    }
    if (raw.RawLon >= -kLonLimit && raw.RawLon <= kLonLimit) {
      e.Lon = raw.RawLon / kRawPerDegree;
      e.LonInvalid = 0;
    } else {
      e.LonInvalid = 1;
      if (!own) e.Lon = kLonNotAvailable;
    }
    if (raw.RawSog >= 0 && raw.RawSog <= 1022) {
      e.Sog = speedUnit == kSpeedKnots ? raw.RawSog : raw.RawSog * 0.1;
      e.SogInvalid = 0;
    } else {
      e.SogInvalid = 1;
      if (!own) e.Sog = 0.0;
    }
    if (raw.RawCog >= 0 && raw.RawCog <= 3599) {
      e.Cog = raw.RawCog * 0.1;
      e.CogInvalid = 0;
    } else {
      e.CogInvalid = 1;
      if (!own) e.Cog = 0.0;
    }
    e.HdgFromCog = 0;
    if (raw.RawHdg >= 0 && raw.RawHdg <= 359) {
      e.Hdg = e.TrueHdg = raw.RawHdg;
      e.HdgInvalid = 0;
    } else if (e.Sog >= 3.0 && e.CogInvalid == 0) {
      // No heading: a ship under way points along its course.
      e.Hdg = e.Cog;
      e.HdgInvalid = 0;
      e.HdgFromCog = 1;
    } else {
      e.HdgInvalid = 1;
    }
    if (raw.RawRot > -127 && raw.RawRot < 127) {
      const double v = raw.RawRot / 4.733;
      const double r = raw.RawRot < 0 ? -(v * v) : v * v;
      e.Rot = e.RotHold = r;
    } else {
      e.Rot = 0.0;
    }
  }
  if (raw.RawNavStat != kNavStatNotCarried) e.NavStat = raw.RawNavStat;
  if (raw.RawSec != kSecNotAvailable) e.UtcSec = raw.RawSec;
  if (raw.RawRaim != 0) e.Raim = raw.RawRaim;  // once set, a later 0 does not clear it
  e.PosAcc = raw.RawPosAcc;
  table_.Commit(index);

  if (index >= 1) table_.StoreWakePoint(index, e.MMSI, e.Lat, e.Lon);
}

}  // namespace aismon
