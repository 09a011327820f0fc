#pragma once
// ReadTiffChart (ChartReaders.h) on a chosen number of threads, telling which decoder ran:
// the direct one for the layouts charts come in (TiffDirectDecode.h), libtiff's RGBA
// interface for most others, or the general one (TiffGeneralDecode.h, one thread) for the
// sample depths and formats the RGBA interface refuses and for signed samples. The program
// calls ReadTiffChart, which takes WorkerThreadCount() threads; the tests and benchmarks call
// this.

#include <cstdint>
#include <string>

#include "imaging/ChartReaders.h"

namespace cz {

class Raster32;

enum class TiffDecoder { Direct, RgbaInterface, General };

TiffDecoder ReadTiffChartOnThreads(const std::string& path, Raster32& raster,
                                   std::uint64_t& requiredBytes, std::uint64_t maxBytes,
                                   int threads);

}  // namespace cz
