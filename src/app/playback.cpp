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
  paused_ = false;
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
  anchorLogTime_ = lastStamp_ = lines_.empty() ? 0 : LineTimeStamp(lines_[0]);
  playedMs_ = 0;
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

void Playback::Pause(bool paused, uint32_t now) {
  if (!playing_) return;
  if (paused_ && !paused) PlaySpeedClick(speed_, now);  // the pause does not count as lag
  paused_ = paused;
}

void Playback::Jump(int32_t logMs, uint32_t now) {
  if (!playing_ || lines_.empty()) return;
  const size_t from = pos_ < lines_.size() ? pos_ : lines_.size() - 1;
  const uint32_t here = LineTimeStamp(lines_[from]);
  size_t i = from;
  if (logMs >= 0) {
    while (i + 1 < lines_.size() && static_cast<int32_t>(LineTimeStamp(lines_[i]) - here) < logMs) ++i;
  } else {
    while (i > 0 && static_cast<int32_t>(LineTimeStamp(lines_[i - 1]) - here) >= logMs) --i;
  }
  const uint32_t there = LineTimeStamp(lines_[i]);
  const int64_t played = static_cast<int64_t>(playedMs_) + static_cast<int32_t>(there - lastStamp_);
  playedMs_ = played > 0 ? static_cast<uint32_t>(played) : 0u;
  elapsedMs_ = static_cast<int32_t>(playedMs_);
  lastStamp_ = there;
  pos_ = i;
  anchorLogTime_ = there;
  anchorWallTick_ = now;
  ++generation_;  // a step under way stops feeding from where it was
}

void Playback::End() {
  paused_ = false;
  playing_ = false;
  lines_.clear();
  lines_.shrink_to_fit();
  speed_ = 1;
  ++generation_;
}

Playback::StepResult Playback::PlaybackStep(uint32_t now, const Feed& feed) {
  if (!playing_) return StepResult::Idle;
  if (paused_) return StepResult::Playing;
  // A step run from inside the feed (a box opened while decoding lets the timer run)
  // would start from the line the outer step is feeding and play it again.
  if (inStep_) return StepResult::Playing;
  struct StepGuard {
    bool& flag;
    explicit StepGuard(bool& f) : flag(f) { flag = true; }
    ~StepGuard() { flag = false; }
  } guard(inStep_);
  if (lines_.empty()) {  // an empty file has nothing to pace
    pos_ = 0;
    End();
    return StepResult::Ended;
  }
  size_t i = pos_;
  uint32_t t = LineTimeStamp(lines_[i]);
  if (i == 0) {
    anchorLogTime_ = t;
    lastStamp_ = t;
    playedMs_ = 0;
    anchorWallTick_ = now;
  }
  const uint32_t speed = static_cast<uint32_t>(speed_);
  uint32_t elapsed = now - anchorWallTick_;
  const uint32_t generation = generation_;
  std::string sentence;
  for (;;) {
    const uint32_t sinceAnchor = t - anchorLogTime_;
    // Two cases anchor the pacing afresh at this line, which is then due at once:
    // - its stamp lies before the anchor (two recordings in one file, a hand-edited
    //   log): every line up to the old anchor's time would otherwise fall due together;
    // - it fell due long ago: the steps were held up (a modal box, a frame that took
    //   seconds, a stopped process), and the playback resumes from here at its pace
    //   instead of pouring out everything it missed at once.
    const bool before = static_cast<int32_t>(sinceAnchor) < 0;
    const uint32_t due = before ? 0u : sinceAnchor / speed;
    if (static_cast<int32_t>(due) > static_cast<int32_t>(elapsed)) break;
    if (before || static_cast<int32_t>(elapsed - due) > static_cast<int32_t>(kPlaybackMaxLagMs)) {
      anchorLogTime_ = t;
      anchorWallTick_ = now;
      elapsed = 0;
    }
    // The running time counts the log's forward steps only.
    if (static_cast<int32_t>(t - lastStamp_) > 0) playedMs_ += t - lastStamp_;
    lastStamp_ = t;
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
      elapsedMs_ = static_cast<int32_t>(playedMs_);
      End();
      return StepResult::Ended;
    }
    t = LineTimeStamp(lines_[i]);
  }
  pos_ = i;
  // As far as the line looked at next, when it lies ahead.
  const uint32_t ahead = static_cast<int32_t>(t - lastStamp_) > 0 ? t - lastStamp_ : 0u;
  elapsedMs_ = static_cast<int32_t>(playedMs_ + ahead);
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
  for (int i = 0; i < table.DynamicCount(); ++i) {
    DbDynamic d;
    if (!table.GetShip(i, d)) continue;  // a free entry
    d.Raw.RawSog = 0;
    d.Sog = 0.0;
    d.Rot = 0.0;
    table.PutShip(i, d);
  }
}

}  // namespace aismon
