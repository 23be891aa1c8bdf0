#pragma once
// Which sources heard each station lately: a few sources with the tick each last heard
// it, per entry of the dynamic table. Kept beside the table, not in its records, so the
// ship files keep their layout; a record belongs to the MMSI it was written for, so an
// entry reused by another station starts with no sources.
#include <cstdint>
#include <memory>

#include "input/source_registry.h"
#include "shipdb/ship_records.h"

namespace aismon {

inline constexpr int kHeardBySources = 8;
inline constexpr uint32_t kHeardByWindowMs = 10 * 60 * 1000;

class StationSources {
 public:
  // Records for a dynamic table of `entries` entries.
  explicit StationSources(int entries = kDefaultDynamicEntries);

  // Source heard the station in entry index (1..entries-1) at tick now. With every place taken
  // by a source heard within the window, the one heard longest ago gives way.
  void Note(int index, int32_t mmsi, SourceId source, uint32_t now);
  // Whether source heard the station in entry index, still holding mmsi, within the window.
  bool Heard(int index, int32_t mmsi, SourceId source, uint32_t now) const;
  // Calls f(source, lastHeardTick) for each source that heard it within the window, in
  // the order of their ids.
  template <typename F>
  void ForEach(int index, int32_t mmsi, uint32_t now, F&& f) const {
    const Record* r = Of(index, mmsi);
    if (r == nullptr) return;
    for (int id = 0; id < kMaxSources; ++id)
      for (const HeardBy& h : r->heard)
        if (h.used && h.source == id && now - h.tick < kHeardByWindowMs) f(h.source, h.tick);
  }

 private:
  struct HeardBy {
    uint32_t tick;
    SourceId source;
    bool used;
  };
  struct Record {
    int32_t mmsi;
    HeardBy heard[kHeardBySources];
  };
  const Record* Of(int index, int32_t mmsi) const;

  int entries_;
  std::unique_ptr<Record[]> records_;
};

}  // namespace aismon
