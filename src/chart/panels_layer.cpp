#include "chart/panels_layer.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "chart/ship_layer.h"
#include "shipdb/received_position.h"
#include "watch/traffic_watch.h"

namespace aismon {

namespace {

constexpr double kRad = 3.141592653589793 / 180.0;
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kShade{0, 0, 128};
constexpr Rgb kYellow{255, 255, 0};
constexpr Rgb kGreen{0, 255, 0};

// Shift-JIS texts, kept as bytes so that nothing is converted while painting.
constexpr char kPanelFace[] = "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E";  // ＭＳ ゴシック
constexpr char kAidMark[] = "\x81\x9F";                                              // ◆
constexpr char kAidWord[] = "\x95\x57\x8E\xAF";                                      // 標識
constexpr char kOwnShipTitle[] = "\x8E\xA9\x91\x44\x8F\xEE\x95\xF1";                 // 自船情報
constexpr char kStaleFormat[] = "\x88\xCA\x92\x75\x91\x72\x8E\xB8 %u\x95\x62";        // 位置喪失 %u秒
constexpr Rgb kStaleRed{255, 64, 64};
constexpr char kShipCountFormat[] = "\x91\x44\x90\x94:%4d /%d";                      // 船数:%4d /%d
constexpr char kCallSignFormat[] = "CALL SIGN\x81\x46%.*s";                          // CALL SIGN：
// 船体長:%dm　船速:%.1fkn
constexpr char kLengthSpeedFormat[] = "\x91\x44\x91\xCC\x92\xB7:%dm\x81\x40\x91\x44\x91\xAC:%.1fkn";
constexpr char kHdgFormat[] = "HDG:%4.0f \xDF ";
constexpr char kCogFormat[] = "COG:%6.1f \xDF ";
constexpr char kRotFormat[] = "ROT:%5.1f \xDF/min";

constexpr uint32_t kPortQuietMs = 2000;  // a port silent longer is shown white
constexpr Rgb kFailedFill{192, 0, 0};     // a port or source that is not open
constexpr Rgb kConnectingFill{160, 160, 160};

constexpr char kReceivingWord[] = "\x8E\xF3\x90\x4D\x92\x86";                  // 受信中
constexpr char kListeningWord[] = "\x91\xD2\x8E\xF3\x92\x86";                  // 待受中
constexpr char kConnectedWord[] = "\x90\xDA\x91\xB1\x8D\xCF";                  // 接続済
constexpr char kConnectingWord[] = "\x90\xDA\x91\xB1\x8E\x8E\x8D\x73\x92\x86";  // 接続試行中
constexpr char kRetryFormat[] = "\x8D\xC4\x8E\x8E\x8D\x73 %ds";                // 再試行 %ds

constexpr int32_t kPanelTextWidth = 13 * 32;  // the text column of the panels
int32_t PanelX0(int32_t width) { return width - kPanelTextWidth - 8; }
constexpr int32_t kSourceBlockGap = 24;  // between the source rows and the legend
constexpr int32_t kComRowTop = 10;
constexpr int32_t kComRowHeight = 32;

int32_t Trunc(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(v);
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

// The file name after the last folder separator, stepping over two-byte characters whose
// second byte may be 0x5C.
std::string_view FileNameOnly(std::string_view path) {
  size_t start = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    const auto b = static_cast<unsigned char>(path[i]);
    if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) {
      ++i;
    } else if (b == '\\' || b == '/') {
      start = i + 1;
    }
  }
  return path.substr(start);
}

template <size_t N, typename... Args>
std::string_view Format(char (&buf)[N], const char* format, Args... args) {
  const int n = std::snprintf(buf, N, format, args...);
  if (n < 0) return {};
  return std::string_view(buf, static_cast<size_t>(n) < N ? static_cast<size_t>(n) : N - 1);
}

void DrawCompass(FrameContext& f) {
  Canvas& c = f.canvas;
  // The canvas's clip rectangle is the whole image.
  const int32_t cx = c.Width() - 540;
  const int32_t cy = 90;
  c.SetBrushColor(kWhite);
  c.SetBrushStyle(BrushStyle::DiagCross);
  c.Ellipse(cx - 80, cy - 80, cx + 80, cy + 80);
  static constexpr int8_t kNeedle[4][2] = {{0, -3}, {-3, -7}, {0, 8}, {3, -7}};
  const double theta = f.view.rotationDeg * kRad;
  const double sn = std::sin(theta), cs = std::cos(theta);
  PixelPoint pts[4];
  for (int i = 0; i < 4; ++i) {
    const double px = kNeedle[i][0] * 10.0, py = kNeedle[i][1] * 10.0;
    pts[i] = PixelPoint{Trunc(cx - (px * cs + py * sn)), Trunc(cy - (py * cs - px * sn))};
  }
  c.SetBrushStyle(BrushStyle::Solid);
  c.SetBrushColor(kYellow);
  c.Polygon(pts, 4);
}

void DrawPortRow(FrameContext& f, int32_t x0, int32_t lineH) {
  Canvas& c = f.canvas;
  c.SetFontPoints(24);
  c.SetFontColor(kWhite);
  c.SetBrushStyle(BrushStyle::Clear);
  c.TextOut(x0, 10, "COM");
  const uint32_t now = f.clock.TickMs();
  const bool blinkOn = (now & 0x100) != 0;
  int32_t n = 0;
  for (int port = 1; port <= 20; ++port) {
    const PortStatus& p = f.in.ports[port];
    if (!p.open && !p.missing) continue;
    if (!p.open) {
      c.SetBrushColor(kFailedFill);
      c.SetFontColor(kWhite);
    } else if (p.lastReadTick + kPortQuietMs < now) {
      c.SetBrushColor(kWhite);
      c.SetFontColor(kBlack);
    } else if (blinkOn) {
      c.SetBrushColor(Rgb{0, 0, 255});
      c.SetFontColor(kWhite);
    } else {
      c.SetBrushColor(kYellow);
      c.SetFontColor(kBlack);
    }
    c.SetBrushStyle(BrushStyle::Solid);
    char buf[16];
    c.TextOut(x0 + 2 * lineH + (n * lineH * 3) / 2, 10, Format(buf, "%.2d", port));
    ++n;
  }
}

// One row per network source, coloured as the COM numbers are, with a word for its state.
// Drawn only when there are sources.
void DrawSourceRows(FrameContext& f) {
  Canvas& c = f.canvas;
  const int32_t x0 = SourceBlockX0(c.Width());
  const int32_t n = f.in.sourceCount < kMaxSourcePanels ? f.in.sourceCount : kMaxSourcePanels;
  if (n <= 0) return;
  const int32_t top = kSourceBlockTop;
  StippleRect(c, x0 - 8, top - 4, x0 + kPanelTextWidth, top + kSourceRowHeight * (n + 1) + 4, kShade);
  c.SetFontPoints(24);
  c.SetFontColor(kWhite);
  c.SetBrushStyle(BrushStyle::Clear);
  c.TextOut(x0, top, "NET");
  const uint32_t now = f.clock.TickMs();
  const bool blinkOn = (now & 0x100) != 0;
  char buf[48];
  for (int32_t i = 0; i < n; ++i) {
    const SourceStatus& s = f.in.sources[i];
    const int32_t y = top + kSourceRowHeight * (i + 1);
    const bool open = s.state == SourcePanelState::Listening || s.state == SourcePanelState::Connected;
    const bool receiving = open && s.lastReadTick + kPortQuietMs >= now;
    Rgb fill = kWhite, text = kBlack;
    std::string_view word = s.state == SourcePanelState::Listening ? kListeningWord : kConnectedWord;
    if (s.state == SourcePanelState::Waiting) {
      fill = kFailedFill;
      text = kWhite;
      const int32_t left = static_cast<int32_t>(s.retryDueTick - now);
      word = Format(buf, kRetryFormat, left > 0 ? (left + 999) / 1000 : 0);
    } else if (s.state == SourcePanelState::Connecting) {
      fill = kConnectingFill;
      word = kConnectingWord;
    } else if (receiving) {
      fill = blinkOn ? Rgb{0, 0, 255} : kYellow;
      text = blinkOn ? kWhite : kBlack;
      word = kReceivingWord;
    }
    c.SetBrushStyle(BrushStyle::Solid);
    c.SetBrushColor(fill);
    c.SetFontColor(text);
    const std::string_view name(s.name, strnlen(s.name, sizeof s.name));
    c.TextOut(x0 + kSourceNameIndent, y, name);
    // The state word at the right, where a long host name leaves room for it; the colour
    // and the tooltip tell the state in any case.
    const int32_t wordX = x0 + kPanelTextWidth - c.TextWidth(word) - 8;
    if (x0 + kSourceNameIndent + c.TextWidth(name) + 16 <= wordX) {
      c.SetBrushStyle(BrushStyle::Clear);
      c.SetFontColor(s.state == SourcePanelState::Waiting ? Rgb{255, 128, 128} : kWhite);
      c.TextOut(wordX, y, word);
    }
  }
}

void DrawOwnShipPanel(FrameContext& f, int32_t x0, int32_t lineH, int32_t rowH) {
  Canvas& c = f.canvas;
  int32_t y = 1106;
  StippleRect(c, x0 - 8, y, x0 + 416, Trunc(y + rowH * 7.7), kShade);
  y += lineH / 6;
  c.SetBrushStyle(BrushStyle::Clear);
  c.SetFontPoints(lineH);
  const DbDynamic& own = *f.table.Entry(0);
  c.SetFontColor(kGreen);
  c.TextOut(x0, y, kOwnShipTitle);
  char buf[64];
  // A fix no longer fresh is marked beside the title with its age; a fresh one adds nothing.
  if (f.in.watch != nullptr && f.in.watch->OwnFixAge().Stale()) {
    c.SetFontColor(kStaleRed);
    c.SetFontPoints(24);  // smaller, to fit right of the title
    c.TextOut(x0 + 184, y + 8, Format(buf, kStaleFormat, f.in.watch->OwnFixAge().AgeMs() / 1000));
    c.SetFontPoints(lineH);
  }
  c.SetFontColor(kWhite);
  std::memcpy(buf, "LAT: ", 5);
  y += rowH;
  c.TextOut(x0, y, std::string_view(buf, 5 + FormatDegMinTo(buf + 5, sizeof buf - 5, own.Lat)));
  std::memcpy(buf, "LON: ", 5);
  y += rowH;
  c.TextOut(x0, y, std::string_view(buf, 5 + FormatDegMinTo(buf + 5, sizeof buf - 5, own.Lon)));
  y += lineH / 2;
  y += rowH;
  c.TextOut(x0, y, Format(buf, "SOG:%5.1f nm", own.Sog));
  y += rowH;
  c.TextOut(x0, y, Format(buf, kHdgFormat, own.Hdg));
  y += rowH;
  c.TextOut(x0, y, Format(buf, kCogFormat, own.Cog));
  y += rowH;
  c.TextOut(x0, y, Format(buf, kRotFormat, own.Rot));
}

void DrawDebugCounters(FrameContext& f) {
  Canvas& c = f.canvas;
  const IntakeCounters& k = f.counters;
  char buf[96];
  c.SetBrushStyle(BrushStyle::Clear);
  c.SetFontColor(kWhite);
  c.SetFontPoints(80);
  c.TextOut(100, 48, Format(buf, "    %.4d     %.2d", static_cast<int>(k.vdmCount / 10000),
                            static_cast<int>(k.rmcFixCount / 100)));
  c.SetFontColor(Rgb{0, 255, 255});
  c.TextOut(100, 48, Format(buf, "VDM      RMC   (%.2d)", static_cast<int>(k.rmcCount / 100)));
  const int64_t s = f.in.playback.playing ? f.in.playback.playbackElapsedMs / 1000
                                          : static_cast<int64_t>((f.clock.TickMs() - f.in.startTick) / 1000);
  c.SetFontPoints(60);
  c.SetFontColor(kGreen);
  c.TextOut(280, 150, Format(buf, "%lld:%.2lld(s)", static_cast<long long>(s / 60), static_cast<long long>(s % 60)));
  const DbDynamic& own = *f.table.Entry(0);
  c.SetFontColor(kWhite);
  c.SetFontPoints(80);
  c.TextOut(c.Width() - 1280, 48, Format(buf, "%6.2f km/h", own.Sog * 1.852));
}

void DrawPlaybackHistogram(FrameContext& f) {
  Canvas& c = f.canvas;
  const PlaybackView& p = f.in.playback;
  const int32_t x = 200, x2 = 680;
  const int32_t yt = c.Height() - 620, yb = c.Height() - 120;
  StippleRect(c, x - 8, yt - 8, x2 + 8, yb + 48, kShade);
  c.SetBrushStyle(BrushStyle::Clear);
  c.SetFontColor(kWhite);
  c.SetFontPoints(24);
  c.TextOut(x + 4, yt + 4, "500");
  c.SetFontPoints(32);
  c.TextOut(x + 4, yb + 4, FileNameOnly(p.playbackFileName));
  c.SetPenWidth(5);
  int64_t sum = 0;
  for (int i = 0; i < 60; ++i) {
    const int32_t count = p.minuteHistogram[i];
    sum += count;
    const int32_t bx = x + 8 * i + 4;
    c.SetPenColor(p.playbackPos > sum ? Rgb{0, 128, 0} : kYellow);
    c.Line(bx, yb, bx, yb - (count < 500 ? count : 500));
  }
  c.SetPenWidth(1);
}

}  // namespace

