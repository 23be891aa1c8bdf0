#include "chart/watch_layer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "chart/ship_layer.h"
#include "shipdb/received_position.h"
#include "text/position_text.h"
#include "watch/traffic_watch.h"

namespace aismon {

namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kTestAmber{255, 200, 0};
constexpr Rgb kSafetyCyan{128, 255, 255};
constexpr Rgb kRowAlarm{160, 0, 0};
constexpr Rgb kRowAlarmDim{80, 0, 0};
constexpr Rgb kRowQuiet{0, 0, 128};
constexpr int32_t kFontHeight = 28;

// Shift-JIS texts, kept as bytes so that nothing is converted while painting.
constexpr char kPanelFace[] = "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E";  // ＭＳ ゴシック
constexpr char kCollision[] = "\x8F\xD5\x93\xCB\x8C\x78\x95\xF1";                    // 衝突警報
constexpr char kAcknowledged[] = "\x8A\x6D\x94\x46\x8D\xCF";                           // 確認済
constexpr char kDistress[] = "\x91\x98\x93\xEF\x90\x4D\x8D\x86";                      // 遭難信号
constexpr char kTest[] = "\x83\x65\x83\x58\x83\x67";                                   // テスト
constexpr char kSafety[] = "\x88\xC0\x91\x53\x92\xCA\x95\xF1";                        // 安全通報
constexpr char kRange[] = "\x8B\x97\x97\xA3";                                          // 距離
constexpr char kBearing[] = "\x95\xFB\x88\xCA";                                        // 方位
constexpr char kMinutes[] = "\x95\xAA";                                                // 分
constexpr char kDegree[] = "\x81\x8B";                                                 // °
constexpr char kAddressedTo[] = "\x88\xB6";                                            // 宛
// 警報　Ａキー：全て確認　クリック：確認
constexpr char kHeader[] =
    "\x8C\x78\x95\xF1\x81\x40\x82\x60\x83\x4C\x81\x5B\x81\x46\x91\x53\x82\xC4\x8A\x6D\x94\x46\x81\x40\x83\x4E\x83\x8A"
    "\x83\x62\x83\x4E\x81\x46\x8A\x6D\x94\x46";
constexpr char kOwnFixLost[] = "\x8E\xA9\x91\x44\x88\xCA\x92\x75\x91\x72\x8E\xB8";  // 自船位置喪失
constexpr char kNoData[] = "\x8E\xF3\x90\x4D\x93\x72\x90\xE2";                       // 受信途絶
constexpr char kEstimated[] = "(\x90\x84\x92\xE8)";                                    // (推定)
constexpr char kSeconds[] = "\x95\x62";
constexpr char kMuted[] = "\x8F\xC1\x89\xB9\x92\x86";  // 消音中
constexpr Rgb kMutedFill{200, 0, 0};                                                  // 秒
constexpr char kMoreFormat[] = "\x91\xBC%d\x8C\x8F";  // 他%d件

const char* BeaconName(BeaconType b) {
  switch (b) {
    case BeaconType::Sart: return "AIS-SART";
    case BeaconType::Mob: return "MOB";
    case BeaconType::Epirb: return "EPIRB";
    case BeaconType::None: break;
  }
  return "";
}

// The pen, brush and font as the earlier layers left them, put back at the end: the next
// frame's layers inherit them and must not see the watch's.
class CanvasState {
 public:
  explicit CanvasState(Canvas& c)
      : c_(c), pen_(c.PenColor()), width_(c.PenWidth()), brush_(c.BrushColor()), style_(c.Brush()),
        fontColor_(c.FontColor()), fontHeight_(c.FontHeight()) {
    const std::string_view face = c.FontFace();
    faceLength_ = std::min(face.size(), sizeof face_);
    std::memcpy(face_, face.data(), faceLength_);
  }
  ~CanvasState() {
    c_.SetPenColor(pen_);
    c_.SetPenWidth(width_);
    c_.SetBrushColor(brush_);
    c_.SetBrushStyle(style_);
    c_.SetFontFace(std::string_view(face_, faceLength_));
    c_.SetFontHeight(fontHeight_);
    c_.SetFontColor(fontColor_);
  }

