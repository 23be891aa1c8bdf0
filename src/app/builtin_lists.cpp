#include "app/builtin_lists.h"

#include "text/list_lines.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "text/sjis.h"

namespace aismon {

namespace {

// The sample sentences: two minutes of Osaka Bay traffic, made by tools/make_demo_sample.py.
constexpr std::string_view kMemoSampleText =
#include "app/memo_sample.inc"
    ;

// Kept as UTF-8 here so the source stays readable; converted to Shift-JIS when loaded.
constexpr std::string_view kMemoMmsiText = R"LIST(431000001,おけさ丸
431003215,第三なにわ丸
431100293,すまエクスプレス
431023494,さかい丸
431500672,いずみ丸
431602349,ＨＡＲＩＭＡ　ＳＴＡＲ
431010472,ちぬ
)LIST";

constexpr std::string_view kMemoChimeiText = R"LIST(//,LEVEL,99999,1500,500,200,10
//,lat,lon,date,level,kind,name,roman,country
P,43.062,141.354,2006/11/23,0,1,札幌市,Sapporo,日本
P,35.690,139.692,,0,1,東京,Tokyo,日本
P,35.444,139.638,,1,1,横浜市,Yokohama,日本
P,35.181,136.907,,0,1,名古屋市,Nagoya,日本
P,35.012,135.768,,1,1,京都市,Kyoto,日本
P,34.694,135.502,,0,1,大阪市,Osaka,日本
P,34.690,135.196,,1,1,神戸市,Kobe,日本
P,34.573,135.483,,2,1,堺市,Sakai,日本
P,34.226,135.168,,2,1,和歌山市,Wakayama,日本
P,34.385,132.455,,1,1,広島市,Hiroshima,日本
P,33.590,130.402,,0,1,福岡市,Fukuoka,日本
P,34.520,135.200,,1,2,大阪湾,Osaka Bay,日本
P,34.617,135.022,,3,2,明石海峡,Akashi Strait,日本
P,34.370,134.830,,2,2,淡路島,Awaji Island,日本
P,34.283,135.003,,4,2,友ヶ島,Tomogashima,日本
P,34.434,135.233,,3,9,関西国際空港,Kansai Airport,日本
)LIST";

std::vector<std::string> Utf8ListToShiftJis(std::string_view utf8) {
  std::vector<std::string> lines = SplitListLines(utf8);
  for (std::string& line : lines) line = Utf8ToShiftJis(line);
  return lines;
}

}  // namespace

std::vector<std::string> BuiltinMemoSample() { return Utf8ListToShiftJis(kMemoSampleText); }
std::vector<std::string> BuiltinMemoMmsi() { return Utf8ListToShiftJis(kMemoMmsiText); }
std::vector<std::string> BuiltinMemoChimei() { return Utf8ListToShiftJis(kMemoChimeiText); }

std::vector<std::string> LoadListOrBuiltin(const std::filesystem::path& dataFolder, std::string_view fileName,
                                           const std::vector<std::string>& builtin) {
  const std::filesystem::path path = dataFolder / std::filesystem::path(std::string(fileName));
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return builtin;
  std::ifstream in(path, std::ios::binary);
  if (!in) return builtin;
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) return builtin;
  return SplitListLines(text);
}

BuiltinLists LoadBuiltinLists(const std::filesystem::path& dataFolder) {
  BuiltinLists lists;
  lists.memoMmsi = LoadListOrBuiltin(dataFolder, kMemoMmsiFileName, BuiltinMemoMmsi());
  lists.memoChimei = LoadListOrBuiltin(dataFolder, kMemoChimeiFileName, BuiltinMemoChimei());
  lists.memoSample = BuiltinMemoSample();
  return lists;
}

}  // namespace aismon
