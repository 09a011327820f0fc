// cartozen-sample-geotiff: writes a synthetic GeoTIFF chart (SampleGeoTiff.h) in any coordinate
// system PROJ knows, for the demo and for trying the chart's own georeference.
//
//   cartozen-sample-geotiff OUT.tif CRS LEFT TOP PIXELSIZE WIDTH HEIGHT
//
// CRS is "EPSG:n" or a PROJ string ("+proj=lcc +lat_1=45 ..."); LEFT, TOP and PIXELSIZE are in
// its units. Exit status 0 on success, 1 when the file cannot be written, 2 for wrong arguments.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "georef/SampleGeoTiff.h"
#include "platform/Error.h"

namespace {

std::optional<double> Number(const char* text) {
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (end == text || *end != '\0' || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<int> Size(const char* text) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 2 || value > 65536) return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 8) {
    std::fprintf(stderr, "usage: %s OUT.tif CRS LEFT TOP PIXELSIZE WIDTH HEIGHT\n", argv[0]);
    return 2;
  }
  const auto left = Number(argv[3]), top = Number(argv[4]), size = Number(argv[5]);
  const auto width = Size(argv[6]), height = Size(argv[7]);
  if (!left || !top || !size || *size <= 0 || !width || !height) {
    std::fprintf(stderr,
                 "cartozen-sample-geotiff: LEFT, TOP and PIXELSIZE are numbers (PIXELSIZE "
                 "positive), sizes 2 to 65536 pixels\n");
    return 2;
  }
  cz::SampleGeoTiff chart;
  const std::string crs = argv[2];
  if (crs.rfind("EPSG:", 0) == 0) {
    chart.EpsgCode = std::atoi(crs.c_str() + 5);
  } else {
    chart.Proj4 = crs;
  }
  chart.Left = *left;
  chart.Top = *top;
  chart.PixelSize = *size;
  chart.Width = *width;
  chart.Height = *height;
  try {
    cz::WriteSampleGeoTiff(chart, argv[1]);
  } catch (const cz::CartozenError& error) {
    std::fprintf(stderr, "cartozen-sample-geotiff: %s\n", error.what());
    return 1;
  }
  return 0;
}
