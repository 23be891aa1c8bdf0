#include "basechart/coast_bins.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <tuple>
#include <vector>

#include "basechart/chart_catalog.h"
#include "basechart/chart_file_writer.h"
#include "basechart/chart_walk.h"
#include "support/temp_files.h"

namespace aismon {
namespace {

constexpr int32_t kDeg = 10000000;

// A point given in degrees.
GeoPoint P(double lat, double lon) {
  return {static_cast<int32_t>(lat * kDeg + (lat >= 0 ? 0.5 : -0.5)),
          static_cast<int32_t>(lon * kDeg + (lon >= 0 ? 0.5 : -0.5))};
}

// A 2-degree bin with its south-west corner at (south, west) degrees.
CoastBin Bin(int south, int west, std::vector<ShorePiece> pieces, bool borderOnLand = false) {
  CoastBin b;
  b.south = south * kDeg;
  b.west = west * kDeg;
  b.north = (south + 2) * kDeg;
  b.east = (west + 2) * kDeg;
  b.borderOnLand = borderOnLand;
  b.pieces = std::move(pieces);
  return b;
}

// Twice the signed area in square degrees; positive when counter-clockwise.
double SignedArea2(const GeoRing& r) {
  double a = 0;
  for (size_t i = 0; i < r.size(); ++i) {
    const GeoPoint p = r[i], q = r[(i + 1) % r.size()];
    a += (p.lon * 1e-7) * (q.lat * 1e-7) - (q.lon * 1e-7) * (p.lat * 1e-7);
  }
  return a;
}

// Whether (lat, lon) lies in the area the rings of one kind cover (even-odd over all).
bool Covered(const std::vector<CoastRing>& rings, RingKind kind, double lat, double lon) {
  bool in = false;
  for (const CoastRing& r : rings)
    if (r.kind == kind && RingContains(r.points, lat, lon)) in = !in;
  return in;
}

struct Probe {
  double lat, lon;
  bool land;
};

struct JoinCase {
  const char* name;
  CoastBin bin;
  size_t rings;
  std::vector<GeoRing> expected;  // exact rings, when given
  std::vector<Probe> probes;
};

const JoinCase kJoins[] = {
    // The coast runs from the south edge to the west edge; land lies in the south-west corner.
    {"corner_of_land",
     Bin(34, 134, {{1, {P(34, 135), P(34.6, 134.7), P(35, 134)}}}),
     1,
     {{P(34, 135), P(34.6, 134.7), P(35, 134), P(34, 134)}},
     {{34.2, 134.2, true}, {35.8, 135.8, false}, {34.1, 135.5, false}}},
    // A strip of land right across the bin, coast running west along its north shore and
    // east along its south shore: two pieces, joined along the west and the east edge.
    {"strip_across_two_edges",
     Bin(34, 134,
         {{1, {P(35.5, 136), P(35.4, 135), P(35.5, 134)}}, {1, {P(34.5, 134), P(34.6, 135), P(34.5, 136)}}}),
     1,
     {{P(35.5, 136), P(35.4, 135), P(35.5, 134), P(34.5, 134), P(34.6, 135), P(34.5, 136)}},
     {{35.0, 135.0, true}, {35.8, 135.0, false}, {34.2, 135.0, false}}},
    // Two peninsulas reaching in from the west edge: each closes on its own.
    {"two_peninsulas",
     Bin(34, 134,
         {{1, {P(35.2, 134), P(35.2, 135), P(35.5, 135), P(35.5, 134)}},
          {1, {P(34.3, 134), P(34.3, 134.5), P(34.6, 134.5), P(34.6, 134)}}}),
     2,
     {{P(35.2, 134), P(35.2, 135), P(35.5, 135), P(35.5, 134)}, {P(34.3, 134), P(34.3, 134.5), P(34.6, 134.5), P(34.6, 134)}},
     {{35.3, 134.5, true}, {34.4, 134.2, true}, {34.9, 134.5, false}, {35.3, 135.5, false}}},
    // Land everywhere but a bay entering from the east edge: the join passes three corners.
    {"bay_from_the_east",
     Bin(34, 134, {{1, {P(34.8, 136), P(35, 135), P(35.2, 136)}}}),
     1,
     {{P(34.8, 136), P(35, 135), P(35.2, 136), P(36, 136), P(36, 134), P(34, 134), P(34, 136)}},
     {{35.0, 135.8, false}, {35.0, 134.5, true}, {35.9, 135.9, true}, {34.1, 135.9, true}}},
    // A coast from corner to corner: no corner is repeated.
    {"corner_to_corner",
     Bin(34, 134, {{1, {P(34, 134), P(36, 136)}}}),
     1,
     {{P(34, 134), P(36, 136), P(36, 134)}},
     {{35.5, 134.5, true}, {34.5, 135.5, false}}},
    // An island inside the bin, the coast closed on itself.
    {"island",
     Bin(34, 134, {{1, {P(35, 135), P(35, 135.3), P(35.3, 135.3), P(35.3, 135), P(35, 135)}}}),
     1,
     {{P(35, 135), P(35, 135.3), P(35.3, 135.3), P(35.3, 135)}},
     {{35.1, 135.1, true}, {34.5, 134.5, false}}},
    // Land no coast crosses, and open sea.
    {"all_land", Bin(40, 120, {}, true), 1, {{P(40, 120), P(40, 122), P(42, 122), P(42, 120)}}, {{41, 121, true}}},
    {"all_sea", Bin(30, 150, {}, false), 0, {}, {{31, 151, false}}},
};

class JoinTest : public ::testing::TestWithParam<JoinCase> {};

TEST_P(JoinTest, RingsCoverTheLand) {
  const JoinCase& c = GetParam();
  const std::vector<CoastRing> rings = JoinBinPieces(c.bin, 7);
  ASSERT_EQ(rings.size(), c.rings);
  for (size_t i = 0; i < c.expected.size(); ++i) {
    EXPECT_EQ(rings[i].points, c.expected[i]) << "ring " << i;
    EXPECT_EQ(rings[i].kind, RingKind::kLand);
    EXPECT_EQ(rings[i].bin, 7);
  }
  for (const CoastRing& r : rings) EXPECT_GT(SignedArea2(r.points), 0) << "land rings run counter-clockwise";
  for (const Probe& p : c.probes)
    EXPECT_EQ(Covered(rings, RingKind::kLand, p.lat, p.lon), p.land) << p.lat << "," << p.lon;
}

INSTANTIATE_TEST_SUITE_P(Cases, JoinTest, ::testing::ValuesIn(kJoins),
                         [](const auto& info) { return std::string(info.param.name); });

// A coast as the shoreline data has it, in short steps: every edge the join adds along the
// border is a seam, which the coastline outline leaves out, and no edge of the coast is.
TEST(JoinTest, BorderEdgesAreSeamsAndCoastEdgesAreNot) {
  ShorePiece coast{1, {}};
  for (int i = 0; i <= 200; ++i) {  // from (34, 135.5) on the south edge to (35.3, 134) on the west edge
    const double t = i / 200.0;
    coast.points.push_back(P(34 + 1.3 * t + (i % 2 ? 0.001 : 0) * (i < 200), 135.5 - 1.5 * t));
  }
  ShorePiece cape{1, {}};  // a cape reaching in from the north edge
  for (int i = 0; i <= 100; ++i) {
    const double t = i / 100.0;
    cape.points.push_back(P(36 - 0.5 * std::sin(t * std::numbers::pi), 135.2 + 0.4 * t));
  }
  const std::vector<CoastRing> rings = JoinBinPieces(Bin(34, 134, {coast, cape}), 0);
  ASSERT_EQ(rings.size(), 2u);
  int borderEdges = 0;
  for (const CoastRing& r : rings) {
    for (size_t i = 0; i < r.points.size(); ++i) {
      const GeoPoint a = r.points[i], b = r.points[(i + 1) % r.points.size()];
      const bool alongBorder = (a.lat == b.lat && (a.lat == 34 * kDeg || a.lat == 36 * kDeg)) ||
                               (a.lon == b.lon && (a.lon == 134 * kDeg || a.lon == 136 * kDeg));
      EXPECT_EQ(IsSeam(a, b), alongBorder) << "edge " << i;
      borderEdges += alongBorder;
    }
  }
  // South-west land: west edge down, south edge east. The cape: along the north edge.
  EXPECT_EQ(borderEdges, 3);
}

TEST(JoinTest, LakeWithAnIslandInsideLand) {
  // A lake in a land bin (its shore runs with the lake on the right, as GSHHG has it)
  // and an island in the lake.
  const CoastBin bin =
      Bin(34, 134,
          {{2, {P(34.5, 134.5), P(35.5, 134.5), P(35.5, 135.5), P(34.5, 135.5), P(34.5, 134.5)}},
           {3, {P(34.9, 134.9), P(34.9, 135.1), P(35.1, 135.1), P(35.1, 134.9), P(34.9, 134.9)}}},
          true);
  const std::vector<CoastRing> rings = JoinBinPieces(bin, 1);
  ASSERT_EQ(rings.size(), 3u);
  EXPECT_EQ(rings[0].kind, RingKind::kLand);
  EXPECT_EQ(rings[1].kind, RingKind::kLake);
  EXPECT_EQ(rings[2].kind, RingKind::kLakeIsland);
  for (const CoastRing& r : rings) EXPECT_GT(SignedArea2(r.points), 0);
  EXPECT_TRUE(Covered(rings, RingKind::kLake, 34.7, 134.7));
  EXPECT_FALSE(Covered(rings, RingKind::kLake, 34.2, 134.2));
  EXPECT_TRUE(Covered(rings, RingKind::kLakeIsland, 35.0, 135.0));
  EXPECT_FALSE(Covered(rings, RingKind::kLakeIsland, 34.7, 134.7));
}

TEST(JoinTest, EndsWithinTheToleranceAreSnappedOntoTheBorder) {
  CoastBin bin = Bin(34, 134, {{1, {P(34, 135), P(34.6, 134.7), P(35, 134)}}});
  bin.pieces[0].points.front().lat += 2;  // 2e-7 degree inside
  bin.pieces[0].points.back().lon -= 1;   // 1e-7 degree outside
  const std::vector<CoastRing> rings = JoinBinPieces(bin, 0);
  ASSERT_EQ(rings.size(), 1u);
  EXPECT_EQ(rings[0].points.front(), P(34, 135));
  EXPECT_EQ(rings[0].points[2], P(35, 134));
}

TEST(JoinTest, AnOpenPieceEndingInsideTheBinIsRefused) {
  const CoastBin bin = Bin(34, 134, {{1, {P(34, 135), P(34.6, 134.7), P(35, 134.01)}}});
  EXPECT_THROW(JoinBinPieces(bin, 0), std::invalid_argument);
}

// ---------------------------------------------------------------------------------------
// Splicing rings of neighbouring bins.

// A piece of land crossing the border between the bins at longitude 136, from latitude
// 35 to 35 + width degrees.
std::vector<CoastRing> NeckAcrossTheBorder(double width, int level = 1) {
  const double n = 35 + width;
  ShorePiece west{level, {P(n, 136), P(n, 135.5), P(35, 135.5), P(35, 136)}};
  ShorePiece east{level, {P(35, 136), P(35, 136.5), P(n, 136.5), P(n, 136)}};
  if (level == 2) {  // lake shores run the other way round
    std::reverse(west.points.begin(), west.points.end());
    std::reverse(east.points.begin(), east.points.end());
  }
  std::vector<CoastRing> rings = JoinBinPieces(Bin(34, 134, {west}, level != 1), 1);
  std::vector<CoastRing> more = JoinBinPieces(Bin(34, 136, {east}, level != 1), 2);
  // Keep only the rings of the level under test (a land bin around a lake adds its square).
  rings.insert(rings.end(), more.begin(), more.end());
  std::erase_if(rings, [level](const CoastRing& r) { return (level == 1) != (r.kind == RingKind::kLand); });
  return rings;
}

// Border edges that the coastline outline would draw.
int ShortBorderEdges(const std::vector<CoastRing>& rings) {
  int count = 0;
  for (const CoastRing& r : rings)
    for (size_t i = 0; i < r.points.size(); ++i) {
      const GeoPoint a = r.points[i], b = r.points[(i + 1) % r.points.size()];
      if (a.lon == b.lon && a.lon == 136 * kDeg && !IsSeam(a, b)) ++count;
    }
  return count;
}

struct SpliceCase {
  const char* name;
  double width;
  int level;
  int splices;
};

const SpliceCase kSplices[] = {
    {"narrow_neck_is_spliced", 0.01, 1, 1},
    {"neck_just_under_the_seam_length", 0.0179985, 1, 1},
    {"neck_just_over_the_seam_length", 0.0179986, 1, 0},
    {"wide_land_keeps_its_seam", 0.3, 1, 0},
    {"a_lake_is_made_whole", 0.3, 2, 1},
};

class SpliceTest : public ::testing::TestWithParam<SpliceCase> {};

TEST_P(SpliceTest, BorderEdgeBetweenBins) {
  const SpliceCase& c = GetParam();
  std::vector<CoastRing> rings = NeckAcrossTheBorder(c.width, c.level);
  ASSERT_EQ(rings.size(), 2u);
  const RingKind kind = rings[0].kind;
  EXPECT_EQ(SpliceShortBorderEdges(rings), c.splices);
  ASSERT_EQ(rings.size(), 2u - c.splices);
  if (c.level == 1) {
    EXPECT_EQ(ShortBorderEdges(rings), 0);
  }
  // The same area, whichever way it is cut.
  const double mid = 35 + c.width / 2;
  EXPECT_TRUE(Covered(rings, kind, mid, 135.7));
  EXPECT_TRUE(Covered(rings, kind, mid, 136.3));
  EXPECT_FALSE(Covered(rings, kind, 35 + c.width * 2, 136.0));
  for (const CoastRing& r : rings) EXPECT_GT(SignedArea2(r.points), 0);
  if (c.splices == 1) {
    EXPECT_EQ(rings[0].bin, 1) << "a spliced ring stays with the bin of its first part";
    EXPECT_EQ(rings[0].points.size(), 8u - 2u) << "the shared edge's two points appear once each";
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, SpliceTest, ::testing::ValuesIn(kSplices),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SpliceTest, RingsOfDifferentKindsAreNotSpliced) {
  std::vector<CoastRing> rings = NeckAcrossTheBorder(0.01);
  rings[1].kind = RingKind::kLakeIsland;
  EXPECT_EQ(SpliceShortBorderEdges(rings), 0);
  EXPECT_EQ(rings.size(), 2u);
}

// ---------------------------------------------------------------------------------------
// Tiles and drawing order.

CoastRing RingOf(RingKind kind, int bin, GeoPoint corner, GeoRing points) { return {kind, bin, corner, std::move(points)}; }

TEST(DrawingOrderTest, TilesAndKinds) {
  std::vector<CoastRing> rings = {
      // An island in the lake below, itself west of 140 E.
      RingOf(RingKind::kLakeIsland, 1, P(38, 138), {P(38.52, 139.6), P(38.52, 139.7), P(38.58, 139.7)}),
      // A lake spliced from a bin west of 140 E into one east of it.
      RingOf(RingKind::kLake, 1, P(38, 138), {P(38.5, 139.5), P(38.5, 140.5), P(38.6, 140.5), P(38.6, 139.5)}),
      RingOf(RingKind::kLand, 2, P(38, 140), {P(38, 140), P(38, 142), P(40, 142)}),
      // Land reaching the border line stays with its bin.
      RingOf(RingKind::kLand, 1, P(38, 138), {P(38, 138), P(38, 140), P(40, 140)}),
      RingOf(RingKind::kLakeIsland, 0, P(40, 120), {P(40.52, 120.52), P(40.52, 120.55), P(40.55, 120.55)}),
      RingOf(RingKind::kLand, 0, P(40, 120), {P(40, 120), P(40, 122), P(42, 122)}),
      RingOf(RingKind::kLake, 0, P(40, 120), {P(40.5, 120.5), P(40.5, 120.6), P(40.6, 120.6), P(40.6, 120.5)}),
  };
  const std::vector<int> tiles = SortForDrawing(rings);
  std::vector<std::tuple<RingKind, int, int>> order;  // kind, bin, tile
  for (size_t i = 0; i < rings.size(); ++i) order.emplace_back(rings[i].kind, rings[i].bin, tiles[i]);
  const std::vector<std::tuple<RingKind, int, int>> expected = {
      {RingKind::kLand, 1, 0},  {RingKind::kLand, 2, 1},       {RingKind::kLake, 1, 1},
      {RingKind::kLakeIsland, 1, 1}, {RingKind::kLand, 0, 2},  {RingKind::kLake, 0, 2},
      {RingKind::kLakeIsland, 0, 2}};
  EXPECT_EQ(order, expected);
}

// ---------------------------------------------------------------------------------------
// The seam rule and the written files.

struct SeamCase {
  int32_t dLat, dLon;
  bool seam;
};

TEST(SeamTest, Rule) {
  const SeamCase cases[] = {
      {19, 180000, true},         {20, 180000, false},          {0, 179985, false},
      {0, 179986, true},          {-19, -180000, true},         {1799857, 1799857, true},
      {1799856, 1799856, false},  {0, 0, false},                {INT32_MAX, INT32_MIN, true},
  };
  for (const SeamCase& c : cases) {
    const GeoPoint a{0, 0};
    const GeoPoint b{c.dLat, c.dLon};
    EXPECT_EQ(IsSeam(a, b), c.seam) << c.dLat << "," << c.dLon;
    EXPECT_EQ(IsSeam(b, a), c.seam) << "either direction";
  }
}

std::vector<int32_t> ReadWords(const std::filesystem::path& path) {
  const testing::Bytes bytes = testing::ReadBytes(path);
  std::vector<int32_t> words(bytes.size() / 4);
  std::memcpy(words.data(), bytes.data(), words.size() * 4);
  return words;
}

TEST(ChartFileWriterTest, RecordsReadBackThroughTheWalk) {
  testing::TempFolder tmp;
  const std::vector<CoastRing> rings = JoinBinPieces(Bin(34, 134, {{1, {P(34, 135), P(34.6, 134.7), P(35, 134)}}}), 0);
  ChartFileWriter w(40 * kDeg, 120 * kDeg, 20 * kDeg, 140 * kDeg);
  w.AddRecord('A', rings[0].points);
  w.AddRecord('L', {P(41, 120), P(41.5, 120.25)}, "<R>");
  w.AddRecord('P', {P(30, 130)}, "<Y> 1234");  // 8 bytes: the NUL takes a word of its own
  std::string error;
  const std::filesystem::path file = tmp.path() / "N20E120.Zt3";
  ASSERT_TRUE(w.Save(file, error)) << error;
  EXPECT_FALSE(std::filesystem::exists(tmp.path() / "N20E120.Zt3.tmp"));

  const std::vector<int32_t> words = ReadWords(file);
  ASSERT_EQ(words.size(), 10u + (10 + 8) + (10 + 1 + 4) + (10 + 3 + 2) + 1);
  EXPECT_EQ(words, w.Words());
  const std::vector<int32_t> header(words.begin(), words.begin() + 10);
  EXPECT_EQ(header, (std::vector<int32_t>{static_cast<int32_t>(kChartMagic), 10, 40 * kDeg, 120 * kDeg, 20 * kDeg,
                                          140 * kDeg, 8, 10, 0, 0}));

  ChartWalk walk(words.data(), words.size());
  ASSERT_TRUE(walk.HeaderValid());
  ChartRecord r;
  ASSERT_TRUE(walk.Next(r));
  EXPECT_EQ(r.kind, 'A');
  EXPECT_EQ(r.length, 18);
  EXPECT_FALSE(r.hasText);
  ASSERT_EQ(r.pointCount, 4);
  EXPECT_EQ(r.box.north, 35 * kDeg);
  EXPECT_EQ(r.box.west, 134 * kDeg);
  EXPECT_EQ(r.box.south, 34 * kDeg);
  EXPECT_EQ(r.box.east, 135 * kDeg);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(r.points[2 * i], rings[0].points[static_cast<size_t>(i)].lat);
    EXPECT_EQ(r.points[2 * i + 1], rings[0].points[static_cast<size_t>(i)].lon);
  }
  ASSERT_TRUE(walk.Next(r));
  EXPECT_EQ(r.kind, 'L');
  EXPECT_TRUE(r.hasText);
  EXPECT_EQ(r.text, "<R>");
  EXPECT_EQ(r.box.north, P(41.5, 0).lat);
  EXPECT_EQ(r.box.east, P(0, 120.25).lon);
  ASSERT_TRUE(walk.Next(r));
  EXPECT_EQ(r.kind, 'P');
  EXPECT_EQ(r.text, "<Y> 1234");
  EXPECT_EQ(PointValue(r.text), 1234);
  EXPECT_EQ(r.pointCount, 1);
  EXPECT_FALSE(walk.Next(r));
  EXPECT_EQ(walk.End(), ChartWalkEnd::kEndMarker);
  EXPECT_EQ(walk.Position(), words.size() - 1);
}

TEST(ChartFileWriterTest, TilesMergeIntoACatalogTheWalkReads) {
  testing::TempFolder tmp;
  const std::filesystem::path home = tmp.path() / "home";
  std::filesystem::create_directories(home);
  std::filesystem::create_directories(TilePath(home, kTileNames[0]).parent_path());
  std::vector<CoastRing> rings = NeckAcrossTheBorder(0.5);
  ChartFileWriter first(40 * kDeg, 120 * kDeg, 20 * kDeg, 140 * kDeg);
  ChartFileWriter last(60 * kDeg, 140 * kDeg, 40 * kDeg, 160 * kDeg);
  first.AddRecord('A', rings[0].points);
  first.AddRecord('A', rings[1].points);
  last.AddRecord('W', {P(45, 145), P(45, 146), P(46, 146)});
  std::string error;
  ASSERT_TRUE(first.Save(TilePath(home, kTileNames[0]), error)) << error;
  ASSERT_TRUE(last.Save(TilePath(home, kTileNames[3]), error)) << error;
  BuildChartCatalog(home);

  ChartCatalog catalog(home);
  const ChartImage* image = catalog.Load();
  ASSERT_NE(image, nullptr);
  ChartWalk walk(image->words, image->wordCount);
  ChartRecord r;
  std::string kinds;
  std::vector<int32_t> counts;
  while (walk.Next(r)) {
    kinds += static_cast<char>(r.kind);
    counts.push_back(r.pointCount);
  }
  EXPECT_EQ(walk.End(), ChartWalkEnd::kEndMarker);
  EXPECT_EQ(kinds, "AAW");
  EXPECT_EQ(counts, (std::vector<int32_t>{static_cast<int32_t>(rings[0].points.size()),
                                         static_cast<int32_t>(rings[1].points.size()), 3}));
}

TEST(ChartFileWriterTest, AnUnwritableFolderIsReported) {
  testing::TempFolder tmp;
  ChartFileWriter w(1, 0, 0, 1);
  std::string error;
  EXPECT_FALSE(w.Save(tmp.path() / "missing" / "N20E120.Zt3", error));
  EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
}

}  // namespace
}  // namespace aismon
