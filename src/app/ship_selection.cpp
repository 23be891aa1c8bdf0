#include "app/ship_selection.h"

#include "app/mmsi_names.h"
#include "shipdb/received_position.h"
#include "shipdb/ship_table.h"
#include "text/position_text.h"

namespace aismon {

namespace {

std::string Trimmed(const char* text, size_t max) {
  size_t n = 0;
  while (n < max && text[n] != '\0') ++n;
  size_t b = 0;
  while (b < n && (text[b] == ' ' || text[b] == '\t')) ++b;
  while (n > b && (text[n - 1] == ' ' || text[n - 1] == '\t')) --n;
  return std::string(text + b, n - b);
}

}  // namespace

void ShipSelection::Select(int32_t slot, bool keepReceivedName) {
  slot_ = slot;
  if (slot_ < 0) return;
  DbDynamic d{};
  table_.GetShip(slot_, d);
  mmsi_ = d.MMSI;
  keepReceivedName_ = keepReceivedName;
  name_ = NameOf(d, keepReceivedName_);
}

bool ShipSelection::Follow() {
  if (slot_ <= 0) return false;
  DbDynamic d{};
  if (!table_.GetShip(slot_, d) || d.MMSI != mmsi_) {
    // Its entry went to another station: find the vessel again, or end the selection.
    const int slot = table_.FindShip(mmsi_);
    if (slot < 1 || !table_.GetShip(slot, d)) {
      slot_ = -1;
      name_.clear();
      return true;
    }
    slot_ = slot;
  }
  // A name received after the click shows too.
  name_ = NameOf(d, keepReceivedName_);
  return false;
}

std::string ShipSelection::NameOf(const DbDynamic& d, bool keepReceivedName) const {
  std::string name = Trimmed(static_cast<const ShipTable&>(table_).StaticOf(d.Link).Name, sizeof(DbStatic::Name));
  if (keepReceivedName && !name.empty()) return name;
  // Names of these stations come from the built-in list rather than over the air.
  if (d.MMSI / 10000000 == 43) names_.LookupName(d.MMSI, name);
  return name;
}

std::string ShipSelection::CopyLine() const {
  const ShipTable& table = table_;
  const DbDynamic* e = table.Entry(slot_);
  if (slot_ <= 0 || e == nullptr) return {};
  const DbStatic& s = table.StaticOf(e->Link);
  return ShipCopyLine(*e, e->Link != kNoLink ? &s : nullptr, HasReceivedPosition(*e));
}

}  // namespace aismon
