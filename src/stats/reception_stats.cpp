#include "stats/reception_stats.h"

#include <cstring>

#include "ais/vdx_assembly.h"
#include "shipdb/ship_table.h"

namespace aismon {

namespace {
constexpr uint32_t kMinuteMs = 60000;
// Well within the tick's 49-day wrap; the minute count is asked for far more often.
constexpr uint32_t kRebaseMs = 24u * 60 * kMinuteMs;

int ChannelOf(char c) { return c == 'A' || c == '1' ? 0 : c == 'B' || c == '2' ? 1 : 2; }

bool IsClassA(int number) { return number >= 1 && number <= 3; }
bool IsClassB(int number) { return number == 18 || number == 19; }
}  // namespace

uint32_t MinutesSince2000(const LocalDateTime& t) {
  // Days from 1970-01-01 of the civil date (H. Hinnant's days_from_civil).
  const int y = t.year - (t.month <= 2 ? 1 : 0);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (t.month + (t.month > 2 ? -3 : 9)) + 2) / 5 + t.day - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const int64_t days = static_cast<int64_t>(era) * 146097 + doe - 719468 - 10957;  // from 2000-01-01
  const int64_t minutes = days * 1440 + t.hour * 60 + t.minute;
  return minutes < 0 ? 0 : static_cast<uint32_t>(minutes);
}

ReceptionStats::ReceptionStats(const ShipTable& table, const SourceRegistry& sources, Clock& clock)
    : table_(table), sources_(sources), clock_(clock), image_(new StatsImage()), run_(new MessageTally()) {
  // Minutes turn with the calendar's: the base tick is the start of the current minute.
  const LocalDateTime now = clock.Now();
  baseMinute_ = MinutesSince2000(now);
  baseTick_ = clock.TickMs() - static_cast<uint32_t>(now.second) * 1000u;
  std::memcpy(image_->magic, kStatsMagic, sizeof kStatsMagic);
  image_->version = kStatsVersion;
  for (int16_t& s : slotOfId_) s = -1;
}

ReceptionStats::~ReceptionStats() = default;

uint32_t ReceptionStats::CurrentMinute() const {
  const uint32_t elapsed = clock_.TickMs() - baseTick_;
  if (elapsed >= kRebaseMs) {
    const uint32_t minutes = elapsed / kMinuteMs;
    baseMinute_ += minutes;
    baseTick_ += minutes * kMinuteMs;
    return baseMinute_;
  }
  return baseMinute_ + elapsed / kMinuteMs;
}

void ReceptionStats::SetReceiver(double lat, double lon) {
  hasReceiver_ = true;
  receiverLat_ = lat;
  receiverLon_ = lon;
}

int ReceptionStats::SlotOf(SourceId id) {
  if (id >= kMaxSources) id = kDefaultSource;
  if (slotOfId_[id] >= 0) return slotOfId_[id];
  char name[kSourceNameBytes] = {};
  std::strncpy(name, sources_.Name(id), kSourceNameBytes - 1);
  StatsImage& im = *image_;
  int slot = -1;
  for (uint32_t s = 0; s < im.sourceCount; ++s)
    if (std::strcmp(im.sourceNames[s], name) == 0) slot = static_cast<int>(s);
  if (slot < 0 && im.sourceCount < kStatSources) {
    slot = static_cast<int>(im.sourceCount++);
    std::memcpy(im.sourceNames[slot], name, kSourceNameBytes);
  } else if (slot < 0) {
    // Names of past runs fill the slots in time: the last one then takes every newcomer,
    // and its figures are no longer one source's.
    slot = kStatSources - 1;
    NameOtherSources(im);
  }
  slotOfId_[id] = static_cast<int16_t>(slot);
  return slot;
}

int ReceptionStats::BinaryKeyOf(int number, int dac, int fi) {
  StatsImage& im = *image_;
  for (uint32_t k = 0; k < im.binaryKeyCount; ++k) {
    const BinaryKey& b = im.binaryKeys[k];
    if (b.number == number && b.dac == dac && b.fi == fi) return static_cast<int>(k);
  }
  if (im.binaryKeyCount >= kBinaryKeys) return -1;
  im.binaryKeys[im.binaryKeyCount] = BinaryKey{static_cast<uint8_t>(number), static_cast<uint8_t>(fi),
                                               static_cast<uint16_t>(dac)};
  return static_cast<int>(im.binaryKeyCount++);
}

