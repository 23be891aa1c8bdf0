#include "basechart/chart_file_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "basechart/chart_catalog.h"
#include "basechart/chart_walk.h"
#include "common/platform.h"

namespace aismon {

ChartFileWriter::ChartFileWriter(int32_t north, int32_t west, int32_t south, int32_t east)
    : words_{static_cast<int32_t>(kChartMagic), 10, north, west, south, east, 8, 10, 0, 0} {}

void ChartFileWriter::AddRecord(char kind, const std::vector<GeoPoint>& points, std::string_view text) {
  ChartBox box{INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN};
  for (const GeoPoint& p : points) {
    box.north = std::max(box.north, p.lat);
    box.south = std::min(box.south, p.lat);
    box.west = std::min(box.west, p.lon);
    box.east = std::max(box.east, p.lon);
  }
  if (points.empty()) box = ChartBox{};
  const size_t textWords = text.empty() ? 0 : text.size() / 4 + 1;  // the NUL and padding
  const size_t start = words_.size();
  const size_t length = kChartRecordHeaderWords + textWords + 2 * points.size();
  words_.resize(start + length, 0);
  int32_t* w = words_.data() + start;
  w[0] = static_cast<unsigned char>(kind);
  w[1] = static_cast<int32_t>(length);
  w[2] = box.north;
  w[3] = box.west;
  w[4] = box.south;
  w[5] = box.east;
  w[6] = text.empty() ? 0 : static_cast<int32_t>(kChartRecordHeaderWords);
  w[7] = static_cast<int32_t>(kChartRecordHeaderWords + textWords);
  w[8] = static_cast<int32_t>(points.size());
  w[9] = 0;
  if (!text.empty()) std::memcpy(w + kChartRecordHeaderWords, text.data(), text.size());
  int32_t* p = w + kChartRecordHeaderWords + textWords;
  for (const GeoPoint& g : points) {
    *p++ = g.lat;
    *p++ = g.lon;
  }
  ++records_;
}

std::vector<int32_t> ChartFileWriter::Words() const {
  std::vector<int32_t> all = words_;
  all.push_back(0);
  return all;
}

bool ChartFileWriter::Save(const std::filesystem::path& path, std::string& error) const {
  const std::vector<int32_t> all = Words();
  std::filesystem::path temp = path;
  temp += ".tmp";
  std::FILE* f = OpenPath(temp, "wb");
  if (f == nullptr) {
    error = "cannot create " + temp.string() + ": " + std::strerror(errno);
    return false;
  }
  // The files are little-endian words, as this machine stores them.
  const bool written = std::fwrite(all.data(), sizeof(int32_t), all.size(), f) == all.size();
  const bool closed = std::fclose(f) == 0;
  std::error_code ec;
  if (!written || !closed) {
    error = "cannot write " + temp.string();
    std::filesystem::remove(temp, ec);
    return false;
  }
  if (!ReplaceByRename(temp, path)) {
    error = "cannot rename " + temp.string() + " to " + path.string();
    std::filesystem::remove(temp, ec);
    return false;
  }
  return true;
}

}  // namespace aismon
