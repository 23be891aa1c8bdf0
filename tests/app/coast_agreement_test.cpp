// The coastline as aisrender draws it from the generated tiles, against GMT's own land
// mask of the same area at the same scale and resolution (full inside the box the tiles
// took at full resolution, high outside it): land and sea must agree on nearly every
// pixel, also in views across the box's edge, where the two resolutions meet.
// Needs the tiles and gmt; skipped where the build could not make them.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "basechart/chart_catalog.h"
#include "support/temp_files.h"

namespace aismon {
namespace {

namespace fs = std::filesystem;

#ifdef AISMON_TILE_DIR

constexpr int kWidth = 960;
constexpr int kHeight = 1000;

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// Runs a shell command with its messages hidden; its output goes where the command says.
bool RunQuiet(const std::string& command) { return std::system(("{ " + command + "; } 2>/dev/null").c_str()) == 0; }

// GMT's land mask (1 land, 0 ocean or lake), one value per paint-box pixel, row by row
// from the top. Pixel centres are where the frame's projection puts them: display pixel
// X averages work pixels 2X and 2X+1, whose centres lie 2X+0.5 work pixels from the left.
std::vector<char> GmtLandMask(const fs::path& dir, double lat, double lon, double mpp, char resolution) {
  const double k = std::max(std::cos(lat * M_PI / 180), 0.173);
  const double dLon = mpp / 1852 / (60 * k), dLat = mpp / 1852 / 60;  // per work pixel
  const double west = lon - (kWidth + 0.5) * dLon, east = west + 2 * kWidth * dLon;
  const double north = lat + (kHeight + 0.5) * dLat, south = north - 2 * kHeight * dLat;
  char region[256];
  std::snprintf(region, sizeof region, "-R%.10f/%.10f/%.10f/%.10f -I%d+n/%d+n -r", west, east, south, north, kWidth,
                kHeight);
  const fs::path grid = dir / "mask.nc", values = dir / "mask.txt";
  const std::string cd = "cd " + Quote(dir.string()) + " && ";
  if (!RunQuiet(cd + "gmt grdlandmask " + region + " -D" + std::string(1, resolution) + " -N0/1/0/1/0 -G" + Quote(grid.string())) ||
      !RunQuiet(cd + "gmt grd2xyz " + Quote(grid.string()) + " -ZTLa > " + Quote(values.string())))
    return {};
  std::vector<char> mask;
  mask.reserve(kWidth * kHeight);
  std::FILE* f = std::fopen(values.c_str(), "r");
  if (f == nullptr) return {};
  double v;
  while (std::fscanf(f, "%lf", &v) == 1) mask.push_back(v > 0.5 ? 1 : 0);
  std::fclose(f);
  return mask;
}

struct View {
  const char* name;
  double lat, lon, mpp;
};

const View kViews[] = {
    {"osaka_bay", 34.6, 135.3, 15},
    {"tokyo_bay", 35.5, 139.8, 40},
    {"kanmon_strait", 33.95, 130.95, 8},
    {"all_japan", 37, 137, 2500},
    // A lake across a bin border, drawn over the land of both bins.
    {"lake_biwa", 35.25, 136.05, 80},
    // Across the edges of the full-resolution box: the islands off Korea's south-west
    // corner at 126 E, Aniva Bay and Sakhalin at 46 N, Kunashir at 146 E.
    {"box_edge_korea", 34.4, 126.0, 40},
    {"box_edge_sakhalin", 46.0, 142.3, 100},
    {"box_edge_kunashir", 44.2, 146.0, 60},
};

// The box drawn at full resolution, west/east/south/north; none in builds without the
// full-resolution data.
struct FullBox {
  double west = 0, east = 0, south = 0, north = 0;
  bool Contains(double lat, double lon) const { return lon >= west && lon < east && lat >= south && lat < north; }
};

FullBox TilesFullBox() {
  FullBox b;
  if (std::sscanf(AISMON_TILE_FULL_BOX, "%lf/%lf/%lf/%lf", &b.west, &b.east, &b.south, &b.north) != 4) return {};
  return b;
}

class CoastAgreementTest : public ::testing::TestWithParam<View> {};

TEST_P(CoastAgreementTest, LandAndSeaAgreeWithGmt) {
  if (!RunQuiet("command -v gmt >/dev/null")) GTEST_SKIP() << "gmt is not installed";
  const View& v = GetParam();
  testing::TempFolder tmp;
  const fs::path home = tmp.path() / "home";
  fs::create_directories(home);
  for (std::string_view tile : kTileNames) {
    const fs::path from = fs::path(AISMON_TILE_DIR) / (std::string(tile) + kTileExtension);
    if (!fs::exists(from)) GTEST_SKIP() << "no tile " << from;
    fs::create_directories(TilePath(home, tile).parent_path());
    fs::copy_file(from, TilePath(home, tile));
  }

  const fs::path png = tmp.path() / (std::string(v.name) + ".png");
  char center[64], mpp[32];
  std::snprintf(center, sizeof center, "%.6f,%.6f", v.lat, v.lon);
  std::snprintf(mpp, sizeof mpp, "%g", v.mpp);
  ASSERT_TRUE(RunQuiet(std::string(AISRENDER_PATH) + " --out " + Quote(png.string()) + " --home " +
                       Quote(home.string()) + " --center " + center + " --mpp " + mpp + " --grid 0 --rings 0"));
  const QImage image(QString::fromStdString(png.string()));
  ASSERT_EQ(image.width(), kWidth);
  ASSERT_EQ(image.height(), kHeight);
  const std::vector<char> high = GmtLandMask(tmp.path(), v.lat, v.lon, v.mpp, 'h');
  ASSERT_EQ(high.size(), static_cast<size_t>(kWidth * kHeight));
  const FullBox box = TilesFullBox();
  const std::vector<char> full = box.west < box.east ? GmtLandMask(tmp.path(), v.lat, v.lon, v.mpp, 'f') : high;
  ASSERT_EQ(full.size(), static_cast<size_t>(kWidth * kHeight));

  const double k = std::max(std::cos(v.lat * M_PI / 180), 0.173);
  const double dLon = v.mpp / 1852 / (60 * k), dLat = v.mpp / 1852 / 60;
  long compared = 0, agreed = 0, landPixels = 0;
  for (int y = 0; y < kHeight; ++y) {
    const double lat = v.lat + (kHeight - 2 * y - 0.5) * dLat;
    for (int x = 0; x < kWidth; ++x) {
      const double lon = v.lon + (2 * x + 0.5 - kWidth) * dLon;
      if (lat < 20 || lat > 60 || lon < 120 || lon > 160) continue;  // beyond the tiles' coverage
      if (x >= kWidth - 224 && y < 296) continue;                    // the panels' corner
      const QRgb p = image.pixel(x, y);
      const int r = qRed(p), g = qGreen(p);
      if (r > 200 && g > 200) continue;  // names and the compass text, yellow or white
      // Grey land, its silver coast and red borders against the dark blue sea and lakes,
      // halfway blends counting as land.
      const bool land = (r + g) / 2 >= 64;
      ++compared;
      const std::vector<char>& gmt = box.Contains(lat, lon) ? full : high;
      agreed += land == (gmt[static_cast<size_t>(y) * kWidth + x] != 0);
      landPixels += land;
    }
  }
  ASSERT_GT(compared, kWidth * kHeight / 4);
  const double agreement = 100.0 * agreed / compared;
  std::printf("[ coast    ] %s: %.2f %% of %ld pixels agree with gmt (%.1f %% land)\n", v.name, agreement, compared,
              100.0 * landPixels / compared);
  RecordProperty("agreement_percent", std::to_string(agreement));
  EXPECT_GT(landPixels, compared / 20) << "the view shows land";
  EXPECT_GE(agreement, 99.0);
}

INSTANTIATE_TEST_SUITE_P(Views, CoastAgreementTest, ::testing::ValuesIn(kViews),
                         [](const auto& info) { return std::string(info.param.name); });

#else

TEST(CoastAgreementTest, LandAndSeaAgreeWithGmt) { GTEST_SKIP() << "this build makes no coastline tiles"; }

#endif

}  // namespace
}  // namespace aismon