void ReceptionStats::StartMinuteRow(uint32_t minute) {
  StatsImage& im = *image_;
  const int i = static_cast<int>(minute % kDayMinutes);
  if (im.minuteStamp[i] == minute + 1) return;
  im.minuteStamp[i] = minute + 1;
  std::memset(im.minuteBySource[i], 0, sizeof im.minuteBySource[i]);
}

WindowTally& ReceptionStats::RecentTally(uint32_t minute) {
  StatsImage& im = *image_;
  const int i = static_cast<int>(minute % kHourMinutes);
  if (im.recentStamp[i] != minute + 1) {
    im.recentStamp[i] = minute + 1;
    std::memset(&im.recent[i], 0, sizeof(WindowTally));
  }
  return im.recent[i];
}

WindowTally& ReceptionStats::HourTally(uint32_t hour) {
  StatsImage& im = *image_;
  const int h = static_cast<int>(hour % kDayHours);
  if (im.hourStamp[h] != hour + 1) {
    im.hourStamp[h] = hour + 1;
    im.hourStations[h] = 0;
    std::memset(&im.hours[h], 0, sizeof(WindowTally));
  }
  return im.hours[h];
}

void ReceptionStats::NoteStation(int32_t mmsi, uint32_t minute) {
  const uint32_t hour = minute / 60;
  StatsImage& im = *image_;
  HourTally(hour);
  if (im.heardHour != hour + 1) {
    std::memset(im.heard, 0, sizeof im.heard);
    im.heardHour = hour + 1;
    im.heardCount = 0;
  }
  if (mmsi == 0 || im.heardCount >= kHeardStations / 2) return;  // a full set counts no more
  uint32_t k = (static_cast<uint32_t>(mmsi) * 2654435761u) & (kHeardStations - 1);
  while (im.heard[k] != 0) {
    if (im.heard[k] == mmsi) return;
    k = (k + 1) & (kHeardStations - 1);
  }
  im.heard[k] = mmsi;
  ++im.heardCount;
  ++im.hourStations[hour % kDayHours];
}

void ReceptionStats::OnMessage(const CompletedMessage& m) {
  if (m.payload == nullptr) return;
  const AisPayload& p = *m.payload;
  const int slot = SlotOf(m.source);
  StatsImage& im = *image_;
  const uint32_t minute = CurrentMinute();
  WindowTally& recent = RecentTally(minute);
  WindowTally& hour = HourTally(minute / 60);
  // Every count goes to this run, all time, the current minute and the current hour.
  const auto count = [&](auto add) {
    add(*run_);
    add(im.allTime);
    add(recent);
    add(hour);
  };
  if (m.duplicate) {
    count([slot](auto& t) { ++t.duplicates[slot]; });
    return;
  }
  const int number = p.bytes[0] >> 2;
  const int channel = ChannelOf(m.channel);
  count([=](auto& t) {
    ++t.byNumber[slot][number];
    ++t.byChannel[slot][channel];
  });
  StartMinuteRow(minute);
  ++im.minuteBySource[minute % kDayMinutes][slot];

  const int at = number == 6 ? 73 : 41;  // message 6 has a destination before it
  if ((number == 6 || number == 8) && p.bitLength >= at + 15) {
    const int k = BinaryKeyOf(number, GetBits(p, at, at + 9, false), GetBits(p, at + 10, at + 15, false));
    if (k >= 0) count([k](auto& t) { ++t.binary[k]; });
  }
  if (m.mode != kOtherShipsMode) return;
  const int32_t mmsi = GetBits(p, 9, 38, false);
  NoteStation(mmsi, minute);
  if (!hasReceiver_ || !(IsClassA(number) || IsClassB(number)) || mmsi == kOwnEchoMMSI) return;
  // The decoders have had the message: the station's entry holds this report's position.
  const DbDynamic* e = table_.Entry(table_.FindShip(mmsi));
  if (e == nullptr || e->LatInvalid || e->LonInvalid) return;
  im.sectors.Note(IsClassA(number) ? StationClass::kA : StationClass::kB, receiverLat_, receiverLon_, e->Lat, e->Lon,
                  mmsi, minute);
}

// get reads one figure from a tally; the window says which tallies are summed.
template <typename Get>
uint64_t ReceptionStats::Sum(CountWindow w, Get get) const {
  const StatsImage& im = *image_;
  if (w == CountWindow::kSinceStart) return get(*run_);
  if (w == CountWindow::kAllTime) return get(im.allTime);
  const uint32_t cur = CurrentMinute();
  uint64_t sum = 0;
  if (w == CountWindow::kLastDay) {
    const uint32_t hour = cur / 60;
    for (uint32_t ago = 0; ago < kDayHours && ago <= hour; ++ago) {
      const int i = static_cast<int>((hour - ago) % kDayHours);
      if (im.hourStamp[i] == hour - ago + 1) sum += get(im.hours[i]);
    }
    return sum;
  }
  const uint32_t minutes = w == CountWindow::kLastMinute ? 1 : kHourMinutes;
  for (uint32_t ago = 0; ago < minutes && ago <= cur; ++ago) {
    const int i = static_cast<int>((cur - ago) % kHourMinutes);
    if (im.recentStamp[i] == cur - ago + 1) sum += get(im.recent[i]);
  }
  return sum;
}

