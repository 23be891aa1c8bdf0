#include "basechart/chart_walk.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace aismon {
namespace {

using Words = std::vector<int32_t>;

constexpr int32_t kMagic = 0x0033745A;  // "Zt3" and a NUL

struct RecordSpec {
  char kind;
  ChartBox box;
  bool hasText;
  std::string text;
  Words points;  // latitude, longitude pairs
};

// A record laid out as the chart files do: header, text padded to a word, points.
Words MakeRecord(const RecordSpec& spec) {
  Words w(10, 0);
  w[0] = static_cast<unsigned char>(spec.kind);
  w[2] = spec.box.north;
  w[3] = spec.box.west;
  w[4] = spec.box.south;
  w[5] = spec.box.east;
  if (spec.hasText) {
    w[6] = 10;
    const size_t textWords = spec.text.size() / 4 + 1;  // room for the NUL
    Words text(textWords, 0);
    std::memcpy(text.data(), spec.text.data(), spec.text.size());
    w.insert(w.end(), text.begin(), text.end());
  }
  w[7] = static_cast<int32_t>(w.size());
  w[8] = static_cast<int32_t>(spec.points.size() / 2);
  w.insert(w.end(), spec.points.begin(), spec.points.end());
  w[1] = static_cast<int32_t>(w.size());
  return w;
}

Words MakeImage(const std::vector<Words>& records, bool endMarker = true) {
  Words w = {kMagic, 10, 600000000, 1200000000, 200000000, 1600000000, 8, 10, 0, 0};
  for (const Words& r : records) w.insert(w.end(), r.begin(), r.end());
  if (endMarker) w.push_back(0);
  return w;
}

const RecordSpec kArea = {'A', {350000000, 1350000000, 340000000, 1360000000}, true, "<R> 12", {345000000, 1355000000, 346000000, 1356000000, 347000000, 1354000000}};
const RecordSpec kLine = {'L', {360000000, 1370000000, 355000000, 1380000000}, false, "", {358000000, 1372000000, 357000000, 1375000000}};
const RecordSpec kOddKind = {'Q', {10, 20, 5, 30}, true, "<G>", {1, 2}};
const RecordSpec kPoint = {'P', {330000000, 1300000000, 330000000, 1300000000}, true, "<Y> 9", {330000000, 1300000000}};

struct Walked {
  std::vector<ChartRecord> records;
  ChartWalkEnd end;
  size_t position;
};

Walked WalkAll(const Words& image) {
  Walked out;
  ChartWalk walk(image.data(), image.size());
  ChartRecord r;
  while (walk.Next(r)) {
    out.records.push_back(r);
    // Everything a drawing pass would touch.
    volatile uint32_t sink = 0;
    for (char c : r.text) sink = sink + static_cast<uint8_t>(c);
    if (r.hasText) sink = sink + static_cast<uint8_t>(r.text.data()[r.text.size()]);  // its NUL
    for (int32_t i = 0; i < 2 * r.pointCount; ++i) sink = sink + static_cast<uint32_t>(r.points[i]);
    (void)sink;
  }
  EXPECT_FALSE(walk.Next(r)) << "a finished walk stays finished";
  out.end = walk.End();
  out.position = walk.Position();
  return out;
}

TEST(ChartWalkTest, YieldsEveryRecordWithItsFields) {
  const Words image = MakeImage({MakeRecord(kArea), MakeRecord(kLine), MakeRecord(kOddKind), MakeRecord(kPoint)});
  ChartWalk walk(image.data(), image.size());
  ASSERT_TRUE(walk.HeaderValid());
  EXPECT_EQ(walk.Bounds().north, 600000000);
  EXPECT_EQ(walk.Bounds().west, 1200000000);
  EXPECT_EQ(walk.Bounds().south, 200000000);
  EXPECT_EQ(walk.Bounds().east, 1600000000);

  const Walked w = WalkAll(image);
  ASSERT_EQ(w.records.size(), 4u);
  EXPECT_EQ(w.end, ChartWalkEnd::kEndMarker);
  EXPECT_EQ(w.position, image.size() - 1);

  const RecordSpec* specs[] = {&kArea, &kLine, &kOddKind, &kPoint};
  size_t index = 10;
  for (size_t k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    const ChartRecord& r = w.records[k];
    const RecordSpec& spec = *specs[k];
    EXPECT_EQ(r.index, index);
    EXPECT_EQ(r.kind, static_cast<uint8_t>(spec.kind));
    EXPECT_EQ(r.length, static_cast<int32_t>(MakeRecord(spec).size()));
    EXPECT_EQ(r.box.north, spec.box.north);
    EXPECT_EQ(r.box.west, spec.box.west);
    EXPECT_EQ(r.box.south, spec.box.south);
    EXPECT_EQ(r.box.east, spec.box.east);
    EXPECT_EQ(r.hasText, spec.hasText);
    EXPECT_EQ(std::string(r.text), spec.text);
    ASSERT_EQ(r.pointCount, static_cast<int32_t>(spec.points.size() / 2));
    EXPECT_EQ(Words(r.points, r.points + 2 * r.pointCount), spec.points);
    index += static_cast<size_t>(r.length);
  }
}

TEST(ChartWalkTest, KindIsTheLowestByteOfTheFirstWord) {
  Words rec = MakeRecord(kLine);
  rec[0] = 0x7A7A7A00 | 'L';
  const Walked w = WalkAll(MakeImage({rec}));
  ASSERT_EQ(w.records.size(), 1u);
  EXPECT_EQ(w.records[0].kind, 'L');
}

TEST(ChartWalkTest, EmptyTextIsStillAText) {
  const Walked w = WalkAll(MakeImage({MakeRecord({'L', {}, true, "", {1, 2}})}));
  ASSERT_EQ(w.records.size(), 1u);
  EXPECT_TRUE(w.records[0].hasText);
  EXPECT_TRUE(w.records[0].text.empty());
}

// Each row damages a good image (three records) and says where the walk must stop.
TEST(ChartWalkTest, StopsWhereTheImageCannotBeTrusted) {
  const Words good = MakeImage({MakeRecord(kArea), MakeRecord(kPoint), MakeRecord(kLine)});
  const size_t r2 = 10 + MakeRecord(kArea).size();  // the second record
  const int32_t len2 = static_cast<int32_t>(MakeRecord(kPoint).size());
  struct Row {
    const char* name;
    std::function<void(Words&)> damage;
    ChartWalkEnd wantEnd;
    size_t wantRecords;
  };
  const Row rows[] = {
      {"undamaged", [](Words&) {}, ChartWalkEnd::kEndMarker, 3},
      {"no end marker: ends at the image end", [](Words& w) { w.pop_back(); }, ChartWalkEnd::kImageEnd, 3},
      {"empty image", [](Words& w) { w.clear(); }, ChartWalkEnd::kBadHeader, 0},
      {"image shorter than its header", [](Words& w) { w.resize(9); }, ChartWalkEnd::kBadHeader, 0},
      {"first record index inside the header", [](Words& w) { w[7] = 9; }, ChartWalkEnd::kBadHeader, 0},
      {"first record index negative", [](Words& w) { w[7] = -1; }, ChartWalkEnd::kBadHeader, 0},
      {"first record index past the image", [](Words& w) { w[7] = static_cast<int32_t>(w.size() + 1); }, ChartWalkEnd::kBadHeader, 0},
      {"first record index at the image end", [](Words& w) { w[7] = static_cast<int32_t>(w.size()); }, ChartWalkEnd::kImageEnd, 0},
      {"length 9", [&](Words& w) { w[r2 + 1] = 9; }, ChartWalkEnd::kBadRecord, 1},
      {"length 0", [&](Words& w) { w[r2 + 1] = 0; }, ChartWalkEnd::kBadRecord, 1},
      {"length negative", [&](Words& w) { w[r2 + 1] = -20; }, ChartWalkEnd::kBadRecord, 1},
      {"length INT32_MIN", [&](Words& w) { w[r2 + 1] = INT32_MIN; }, ChartWalkEnd::kBadRecord, 1},
      {"length one past the image", [&](Words& w) { w[r2 + 1] = static_cast<int32_t>(w.size() - r2 + 1); }, ChartWalkEnd::kBadRecord, 1},
      {"length INT32_MAX", [&](Words& w) { w[r2 + 1] = INT32_MAX; }, ChartWalkEnd::kBadRecord, 1},
      {"length reaching exactly the image end", [&](Words& w) { w[r2 + 1] = static_cast<int32_t>(w.size() - r2); }, ChartWalkEnd::kImageEnd, 2},
      {"record header cut off by the image end", [&](Words& w) { w.resize(r2 + 9); }, ChartWalkEnd::kBadRecord, 1},
      {"image ends one word into a record", [&](Words& w) { w.resize(r2 + 1); }, ChartWalkEnd::kBadRecord, 1},
      {"image ends two words into a record", [&](Words& w) { w.resize(r2 + 2); }, ChartWalkEnd::kBadRecord, 1},
      {"record body cut off by the image end", [&](Words& w) { w.resize(r2 + len2 - 1); }, ChartWalkEnd::kBadRecord, 1},
      {"text index negative", [&](Words& w) { w[r2 + 6] = -1; }, ChartWalkEnd::kBadRecord, 1},
      {"text index INT32_MIN", [&](Words& w) { w[r2 + 6] = INT32_MIN; }, ChartWalkEnd::kBadRecord, 1},
      {"text index equal to the length", [&](Words& w) { w[r2 + 6] = len2; }, ChartWalkEnd::kBadRecord, 1},
      {"text index INT32_MAX", [&](Words& w) { w[r2 + 6] = INT32_MAX; }, ChartWalkEnd::kBadRecord, 1},
      {"text without a NUL inside its record",
       [&](Words& w) {
         // Text from word 10 to the record's end, every byte non-zero; no points.
         w[r2 + 8] = 0;
         for (int32_t i = 10; i < len2; ++i) w[r2 + i] = 0x41414141;
       },
       ChartWalkEnd::kBadRecord, 1},
      {"text NUL in the record's last byte",
       [&](Words& w) {
         w[r2 + 8] = 0;
         for (int32_t i = 10; i < len2; ++i) w[r2 + i] = 0x41414141;
         w[r2 + len2 - 1] = 0x00414141;
       },
       ChartWalkEnd::kEndMarker, 3},
      {"points index negative", [&](Words& w) { w[r2 + 7] = -2; }, ChartWalkEnd::kBadRecord, 1},
      {"points index past the record with no points", [&](Words& w) { w[r2 + 7] = len2 + 1, w[r2 + 8] = 0; }, ChartWalkEnd::kBadRecord, 1},
      {"points index at the record end with no points", [&](Words& w) { w[r2 + 7] = len2, w[r2 + 8] = 0; }, ChartWalkEnd::kEndMarker, 3},
      {"points one pair past the record", [&](Words& w) { w[r2 + 8] += 1; }, ChartWalkEnd::kBadRecord, 1},
      {"points one word past the record", [&](Words& w) { w[r2 + 7] += 1; }, ChartWalkEnd::kBadRecord, 1},
      {"point count negative", [&](Words& w) { w[r2 + 8] = -1; }, ChartWalkEnd::kBadRecord, 1},
      {"point count doubling past 2^31", [&](Words& w) { w[r2 + 8] = 0x40000000; }, ChartWalkEnd::kBadRecord, 1},
      {"point count INT32_MAX", [&](Words& w) { w[r2 + 8] = INT32_MAX; }, ChartWalkEnd::kBadRecord, 1},
      {"points index INT32_MAX", [&](Words& w) { w[r2 + 7] = INT32_MAX; }, ChartWalkEnd::kBadRecord, 1},
      {"end marker in place of the second record", [&](Words& w) { w[r2] = 0; }, ChartWalkEnd::kEndMarker, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Words image = good;
    row.damage(image);
    image.shrink_to_fit();  // an exactly sized buffer, so sanitizers see any read past it
    const Walked w = WalkAll(image);
    EXPECT_EQ(w.end, row.wantEnd);
    EXPECT_EQ(w.records.size(), row.wantRecords);
    if (row.wantEnd == ChartWalkEnd::kBadRecord) {
      EXPECT_EQ(w.position, r2);
    }
  }
}

TEST(ChartWalkTest, NullImageIsABadHeader) {
  ChartWalk walk(nullptr, 100);
  ChartRecord r;
  EXPECT_FALSE(walk.Next(r));
  EXPECT_EQ(walk.End(), ChartWalkEnd::kBadHeader);
}

TEST(ChartWalkTest, ColourTags) {
  struct Row {
    std::string_view text;
    TagColor want;
  };
  const Row rows[] = {
      {"<W>", {255, 255, 255}},  {"<R> 5", {255, 0, 0}}, {"<G>", {0, 255, 0}},      {"<B>", {0, 0, 255}},
      {"<Y>", {255, 255, 0}},    {"<M>", {255, 0, 255}}, {"<A>x", {0, 255, 255}},   {"<w>", {0, 0, 0}},
      {"<X>", {0, 0, 0}},        {"", {0, 0, 0}},        {"<W", {0, 0, 0}},         {"[W]", {0, 0, 0}},
      {"<WW", {0, 0, 0}},        {" <W>", {0, 0, 0}},    {std::string_view("<W>", 2), {0, 0, 0}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.text) + " (" + std::to_string(row.text.size()) + " bytes)");
    EXPECT_EQ(ColorOfTag(row.text), row.want);
  }
}

TEST(ChartWalkTest, PointValues) {
  struct Row {
    const char* name;
    std::string text;
    int32_t want;
  };
  const Row rows[] = {
      {"nine", "<P> 9", 9},
      {"ten", "<P> 10", 10},
      {"four bytes only", "<P> ", 0},
      {"three bytes only", "<P>", 0},
      {"no digits", "<P> abc", 0},
      {"leading blanks", "<P>   42", 42},
      {"leading tab", "<P>\t7", 7},
      {"negative", "<P> -12", -12},
      {"plus sign", "<P> +8", 8},
      {"stops at the first other byte", "<P> 12x34", 12},
      {"sign then blank gives nothing", "<P> - 5", 0},
      {"separator byte not examined", "<P>95", 5},
      {"digit in the separator not read", "<P>1", 0},
      {"largest int32", "<P> 2147483647", INT32_MAX},
      {"one past the largest saturates", "<P> 2147483648", INT32_MAX},
      {"very long number saturates", "<P> 99999999999999999999999", INT32_MAX},
      {"smallest int32", "<P> -2147483648", INT32_MIN},
      {"very negative saturates", "<P> -99999999999999999999999", INT32_MIN},
      {"leading zeros", "<P> 0000000000000000000000003", 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(PointValue(row.text), row.want);
  }
}

}  // namespace
}  // namespace aismon
