// The built-in place-name list as the chart reads it: enough places, every one usable,
// readable at every scale, and (when the coastline tiles are there) placed where the
// coastline says such a place can be.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "app/builtin_lists.h"
#include "basechart/chart_walk.h"
#include "basechart/place_names.h"
#include "text/sjis.h"
#include "text/text_parse.h"

namespace aismon {
namespace {

constexpr double kKmPerDegree = 111.195;

// One "P" line: what PlaceNameList keeps, and the fields it does not (kind, romanised name).
struct Place {
  const PlaceName* entry;
  std::string nameField;  // field 6 as written, Shift-JIS
  int kind;
  std::string roman;
  std::string utf8;  // for messages

  bool IsMountain() const { return roman.rfind("Mt.", 0) == 0; }
  std::string Label() const {
    std::ostringstream s;
    s << utf8 << " (" << entry->latitude << ", " << entry->longitude << ", level " << entry->level << ")";
    return s.str();
  }
};

class PlaceListTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    lines_ = new std::vector<std::string>(BuiltinMemoChimei());
    list_ = new PlaceNameList();
    list_->Load(*lines_);
    places_ = new std::vector<Place>();
    for (const std::string& line : *lines_) {
      const std::vector<std::string> f = SplitCommaText(line + ",,,,,,,,,");
      if (f[0] != "P") continue;
      const int i = static_cast<int>(places_->size());
      places_->push_back({&(*list_)[i], f[6], static_cast<int>(ParseReal(f[5])), f[7], ShiftJisToUtf8(f[6])});
    }
  }
  static void TearDownTestSuite() {
    delete places_;
    delete list_;
    delete lines_;
  }

  static std::vector<std::string>* lines_;
  static PlaceNameList* list_;
  static std::vector<Place>* places_;
};

std::vector<std::string>* PlaceListTest::lines_ = nullptr;
PlaceNameList* PlaceListTest::list_ = nullptr;
std::vector<Place>* PlaceListTest::places_ = nullptr;

// Distance in a flat metric around a's latitude; fine for the few kilometres compared here.
double LocalKm(double latA, double lonA, double latB, double lonB) {
  const double c = std::cos(latA * std::numbers::pi / 180);
  return std::hypot((latB - latA) * kKmPerDegree, (lonB - lonA) * kKmPerDegree * c);
}

TEST_F(PlaceListTest, EveryPlaceLineIsLoaded) {
  EXPECT_GE(list_->Count(), 500);
  EXPECT_LE(list_->Count(), kPlaceNameCapacity);
  EXPECT_EQ(static_cast<int>(places_->size()), list_->Count());
}

TEST_F(PlaceListTest, EveryEntryIsUsable) {
  for (const Place& p : *places_) {
    SCOPED_TRACE(p.Label());
    const PlaceName& e = *p.entry;
    EXPECT_GE(e.level, 0);
    EXPECT_LE(e.level, 5);
    EXPECT_TRUE(e.latitude >= 20 && e.latitude <= 60);
    EXPECT_TRUE(e.longitude >= 120 && e.longitude <= 160);
    // Kept whole: nothing cut at 30 bytes, no character that Shift-JIS lacks ('?').
    EXPECT_FALSE(p.nameField.empty());
    EXPECT_LE(p.nameField.size(), kPlaceNameBytes);
    EXPECT_EQ(std::string(e.name), p.nameField);
    EXPECT_EQ(p.nameField.find('?'), std::string::npos);
    EXPECT_TRUE(p.kind == 1 || p.kind == 2 || p.kind == 9) << p.kind;
    EXPECT_FALSE(p.roman.empty());
  }
}

