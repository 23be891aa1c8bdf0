#include "input/line_feed.h"

#include <string>

#include "input/log_line.h"

namespace aismon {

void FeedLines(std::FILE* f, Intake& intake, ManualClock& clock, uint32_t tickPerLine) {
  std::string line;
  char buf[1 << 16];
  auto feed = [&] {
    clock.Advance(tickPerLine);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (const char* sentence = SentenceOfLine(line.c_str())) intake.ProcessSentence(sentence);
    line.clear();
  };
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    size_t start = 0;
    for (size_t i = 0; i < n; ++i) {
      if (buf[i] != '\n') continue;
      line.append(buf + start, i - start);
      feed();
      start = i + 1;
    }
    line.append(buf + start, n - start);
  }
  // The last line may lack its end.
  if (!line.empty()) feed();
}

}  // namespace aismon
