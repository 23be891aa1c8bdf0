#pragma once
// Shared by the fuzz targets: a check that aborts (so the fuzzer records the input) and a
// scratch folder for the process, on a RAM disk where there is one, removed at exit.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#define CHECK(cond)                                                          \
  do {                                                                       \
    if (!(cond)) {                                                           \
      std::fprintf(stderr, "check failed: %s (line %d)\n", #cond, __LINE__); \
      std::abort();                                                          \
    }                                                                        \
  } while (0)

namespace aismon::fuzz {

inline const std::filesystem::path*& ScratchSlot() {
  static const std::filesystem::path* root = nullptr;
  return root;
}

inline void RemoveScratch() {
  std::error_code ec;
  if (ScratchSlot() != nullptr) std::filesystem::remove_all(*ScratchSlot(), ec);
}

// The process's scratch folder "<name>-<pid>", made on first use. Never destroyed, so
// that the exit handler can still use it.
inline const std::filesystem::path& ScratchRoot(const char* name) {
  if (ScratchSlot() == nullptr) {
    namespace fs = std::filesystem;
    const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    ScratchSlot() = new fs::path(base / (std::string(name) + "-" + std::to_string(getpid())));
    fs::create_directories(*ScratchSlot());
    std::atexit(RemoveScratch);
  }
  return *ScratchSlot();
}

}  // namespace aismon::fuzz
