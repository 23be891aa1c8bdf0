#pragma once
// ReceiveLog: the sentences kept for the receive-log files, and their writing. Every VDM
// and VDO line of any talker and, at most every 5 s, an RMC line are kept; they are
// written while recording (or with the debug panel up), at the latest when the oldest is 5 s old, so a
// kill or a power cut loses less than 10 s of them.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <string>

#include "common/clock.h"

namespace aismon {

inline constexpr size_t kReceiveLogMaxLines = 100000;     // oldest lines dropped beyond this
inline constexpr size_t kReceiveLogFlushLines = 10000;    // the poll flushes from this many on
inline constexpr size_t kReceiveLogMinWriteLines = 10;    // a flush of this many or fewer writes nothing
inline constexpr uint32_t kRmcLogSpacingMs = 5000;
// The oldest line waits no longer: half the 10 s a kill may cost, the rest a margin for a
// loaded machine.
inline constexpr uint32_t kReceiveLogFlushAgeMs = 5000;

class ReceiveLog {
 public:
  // The recording rule, for a line accepted from a serial port at tick (read once by
  // the caller). Nothing is kept while a log is being played back.
  void Record(const char* line, uint32_t tick, bool playingBack);

  // FlushReceiveLog: with the debug panel hidden, does nothing. Otherwise writes the lines
  // to dataFolder/"!AIS"yymmdd-hhmm".txt" when there are more than 10, or whatever their
  // number once this run has written a log (appending when that file exists), and empties
  // the list. When the file cannot be written the lines stay and
  // the error text (Shift-JIS) is returned, only for the first of consecutive failures,
  // so the caller shows it once; otherwise the result is empty.
  std::string FlushReceiveLog(const std::filesystem::path& dataFolder, bool debugVisible, Clock& clock);

  size_t Count() const { return lines_.size(); }
  const std::deque<std::string>& Lines() const { return lines_; }
  // The poll's test for a flush: 10,000 lines, or lines spanning 9 s of recording.
  bool WantsFlush() const {
    return lines_.size() >= kReceiveLogFlushLines || (!lines_.empty() && newestTick_ - oldestTick_ >= kReceiveLogFlushAgeMs);
  }
  // The timer's test, for a stream that has stopped: the oldest line is 9 s old.
  bool FlushDue(uint32_t now) const { return !lines_.empty() && now - oldestTick_ >= kReceiveLogFlushAgeMs; }

  // The file the last flush wrote (empty before any) and the lines written this run.
  const std::filesystem::path& LastFile() const { return lastFile_; }
  uint64_t LinesWritten() const { return linesWritten_; }

  uint32_t lastRmcLogTick = 0;

 private:
  void Append(uint32_t tick, const char* line);

  std::deque<std::string> lines_;
  bool failureReported_ = false;
  bool wroteThisRun_ = false;
  uint32_t oldestTick_ = 0;  // of the first line held
  uint32_t newestTick_ = 0;
  std::filesystem::path lastFile_;
  uint64_t linesWritten_ = 0;
};

// "!AIS" + "yymmdd-hhmm" + ".txt" for the local time given.
std::string ReceiveLogFileName(const LocalDateTime& t);

}  // namespace aismon
