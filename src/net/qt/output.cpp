#include "net/qt/output.h"

#include <cstring>

namespace aismon {

int MessageText(const ForwardedMessage& message, char* out, int size) {
  int used = 0;
  for (int i = 0; i < message.lineCount; ++i) {
    const int n = static_cast<int>(std::strlen(message.lines[i]));
    if (used + n + 2 > size) return -1;
    std::memcpy(out + used, message.lines[i], static_cast<size_t>(n));
    out[used + n] = '\r';
    out[used + n + 1] = '\n';
    used += n + 2;
  }
  return used;
}

}  // namespace aismon
