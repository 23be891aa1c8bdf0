#pragma once
// Lines of the program's list texts and files (Shift-JIS, lines ended by CR LF or LF).
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace aismon {

// The lines of a text ended by CR LF or LF (a CR before the LF is dropped). A last line
// without an end still counts; an end after the last line adds no empty line.
std::vector<std::string> SplitListLines(std::string_view text);

// The lines of a list file; false (and no lines) when the file cannot be read.
bool ReadListFile(const std::filesystem::path& path, std::vector<std::string>& lines);

}  // namespace aismon
