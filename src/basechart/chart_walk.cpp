#include "basechart/chart_walk.h"

#include <cstring>
#include <limits>

namespace aismon {

namespace {

// Word positions inside a record.
constexpr size_t kWordLength = 1;
constexpr size_t kWordNorth = 2;
constexpr size_t kWordTextIndex = 6;
constexpr size_t kWordPointIndex = 7;
constexpr size_t kWordPointCount = 8;
// Header word naming the first record.
constexpr size_t kWordFirstRecord = 7;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

ChartWalk::ChartWalk(const int32_t* words, size_t wordCount)
    : words_(words), count_(words == nullptr ? 0 : wordCount) {
  if (count_ < kChartHeaderWords) {
    end_ = ChartWalkEnd::kBadHeader;
    return;
  }
  bounds_ = ChartBox{words_[2], words_[3], words_[4], words_[5]};
  // Records start after the header; an index inside it or past the image is corrupt.
  const int64_t first = words_[kWordFirstRecord];
  if (first < static_cast<int64_t>(kChartHeaderWords) || static_cast<uint64_t>(first) > count_) {
    end_ = ChartWalkEnd::kBadHeader;
    return;
  }
  pos_ = static_cast<size_t>(first);
}

bool ChartWalk::Next(ChartRecord& record) {
  if (end_ != ChartWalkEnd::kWalking) return false;
  if (pos_ >= count_) {
    end_ = ChartWalkEnd::kImageEnd;
    return false;
  }
  const int32_t* w = words_ + pos_;
  const size_t room = count_ - pos_;  // words from here to the end of the image
  if (w[0] == 0) {
    end_ = ChartWalkEnd::kEndMarker;
    return false;
  }
  end_ = ChartWalkEnd::kBadRecord;  // until every check below has passed
  if (room < kChartRecordHeaderWords) return false;

  // All index arithmetic in 64 bits: every operand is a 32-bit word or a count below 2^62.
  const int64_t length = w[kWordLength];
  if (length < static_cast<int64_t>(kChartRecordHeaderWords) || static_cast<uint64_t>(length) > room) return false;

  const int64_t textIndex = w[kWordTextIndex];
  bool hasText = false;
  std::string_view text;
  if (textIndex != 0) {
    if (textIndex < 0 || textIndex >= length) return false;
    const char* start = reinterpret_cast<const char*>(w + textIndex);
    const size_t bytes = static_cast<size_t>(length - textIndex) * sizeof(int32_t);
    const void* nul = std::memchr(start, 0, bytes);
    if (nul == nullptr) return false;  // the text must end inside its record
    hasText = true;
    text = std::string_view(start, static_cast<size_t>(static_cast<const char*>(nul) - start));
  }

  const int64_t pointIndex = w[kWordPointIndex];
  const int64_t pointCount = w[kWordPointCount];
  if (pointCount < 0 || pointIndex < 0 || pointIndex > length) return false;
  if (pointCount > (length - pointIndex) / 2) return false;

  record.index = pos_;
  record.kind = static_cast<uint8_t>(static_cast<uint32_t>(w[0]) & 0xFFu);
  record.length = static_cast<int32_t>(length);
  record.box = ChartBox{w[kWordNorth], w[kWordNorth + 1], w[kWordNorth + 2], w[kWordNorth + 3]};
  record.hasText = hasText;
  record.text = text;
  record.points = w + pointIndex;
  record.pointCount = static_cast<int32_t>(pointCount);

  end_ = ChartWalkEnd::kWalking;
  pos_ += static_cast<size_t>(length);
  return true;
}

TagColor ColorOfTag(std::string_view text) {
  struct Tag {
    char letter;
    TagColor color;
  };
  static constexpr Tag kTags[] = {
      {'W', {255, 255, 255}}, {'R', {255, 0, 0}},   {'G', {0, 255, 0}},   {'B', {0, 0, 255}},
      {'Y', {255, 255, 0}},   {'M', {255, 0, 255}}, {'A', {0, 255, 255}},
  };
  if (text.size() < 3 || text[0] != '<' || text[2] != '>') return TagColor{};
  for (const Tag& tag : kTags)
    if (text[1] == tag.letter) return tag.color;
  return TagColor{};
}

int32_t PointValue(std::string_view text) {
  // The fourth byte separates the tag from the number and is not examined.
  size_t i = 4;
  if (text.size() <= i) return 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Accumulate the magnitude, capped just past the int32 range so it can never overflow.
  constexpr int64_t kCap = static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1;
  int64_t magnitude = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > kCap) magnitude = kCap;
  }
  const int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(value);  // -kCap is exactly INT32_MIN
}

}  // namespace aismon