const LegendRow kLegend[kLegendRows] = {
    {{0, 224, 0}, 1.0, "\x89\xDD\x95\xA8\x91\x44"},                                              // 貨物船
    {{255, 64, 64}, 1.0, "\x83\x5E\x83\x93\x83\x4A\x81\x5B"},                                    // タンカー
    {{64, 64, 255}, 1.0, "\x97\xB7\x8B\x71\x91\x44"},                                            // 旅客船
    {{240, 240, 0}, 1.0, "\x8D\x82\x91\xAC\x91\x44"},                                            // 高速船
    {{64, 240, 240}, 0.8, "\xC0\xB8\xDE\xCE\xDE\xB0\xC4,Special Craft"},                         // ﾀｸﾞﾎﾞｰﾄ
    {{255, 176, 128}, 1.0, "\x8B\x99\x91\x44"},                                                  // 漁船
    {{255, 128, 255}, 1.0, "\x83\x76\x83\x8C\x83\x57\x83\x83\x81\x5B\x83\x7B\x81\x5B\x83\x67"},  // プレジャーボート
    {{224, 224, 224}, 1.0, "\x96\xA2\x8E\x77\x92\xE8"},                                          // 未指定
    {{255, 128, 204}, 1.0, "\x8D\x71\x98\x48\x95\x57\x8E\xAF"},                                  // 航路標識
};

