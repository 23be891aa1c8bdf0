#pragma once
// The measuring line: from where the person clicked to the pointer (or to the second
// click), with its range and true bearing beside the far end. Drawn only while measuring.
#include "chart/frame_context.h"

namespace aismon {

inline constexpr Rgb kMeasureColor{255, 160, 0};

void DrawMeasureLayer(FrameContext& f, const MeasureView& m);

}  // namespace aismon
