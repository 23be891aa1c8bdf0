#include "text/weather_text.h"

#include <cstdio>

namespace aismon {

namespace {
void Line(std::string& out, const char* name, const WeatherValue& v, const char* format, const char* prefix = "") {
  out += name;
  out += ' ';
  if (!v.available) {
    out += "不明\n";
    return;
  }
  char buf[48];
  std::snprintf(buf, sizeof buf, format, static_cast<double>(v.value));
  out += prefix;
  out += buf;
  out += '\n';
}
}  // namespace

std::string WeatherCardText(const WeatherReport& w) {
  std::string out;
  Line(out, "風速", w.windSpeed, "%.0f kn");
  Line(out, "突風", w.windGust, "%.0f kn");
  Line(out, "風向", w.windDirection, "%03.0f°");
  Line(out, "気温", w.airTemperature, "%.1f ℃");
  Line(out, "気圧", w.pressure, "%.0f hPa");
  Line(out, "視程", w.visibility, "%.1f NM", w.visibilityGreater ? "＞" : "");
  Line(out, "水位", w.waterLevel, "%.2f m");
  Line(out, "波高", w.waveHeight, "%.1f m");
  Line(out, "水温", w.seaTemperature, "%.1f ℃");
  if (w.day >= 1 && w.day <= 31 && w.hour <= 23 && w.minute <= 59) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "観測 %d日 %02d:%02d UTC\n", w.day, w.hour, w.minute);
    out += buf;
  }
  return out;
}

}  // namespace aismon
