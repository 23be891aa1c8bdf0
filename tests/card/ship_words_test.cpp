// Coded report fields in words: rate of turn (checked against gpsdecode), ship type with
// its cargo category, navigational status.
#include "card/ship_words.h"

#include <gtest/gtest.h>

namespace aismon {
namespace {

TEST(ShipWordsTest, RateOfTurnInDegreesPerMinuteWithItsSide) {
  struct Row {
    int raw;
    const char* text;
  } rows[] = {
      {-128, "不明"},
      {127, "急旋回 右"},
      {-127, "急旋回 左"},
      {0, "0.0°/分"},
      // Raw values from gpsdecode -u; its scaled output gives the rate unsigned and rounded
      // to whole degrees per minute: 8, 6 and 1.
      {-13, "左 7.5°/分"},  // !AIVDM,1,1,,A,33P;Tw0tjBQO22:E7dm66DrB20UP,0*2E
      {12, "右 6.4°/分"},   // !AIVDM,1,1,,B,35VwAv0300QcEQ`EGcpN40jD0PUQ,0*61
      {4, "右 0.7°/分"},    // !AIVDM,1,1,,A,1815?701221U6;PDnseK8HrH0D0@,0*22
      {126, "右 708.7°/分"},
  };
  for (const Row& r : rows) EXPECT_EQ(RateOfTurnText(r.raw), r.text) << r.raw;
}

TEST(ShipWordsTest, ShipTypesAndNavigationalStatus) {
  struct Row {
    int type;
    const char* text;
  } types[] = {
      {0, "不明"},         {15, "予備 (15)"},           {30, "漁船"},
      {37, "プレジャーボート"}, {52, "タグボート"},       {70, "貨物船"},
      {71, "貨物船 (危険物 A)"}, {84, "タンカー (危険物 D)"}, {86, "タンカー (予備)"},
      {79, "貨物船"},       {100, "不明 (100)"},
  };
  for (const auto& r : types) EXPECT_EQ(ShipTypeText(r.type), r.text) << r.type;

  struct Status {
    int status;
    const char* text;
  } statuses[] = {
      {0, "航行中 (機関使用)"}, {1, "錨泊中"},         {2, "運転不自由"},
      {3, "操縦性能制限"},      {5, "係留中"},         {7, "漁労中"},
      {8, "帆走中"},            {14, "AIS-SART 等作動中"}, {15, "未定義 (既定値)"},
      {16, "不明 (16)"},
  };
  for (const auto& r : statuses) EXPECT_EQ(NavStatusText(r.status), r.text) << r.status;
}

}  // namespace
}  // namespace aismon
