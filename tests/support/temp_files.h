#pragma once
// Real files for tests: a fresh folder under the system's temporary folder (removed at
// the end), and whole-file byte reads and writes.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace aismon::testing {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix = "aismon-test-") {
    std::random_device rd;
    path_ = fs::temp_directory_path() / (prefix + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

inline Bytes ReadBytes(const fs::path& p) {
  std::error_code ec;
  const uintmax_t size = fs::file_size(p, ec);
  if (ec) return {};
  Bytes b(size);
  std::ifstream in(p, std::ios::binary);
  in.read(reinterpret_cast<char*>(b.data()), static_cast<std::streamsize>(size));
  b.resize(static_cast<size_t>(in.gcount()));
  return b;
}

inline void WriteBytes(const fs::path& p, const void* data, size_t size) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  ASSERT_TRUE(out.good()) << p;
}

}  // namespace aismon::testing
