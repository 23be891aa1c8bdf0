#pragma once
// What the receiver took in: every complete message counted by number (and by DAC and FI
// for the binary messages 6 and 8), by source and by channel, duplicates apart; messages
// per minute over the last day by source; stations heard per hour; and the range record
// of each bearing sector. It watches the assembler's completed messages and reads the
// ship table for positions; it changes neither. All storage is one block made once.
//
// Windows follow the calendar: "last minute" is the current minute, "last hour" the current
// minute and the 59 before it, "last day" the current hour and the 23 before it. Each is a
// ring of fixed tallies stamped with their minute or hour, so a count leaves a window when
// its bucket falls out, and nothing is allocated after construction. "Since start" is this
// run; "all time", the windows and the per-minute and per-hour figures are what the
// statistics file keeps across restarts.
//
// Bounds: 16 source slots (a receiver owner feeds a few; the last slot takes any further
// newcomer) and 64 binary kinds (number/DAC/FI; more go uncounted). A tally is then 4.6 KB,
// the 84 window tallies 387 KB.
#include <algorithm>
#include <cstdint>
#include <memory>

#include "ais/message_observer.h"
#include "common/clock.h"
#include "input/source_registry.h"
#include "stats/range_sectors.h"

namespace aismon {

class ShipTable;

inline constexpr int kCountedNumbers = 64;  // every number six bits can carry
inline constexpr int kBinaryKeys = 64;      // distinct number/DAC/FI kept; more go uncounted
inline constexpr int kDayMinutes = 24 * 60;
inline constexpr int kHourMinutes = 60;
inline constexpr int kDayHours = 24;
inline constexpr int kStatSources = 16;
inline constexpr int kChannels = 3;  // A, B, any other or none

enum class CountWindow { kLastMinute, kLastHour, kLastDay, kSinceStart, kAllTime };

struct BinaryKey {
  uint8_t number;  // 6 or 8
  uint8_t fi;
  uint16_t dac;
};

template <typename Count>
struct Tally {
  Count byNumber[kStatSources][kCountedNumbers];
  Count duplicates[kStatSources];
  Count byChannel[kStatSources][kChannels];
  Count binary[kBinaryKeys];
};
using MessageTally = Tally<uint64_t>;  // since start, all time
using WindowTally = Tally<uint32_t>;   // one minute or one hour

inline constexpr int kHeardStations = 1 << 15;  // a power of two; counting stops at half

// Everything the statistics file holds, as one plain block.
struct StatsImage {
  char magic[8];
  uint32_t version;
  uint32_t sourceCount;
  uint32_t binaryKeyCount;
  uint32_t reserved;
  char sourceNames[kStatSources][kSourceNameBytes];
  BinaryKey binaryKeys[kBinaryKeys];
  MessageTally allTime;
  uint32_t minuteStamp[kDayMinutes];  // minute + 1 the row counts; 0 = empty
  uint32_t minuteBySource[kDayMinutes][kStatSources];
  uint32_t recentStamp[kHourMinutes];  // minute + 1 of each tally of the last hour
  WindowTally recent[kHourMinutes];
  uint32_t hourStamp[kDayHours];  // hour + 1; 0 = empty
  uint32_t hourStations[kDayHours];
  WindowTally hours[kDayHours];
  RangeSectors sectors;
  // The stations heard in the current hour (an open-addressed set of MMSIs, emptied each
  // hour), kept so that a restart within the hour does not count them again.
  uint32_t heardHour;  // hour + 1 the set is for; 0 = none
  int32_t heardCount;
  int32_t heard[kHeardStations];
};
// What the last source slot is called once it counts for several sources.
inline constexpr char kOtherSources[] = "その他";
static_assert(sizeof kOtherSources <= kSourceNameBytes);
inline void NameOtherSources(StatsImage& im) {
  char* name = im.sourceNames[kStatSources - 1];
  std::fill(name, name + kSourceNameBytes, '\0');
  std::copy(kOtherSources, kOtherSources + sizeof kOtherSources, name);
}
inline constexpr char kStatsMagic[8] = {'A', 'I', 'S', 'S', 'T', 'A', 'T', 'S'};
inline constexpr uint32_t kStatsVersion = 3;

// Minutes from 2000-01-01 00:00 to t (calendar arithmetic, no time zones).
uint32_t MinutesSince2000(const LocalDateTime& t);

class ReceptionStats final : public MessageObserver {
 public:
  ReceptionStats(const ShipTable& table, const SourceRegistry& sources, Clock& clock);
  ~ReceptionStats() override;
  ReceptionStats(const ReceptionStats&) = delete;
  ReceptionStats& operator=(const ReceptionStats&) = delete;

