// make_coast_tiles: writes the four coastline tiles (N20E120, N20E140, N40E120, N40E140)
// from the GSHHG shorelines, asking GMT for them:
//
//   make_coast_tiles --out DIR [--gmt PROGRAM] [--full WEST/EAST/SOUTH/NORTH]
//
// `gmt coast -Dh -W -M` hands the high-resolution shorelines out in 2-degree bins, each
// piece with land on its left; `-Df` the full resolution in 1-degree bins. With --full,
// the box given (whole even degrees) takes the full resolution and the rest the high one.
// Pieces are joined along their bin's edges into land, lake and lake-island rings; a bin
// no shoreline crosses is land or sea as GMT says of a point on its border. Where a
// shoreline leaves the full box, the high-resolution piece outside is made to meet the
// full-resolution one at the same border point, so the two join without a step. The
// land-on-the-left rule is checked against `gmt select` before anything is written, and
// national borders are added as red lines. Exit status 0 when the tiles were written,
// 1 when GMT failed or its data broke a rule, 2 on bad arguments.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "basechart/chart_catalog.h"
#include "basechart/chart_file_writer.h"
#include "basechart/coast_bins.h"

namespace fs = std::filesystem;
using namespace aismon;

namespace {

constexpr int kBinDegrees = 2;  // bin size of GMT's high-resolution shorelines
constexpr int kBinColumns = 360 / kBinDegrees;
constexpr int kFullBinDegrees = 1;  // and of the full resolution
// Full-resolution bins are keyed apart from the high-resolution ones.
constexpr int kFullKeyOffset = 1000000;
constexpr int kSouth = 20, kNorth = 60, kWest = 120, kEast = 160;
constexpr int kTileDegrees = 20;
constexpr int32_t kUnitsPerDegree = 10000000;

int32_t ToUnits(double degrees) { return static_cast<int32_t>(std::llround(degrees * kUnitsPerDegree)); }

// Output of a shell command, or an error naming it.
std::string RunCommand(const std::string& command) {
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run: " + command);
  std::string out;
  char buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
  const int status = pclose(pipe);
  if (status != 0) throw std::runtime_error("command failed (status " + std::to_string(status) + "): " + command);
  return out;
}

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

struct Segment {
  int bin = 0;
  int level = 0;
  std::vector<GeoPoint> points;
};

// Parses GMT's multi-segment text: "> Shore Bin # N, Level L" headers, "lon<TAB>lat" rows.
std::vector<Segment> ParseSegments(const std::string& text, std::string_view headerWord, int keyOffset = 0) {
  std::vector<Segment> segments;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t eol = text.find('\n', pos);
    if (eol == std::string::npos) eol = text.size();
    const std::string line = text.substr(pos, eol - pos);
    pos = eol + 1;
    if (line.empty()) continue;
    if (line[0] == '>') {
      Segment s;
      if (std::sscanf(line.c_str(), "> %*s Bin # %d, Level %d", &s.bin, &s.level) != 2 ||
          line.find(headerWord) == std::string::npos)
        throw std::runtime_error("unexpected segment header from gmt: " + line);
      s.bin += keyOffset;
      segments.push_back(std::move(s));
      continue;
    }
    double lon = 0, lat = 0;
    if (segments.empty() || std::sscanf(line.c_str(), "%lf %lf", &lon, &lat) != 2)
      throw std::runtime_error("unexpected line from gmt: " + line);
    segments.back().points.push_back({ToUnits(lat), ToUnits(lon)});
  }
  return segments;
}

struct BinCell {
  int row = 0, column = 0;  // row 0 is the band just south of the north pole
  int degrees = kBinDegrees;
  int Columns() const { return 360 / degrees; }
  int Number() const { return row * Columns() + column + (degrees == kFullBinDegrees ? kFullKeyOffset : 0); }
  int South() const { return 90 - degrees * (row + 1); }
  int West() const { return degrees * column; }
};

BinCell CellOfNumber(int number) { return {number / kBinColumns, number % kBinColumns}; }

