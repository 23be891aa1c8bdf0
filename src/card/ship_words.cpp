#include "card/ship_words.h"

#include <cstdio>
#include <cstdlib>

namespace aismon {

namespace {

std::string WithNumber(const char* word, int n) { return std::string(word) + " (" + std::to_string(n) + ")"; }

// Families whose second digit tells the hazard category of the cargo (ITU-R M.1371, table of
// ship types): x1..x4 category A..D, x5..x8 reserved, x0 and x9 nothing more to say.
std::string WithCargo(const char* family, int secondDigit) {
  static constexpr const char* kCategory[] = {"A", "B", "C", "D"};
  if (secondDigit >= 1 && secondDigit <= 4) return std::string(family) + " (危険物 " + kCategory[secondDigit - 1] + ")";
  if (secondDigit >= 5 && secondDigit <= 8) return std::string(family) + " (予備)";
  return family;
}

}  // namespace

std::string ShipTypeText(int type) {
  if (type == 0) return "不明";
  if (type < 0 || type > 99) return WithNumber("不明", type);
  if (type < 20) return WithNumber("予備", type);
  const int second = type % 10;
  switch (type / 10) {
    case 2: return WithCargo("表面効果翼船", second);
    case 4: return WithCargo("高速船", second);
    case 6: return WithCargo("旅客船", second);
    case 7: return WithCargo("貨物船", second);
    case 8: return WithCargo("タンカー", second);
    case 9: return WithCargo("その他", second);
    default: break;
  }
  switch (type) {
    case 30: return "漁船";
    case 31: return "曳航船";
    case 32: return "曳航船 (長さ 200 m 超または幅 25 m 超)";
    case 33: return "浚渫・水中作業船";
    case 34: return "潜水作業船";
    case 35: return "軍事活動中";
    case 36: return "帆船";
    case 37: return "プレジャーボート";
    case 50: return "水先船";
    case 51: return "捜索救難船";
    case 52: return "タグボート";
    case 53: return "港湾業務船";
    case 54: return "汚染防除船";
    case 55: return "法執行船";
    case 56:
    case 57: return WithNumber("地域用", type);
    case 58: return "医療搬送船";
    case 59: return "非戦闘国船舶";
    default: return WithNumber("予備", type);  // 38, 39
  }
}

std::string AidTypeText(int type) {
  static constexpr const char* kAids[32] = {
      "未指定",
      "基準点",
      "レーコン",
      "海上構造物",
      "予備",
      "灯台 (分弧なし)",
      "灯台 (分弧あり)",
      "導灯 (前灯)",
      "導灯 (後灯)",
      "北方位標識 (立標)",
      "東方位標識 (立標)",
      "南方位標識 (立標)",
      "西方位標識 (立標)",
      "左舷標識 (立標)",
      "右舷標識 (立標)",
      "左舷優先航路標識 (立標)",
      "右舷優先航路標識 (立標)",
      "孤立障害標識 (立標)",
      "安全水域標識 (立標)",
      "特殊標識 (立標)",
      "北方位標識 (浮標)",
      "東方位標識 (浮標)",
      "南方位標識 (浮標)",
      "西方位標識 (浮標)",
      "左舷標識 (浮標)",
      "右舷標識 (浮標)",
      "左舷優先航路標識 (浮標)",
      "右舷優先航路標識 (浮標)",
      "孤立障害標識 (浮標)",
      "安全水域標識 (浮標)",
      "特殊標識 (浮標)",
      "灯船・大型灯浮標",
  };
  if (type < 0 || type > 31) return WithNumber("不明", type);
  return kAids[type];
}

std::string NavStatusText(int status) {
  static constexpr const char* kStatus[16] = {
      "航行中 (機関使用)",
      "錨泊中",
      "運転不自由",
      "操縦性能制限",
      "喫水制限",
      "係留中",
      "座礁",
      "漁労中",
      "帆走中",
      "予備 (高速船の危険物用)",
      "予備 (表面効果翼船の危険物用)",
      "引き船列で曳航中",
      "押航中・横抱き曳航中",
      "予備",
      "AIS-SART 等作動中",
      "未定義 (既定値)",
  };
  if (status < 0 || status > 15) return WithNumber("不明", status);
  return kStatus[status];
}

std::string RateOfTurnText(int raw) {
  if (raw == -128) return "不明";
  if (raw == 127) return "急旋回 右";
  if (raw == -127) return "急旋回 左";
  if (raw < -127 || raw > 127) return WithNumber("不明", raw);
  const double v = raw / 4.733;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f°/分", v * v);
  if (raw == 0) return buf;
  return std::string(raw > 0 ? "右 " : "左 ") + buf;
}

std::string PositionAccuracyText(int flag) { return flag != 0 ? "高 (10 m 以内)" : "低 (10 m 超)"; }

std::string RaimText(int flag) { return flag != 0 ? "使用" : "不使用"; }

}  // namespace aismon
