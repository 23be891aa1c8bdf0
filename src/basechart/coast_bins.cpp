#include "basechart/coast_bins.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <unordered_map>

namespace aismon {

namespace {

// Position of a border point counted counter-clockwise along the bin's border from its
// south-west corner: bottom edge west to east, right edge south to north, top edge east
// to west, left edge north to south.
class BinBorder {
 public:
  explicit BinBorder(const CoastBin& b)
      : b_(b), width_(int64_t{b.east} - b.west), height_(int64_t{b.north} - b.south) {}

  int64_t Perimeter() const { return 2 * (width_ + height_); }

  bool OnBorder(GeoPoint p) const {
    const bool inLat = p.lat >= b_.south && p.lat <= b_.north;
    const bool inLon = p.lon >= b_.west && p.lon <= b_.east;
    return (inLon && (p.lat == b_.south || p.lat == b_.north)) || (inLat && (p.lon == b_.west || p.lon == b_.east));
  }

  GeoPoint Snap(GeoPoint p, int32_t tolerance) const {
    auto snap = [tolerance](int32_t v, int32_t edge) { return std::abs(int64_t{v} - edge) <= tolerance ? edge : v; };
    p.lat = snap(snap(p.lat, b_.south), b_.north);
    p.lon = snap(snap(p.lon, b_.west), b_.east);
    return p;
  }

  int64_t Position(GeoPoint p) const {
    if (p.lat == b_.south && p.lon != b_.west) return int64_t{p.lon} - b_.west;
    if (p.lon == b_.east) return width_ + (int64_t{p.lat} - b_.south);
    if (p.lat == b_.north) return width_ + height_ + (int64_t{b_.east} - p.lon);
    return 2 * width_ + height_ + (int64_t{b_.north} - p.lat);  // left edge, south-west corner last
  }

  // The corners in counter-clockwise order with their positions.
  GeoPoint Corner(int k) const {
    switch (k) {
      case 0: return {b_.south, b_.west};
      case 1: return {b_.south, b_.east};
      case 2: return {b_.north, b_.east};
      default: return {b_.north, b_.west};
    }
  }
  int64_t CornerPosition(int k) const {
    switch (k) {
      case 0: return 0;
      case 1: return width_;
      case 2: return width_ + height_;
      default: return 2 * width_ + height_;
    }
  }