// The box, in whole degrees, that takes the full resolution (empty: none).
struct FullBox {
  int west = 0, east = 0, south = 0, north = 0;
  bool Empty() const { return west >= east || south >= north; }
  bool Contains(const BinCell& c) const {
    return !Empty() && c.West() >= west && c.West() + c.degrees <= east && c.South() >= south &&
           c.South() + c.degrees <= north;
  }
};

// Asks `gmt select` which of the points (latitude, longitude in degrees) lie inside
// GSHHG's land (lakes count as inside, they lie within the land's shoreline).
std::vector<bool> OnLand(const std::string& gmt, const std::vector<std::pair<double, double>>& points,
                         char resolution, const fs::path& scratch) {
  const fs::path file = scratch / "points.txt";
  std::FILE* f = std::fopen(file.c_str(), "w");
  if (f == nullptr) throw std::runtime_error("cannot write " + file.string());
  for (size_t i = 0; i < points.size(); ++i) std::fprintf(f, "%.9f %.9f %zu\n", points[i].second, points[i].first, i);
  std::fclose(f);
  const std::string out = RunCommand(gmt + " select " + Quote(file.string()) + " -Ns/k/k/k/k -D" + resolution);
  std::vector<bool> land(points.size(), false);
  size_t pos = 0;
  while (pos < out.size()) {
    size_t eol = out.find('\n', pos);
    if (eol == std::string::npos) eol = out.size();
    double lon, lat;
    size_t index;
    if (std::sscanf(out.c_str() + pos, "%lf %lf %zu", &lon, &lat, &index) == 3 && index < land.size())
      land[index] = true;
    pos = eol + 1;
  }
  return land;
}

// A point a little to the left of a piece's longest segment, in degrees.
std::pair<double, double> LeftOf(const std::vector<GeoPoint>& p) {
  size_t best = 0;
  double bestLength = -1;
  for (size_t i = 0; i + 1 < p.size(); ++i) {
    const double dy = (p[i + 1].lat - p[i].lat) * 1e-7, dx = (p[i + 1].lon - p[i].lon) * 1e-7;
    const double length = std::hypot(dx, dy);
    if (length > bestLength) bestLength = length, best = i;
  }
  const double y0 = p[best].lat * 1e-7, x0 = p[best].lon * 1e-7;
  const double dy = (p[best + 1].lat - p[best].lat) * 1e-7, dx = (p[best + 1].lon - p[best].lon) * 1e-7;
  const double length = std::max(bestLength, 1e-12);
  const double offset = std::min(bestLength * 0.3, 2e-4);
  return {y0 + dy / 2 + dx / length * offset, x0 + dx / 2 - dy / length * offset};
}

int TileOf(const BinCell& cell) {
  const int south = cell.South() >= 40 ? 1 : 0;
  const int east = cell.West() >= 140 ? 1 : 0;
  return south * 2 + east;  // the order of kTileNames
}

char KindLetter(RingKind k) {
  switch (k) {
    case RingKind::kLand: return 'A';
    case RingKind::kLake: return 'W';
    default: return 'S';
  }
}


constexpr int32_t kBorderSnap = 2;  // as JoinBinPieces snaps piece ends onto the border

bool IsFullKey(int key) { return key >= kFullKeyOffset; }

// One end of an open shoreline piece lying on a line where the two resolutions meet.
struct BorderEnd {
  int level;
  int64_t along;  // position along the line
  bool leavesHigh;  // the shoreline runs out of the high-resolution side here
  GeoPoint* point;
};

// The ends of the bin's open pieces that lie on the line lat = value (or lon = value)
// between from and to. `high` says from which side the bin lies: a piece that starts on
// the line enters its bin.
void CollectBorderEnds(CoastBin& bin, bool alongLat, int32_t value, int32_t from, int32_t to, bool high,
                       std::vector<BorderEnd>& out) {
  for (ShorePiece& piece : bin.pieces) {
    if (piece.points.size() < 2 || piece.points.front() == piece.points.back()) continue;
    for (int end = 0; end < 2; ++end) {
      GeoPoint& p = end == 0 ? piece.points.front() : piece.points.back();
      const int32_t across = alongLat ? p.lat : p.lon, along = alongLat ? p.lon : p.lat;
      if (std::abs(int64_t{across} - value) > kBorderSnap || along < from || along > to) continue;
      const bool starts = end == 0;
      out.push_back({piece.level, along, high ? !starts : starts, &p});
    }
  }
}

