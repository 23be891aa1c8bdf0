#include "common/platform.h"

#include <iterator>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <iconv.h>
#include <unistd.h>
#endif

namespace aismon {

namespace fs = std::filesystem;

#ifdef _WIN32

namespace {

// Up to 8 wide characters: enough for one character of either side.
int Widen(UINT codePage, std::string_view in, wchar_t* out, int outSize) {
  return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), static_cast<int>(in.size()), out, outSize);
}

}  // namespace

std::FILE* OpenPath(const fs::path& path, const char* mode) {
  wchar_t wideMode[8] = {};
  for (size_t i = 0; i + 1 < std::size(wideMode) && mode[i] != '\0'; ++i) wideMode[i] = static_cast<wchar_t>(mode[i]);
  return _wfopen(path.c_str(), wideMode);
}

bool SyncFile(std::FILE* f) {
  if (std::fflush(f) != 0) return false;
  const HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)));
  return h != INVALID_HANDLE_VALUE && FlushFileBuffers(h) != 0;
}

bool SyncFileAt(const fs::path& path) {
  // Flushing needs write access; sharing everything so that no other reader is disturbed.
  const HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = FlushFileBuffers(h) != 0;
  CloseHandle(h);
  return ok;
}

bool SyncFolder(const fs::path&) { return true; }

bool ReplaceByRename(const fs::path& from, const fs::path& to) {
  // Write-through: the call returns once the new name is on the disk.
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool LocalTime(std::time_t t, std::tm& out) { return localtime_s(&out, &t) == 0; }

CodePage932::CodePage932(bool toShiftJis) : toShiftJis_(toShiftJis), ok_(IsValidCodePage(932) != 0) {}

CodePage932::~CodePage932() = default;

bool CodePage932::ConvertOne(std::string_view character, std::string& out) {
  wchar_t wide[8];
  const int n = Widen(toShiftJis_ ? CP_UTF8 : 932, character, wide, 8);
  if (n <= 0) return false;
  char narrow[16];
  BOOL usedDefault = FALSE;
  // CP_UTF8 takes no default-character flag; code page 932 must say when it had no form.
  const int m = toShiftJis_ ? WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, n, narrow, sizeof narrow, nullptr,
                                                  &usedDefault)
                            : WideCharToMultiByte(CP_UTF8, 0, wide, n, narrow, sizeof narrow, nullptr, nullptr);
  if (m <= 0 || usedDefault) return false;
  out.append(narrow, static_cast<size_t>(m));
  return true;
}

#else

std::FILE* OpenPath(const fs::path& path, const char* mode) { return std::fopen(path.c_str(), mode); }

bool SyncFile(std::FILE* f) { return std::fflush(f) == 0 && fsync(fileno(f)) == 0; }

namespace {
bool SyncOpened(const fs::path& path, int flags) {
  const int fd = open(path.c_str(), flags);
  if (fd < 0) return false;
  const bool ok = fsync(fd) == 0;
  close(fd);
  return ok;
}
}  // namespace

bool SyncFileAt(const fs::path& path) { return SyncOpened(path, O_RDONLY); }

bool SyncFolder(const fs::path& folder) { return SyncOpened(folder, O_RDONLY | O_DIRECTORY); }

bool ReplaceByRename(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  fs::rename(from, to, ec);
  return !ec;
}

bool LocalTime(std::time_t t, std::tm& out) { return localtime_r(&t, &out) != nullptr; }

namespace {
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// Prefers the names that map 0x5C and 0x7E to ASCII, as Windows does.
iconv_t OpenShiftJis(bool toShiftJis) {
  for (const char* name : {"CP932", "WINDOWS-31J", "SHIFT_JIS"}) {
    const iconv_t cd = toShiftJis ? iconv_open(name, "UTF-8") : iconv_open("UTF-8", name);
    if (cd != kNoConverter) return cd;
  }
  return kNoConverter;
}
}  // namespace

CodePage932::CodePage932(bool toShiftJis) : toShiftJis_(toShiftJis) {
  const iconv_t cd = OpenShiftJis(toShiftJis_);
  ok_ = cd != kNoConverter;
  if (ok_) handle_ = cd;
}

CodePage932::~CodePage932() {
  if (ok_) iconv_close(static_cast<iconv_t>(handle_));
}

bool CodePage932::ConvertOne(std::string_view character, std::string& out) {
  const iconv_t cd = static_cast<iconv_t>(handle_);
  char buffer[16];
  // iconv's interface takes a non-const input pointer but does not write through it.
  char* src = const_cast<char*>(character.data());
  size_t srcLeft = character.size();
  char* dst = buffer;
  size_t dstLeft = sizeof buffer;
  const bool whole = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1) && srcLeft == 0;
  if (!whole) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    return false;
  }
  out.append(buffer, static_cast<size_t>(dst - buffer));
  return true;
}

#endif

}  // namespace aismon
