#include "ais/watch_alert.h"

#include <cstdio>
#include <cstring>

#include "shipdb/ship_table.h"

namespace aismon {

void WatchAlert::CheckWatch(const AisPayload& p, int number) {
  const int32_t mmsi = GetBits(p, 9, 38, false);
  const int index = table_.FindShip(mmsi);
  if (index <= 0) return;
  const DbDynamic* e = table_.Edit(index);  // resolves the Link; the entry itself is unchanged
  DbStatic& s = table_.StaticOf(e->Link);
  if (s.Watch != 1) return;
  s.Watch = 2;

  char name[sizeof s.Name + 1];
  if (s.Name[0] != '\0') {
    std::memcpy(name, s.Name, sizeof s.Name);
    name[sizeof s.Name] = '\0';  // a loaded record may lack its terminator
  } else {
    std::snprintf(name, sizeof name, "%09d", s.MMSI);
  }
  char text[sizeof kWatchFormat + 16 + sizeof name];
  std::snprintf(text, sizeof text, kWatchFormat, number, name);
  if (show_) show_(kWatchCaption, text);
}

}  // namespace aismon
