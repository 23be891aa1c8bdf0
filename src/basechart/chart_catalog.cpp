#include "basechart/chart_catalog.h"

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

#include "basechart/chart_walk.h"
#include "common/platform.h"

namespace aismon {

namespace fs = std::filesystem;

static_assert(std::endian::native == std::endian::little, "Zt3 files are little-endian words");

namespace {

// Header of the catalog: magic, header length, north, west, south, east, 8, first record, 0, 0.
constexpr int32_t kCatalogHeader[kChartHeaderWords] = {
    static_cast<int32_t>(kChartMagic), 10, 600000000, 1200000000, 200000000, 1600000000, 8, 10, 0, 0};

// Writes words scrambled with the catalog mask. The words are scrambled in place: callers
// hand over buffers they no longer need.
class ScrambledWriter {
 public:
  explicit ScrambledWriter(std::FILE* f) : f_(f) {}
  void Write(int32_t* words, size_t count) {
    for (size_t i = 0; i < count; ++i) words[i] = static_cast<int32_t>(static_cast<uint32_t>(words[i]) ^ kCatalogMask);
    ok_ = ok_ && std::fwrite(words, sizeof(int32_t), count, f_) == count;
  }
  bool ok() const { return ok_; }

 private:
  std::FILE* f_;
  bool ok_ = true;
};

// Copies the records of one tile. Copying stops at the end of the tile, at an end marker,
// at a record whose length is below the record header or whose body does not fit the body
// buffer, and at a record cut off by the end of the file (that record is not copied).
void CopyTileRecords(std::FILE* tile, int32_t* body, ScrambledWriter& out) {
  int32_t head[kChartRecordHeaderWords];
  // The tile's own header says nothing the catalog needs.
  if (std::fread(head, sizeof(int32_t), kChartHeaderWords, tile) != kChartHeaderWords) return;
  for (;;) {
    if (std::fread(head, sizeof(int32_t), kChartRecordHeaderWords, tile) != kChartRecordHeaderWords) return;
    if (head[0] == 0) return;  // the catalog gets a single end marker of its own
    const int64_t length = head[1];
    if (length < static_cast<int64_t>(kChartRecordHeaderWords)) return;
    const uint64_t bodyWords = static_cast<uint64_t>(length) - kChartRecordHeaderWords;
    if (bodyWords > kChartBodyBufferWords) return;
    if (std::fread(body, sizeof(int32_t), bodyWords, tile) != bodyWords) return;
    out.Write(head, kChartRecordHeaderWords);
    out.Write(body, bodyWords);
  }
}

bool HasPlainMagic(const int32_t* words) {
  unsigned char b[4];
  std::memcpy(b, words, sizeof b);
  return (b[0] == 'Z' || b[0] == 'z') && (b[1] == 'T' || b[1] == 't') && b[2] == '3' && b[3] == 0;
}

}  // namespace

fs::path CatalogPath(const fs::path& programFolder) { return programFolder / kCatalogFileName; }

fs::path TilePath(const fs::path& programFolder, std::string_view tileName) {
  std::string file(tileName);
  file += kTileExtension;
  return TileFolder(programFolder) / file;
}

fs::path TileFolder(const fs::path& programFolder) { return programFolder / kTileFolder; }

void BuildChartCatalog(const fs::path& programFolder) { BuildChartCatalog(programFolder, TileFolder(programFolder)); }

void BuildChartCatalog(const fs::path& programFolder, const fs::path& tileFolder) {
  const fs::path catalog = CatalogPath(programFolder);
  std::error_code ec;
  // Anything by that name counts, and so does a name that cannot be looked at.
  const fs::file_status status = fs::symlink_status(catalog, ec);
  if (fs::exists(status) || (ec && ec != std::errc::no_such_file_or_directory)) return;

  // Built under a temporary name: a half-written catalog would otherwise be kept for good.
  fs::path temp = catalog;
  temp += ".tmp";
  std::FILE* f = OpenPath(temp, "wb");
  if (f == nullptr) return;
  ScrambledWriter out(f);
  int32_t header[kChartHeaderWords];
  std::memcpy(header, kCatalogHeader, sizeof header);
  out.Write(header, kChartHeaderWords);

  // Only ever written by reads before it is used, so it need not be cleared.
  const auto body = std::make_unique_for_overwrite<int32_t[]>(kChartBodyBufferWords);
  for (std::string_view name : kTileNames) {
    std::FILE* tile = OpenPath(tileFolder / (std::string(name) + kTileExtension), "rb");
    if (tile == nullptr) continue;
    CopyTileRecords(tile, body.get(), out);
    std::fclose(tile);
  }
  int32_t endMarker = 0;
  out.Write(&endMarker, 1);

  bool ok = out.ok();
  ok = ok && SyncFile(f);
  ok = std::fclose(f) == 0 && ok;
  if (ok) ok = ReplaceByRename(temp, catalog);
  if (!ok) fs::remove(temp, ec);
}

void ChartCatalog::FreeImage::operator()(ChartImage* image) const { std::free(image); }

ChartCatalog::ChartCatalog(fs::path programFolder) : path_(CatalogPath(programFolder)) {}

const ChartImage* ChartCatalog::Load() {
  if (loaded_) return image_.get();
  std::FILE* f = OpenPath(path_, "rb");
  if (f == nullptr) return nullptr;
  // Allocated once and kept across failed attempts, so that retries allocate nothing.
  // calloc: fresh pages from the system are zero already, only what is read gets touched.
  if (image_ == nullptr) image_.reset(static_cast<ChartImage*>(std::calloc(1, sizeof(ChartImage))));
  if (image_ == nullptr) {
    std::fclose(f);
    return nullptr;
  }
  int32_t* words = image_->words;
  const size_t bytes = std::fread(words, 1, sizeof image_->words, f);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  const size_t k = bytes / sizeof(int32_t);
  // Only whole words count; the buffer stays zero past them.
  std::memset(reinterpret_cast<unsigned char*>(words) + k * sizeof(int32_t), 0, bytes - k * sizeof(int32_t));
  if (failed) {  // unreadable: try again on a later call
    std::memset(words, 0, k * sizeof(int32_t));
    return nullptr;
  }
  if (!HasPlainMagic(words))
    for (size_t i = 0; i < k; ++i) words[i] = static_cast<int32_t>(static_cast<uint32_t>(words[i]) ^ kCatalogMask);
  image_->wordCount = k;
  loaded_ = true;
  return image_.get();
}

}  // namespace aismon
