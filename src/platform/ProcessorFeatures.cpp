#include "platform/ProcessorFeatures.h"

namespace cz {

#if CZ_VECTOR_PATHS
bool ProcessorHasSsse3() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") != 0;
  }();
  return has;
}

bool ProcessorHasAvx2() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return has;
}
#else
bool ProcessorHasSsse3() { return false; }
bool ProcessorHasAvx2() { return false; }
#endif

}  // namespace cz
