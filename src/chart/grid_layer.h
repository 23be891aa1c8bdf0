#pragma once
// The latitude/longitude grid with its labels, the grid-size caption of a turned chart and
// the rotation read-out; and the range rings around own ship with their distance labels.
#include <cstdint>

#include "chart/frame_context.h"
#include "chart/view_state.h"

namespace aismon {

// Grid step in seconds of arc for a scale of degLatPerPixel degrees of latitude per work
// pixel: the largest ladder entry that keeps lines at most 600 work pixels apart (1" at least).
int32_t GridStepSeconds(double degLatPerPixel);

// A grid label as Shift-JIS text (0xDF is the degree mark), blanks not yet removed, and
// the font height it is drawn in: whole minutes drop the seconds, whole degrees drop the
// minutes too and are drawn larger. Latitude and longitude differ in the degree field's
// width and in how the sign is folded away.
struct GridLabel {
  char text[32];
  int fontHeight;
};
GridLabel LatitudeGridLabel(double lat);
GridLabel LongitudeGridLabel(double lon);

// Range ring spacing in nautical miles for a scale (1, 2, 5, 10, 22, 50 or 100).
int32_t RangeRingStepNm(double metersPerPixel);
// Radius in work pixels of ring i (from 1) of the given spacing.
int32_t RangeRingRadius(int32_t i, int32_t stepNm, double metersPerPixel);

void DrawGrid(FrameContext& f, RotatePixelCache& rot, bool northUp, double rotationDeg);
void DrawRangeRings(FrameContext& f, double lat, double lon);

}  // namespace aismon
