#include "watch/ship_choices.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/settings_file.h"
#include "watch/watch_rules.h"

namespace aismon {

namespace {
constexpr char kSection[] = "ShipChoices";
}

int ShipChoices::Find(int32_t mmsi) const {
  const auto it = std::lower_bound(entries_.begin(), entries_.begin() + count_, mmsi,
                                   [](const Entry& e, int32_t m) { return e.mmsi < m; });
  return static_cast<int>(it - entries_.begin());
}

ShipChoice ShipChoices::Of(int32_t mmsi) const {
  const int i = Find(mmsi);
  return i < count_ && entries_[i].mmsi == mmsi ? entries_[i].choice : ShipChoice::None;
}

bool ShipChoices::Set(int32_t mmsi, ShipChoice choice) {
  if (choice == ShipChoice::Ignore && BeaconOf(mmsi) != BeaconType::None) return false;
  const int i = Find(mmsi);
  const bool found = i < count_ && entries_[i].mmsi == mmsi;
  if (choice == ShipChoice::None) {
    if (found) {
      std::copy(entries_.begin() + i + 1, entries_.begin() + count_, entries_.begin() + i);
      --count_;
    }
    return true;
  }
  if (found) {
    entries_[i].choice = choice;
    return true;
  }
  if (count_ == kMaxShipChoices) return false;
  std::copy_backward(entries_.begin() + i, entries_.begin() + count_, entries_.begin() + count_ + 1);
  entries_[i] = Entry{mmsi, choice};
  ++count_;
  return true;
}

void ShipChoices::Read(const std::filesystem::path& iniPath) {
  count_ = 0;
  for (const auto& [key, v] : ReadIniNumbers(iniPath, kSection)) {
    char* end = nullptr;
    const long mmsi = std::strtol(key.c_str(), &end, 10);
    if (end == key.c_str() || *end != '\0' || mmsi <= 0 || mmsi > 999999999) continue;
    if (v == 1) Set(static_cast<int32_t>(mmsi), ShipChoice::Follow);
    if (v == 2) Set(static_cast<int32_t>(mmsi), ShipChoice::Ignore);  // refused for a beacon
  }
}

bool ShipChoices::Write(const std::filesystem::path& iniPath, int32_t mmsi, ShipChoice choice) {
  char key[16];
  std::snprintf(key, sizeof key, "%09d", mmsi);
  return WriteIniNumbers(iniPath, kSection, {{key, static_cast<double>(static_cast<int>(choice))}});
}

}  // namespace aismon
