#pragma once
// The alarm sound, made by the program itself: a short two-tone chime as a 16-bit mono
// WAV file image, so no sound file has to be shipped.
#include <cstdint>
#include <vector>

namespace aismon {

inline constexpr int kAlarmToneRate = 22050;

// Two beeps of 880 and 1175 Hz, 0.15 s each with a short gap, softened at the edges.
std::vector<uint8_t> MakeAlarmToneWav();

}  // namespace aismon