TEST_F(PlaceListTest, EveryLevelHasNamesAndTheWholeCountryViewFew) {
  std::array<int, 6> perLevel{};
  for (const Place& p : *places_)
    if (p.entry->level >= 0 && p.entry->level <= 5) ++perLevel[static_cast<size_t>(p.entry->level)];
  for (size_t level = 0; level < perLevel.size(); ++level) EXPECT_GT(perLevel[level], 0) << "level " << level;
  EXPECT_LE(perLevel[0], 20);
  EXPECT_GE(perLevel[0], 5);
}

TEST_F(PlaceListTest, NoNameTwiceInOnePlace) {
  std::map<std::string, std::vector<const Place*>> byName;
  for (const Place& p : *places_) byName[p.nameField].push_back(&p);
  for (const auto& [name, same] : byName)
    for (size_t i = 0; i < same.size(); ++i)
      for (size_t j = i + 1; j < same.size(); ++j) {
        const PlaceName& a = *same[i]->entry;
        const PlaceName& b = *same[j]->entry;
        EXPECT_GE(LocalKm(a.latitude, a.longitude, b.latitude, b.longitude), 1.0)
            << same[i]->Label() << " and " << same[j]->Label();
      }
}

// At the coarsest scale of each level, the names then on screen seldom cover one another.
// Scales are metres per pixel of the double-size work bitmap, where the 24-pixel font
// makes a name 24 pixels high and 12 wide per Shift-JIS byte. Pairs are counted once, at
// the level where the later of the two appears.
TEST_F(PlaceListTest, NamesSeldomCoverEachOtherAtAnyScale) {
  constexpr double kCoarsest[] = {1500, 1499.9, 749.9, 374.9, 186.9, 92.9};
  for (int level = 0; level <= 5; ++level) {
    const double mpp = kCoarsest[level];
    ASSERT_EQ(NameLevel(mpp), level);
    int shown = 0, covered = 0;
    std::string pairs;
    for (size_t i = 0; i < places_->size(); ++i) {
      const PlaceName& a = *(*places_)[i].entry;
      if (a.level > level) continue;
      ++shown;
      for (size_t j = i + 1; j < places_->size(); ++j) {
        const PlaceName& b = *(*places_)[j].entry;
        if (b.level > level || (a.level != level && b.level != level)) continue;
        const double dy = std::fabs(a.latitude - b.latitude) * kKmPerDegree * 1000 / mpp;
        const double c = std::cos((a.latitude + b.latitude) / 2 * std::numbers::pi / 180);
        const double dx = std::fabs(a.longitude - b.longitude) * kKmPerDegree * 1000 * c / mpp;
        const double halfWidths = 6.0 * static_cast<double>(std::strlen(a.name) + std::strlen(b.name));
        if (dy < 24 && dx < halfWidths) {
          ++covered;
          pairs += "  " + (*places_)[i].utf8 + " / " + (*places_)[j].utf8 + "\n";
        }
      }
    }
    EXPECT_LE(covered, shown / 50) << "level " << level << ": " << shown << " names\n" << pairs;
  }
}

// ---------------------------------------------------------------------------------------
// Against the coastline tiles, when they have been made.

#ifdef AISMON_TILE_DIR

constexpr double kShoreKm = 3.0;     // towns, ports, capes, islands: on land or this near a shore
constexpr double kMountainKm = 0.5;  // mountains: on land and at least this far from the shore
constexpr double kSearchDegrees = 0.1;  // shore edges looked for within this of a place
// Airports on islands reclaimed after the coastline was surveyed: the tiles show open
// water there, as far out as the island lies.
const std::map<std::string, double> kReclaimedKm = {
    {"関西国際空港", 7.0}, {"神戸空港", 7.0}, {"中部国際空港", 7.0}};

struct Ring {
  uint8_t kind;
  ChartBox box;
  std::vector<std::array<double, 2>> points;  // latitude, longitude in degrees
};

