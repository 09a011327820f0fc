// Fuzz target: ReadJpegChart on arbitrary bytes.

#include <cstddef>
#include <cstdint>

#include "FuzzInput.h"
#include "imaging/ChartReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return cz::fuzz::FuzzChartReader(data, size, cz::ReadJpegChart);
}
