// Fuzz target: the georeference of a GeoTIFF chart on arbitrary bytes, then the whole-degree
// grid built from it. Control points are fitted by the kind the input's size picks, so that
// every fit meets every input shape. Any input must end in a georeference, none, or a CartozenError; a crash,
// a hang, a read outside a buffer or a leak is a fault.

#include <cstddef>
#include <cstdint>

#include "FuzzInput.h"
#include "georef/ChartGrid.h"
#include "georef/GeoTiffReference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  cz::fuzz::MemoryFile file(data, size);
  if (!file.Ok()) return 0;
  try {
    const auto fit = static_cast<cz::ControlPointFitKind>(size % 4);
    const std::optional<cz::ChartProjection> chart = cz::ReadGeoTiffReference(file.Path(), fit);
    if (chart) {
      const cz::GeoReference grid = cz::GridFromChartProjection(*chart, file.Path());
      volatile std::int32_t steps = grid.NLon + grid.NLat;
      (void)steps;
    }
  } catch (const cz::CartozenError&) {
  }
  return 0;
}
