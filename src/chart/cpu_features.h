#pragma once
// What the processor offers beyond the baseline the program is built for, asked once at
// run time, so that the few loops that write or read whole rows can use wider registers.

namespace aismon {

// True where 32-byte AVX2 instructions may be used.
bool HaveAvx2();

}  // namespace aismon
