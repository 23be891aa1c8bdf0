#include "text/position_text.h"

#include <cmath>
#include <cstdio>

namespace aismon {

namespace {

// Whole thousandths of a minute, rounded once, so 59.9996' carries into the next degree.
std::string DegreesMinutes(double value, char positive, char negative, int degreeWidth, const char* degree) {
  if (!std::isfinite(value)) return "不明";
  const char hemisphere = value < 0 ? negative : positive;
  const long long thousandths = std::llround(std::fabs(value) * 60000.0);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%0*lld%s%02lld.%03lld'%c", degreeWidth, thousandths / 60000, degree,
                thousandths % 60000 / 1000, thousandths % 1000, hemisphere);
  return buf;
}

// A text field of the static record without the padding AIS puts after it.
std::string Trimmed(const char* text, size_t size) {
  size_t n = 0;
  while (n < size && text[n] != '\0') ++n;
  while (n > 0 && (text[n - 1] == ' ' || text[n - 1] == '@')) --n;
  return std::string(text, n);
}

}  // namespace

std::string LatitudeText(double lat, const char* degree) { return DegreesMinutes(lat, 'N', 'S', 2, degree); }

std::string LongitudeText(double lon, const char* degree) { return DegreesMinutes(lon, 'E', 'W', 3, degree); }

std::string ShipCopyLine(const DbDynamic& e, const DbStatic* s, bool hasPosition) {
  const std::string name = s != nullptr ? Trimmed(s->Name, sizeof s->Name) : std::string();
  const std::string sign = s != nullptr ? Trimmed(s->Sign, sizeof s->Sign) : std::string();
  std::string line = "MMSI " + std::to_string(e.MMSI);
  line += ", 船名 " + (name.empty() ? std::string("不明") : name);
  line += ", 呼出符号 " + (sign.empty() ? std::string("不明") : sign);
  line += ", 位置 " + (hasPosition ? LatitudeText(e.Lat) + " " + LongitudeText(e.Lon) : std::string("不明"));
  char buf[32];
  if (hasPosition && !e.SogInvalid && std::isfinite(e.Sog) && e.Sog < 102.3) {
    std::snprintf(buf, sizeof buf, "%.1f kn", e.Sog);
    line += ", SOG " + std::string(buf);
  } else {
    line += ", SOG 不明";
  }
  if (hasPosition && !e.CogInvalid && std::isfinite(e.Cog) && e.Cog >= 0 && e.Cog < 360) {
    std::snprintf(buf, sizeof buf, "%.1f°", e.Cog);
    line += ", COG " + std::string(buf);
  } else {
    line += ", COG 不明";
  }
  return line;
}

}  // namespace aismon
