#include "basechart/chart_catalog.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "basechart/chart_walk.h"
#include "tests/support/temp_files.h"

namespace aismon {
namespace {

namespace fs = std::filesystem;
using Words = std::vector<int32_t>;

const Words kCatalogHeaderWords = {0x0033745A, 10, 600000000, 1200000000, 200000000, 1600000000, 8, 10, 0, 0};
const Words kTileHeader = {0x0033745A, 10, 400000000, 1200000000, 200000000, 1400000000, 8, 10, 0, 0};

using testing::Bytes;
using testing::ReadBytes;
using testing::WriteBytes;

class TempFolder : public testing::TempFolder {
 public:
  TempFolder() : testing::TempFolder("aismon-chart-") {}
};

void WriteWords(const fs::path& p, const Words& w) { WriteBytes(p, w.data(), w.size() * sizeof(int32_t)); }

Words Scrambled(Words w) {
  for (int32_t& x : w) x = static_cast<int32_t>(static_cast<uint32_t>(x) ^ kCatalogMask);
  return w;
}

// The catalog file's words, unscrambled.
Words ReadCatalog(const fs::path& p) {
  const Bytes b = ReadBytes(p);
  EXPECT_EQ(b.size() % 4, 0u);
  Words w(b.size() / 4);
  std::memcpy(w.data(), b.data(), w.size() * 4);
  return Scrambled(w);
}

// A record of total length `length` whose body words are distinct, tagged by seed.
Words Record(char kind, int32_t length, int32_t seed) {
  Words w = {kind, length, seed, 1300000000, seed - 1000, 1310000000, 0, 10, (length - 10) / 2, 12345};
  for (int32_t i = 10; i < length; ++i) w.push_back(seed * 1000 + i);
  return w;
}

Words Concat(std::initializer_list<Words> parts) {
  Words w;
  for (const Words& p : parts) w.insert(w.end(), p.begin(), p.end());
  return w;
}

class ChartCatalogTest : public ::testing::Test {
 protected:
  ChartCatalogTest() : home_(dir_.path() / "home"), tiles_(dir_.path() / "!MapData" / "BaseChart(zt3)") {
    fs::create_directories(home_);
    fs::create_directories(tiles_);
  }
  void WriteTile(const char* name, const Words& body) { WriteWords(tiles_ / (std::string(name) + ".Zt3"), Concat({kTileHeader, body})); }
  fs::path Catalog() const { return home_ / "!Japan.Zt3"; }

