#pragma once
// The place names over the base chart, in yellow, centred on their places, as many
// levels as the scale allows.
#include "basechart/place_names.h"
#include "chart/frame_context.h"

namespace aismon {

inline constexpr int kPlaceNameFontHeight = 24;
inline constexpr Rgb kPlaceNameColor{255, 255, 0};

// Draws every name whose level the scale shows and whose place is near the picture, with
// no background. The face is not chosen here: it is the one the previous frame left on the
// canvas (the panel face; before the first frame the composer gives the canvas that face).
void DrawPlaceNames(FrameContext& f, const PlaceNameList& names);

}  // namespace aismon
