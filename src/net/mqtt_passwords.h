#pragma once
// The brokers' passwords this run has been given, by user and host, so that a name shown
// (and so written back) without its password still connects as before. Held in memory
// only; never written anywhere.
#include <string>
#include <vector>

#include "net/mqtt_name.h"

namespace aismon {

class MqttPasswords {
 public:
  // Remembers a's password, when it has one, for a's user at a's host.
  void Learn(const MqttAddress& a);
  // Gives a with a user and no password the one remembered for that user at that host;
  // true when it did.
  bool Fill(MqttAddress& a) const;
  // Learns from a name that carries a password, or fills one that lacks it: the name
  // (a source's or an output's) as the connection needs it. Other names come back as given.
  std::string Complete(const std::string& name);

 private:
  struct Entry {
    std::string user, host, password;
  };
  std::vector<Entry> entries_;
};

}  // namespace aismon
