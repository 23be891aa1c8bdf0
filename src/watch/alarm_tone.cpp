#include "watch/alarm_tone.h"

#include <cmath>

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

}  // namespace

std::vector<uint8_t> MakeAlarmToneWav() {
  constexpr double kPi = 3.14159265358979323846;
  constexpr int kBeep = kAlarmToneRate * 15 / 100;
  constexpr int kGap = kAlarmToneRate * 5 / 100;
  constexpr int kFade = kAlarmToneRate / 200;  // 5 ms: no click at either end
  constexpr int kSamples = 2 * kBeep + kGap;
  const double freq[2] = {880.0, 1174.66};
  std::vector<uint8_t> b;
  b.reserve(44 + 2 * kSamples);
  PutTag(b, "RIFF");
  Put32(b, 36 + 2 * kSamples);
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
  Put32(b, 2 * kSamples);
  for (int i = 0; i < kSamples; ++i) {
    double v = 0;
    const int beep = i < kBeep ? 0 : (i >= kBeep + kGap ? 1 : -1);
    if (beep >= 0) {
      const int j = beep == 0 ? i : i - kBeep - kGap;
      const double edge = std::fmin(1.0, std::fmin(j, kBeep - 1 - j) / static_cast<double>(kFade));
      v = 0.6 * edge * std::sin(2 * kPi * freq[beep] * j / kAlarmToneRate);
    }
    Put16(b, static_cast<uint16_t>(static_cast<int16_t>(std::lround(v * 32767))));
  }
  return b;
}

}  // namespace aismon
