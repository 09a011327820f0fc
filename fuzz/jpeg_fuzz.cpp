// Fuzz target: ReadJpegChart on arbitrary bytes. Any input must end in a raster or a CartozenError;
// a crash, a hang, a read outside a buffer or a leak is a fault.

#include <cstddef>
#include <cstdint>

#include "FuzzInput.h"
#include "imaging/ChartReaders.h"
#include "imaging/Raster32.h"
#include "platform/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  cz::fuzz::MemoryFile file(data, size);
  if (!file.Ok()) return 0;
  cz::Raster32 raster;
  std::uint64_t requiredBytes = 0;
  try {
    cz::ReadJpegChart(file.Path(), raster, requiredBytes, cz::fuzz::kFuzzByteLimit);
    volatile std::uint32_t sum = cz::fuzz::Checksum(raster);
    (void)sum;
  } catch (const cz::CartozenError&) {
  }
  return 0;
}
