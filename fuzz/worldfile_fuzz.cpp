// World files: any bytes read as a world file, turned into corner references for charts of
// several sizes, then laid out and drawn. Nothing may crash, overflow or convert a NaN.

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "georef/GridDrawing.h"
#include "georef/WorldFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  const cz::WorldFile world = cz::ParseWorldFile(in);
  const std::int32_t sizes[][2] = {{1, 1}, {2048, 3072}, {2147483647, 2147483647}};
  for (const auto& chart : sizes) {
    for (std::uint8_t method = 0; method < 2; ++method) {
      cz::GeoReference geoRef;
      geoRef.GeoReferencingType = method;
      if (cz::CornersFromWorldFile(world, chart[0], chart[1], geoRef) !=
          cz::WorldFileCornersResult::Set) {
        continue;
      }
      cz::NullGridPainter painter;
      cz::SilentUserInterface ui;
      cz::DrawGridFromGeoRef(geoRef, cz::ViewMapping{0.25, -10, -10}, painter, ui);
    }
  }
  return 0;
}