 private:
  Canvas& c_;
  Rgb pen_;
  int width_;
  Rgb brush_;
  BrushStyle style_;
  Rgb fontColor_;
  int fontHeight_;
  char face_[64];
  size_t faceLength_ = 0;
};

// The station's position on the picture: where the ship layer drew it this frame, or
// projected when it was not drawn (a lost ship).
bool StationPixel(FrameContext& f, int32_t slot, int32_t& x, int32_t& y) {
  const PixelPoint p = f.screenPositions[slot];
  if (p.x != kNotDrawn || p.y != kNotDrawn) {
    x = p.x;
    y = p.y;
    return true;
  }
  const DbDynamic& e = f.table.DynamicEntries()[slot];
  return LatLonToPixel(f.view, e.Lat, e.Lon, x, y);
}

void Disc(Canvas& c, int32_t x, int32_t y, int32_t r) { c.Ellipse(x - r, y - r, x + r + 1, y + r + 1); }

void DrawCollision(FrameContext& f, const TrafficWatch& w, const AlertRow& row) {
  const WatchTarget& t = w.Target(row.slot);
  if (!t.hasCpa) return;
  Canvas& c = f.canvas;
  const Rgb colour = row.acknowledged ? kAcknowledgedOrange : kAlarmRed;
  int32_t sx = 0, sy = 0, ox = 0, oy = 0, tx = 0, ty = 0, px = 0, py = 0;
  const bool ship = StationPixel(f, row.slot, sx, sy);
  const DbDynamic& own = w.Own();
  const bool ownNear = LatLonToPixel(f.view, own.Lat, own.Lon, ox, oy);
  const bool targetCpa = LatLonToPixel(f.view, t.cpa.targetCpaLat, t.cpa.targetCpaLon, tx, ty);
  const bool ownCpa = LatLonToPixel(f.view, t.cpa.ownCpaLat, t.cpa.ownCpaLon, px, py);
  c.SetBrushStyle(BrushStyle::Clear);
  c.SetPenWidth(3);
  if (ownNear || ownCpa) {
    c.SetPenColor(kOwnCpaYellow);
    c.Line(ox, oy, px, py);
  }
  c.SetPenColor(colour);
  if (ship || targetCpa) c.Line(sx, sy, tx, ty);
  c.SetPenWidth(1);
  if (targetCpa || ownCpa) c.Line(tx, ty, px, py);  // the miss distance
  c.SetBrushStyle(BrushStyle::Solid);
  if (ownCpa) {
    c.SetBrushColor(kOwnCpaYellow);
    Disc(c, px, py, 7);
  }
  if (targetCpa) {
    c.SetBrushColor(colour);
    Disc(c, tx, ty, 7);
  }
  if (ship) {
    c.SetBrushStyle(BrushStyle::Clear);
    c.SetPenWidth(4);
    const int32_t r = f.view.symbolSize * 2;
    Disc(c, sx, sy, r);
    c.SetPenWidth(1);
  }
}

void DrawBeacon(FrameContext& f, const TrafficWatch& w, const AlertRow& row) {
  if (row.slot < 0 || !w.Target(row.slot).hasPosition) return;
  int32_t x = 0, y = 0;
  if (!StationPixel(f, row.slot, x, y)) return;
  Canvas& c = f.canvas;
  const bool test = row.kind == AlertKind::BeaconTest;
  const Rgb colour = test ? kTestAmber : kAlarmRed;
  constexpr int32_t r = kBeaconRadius;
  c.SetBrushStyle(BrushStyle::Clear);
  c.SetPenColor(colour);
  c.SetPenWidth(3);
  Disc(c, x, y, r + 10);
  c.SetBrushStyle(BrushStyle::Solid);
  c.SetBrushColor(colour);
  c.SetPenColor(kWhite);
  c.SetPenWidth(2);
  Disc(c, x, y, r);
  c.SetPenWidth(5);
  c.Line(x - r + 7, y, x + r - 7, y);
  c.Line(x, y - r + 7, x, y + r - 7);
  c.SetPenWidth(1);
  char label[48];
  std::snprintf(label, sizeof label, "%s%s%s", BeaconName(row.beacon), test ? " " : "", test ? kTest : "");
  c.SetBrushStyle(BrushStyle::Clear);
  c.SetFontColor(colour);
  c.TextOut(x - c.TextWidth(label) / 2, y + r + 12, label);
}

// The name the station sent, or its MMSI.
void StationName(const ShipTable& table, int32_t slot, int32_t mmsi, char* out, size_t size) {
  if (slot >= 0) {
    const DbDynamic& e = table.DynamicEntries()[slot];
    if (e.Link != kNoLink) {
      const int si = ShipTable::LinkIndex(e.Link);
      if (si >= 0 && si < kStaticEntries) {
        const char* name = table.StaticEntries()[si].Name;
        size_t n = strnlen(name, sizeof(DbStatic::Name));
        while (n > 0 && name[n - 1] == ' ') --n;
        size_t b = 0;
        while (b < n && name[b] == ' ') ++b;
        if (n > b) {
          std::snprintf(out, size, "%.*s", static_cast<int>(n - b), name + b);
          return;
        }
      }
    }
  }
  std::snprintf(out, size, "%09d", mmsi);
}

void RangeBearing(const TrafficWatch& w, int32_t slot, char* out, size_t size) {
  out[0] = '\0';
  if (slot < 0 || !w.Target(slot).hasCpa) return;
  const CpaResult& c = w.Target(slot).cpa;
  std::snprintf(out, size, "  %s %.2fNM  %s %03.0f%s", kRange, c.rangeNm, kBearing, c.bearingDeg, kDegree);
}

// A beacon is reported to the coast guard by its position: "  35°24.049'N 139°46.800'E".
void AppendPosition(const ShipTable& table, int32_t slot, char* where, size_t size) {
  const DbDynamic* e = table.Entry(slot);
  if (slot <= 0 || e == nullptr || !HasReceivedPosition(*e)) return;
  const size_t used = std::strlen(where);
  std::snprintf(where + used, size - used, "  %s %s", LatitudeText(e->Lat, kDegree).c_str(),
                LongitudeText(e->Lon, kDegree).c_str());
}

// One row's text and colour.
Rgb RowText(const ShipTable& table, const TrafficWatch& w, const AlertRow& row, char* out, size_t size) {
  char name[40], where[112];
  StationName(table, row.slot, row.mmsi, name, sizeof name);
  RangeBearing(w, row.slot, where, sizeof where);
  if (row.kind == AlertKind::Beacon || row.kind == AlertKind::BeaconTest) AppendPosition(table, row.slot, where, sizeof where);
  const char* ack = row.acknowledged ? kAcknowledged : "";
  const char* gap = row.acknowledged ? " " : "";
  switch (row.kind) {
    case AlertKind::Collision: {
      const CpaResult& c = w.Target(row.slot).cpa;
      // Worked from an own position that is no longer fresh: said so on the row.
      const char* estimated = w.Target(row.slot).cpaEstimated ? kEstimated : "";
      std::snprintf(out, size, "%s%s%s %s  CPA%s %.2fNM  TCPA %.1f%s%s", ack, gap, kCollision, name, estimated, c.cpaNm,
                    c.tcpaMin, kMinutes, where);
      return kWhite;
    }
    case AlertKind::OwnFixLost:
      std::snprintf(out, size, "%s%s%s  %u%s", ack, gap, kOwnFixLost, w.OwnFixAge().AgeMs() / 1000, kSeconds);
      return kWhite;
    case AlertKind::NoData:
      std::snprintf(out, size, "%s%s%s", ack, gap, kNoData);
      return kWhite;
    case AlertKind::Beacon:
      std::snprintf(out, size, "%s%s%s %s %09d%s", ack, gap, kDistress, BeaconName(row.beacon), row.mmsi, where);
      return kWhite;
    case AlertKind::BeaconTest:
      std::snprintf(out, size, "%s %s %09d%s", kTest, BeaconName(row.beacon), row.mmsi, where);
      return kTestAmber;
    case AlertKind::SafetyText: {
      const SafetyText& s = w.Safety(row.index).msg;
      const int slot = table.FindShip(s.mmsi);
      StationName(table, slot, s.mmsi, name, sizeof name);
      if (s.number == 12)
        std::snprintf(out, size, "%s %s (%09d%s): %.60s", kSafety, name, s.destMmsi, kAddressedTo, s.text);
      else
        std::snprintf(out, size, "%s %s: %.60s", kSafety, name, s.text);
      return kSafetyCyan;
    }
  }
  out[0] = '\0';
  return kWhite;
}

int32_t AlertPanelTop(const FrameContext& f) {
  return f.in.options.debugPanelVisible ? kAlertPanelTopWithDebug : kAlertPanelTop;
}

// The mark of a muted watch, a red box at the right of the alert panel's header (or where
// the panel would be): the silence must be seen, not only a check box's state.
void DrawMuteMark(FrameContext& f, int32_t x0) {
  Canvas& c = f.canvas;
  c.SetFontFace(kPanelFace);
  c.SetFontHeight(kFontHeight);
  const int32_t y = AlertPanelTop(f);
  const int32_t x1 = x0 + c.TextWidth(kMuted) + 24;
  c.SetBrushStyle(BrushStyle::Solid);
  c.SetBrushColor(kMutedFill);
  c.FillRect(x0, y, x1, y + kAlertRowHeight);
  c.SetBrushStyle(BrushStyle::Clear);
  c.SetFontColor(kWhite);
  c.TextOut(x0 + 12, y + 4, kMuted);
}

// Draws the panel; its right edge.
int32_t DrawAlertPanel(FrameContext& f, const TrafficWatch& w, FrameOutputs& out) {
  Canvas& c = f.canvas;
  c.SetFontFace(kPanelFace);
  c.SetFontHeight(kFontHeight);
  c.SetBrushStyle(BrushStyle::Clear);
  const int rows = std::min(w.AlertCount(), kAlertPanelRows);
  char text[kAlertPanelRows][320];
  Rgb colours[kAlertPanelRows];
  int32_t width = c.TextWidth(kHeader);
  for (int i = 0; i < rows; ++i) {
    colours[i] = RowText(f.table, w, w.Alert(i), text[i], sizeof text[i]);
    width = std::max(width, c.TextWidth(text[i]));
  }
  const int more = w.AlertCount() - rows + w.HiddenAlerts();
  const int32_t x0 = kAlertPanelLeft;
  int32_t y = AlertPanelTop(f);
  const int32_t x1 = x0 + width + 16;
  // Unanswered alarms blink with the clock (every 512 ms), not with the frame count.
  const bool bright = (f.clock.TickMs() & 512u) != 0;
  StippleRect(c, x0, y, x1, y + kAlertRowHeight, kRowQuiet);
  c.SetFontColor(kWhite);
  c.TextOut(x0 + 8, y + 4, kHeader);
  y += kAlertRowHeight;
  out.alertRowCount = rows;
  for (int i = 0; i < rows; ++i) {
    const AlertRow& row = w.Alert(i);
    const bool sounding = !row.acknowledged && row.kind != AlertKind::BeaconTest && row.kind != AlertKind::SafetyText;
    const Rgb shade = sounding ? (bright ? kRowAlarm : kRowAlarmDim) : kRowQuiet;
    c.SetBrushStyle(BrushStyle::Solid);
    c.SetBrushColor(shade);
    c.FillRect(x0, y, x1, y + kAlertRowHeight - 2);
    c.SetBrushStyle(BrushStyle::Clear);
    c.SetFontColor(colours[i]);
    c.TextOut(x0 + 8, y + 4, text[i]);
    out.alertRows[i] =
        AlertPanelRow{x0 / 2, y / 2, x1 / 2, (y + kAlertRowHeight) / 2, i, row.mmsi, static_cast<int32_t>(row.kind)};
    y += kAlertRowHeight;
  }
  if (more > 0) {
    char line[32];
    std::snprintf(line, sizeof line, kMoreFormat, more);
    StippleRect(c, x0, y, x1, y + kAlertRowHeight, kRowQuiet);
    c.SetFontColor(kWhite);
    c.TextOut(x0 + 8, y + 4, line);
  }
  return x1;
}

}  // namespace

