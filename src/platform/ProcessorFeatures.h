#pragma once
// Which vector instructions the processor running the program has, for the few inner loops
// that have a faster way for them (chosen at run time: the program is built for any x86-64).
// Always false elsewhere than on x86-64 built by GCC or Clang.
//
// CZ_VECTOR_PATHS is 1 where those faster ways are compiled: x86-64 with GCC or Clang, whose
// target attributes let one function use instructions the rest of the build does not assume.

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define CZ_VECTOR_PATHS 1
#else
#define CZ_VECTOR_PATHS 0
#endif

namespace cz {

bool ProcessorHasSsse3();
bool ProcessorHasAvx2();

}  // namespace cz
