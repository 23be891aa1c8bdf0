#pragma once
// The base chart catalog "!Japan.Zt3": built once from the four tile files into one
// scrambled Zt3 file beside the program, and loaded once into a fixed 4 MiB image.
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>

namespace aismon {

inline constexpr uint32_t kCatalogMask = 0x6B6B6B6B;  // every word of the file is XORed with it
inline constexpr size_t kChartImageWords = 1048576;   // 4 MiB
inline constexpr size_t kChartBodyBufferWords = 1048576;
inline constexpr char kCatalogFileName[] = "!Japan.Zt3";
// Tile folder, relative to the program folder.
inline constexpr char kTileFolder[] = "../!MapData/BaseChart(zt3)";
inline constexpr char kTileExtension[] = ".Zt3";
// South-west corners of the 20-degree tiles, in the order their records are merged.
inline constexpr std::array<std::string_view, 4> kTileNames = {"N20E120", "N20E140", "N40E120", "N40E140"};
// The magic word: "Zt3" and a NUL, read as a little-endian word.
inline constexpr uint32_t kChartMagic = 0x0033745A;

std::filesystem::path CatalogPath(const std::filesystem::path& programFolder);
std::filesystem::path TilePath(const std::filesystem::path& programFolder, std::string_view tileName);
// The folder the tiles are taken from when no other is given.
std::filesystem::path TileFolder(const std::filesystem::path& programFolder);

// Builds the catalog when it does not exist yet; an existing one is left untouched.
// Missing tiles are skipped; nothing is reported.
void BuildChartCatalog(const std::filesystem::path& programFolder);
// The same from the tiles in tileFolder (an installed program keeps them apart from its data).
void BuildChartCatalog(const std::filesystem::path& programFolder, const std::filesystem::path& tileFolder);

// The loaded catalog: the unscrambled words read, then zeros to the end of the buffer.
struct ChartImage {
  int32_t words[kChartImageWords];
  size_t wordCount;  // whole words read from the file
};

class ChartCatalog {
 public:
  explicit ChartCatalog(std::filesystem::path programFolder);

  // The image, loading it on the first call that finds the file; nullptr while the file
  // cannot be opened. Once loaded it is never re-read.
  const ChartImage* Load();

 private:
  struct FreeImage {
    void operator()(ChartImage* image) const;
  };
  std::filesystem::path path_;
  std::unique_ptr<ChartImage, FreeImage> image_;
  bool loaded_ = false;
};

}  // namespace aismon
