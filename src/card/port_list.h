#pragma once
// Port names by UN/LOCODE, and the coded destinations ships put in their voyage data
// ("JP TYO", "JPUKB>JP TYO"). Names are UTF-8.
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace aismon {

struct PortEntry {
  std::array<char, 5> code;  // "JPTYO": country and location, no space
  std::string name;          // "東京"
};

class PortList {
 public:
  // Reads lines "CODE,名前" (CR LF or LF; "#" starts a comment line, blank lines are skipped).
  // A bad line is left out and described in errors ("line 7: ..."); the others are kept.
  // True when every line was good.
  bool Parse(std::string_view text, std::vector<std::string>* errors = nullptr);

  // The entry of a five-character code ("JPTYO", upper case), or nullptr.
  const PortEntry* Find(std::string_view code) const;
  int Size() const { return static_cast<int>(ports_.size()); }

 private:
  std::vector<PortEntry> ports_;  // sorted by code
};

// The list of Japanese ports the program carries, and its text (for checking it).
PortList BuiltinPortList();
std::string_view BuiltinPortText();

// A destination read as coded ports: the last code is where the ship is going; a code
// before a '>' is where it comes from. Codes are "JP TYO" (country, space, location).
struct DestinationPorts {
  bool coded = false;  // the whole text is one or two codes
  std::string fromCode, toCode;
  const PortEntry* from = nullptr;  // the list's entries, when it knows the codes
  const PortEntry* to = nullptr;
};

// Recognises "JP TYO", "JPTYO", "jp tyo", ">JP UKB", "JP UKB>JP TYO", "JP UKB > JPTYO" and
// the like (blanks and '@' padding anywhere, any case); another country's code only with its
// blank ("KR PUS"), since five letters run together are as often a name. Free text ("TOKYO",
// "JP TYO OFF") is not coded.
DestinationPorts DestinationPort(std::string_view text, const PortList& ports);

// The destination as the card shows it: the text itself, and for a coded one the port
// names beside it: "JP TYO (東京)", "JP UKB>JP TYO (神戸 → 東京)". "不明" when empty.
std::string DestinationText(std::string_view text, const PortList& ports);

}  // namespace aismon
