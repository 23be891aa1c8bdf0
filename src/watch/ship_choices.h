#pragma once
// The watch-keeper's choices for single stations, kept in section "ShipChoices" of the
// settings file as MMSI=1 (followed on purpose: no collision alarm, still drawn and listed)
// or MMSI=2 (ignored: hidden from the chart, the list and the alarms); 0 or no key is no
// choice. A distress beacon can never be ignored.
#include <array>
#include <cstdint>
#include <filesystem>

namespace aismon {

enum class ShipChoice : uint8_t { None = 0, Follow = 1, Ignore = 2 };

inline constexpr int kMaxShipChoices = 512;

class ShipChoices {
 public:
  ShipChoice Of(int32_t mmsi) const;
  bool Followed(int32_t mmsi) const { return Of(mmsi) == ShipChoice::Follow; }
  bool Ignored(int32_t mmsi) const { return Of(mmsi) == ShipChoice::Ignore; }
  // False when refused: ignoring a beacon, or a new choice with the table full.
  bool Set(int32_t mmsi, ShipChoice choice);
  int Count() const { return count_; }

  // Replaces the choices with those of the file (a missing file gives none).
  void Read(const std::filesystem::path& iniPath);
  // Writes the one station's choice, keeping the rest of the file.
  static bool Write(const std::filesystem::path& iniPath, int32_t mmsi, ShipChoice choice);

 private:
  struct Entry {
    int32_t mmsi;
    ShipChoice choice;
  };
  int Find(int32_t mmsi) const;  // index of the first entry not below mmsi
  // Sorted by MMSI: looked up for every ship of every frame.
  std::array<Entry, kMaxShipChoices> entries_{};
  int count_ = 0;
};

}  // namespace aismon
