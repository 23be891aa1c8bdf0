// make_coast_tiles: writes the four coastline tiles (N20E120, N20E140, N40E120, N40E140)
// from the GSHHG high-resolution shorelines, asking GMT for them:
//
//   make_coast_tiles --out DIR [--gmt PROGRAM]
//
// `gmt coast -Dh -W -M` hands the shorelines out in 2-degree bins, each piece with land
// on its left. Pieces are joined along their bin's edges into land, lake and lake-island
// rings; a bin no shoreline crosses is land or sea as GMT says of a point on its border.
// The land-on-the-left rule is checked against `gmt select` before anything is written,
// and national borders are added as red lines. Exit status 0 when the tiles were
// written, 1 when GMT failed or its data broke a rule, 2 on bad arguments.
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
std::vector<Segment> ParseSegments(const std::string& text, std::string_view headerWord) {
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
  int Number() const { return row * kBinColumns + column; }
  int South() const { return 90 - kBinDegrees * (row + 1); }
  int West() const { return kBinDegrees * column; }
};

BinCell CellOfNumber(int number) { return {number / kBinColumns, number % kBinColumns}; }

// Asks `gmt select` which of the points (latitude, longitude in degrees) lie inside
// GSHHG's land (lakes count as inside, they lie within the land's shoreline).
std::vector<bool> OnLand(const std::string& gmt, const std::vector<std::pair<double, double>>& points,
                         const fs::path& scratch) {
  const fs::path file = scratch / "points.txt";
  std::FILE* f = std::fopen(file.c_str(), "w");
  if (f == nullptr) throw std::runtime_error("cannot write " + file.string());
  for (size_t i = 0; i < points.size(); ++i) std::fprintf(f, "%.9f %.9f %zu\n", points[i].second, points[i].first, i);
  std::fclose(f);
  const std::string out = RunCommand(gmt + " select " + Quote(file.string()) + " -Ns/k/k/k/k -Dh");
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

int Run(const fs::path& outDir, const std::string& gmtProgram) {
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
  const std::vector<Segment> shore =
      ParseSegments(RunCommand(gmt + " coast" + region + " -Dh -W -M"), "Shore");
  const std::vector<Segment> borders =
      ParseSegments(RunCommand(gmt + " coast" + region + " -Dh -N1 -M"), "Border");

  std::map<int, CoastBin> bins;
  for (int row = (90 - kNorth) / kBinDegrees; row < (90 - kSouth) / kBinDegrees; ++row)
    for (int column = kWest / kBinDegrees; column < kEast / kBinDegrees; ++column) {
      const BinCell cell{row, column};
      CoastBin& b = bins[cell.Number()];
      b.south = cell.South() * kUnitsPerDegree;
      b.north = (cell.South() + kBinDegrees) * kUnitsPerDegree;
      b.west = cell.West() * kUnitsPerDegree;
      b.east = (cell.West() + kBinDegrees) * kUnitsPerDegree;
    }
  size_t shorePoints = 0;
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
  }

  // The land-on-the-left rule, piece by piece, and the border of bins no level-1 piece crosses.
  std::vector<std::pair<double, double>> probes;
  std::vector<int> probeBin;
  size_t leftProbes = 0;
  for (const Segment& s : shore)
    if (s.level == 1) {
      probes.push_back(LeftOf(s.points));
      probeBin.push_back(s.bin);
    }
  leftProbes = probes.size();
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
      probes.push_back(c);
      probeBin.push_back(number);
      break;
    }
    if (!borderProbe.count(number)) throw std::runtime_error("no free border point in bin " + std::to_string(number));
  }
  const std::vector<bool> land = OnLand(gmt, probes, scratch);
  size_t leftOnLand = 0;
  for (size_t i = 0; i < leftProbes; ++i) leftOnLand += land[i];
  std::fprintf(stderr, "land on the left of %zu of %zu sea shoreline pieces\n", leftOnLand, leftProbes);
  // A few probes may fall across a neighbouring shore in narrow waters; more means the
  // rule does not hold and the tiles would be wrong.
  if (leftOnLand * 100 < leftProbes * 98) throw std::runtime_error("the land-on-the-left rule does not hold");
  size_t landBins = 0;
  for (const auto& [number, index] : borderProbe) {
    bins[number].borderOnLand = land[index];
    landBins += land[index];
  }

  std::vector<CoastRing> rings;
  for (const auto& [number, bin] : bins) {
    std::vector<CoastRing> r = JoinBinPieces(bin, number);
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

  fs::create_directories(outDir);
  size_t totalWords = 10 + 1;
  for (size_t t = 0; t < tiles.size(); ++t) {
    std::string error;
    const fs::path path = outDir / (std::string(kTileNames[t]) + kTileExtension);
    if (!tiles[t].Save(path, error)) throw std::runtime_error(error);
    const size_t words = tiles[t].Words().size();
    totalWords += words - 11;
    std::printf("%s: %zu records, %zu words\n", path.c_str(), tiles[t].RecordCount(), words);
  }
  std::printf(
      "%zu shoreline pieces (%zu points), %zu whole-land bins, %zu rings joined, %d spliced, %zu rings "
      "(%zu points), %zu border lines (%zu points); catalog %zu words of %zu\n",
      shore.size(), shorePoints, landBins, joined, splices, rings.size(), ringPoints, borders.size(), borderPoints,
      totalWords, kChartImageWords);
  if (totalWords > kChartImageWords) throw std::runtime_error("the tiles do not fit the catalog image");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  fs::path outDir;
  std::string gmt = "gmt";
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--out" && i + 1 < argc) {
      outDir = argv[++i];
    } else if (a == "--gmt" && i + 1 < argc) {
      gmt = argv[++i];
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
    return Run(outDir, gmt);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_coast_tiles: %s\n", e.what());
    return 1;
  }
}