// Whether an area edge is a seam along a bin border rather than shoreline: the same test
// as the coastline outline (nearly north-south or east-west and longer than 0.018 degree,
// or longer than 0.18 degree), on the stored 1e-7 degree units.
bool IsSeamEdge(int32_t latA, int32_t lonA, int32_t latB, int32_t lonB) {
  const int64_t dLat = std::llabs(static_cast<int64_t>(latB) - latA);
  const int64_t dLon = std::llabs(static_cast<int64_t>(lonB) - lonA);
  const int64_t big = std::max(dLat, dLon), small = std::min(dLat, dLon);
  return (small < 20 && big > 179985) || big > 1799856;
}

class Coastline {
 public:
  // False when a tile is missing.
  bool Load(const std::filesystem::path& folder) {
    for (const char* name : {"N20E120", "N20E140", "N40E120", "N40E140"}) {
      std::ifstream in(folder / (std::string(name) + ".Zt3"), std::ios::binary);
      if (!in) return false;
      const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      std::vector<int32_t> words(bytes.size() / 4);
      std::memcpy(words.data(), bytes.data(), words.size() * 4);
      ChartWalk walk(words.data(), words.size());
      ChartRecord r;
      while (walk.Next(r)) {
        if (r.kind != kKindArea && r.kind != kKindW && r.kind != kKindS) continue;
        Ring ring{r.kind, r.box, {}};
        for (int32_t i = 0; i < r.pointCount; ++i) {
          const int32_t lat = r.points[2 * i], lon = r.points[2 * i + 1];
          ring.points.push_back({lat * 1e-7, lon * 1e-7});
          const int32_t k = (i + 1) % r.pointCount;
          if (!IsSeamEdge(lat, lon, r.points[2 * k], r.points[2 * k + 1]))
            shoreEdges_.push_back({lat * 1e-7, lon * 1e-7, r.points[2 * k] * 1e-7, r.points[2 * k + 1] * 1e-7});
        }
        rings_.push_back(std::move(ring));
      }
    }
    std::sort(shoreEdges_.begin(), shoreEdges_.end(),
              [](const Edge& a, const Edge& b) { return std::min(a[0], a[2]) < std::min(b[0], b[2]); });
    return true;
  }

  size_t RingCount() const { return rings_.size(); }

  // Land lies inside land areas, less lakes, plus the islands in those lakes: each ring
  // is filled even-odd, and the three kinds nest.
  bool IsLand(double lat, double lon) const {
    int depth = 0;
    const int32_t la = static_cast<int32_t>(std::lround(lat * 1e7)), lo = static_cast<int32_t>(std::lround(lon * 1e7));
    for (const Ring& ring : rings_) {
      if (la > ring.box.north || la < ring.box.south || lo < ring.box.west || lo > ring.box.east) continue;
      if (!Contains(ring, lat, lon)) continue;
      depth += ring.kind == kKindW ? -1 : 1;
    }
    return depth > 0;
  }

  // Kilometres to the nearest shoreline edge; infinity beyond kSearchDegrees.
  double ShoreKm(double lat, double lon) const {
    const double c = std::cos(lat * std::numbers::pi / 180);
    double best = std::numeric_limits<double>::infinity();
    // Edges sorted by their southern end: those starting north of the window cannot reach.
    const auto end = std::upper_bound(shoreEdges_.begin(), shoreEdges_.end(), lat + kSearchDegrees,
                                      [](double v, const Edge& e) { return v < std::min(e[0], e[2]); });
    for (auto it = shoreEdges_.begin(); it != end; ++it) {
      const Edge& e = *it;
      if (std::max(e[0], e[2]) < lat - kSearchDegrees) continue;
      if (std::max(e[1], e[3]) < lon - kSearchDegrees || std::min(e[1], e[3]) > lon + kSearchDegrees) continue;
      const double ay = (e[0] - lat) * kKmPerDegree, ax = (e[1] - lon) * kKmPerDegree * c;
      const double by = (e[2] - lat) * kKmPerDegree, bx = (e[3] - lon) * kKmPerDegree * c;
      const double dy = by - ay, dx = bx - ax, len2 = dx * dx + dy * dy;
      const double t = len2 == 0 ? 0 : std::clamp(-(ax * dx + ay * dy) / len2, 0.0, 1.0);
      best = std::min(best, std::hypot(ax + t * dx, ay + t * dy));
    }
    return best;
  }

