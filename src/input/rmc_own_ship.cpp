#include "input/rmc_own_ship.h"

#include <cmath>

#include "shipdb/ship_table.h"
#include "text/decimal.h"

namespace aismon {

namespace {

// A plain decimal conversion of a field: leading blanks skipped, empty or no digits gives 0.
double FieldNumber(const SentenceRecord& r, int i) {
  std::string_view f = r.Field(i);
  while (!f.empty() && (f.front() == ' ' || f.front() == '\t')) f.remove_prefix(1);
  return ParseDecimalPrefix(f);
}

char FirstChar(const SentenceRecord& r, int i) {
  const std::string_view f = r.Field(i);
  return f.empty() ? ',' : f.front();
}

// ddmm.mmmm (or dddmm.mmmm) to degrees; the hemisphere letter decides the sign.
double DegreesMinutes(double value, bool positive) {
  const double d = std::trunc(value * 0.01);
  const double deg = (value - d * 100) / 60 + d;
  return positive ? deg : -deg;
}

}  // namespace

void UpdateOwnShipFromRmc(const SentenceRecord& r, ShipTable& table, const ReceiveOptions& options,
                          IntakeCounters& counters) {
  const double latValue = FieldNumber(r, 2);
  const double lonValue = FieldNumber(r, 4);
  const double speed = FieldNumber(r, 6);
  const double course = FieldNumber(r, 7);
  const char latHemisphere = FirstChar(r, 3);
  const char lonHemisphere = FirstChar(r, 5);
  const double lat = DegreesMinutes(latValue, latHemisphere == 'N');
  const double lon = DegreesMinutes(lonValue, lonHemisphere == 'E');

  // The status does not stop the update; the watch marks own position stale on it.
  counters.rmcVoid = r.Field(1) == "V";
  DbDynamic own;
  table.GetShip(0, own);
  if (latHemisphere == 'N' || latHemisphere == 'S') {
    ++counters.rmcFixCount;
    if (own.Age == 0 || own.Age > 900) own.Age = 1;
    own.Lat = lat;
    own.Lon = lon;
    own.LatInvalid = 0;
    own.LonInvalid = 0;
  } else {
    own.LatInvalid = 1;
    own.LonInvalid = 1;
  }
  if (r.Field(6).empty() || !options.rmcSogEnabled) {
    own.SogInvalid = 1;
  } else {
    own.SogInvalid = 0;
    own.Sog = speed;
  }
  own.HdgFromCog = 0;
  if (r.Field(7).empty() || !options.rmcHdgEnabled) {
    own.HdgInvalid = 1;
    own.Hdg = own.Cog;
    own.CogInvalid = 1;  // the timer estimates it from the track
  } else {
    own.HdgInvalid = 0;
    own.Hdg = course;
    // The field is the track made good, which is the course over ground: the receiver's
    // value beats any estimate from a few fixes. One outside a circle is not a course.
    const bool usable = course >= 0.0 && course < 360.0;
    own.CogInvalid = usable ? 0 : 1;
    if (usable) own.Cog = course;
  }
  table.PutShip(0, own);
}

}  // namespace aismon