size_t FormatDegMinTo(char* out, size_t size, double degrees) {
  if (size == 0) return 0;
  // Beyond any real angle (or not a number) the text would need an overflowing integer.
  const double a = std::fabs(degrees);
  const long long t = std::isfinite(a) && a < 1e9 ? static_cast<long long>(a * 600000 + 0.5) : 0;
  const int n = std::snprintf(out, size, "%3lld\xDF%.2lld.%.4lld'", t / 600000, (t / 10000) % 60, t % 10000);
  if (n < 0) return 0;
  return static_cast<size_t>(n) < size ? static_cast<size_t>(n) : size - 1;
}

std::string FormatDegMin(double degrees) {
  char buf[48];
  return std::string(buf, FormatDegMinTo(buf, sizeof buf, degrees));
}

int FormatShipLabelLines(const DbDynamic& ship, const DbStatic& info, std::string_view selectedShipName,
                         ShipLabelLines& out) {
  for (auto& line : out.text) line[0] = '\0';
  const double mmsi = ship.MMSI;
  if (info.Aids != 0) {
    std::snprintf(out.text[0], sizeof out.text[0], "%.0f (%.2d)", mmsi, static_cast<int>(info.Aids));
    out.count = 1;
    return out.count;
  }
  char line[sizeof out.text[0]];
  std::snprintf(line, sizeof line, "%.0f %.*s", mmsi, static_cast<int>(selectedShipName.size()),
                selectedShipName.data());
  // Without a name the blank after the MMSI goes too.
  const std::string_view first = Trimmed(line);
  std::memcpy(out.text[0], first.data(), first.size());
  out.text[0][first.size()] = '\0';
  std::snprintf(out.text[1], sizeof out.text[1], kCallSignFormat, static_cast<int>(strnlen(info.Sign, sizeof info.Sign)),
                info.Sign);
  double v = ship.Sog;
  if (v > 1000) v = 0;
  std::snprintf(out.text[2], sizeof out.text[2], kLengthSpeedFormat, info.AntA + info.AntB, v);
  out.count = 3;
  return out.count;
}

