#include "app/mmsi_names.h"

#include <algorithm>
#include <cstring>

#include "text/half_width.h"
#include "text/text_parse.h"

namespace aismon {

MmsiNameEntry ParseMmsiNameLine(const std::string& lineSjis) {
  // The appended commas guarantee fields 0 and 1 even for an empty line.
  const std::vector<std::string> fields = SplitCommaText(lineSjis + ",,,");
  MmsiNameEntry e{};
  e.mmsi = ParseInteger(fields[0]);
  const std::string name = ToHalfWidth(fields[1], false);
  // A two-byte character may be cut in half here, as the 23-byte field always did.
  const size_t n = std::min(name.size(), kMmsiNameBytes - 1);
  std::memcpy(e.name, name.data(), n);
  e.name[n] = '\0';
  return e;
}

MmsiNameList::MmsiNameList(const std::vector<std::string>& linesSjis)
    : entries_(linesSjis.size() + 1, MmsiNameEntry{}), count_(static_cast<int>(linesSjis.size())) {
  for (size_t i = 0; i < linesSjis.size(); ++i) entries_[i] = ParseMmsiNameLine(linesSjis[i]);
}

const MmsiNameEntry* MmsiNameList::Find(int32_t mmsi) const {
  for (int i = 0; i < count_; ++i)
    if (entries_[static_cast<size_t>(i)].mmsi == mmsi) return &entries_[static_cast<size_t>(i)];
  return nullptr;
}

bool MmsiNameList::LookupName(int32_t mmsi, std::string& name) const {
  const MmsiNameEntry* e = Find(mmsi);
  if (e == nullptr) return false;
  name = e->name;
  return true;
}

}  // namespace aismon