uint64_t ReceptionStats::Count(int number, CountWindow w) const {
  if (number < 0 || number >= kCountedNumbers) return 0;
  return Sum(w, [number](const auto& t) {
    uint64_t n = 0;
    for (int s = 0; s < kStatSources; ++s) n += t.byNumber[s][number];
    return n;
  });
}

uint64_t ReceptionStats::CountBySource(int slot, int number, CountWindow w) const {
  if (slot < 0 || slot >= kStatSources || number < 0 || number >= kCountedNumbers) return 0;
  return Sum(w, [=](const auto& t) { return static_cast<uint64_t>(t.byNumber[slot][number]); });
}

uint64_t ReceptionStats::SourceTotal(int slot, CountWindow w) const {
  if (slot < 0 || slot >= kStatSources) return 0;
  return Sum(w, [slot](const auto& t) {
    uint64_t n = 0;
    for (const auto c : t.byNumber[slot]) n += c;
    return n;
  });
}

uint64_t ReceptionStats::Duplicates(int slot, CountWindow w) const {
  if (slot < 0 || slot >= kStatSources) return 0;
  return Sum(w, [slot](const auto& t) { return static_cast<uint64_t>(t.duplicates[slot]); });
}

uint64_t ReceptionStats::ChannelCount(int slot, int channel, CountWindow w) const {
  if (slot < 0 || slot >= kStatSources || channel < 0 || channel >= kChannels) return 0;
  return Sum(w, [=](const auto& t) { return static_cast<uint64_t>(t.byChannel[slot][channel]); });
}

uint64_t ReceptionStats::BinaryCount(int i, CountWindow w) const {
  if (i < 0 || i >= BinaryKeyCount()) return 0;
  return Sum(w, [i](const auto& t) { return static_cast<uint64_t>(t.binary[i]); });
}

uint32_t ReceptionStats::MinuteCount(int slot, int minutesAgo) const {
  const uint32_t cur = CurrentMinute();
  if (minutesAgo < 0 || minutesAgo >= kDayMinutes || static_cast<uint32_t>(minutesAgo) > cur) return 0;
  const uint32_t minute = cur - minutesAgo;
  const int i = static_cast<int>(minute % kDayMinutes);
  if (image_->minuteStamp[i] != minute + 1) return 0;
  if (slot >= 0) return slot < kStatSources ? image_->minuteBySource[i][slot] : 0;
  uint32_t sum = 0;
  for (int s = 0; s < kStatSources; ++s) sum += image_->minuteBySource[i][s];
  return sum;
}

uint32_t ReceptionStats::StationsInHour(int hoursAgo) const {
  const uint32_t hour = CurrentMinute() / 60;
  if (hoursAgo < 0 || hoursAgo >= kDayHours || static_cast<uint32_t>(hoursAgo) > hour) return 0;
  const int h = static_cast<int>((hour - hoursAgo) % kDayHours);
  return image_->hourStamp[h] == hour - hoursAgo + 1 ? image_->hourStations[h] : 0;
}

bool ReceptionStats::Restore(const StatsImage& image) {
  if (std::memcmp(image.magic, kStatsMagic, sizeof kStatsMagic) != 0 || image.version != kStatsVersion ||
      image.sourceCount > kStatSources || image.binaryKeyCount > kBinaryKeys)
    return false;
  *image_ = image;
  for (auto& name : image_->sourceNames) name[kSourceNameBytes - 1] = '\0';
  for (int16_t& s : slotOfId_) s = -1;
  // Restored at start: this run's counts begin afresh against the restored keys.
  std::memset(run_.get(), 0, sizeof(MessageTally));
  // A damaged set could stop the counting or, full, make its probing endless.
  int used = 0;
  for (const int32_t m : image_->heard) used += m != 0 ? 1 : 0;
  if (used != image_->heardCount || used > kHeardStations / 2) {
    std::memset(image_->heard, 0, sizeof image_->heard);
    image_->heardHour = 0;
    image_->heardCount = 0;
  }
  return true;
}

}  // namespace aismon
