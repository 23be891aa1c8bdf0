#pragma once
// Runs of set bits along a row of 64-bit words, bit i of word w standing for position
// 64 w + i: the disc masks and the maps of tiles are read this way, a word at a time.
#include <cstddef>
#include <cstdint>

namespace aismon {

// Calls f(begin, end) for each run of set bits, positions begin .. end - 1, left to right;
// a run goes on across words.
template <class F>
void ForEachBitRun(const uint64_t* words, size_t count, F&& f) {
  int32_t runStart = -1;
  for (size_t w = 0; w < count; ++w) {
    const int32_t base = static_cast<int32_t>(w) * 64;
    uint64_t bits = words[w];
    int32_t at = 0;  // bits below it are read; bits holds the rest, shifted down
    while (at < 64) {
      if (runStart < 0) {
        if (bits == 0) break;
        const int32_t z = __builtin_ctzll(bits);
        runStart = base + at + z;
        at += z;
        bits >>= z;
      }
      const int32_t ones = bits == ~uint64_t{0} ? 64 : __builtin_ctzll(~bits);
      if (at + ones >= 64) break;  // runs on into the next word
      f(runStart, base + at + ones);
      runStart = -1;
      bits >>= ones;
      at += ones;
    }
  }
  if (runStart >= 0) f(runStart, static_cast<int32_t>(count) * 64);
}

}  // namespace aismon
