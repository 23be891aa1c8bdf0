// Message 8 with DAC 1, FI 31 (and the older FI 11): meteorological and hydrographic data.
// Each report goes to the weather station of its sender and site, beside the ship table.
// Other binary broadcasts are not read.
#include "ais/decoder_bits.h"
#include "ais/message_decoders.h"
#include "ais/vdx_assembly.h"
#include "shipdb/ship_table.h"

namespace aismon {

namespace {
constexpr int kDacInternational = 1;
constexpr int kFiMetHydro = 31;
constexpr int kFiMetHydroOld = 11;
constexpr int kFi31Bits = 350;  // through the ice field; the spare may be cut short
constexpr int kFi11Bits = 346;
constexpr int32_t kThousandthMinuteToRaw = 10;  // 1/1000 minute -> 1/10000 minute

// The site's position in the ship table's raw unit, 1/10000 minute.
struct Site {
  int32_t RawLat = 0;
  int32_t RawLon = 0;
};

WeatherValue Scaled(int raw, int low, int high, double scale, double offset) {
  if (raw < low || raw > high) return WeatherValue{};
  return WeatherValue{static_cast<float>(raw * scale + offset), true};
}

// Wind and time fields, the same in both layouts from their own first bit.
void ReadWind(const AisPayload& p, int first, WeatherReport& w) {
  w.windSpeed = Scaled(Bits(p, first, first + 6), 0, 126, 1.0, 0.0);
  w.windGust = Scaled(Bits(p, first + 7, first + 13), 0, 126, 1.0, 0.0);
  w.windDirection = Scaled(Bits(p, first + 14, first + 22), 0, 359, 1.0, 0.0);
}

void ReadFi31(const AisPayload& p, WeatherReport& w, Site& r) {
  r.RawLon = SignedBits(p, 57, 81) * kThousandthMinuteToRaw;
  r.RawLat = SignedBits(p, 82, 105) * kThousandthMinuteToRaw;
  w.day = static_cast<int8_t>(Bits(p, 107, 111));
  w.hour = static_cast<int8_t>(Bits(p, 112, 116));
  w.minute = static_cast<int8_t>(Bits(p, 117, 122));
  ReadWind(p, 123, w);
  w.airTemperature = Scaled(SignedBits(p, 155, 165), -600, 600, 0.1, 0.0);
  w.pressure = Scaled(Bits(p, 183, 191), 0, 402, 1.0, 799.0);  // 0 is 799 or less, 402 is 1201 or more
  w.visibilityGreater = Bits(p, 194, 194) != 0;
  w.visibility = Scaled(Bits(p, 195, 201), 0, 126, 0.1, 0.0);
  w.waterLevel = Scaled(Bits(p, 202, 213), 0, 4000, 0.01, -10.0);
  w.waveHeight = Scaled(Bits(p, 277, 284), 0, 250, 0.1, 0.0);
  w.seaTemperature = Scaled(SignedBits(p, 327, 336), -100, 500, 0.1, 0.0);
}

void ReadFi11(const AisPayload& p, WeatherReport& w, Site& r) {
  r.RawLat = SignedBits(p, 57, 80) * kThousandthMinuteToRaw;
  r.RawLon = SignedBits(p, 81, 105) * kThousandthMinuteToRaw;
  w.day = static_cast<int8_t>(Bits(p, 106, 110));
  w.hour = static_cast<int8_t>(Bits(p, 111, 115));
  w.minute = static_cast<int8_t>(Bits(p, 116, 121));
  ReadWind(p, 122, w);
  w.airTemperature = Scaled(Bits(p, 154, 164), 0, 1200, 0.1, -60.0);
  w.pressure = Scaled(Bits(p, 182, 190), 0, 401, 1.0, 800.0);
  w.visibility = Scaled(Bits(p, 193, 200), 0, 250, 0.1, 0.0);
  w.waterLevel = Scaled(Bits(p, 201, 209), 0, 400, 0.1, -10.0);
  w.waveHeight = Scaled(Bits(p, 273, 280), 0, 250, 0.1, 0.0);
  w.seaTemperature = Scaled(Bits(p, 323, 332), 0, 600, 0.1, -10.0);
}
}  // namespace

int MessageDecoders::DecodeBinaryBroadcast(const AisPayload& p, int bitLength, int mode) {
  if (mode != kOtherShipsMode) return 0;
  const int dac = Bits(p, 41, 50);
  const int fi = Bits(p, 51, 56);
  if (dac != kDacInternational) return 0;
  if (!(fi == kFiMetHydro && bitLength >= kFi31Bits) && !(fi == kFiMetHydroOld && bitLength >= kFi11Bits)) return 0;

  Site r;
  WeatherReport w;
  w.fi = fi;
  if (fi == kFiMetHydro)
    ReadFi31(p, w, r);
  else
    ReadFi11(p, w, r);
  weather_.Note(MessageMmsi(p), r.RawLat, r.RawLon, w, table_.TableClock().TickMs());
  return 0;
}

}  // namespace aismon
