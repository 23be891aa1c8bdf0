#pragma once
// A settings-file section that lists names under numbered keys ("[Sources]" Source1 ...,
// "[Outputs]" Output1 ...): read in key order, written in place of the old section.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace aismon {

// The values of KEY1 ... KEYmax in key order, blanks trimmed, empty values left out;
// nullopt when the file or the section is missing (an empty section means "none", a
// choice of its own). Section and key are matched without case.
std::optional<std::vector<std::string>> ReadNameList(const std::filesystem::path& iniPath, const char* section,
                                                     const char* key, int max);
// Replaces the section with KEY1 ... KEYn for the first max names, keeping the file's
// other sections and lines; written beside and renamed over the old file.
bool WriteNameList(const std::filesystem::path& iniPath, const char* section, const char* key, int max,
                   const std::vector<std::string>& names);

}  // namespace aismon
