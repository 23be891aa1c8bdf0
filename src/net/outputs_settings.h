#pragma once
// Section "Outputs" of the settings file: keys Output1 ... Output8, one output name each.
// A broker's password is kept there only when the person asks for it.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace aismon {

// As for the sources: nullopt when the file or the section is missing.
std::optional<std::vector<std::string>> ReadOutputsSection(const std::filesystem::path& iniPath);
// Writes the first eight names; unless keepPasswords, an mqtt:// name loses its password.
bool WriteOutputsSection(const std::filesystem::path& iniPath, const std::vector<std::string>& names,
                         bool keepPasswords = false);
// Key "CaFile" of section "Mqtt": the CA certificates mqtts:// sources and outputs trust
// instead of the system's; empty when not set.
std::string ReadMqttCaFile(const std::filesystem::path& iniPath);
bool WriteMqttCaFile(const std::filesystem::path& iniPath, const std::string& caFile);

// Whether the person asked to keep brokers' passwords with the sources or the outputs in
// the settings file (keys "KeepSourcePasswords", "KeepOutputPasswords" of section "Mqtt").
// Without the key, a password already in the section counts as asked for: one written
// there by hand stays.
enum class PasswordList { Sources, Outputs };
bool ReadKeepPasswords(const std::filesystem::path& iniPath, PasswordList list);
bool WriteKeepPasswords(const std::filesystem::path& iniPath, PasswordList list, bool keep);

// The name as it may be stored without asking: a broker's password taken out, anything
// else unchanged.
std::string NameWithoutPassword(const std::string& name);

}  // namespace aismon