  TempFolder dir_;
  fs::path home_;
  fs::path tiles_;
};

TEST_F(ChartCatalogTest, NoTilesGiveTheFortyFourByteCatalog) {
  BuildChartCatalog(home_);
  ASSERT_EQ(fs::file_size(Catalog()), 44u);
  EXPECT_EQ(ReadCatalog(Catalog()), Concat({kCatalogHeaderWords, {0}}));
  // Stored scrambled: the last word on disk is the mask itself.
  const Bytes raw = ReadBytes(Catalog());
  EXPECT_EQ(Bytes(raw.end() - 4, raw.end()), Bytes(4, 0x6B));
  EXPECT_FALSE(fs::exists(home_ / "!Japan.Zt3.tmp"));
}

TEST_F(ChartCatalogTest, OneTileOfOneRecordIsCopiedWordForWord) {
  struct Row {
    const char* name;
    const char* tile;
    int32_t length;
  };
  const Row rows[] = {
      {"header-only record", "N20E120", 10},
      {"one body word", "N20E140", 11},
      {"a few points", "N40E120", 24},
      {"a long record", "N40E140", 5000},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove_all(tiles_);
    fs::create_directories(tiles_);
    fs::remove(Catalog());
    const Words rec = Record('A', row.length, 7);
    WriteTile(row.tile, rec);

    BuildChartCatalog(home_);

    EXPECT_EQ(fs::file_size(Catalog()), 4u * (10 + row.length + 1));
    EXPECT_EQ(ReadCatalog(Catalog()), Concat({kCatalogHeaderWords, rec, {0}}));
  }
}

TEST_F(ChartCatalogTest, TilesAreMergedInTheirFixedOrder) {
  struct Row {
    const char* name;
    bool present[4];  // N20E120, N20E140, N40E120, N40E140
  };
  const Row rows[] = {
      {"all four", {true, true, true, true}},
      {"second missing", {true, false, true, true}},
      {"only the last", {false, false, false, true}},
  };
  const char* names[] = {"N20E120", "N20E140", "N40E120", "N40E140"};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove_all(tiles_);
    fs::create_directories(tiles_);
    fs::remove(Catalog());
    Words want = kCatalogHeaderWords;
    // Written last tile first, so that the order on disk cannot give the right answer.
    for (int t = 3; t >= 0; --t)
      if (row.present[t]) WriteTile(names[t], Concat({Record('L', 12, t * 10 + 1), Record('P', 14, t * 10 + 2)}));
    for (int t = 0; t < 4; ++t)
      if (row.present[t]) want = Concat({want, Record('L', 12, t * 10 + 1), Record('P', 14, t * 10 + 2)});
    want.push_back(0);

    BuildChartCatalog(home_);
    EXPECT_EQ(ReadCatalog(Catalog()), want);
  }
}

// The first tile holds a good record, then trouble; the last tile is good and must still
// be copied after it. The catalog always ends with one end marker.
TEST_F(ChartCatalogTest, TroubleInATileEndsThatTileOnly) {
  const Words good = Record('A', 16, 1);
  const Words other = Record('L', 12, 9);
  Words hugeHeader = Record('L', 10, 2);
  hugeHeader[1] = static_cast<int32_t>(10 + kChartBodyBufferWords + 1);
  struct Row {
    const char* name;
    Words tileBody;  // after the tile header
    Words wantCopied;
  };
  Words lengthNine = Record('L', 10, 3);
  lengthNine[1] = 9;
  Words lengthZero = lengthNine;
  lengthZero[1] = 0;
  Words lengthNegative = lengthNine;
  lengthNegative[1] = -10;
  Words lengthMin = lengthNine;
  lengthMin[1] = INT32_MIN;
  Words cutOff = Record('A', 30, 4);
  cutOff.resize(20);
  const Row rows[] = {
      {"nothing wrong", Concat({good, good}), Concat({good, good})},
      {"end marker at the end", Concat({good, {0}}), good},
      {"remainder shorter than a record header", Concat({good, {5, 6, 7, 8, 9, 10, 11, 12, 13}}), good},
      // What follows the marker would read as a whole record of length 12.
      {"end marker followed by more words", Concat({good, {0, 12, 1, 2, 3, 4, 0, 10, 1, 0, 7, 8}, good}), good},
      {"length 9", Concat({good, lengthNine, good}), good},
      {"length 0", Concat({good, lengthZero, good}), good},
      {"negative length", Concat({good, lengthNegative, good}), good},
      {"length INT32_MIN", Concat({good, lengthMin, good}), good},
      {"body larger than the body buffer", Concat({good, hugeHeader, Words(64, 1)}), good},
      {"body cut off by the end of the tile", Concat({good, cutOff}), good},
      {"tile header cut short", {}, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove(Catalog());
    if (std::string(row.name) == "tile header cut short")
      WriteWords(tiles_ / "N20E120.Zt3", Words(kTileHeader.begin(), kTileHeader.begin() + 7));
    else
      WriteTile("N20E120", row.tileBody);
    WriteTile("N40E140", other);

    BuildChartCatalog(home_);
    EXPECT_EQ(ReadCatalog(Catalog()), Concat({kCatalogHeaderWords, row.wantCopied, other, {0}}));
  }
}

TEST_F(ChartCatalogTest, ABodyFillingTheWholeBufferIsCopied) {
  const Words rec = Record('A', static_cast<int32_t>(10 + kChartBodyBufferWords), 3);
  WriteTile("N20E140", rec);
  BuildChartCatalog(home_);
  EXPECT_EQ(ReadCatalog(Catalog()), Concat({kCatalogHeaderWords, rec, {0}}));
}

TEST_F(ChartCatalogTest, AnExistingCatalogIsLeftByteForByte) {
  struct Row {
    const char* name;
    Bytes contents;
  };
  const Row rows[] = {
      {"odd bytes", {'n', 'o', 't', ' ', 'a', ' ', 'c', 'a', 't', 'a', 'l', 'o', 'g'}},
      {"empty file", {}},
  };
  WriteTile("N20E120", Record('A', 20, 1));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WriteBytes(Catalog(), row.contents.data(), row.contents.size());
    const auto stamp = fs::last_write_time(Catalog());
    BuildChartCatalog(home_);
    EXPECT_EQ(ReadBytes(Catalog()), row.contents);
    EXPECT_EQ(fs::last_write_time(Catalog()), stamp);
  }
}

TEST_F(ChartCatalogTest, AFailedBuildLeavesNoCatalogAndTheNextStartBuildsIt) {
  struct Row {
    const char* name;
    const char* device;  // the temporary name is made a link to it; nullptr: a folder
  };
  const Row rows[] = {{"temporary name taken by a folder", nullptr}, {"disk full while writing", "/dev/full"}};
  const fs::path temp = home_ / "!Japan.Zt3.tmp";
  WriteTile("N20E120", Record('A', 20, 1));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove(Catalog());
    if (row.device == nullptr) {
      fs::create_directories(temp / "x");
    } else {
      if (!fs::exists(row.device)) continue;
      fs::create_symlink(row.device, temp);
    }
    BuildChartCatalog(home_);
    EXPECT_FALSE(fs::exists(Catalog()));
    // A temporary file that could be opened is cleared away again.
    if (row.device != nullptr) {
      EXPECT_FALSE(fs::exists(fs::symlink_status(temp)));
    }

    fs::remove_all(temp);
    BuildChartCatalog(home_);
    EXPECT_EQ(ReadCatalog(Catalog()), Concat({kCatalogHeaderWords, Record('A', 20, 1), {0}}));
    EXPECT_FALSE(fs::exists(fs::symlink_status(temp)));
  }
}

