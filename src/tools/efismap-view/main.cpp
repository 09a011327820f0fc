// efismap-view: renders the EFIS map viewer's picture of a project to a PNG file, for
// checking map files without the desktop program.
//
//   efismap-view PROJECT_FOLDER LAT LON LEVEL OUT.png [WIDTH HEIGHT]
//
// LAT and LON are the viewer's texts ("N47°00.000", "E008°30.000") or decimal degrees
// ("47", "-8.5"); either way they are normalised as the viewer does (latitude clamped to
// ±90°, longitude moved into −180° .. 180°). LEVEL is the tile level, 0 to 4 (0.25 to 4
// degrees per tile). The view is 970 × 586 pixels unless WIDTH and HEIGHT are given; it shows
// the middle of the 1280 × 1280 view buffer with the centre cross, exactly as the viewer.
// Exit status 0 on success, 1 when the view cannot be made (a corrupt map file, an unwritable
// output), 2 for wrong arguments.

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "PngFile.h"
#include "efismap/MapViewer.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace {

constexpr const char* kUsage =
    "usage: efismap-view PROJECT_FOLDER LAT LON LEVEL OUT.png [WIDTH HEIGHT]\n"
    "  LAT, LON  viewer text (N47°00.000, E008°30.000) or decimal degrees (47, -8.5)\n"
    "  LEVEL     0 to 4: 0.25, 0.5, 1, 2 or 4 degrees per tile\n"
    "  WIDTH HEIGHT  size of the picture, default 970 586\n";

std::optional<double> ParseDecimal(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<long> ParseInteger(const std::string& text, long low, long high) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() + text.size() || value < low || value > high) return std::nullopt;
  return value;
}

// A coordinate argument as a GeoCoord before normalisation: the viewer's text form when it
// starts with a hemisphere letter, else decimal degrees within one turn.
std::optional<cz::GeoCoord> ParseCoordinate(const std::string& text, bool latitude) {
  if (!text.empty() && std::isalpha(static_cast<unsigned char>(text[0]))) {
    const std::string upper = cz::UpperCase(text);
    const bool hemisphere =
        latitude ? (upper[0] == 'N' || upper[0] == 'S') : (upper[0] == 'E' || upper[0] == 'W');
    if (!hemisphere) return std::nullopt;
    return latitude ? cz::ParseLatitude(upper) : cz::ParseLongitude(upper);
  }
  const std::optional<double> degrees = ParseDecimal(text);
  if (!degrees || std::fabs(*degrees) > 360.0) return std::nullopt;
  return cz::DegreesToGeoCoord(*degrees);
}

int Run(int argc, char** argv) {
  if (argc != 6 && argc != 8) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string folder = argv[1];
  const std::optional<cz::GeoCoord> latitude = ParseCoordinate(argv[2], true);
  const std::optional<cz::GeoCoord> longitude = ParseCoordinate(argv[3], false);
  const std::optional<long> level = ParseInteger(argv[4], 0, cz::kTileLevelCount - 1);
  const std::string output = argv[5];
  std::optional<long> width = cz::kDefaultViewWidth;
  std::optional<long> height = cz::kDefaultViewHeight;
  if (argc == 8) {
    width = ParseInteger(argv[6], 1, 16384);
    height = ParseInteger(argv[7], 1, 16384);
  }
  const char* wrong = !latitude    ? "latitude"
                      : !longitude ? "longitude"
                      : !level     ? "level"
                      : !width     ? "width"
                      : !height    ? "height"
                                   : nullptr;
  if (wrong != nullptr) {
    std::cerr << "efismap-view: not a valid " << wrong << "\n" << kUsage;
    return 2;
  }
  if (!cz::DirectoryExists(folder)) {
    std::cerr << "efismap-view: project folder '" << folder << "' does not exist\n";
    return 2;
  }

  // The same normalisation as typed positions (GetViewerLatLong).
  const cz::ViewerCentre centre{cz::GeoCoordToDegrees(cz::ClampLatitude(*latitude)),
                                cz::GeoCoordToDegrees(cz::WrapLongitude(*longitude))};
  try {
    cz::MapViewer viewer;
    viewer.DrawView(folder, centre, static_cast<cz::TileLevel>(*level));
    cz::Raster32 view(static_cast<std::int32_t>(*width), static_cast<std::int32_t>(*height));
    cz::ShowView(viewer.ViewBuffer(), view);
    cz::WritePngFile(view, output);
  } catch (const cz::CartozenError& error) {
    std::cerr << "efismap-view: " << error.what() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return Run(argc, argv);
}
