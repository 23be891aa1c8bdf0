#include "net/sources_settings.h"

#include "net/name_list_section.h"
#include "net/source_name.h"

namespace aismon {

std::optional<std::vector<std::string>> ReadSourcesSection(const std::filesystem::path& iniPath) {
  return ReadNameList(iniPath, "Sources", "Source", kMaxNetworkSources);
}

bool WriteSourcesSection(const std::filesystem::path& iniPath, const std::vector<std::string>& names) {
  return WriteNameList(iniPath, "Sources", "Source", kMaxNetworkSources, names);
}

}  // namespace aismon