void DrawShipLabel(FrameContext& f, int32_t slot) {
  const DbDynamic* entry = f.table.Entry(slot);
  if (entry == nullptr) return;  // a free entry has nothing to label
  const DbDynamic& ship = *entry;
  if (!HasReceivedPosition(ship)) return;     // nor a station with no position of its own
  int32_t x, y;
  if (!LatLonToPixel(f.view, ship.Lat, ship.Lon, x, y)) return;
  ShipLabelLines lines;
  FormatShipLabelLines(ship, f.table.StaticOf(ship.Link), f.in.selectedShipName, lines);

  Canvas& c = f.canvas;
  c.SetBrushStyle(BrushStyle::Clear);
  c.SetFontColor(Rgb{255, 255, 128});
  c.SetFontPoints(32);
  const int32_t lineH = std::abs(c.FontHeight());
  y += f.view.symbolSize + 6;
  const int32_t boxH = lines.count * lineH;
  int32_t widths[3] = {0, 0, 0};
  int32_t w = 0;
  for (int i = 0; i < lines.count; ++i) {
    widths[i] = c.TextWidth(lines.text[i]);
    if (widths[i] > w) w = widths[i];
  }
  StippleRect(c, x - w / 2 - 2, y - 2, x + w / 2 + 2, y + boxH + 2, kShade);
  for (int i = 0; i < lines.count; ++i) c.TextOut(x - widths[i] / 2, y + i * lineH, lines.text[i]);
}

