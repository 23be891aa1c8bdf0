#pragma once
// Playback of a receive log: the file's lines are fed to the sentence layer at their
// recorded pace (x1, x2 or x10), a few lines at each 300 ms step.
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace aismon {

class ShipTable;

inline constexpr size_t kPlaybackMaxSentence = 999;  // characters of a line handed on
// Wall time a line may be overdue before the pacing is anchored afresh at it: more than a
// few late steps, less than anything a person would call a jump.
inline constexpr uint32_t kPlaybackMaxLagMs = 2000;

class Playback {
 public:
  using Feed = std::function<void(const char* sentence)>;
  enum class StepResult { Idle, Playing, Ended };

  // Ends any playback, then loads the file and starts a new one at x1. False, with no
  // playback, when the file does not exist or cannot be read; the histogram is then kept.
  bool Start(const std::filesystem::path& path);
  // The same with lines already in memory (path is only shown).
  void StartLines(const std::string& path, std::vector<std::string> lines);
  // Ends the playback at once, without the end-of-playback steps.
  void Stop();

  bool Playing() const { return playing_; }

  // Re-anchors the pacing at the current line and sets the speed; does nothing when no
  // log is being played.
  void PlaySpeedClick(int speed, uint32_t now);

  // Holds the playback where it stands (nothing is fed) or goes on from there at its pace.
  void Pause(bool paused, uint32_t now);
  bool Paused() const { return playing_ && paused_; }
  // Moves to the first line stamped at least logMs (negative: back) from the line due
  // next, without feeding the lines passed over, and goes on from there at its pace.
  void Jump(int32_t logMs, uint32_t now);

  // Feeds every line that has fallen due. Ended means the last line was fed and the
  // playback is over; the caller then does the end-of-playback resets.
  StepResult PlaybackStep(uint32_t now, const Feed& feed);

  // 1 while no log is being played.
  int PlaybackSpeed() const { return playing_ ? speed_ : 1; }
  size_t PlaybackPos() const { return pos_; }
  int32_t PlaybackElapsedMs() const { return elapsedMs_; }
  const std::string& PlaybackFileName() const { return fileName_; }
  const std::array<int32_t, 60>& MinuteHistogram() const { return histogram_; }
  size_t LineCount() const { return lines_.size(); }

  // Line time stamp: optional blanks, an optional sign, decimal digits; 0 otherwise.
  // Wraps like the 32-bit tick it was written from.
  static uint32_t LineTimeStamp(std::string_view line);

 private:
  void FillHistogram();
  void End();

  bool playing_ = false;
  std::vector<std::string> lines_;
  size_t pos_ = 0;
  std::string fileName_;
  uint32_t anchorLogTime_ = 0;
  uint32_t anchorWallTick_ = 0;
  uint32_t lastStamp_ = 0;   // stamp of the last line played
  uint32_t playedMs_ = 0;    // log time played so far, forward steps only
  int32_t elapsedMs_ = 0;
  int speed_ = 1;
  std::array<int32_t, 60> histogram_{};
  // Changes whenever a playback starts or stops, so a step notices when the feed did so.
  uint32_t generation_ = 0;
  bool inStep_ = false;
  bool paused_ = false;
};

// The table resets of a playback start (also after a cancelled file choice): every
// entry freed and every wake emptied; own ship keeps its position but loses Age, MMSI and Sog.
void ResetTableForPlayback(ShipTable& table);

// The table resets at the end of a playback: own ship and every taken entry stop
// (RawSog, Sog and Rot 0) so nothing drifts on after the log.
void StopShipsAfterPlayback(ShipTable& table);

}  // namespace aismon
