#pragma once
// The revision block built into the program and the window caption cut from it.
#include <string>

namespace aismon {

// Four lines of 90 bytes, each ended by a line feed (Shift-JIS): dashes, the release
// date padded with blanks, "公開初版" centred in full-width spaces, dashes.
const std::string& RevisionHistory();

// The version cut from the revision block: 20 bytes from its first "20", blanks trimmed.
std::string ReleaseVersion();

// "AIS（VDM,RMC）モニター  (2025.12.17版) ", Shift-JIS.
std::string WindowCaption();

// The application title, Shift-JIS.
std::string ApplicationTitle();

}  // namespace aismon
