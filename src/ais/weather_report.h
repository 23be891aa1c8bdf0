#pragma once
// Meteorological and hydrographic values of a weather station (message 8, DAC 1, FI 31
// or the older FI 11), in units ready to show. Each value carries its own "not available"
// flag: a station without a sensor sends a fixed out-of-range code, never a zero.
#include <cstdint>

namespace aismon {

struct WeatherValue {
  float value = 0.0f;
  bool available = false;
};

struct WeatherReport {
  int fi = 0;                 // 31, or 11 for the older layout
  WeatherValue windSpeed;     // knots
  WeatherValue windGust;      // knots
  WeatherValue windDirection; // degrees
  WeatherValue airTemperature;   // degrees Celsius
  WeatherValue pressure;         // hPa
  WeatherValue visibility;       // nautical miles
  bool visibilityGreater = false;  // the visibility is "more than" the value
  WeatherValue waterLevel;       // metres
  WeatherValue waveHeight;       // metres
  WeatherValue seaTemperature;   // degrees Celsius
  int8_t day = 0, hour = 24, minute = 60;  // UTC time of the observation; 0/24/60 not available
};

}  // namespace aismon