int32_t SourceBlockX0(int32_t width) { return PanelX0(width) - 8 - kSourceBlockGap - kPanelTextWidth; }

PortPanelHit PortPanelAt(const FrameInputs& in, int32_t width, int32_t x, int32_t y) {
  const int32_t x0 = PanelX0(width);
  PortPanelHit hit;
  const int32_t sources = in.sourceCount < kMaxSourcePanels ? in.sourceCount : kMaxSourcePanels;
  const int32_t sx = SourceBlockX0(width);
  if (sources > 0 && x >= sx - 8 && x < sx + kPanelTextWidth && y >= kSourceBlockTop &&
      y < kSourceBlockTop + kSourceRowHeight * (sources + 1)) {
    const int32_t row = (y - kSourceBlockTop) / kSourceRowHeight;
    if (row == 0) return {PortPanelKind::SourceCaption, 0};
    return {PortPanelKind::Source, row - 1};
  }
  if (x < x0 - 8 || x >= width) return hit;
  if (y >= kComRowTop && y < kComRowTop + kComRowHeight) {
    int32_t n = 0;
    for (int port = 1; port <= 20; ++port) {
      if (!in.ports[port].open && !in.ports[port].missing) continue;
      const int32_t left = x0 + 64 + 48 * n++;
      if (x >= left && x < left + 48) return {PortPanelKind::ComPort, port};
    }
    return {PortPanelKind::ComCaption, 0};
  }
  return hit;
}

void DrawInfoPanels(FrameContext& f, bool debugVisible) {
  Canvas& c = f.canvas;
  const int32_t lineH = 32;
  const int32_t rowH = Trunc(1.5 * lineH);
  const int32_t x0 = PanelX0(c.Width());
  c.SetFontFace(kPanelFace);
  c.SetFontHeight(lineH);
  const bool ownFix = f.counters.rmcFixCount != 0;
  if (ownFix) DrawCompass(f);
  DrawPortRow(f, x0, lineH);
  DrawSourceRows(f);

  int32_t y = 10 + rowH;
  StippleRect(c, x0 - 8, y, x0 + 13 * lineH, Trunc(y + rowH * 10.8), kShade);
  y += rowH / 4;
  c.SetFontPoints(lineH);
  c.SetPenColor(kWhite);
  for (const LegendRow& row : kLegend) {
    c.SetFontPoints(Trunc(lineH * row.sizeFactor));
    if (std::string_view(row.text).find(kAidWord) == std::string_view::npos) {
      c.SetBrushStyle(BrushStyle::Solid);
      c.SetBrushColor(row.colour);
      c.FillRect(x0, y, x0 + 28, y + 28);
    } else {
      c.SetBrushStyle(BrushStyle::Clear);
      c.SetFontColor(kAidColor);
      c.TextOut(x0 - lineH / 4, y - lineH / 4, kAidMark);
    }
    c.SetFontColor(kWhite);
    c.SetBrushStyle(BrushStyle::Clear);
    c.TextOut(Trunc(x0 + lineH * 1.5), y - lineH / 4, row.text);
    y += rowH;
  }

  y += rowH / 4;
  c.SetFontPoints(Trunc(lineH * 1.2));
  c.SetFontColor(kYellow);
  char buf[64];
  c.TextOut(x0, y, Format(buf, kShipCountFormat, f.table.TakenCount(),
                          static_cast<int>(f.table.StaticCount)));

  if (ownFix) DrawOwnShipPanel(f, x0, lineH, rowH);
  if (debugVisible) DrawDebugCounters(f);
  if (f.in.playback.playing) DrawPlaybackHistogram(f);
}

}  // namespace aismon
