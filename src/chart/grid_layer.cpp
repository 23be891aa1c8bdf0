#include "chart/grid_layer.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace aismon {

namespace {

// Grid steps in seconds of arc: 1", 2", 5", 10", 20", 30", 1', 2', 5', 10', 20', 30', 1, 2, 5 degrees.
constexpr int32_t kGridLadder[] = {1, 2, 5, 10, 20, 30, 60, 120, 300, 600, 1200, 1800, 3600, 7200, 18000};
// 22, not 20: the rings keep the spacing the program has always shown.
constexpr int32_t kRingSteps[] = {100, 50, 22, 10, 5, 2};
constexpr int32_t kRingThresholds[] = {99, 50, 20, 10, 5, 2};

constexpr Rgb kGridPen{192, 192, 192};
constexpr Rgb kLabelFill{255, 255, 136};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kRingLabel{255, 255, 0};
constexpr char kDegreeMark = '\xDF';  // half-width "ﾟ" in Shift-JIS
constexpr int kLabelHeight = 28;
constexpr int kWholeDegreeHeight = 48;
constexpr char kArialSjis[] = "Arial";

int32_t RoundedSeconds(double deg) {
  // Pinned so that no angle, however wild, overflows the conversion.
  if (!(deg > -500000.0)) deg = std::isnan(deg) ? 0.0 : -500000.0;
  if (deg > 500000.0) deg = 500000.0;
  return static_cast<int32_t>(deg >= 0 ? std::trunc(deg * 3600 + 0.5) : std::trunc(deg * 3600 - 0.5));
}

// A little air between two labels; closer ones are left out rather than printed over
// each other (zoomed far out the lines come closer than their labels are long).
constexpr int32_t kLabelGap = 4;

// Rough extent of a ring label in the 36-pixel label face, to decide how many rings to
// label; measuring would change the font the first label is measured in.
constexpr int32_t kRingDigitWidth = 20;
constexpr int32_t kRingLabelHeight = 36;

// Whole minutes lose their seconds; whole degrees lose minutes and seconds and grow.
void ShortenLabel(GridLabel& g, size_t minutesCut, size_t degreesCut) {
  g.fontHeight = kLabelHeight;
  if (std::strstr(g.text, "00\"") == nullptr) return;
  g.text[minutesCut] = '\0';
  if (std::strstr(g.text, "00'") == nullptr) return;
  g.text[degreesCut] = '\0';
  g.fontHeight = kWholeDegreeHeight;
}

std::string_view Trimmed(const char* s) {
  std::string_view v(s);
  while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
  while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
  return v;
}

}  // namespace

int32_t GridStepSeconds(double degLatPerPixel) {
  const double limit = degLatPerPixel * 3600 * 300 * 2;
  int32_t step = kGridLadder[0];
  for (const int32_t s : kGridLadder) {
    if (s > limit) break;
    step = s;
  }
  return step;
}

GridLabel LatitudeGridLabel(double lat) {
  int32_t s = RoundedSeconds(lat);
  if (s < 0) s = -s;
  GridLabel g{};
  std::snprintf(g.text, sizeof g.text, "%2d%c%02d'%02d\"", s / 3600, kDegreeMark, (s % 3600) / 60, s % 60);
  ShortenLabel(g, 6, 3);
  return g;
}

GridLabel LongitudeGridLabel(double lon) {
  int32_t s = RoundedSeconds(lon);
  while (s >= 648000) s -= 1296000;
  while (s <= -648000) s += 1296000;
  if (s <= 0) s = -s;
  GridLabel g{};
  std::snprintf(g.text, sizeof g.text, "%3d%c%02d'%02d\"", s / 3600, kDegreeMark, (s % 3600) / 60, s % 60);
  ShortenLabel(g, 7, 4);
  return g;
}

int32_t RangeRingStepNm(double metersPerPixel) {
  const int32_t k = static_cast<int32_t>(std::trunc(metersPerPixel * 0.2));
  for (size_t i = 0; i < std::size(kRingSteps); ++i)
    if (k >= kRingThresholds[i]) return kRingSteps[i];
  return 1;
}

int32_t RangeRingRadius(int32_t i, int32_t stepNm, double metersPerPixel) {
  const int64_t meters = int64_t{i} * stepNm * 1852;
  return static_cast<int32_t>(std::trunc(static_cast<double>(meters) / metersPerPixel));
}

