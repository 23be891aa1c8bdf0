#include "net/mqtt_passwords.h"


namespace aismon {

void MqttPasswords::Learn(const MqttAddress& a) {
  if (a.user.empty() || a.password.empty()) return;
  for (Entry& e : entries_) {
    if (e.user == a.user && e.host == a.host) {
      e.password = a.password;
      return;
    }
  }
  entries_.push_back(Entry{a.user, a.host, a.password});
}

bool MqttPasswords::Fill(MqttAddress& a) const {
  if (a.user.empty() || !a.password.empty()) return false;
  for (const Entry& e : entries_) {
    if (e.user == a.user && e.host == a.host) {
      a.password = e.password;
      return true;
    }
  }
  return false;
}

std::string MqttPasswords::Complete(const std::string& name) {
  MqttAddress a;
  if (!ParseMqttName(name, a)) return name;
  Learn(a);
  if (!Fill(a)) return name;
  // Only the login is put in; an output's options after the topic stay as written.
  const size_t query = name.find('?');
  return MqttName(a) + (query == std::string::npos ? std::string() : name.substr(query));
}

}  // namespace aismon
