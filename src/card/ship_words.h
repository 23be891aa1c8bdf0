#pragma once
// The coded fields of AIS reports in Japanese words, as the ship card shows them. UTF-8.
#include <cstdint>
#include <string>

namespace aismon {

// Type of ship and cargo (0..99): "貨物船", "タンカー (危険物 A)", "曳航船"; 0 is "不明", a
// reserved or out-of-range number reads "予備 (n)" or "不明 (n)".
std::string ShipTypeText(int type);

// Type of aid to navigation (0..31): "北方位標識 (浮標)", "灯台 (分弧なし)", ...
std::string AidTypeText(int type);

// Navigational status (0..15): "航行中 (機関使用)", "錨泊中", ... 15 is "未定義 (既定値)".
std::string NavStatusText(int status);

// The raw rate-of-turn indicator: -128 "不明", ±127 "急旋回 右"/"急旋回 左" (no number: the
// transmitter has no rate-of-turn indicator), otherwise degrees per minute from
// (ROT/4.733)² with its side: "右 4.5°/分", "左 708.0°/分", "0.0°/分".
std::string RateOfTurnText(int raw);

// Position accuracy flag: 1 "高 (10 m 以内)", 0 "低 (10 m 超)".
std::string PositionAccuracyText(int flag);

// RAIM flag: 1 "使用", 0 "不使用".
std::string RaimText(int flag);

}  // namespace aismon
