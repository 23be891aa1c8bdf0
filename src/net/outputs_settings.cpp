#include "net/outputs_settings.h"

#include <fstream>

#include "common/settings_file.h"
#include "net/name_list_section.h"
#include "net/output_name.h"
#include "net/sources_settings.h"
#include "text/text_parse.h"

namespace aismon {

std::optional<std::vector<std::string>> ReadOutputsSection(const std::filesystem::path& iniPath) {
  return ReadNameList(iniPath, "Outputs", "Output", kMaxOutputs);
}

bool WriteOutputsSection(const std::filesystem::path& iniPath, const std::vector<std::string>& names,
                         bool keepPasswords) {
  if (keepPasswords) return WriteNameList(iniPath, "Outputs", "Output", kMaxOutputs, names);
  std::vector<std::string> stored;
  for (const std::string& n : names) stored.push_back(NameWithoutPassword(n));
  return WriteNameList(iniPath, "Outputs", "Output", kMaxOutputs, stored);
}

std::string ReadMqttCaFile(const std::filesystem::path& iniPath) {
  // One key: the numbered-list reader's rule (sections and keys without case, blanks
  // trimmed) applied to a single value.
  auto lower = [](std::string_view v) {
    std::string out(v);
    for (char& c : out) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return out;
  };
  std::ifstream in(iniPath, std::ios::binary);
  std::string line, value;
  bool inSection = false;
  while (std::getline(in, line)) {
    const std::string_view t = TrimBlanks(line);
    if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
      inSection = lower(TrimBlanks(t.substr(1, t.size() - 2))) == "mqtt";
      continue;
    }
    const size_t eq = t.find('=');
    if (inSection && eq != std::string_view::npos && lower(TrimBlanks(t.substr(0, eq))) == "cafile")
      value = std::string(TrimBlanks(t.substr(eq + 1)));
  }
  return value;
}

bool WriteMqttCaFile(const std::filesystem::path& iniPath, const std::string& caFile) {
  return WriteIniTexts(iniPath, "Mqtt", {{"CaFile", caFile}});
}

namespace {

const char* KeepKey(PasswordList list) {
  return list == PasswordList::Sources ? "KeepSourcePasswords" : "KeepOutputPasswords";
}

}  // namespace

bool ReadKeepPasswords(const std::filesystem::path& iniPath, PasswordList list) {
  if (const auto flag = ReadIniText(iniPath, "Mqtt", KeepKey(list))) return *flag == "1";
  const auto stored = list == PasswordList::Sources ? ReadSourcesSection(iniPath) : ReadOutputsSection(iniPath);
  for (const std::string& n : stored.value_or(std::vector<std::string>{})) {
    MqttAddress m;
    if (ParseMqttName(n, m) && !m.password.empty()) return true;
  }
  return false;
}

bool WriteKeepPasswords(const std::filesystem::path& iniPath, PasswordList list, bool keep) {
  return WriteIniTexts(iniPath, "Mqtt", {{KeepKey(list), keep ? "1" : "0"}});
}

std::string NameWithoutPassword(const std::string& name) {
  OutputAddress a;
  if (ParseOutputName(name, a) && a.kind == OutputKind::Mqtt) return OutputName(a, false);
  MqttAddress m;
  if (ParseMqttName(name, m)) return MqttDisplayName(m);  // a source name
  return name;
}

}  // namespace aismon
