// cartozen-sample-chart: writes a synthetic plate-carrée chart as an RGB TIFF (SampleChart.h),
// or a GeoTIFF chart in any coordinate system PROJ knows (SampleGeoTiff.h), for the demo and
// for whole-program tests.
//
//   cartozen-sample-chart OUT.tif NORTH WEST DLAT DLON WIDTH HEIGHT [LAT,LON ...]
//                         [noise=SIGMA,SEED]
//   cartozen-sample-chart --geotiff OUT.tif CRS LEFT TOP PIXELSIZE WIDTH HEIGHT
//
// CRS is "EPSG:n" or a PROJ string ("+proj=lcc +lat_1=45 ..."); LEFT, TOP (the chart's
// top-left corner) and PIXELSIZE are in its units.
//
// Exit status 0 on success, 1 when the file cannot be written, 2 for wrong arguments.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "georef/SampleGeoTiff.h"
#include "imaging/SampleChart.h"
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

int GeoTiffChart(int argc, char** argv) {
  if (argc != 9) {
    std::fprintf(stderr, "usage: %s --geotiff OUT.tif CRS LEFT TOP PIXELSIZE WIDTH HEIGHT\n",
                 argv[0]);
    return 2;
  }
  const auto left = Number(argv[4]), top = Number(argv[5]), size = Number(argv[6]);
  const auto width = Size(argv[7]), height = Size(argv[8]);
  if (!left || !top || !size || *size <= 0 || !width || !height) {
    std::fprintf(stderr,
                 "cartozen-sample-chart: LEFT, TOP and PIXELSIZE are numbers (PIXELSIZE "
                 "positive), sizes 2 to 65536 pixels\n");
    return 2;
  }
  cz::SampleGeoTiff chart;
  const std::string crs = argv[3];
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
    cz::WriteSampleGeoTiff(chart, argv[2]);
  } catch (const cz::CartozenError& error) {
    std::fprintf(stderr, "cartozen-sample-chart: %s\n", error.what());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--geotiff") return GeoTiffChart(argc, argv);
  if (argc < 8) {
    std::fprintf(stderr, "usage: %s OUT.tif NORTH WEST DLAT DLON WIDTH HEIGHT [LAT,LON ...] "
                 "[noise=SIGMA,SEED]\n",
                 argv[0]);
    return 2;
  }
  const auto north = Number(argv[2]), west = Number(argv[3]);
  const auto dlat = Number(argv[4]), dlon = Number(argv[5]);
  const auto width = Size(argv[6]), height = Size(argv[7]);
  if (!north || !west || !dlat || !dlon || !width || !height || *dlat <= 0 || *dlon <= 0) {
    std::fprintf(stderr,
                 "cartozen-sample-chart: positions are decimal degrees, extents positive, "
                 "sizes 2 to 65536 pixels\n");
    return 2;
  }
  cz::SampleChart chart{*north, *west, *dlat, *dlon, *width, *height, {}};
  for (int i = 8; i < argc; ++i) {
    unsigned long long seed = 1;
    if (std::sscanf(argv[i], "noise=%lf,%llu", &chart.NoiseSigma, &seed) == 2) {
      if (!(chart.NoiseSigma >= 0 && chart.NoiseSigma <= 100)) {
        std::fprintf(stderr, "cartozen-sample-chart: noise deviation 0 to 100\n");
        return 2;
      }
      chart.NoiseSeed = seed;
      continue;
    }
    cz::SampleMark mark;
    if (std::sscanf(argv[i], "%lf,%lf", &mark.Latitude, &mark.Longitude) != 2) {
      std::fprintf(stderr, "cartozen-sample-chart: cannot read mark '%s' (LAT,LON)\n", argv[i]);
      return 2;
    }
    chart.Marks.push_back(mark);
  }
  try {
    cz::WriteSampleChart(chart, argv[1]);
  } catch (const cz::CartozenError& error) {
    std::fprintf(stderr, "cartozen-sample-chart: %s\n", error.what());
    return 1;
  }
  return 0;
}
