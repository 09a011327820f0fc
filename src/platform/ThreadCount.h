#pragma once
// How many threads the parallel parts of the program use: every hardware thread, unless the
// environment variable CARTOZEN_THREADS names a count (1 runs everything on the calling
// thread). A value that is not a whole number from 1 to 256 is ignored.

namespace cz {

int WorkerThreadCount();

}  // namespace cz
