#include "watch/alarm_tone.h"

#include <cmath>
#include <initializer_list>

namespace aismon {

namespace {

void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
void PutTag(std::vector<uint8_t>& b, const char* tag) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(tag[i]));
}

struct Note {
  double hz;   // 0: silence
  int ms;
};

std::vector<uint8_t> Wav(std::initializer_list<Note> notes) {
  constexpr double kPi = 3.14159265358979323846;
  constexpr int kFade = kAlarmToneRate / 200;  // 5 ms: no click at either end of a note
  int samples = 0;
  for (const Note& n : notes) samples += kAlarmToneRate * n.ms / 1000;
  std::vector<uint8_t> b;
  b.reserve(44 + 2 * samples);
  PutTag(b, "RIFF");
  Put32(b, 36 + 2 * samples);
  PutTag(b, "WAVE");
  PutTag(b, "fmt ");
  Put32(b, 16);
  Put16(b, 1);  // PCM
  Put16(b, 1);  // mono
  Put32(b, kAlarmToneRate);
  Put32(b, kAlarmToneRate * 2);
  Put16(b, 2);
  Put16(b, 16);
  PutTag(b, "data");
  Put32(b, 2 * samples);
  for (const Note& n : notes) {
    const int count = kAlarmToneRate * n.ms / 1000;
    for (int j = 0; j < count; ++j) {
      double v = 0;
      if (n.hz > 0) {
        const double edge = std::fmin(1.0, std::fmin(j, count - 1 - j) / static_cast<double>(kFade));
        v = 0.6 * edge * std::sin(2 * kPi * n.hz * j / kAlarmToneRate);
      }
      Put16(b, static_cast<uint16_t>(static_cast<int16_t>(std::lround(v * 32767))));
    }
  }
  return b;
}

}  // namespace

std::vector<uint8_t> MakeAlarmToneWav(AlarmSound sound) {
  switch (sound) {
    case AlarmSound::Distress:
      return Wav({{1400, 100}, {1000, 100}, {1400, 100}, {1000, 100}, {1400, 100}, {1000, 100}, {1400, 100}, {1000, 100}});
    case AlarmSound::Caution:
      return Wav({{523.25, 250}, {0, 100}, {523.25, 250}});
    case AlarmSound::Collision:
    case AlarmSound::None:
      break;
  }
  return Wav({{880, 150}, {0, 50}, {1174.66, 150}});
}

}  // namespace aismon
