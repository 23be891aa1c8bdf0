#include "chart/cpu_features.h"

namespace aismon {

bool HaveAvx2() {
#if defined(__x86_64__) && defined(__GNUC__)
  static const bool have = [] {
    __builtin_cpu_init();  // static initialisers may run before the compiler's own
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return have;
#else
  return false;
#endif
}

}  // namespace aismon
