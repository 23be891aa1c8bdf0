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

constexpr std::string_view kMemoChimeiText =
#include "app/memo_chimei.inc"
    ;

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

BuiltinLists LoadBuiltinLists(const std::filesystem::path& dataFolder, const std::filesystem::path& sharedFolder) {
  const auto load = [&](std::string_view fileName, const std::vector<std::string>& builtin) {
    if (sharedFolder.empty()) return LoadListOrBuiltin(dataFolder, fileName, builtin);
    return LoadListOrBuiltin(dataFolder, fileName, LoadListOrBuiltin(sharedFolder, fileName, builtin));
  };
  BuiltinLists lists;
  lists.memoMmsi = load(kMemoMmsiFileName, BuiltinMemoMmsi());
  lists.memoChimei = load(kMemoChimeiFileName, BuiltinMemoChimei());
  lists.memoSample = BuiltinMemoSample();
  return lists;
}

}  // namespace aismon
