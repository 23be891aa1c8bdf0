#include "app/playback.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "shipdb/ship_table.h"
#include "text/list_lines.h"
#include "text/text_parse.h"

namespace aismon {

uint32_t Playback::LineTimeStamp(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  bool negative = false;
  if (i < line.size() && (line[i] == '+' || line[i] == '-')) negative = line[i++] == '-';
  uint32_t v = 0;
  for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) v = v * 10u + static_cast<uint32_t>(line[i] - '0');
  return negative ? 0u - v : v;
}

void Playback::Stop() {
  playing_ = false;
  lines_.clear();
  lines_.shrink_to_fit();
  speed_ = 1;
  ++generation_;
}

bool Playback::Start(const std::filesystem::path& path) {
  Stop();
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) return false;
  StartLines(path.string(), SplitListLines(text));
  return true;
}

void Playback::StartLines(const std::string& path, std::vector<std::string> lines) {
  Stop();
  playing_ = true;
  lines_ = std::move(lines);
  pos_ = 0;
  fileName_ = path;
  elapsedMs_ = 0;
  speed_ = 1;
  anchorLogTime_ = firstLogTime_ = lines_.empty() ? 0 : LineTimeStamp(lines_[0]);
  anchorWallTick_ = 0;
  FillHistogram();
}

void Playback::FillHistogram() {
  histogram_.fill(0);
  if (lines_.size() <= 2) return;
  // Minutes from the second line: the first may be a leftover from long before.
  const int64_t ref = ParseInteger(lines_[1]);
  for (const std::string& line : lines_) {
    const int64_t m = (static_cast<int64_t>(ParseInteger(line)) - ref) / 60000;
    if (m >= 0 && m < 60) ++histogram_[static_cast<size_t>(m)];
  }
}

void Playback::PlaySpeedClick(int speed, uint32_t now) {
  if (!playing_) return;
  anchorLogTime_ = pos_ < lines_.size() ? LineTimeStamp(lines_[pos_]) : anchorLogTime_;
  anchorWallTick_ = now;
  speed_ = speed > 0 ? speed : 1;
}

void Playback::End() {
  playing_ = false;
  lines_.clear();
  lines_.shrink_to_fit();
  speed_ = 1;
  ++generation_;
}

Playback::StepResult Playback::PlaybackStep(uint32_t now, const Feed& feed) {
  if (!playing_) return StepResult::Idle;
  if (lines_.empty()) {  // an empty file has nothing to pace
    pos_ = 0;
    End();
    return StepResult::Ended;
  }
  size_t i = pos_;
  uint32_t t = LineTimeStamp(lines_[i]);
  if (i == 0) {
    anchorLogTime_ = t;
    firstLogTime_ = t;
    anchorWallTick_ = now;
  }
  const uint32_t speed = static_cast<uint32_t>(speed_);
  // A stamp before the anchor (a hand-edited log, a restarted tick) is due at once at
  // every speed, instead of days later once the unsigned difference is divided.
  auto dueOf = [&](uint32_t stamp) -> uint32_t {
    const uint32_t d = stamp - anchorLogTime_;
    return static_cast<int32_t>(d) < 0 ? 0u : d / speed;
  };
  uint32_t due = dueOf(t);
  const uint32_t elapsed = now - anchorWallTick_;
  const uint32_t generation = generation_;
  std::string sentence;
  while (static_cast<int32_t>(due) <= static_cast<int32_t>(elapsed)) {
    const std::string& line = lines_[i];
    const size_t tab = line.find('\t');
    if (tab != std::string::npos) {
      sentence.assign(line, tab + 1, kPlaybackMaxSentence);
      if (feed) feed(sentence.c_str());
      // The feed may have stopped or restarted the playback (a box opened inside decoding).
      if (generation_ != generation) return playing_ ? StepResult::Playing : StepResult::Idle;
    }
    ++i;
    if (i >= lines_.size()) {
      pos_ = i;
      elapsedMs_ = static_cast<int32_t>(t - firstLogTime_);
      End();
      return StepResult::Ended;
    }
    t = LineTimeStamp(lines_[i]);
    due = dueOf(t);
  }
  pos_ = i;
  elapsedMs_ = static_cast<int32_t>(t - firstLogTime_);
  return StepResult::Playing;
}

void ResetTableForPlayback(ShipTable& table) {
  table.ClearShips();
  DbDynamic own;
  table.GetShip(0, own);
  own.Age = 0;
  own.MMSI = 0;
  own.Sog = 0.0;
  table.PutShip(0, own);
}

void StopShipsAfterPlayback(ShipTable& table) {
  for (int i = 0; i < kDynamicEntries; ++i) {
    DbDynamic d;
    if (!table.GetShip(i, d)) continue;  // a free entry
    d.Raw.RawSog = 0;
    d.Sog = 0.0;
    d.Rot = 0.0;
    table.PutShip(i, d);
  }
}

}  // namespace aismon
