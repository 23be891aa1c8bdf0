#include "common/settings_file.h"

#include <cmath>
#include <cctype>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "common/platform.h"
#include "text/decimal.h"

namespace aismon {

bool ReplaceIniLines(const std::filesystem::path& iniPath, const std::vector<std::string>& out) {
  std::filesystem::path temp = iniPath;
  temp += ".tmp";
  {
    std::ofstream f(temp, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    for (const std::string& l : out) f << l << "\r\n";
    f.flush();
    if (!f) {
      std::error_code ec;
      std::filesystem::remove(temp, ec);
      return false;
    }
  }
  if (!ReplaceByRename(temp, iniPath)) {
    std::error_code ignored;
    std::filesystem::remove(temp, ignored);
    return false;
  }
  return true;
}

namespace {

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

bool SameKey(const std::string& a, const char* b) {
  // Ini keys and sections are case-insensitive.
  size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// A value is a number only when the whole trimmed text is one.
bool ParseWholeNumber(const std::string& text, double& out) {
  size_t used = 0;
  const double v = ParseDecimalPrefix(text, &used);
  if (used == 0 || used != text.size() || !std::isfinite(v)) return false;
  out = v;
  return true;
}

std::string FormatValue(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  return buf;
}

}  // namespace

MapCenter ReadMapCenter(const std::filesystem::path& iniPath) {
  MapCenter c;
  // Binary everywhere: CR is dropped here by hand, and a Ctrl-Z byte is not an end of file.
  std::ifstream in(iniPath, std::ios::binary);
  if (!in) return c;
  std::string line, section;
  while (std::getline(in, line)) {
    const std::string t = Trim(line);
    if (t.empty() || t[0] == ';') continue;
    if (t.front() == '[' && t.back() == ']') {
      section = Trim(t.substr(1, t.size() - 2));
      continue;
    }
    const size_t eq = t.find('=');
    if (eq == std::string::npos || !SameKey(section, "Map")) continue;
    const std::string key = Trim(t.substr(0, eq));
    const std::string value = Trim(t.substr(eq + 1));
    if (SameKey(key, "Lat")) ParseWholeNumber(value, c.lat);
    if (SameKey(key, "Lon")) ParseWholeNumber(value, c.lon);
  }
  return c;
}

bool WriteMapCenter(const std::filesystem::path& iniPath, const MapCenter& center) {
  std::vector<std::string> lines;
  {
    std::ifstream in(iniPath, std::ios::binary);
    std::string line;
    while (in && std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
  }
  // Replace or add Lat and Lon inside [Map]; everything else stays as it was.
  bool inMap = false, haveSection = false, wroteLat = false, wroteLon = false;
  std::vector<std::string> out;
  auto finishMap = [&]() {
    if (!wroteLat) out.push_back("Lat=" + FormatValue(center.lat));
    if (!wroteLon) out.push_back("Lon=" + FormatValue(center.lon));
    wroteLat = wroteLon = true;
  };
  for (const std::string& line : lines) {
    const std::string t = Trim(line);
    if (!t.empty() && t.front() == '[' && t.back() == ']') {
      if (inMap) finishMap();
      inMap = SameKey(Trim(t.substr(1, t.size() - 2)), "Map");
      haveSection = haveSection || inMap;
      out.push_back(line);
      continue;
    }
    if (inMap) {
      const size_t eq = t.find('=');
      const std::string key = eq == std::string::npos ? "" : Trim(t.substr(0, eq));
      if (SameKey(key, "Lat")) {
        if (!wroteLat) out.push_back("Lat=" + FormatValue(center.lat));
        wroteLat = true;
        continue;
      }
      if (SameKey(key, "Lon")) {
        if (!wroteLon) out.push_back("Lon=" + FormatValue(center.lon));
        wroteLon = true;
        continue;
      }
    }
    out.push_back(line);
  }
  if (inMap) finishMap();
  if (!haveSection) {
    out.push_back("[Map]");
    finishMap();
  }
  return ReplaceIniLines(iniPath, out);
}

namespace {

std::vector<std::string> ReadLines(const std::filesystem::path& iniPath) {
  std::vector<std::string> lines;
  std::ifstream in(iniPath, std::ios::binary);
  std::string line;
  while (in && std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

}  // namespace

std::vector<std::pair<std::string, double>> ReadIniNumbers(const std::filesystem::path& iniPath,
                                                           const char* section) {
  std::vector<std::pair<std::string, double>> values;
  std::string current;
  for (const std::string& line : ReadLines(iniPath)) {
    const std::string t = Trim(line);
    if (t.empty() || t[0] == ';') continue;
    if (t.front() == '[' && t.back() == ']') {
      current = Trim(t.substr(1, t.size() - 2));
      continue;
    }
    const size_t eq = t.find('=');
    if (eq == std::string::npos || !SameKey(current, section)) continue;
    double v = 0;
    if (ParseWholeNumber(Trim(t.substr(eq + 1)), v)) values.emplace_back(Trim(t.substr(0, eq)), v);
  }
  return values;
}

bool WriteIniTexts(const std::filesystem::path& iniPath, const char* section,
                   const std::vector<std::pair<std::string, std::string>>& values) {
  std::vector<bool> written(values.size(), false);
  bool inSection = false, haveSection = false;
  std::vector<std::string> out;
  auto finishSection = [&]() {
    for (size_t i = 0; i < values.size(); ++i)
      if (!written[i]) out.push_back(values[i].first + "=" + values[i].second);
    std::fill(written.begin(), written.end(), true);
  };
  for (const std::string& line : ReadLines(iniPath)) {
    const std::string t = Trim(line);
    if (!t.empty() && t.front() == '[' && t.back() == ']') {
      if (inSection) finishSection();
      inSection = SameKey(Trim(t.substr(1, t.size() - 2)), section);
      haveSection = haveSection || inSection;
      out.push_back(line);
      continue;
    }
    if (inSection) {
      const size_t eq = t.find('=');
      const std::string key = eq == std::string::npos ? "" : Trim(t.substr(0, eq));
      bool replaced = false;
      for (size_t i = 0; i < values.size() && !replaced; ++i) {
        if (!SameKey(key, values[i].first.c_str())) continue;
        if (!written[i]) out.push_back(values[i].first + "=" + values[i].second);
        written[i] = true;
        replaced = true;
      }
      if (replaced) continue;
    }
    out.push_back(line);
  }
  if (inSection) finishSection();
  if (!haveSection) {
    out.push_back(std::string("[") + section + "]");
    finishSection();
  }
  return ReplaceIniLines(iniPath, out);
}

bool WriteIniNumbers(const std::filesystem::path& iniPath, const char* section,
                     const std::vector<std::pair<std::string, double>>& values) {
  std::vector<std::pair<std::string, std::string>> texts;
  texts.reserve(values.size());
  for (const auto& [key, value] : values) texts.emplace_back(key, FormatValue(value));
  return WriteIniTexts(iniPath, section, texts);
}

std::optional<std::string> ReadIniText(const std::filesystem::path& iniPath, const char* section, const char* key) {
  bool inSection = false;
  for (const std::string& line : ReadLines(iniPath)) {
    const std::string t = Trim(line);
    if (!t.empty() && t.front() == '[' && t.back() == ']') {
      inSection = SameKey(Trim(t.substr(1, t.size() - 2)), section);
      continue;
    }
    const size_t eq = t.find('=');
    if (inSection && eq != std::string::npos && SameKey(Trim(t.substr(0, eq)), key)) return Trim(t.substr(eq + 1));
  }
  return std::nullopt;
}

}  // namespace aismon
