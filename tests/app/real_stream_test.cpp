// Recorded streams from real receivers through the renderer with the default view ("全船表示"):
// the picture must hold the vessels that reported a position, at a sane centre and scale,
// and show them. The recordings live beside the project; without them this is skipped.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "chart/view_fit_filter.h"
#include "support/temp_files.h"

namespace aismon {
namespace {

namespace fs = std::filesystem;

struct Vessel {
  int mmsi;
  double lat, lon;
  int type;
};

QByteArray RunTool(const char* program, const QStringList& args, int* status) {
  QProcess p;
  p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  p.start(QString::fromLocal8Bit(program), args);
  p.waitForFinished(120000);
  *status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  return p.readAllStandardOutput();
}

// The stations aisdump's table holds with a position of their own, aids to navigation
// left out (they do not take part in fitting the view).
std::vector<Vessel> PositionedVessels(const QByteArray& dump) {
  std::vector<Vessel> out;
  for (const QByteArray& line : dump.split('\n')) {
    if (line.trimmed().isEmpty()) continue;
    const QJsonObject o = QJsonDocument::fromJson(line).object();
    const QJsonObject d = o.value("dynamic").toObject();
    const QJsonObject s = o.value("static").toObject();
    const double lat = d.value("Lat").toDouble(), lon = d.value("Lon").toDouble();
    if (o.value("index").toInt() < 1 || d.value("PosState").toInt() != 2 || d.value("LatInvalid").toInt() != 0 ||
        d.value("LonInvalid").toInt() != 0 || std::fabs(lat) > 90 || std::fabs(lon) > 180 ||
        s.value("Aids").toInt() != 0)
      continue;
    out.push_back(Vessel{d.value("MMSI").toInt(), lat, lon, s.value("Type").toInt()});
  }
  return out;
}

// The colour a symbol's inside has after the 2x2 averaging (two low bits of each channel
// dropped), by ship type.
QRgb DisplayedTypeColour(int type) {
  int r = 224, g = 224, b = 224;
  if (type >= 70 && type <= 79) r = 0, g = 224, b = 0;
  if (type >= 80 && type <= 89) r = 255, g = 64, b = 64;
  if (type >= 60 && type <= 69) r = 64, g = 64, b = 255;
  if (type >= 40 && type <= 49) r = 240, g = 240, b = 0;
  if (type == 52) r = 64, g = 240, b = 240;
  if (type == 30) r = 255, g = 176, b = 128;
  if (type == 37) r = 255, g = 128, b = 255;
  return qRgb(r & 0xFC, g & 0xFC, b & 0xFC);
}

TEST(RealStream, DefaultViewHoldsAndShowsTheReportedVessels) {
  const fs::path corpus = AISMON_CORPUS_DIR;
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "no recordings at " << corpus;
  int files = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(corpus)) {
    const std::string name = entry.path().filename().string();
    if (!entry.is_regular_file() || name == "README.md") continue;
    ++files;
    SCOPED_TRACE(name);
    testing::TempFolder tmp;
    int status = 0;
    const QString input = QString::fromStdString(entry.path().string());
    const std::vector<Vessel> vessels = PositionedVessels(RunTool(AISDUMP_PATH, {input}, &status));
    ASSERT_EQ(status, 0);
    ASSERT_FALSE(vessels.empty()) << "a recording of real traffic with no position at all";

    const QString png = QString::fromStdString((tmp.path() / "frame.png").string());
    const QString report = QString::fromStdString((tmp.path() / "view.json").string());
    // Three frames: by the third no report is fresh enough to flash over its neighbours.
    RunTool(AISRENDER_PATH, {"--out", png, "--report", report, "--input", input, "--frames", "3"}, &status);
    ASSERT_EQ(status, 0);
    const QJsonObject v = QJsonDocument::fromJson(QByteArray::fromStdString([&] {
                            const testing::Bytes b = testing::ReadBytes(tmp.path() / "view.json");
                            return std::string(b.begin(), b.end());
                          }())).object();
    const double cLat = v.value("centerLat").toDouble(), cLon = v.value("centerLon").toDouble();
    const double mpp = v.value("metersPerPixel").toDouble();
    ASSERT_TRUE(std::isfinite(cLat) && std::fabs(cLat) <= 90) << cLat;
    ASSERT_TRUE(std::isfinite(cLon) && std::fabs(cLon) <= 180) << cLon;
    ASSERT_TRUE(mpp >= 10 && mpp <= 10000) << mpp;

    // Every vessel inside the view's edges, unless they lie too far apart for the widest
    // scale (then the scale is the widest) or the view leaves it out as far from the rest.
    ViewFitFilter rule(vessels.size());
    std::vector<long> offered;  // the rule's index of each vessel, -1 when it never counts
    for (const Vessel& s : vessels) offered.push_back(rule.Add(s.lat, s.lon) ? static_cast<long>(rule.Count()) - 1 : -1);
    rule.Decide();
    if (vessels.size() >= 2 && mpp < 10000) {
      for (size_t i = 0; i < vessels.size(); ++i) {
        const Vessel& s = vessels[i];
        if (offered[i] < 0 || !rule.Kept(static_cast<size_t>(offered[i]))) continue;
        EXPECT_GE(s.lat, v.value("southLat").toDouble()) << s.mmsi;
        EXPECT_LE(s.lat, v.value("northLat").toDouble()) << s.mmsi;
        EXPECT_GE(s.lon, v.value("westLon").toDouble()) << s.mmsi;
        EXPECT_LE(s.lon, v.value("eastLon").toDouble()) << s.mmsi;
      }
    }

    // And drawn: its type colour close to where it projects, for the vessels clear of the
    // edges and of the panels at the right.
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    const int W = v.value("width").toInt(), H = v.value("height").toInt();
    const double k = std::fmax(std::cos(cLat * M_PI / 180), 0.173);
    const double pxPerDegLat = 1852.0 * 60 / mpp, pxPerDegLon = 1852.0 * 60 * k / mpp;
    int considered = 0, shown = 0;
    for (const Vessel& s : vessels) {
      const int x = static_cast<int>((W / 2 + (s.lon - cLon) * pxPerDegLon) / 2);
      const int y = static_cast<int>((H / 2 - (s.lat - cLat) * pxPerDegLat) / 2);
      if (x < 12 || y < 12 || x >= image.width() - 230 || y >= image.height() - 12) continue;
      ++considered;
      const QRgb want = DisplayedTypeColour(s.type);
      bool found = false;
      for (int dy = -7; dy <= 7 && !found; ++dy)
        for (int dx = -7; dx <= 7 && !found; ++dx) found = (image.pixel(x + dx, y + dy) & 0xFFFFFF) == (want & 0xFFFFFF);
      shown += found;
    }
    ASSERT_GT(considered, 0);
    // Symbols may cover one another where traffic is dense.
    EXPECT_GE(shown * 10, considered * 8) << shown << " of " << considered << " vessels seen";
  }
  EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace aismon