  void OnMessage(const CompletedMessage& message) override;

  // The receiver's position, for the range sectors (own ship's fix, or one set by hand).
  // Without it no range is recorded.
  void SetReceiver(double lat, double lon);
  void ClearReceiver() { hasReceiver_ = false; }
  bool HasReceiver() const { return hasReceiver_; }
  double ReceiverLat() const { return receiverLat_; }
  double ReceiverLon() const { return receiverLon_; }

  // Every figure below is given in any window.
  // Complete messages of a number (0..63), duplicates not counted, from all sources.
  uint64_t Count(int number, CountWindow w) const;
  // The same by source slot.
  uint64_t CountBySource(int slot, int number, CountWindow w) const;
  // All complete messages of a source slot, duplicates not counted.
  uint64_t SourceTotal(int slot, CountWindow w) const;
  uint64_t Duplicates(int slot, CountWindow w) const;
  // Channel 0 = 'A', 1 = 'B', 2 = other.
  uint64_t ChannelCount(int slot, int channel, CountWindow w) const;
  int BinaryKeyCount() const { return static_cast<int>(image_->binaryKeyCount); }
  const BinaryKey& BinaryKeyAt(int i) const { return image_->binaryKeys[i]; }
  uint64_t BinaryCount(int i, CountWindow w) const;

  // Source slots: the statistics' own, by name, so they stay put across restarts.
  int SourceSlots() const { return static_cast<int>(image_->sourceCount); }
  const char* SourceName(int slot) const { return image_->sourceNames[slot]; }

  // Messages of a source slot (or every slot, slot < 0) in the minute minutesAgo before the
  // current one (0 = the current minute, up to kDayMinutes - 1).
  uint32_t MinuteCount(int slot, int minutesAgo) const;
  // Distinct stations heard in the hour hoursAgo before the current one (0..23).
  uint32_t StationsInHour(int hoursAgo) const;
  const RangeSectors& Sectors() const { return image_->sectors; }
  // Forgets every range record (the user's choice, e.g. after moving the antenna).
  void ResetRangeRecords() { image_->sectors = RangeSectors{}; }

  uint32_t CurrentMinute() const;

  // The persistent figures; Restore takes them back (false, and nothing changed, for an
  // image of another kind or version).
  const StatsImage& Image() const { return *image_; }
  bool Restore(const StatsImage& image);

 private:
  int SlotOf(SourceId id);
  int BinaryKeyOf(int number, int dac, int fi);
  void StartMinuteRow(uint32_t minute);
  WindowTally& RecentTally(uint32_t minute);
  WindowTally& HourTally(uint32_t hour);
  void NoteStation(int32_t mmsi, uint32_t minute);
  template <typename Get>
  uint64_t Sum(CountWindow w, Get get) const;

  const ShipTable& table_;
  const SourceRegistry& sources_;
  Clock& clock_;
  // The minute count is baseMinute_ plus whole minutes of ticks since baseTick_ (a minute
  // boundary); both move on now and then, so the tick's wrap after 49 days never shows.
  mutable uint32_t baseMinute_;
  mutable uint32_t baseTick_;
  bool hasReceiver_ = false;
  double receiverLat_ = 0, receiverLon_ = 0;
  int16_t slotOfId_[kMaxSources];
  std::unique_ptr<StatsImage> image_;
  std::unique_ptr<MessageTally> run_;
};

}  // namespace aismon
