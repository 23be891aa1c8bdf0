#pragma once
// What differs between Windows and the POSIX systems, kept in one place: opening a file by
// its path, bringing written data to the disk, replacing one file by another, local time,
// and the code page 932 tables. Everything else uses these and stays the same everywhere.
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

namespace aismon {

// std::fopen by path. On Windows the wide-character name is used, so names outside the
// ANSI code page ("!" and Japanese ones included) open as they do elsewhere.
std::FILE* OpenPath(const std::filesystem::path& path, const char* mode);

// Flushes f and waits until what was written through it is on the disk.
bool SyncFile(std::FILE* f);

// Waits until what was written to the file at path is on the disk.
bool SyncFileAt(const std::filesystem::path& path);

// Waits until the folder's names (a rename, a new or removed file) are on the disk.
// Windows has no such call for folders; ReplaceByRename waits for its own change there.
bool SyncFolder(const std::filesystem::path& folder);

// Puts `from` in place of `to` in one step, replacing an existing `to`; on failure both
// stay as they were. False when it failed.
bool ReplaceByRename(const std::filesystem::path& from, const std::filesystem::path& to);

// The local calendar time of t. False when the system cannot give it.
bool LocalTime(std::time_t t, std::tm& out);

// One-way conversion between UTF-8 and code page 932 (Shift-JIS with the Windows
// extensions), one character at a time, on the system's own tables.
class CodePage932 {
 public:
  explicit CodePage932(bool toShiftJis);
  ~CodePage932();
  CodePage932(const CodePage932&) = delete;
  CodePage932& operator=(const CodePage932&) = delete;

  // False when this system has no tables for code page 932.
  bool ok() const { return ok_; }
  // Appends the converted form of one whole character's bytes to out. False (out
  // unchanged) when the bytes are not one valid character or it has no form on the other side.
  bool ConvertOne(std::string_view character, std::string& out);

 private:
  bool toShiftJis_;
  bool ok_ = false;
  void* handle_ = nullptr;
};

}  // namespace aismon
