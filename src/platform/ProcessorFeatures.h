#pragma once
// Which vector instructions the processor running the program has, for the few inner loops
// that have a faster way for them (chosen at run time: the program is built for any x86-64).
// Always false elsewhere than on x86-64 built by GCC or Clang.

namespace cz {

bool ProcessorHasSsse3();
bool ProcessorHasAvx2();

}  // namespace cz
