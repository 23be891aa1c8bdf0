#include "app/receive_log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

#include "common/clock.h"
#include "common/platform.h"
#include "text/sjis.h"

namespace aismon {

void ReceiveLog::Append(uint32_t tick, const char* line) {
  char stamp[16];
  std::snprintf(stamp, sizeof stamp, "%d:\t", static_cast<int32_t>(tick));
  // Bounded even while the panel is hidden and nothing is ever written.
  if (lines_.size() >= kReceiveLogMaxLines) lines_.pop_front();
  if (lines_.empty()) oldestTick_ = tick;
  newestTick_ = tick;
  lines_.push_back(std::string(stamp) + line);
}

void ReceiveLog::Record(const char* line, uint32_t tick, bool playingBack) {
  if (playingBack || line == nullptr || std::strlen(line) < 6) return;
  // The type follows the start character and the two-letter talker. Every talker's AIS
  // sentences are kept (BS, AB, SA, "--" and the transponder's own VDO as well as AI):
  // a playback must show what was seen live.
  const char* type = line + 3;
  if (std::strncmp(type, "VDM", 3) == 0 || std::strncmp(type, "VDO", 3) == 0) {
    Append(tick, line);
    return;
  }
  // Compared without wrap-around, as the 32-bit sum comes out.
  if (std::strncmp(type, "RMC", 3) == 0 && tick >= static_cast<uint32_t>(lastRmcLogTick + kRmcLogSpacingMs)) {
    Append(tick, line);
    lastRmcLogTick = tick;
  }
}

std::string ReceiveLogFileName(const LocalDateTime& t) {
  char name[40];
  std::snprintf(name, sizeof name, "!AIS%02d%02d%02d-%02d%02d.txt", t.year % 100, t.month, t.day, t.hour, t.minute);
  return name;
}

namespace {

// Writes old contents plus the lines to a file beside path, brings it to the disk and
// renames it over path, so that a crash at any moment leaves either the old file or the
// new one, whole. Empty on success.
std::string WriteLogFile(const std::filesystem::path& path, const std::deque<std::string>& lines) {
  std::error_code ec;
  std::string old;
  if (std::filesystem::exists(path, ec)) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::strerror(errno);
    old.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) return "read error";
  }
  std::filesystem::path temp = path;
  temp += ".tmp";
  std::FILE* out = OpenPath(temp, "wb");
  if (out == nullptr) return std::strerror(errno);
  errno = 0;
  bool ok = std::fwrite(old.data(), 1, old.size(), out) == old.size();
  for (const std::string& line : lines) {
    ok = ok && std::fwrite(line.data(), 1, line.size(), out) == line.size();
    ok = ok && std::fwrite("\r\n", 1, 2, out) == 2;
  }
  ok = ok && SyncFile(out);
  const std::string why = ok ? std::string() : std::string(errno != 0 ? std::strerror(errno) : "write error");
  ok = std::fclose(out) == 0 && ok;
  if (!ok) {
    std::filesystem::remove(temp, ec);
    return why.empty() ? "write error" : why;
  }
  if (!ReplaceByRename(temp, path)) {
    std::filesystem::remove(temp, ec);
    return "cannot rename " + temp.filename().string();
  }
  // The rename itself reaches the disk with the folder.
  SyncFolder(path.parent_path());
  return {};
}

}  // namespace

std::string ReceiveLog::FlushReceiveLog(const std::filesystem::path& dataFolder, bool debugVisible, Clock& clock) {
  if (!debugVisible) return {};
  // The few lines of a recording under way are written too: frequent flushes must not
  // drop the tail of each.
  if (lines_.size() > kReceiveLogMinWriteLines || (wroteThisRun_ && !lines_.empty())) {
    const std::filesystem::path path = dataFolder / ReceiveLogFileName(clock.Now());
    const std::string why = WriteLogFile(path, lines_);
    if (!why.empty()) {
      if (failureReported_) return {};
      failureReported_ = true;
      return Utf8ToShiftJis("Cannot create file \"" + path.string() + "\". " + why);
    }
    failureReported_ = false;
    wroteThisRun_ = true;
    lastFile_ = path;
    linesWritten_ += lines_.size();
  }
  lines_.clear();
  return {};
}

}  // namespace aismon
