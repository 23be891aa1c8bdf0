#include "basechart/place_names.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

#include "text/decimal.h"
#include "text/half_width.h"
#include "text/text_parse.h"

namespace aismon {

namespace {

// Field positions of a list line.
constexpr size_t kFieldType = 0;
constexpr size_t kFieldLatitude = 1;
constexpr size_t kFieldLongitude = 2;
constexpr size_t kFieldLevel = 4;
constexpr size_t kFieldName = 6;
// Appended before splitting so that missing trailing fields read as empty.
constexpr std::string_view kEmptyFields = ",,,,,,,,,";

// The level truncated toward zero; values beyond int32 are held at its ends rather than
// converted with undefined behaviour.
int32_t LevelOf(double v) {
  if (std::isnan(v)) return 0;
  const double t = std::trunc(v);
  if (t >= 2147483647.0) return INT32_MAX;
  if (t <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(t);
}

// Length of the name kept: at most kPlaceNameBytes bytes, without a lead byte whose
// second half was cut off (it would show as a broken character).
size_t KeptNameLength(std::string_view name) {
  if (name.size() <= kPlaceNameBytes) return name.size();
  size_t i = 0;
  while (i < kPlaceNameBytes) {
    if (IsShiftJisLeadByte(static_cast<uint8_t>(name[i]))) {
      if (i + 2 > kPlaceNameBytes) break;
      i += 2;
    } else {
      ++i;
    }
  }
  return i;
}

}  // namespace

PlaceNameList::PlaceNameList() : entries_(new PlaceName[kPlaceNameCapacity]()) {}

void PlaceNameList::Load(const std::vector<std::string>& linesSjis) {
  count_ = 0;
  std::string line;
  for (const std::string& text : linesSjis) {
    if (count_ >= kPlaceNameCapacity) break;
    line.assign(text);
    line.append(kEmptyFields);
    const std::vector<std::string> fields = SplitCommaText(line);
    if (fields.size() <= kFieldName || fields[kFieldType] != "P") continue;
    PlaceName& e = entries_[static_cast<size_t>(count_)];
    e.latitude = ParseDecimalPrefix(fields[kFieldLatitude]);
    e.longitude = ParseDecimalPrefix(fields[kFieldLongitude]);
    e.level = LevelOf(ParseDecimalPrefix(fields[kFieldLevel]));
    const std::string& name = fields[kFieldName];
    const size_t kept = KeptNameLength(name);
    std::memcpy(e.name, name.data(), kept);
    e.name[kept] = '\0';
    ++count_;
  }
}

int32_t NameLevel(double metersPerPixel) {
  // 3000 halved one to five times, with integer halving.
  constexpr double kThresholds[] = {1500, 750, 375, 187, 93};
  int32_t level = 0;
  for (const double t : kThresholds)
    if (metersPerPixel < t) ++level;
  return level;
}

}  // namespace aismon