struct MeetingReport {
  size_t moved = 0;
  double maxMetres = 0;
  std::vector<std::string> mismatches;
};

// Where a shoreline crosses the edge of the full box, GMT's two resolutions cross it at
// slightly different points: each high-resolution end on that edge is moved onto the
// full-resolution end it stands for, the n-th of its level along the edge.
MeetingReport MeetAtFullBox(std::map<int, CoastBin>& bins, const FullBox& box) {
  MeetingReport report;
  for (auto& [key, high] : bins) {
    if (IsFullKey(key)) continue;
    const int hs = high.south / kUnitsPerDegree, hw = high.west / kUnitsPerDegree;
    struct Side {
      bool alongLat;
      int32_t value;
      int acrossSouth, acrossWest;  // the first full bin across, then one degree along
    };
    const Side sides[] = {{true, high.north, hs + kBinDegrees, hw},
                          {true, high.south, hs - kFullBinDegrees, hw},
                          {false, high.east, hs, hw + kBinDegrees},
                          {false, high.west, hs, hw - kFullBinDegrees}};
    for (const Side& side : sides) {
      const BinCell first{(90 - side.acrossSouth) / kFullBinDegrees - 1, side.acrossWest / kFullBinDegrees,
                          kFullBinDegrees};
      if (!box.Contains(first)) continue;
      const int32_t from = side.alongLat ? high.west : high.south, to = side.alongLat ? high.east : high.north;
      std::vector<BorderEnd> highEnds, fullEnds;
      CollectBorderEnds(high, side.alongLat, side.value, from, to, true, highEnds);
      for (int k = 0; k < kBinDegrees / kFullBinDegrees; ++k) {
        BinCell cell = first;
        if (side.alongLat)
          cell.column += k;
        else
          cell.row -= k;
        const auto it = bins.find(cell.Number());
        if (it != bins.end()) CollectBorderEnds(it->second, side.alongLat, side.value, from, to, false, fullEnds);
      }
      for (int level = 1; level <= 4; ++level) {
        std::vector<BorderEnd> h, f;
        for (const BorderEnd& e : highEnds)
          if (e.level == level) h.push_back(e);
        for (const BorderEnd& e : fullEnds)
          if (e.level == level) f.push_back(e);
        const auto byPosition = [](const BorderEnd& a, const BorderEnd& b) { return a.along < b.along; };
        std::sort(h.begin(), h.end(), byPosition);
        std::sort(f.begin(), f.end(), byPosition);
        bool same = h.size() == f.size();
        for (size_t i = 0; same && i < h.size(); ++i) same = h[i].leavesHigh == f[i].leavesHigh;
        if (!same) {
          report.mismatches.push_back("bin " + std::to_string(key) + " level " + std::to_string(level) + " " +
                                      (side.alongLat ? "lat " : "lon ") + std::to_string(side.value * 1e-7) + ": " +
                                      std::to_string(h.size()) + " high against " + std::to_string(f.size()) +
                                      " full crossings");
          continue;
        }
        for (size_t i = 0; i < h.size(); ++i) {
          const double metres = std::abs(h[i].along - f[i].along) * 1e-7 * 111320.0;
          report.maxMetres = std::max(report.maxMetres, metres);
          *h[i].point = *f[i].point;
          (side.alongLat ? h[i].point->lat : h[i].point->lon) = side.value;
          ++report.moved;
        }
      }
    }
  }
  return report;
}

