#pragma once
// How many live stations the dynamic table holds: the setting "[Table] Stations" of the
// settings file, or a command line's --stations. Read once at start; a change applies
// from the next start, when the table is allocated.
#include <filesystem>

namespace aismon {

// A whole number from kMinStations to kMaxStations, nothing else; false otherwise.
bool ParseStationCount(const char* text, int& out);

// The setting; 1024 when the file, the key or a number is missing; a number out of range
// is brought into it.
int ReadStationCapacity(const std::filesystem::path& iniPath);
// Stores the setting, keeping the rest of the file; false when not written.
bool WriteStationCapacity(const std::filesystem::path& iniPath, int stations);

}  // namespace aismon
