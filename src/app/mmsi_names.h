#pragma once
// MmsiNameList: the MMSI-to-name list consulted when a ship is selected, built once
// from the lines of MemoMMSI ("431000001,おけさ丸", Shift-JIS).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace aismon {

inline constexpr size_t kMmsiNameBytes = 24;  // 23 bytes of text and the NUL

struct MmsiNameEntry {
  int32_t mmsi;
  char name[kMmsiNameBytes];  // Shift-JIS, NUL-terminated
};

class MmsiNameList {
 public:
  MmsiNameList() = default;
  // One entry per line, in order; a line without an MMSI (the continuation of a long
  // name) still makes an entry, with whatever number its text reads as.
  explicit MmsiNameList(const std::vector<std::string>& linesSjis);

  int Count() const { return count_; }
  const MmsiNameEntry& operator[](int i) const { return entries_[static_cast<size_t>(i)]; }

  // The first entry with this MMSI, or nullptr.
  const MmsiNameEntry* Find(int32_t mmsi) const;
  // Replaces name with the listed name when the MMSI is listed; otherwise leaves it.
  bool LookupName(int32_t mmsi, std::string& name) const;

 private:
  std::vector<MmsiNameEntry> entries_;  // room for count_ + 1
  int count_ = 0;
};

// One list line as an entry: the MMSI from field 0, field 1 made half-width (kana stay
// full-width) and cut to 23 bytes.
MmsiNameEntry ParseMmsiNameLine(const std::string& lineSjis);

}  // namespace aismon