// Puts the full box's whole-degree points into high-resolution ring edges that run along
// the box's edge, so that such an edge and the full-resolution bins' edges along it are
// the same edges and the rings on the two sides can be spliced where they meet.
void AddFullGridPoints(CoastRing& ring, const FullBox& box) {
  GeoRing out;
  const GeoRing& g = ring.points;
  out.reserve(g.size());
  const int32_t south = box.south * kUnitsPerDegree, north = box.north * kUnitsPerDegree;
  const int32_t west = box.west * kUnitsPerDegree, east = box.east * kUnitsPerDegree;
  for (size_t i = 0; i < g.size(); ++i) {
    const GeoPoint a = g[i], b = g[(i + 1) % g.size()];
    out.push_back(a);
    const bool onLatLine = a.lat == b.lat && (a.lat == south || a.lat == north);
    const bool onLonLine = a.lon == b.lon && (a.lon == west || a.lon == east);
    if (!onLatLine && !onLonLine) continue;
    const int32_t from = onLatLine ? a.lon : a.lat, to = onLatLine ? b.lon : b.lat;
    const int32_t lo = onLatLine ? west : south, hi = onLatLine ? east : north;
    const int step = from < to ? 1 : -1;
    // Whole degrees strictly between from and to, within the box's side.
    int d = from < to ? static_cast<int>(std::floor(from / 1e7)) + 1 : static_cast<int>(std::ceil(from / 1e7)) - 1;
    for (; step > 0 ? int64_t{d} * kUnitsPerDegree < to : int64_t{d} * kUnitsPerDegree > to; d += step) {
      const int32_t v = d * kUnitsPerDegree;
      if (v <= lo || v >= hi) continue;
      out.push_back(onLatLine ? GeoPoint{a.lat, v} : GeoPoint{v, a.lon});
    }
  }
  ring.points = std::move(out);
}

