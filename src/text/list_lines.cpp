#include "text/list_lines.h"

#include <fstream>
#include <iterator>

namespace aismon {

std::vector<std::string> SplitListLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    const size_t next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos) end = text.size();
    size_t stop = end;
    if (stop > start && text[stop - 1] == '\r') --stop;
    lines.emplace_back(text.substr(start, stop - start));
    start = next;
  }
  return lines;
}

bool ReadListFile(const std::filesystem::path& path, std::vector<std::string>& lines) {
  lines.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return false;
  lines = SplitListLines(text);
  return true;
}

}  // namespace aismon
