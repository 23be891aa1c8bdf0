#include "net/outputs_settings.h"

#include "net/name_list_section.h"
#include "net/output_name.h"

namespace aismon {

std::optional<std::vector<std::string>> ReadOutputsSection(const std::filesystem::path& iniPath) {
  return ReadNameList(iniPath, "Outputs", "Output", kMaxOutputs);
}

bool WriteOutputsSection(const std::filesystem::path& iniPath, const std::vector<std::string>& names,
                         bool keepPasswords) {
  if (keepPasswords) return WriteNameList(iniPath, "Outputs", "Output", kMaxOutputs, names);
  std::vector<std::string> stored;
  for (const std::string& n : names) stored.push_back(NameWithoutPassword(n));
  return WriteNameList(iniPath, "Outputs", "Output", kMaxOutputs, stored);
}

std::string NameWithoutPassword(const std::string& name) {
  OutputAddress a;
  if (ParseOutputName(name, a) && a.kind == OutputKind::Mqtt) return OutputName(a, false);
  MqttAddress m;
  if (ParseMqttName(name, m)) return MqttDisplayName(m);  // a source name
  return name;
}

}  // namespace aismon
