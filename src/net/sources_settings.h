#pragma once
// Section "Sources" of the settings file: keys Source1 ... Source8, one source name each.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace aismon {

// The values of Source1 ... Source8 in key order, blanks trimmed, empty values left out;
// nullopt when the file or the section is missing (an empty section means "no sources",
// which is a choice of its own).
std::optional<std::vector<std::string>> ReadSourcesSection(const std::filesystem::path& iniPath);
// Replaces the section with Source1 ... SourceN for the first eight names, keeping the
// file's other sections and lines; written beside and renamed over the old file.
bool WriteSourcesSection(const std::filesystem::path& iniPath, const std::vector<std::string>& names);

}  // namespace aismon
