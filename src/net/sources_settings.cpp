#include "net/sources_settings.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>

#include "common/settings_file.h"
#include "net/source_name.h"
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

// "sourceN" with N from 1 to 8.
int SourceKeyNumber(const std::string& lowerKey) {
  if (lowerKey.size() != 7 || lowerKey.rfind("source", 0) != 0) return 0;
  const char d = lowerKey[6];
  if (d < '1' || d > '0' + kMaxNetworkSources) return 0;
  return d - '0';
}

}  // namespace

std::optional<std::vector<std::string>> ReadSourcesSection(const std::filesystem::path& iniPath) {
  std::ifstream in(iniPath, std::ios::binary);
  if (!in) return std::nullopt;
  std::map<int, std::string> byKey;
  bool inSources = false, found = false;
  std::string line, section;
  while (std::getline(in, line)) {
    const std::string t = Trim(line);
    if (t.empty() || t[0] == ';') continue;
    if (IsSection(t, section)) {
      inSources = section == "sources";
      found = found || inSources;
      continue;
    }
    if (!inSources) continue;
    const size_t eq = t.find('=');
    if (eq == std::string::npos) continue;
    const int n = SourceKeyNumber(Lower(Trim(t.substr(0, eq))));
    const std::string value = Trim(t.substr(eq + 1));
    if (n != 0 && !value.empty()) byKey[n] = value;
  }
  if (!found) return std::nullopt;
  std::vector<std::string> names;
  for (auto& [n, v] : byKey) names.push_back(v);
  return names;
}

bool WriteSourcesSection(const std::filesystem::path& iniPath, const std::vector<std::string>& names) {
  std::vector<std::string> out;
  auto writeSection = [&] {
    out.push_back("[Sources]");
    for (size_t i = 0; i < names.size() && i < static_cast<size_t>(kMaxNetworkSources); ++i)
      out.push_back("Source" + std::to_string(i + 1) + "=" + names[i]);
  };
  bool inSources = false, wrote = false;
  {
    std::ifstream in(iniPath, std::ios::binary);
    std::string line, section;
    while (in && std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (IsSection(Trim(line), section)) {
        inSources = section == "sources";
        if (inSources) {
          // A second [Sources] section is folded into the first.
          if (!wrote) writeSection();
          wrote = true;
          continue;
        }
      }
      if (!inSources) out.push_back(line);
    }
  }
  if (!wrote) writeSection();
  return ReplaceIniLines(iniPath, out);
}

}  // namespace aismon
