#pragma once
// The alarm sounds, made by the program itself as 16-bit mono WAV file images, so no sound
// file has to be shipped. Each kind of alarm has a sound of its own, told apart by ear.
#include <cstdint>
#include <vector>

namespace aismon {

inline constexpr int kAlarmToneRate = 22050;

// Distress: a fast high warble (1400/1000 Hz, eight 0.1 s notes). Collision: the chime of
// two beeps of 880 and 1175 Hz. Caution (own position lost, no data): two low 523 Hz beeps.
enum class AlarmSound : uint8_t { None, Distress, Collision, Caution };

std::vector<uint8_t> MakeAlarmToneWav(AlarmSound sound = AlarmSound::Collision);

}  // namespace aismon