std::string AlertRowText(const ShipTable& table, const TrafficWatch& watch, int i) {
  if (i < 0 || i >= watch.AlertCount()) return {};
  char text[320];
  RowText(table, watch, watch.Alert(i), text, sizeof text);
  return text;
}

void DrawWatchLayer(FrameContext& f, const TrafficWatch& watch, FrameOutputs& out) {
  out.alertRowCount = 0;
  if (!watch.HasAlerts() && !watch.Muted()) return;  // nothing drawn, nothing changed
  CanvasState keep(f.canvas);
  if (!watch.HasAlerts()) {
    DrawMuteMark(f, kAlertPanelLeft);
    return;
  }
  for (int i = 0; i < watch.AlertCount(); ++i)
    if (watch.Alert(i).kind == AlertKind::Collision) DrawCollision(f, watch, watch.Alert(i));
  // Beacons over the collision marks, the most urgent (first) drawn last, on top.
  for (int i = watch.AlertCount() - 1; i >= 0; --i) {
    const AlertKind k = watch.Alert(i).kind;
    if (k == AlertKind::Beacon || k == AlertKind::BeaconTest) DrawBeacon(f, watch, watch.Alert(i));
  }
  const int32_t right = DrawAlertPanel(f, watch, out);
  if (watch.Muted()) DrawMuteMark(f, right + 16);
}

}  // namespace aismon
