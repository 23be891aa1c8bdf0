#pragma once
// Deciding, without projecting them, that stored points all land outside a rectangle of
// the work bitmap, so that a chart record beside the view can be passed over.
#include <cstdint>

#include "chart/clip.h"
#include "chart/view_state.h"

namespace aismon {

// Whether all n stored points (latitude, longitude pairs in 1e-7 degree) project outside
// the rectangle r, decided from the projections of the corners of their extremes alone;
// false when it cannot be told that way (near the longitude where the world wraps).
bool PointsSurelyOutside(const ViewState& v, const int32_t* points, int32_t n, const ClipRect& r);

}  // namespace aismon
