#pragma once
// Feeding stored lines (receive logs or bare captures) through the intake as playback does,
// with a manual clock that moves on by a fixed step per line.
#include <cstdint>
#include <cstdio>

#include "common/clock.h"
#include "input/intake.h"

namespace aismon {

// Every line of f (LF or CR LF ended, any length) is handed to ProcessSentence from its
// sentence start; the clock advances tickPerLine before each line.
void FeedLines(std::FILE* f, Intake& intake, ManualClock& clock, uint32_t tickPerLine);

}  // namespace aismon
