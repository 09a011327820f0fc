// Fuzz target: ReadTiffChart on arbitrary bytes, and ReadTiffChartSize on the same bytes: the
// size a cell job plans with, from the header alone, must be the size the load gives.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "FuzzInput.h"
#include "imaging/ChartReaders.h"
#include "imaging/Raster32.h"
#include "platform/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  cz::fuzz::MemoryFile file(data, size);
  if (!file.Ok()) return 0;
  const std::optional<cz::ChartSize> header = cz::ReadTiffChartSize(file.Path());
  cz::Raster32 raster;
  std::uint64_t requiredBytes = 0;
  try {
    cz::ReadTiffChart(file.Path(), raster, requiredBytes, cz::fuzz::kFuzzByteLimit);
  } catch (const cz::CartozenError&) {
    return 0;
  }
  if (!header || header->Width != raster.Width() || header->Height != raster.Height()) std::abort();
  return 0;
}
