#pragma once
// What the decoders know about a station beyond its table records: when it last sent a
// fine position report (messages 1-3, 18, 19), and whether its position shown is a
// long-range one (message 27). Kept beside the
// table, one note per dynamic entry, allocated once, so the ship files keep their layout.
// A note belongs to the MMSI it was written for: a reused entry starts with a blank one.
#include <cstdint>
#include <memory>

#include "shipdb/ship_records.h"

namespace aismon {

// A long-range report is used only when no fine report came within this time.
inline constexpr uint32_t kFineReportHoldMs = 10 * 60 * 1000;

struct StationNote {
  int32_t mmsi = 0;
  bool fineHeard = false;
  uint32_t fineTick = 0;   // when the last fine report came, if fineHeard
  bool longRange = false;  // the position shown came from a long-range report
};

class StationNotes {
 public:
  explicit StationNotes(int entries = kDefaultDynamicEntries) : entries_(entries), notes_(new StationNote[entries]()) {}

  // The note of entry index while it holds mmsi, or nullptr.
  const StationNote* Of(int index, int32_t mmsi) const {
    if (index < 1 || index >= entries_ || notes_[index].mmsi != mmsi) return nullptr;
    return &notes_[index];
  }
  // The note to write for entry index now holding mmsi (blank when the entry changed
  // hands), or nullptr for an index outside the table.
  StationNote* Take(int index, int32_t mmsi) {
    if (index < 1 || index >= entries_) return nullptr;
    StationNote& n = notes_[index];
    if (n.mmsi != mmsi) {
      n = StationNote{};
      n.mmsi = mmsi;
    }
    return &n;
  }
  int Entries() const { return entries_; }

 private:
  int entries_;
  std::unique_ptr<StationNote[]> notes_;
};

}  // namespace aismon
