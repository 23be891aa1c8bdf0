// Random bytes as a chart image (walked directly and through the catalog loader) and as a
// tile file merged by the catalog builder. Checks that every record the walk yields lies
// inside the image and its own length, and that a built catalog keeps its shape.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "basechart/chart_catalog.h"
#include "basechart/chart_walk.h"
#include "tests/fuzz/fuzz_support.h"

namespace fs = std::filesystem;
using namespace aismon;

namespace {

struct Folders {
  fs::path root, home, tiles;
};

const Folders& Scratch() {
  static const Folders* folders = [] {
    auto* f = new Folders;
    f->root = fuzz::ScratchRoot("aismon-fuzz-chart");
    f->home = f->root / "home";
    f->tiles = f->root / "!MapData" / "BaseChart(zt3)";
    fs::create_directories(f->home);
    fs::create_directories(f->tiles);
    return f;
  }();
  return *folders;
}

void WriteFile(const fs::path& p, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(p.c_str(), "wb");
  CHECK(f != nullptr);
  if (size > 0) CHECK(std::fwrite(data, 1, size, f) == size);
  CHECK(std::fclose(f) == 0);
}

struct WalkResult {
  ChartWalkEnd end;
  size_t position;
};

// Walks the image, reading every byte each record hands out.
WalkResult WalkAndTouch(const int32_t* words, size_t count) {
  ChartWalk walk(words, count);
  ChartRecord r;
  volatile uint32_t sink = 0;
  size_t previousEnd = 0;
  while (walk.Next(r)) {
    CHECK(r.length >= 10);
    CHECK(r.index >= 10 && r.index >= previousEnd);
    CHECK(r.index + static_cast<size_t>(r.length) <= count);
    const char* recordStart = reinterpret_cast<const char*>(words + r.index);
    const char* recordEnd = reinterpret_cast<const char*>(words + r.index + r.length);
    if (r.hasText) {
      CHECK(r.text.data() >= recordStart && r.text.data() + r.text.size() < recordEnd);
      CHECK(r.text.data()[r.text.size()] == '\0');
      for (char c : r.text) sink = sink + static_cast<uint8_t>(c);
    } else {
      CHECK(r.text.empty());
    }
    const TagColor color = ColorOfTag(r.text);
    sink = sink + color.red + color.green + color.blue + static_cast<uint32_t>(PointValue(r.text));
    CHECK(r.pointCount >= 0);
    CHECK(reinterpret_cast<const char*>(r.points) >= recordStart);
    CHECK(reinterpret_cast<const char*>(r.points + 2 * static_cast<size_t>(r.pointCount)) <= recordEnd);
    for (int32_t i = 0; i < 2 * r.pointCount; ++i) sink = sink + static_cast<uint32_t>(r.points[i]);
    sink = sink + static_cast<uint32_t>(r.box.north) + r.kind;
    previousEnd = r.index + static_cast<size_t>(r.length);
  }
  CHECK(!walk.Next(r));
  if (walk.End() == ChartWalkEnd::kImageEnd) CHECK(walk.Position() == count);
  if (walk.End() == ChartWalkEnd::kEndMarker) CHECK(words[walk.Position()] == 0);
  return WalkResult{walk.End(), walk.Position()};
}

bool PlainMagic(const uint8_t* d, size_t size) {
  return size >= 4 && (d[0] == 'Z' || d[0] == 'z') && (d[1] == 'T' || d[1] == 't') && d[2] == '3' && d[3] == 0;
}

// The bytes as a catalog: walked as they are, then loaded from a file and walked again.
void AsCatalog(const uint8_t* data, size_t size) {
  // An exactly sized copy, so that a read past the end is caught by the sanitizer.
  std::vector<int32_t> words(size / 4);
  if (!words.empty()) std::memcpy(words.data(), data, words.size() * 4);
  WalkAndTouch(words.data(), words.size());

  const Folders& f = Scratch();
  WriteFile(CatalogPath(f.home), data, size);
  ChartCatalog catalog(f.home);
  const ChartImage* image = catalog.Load();
  CHECK(image != nullptr);
  CHECK(image->wordCount == std::min(size / 4, kChartImageWords));
  const uint32_t mask = PlainMagic(data, size) ? 0 : kCatalogMask;
  for (size_t i = 0; i < image->wordCount; ++i) CHECK((static_cast<uint32_t>(words[i]) ^ mask) == static_cast<uint32_t>(image->words[i]));
  WalkAndTouch(image->words, image->wordCount);
}

// The bytes as the first tile: the built catalog must be the fixed header, whole records
// and one end marker.
void AsTile(const uint8_t* data, size_t size) {
  const Folders& f = Scratch();
  std::error_code ec;
  fs::remove(CatalogPath(f.home), ec);
  WriteFile(TilePath(f.home, kTileNames[0]), data, size);
  BuildChartCatalog(f.home);

  const uintmax_t bytes = fs::file_size(CatalogPath(f.home));
  CHECK(bytes % 4 == 0);
  CHECK(bytes >= 44);
  CHECK(bytes <= 44 + (size > 40 ? size - 40 : 0));
  ChartCatalog catalog(f.home);
  const ChartImage* image = catalog.Load();
  CHECK(image != nullptr);
  CHECK(image->wordCount == bytes / 4);
  CHECK(static_cast<uint32_t>(image->words[0]) == kChartMagic);
  CHECK(image->words[1] == 10 && image->words[7] == 10);
  CHECK(image->words[image->wordCount - 1] == 0);
  const WalkResult walked = WalkAndTouch(image->words, image->wordCount);
  // Lengths are copied only when they chain, so the walk cannot lose its way; it can only
  // stop early at a record whose text or points are out of place.
  CHECK(walked.end == ChartWalkEnd::kEndMarker || walked.end == ChartWalkEnd::kBadRecord);
  // The single end marker is the last word.
  if (walked.end == ChartWalkEnd::kEndMarker) CHECK(walked.position == image->wordCount - 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  AsCatalog(data, size);
  AsTile(data, size);
  return 0;
}
