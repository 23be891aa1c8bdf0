#include "net/name_list_section.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>

#include "common/settings_file.h"
#include "text/text_parse.h"

namespace aismon {

namespace {

std::string Trim(const std::string& s) { return std::string(TrimBlanks(s)); }

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool IsSection(const std::string& trimmed, std::string& name) {
  if (trimmed.size() < 2 || trimmed.front() != '[' || trimmed.back() != ']') return false;
  name = Lower(Trim(trimmed.substr(1, trimmed.size() - 2)));
  return true;
}

// "keyN" with N from 1 to max.
int KeyNumber(const std::string& lowerKey, const std::string& key, int max) {
  if (lowerKey.size() <= key.size() || lowerKey.size() > key.size() + 2 || lowerKey.rfind(key, 0) != 0) return 0;
  int n = 0;
  for (size_t i = key.size(); i < lowerKey.size(); ++i) {
    if (lowerKey[i] < '0' || lowerKey[i] > '9') return 0;
    n = n * 10 + (lowerKey[i] - '0');
  }
  return lowerKey[key.size()] != '0' && n >= 1 && n <= max ? n : 0;
}

}  // namespace

std::optional<std::vector<std::string>> ReadNameList(const std::filesystem::path& iniPath, const char* sectionName,
                                                     const char* key, int max) {
  const std::string wanted = Lower(sectionName), lowerKey = Lower(key);
  std::ifstream in(iniPath, std::ios::binary);
  if (!in) return std::nullopt;
  std::map<int, std::string> byKey;
  bool inSection = false, found = false;
  std::string line, section;
  while (std::getline(in, line)) {
    const std::string t = Trim(line);
    if (t.empty() || t[0] == ';') continue;
    if (IsSection(t, section)) {
      inSection = section == wanted;
      found = found || inSection;
      continue;
    }
    if (!inSection) continue;
    const size_t eq = t.find('=');
    if (eq == std::string::npos) continue;
    const int n = KeyNumber(Lower(Trim(t.substr(0, eq))), lowerKey, max);
    const std::string value = Trim(t.substr(eq + 1));
    if (n != 0 && !value.empty()) byKey[n] = value;
  }
  if (!found) return std::nullopt;
  std::vector<std::string> names;
  for (auto& [n, v] : byKey) names.push_back(v);
  return names;
}

bool WriteNameList(const std::filesystem::path& iniPath, const char* sectionName, const char* key, int max,
                   const std::vector<std::string>& names) {
  const std::string wanted = Lower(sectionName);
  std::vector<std::string> out;
  auto writeSection = [&] {
    out.push_back("[" + std::string(sectionName) + "]");
    for (size_t i = 0; i < names.size() && i < static_cast<size_t>(max); ++i)
      out.push_back(key + std::to_string(i + 1) + "=" + names[i]);
  };
  bool inSection = false, wrote = false;
  {
    std::ifstream in(iniPath, std::ios::binary);
    std::string line, section;
    while (in && std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (IsSection(Trim(line), section)) {
        inSection = section == wanted;
        if (inSection) {
          // A second such section is folded into the first.
          if (!wrote) writeSection();
          wrote = true;
          continue;
        }
      }
      if (!inSection) out.push_back(line);
    }
  }
  if (!wrote) writeSection();
  return ReplaceIniLines(iniPath, out);
}

}  // namespace aismon