void DrawGrid(FrameContext& f, RotatePixelCache& rot, bool northUp, double rotationDeg) {
  Canvas& c = f.canvas;
  const ViewState& v = f.view;
  const int32_t W = v.width, H = v.height;
  const double N = v.northLat, Wl = v.westLon, S = v.southLat;
  double E = v.eastLon;
  if (Wl > E) E += 360;
  // Lines long enough to cover the bitmap at any rotation.
  const int32_t D = static_cast<int32_t>(std::trunc(std::sqrt(double(W) * W + double(H) * H)));
  const double dy = (N - S) / H;
  const double dx = (E - Wl) / W;
  const int32_t step = GridStepSeconds(dy);
  const double stepDeg = step / 3600.0;

  double top = N + ((D - W) / 2) * dy;
  double left = Wl - ((D - H) / 2) * dx;
  double bottom = S - ((D - W) / 2) * dy;
  double right = E + ((D - H) / 2) * dx;
  top = std::floor(top * 3600 / step + 1) * step / 3600;
  left = std::floor(left * 3600 / step) * step / 3600;
  bottom = std::floor(bottom * 3600 / step) * step / 3600;
  right = std::floor(right * 3600 / step + 1) * step / 3600;

  c.SetPenColor(kGridPen);
  c.SetPenWidth(1);
  c.SetFontHeight(kLabelHeight);
  c.SetFontColor(kBlack);
  c.SetBrushColor(kLabelFill);
  c.SetBrushStyle(BrushStyle::Solid);

  // Only lines that exist on the earth: latitudes to the poles, longitudes within half a
  // turn of the centre (the projection wraps everything else onto them).
  const double polar = 90.0 + stepDeg * 1e-6;
  const double centerLon = v.centerLon;
  int32_t lastLabelTop = INT32_MAX;
  for (double lat = bottom; lat < top; lat += stepDeg) {
    if (lat < -polar || lat > polar) continue;
    const int32_t y = static_cast<int32_t>(std::trunc(H * (lat - N) / (S - N) + 0.5));
    const PixelPoint a = rot.Rotate(W, H, rotationDeg, (W - D) / 2, y);
    const PixelPoint b = rot.Rotate(W, H, rotationDeg, D, y);
    c.Line(a.x, a.y, b.x, b.y);
    const GridLabel g = LatitudeGridLabel(lat);
    c.SetFontHeight(g.fontHeight);
    if (northUp) {
      const int32_t h = c.TextHeight("@");
      // Lines run south to north, so each label lies above the one before.
      if (y - h / 2 + h + kLabelGap <= lastLabelTop) {
        c.TextOut(2, y - h / 2, Trimmed(g.text));
        lastLabelTop = y - h / 2;
      }
    }
  }

  // Meridians end at the poles.
  auto rowOf = [&](double lat) {
    const double y = std::trunc(H * (lat - N) / (S - N) + 0.5);
    return static_cast<int32_t>(std::fmax(std::fmin(y, 1e9), -1e9));
  };
  const int32_t meridianTop = std::max((H - D) / 2, rowOf(90.0));
  const int32_t meridianBottom = std::min(D, rowOf(-90.0));
  int32_t lastLabelRight = INT32_MIN;
  for (double lon = left; lon < right; lon += stepDeg) {
    if (lon <= centerLon - 180.0 - stepDeg * 1e-6 || lon > centerLon + 180.0 + stepDeg * 1e-6) continue;
    const int32_t x = static_cast<int32_t>(std::trunc(W * (lon - Wl) / (E - Wl) + 0.5));
    const PixelPoint a = rot.Rotate(W, H, rotationDeg, x, meridianTop);
    const PixelPoint b = rot.Rotate(W, H, rotationDeg, x, meridianBottom);
    c.Line(a.x, a.y, b.x, b.y);
    const GridLabel g = LongitudeGridLabel(lon);
    c.SetFontHeight(g.fontHeight);
    if (northUp) {
      const std::string_view text = Trimmed(g.text);
      const int32_t tw = c.TextWidth(text);
      const int32_t h = c.TextHeight("@");
      if (lastLabelRight == INT32_MIN || x - tw / 2 >= lastLabelRight + kLabelGap) {
        c.TextOut(x - tw / 2, H - h - 2, text);
        lastLabelRight = x - tw / 2 + tw;
      }
    }
  }

  char buf[48];
  if (!northUp) {
    // On a turned chart the labels would not sit on their lines: show the spacing instead.
    std::snprintf(buf, sizeof buf, "GRID SIZE : %02d'%02d\"", (step % 3600) / 60, step % 60);
    // Set above the bottom edge by its own height, as the labels of a north-up chart are:
    // at 14 pixels from the edge, as first laid out, half of it fell off the bitmap.
    c.TextOut(3, H - c.TextHeight("@") - 2, buf);
  }

  std::snprintf(buf, sizeof buf, "%0.0f%c", v.rotationDeg, kDegreeMark);
  c.SetFontPoints(64);
  c.SetBrushStyle(BrushStyle::Clear);
  c.SetFontColor(kWhite);
  c.TextOut((v.width - c.TextWidth(buf)) / 2, 2, buf);
}

void DrawRangeRings(FrameContext& f, double lat, double lon) {
  Canvas& c = f.canvas;
  const ViewState& v = f.view;
  int32_t x = 0, y = 0;
  if (!LatLonToPixel(v, lat, lon, x, y)) return;
  const int32_t step = RangeRingStepNm(v.metersPerPixel);
  c.SetBrushColor(Rgb{64, 64, 64});
  c.SetBrushStyle(BrushStyle::Clear);
  char text[16];
  // Label every ring while they lie far apart, and only every n-th once their labels would
  // touch along the axes.
  const int32_t spacing = RangeRingRadius(1, step, v.metersPerPixel);
  std::snprintf(text, sizeof text, "%d", 99 * step);
  const int32_t need = std::max<int32_t>(kRingLabelHeight + kLabelGap,
                                         kRingDigitWidth * static_cast<int32_t>(std::strlen(text)) + 2 * kLabelGap);
  const int32_t stride = spacing >= need ? 1 : spacing <= 0 ? 100 : (need + spacing - 1) / spacing;
  for (int32_t i = 1; i <= 99; ++i) {
    const int32_t r = RangeRingRadius(i, step, v.metersPerPixel);
    if (r > v.width) break;
    c.SetPenColor(kWhite);
    c.Arc(x - r, y - r, x + r, y + r, x + r, y, x + r, y);
    if (i % stride != 0) continue;
    std::snprintf(text, sizeof text, "%d", i * step);
    // Measured in the font in force before the label font is set, as it always was.
    const int32_t hw = c.TextWidth(text) / 2;
    c.SetFontFace(kArialSjis);
    c.SetFontHeight(36);
    c.SetFontColor(kRingLabel);
    c.TextOut(x - hw, y - 18 - r, text);
    c.TextOut(x - hw, y + r - 18, text);
    c.TextOut(x - hw - r, y - 18, text);
    c.TextOut(x + r - hw, y - 18, text);
  }
}

}  // namespace aismon
