// The port list: the shipped one reads cleanly, bad lines are reported by number, and coded
// destinations find their ports.
#include "card/port_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace aismon {
namespace {

TEST(PortListTest, TheShippedListReadsWithoutErrors) {
  PortList list;
  std::vector<std::string> errors;
  EXPECT_TRUE(list.Parse(BuiltinPortText(), &errors));
  EXPECT_TRUE(errors.empty()) << errors.front();
  EXPECT_GE(list.Size(), 80);
  EXPECT_EQ(BuiltinPortList().Size(), list.Size());
  for (const char* code : {"JPTYO", "JPYOK", "JPKWS", "JPCHB", "JPKIJ", "JPUKB", "JPOSA", "JPNGO", "JPNAH"})
    EXPECT_NE(list.Find(code), nullptr) << code;
}

TEST(PortListTest, BadLinesAreLeftOutAndNamedByNumber) {
  const char* text =
      "# ports\r\n"
      "JPTYO,東京\r\n"
      "JPYOK 横浜\r\n"
      "JPTY,東京\r\n"
      "JP1YO,どこか\r\n"
      "JPKWS,\r\n"
      "\r\n"
      "JPTYO,東京港\r\n"
      "jpchb,千葉\r\n"
      "JPUKB , 神戸 \r\n";
  PortList list;
  std::vector<std::string> errors;
  EXPECT_FALSE(list.Parse(text, &errors));
  ASSERT_EQ(errors.size(), 6u);
  const char* lines[] = {"line 3:", "line 4:", "line 5:", "line 6:", "line 8:", "line 9:"};
  for (size_t i = 0; i < errors.size(); ++i) EXPECT_EQ(errors[i].rfind(lines[i], 0), 0u) << errors[i];
  EXPECT_EQ(list.Size(), 2);
  ASSERT_NE(list.Find("JPTYO"), nullptr);
  EXPECT_EQ(list.Find("JPTYO")->name, "東京");  // the first of a repeated code stays
  ASSERT_NE(list.Find("JPUKB"), nullptr);
  EXPECT_EQ(list.Find("JPUKB")->name, "神戸");
}

TEST(PortListTest, CodedDestinations) {
  const PortList ports = BuiltinPortList();
  struct Row {
    const char* dest;
    bool coded;
    const char* from;  // name, or "" for none
    const char* to;
    const char* text;  // what the card shows
  } rows[] = {
      {"JP TYO", true, "", "東京", "JP TYO (東京)"},
      {"JPTYO", true, "", "東京", "JPTYO (東京)"},
      {"jp kws", true, "", "川崎", "jp kws (川崎)"},
      {">JP UKB", true, "", "神戸", ">JP UKB (神戸)"},
      {"JP UKB>JP TYO", true, "神戸", "東京", "JP UKB>JP TYO (神戸 → 東京)"},
      {"JPUKB > JPTYO", true, "神戸", "東京", "JPUKB > JPTYO (神戸 → 東京)"},
      {"JP YOK ", true, "", "横浜", "JP YOK (横浜)"},
      {"  JP KIJ  ", true, "", "新潟", "JP KIJ (新潟)"},
      {"JP CHB>JP YOK>JP NGO", true, "千葉", "名古屋", "JP CHB>JP YOK>JP NGO (千葉 → 名古屋)"},
      {"KR PUS>JP HKT", true, "", "博多", "KR PUS>JP HKT (KR PUS → 博多)"},
      {"JP XYZ", true, "", "", "JP XYZ"},
      {"TOKYO", false, "", "", "TOKYO"},  // not Tonga's KYO
      {"OSAKA>CHIBA", false, "", "", "OSAKA>CHIBA"},
      {"KRPUS", false, "", "", "KRPUS"},
      {"JP TYO OFF", false, "", "", "JP TYO OFF"},
      {"JP TYO>", false, "", "", "JP TYO>"},
      {"", false, "", "", "不明"},
  };
  for (const Row& r : rows) {
    const DestinationPorts d = DestinationPort(r.dest, ports);
    EXPECT_EQ(d.coded, r.coded) << r.dest;
    EXPECT_EQ(d.from != nullptr ? d.from->name : "", r.from) << r.dest;
    EXPECT_EQ(d.to != nullptr ? d.to->name : "", r.to) << r.dest;
    EXPECT_EQ(DestinationText(r.dest, ports), r.text) << r.dest;
  }
}

}  // namespace
}  // namespace aismon
