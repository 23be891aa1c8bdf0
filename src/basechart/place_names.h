#pragma once
// The place names written over the base chart: read once from the built-in list (or a
// list file), shown by level according to the scale.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text/list_lines.h"

namespace aismon {

inline constexpr int kPlaceNameCapacity = 10000;
inline constexpr size_t kPlaceNameBytes = 30;  // Shift-JIS bytes kept of a name

struct PlaceName {
  double latitude;   // degrees, north positive
  double longitude;  // degrees, east positive
  int32_t level;     // the lowest nameLevel at which the name is shown
  char name[kPlaceNameBytes + 1];  // Shift-JIS, NUL-terminated
};

// placeNames: room for kPlaceNameCapacity entries, allocated once.
class PlaceNameList {
 public:
  PlaceNameList();

  // LoadPlaceNames: empties the list and fills it from the "P" lines, in order. Lines
  // beyond the capacity are not read.
  void Load(const std::vector<std::string>& linesSjis);
  int Count() const { return count_; }
  const PlaceName& operator[](int i) const { return entries_[static_cast<size_t>(i)]; }

 private:
  std::unique_ptr<PlaceName[]> entries_;
  int count_ = 0;
};

// nameLevel for a scale: 0 at 1500 m per pixel or more, one more below each of
// 1500, 750, 375, 187 and 93.
int32_t NameLevel(double metersPerPixel);

}  // namespace aismon