 private:
  using Edge = std::array<double, 4>;  // latitude, longitude of both ends

  static bool Contains(const Ring& ring, double lat, double lon) {
    bool inside = false;
    const size_t n = ring.points.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
      const auto& a = ring.points[i];
      const auto& b = ring.points[j];
      if ((a[0] > lat) != (b[0] > lat) && lon < (b[1] - a[1]) * (lat - a[0]) / (b[0] - a[0]) + a[1]) inside = !inside;
    }
    return inside;
  }

  std::vector<Ring> rings_;
  std::vector<Edge> shoreEdges_;
};

class PlaceListCoastTest : public PlaceListTest {
 protected:
  void SetUp() override {
    if (!loaded_) {
      loaded_ = true;
      ready_ = coast_.Load(AISMON_TILE_DIR);
    }
    if (!ready_) GTEST_SKIP() << "no coastline tiles in " << AISMON_TILE_DIR;
  }
  static Coastline coast_;
  static bool loaded_, ready_;
};

Coastline PlaceListCoastTest::coast_;
bool PlaceListCoastTest::loaded_ = false;
bool PlaceListCoastTest::ready_ = false;

// The land test and the shore distance themselves, on places whose answer is beyond doubt.
TEST_F(PlaceListCoastTest, TilesTellLandFromWater) {
  struct Row {
    const char* what;
    double lat, lon;
    bool land;
    double minKm, maxKm;
  };
  const Row rows[] = {
      {"Nagano, inland", 36.649, 138.181, true, 30, 1e9},
      {"middle of Osaka Bay", 34.50, 135.25, false, 5, 20},
      {"Sea of Japan", 40.0, 134.5, false, 60, 1e9},
      {"Lake Biwa", 35.25, 136.08, false, 1, 15},
      {"Awaji Island", 34.45, 134.87, true, 1, 10},
      {"Tokyo station, near the bay", 35.681, 139.767, true, 0.3, 4},
  };
  ASSERT_GT(coast_.RingCount(), 1000u);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(coast_.IsLand(r.lat, r.lon), r.land);
    const double km = coast_.ShoreKm(r.lat, r.lon);
    EXPECT_GE(km, r.minKm);
    if (r.maxKm < 1e9) {
      EXPECT_LE(km, r.maxKm);
    }
  }
}

TEST_F(PlaceListCoastTest, EveryPlaceLiesWhereItsKindCan) {
  int mountains = 0, waters = 0;
  for (const Place& p : *places_) {
    const PlaceName& e = *p.entry;
    const bool land = coast_.IsLand(e.latitude, e.longitude);
    const double km = coast_.ShoreKm(e.latitude, e.longitude);
    std::ostringstream where;
    where << p.Label() << ": " << (land ? "land" : "water") << ", " << km << " km from the shore";
    if (p.kind == 2) {
      ++waters;
      EXPECT_FALSE(land) << "water name on land: " << where.str();
    } else if (p.IsMountain()) {
      ++mountains;
      EXPECT_TRUE(land && km >= kMountainKm) << "mountain not well inland: " << where.str();
    } else {
      const auto reclaimed = kReclaimedKm.find(p.utf8);
      const double reach = reclaimed == kReclaimedKm.end() ? kShoreKm : reclaimed->second;
      EXPECT_TRUE(land || km <= reach) << "out at sea: " << where.str();
    }
  }
  EXPECT_GE(mountains, 20);
  EXPECT_GE(waters, 50);
}

#endif  // AISMON_TILE_DIR

}  // namespace
}  // namespace aismon
