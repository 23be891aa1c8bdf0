#include "app/caption.h"

#include "text/sjis.h"

namespace aismon {

namespace {

std::string BuildRevisionHistory() {
  const std::string dashes(90, '-');
  std::string date = "2025.12.17";
  date.resize(90, ' ');
  std::string wide;
  for (int i = 0; i < 20; ++i) wide += "\x81\x40";  // full-width space
  wide += Utf8ToShiftJis("公開初版");
  for (int i = 0; i < 21; ++i) wide += "\x81\x40";
  return dashes + "\n" + date + "\n" + wide + "\n" + dashes + "\n";
}

std::string TrimBlanks(const std::string& s) {
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const size_t last = s.find_last_not_of(' ');
  return s.substr(first, last - first + 1);
}

}  // namespace

const std::string& RevisionHistory() {
  // Built once; never changed afterwards.
  static const std::string history = BuildRevisionHistory();
  return history;
}

std::string ReleaseVersion() {
  const std::string& h = RevisionHistory();
  const size_t at = h.find("20");
  if (at == std::string::npos) return {};
  return TrimBlanks(h.substr(at, 20));
}

std::string ApplicationTitle() { return Utf8ToShiftJis("AIS（VDM,RMC）モニター"); }

std::string WindowCaption() { return ApplicationTitle() + "  (" + ReleaseVersion() + Utf8ToShiftJis("版") + ") "; }

}  // namespace aismon