TEST_F(ChartCatalogTest, LoadRetriesUntilTheFileExistsThenKeepsItsImage) {
  ChartCatalog catalog(home_);
  EXPECT_EQ(catalog.Load(), nullptr);
  EXPECT_EQ(catalog.Load(), nullptr);

  WriteTile("N20E120", Record('A', 20, 1));
  BuildChartCatalog(home_);
  const ChartImage* image = catalog.Load();
  ASSERT_NE(image, nullptr);
  const Words want = Concat({kCatalogHeaderWords, Record('A', 20, 1), {0}});
  ASSERT_EQ(image->wordCount, want.size());
  EXPECT_EQ(Words(image->words, image->words + image->wordCount), want);

  // Changing or deleting the file afterwards does not reach the loaded image.
  WriteWords(Catalog(), Scrambled(Concat({kCatalogHeaderWords, {0}})));
  EXPECT_EQ(catalog.Load(), image);
  fs::remove(Catalog());
  EXPECT_EQ(catalog.Load(), image);
  EXPECT_EQ(image->wordCount, want.size());
  EXPECT_EQ(Words(image->words, image->words + image->wordCount), want);
}

TEST_F(ChartCatalogTest, PlainMagicInAnyCaseIsLoadedAsItIs) {
  struct Row {
    const char* name;
    char magic[4];
    bool plain;
  };
  const Row rows[] = {
      {"Zt3", {'Z', 't', '3', 0}, true},  {"zt3", {'z', 't', '3', 0}, true},  {"ZT3", {'Z', 'T', '3', 0}, true},
      {"zT3", {'z', 'T', '3', 0}, true},  {"Zt3 without its NUL", {'Z', 't', '3', 'x'}, false},
      {"Zt4", {'Z', 't', '4', 0}, false}, {"Zt", {'Z', 't', 0, 0}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Words file = Concat({kCatalogHeaderWords, Record('L', 12, 3), {0}});
    std::memcpy(&file[0], row.magic, 4);
    WriteWords(Catalog(), file);

    ChartCatalog catalog(home_);
    const ChartImage* image = catalog.Load();
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->wordCount, file.size());
    const Words want = row.plain ? file : Scrambled(file);
    EXPECT_EQ(Words(image->words, image->words + image->wordCount), want);
  }
}

