#pragma once
// The wakes of the ship layer: each ship's position stored at the wake clock's head as it
// moves on, and the dots of its last wake steps drawn from the ring (kept, once projected,
// until the view, the head or the ring changes).
#include <cstdint>

#include "chart/frame_context.h"

namespace aismon {

// Stores the ship's position at the head of its ring (own ship's for slot 0).
void StoreWakeHead(ShipTable& table, int32_t slot, const DbDynamic& e);
// Draws the ship's wake dots in the brightened colour.
void DrawWake(FrameContext& f, int32_t slot, const DbDynamic& e, Rgb colour);
// Projects, on two threads, every other station's wake that is not kept yet, so that
// DrawWake finds it kept.
void ProjectWakesAhead(FrameContext& f);

}  // namespace aismon
