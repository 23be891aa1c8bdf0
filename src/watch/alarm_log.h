#pragma once
// The alarm log: every alarm raised, acknowledged, raised again and cleared, one line a
// record appended at once and brought to the disk, to a UTF-8 text file of the data folder,
// a new file each local day ("!Alarm" + "yymmdd" + ".txt"). Fields, TAB-separated: local
// date and time, change, kind, MMSI, name, CPA, TCPA, range, bearing, position; "-" where
// the alarm has none. The last records of this run are kept for the ship card.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include "common/clock.h"
#include "watch/traffic_watch.h"

namespace aismon {

struct AlarmLogRecord {
  LocalDateTime when;
  AlarmChange change = AlarmChange::Raised;
  AlertKind kind = AlertKind::Collision;
  int32_t mmsi = 0;       // 0 for the watch's own conditions
  char name[64] = {};     // UTF-8, may be empty
  bool hasCpa = false;
  CpaResult cpa;
  bool hasPosition = false;  // the station's (own ship's, for a lost fix)
  double lat = 0, lon = 0;
};

inline constexpr int kAlarmLogRecent = 256;

// The record of a watch's alarm change at local time when: the station's name and position
// as the table has them (own ship's position for a lost fix).
AlarmLogRecord MakeAlarmLogRecord(const AlarmEvent& ev, const ShipTable& table, const LocalDateTime& when);

// "!Alarm" + "yymmdd" + ".txt".
std::string AlarmLogFileName(const LocalDateTime& t);
// The record's line, without its line end.
std::string AlarmLogLine(const AlarmLogRecord& r);

class AlarmLog {
 public:
  explicit AlarmLog(std::filesystem::path folder) : folder_(std::move(folder)) {}

  // Appends the line to the day's file, flushed and synced; false when it was not written
  // (the record is still kept for the card).
  bool Append(const AlarmLogRecord& r);
  // Takes the records of the day's file written before this run (a restart keeps what the
  // card shows); their position is not read back.
  void LoadDay(const LocalDateTime& day);
  // The station's last records, newest first: at most max into out; how many.
  int LastFor(int32_t mmsi, AlarmLogRecord* out, int max) const;

 private:
  void Keep(const AlarmLogRecord& r);

  std::filesystem::path folder_;
  std::array<AlarmLogRecord, kAlarmLogRecent> recent_{};
  int count_ = 0;
  int next_ = 0;
};

}  // namespace aismon
