// The ship card of one station of each kind, fed as real sentences through the intake. The
// values expected are those gpsdecode -j states for each sentence (quoted beside it).
#include "card/ship_card.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "card/port_list.h"
#include "tests/support/intake_fixture.h"
#include "watch/traffic_watch.h"

namespace aismon {
namespace {

using Card = std::map<std::string, std::string>;

class ShipCardTest : public testing::IntakeTest {
 protected:
  ShipCardTest() { PlaceOwnShip(); }

  Card CardOf(int32_t mmsi, const TrafficWatch* watch = nullptr) {
    Card card;
    const int index = table.FindShip(mmsi);
    EXPECT_GT(index, 0) << mmsi;
    for (const CardLine& l : ShipCardLines(table, index, watch, clock.Now(), ports)) {
      EXPECT_EQ(card.count(l.label), 0u) << l.label << " twice";
      card[l.label] = l.value;
    }
    return card;
  }

  static void ExpectRows(const Card& card, const Card& expected, const char* what) {
    for (const auto& [label, value] : expected) {
      const auto it = card.find(label);
      ASSERT_NE(it, card.end()) << what << ": no row " << label;
      EXPECT_EQ(it->second, value) << what << ": " << label;
    }
  }

  PortList ports = BuiltinPortList();
};

TEST_F(ShipCardTest, OneStationOfEachKind) {
  struct Station {
    const char* what;
    std::vector<const char*> sentences;
    int32_t mmsi;
    Card rows;
  } stations[] = {
      // type 1, mmsi 371798000, status 0, turn "fastleft", speed 12.3, accuracy true,
      // lon -123.395383, lat 48.381633, course 224.0, heading 215, raim false
      {"class A position",
       {"!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*4A"},
       371798000,
       {{"種別", "クラスA"}, {"MMSI", "371798000"}, {"国籍", "パナマ"}, {"船名", "不明"},
        {"航行状態", "航行中 (機関使用)"}, {"回頭率", "急旋回 左"}, {"対地速力", "12.3 kn"},
        {"対地針路", "224.0°"}, {"船首方位", "215°"}, {"位置", "48°22.898'N 123°23.723'W"},
        {"測位精度", "高 (10 m 以内)"}, {"RAIM", "不使用"}, {"最終受信", "12:00:00 (0 秒前)"}}},
      // type 5, mmsi 351759000, imo 9134270, callsign "3FOF8", shipname "EVER DIADEM",
      // shiptype 70, to_bow 225, to_stern 70, to_port 1, to_starboard 31, eta "05-15T14:00Z",
      // draught 12.2, destination "NEW YORK"
      {"class A static",
       {"!AIVDM,2,1,1,A,55?MbV02;H;s<HtKR20EHE:0@T4@Dn2222222216L961O5Gf0NSQEp6ClRp8,0*1C",
        "!AIVDM,2,2,1,A,88888888880,2*25"},
       351759000,
       {{"種別", "クラスA"}, {"船名", "EVER DIADEM"}, {"IMO番号", "9134270"}, {"呼出符号", "3FOF8"},
        {"船種", "貨物船"}, {"国籍", "パナマ"}, {"長さ × 幅", "295 m × 32 m"},
        {"アンテナ位置", "船首 225 m・船尾 70 m・左舷 1 m・右舷 31 m"}, {"喫水", "12.2 m"},
        {"仕向地", "NEW YORK"}, {"到着予定", "5月15日 14:00 UTC"}, {"位置", "不明"},
        {"航行状態", "不明"}, {"対地速力", "不明"}}},
      // type 19, mmsi 367059850, speed 8.7, accuracy false, lon -88.810392, lat 29.543695,
      // course 335.9, heading 511, shipname "CAPT.J.RIMES", shiptype 70, to_bow 5,
      // to_stern 21, to_port 4, to_starboard 4, raim false
      {"class B",
       {"!AIVDM,1,1,,B,C5N3SRgPEnJGEBT>NhWAwwo862PaLELTBJ:V00000000S0D:R220,0*0B"},
       367059850,
       {{"種別", "クラスB"}, {"船名", "CAPT.J.RIMES"}, {"船種", "貨物船"}, {"国籍", "アメリカ合衆国"},
        {"長さ × 幅", "26 m × 8 m"}, {"IMO番号", "—"}, {"喫水", "—"}, {"航行状態", "—"},
        {"回頭率", "—"}, {"対地速力", "8.7 kn"}, {"対地針路", "335.9°"}, {"船首方位", "不明"},
        {"位置", "29°32.622'N 088°48.624'W"}, {"測位精度", "低 (10 m 超)"}}},
      // type 4, mmsi 3669702, accuracy true, lon -76.352362, lat 36.883767, raim false
      {"base station",
       {"!AIVDM,1,1,,A,403OviQuMGCqWrRO9>E6fE700@GO,0*4D"},
       3669702,
       {{"種別", "基地局"}, {"MMSI", "003669702"}, {"国籍", "アメリカ合衆国"}, {"船名", "—"},
        {"船種", "—"}, {"対地速力", "—"}, {"船首方位", "—"}, {"位置", "36°53.026'N 076°21.142'W"},
        {"測位精度", "高 (10 m 以内)"}}},
      // type 21, mmsi 123456789, aid_type 20 "Cardinal Mark N",
      // name "CHINA ROSE MURPHY EXPRESS ALERT", to_bow/stern/port/starboard 5, virtual false
      {"aid to navigation",
       {"!AIVDM,2,1,5,B,E1mg=5J1T4W0h97aRh6ba84<h2d;W:Te=eLvH50```q,0*46",
        "!AIVDM,2,2,5,B,:D44QDlp0C1DU00,2*36"},
       123456789,
       {{"種別", "航路標識"}, {"船名", "CHINA ROSE MURPHY EXPRESS ALERT"}, {"標識の種類", "北方位標識 (浮標)"},
        {"標識の状態", "実在"}, {"国籍", "不明"}, {"長さ × 幅", "10 m × 10 m"}, {"対地速力", "—"}}},
      // type 9, mmsi 111265591, alt 15, speed 0, accuracy false, lon 11.881600,
      // lat 57.778455, course 0.0
      {"SAR aircraft",
       {"!AIVDM,1,1,,A,91b77=h3h00nHt0Q3r@@07000<0b,0*69"},
       111265591,
       {{"種別", "SAR航空機"}, {"国籍", "スウェーデン"}, {"高度", "15 m"}, {"対地速力", "0 kn"},
        {"対地針路", "0.0°"}, {"船首方位", "—"}, {"位置", "57°46.707'N 011°52.896'E"}}},
      // type 1, mmsi 970012345, status 14, turn "nan", speed 0.1, accuracy true,
      // lon 139.800000, lat 35.500000, course 360.0, heading 511 (written field by field in
      // the widths of the ITU table; this is gpsdecode's reading of it)
      {"AIS-SART",
       {"!AIVDM,1,1,,A,1>M4nfNP01awu20DD38>4?vt0000,0*1A"},
       970012345,
       {{"種別", "AIS-SART"}, {"国籍", "—"}, {"航行状態", "AIS-SART 等作動中"},
        {"位置", "35°30.000'N 139°48.000'E"}, {"対地速力", "0.1 kn"}, {"対地針路", "不明"},
        {"船首方位", "不明"}, {"回頭率", "不明"}}},
      // type 4, mmsi 972158237, lon 205.116887, lat 109.332052: a MOB number with no
      // position to give
      {"MOB with a bad position",
       {"!AIVDM,1,1,,B,4>O7m7Iu@<9qUfbtm`vSnwvH20S8,0*46"},
       972158237,
       {{"種別", "MOB"}, {"国籍", "—"}, {"位置", "不明"}, {"航行状態", "不明"}}},
  };
  for (const Station& s : stations) {
    for (const char* line : s.sentences) Feed(line);
    const Card card = CardOf(s.mmsi);
    ExpectRows(card, s.rows, s.what);
    // Without a watch its rows say nothing rather than something wrong.
    ExpectRows(card, {{"CPA", "—"}, {"TCPA", "—"}, {"状態", "—"}}, s.what);
  }
}

TEST_F(ShipCardTest, CpaAndLostComeFromTheWatch) {
  // Own ship still, two minutes of latitude south of the SART.
  Feed("$GPRMC,120000.00,A,3528.000,N,13948.000,E,0.0,0.0,081226,,,A*00");
  Feed("!AIVDM,1,1,,A,1>M4nfNP01awu20DD38>4?vt0000,0*1A");
  TrafficWatch watch(table.DynamicCount());
  watch.Pass(table, intake.counters, intake.options, clock.TickMs());
  ExpectRows(CardOf(970012345, &watch),
             {{"距離・方位", "2.00 NM 000°"}, {"CPA", "2.00 NM"}, {"TCPA", "0.0 分"}, {"状態", "受信中"}},
             "heard now");

  // Seven minutes of silence: the frame step ages the entry; the watch calls it lost.
  const int index = table.FindShip(970012345);
  table.Edit(index)->Age = 7 * 60 * 1000;
  table.Commit(index);
  clock.Advance(7 * 60 * 1000);
  watch.Pass(table, intake.counters, intake.options, clock.TickMs());
  ExpectRows(CardOf(970012345, &watch), {{"状態", "消失 (受信途絶)"}, {"最終受信", "12:00:00 (7 分 0 秒前)"}},
             "silent");
}

TEST_F(ShipCardTest, NoCardForAFreeEntry) {
  EXPECT_TRUE(ShipCardLines(table, 5, nullptr, clock.Now(), ports).empty());
  EXPECT_TRUE(ShipCardLines(table, 0, nullptr, clock.Now(), ports).empty());
  EXPECT_TRUE(ShipCardLines(table, table.Stations() + 1, nullptr, clock.Now(), ports).empty());
}

}  // namespace
}  // namespace aismon
