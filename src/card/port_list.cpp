#include "card/port_list.h"

#include <algorithm>

#include "text/list_lines.h"
#include "text/text_parse.h"

namespace aismon {

namespace {

constexpr std::string_view kBuiltinPorts =
#include "card/jp_locodes.inc"
    ;

bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }

// UN/LOCODE: two letters of the country, three letters or digits 2-9 of the place.
bool IsLocode(std::string_view s) {
  if (s.size() != 5 || !IsUpper(s[0]) || !IsUpper(s[1])) return false;
  for (size_t i = 2; i < 5; ++i)
    if (!IsUpper(s[i]) && !(s[i] >= '2' && s[i] <= '9')) return false;
  return true;
}

std::string_view CodeView(const PortEntry& p) { return std::string_view(p.code.data(), p.code.size()); }

bool IsPadding(char c) { return static_cast<unsigned char>(c) <= ' ' || c == '@'; }

// One '>'-separated part of a destination as a code, upper-cased without blanks or padding;
// empty when the part is empty. Written without the blank after the country, five letters
// are as often a name ("TOKYO", "OSAKA", "CHIBA") as a code, so that form counts only for
// Japan ("JPTYO"); "KR PUS" counts for any country.
std::string PartCode(std::string_view part, bool* looksCoded) {
  while (!part.empty() && IsPadding(part.front())) part.remove_prefix(1);
  while (!part.empty() && IsPadding(part.back())) part.remove_suffix(1);
  std::string out;
  for (char c : part) {
    if (IsPadding(c)) continue;
    out.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
  }
  const bool spaced = part.size() > 2 && IsPadding(part[2]);
  *looksCoded = IsLocode(out) && (spaced || out.compare(0, 2, "JP") == 0);
  return out;
}

std::string Spaced(std::string_view code) { return std::string(code.substr(0, 2)) + " " + std::string(code.substr(2)); }

}  // namespace

bool PortList::Parse(std::string_view text, std::vector<std::string>* errors) {
  bool good = true;
  const auto fail = [&](size_t line, const std::string& why) {
    good = false;
    if (errors != nullptr) errors->push_back("line " + std::to_string(line) + ": " + why);
  };
  const std::vector<std::string> lines = SplitListLines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = TrimBlanks(lines[i]);
    if (line.empty() || line.front() == '#') continue;
    const size_t comma = line.find(',');
    if (comma == std::string_view::npos) {
      fail(i + 1, "no comma between the code and the name");
      continue;
    }
    const std::string_view code = TrimBlanks(line.substr(0, comma));
    const std::string_view name = TrimBlanks(line.substr(comma + 1));
    if (!IsLocode(code)) {
      fail(i + 1, "\"" + std::string(code) + "\" is not a five-character UN/LOCODE such as JPTYO");
      continue;
    }
    if (name.empty()) {
      fail(i + 1, "no name for " + std::string(code));
      continue;
    }
    if (Find(code) != nullptr) {
      fail(i + 1, std::string(code) + " is listed twice");
      continue;
    }
    PortEntry p;
    std::copy(code.begin(), code.end(), p.code.begin());
    p.name = std::string(name);
    const auto at = std::lower_bound(ports_.begin(), ports_.end(), code,
                                     [](const PortEntry& e, std::string_view c) { return CodeView(e) < c; });
    ports_.insert(at, std::move(p));
  }
  return good;
}

const PortEntry* PortList::Find(std::string_view code) const {
  const auto at = std::lower_bound(ports_.begin(), ports_.end(), code,
                                   [](const PortEntry& e, std::string_view c) { return CodeView(e) < c; });
  return at != ports_.end() && CodeView(*at) == code ? &*at : nullptr;
}

std::string_view BuiltinPortText() { return kBuiltinPorts; }

PortList BuiltinPortList() {
  PortList list;
  list.Parse(kBuiltinPorts);
  return list;
}

DestinationPorts DestinationPort(std::string_view text, const PortList& ports) {
  DestinationPorts d;
  std::vector<std::string> parts;
  bool coded = true;
  size_t start = 0;
  while (true) {
    const size_t gt = text.find('>', start);
    bool looksCoded = false;
    parts.push_back(PartCode(text.substr(start, gt == std::string_view::npos ? std::string_view::npos : gt - start),
                             &looksCoded));
    // ">JP UKB" has nothing before its '>': only where the ship is going.
    if (!looksCoded && !(parts.size() == 1 && parts[0].empty() && gt != std::string_view::npos)) coded = false;
    if (gt == std::string_view::npos) break;
    start = gt + 1;
  }
  if (!coded) return d;
  if (parts.front().empty()) parts.erase(parts.begin());
  d.coded = true;
  d.toCode = Spaced(parts.back());
  d.to = ports.Find(parts.back());
  if (parts.size() >= 2) {  // a route through several ports: from the first to the last
    d.fromCode = Spaced(parts.front());
    d.from = ports.Find(parts.front());
  }
  return d;
}

std::string DestinationText(std::string_view text, const PortList& ports) {
  const std::string_view shown = TrimBlanks(text);
  if (shown.empty()) return "不明";
  std::string out(shown);
  const DestinationPorts d = DestinationPort(shown, ports);
  if (!d.coded || (d.to == nullptr && d.from == nullptr)) return out;
  const auto name = [](const PortEntry* p, const std::string& code) { return p != nullptr ? p->name : code; };
  out += " (";
  if (!d.fromCode.empty()) out += name(d.from, d.fromCode) + " → ";
  out += name(d.to, d.toCode) + ")";
  return out;
}

}  // namespace aismon