TEST_F(ChartCatalogTest, OnlyTheWholeWordsReadAreUnscrambled) {
  struct Row {
    const char* name;
    size_t extraBytes;  // a partial word after the last whole one
  };
  const Row rows[] = {{"whole words", 0}, {"one stray byte", 1}, {"three stray bytes", 3}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Words plain = Concat({kCatalogHeaderWords, Record('L', 12, 3), {0}});
    const Words scrambled = Scrambled(plain);
    Bytes file(scrambled.size() * 4);
    std::memcpy(file.data(), scrambled.data(), file.size());
    file.insert(file.end(), row.extraBytes, 0x6B);
    WriteBytes(Catalog(), file.data(), file.size());

    ChartCatalog catalog(home_);
    const ChartImage* image = catalog.Load();
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->wordCount, plain.size());
    EXPECT_EQ(Words(image->words, image->words + plain.size()), plain);
    size_t nonZero = 0;
    for (size_t i = plain.size(); i < kChartImageWords; ++i) nonZero += image->words[i] != 0;
    EXPECT_EQ(nonZero, 0u) << "the buffer past the words read must stay zero";
  }
}

TEST_F(ChartCatalogTest, ACatalogLongerThanTheImageLoadsItsFirstFourMebibytes) {
  // Records of 1000 words from word 10 on; the image ends inside one of them.
  Words plain = kCatalogHeaderWords;
  while (plain.size() < kChartImageWords + 5000) {
    const Words r = Record('L', 1000, static_cast<int32_t>(plain.size() / 1000 + 1));
    plain.insert(plain.end(), r.begin(), r.end());
  }
  plain.push_back(0);
  WriteWords(Catalog(), Scrambled(plain));

  ChartCatalog catalog(home_);
  const ChartImage* image = catalog.Load();
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(image->wordCount, kChartImageWords);
  EXPECT_TRUE(std::equal(image->words, image->words + kChartImageWords, plain.begin()));

  ChartWalk walk(image->words, image->wordCount);
  ChartRecord r;
  size_t records = 0;
  while (walk.Next(r)) ++records;
  EXPECT_EQ(records, (kChartImageWords - 10) / 1000);
  EXPECT_EQ(walk.End(), ChartWalkEnd::kBadRecord);  // the cut-off last record
  EXPECT_EQ(walk.Position(), 10 + records * 1000);
}

TEST_F(ChartCatalogTest, ABuiltCatalogWalksBackToTheTileRecords) {
  // A record with text and points, as the tiles carry them.
  Words withText = {'P', 0, 350000000, 1350000000, 350000000, 1350000000, 10, 12, 1, 0};
  withText.push_back(0x203E593C);  // "<Y> "
  withText.push_back(0x00003231);  // "12"
  withText.push_back(350000000);
  withText.push_back(1350000000);
  withText[1] = static_cast<int32_t>(withText.size());
  WriteTile("N20E140", Concat({Record('A', 16, 2), withText, {0}}));
  WriteTile("N40E120", Record('L', 20, 3));
  BuildChartCatalog(home_);

  ChartCatalog catalog(home_);
  const ChartImage* image = catalog.Load();
  ASSERT_NE(image, nullptr);
  ChartWalk walk(image->words, image->wordCount);
  std::vector<ChartRecord> got;
  ChartRecord r;
  while (walk.Next(r)) got.push_back(r);
  EXPECT_EQ(walk.End(), ChartWalkEnd::kEndMarker);
  EXPECT_EQ(walk.Position(), image->wordCount - 1);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].kind, 'A');
  EXPECT_EQ(got[0].pointCount, 3);
  EXPECT_EQ(got[1].kind, 'P');
  EXPECT_EQ(std::string(got[1].text), "<Y> 12");
  EXPECT_EQ(PointValue(got[1].text), 12);
  EXPECT_EQ((TagColor{255, 255, 0}), ColorOfTag(got[1].text));
  ASSERT_EQ(got[1].pointCount, 1);
  EXPECT_EQ(got[1].points[0], 350000000);
  EXPECT_EQ(got[1].points[1], 1350000000);
  EXPECT_EQ(got[2].kind, 'L');
  EXPECT_EQ(got[2].length, 20);
}

}  // namespace
}  // namespace aismon
