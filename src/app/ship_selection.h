#pragma once
// ShipSelection: the station the person picked on the chart or in a list, followed by its
// MMSI while the table moves entries about, and the name its label shows.
#include <cstdint>
#include <string>

namespace aismon {

class MmsiNameList;
class ShipTable;
struct DbDynamic;

class ShipSelection {
 public:
  // names is read when the selection changes; it may be replaced (not moved) meanwhile.
  // The table is written only as reading a ship writes it: a missing link to its static
  // record is made.
  ShipSelection(ShipTable& table, const MmsiNameList& names) : table_(table), names_(names) {}

  // slot < 0 (or a slot without a station): nothing is selected. With keepReceivedName
  // (a right-button click) a name received over the air wins over the built-in list.
  void Select(int32_t slot, bool keepReceivedName);
  // Keeps the selection on the vessel picked and its name current. True when the
  // selection has just ended because the vessel left the table.
  bool Follow();

  int32_t Slot() const { return slot_; }
  const std::string& Name() const { return name_; }
  // The name shown for a station: received, or from the built-in list for its numbers.
  std::string NameOf(const DbDynamic& d, bool keepReceivedName) const;
  // The selected ship as one line of text (MMSI, name, call sign, position, SOG, COG);
  // empty with nothing selected.
  std::string CopyLine() const;

 private:
  ShipTable& table_;
  const MmsiNameList& names_;
  int32_t slot_ = 0;
  int32_t mmsi_ = 0;
  bool keepReceivedName_ = false;
  std::string name_;
};

}  // namespace aismon
