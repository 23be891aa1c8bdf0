#pragma once
// Turns shoreline pieces, as a coastline database hands them out bin by bin, into closed
// rings that an even-odd fill paints exactly: a piece that leaves the bin is joined to
// the next one along the bin's edges, and rings of neighbouring bins that meet along a
// short stretch of border are spliced into one, so that every border edge left in a
// ring is long and straight enough to count as a seam, which the coastline outline skips.
// Angles are in 1e-7 degree, as in the chart files.
#include <cstdint>
#include <vector>

namespace aismon {

struct GeoPoint {
  int32_t lat = 0;
  int32_t lon = 0;
  friend bool operator==(const GeoPoint&, const GeoPoint&) = default;
};

using GeoRing = std::vector<GeoPoint>;  // closed; the closing edge back to the first point is implied

// Shoreline levels: 1 sea/land, 2 land/lake, 3 lake/island, 4 island/pond.
// Every piece runs with land (the higher odd level) on its left.
struct ShorePiece {
  int level = 1;
  std::vector<GeoPoint> points;  // a closed piece repeats its first point at the end
};

struct CoastBin {
  int32_t north = 0;
  int32_t west = 0;
  int32_t south = 0;
  int32_t east = 0;
  // Whether the bin's border lies on land where no level-1 piece crosses it; only
  // looked at when no level-1 piece leaves the bin.
  bool borderOnLand = false;
  std::vector<ShorePiece> pieces;
};

// Which area a ring encloses: land, a lake, or an island in a lake (a pond in such an
// island is a lake again).
enum class RingKind { kLand, kLake, kLakeIsland };

struct CoastRing {
  RingKind kind = RingKind::kLand;
  int bin = 0;  // index of the bin it came from (the first one, after splicing)
  GeoPoint binCorner;  // south-west corner of that bin
  GeoRing points;
};

// The rings of one bin: for each level, the area on the piece's inner side, counter-
// clockwise, with the bin's corners where a join passes them. Points within
// snapTolerance of a border are moved onto it.
std::vector<CoastRing> JoinBinPieces(const CoastBin& bin, int binIndex, int32_t snapTolerance = 2);

// Whether an edge is left out of the coastline outline: nearly north-south or east-west
// and longer than 0.0179985 degree, or longer than 0.1799856 degree either way.
bool IsSeam(GeoPoint a, GeoPoint b);

// Splices rings of the same kind that share a border edge in opposite directions: the
// two become one ring without that edge. Land rings are spliced only where that edge is
// no seam; lakes and lake islands wherever they meet. Returns how many splices were made.
int SpliceShortBorderEdges(std::vector<CoastRing>& rings);

// Orders rings as they are to be written and gives each its 20-degree tile (0 to 3:
// N20E120, N20E140, N40E120, N40E140): tile by tile, and within a tile all land, then all
// lakes, then all lake islands (each drawn over the one before), bin by bin. Land goes
// with the bin it came from. A lake may have been spliced across bins: it goes to the last
// tile, in the order tiles are merged, that any of its points reaches, so that no land
// drawn after it can cover it; an island in it goes no earlier than the lake.
std::vector<int> SortForDrawing(std::vector<CoastRing>& rings);

// Even-odd point in ring test (for checks and tests).
bool RingContains(const GeoRing& ring, double lat, double lon);

}  // namespace aismon
