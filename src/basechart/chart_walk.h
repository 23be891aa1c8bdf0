#pragma once
// A bounds-checked walk over a Zt3 chart image (header, records, end marker), as the
// coastline layer does on every frame. Whatever the words hold, nothing outside
// words[0, wordCount) is read, and the walk allocates nothing.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace aismon {

inline constexpr size_t kChartHeaderWords = 10;
inline constexpr size_t kChartRecordHeaderWords = 10;

// Record kinds (lowest byte of a record's word 0).
inline constexpr uint8_t kKindArea = 'A';
inline constexpr uint8_t kKindW = 'W';  // further filled area
inline constexpr uint8_t kKindS = 'S';  // further filled area
inline constexpr uint8_t kKindLine = 'L';
inline constexpr uint8_t kKindPoint = 'P';

// North, west, south, east in 1e-7 degree.
struct ChartBox {
  int32_t north = 0;
  int32_t west = 0;
  int32_t south = 0;
  int32_t east = 0;
};

struct ChartRecord {
  size_t index = 0;  // word index of the record in the image
  uint8_t kind = 0;
  int32_t length = 0;  // words, header included
  ChartBox box;
  // Attribute text: the bytes before its NUL (the NUL lies inside the record, so
  // text.data() is a C string). hasText is false when word 6 is 0.
  bool hasText = false;
  std::string_view text;
  // pointCount points, each two words: latitude, then longitude, in 1e-7 degree.
  const int32_t* points = nullptr;
  int32_t pointCount = 0;
};

enum class ChartWalkEnd {
  kWalking,    // not ended yet
  kEndMarker,  // a word 0 where a record begins
  kImageEnd,   // the last record ended exactly at the end of the words
  kBadHeader,  // image too short for its header, or header word 7 unusable
  kBadRecord,  // a record that cannot be trusted; it is not yielded
};

class ChartWalk {
 public:
  ChartWalk(const int32_t* words, size_t wordCount);

  // Header words 2..5; meaningful only when the header was usable.
  bool HeaderValid() const { return end_ != ChartWalkEnd::kBadHeader; }
  const ChartBox& Bounds() const { return bounds_; }

  // Yields the next record; false once the walk has ended (End() says why).
  bool Next(ChartRecord& record);
  ChartWalkEnd End() const { return end_; }
  // Word index where the walk stands (the end marker, bad record, or image end).
  size_t Position() const { return pos_; }

 private:
  const int32_t* words_;
  size_t count_;
  size_t pos_ = 0;
  ChartBox bounds_;
  ChartWalkEnd end_ = ChartWalkEnd::kWalking;
};

struct TagColor {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  friend bool operator==(const TagColor&, const TagColor&) = default;
};

// Colour of an attribute text's tag, its first three bytes ("<W>", "<R>", "<G>", "<B>",
// "<Y>", "<M>", "<A>"); black for anything else, shorter texts included.
TagColor ColorOfTag(std::string_view text);

// The record's pointValue: the decimal integer read from the fifth byte on (leading
// blanks, optional sign, digits up to the first other byte); 0 for texts shorter than
// 5 bytes or without digits. Saturates at the int32 limits instead of overflowing.
int32_t PointValue(std::string_view text);

}  // namespace aismon
