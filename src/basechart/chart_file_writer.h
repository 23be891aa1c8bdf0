#pragma once
// Writes chart files in the Zt3 layout the catalog builder and the chart walk read: a
// 10-word header with the file's bounds, records (header, attribute text, points) and
// the end marker. Used by the tool that makes the coastline tiles.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "basechart/coast_bins.h"

namespace aismon {

class ChartFileWriter {
 public:
  // Bounds in 1e-7 degree.
  ChartFileWriter(int32_t north, int32_t west, int32_t south, int32_t east);

  // One record of the given kind ('A', 'W', 'S', 'L', 'P') through the points, its box
  // their bounds; text, when not empty, is stored NUL-terminated and word-padded.
  void AddRecord(char kind, const std::vector<GeoPoint>& points, std::string_view text = {});

  size_t RecordCount() const { return records_; }
  // The whole file: header, records and the end marker.
  std::vector<int32_t> Words() const;
  // Writes the file through a temporary beside it, so a failed write leaves no half file.
  bool Save(const std::filesystem::path& path, std::string& error) const;

 private:
  std::vector<int32_t> words_;
  size_t records_ = 0;
};

}  // namespace aismon
