#include "input/byte_ring.h"

#include <gtest/gtest.h>

#include <string>

namespace aismon {
namespace {

// Writes as much of s as fits, in the pieces the ring offers (two at the wrap).
size_t Put(ByteRing& r, const std::string& s) {
  size_t done = 0;
  while (done < s.size()) {
    size_t room = 0;
    char* to = r.WriteSpan(room);
    if (room == 0) break;
    const size_t n = std::min(room, s.size() - done);
    std::memcpy(to, s.data() + done, n);
    r.Commit(n);
    done += n;
  }
  return done;
}

std::string Get(ByteRing& r, size_t max) {
  std::string out(max, '\0');
  out.resize(r.Take(out.data(), max));
  return out;
}

TEST(ByteRing, KeepsOrderAcrossTheWrapAndNeverHoldsMoreThanItsSize) {
  ByteRing r(8);
  struct Step {
    const char* put;
    size_t accepted;
    size_t take;
    const char* taken;
    size_t sizeAfter;
  } steps[] = {
      {"abcde", 5, 3, "abc", 2},
      {"fghijk", 6, 0, "", 8},      // wraps; now full
      {"x", 0, 4, "defg", 4},       // a full ring takes nothing more
      {"lmno", 4, 100, "hijklmno", 0},
      {"", 0, 5, "", 0},            // empty: nothing to take
  };
  for (const Step& s : steps) {
    EXPECT_EQ(Put(r, s.put), s.accepted) << s.put;
    EXPECT_EQ(Get(r, s.take), s.taken) << s.put;
    EXPECT_EQ(r.Size(), s.sizeAfter) << s.put;
    EXPECT_EQ(r.Size() + r.Free(), 8u);
  }
}

}  // namespace
}  // namespace aismon