int Run(const fs::path& outDir, const std::string& gmtProgram, const FullBox& box) {
  const fs::path scratch = fs::temp_directory_path() / ("make_coast_tiles." + std::to_string(getpid()));
  fs::create_directories(scratch);
  struct Cleanup {
    fs::path p;
    ~Cleanup() {
      std::error_code ec;
      fs::remove_all(p, ec);
    }
  } cleanup{scratch};
  // GMT leaves a history file where it runs: let it run in the scratch folder.
  const std::string gmt = "cd " + Quote(scratch.string()) + " && " + Quote(gmtProgram);
  const std::string region = " -R" + std::to_string(kWest) + "/" + std::to_string(kEast) + "/" +
                             std::to_string(kSouth) + "/" + std::to_string(kNorth);
  std::vector<Segment> shore = ParseSegments(RunCommand(gmt + " coast" + region + " -Dh -W -M"), "Shore");
  if (!box.Empty()) {
    // Inside the box the high-resolution pieces give way to the full-resolution ones.
    std::erase_if(shore, [&](const Segment& s) { return box.Contains(CellOfNumber(s.bin)); });
    const std::string fullRegion = " -R" + std::to_string(box.west) + "/" + std::to_string(box.east) + "/" +
                                   std::to_string(box.south) + "/" + std::to_string(box.north);
    std::vector<Segment> full =
        ParseSegments(RunCommand(gmt + " coast" + fullRegion + " -Df -W -M"), "Shore", kFullKeyOffset);
    shore.insert(shore.end(), std::make_move_iterator(full.begin()), std::make_move_iterator(full.end()));
  }
  const std::vector<Segment> borders =
      ParseSegments(RunCommand(gmt + " coast" + region + " -Dh -N1 -M"), "Border");

  std::map<int, CoastBin> bins;
  const auto addBin = [&bins](const BinCell& cell) {
    CoastBin& b = bins[cell.Number()];
    b.south = cell.South() * kUnitsPerDegree;
    b.north = (cell.South() + cell.degrees) * kUnitsPerDegree;
    b.west = cell.West() * kUnitsPerDegree;
    b.east = (cell.West() + cell.degrees) * kUnitsPerDegree;
  };
  for (int row = (90 - kNorth) / kBinDegrees; row < (90 - kSouth) / kBinDegrees; ++row)
    for (int column = kWest / kBinDegrees; column < kEast / kBinDegrees; ++column) {
      const BinCell cell{row, column};
      if (!box.Contains(cell)) {
        addBin(cell);
        continue;
      }
      for (int r = 0; r < kBinDegrees / kFullBinDegrees; ++r)
        for (int c = 0; c < kBinDegrees / kFullBinDegrees; ++c)
          addBin({(90 - cell.South()) / kFullBinDegrees - 1 - r, cell.West() / kFullBinDegrees + c, kFullBinDegrees});
    }
  size_t shorePoints = 0, fullPoints = 0;
  for (const Segment& s : shore) {
    const auto it = bins.find(s.bin);
    if (it == bins.end() || s.level < 1 || s.level > 4 || s.points.size() < 2)
      throw std::runtime_error("shoreline piece in bin " + std::to_string(s.bin) + " outside the tiles");
    for (const GeoPoint& p : s.points)
      if (p.lat < it->second.south - 2 || p.lat > it->second.north + 2 || p.lon < it->second.west - 2 ||
          p.lon > it->second.east + 2)
        throw std::runtime_error("a point of bin " + std::to_string(s.bin) + " lies outside the bin");
    it->second.pieces.push_back({s.level, s.points});
    shorePoints += s.points.size();
    if (IsFullKey(s.bin)) fullPoints += s.points.size();
  }
  MeetingReport meeting;
  if (!box.Empty()) {
    meeting = MeetAtFullBox(bins, box);
    for (const std::string& m : meeting.mismatches) std::fprintf(stderr, "full box edge: %s\n", m.c_str());
    if (!meeting.mismatches.empty())
      throw std::runtime_error("the two resolutions cross the full box's edge differently");
    std::fprintf(stderr, "%zu shoreline ends moved onto the full resolution's at the box's edge (at most %.0f m)\n",
                 meeting.moved, meeting.maxMetres);
  }

  // The land-on-the-left rule, piece by piece, and the border of bins no level-1 piece
  // crosses, each asked of the resolution the piece or bin comes from.
  struct Probe {
    std::pair<double, double> at;
    int bin;
    bool land = false;
  };
  std::vector<Probe> probes;
  for (const Segment& s : shore)
    if (s.level == 1) probes.push_back({LeftOf(s.points), s.bin});
  const size_t leftProbes = probes.size();
  std::map<int, size_t> borderProbe;
  for (auto& [number, bin] : bins) {
    bool crossed = false;
    for (const ShorePiece& p : bin.pieces) crossed = crossed || (p.level == 1 && !(p.points.front() == p.points.back()));
    if (crossed) continue;
    // A point just inside the border that no island of the bin encloses.
    const double s = bin.south * 1e-7, w = bin.west * 1e-7, n = bin.north * 1e-7, e = bin.east * 1e-7;
    const double in = 1e-4;
    const std::pair<double, double> candidates[] = {
        {s + in, w + in}, {s + in, e - in}, {n - in, e - in}, {n - in, w + in},
        {s + in, (w + e) / 2}, {n - in, (w + e) / 2}, {(s + n) / 2, w + in}, {(s + n) / 2, e - in}};
    for (const auto& c : candidates) {
      bool enclosed = false;
      for (const ShorePiece& p : bin.pieces) enclosed = enclosed || (p.level == 1 && RingContains(p.points, c.first, c.second));
      if (enclosed) continue;
      borderProbe[number] = probes.size();
      probes.push_back({c, number});
      break;
    }
    if (!borderProbe.count(number)) throw std::runtime_error("no free border point in bin " + std::to_string(number));
  }
  for (const bool full : {false, true}) {
    std::vector<std::pair<double, double>> points;
    std::vector<size_t> index;
    for (size_t i = 0; i < probes.size(); ++i)
      if (IsFullKey(probes[i].bin) == full) points.push_back(probes[i].at), index.push_back(i);
    if (points.empty()) continue;
    const std::vector<bool> land = OnLand(gmt, points, full ? 'f' : 'h', scratch);
    for (size_t k = 0; k < index.size(); ++k) probes[index[k]].land = land[k];
  }
  size_t leftOnLand = 0;
  for (size_t i = 0; i < leftProbes; ++i) leftOnLand += probes[i].land;
  std::fprintf(stderr, "land on the left of %zu of %zu sea shoreline pieces\n", leftOnLand, leftProbes);
  // A few probes may fall across a neighbouring shore in narrow waters; more means the
  // rule does not hold and the tiles would be wrong.
  if (leftOnLand * 100 < leftProbes * 98) throw std::runtime_error("the land-on-the-left rule does not hold");
  size_t landBins = 0;
  for (const auto& [number, index] : borderProbe) {
    bins[number].borderOnLand = probes[index].land;
    landBins += probes[index].land;
  }

  std::vector<CoastRing> rings;
  for (const auto& [number, bin] : bins) {
    std::vector<CoastRing> r = JoinBinPieces(bin, number);
    if (!box.Empty() && !IsFullKey(number))
      for (CoastRing& ring : r) AddFullGridPoints(ring, box);
    rings.insert(rings.end(), std::make_move_iterator(r.begin()), std::make_move_iterator(r.end()));
  }
  const size_t joined = rings.size();
  const int splices = SpliceShortBorderEdges(rings);

  std::vector<ChartFileWriter> tiles;
  for (int t = 0; t < 4; ++t) {
    const int south = kSouth + (t / 2) * kTileDegrees, west = kWest + (t % 2) * kTileDegrees;
    tiles.emplace_back((south + kTileDegrees) * kUnitsPerDegree, west * kUnitsPerDegree, south * kUnitsPerDegree,
                       (west + kTileDegrees) * kUnitsPerDegree);
  }
  const std::vector<int> ringTiles = SortForDrawing(rings);
  size_t ringPoints = 0;
  for (size_t i = 0; i < rings.size(); ++i) {
    tiles[static_cast<size_t>(ringTiles[i])].AddRecord(KindLetter(rings[i].kind), rings[i].points);
    ringPoints += rings[i].points.size();
  }
  size_t borderPoints = 0;
  for (const Segment& s : borders) {
    tiles[TileOf(CellOfNumber(s.bin))].AddRecord('L', s.points, "<R>");
    borderPoints += s.points.size();
  }

  // The catalog holds its header, every tile's records without their headers and end
  // markers, and one end marker.
  size_t totalWords = 10 + 1;
  for (const ChartFileWriter& tile : tiles) totalWords += tile.Words().size() - 11;
  fs::create_directories(outDir);
  for (size_t t = 0; t < tiles.size() && totalWords <= kChartImageWords; ++t) {
    std::string error;
    const fs::path path = outDir / (std::string(kTileNames[t]) + kTileExtension);
    if (!tiles[t].Save(path, error)) throw std::runtime_error(error);
    std::printf("%s: %zu records, %zu words\n", path.c_str(), tiles[t].RecordCount(), tiles[t].Words().size());
  }
  std::printf(
      "%zu shoreline pieces (%zu points, %zu of them full resolution), %zu whole-land bins, %zu rings joined, %d spliced, %zu rings "
      "(%zu points), %zu border lines (%zu points); catalog %zu words of %zu\n",
      shore.size(), shorePoints, fullPoints, landBins, joined, splices, rings.size(), ringPoints, borders.size(), borderPoints,
      totalWords, kChartImageWords);
  if (totalWords > kChartImageWords) throw std::runtime_error("the tiles do not fit the catalog image");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  fs::path outDir;
  std::string gmt = "gmt";
  FullBox box;
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--out" && i + 1 < argc) {
      outDir = argv[++i];
    } else if (a == "--gmt" && i + 1 < argc) {
      gmt = argv[++i];
    } else if (a == "--full" && i + 1 < argc) {
      if (std::sscanf(argv[++i], "%d/%d/%d/%d", &box.west, &box.east, &box.south, &box.north) != 4 || box.Empty() ||
          box.west < kWest || box.east > kEast || box.south < kSouth || box.north > kNorth || box.west % kBinDegrees ||
          box.east % kBinDegrees || box.south % kBinDegrees || box.north % kBinDegrees) {
        std::fprintf(stderr, "make_coast_tiles: --full wants WEST/EAST/SOUTH/NORTH in even degrees within 120/160/20/60\n");
        return 2;
      }
    } else {
      std::fprintf(stderr, "make_coast_tiles: unknown or incomplete argument: %s\n", argv[i]);
      return 2;
    }
  }
  if (outDir.empty()) {
    std::fprintf(stderr, "make_coast_tiles: --out DIR is required\n");
    return 2;
  }
  try {
    return Run(outDir, gmt, box);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_coast_tiles: %s\n", e.what());
    return 1;
  }
}
