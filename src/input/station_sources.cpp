#include "input/station_sources.h"

namespace aismon {

StationSources::StationSources(int entries) : entries_(entries), records_(new Record[entries]()) {}

const StationSources::Record* StationSources::Of(int index, int32_t mmsi) const {
  if (index < 1 || index >= entries_) return nullptr;
  const Record& r = records_[index];
  return r.mmsi == mmsi ? &r : nullptr;
}

void StationSources::Note(int index, int32_t mmsi, SourceId source, uint32_t now) {
  if (index < 1 || index >= entries_) return;
  Record& r = records_[index];
  if (r.mmsi != mmsi) r = Record{mmsi, {}};
  HeardBy* place = nullptr;
  for (HeardBy& h : r.heard) {
    if (h.used && h.source == source) {
      place = &h;
      break;
    }
    // A free place, else one out of the window, else the one heard longest ago.
    if (place == nullptr || !h.used ||
        (place->used && now - h.tick > now - place->tick))
      place = &h;
  }
  *place = HeardBy{now, source, true};
}

bool StationSources::Heard(int index, int32_t mmsi, SourceId source, uint32_t now) const {
  const Record* r = Of(index, mmsi);
  if (r == nullptr) return false;
  for (const HeardBy& h : r->heard)
    if (h.used && h.source == source) return now - h.tick < kHeardByWindowMs;
  return false;
}

}  // namespace aismon