 private:
  const CoastBin& b_;
  int64_t width_, height_;
};

int64_t Forward(int64_t from, int64_t to, int64_t perimeter) {
  const int64_t d = (to - from) % perimeter;
  return d < 0 ? d + perimeter : d;
}

RingKind KindOfLevel(int level) {
  switch (level) {
    case 1: return RingKind::kLand;
    case 3: return RingKind::kLakeIsland;
    default: return RingKind::kLake;
  }
}

void AppendPoint(GeoRing& ring, GeoPoint p) {
  if (ring.empty() || !(ring.back() == p)) ring.push_back(p);
}

// The rings of one level: pieces oriented with the enclosed area on their left.
void JoinLevel(const CoastBin& bin, int binIndex, int level, int32_t snapTolerance, std::vector<CoastRing>& out) {
  const BinBorder border(bin);
  const bool reverse = level % 2 == 0;  // lake shores run with the lake on their right
  std::vector<std::vector<GeoPoint>> open;
  for (const ShorePiece& piece : bin.pieces) {
    if (piece.level != level || piece.points.empty()) continue;
    std::vector<GeoPoint> pts = piece.points;
    if (reverse) std::reverse(pts.begin(), pts.end());
    if (pts.size() >= 2 && pts.front() == pts.back()) {
      pts.pop_back();
      if (pts.size() >= 3) out.push_back({KindOfLevel(level), binIndex, border.Corner(0), std::move(pts)});
      continue;
    }
    pts.front() = border.Snap(pts.front(), snapTolerance);
    pts.back() = border.Snap(pts.back(), snapTolerance);
    if (!border.OnBorder(pts.front()) || !border.OnBorder(pts.back()))
      throw std::invalid_argument("bin " + std::to_string(binIndex) + ": an open shoreline piece of level " +
                                  std::to_string(level) + " does not start and end on the bin's border");
    open.push_back(std::move(pts));
  }

  const int64_t perimeter = border.Perimeter();
  if (open.empty()) {
    if (level == 1 && bin.borderOnLand)
      out.push_back({RingKind::kLand, binIndex, border.Corner(0),
                     {border.Corner(0), border.Corner(1), border.Corner(2), border.Corner(3)}});
    return;
  }

  std::vector<int64_t> startPos(open.size());
  for (size_t i = 0; i < open.size(); ++i) startPos[i] = border.Position(open[i].front());
  std::vector<bool> used(open.size(), false);

  for (size_t first = 0; first < open.size(); ++first) {
    if (used[first]) continue;
    GeoRing ring;
    size_t current = first;
    for (;;) {
      used[current] = true;
      for (const GeoPoint& p : open[current]) AppendPoint(ring, p);
      // Follow the border counter-clockwise, keeping the enclosed area on the left, to
      // the nearest piece that starts there.
      const int64_t endPos = border.Position(open[current].back());
      size_t next = open.size();
      int64_t best = perimeter + 1;
      for (size_t k = 0; k < open.size(); ++k) {
        const int64_t d = Forward(endPos, startPos[k], perimeter);
        if (d < best) {
          best = d;
          next = k;
        }
      }
      int cornerOrder[4] = {0, 1, 2, 3};
      std::sort(cornerOrder, cornerOrder + 4, [&](int a, int b) {
        return Forward(endPos, border.CornerPosition(a), perimeter) < Forward(endPos, border.CornerPosition(b), perimeter);
      });
      for (int k : cornerOrder) {
        const int64_t d = Forward(endPos, border.CornerPosition(k), perimeter);
        if (d > 0 && d < best) AppendPoint(ring, border.Corner(k));
      }
      if (next == first) break;
      if (used[next])
        throw std::invalid_argument("bin " + std::to_string(binIndex) +
                                    ": shoreline pieces do not close into rings along the border");
      current = next;
    }
    if (ring.size() >= 2 && ring.front() == ring.back()) ring.pop_back();
    if (ring.size() >= 3) out.push_back({KindOfLevel(level), binIndex, border.Corner(0), std::move(ring)});
  }
}

constexpr int64_t kSeamStraightSmall = 20;
constexpr int64_t kSeamStraightBig = 179985;
constexpr int64_t kSeamLong = 1799856;

struct EdgeKey {
  GeoPoint a, b;
  friend bool operator==(const EdgeKey&, const EdgeKey&) = default;
};
struct EdgeHash {
  size_t operator()(const EdgeKey& k) const {
    uint64_t h = static_cast<uint32_t>(k.a.lat);
    h = h * 0x9E3779B97F4A7C15ull ^ static_cast<uint32_t>(k.a.lon);
    h = h * 0x9E3779B97F4A7C15ull ^ static_cast<uint32_t>(k.b.lat);
    h = h * 0x9E3779B97F4A7C15ull ^ static_cast<uint32_t>(k.b.lon);
    return static_cast<size_t>(h ^ (h >> 29));
  }
};

// Land keeps its long border edges: they are seams the outline skips, and they keep the
// records small. Lakes and their islands have no outline pass that skips seams, so they
// are made whole.
bool SpliceCandidate(RingKind kind, GeoPoint a, GeoPoint b) {
  return (a.lat == b.lat || a.lon == b.lon) && !(a == b) && (kind != RingKind::kLand || !IsSeam(a, b));
}

// Replaces edge i -> i+1 of r1 by the path of r2 that leads around from the edge's
// first point to its second (r2 holds the same edge reversed at j -> j+1).
GeoRing Splice(const GeoRing& r1, size_t i, const GeoRing& r2, size_t j) {
  const size_t n1 = r1.size(), n2 = r2.size();
  GeoRing merged;
  merged.reserve(n1 + n2 - 2);
  // r1 from the edge's second point round to its first.
  for (size_t k = 0; k < n1; ++k) merged.push_back(r1[(i + 1 + k) % n1]);
  // Then r2 strictly between the edge's first point and its second.
  for (size_t k = 2; k < n2; ++k) merged.push_back(r2[(j + k) % n2]);
  return merged;
}

}  // namespace

bool IsSeam(GeoPoint a, GeoPoint b) {
  const int64_t dLat = std::llabs(int64_t{b.lat} - a.lat);
  const int64_t dLon = std::llabs(int64_t{b.lon} - a.lon);
  const int64_t big = std::max(dLat, dLon), small = std::min(dLat, dLon);
  return (small < kSeamStraightSmall && big > kSeamStraightBig) || big > kSeamLong;
}

std::vector<CoastRing> JoinBinPieces(const CoastBin& bin, int binIndex, int32_t snapTolerance) {
  std::vector<CoastRing> rings;
  for (int level = 1; level <= 4; ++level) JoinLevel(bin, binIndex, level, snapTolerance, rings);
  return rings;
}

int SpliceShortBorderEdges(std::vector<CoastRing>& rings) {
  int splices = 0;
  std::vector<bool> alive(rings.size(), true);
  for (;;) {
    std::unordered_map<EdgeKey, std::pair<size_t, size_t>, EdgeHash> edges;
    for (size_t r = 0; r < rings.size(); ++r) {
      if (!alive[r]) continue;
      const GeoRing& g = rings[r].points;
      for (size_t i = 0; i < g.size(); ++i) {
        const GeoPoint a = g[i], b = g[(i + 1) % g.size()];
        if (SpliceCandidate(rings[r].kind, a, b)) edges.emplace(EdgeKey{a, b}, std::make_pair(r, i));
      }
    }
    // The first ring in order, with its first edge in order, absorbs its twin's ring, so
    // the result does not depend on the hash table's order.
    bool spliced = false;
    for (size_t r1 = 0; r1 < rings.size() && !spliced; ++r1) {
      if (!alive[r1]) continue;
      const GeoRing& g = rings[r1].points;
      for (size_t i = 0; i < g.size(); ++i) {
        const GeoPoint a = g[i], b = g[(i + 1) % g.size()];
        if (!SpliceCandidate(rings[r1].kind, a, b)) continue;
        const auto twin = edges.find(EdgeKey{b, a});
        if (twin == edges.end()) continue;
        const auto [r2, j] = twin->second;
        if (r2 == r1 || rings[r2].kind != rings[r1].kind) continue;
        rings[r1].points = Splice(g, i, rings[r2].points, j);
        alive[r2] = false;
        ++splices;
        spliced = true;
        break;
      }
    }
    if (!spliced) break;
  }
  std::vector<CoastRing> kept;
  kept.reserve(rings.size());
  for (size_t r = 0; r < rings.size(); ++r)
    if (alive[r]) kept.push_back(std::move(rings[r]));
  rings = std::move(kept);
  return splices;
}

namespace {

constexpr int32_t kTileSplitLat = 400000000;   // 40 N
constexpr int32_t kTileSplitLon = 1400000000;  // 140 E

int TileOfPoint(GeoPoint p) { return (p.lat >= kTileSplitLat ? 2 : 0) + (p.lon >= kTileSplitLon ? 1 : 0); }

}  // namespace

std::vector<int> SortForDrawing(std::vector<CoastRing>& rings) {
  std::vector<int> tile(rings.size());
  for (size_t i = 0; i < rings.size(); ++i) {
    tile[i] = TileOfPoint(rings[i].binCorner);
    if (rings[i].kind == RingKind::kLand) continue;
    for (const GeoPoint& p : rings[i].points) tile[i] = std::max(tile[i], TileOfPoint(p));
  }
  for (size_t i = 0; i < rings.size(); ++i) {
    if (rings[i].kind != RingKind::kLakeIsland || rings[i].points.empty()) continue;
    const GeoPoint p = rings[i].points.front();
    for (size_t k = 0; k < rings.size(); ++k)
      if (rings[k].kind == RingKind::kLake && RingContains(rings[k].points, p.lat * 1e-7, p.lon * 1e-7))
        tile[i] = std::max(tile[i], tile[k]);
  }
  std::vector<size_t> order(rings.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    if (tile[a] != tile[b]) return tile[a] < tile[b];
    if (rings[a].kind != rings[b].kind) return static_cast<int>(rings[a].kind) < static_cast<int>(rings[b].kind);
    return rings[a].bin < rings[b].bin;
  });
  std::vector<CoastRing> sorted;
  std::vector<int> sortedTile;
  sorted.reserve(rings.size());
  for (size_t i : order) {
    sorted.push_back(std::move(rings[i]));
    sortedTile.push_back(tile[i]);
  }
  rings = std::move(sorted);
  return sortedTile;
}

bool RingContains(const GeoRing& ring, double lat, double lon) {
  bool inside = false;
  const size_t n = ring.size();
  for (size_t i = 0, j = n - 1; i < n; j = i++) {
    const double yi = ring[i].lat * 1e-7, xi = ring[i].lon * 1e-7;
    const double yj = ring[j].lat * 1e-7, xj = ring[j].lon * 1e-7;
    if ((yi > lat) != (yj > lat) && lon < (xj - xi) * (lat - yi) / (yj - yi) + xi) inside = !inside;
  }
  return inside;
}

}  // namespace aismon
