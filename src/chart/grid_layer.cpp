#include "chart/grid_layer.h"

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
  return static_cast<int32_t>(deg >= 0 ? std::trunc(deg * 3600 + 0.5) : std::trunc(deg * 3600 - 0.5));
}

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

  for (double lat = bottom; lat < top; lat += stepDeg) {
    const int32_t y = static_cast<int32_t>(std::trunc(H * (lat - N) / (S - N) + 0.5));
    const PixelPoint a = rot.Rotate(W, H, rotationDeg, (W - D) / 2, y);
    const PixelPoint b = rot.Rotate(W, H, rotationDeg, D, y);
    c.Line(a.x, a.y, b.x, b.y);
    const GridLabel g = LatitudeGridLabel(lat);
    c.SetFontHeight(g.fontHeight);
    if (northUp) {
      const int32_t h = c.TextHeight("@");
      c.TextOut(2, y - h / 2, Trimmed(g.text));
    }
  }

  for (double lon = left; lon < right; lon += stepDeg) {
    const int32_t x = static_cast<int32_t>(std::trunc(W * (lon - Wl) / (E - Wl) + 0.5));
    const PixelPoint a = rot.Rotate(W, H, rotationDeg, x, (H - D) / 2);
    const PixelPoint b = rot.Rotate(W, H, rotationDeg, x, D);
    c.Line(a.x, a.y, b.x, b.y);
    const GridLabel g = LongitudeGridLabel(lon);
    c.SetFontHeight(g.fontHeight);
    if (northUp) {
      const std::string_view text = Trimmed(g.text);
      const int32_t tw = c.TextWidth(text);
      const int32_t h = c.TextHeight("@");
      c.TextOut(x - tw / 2, H - h - 2, text);
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
  for (int32_t i = 1; i <= 99; ++i) {
    const int32_t r = RangeRingRadius(i, step, v.metersPerPixel);
    if (r > v.width) break;
    c.SetPenColor(kWhite);
    c.Arc(x - r, y - r, x + r, y + r, x + r, y, x + r, y);
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
