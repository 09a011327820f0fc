// Where charts of known projection land, measured on the dot charts of the placement tests
// (tests/support/DotCharts.h): each dot's centroid in a latitude/longitude raster made from the
// chart, taken back through the projection, against the dot's centre, in chart pixels.
//
//   dot_placement ours               the tiles at levels 0 and 2, through each cell's projective
//                                    map (as the run was before the exact placement) and exact
//   dot_placement write DIR          each chart as DIR/NAME.ppm, and DIR/NAME.args: its PROJ
//                                    string, its corners (ulx uly lrx lry, for gdal_translate
//                                    -a_ullr) and the level-0 tiles' sampling over its grid
//                                    (xmin ymin xmax ymax for gdalwarp -te, then -tr's two)
//   dot_placement measure NAME FILE  the dots of chart NAME in FILE, a PPM sampled as written
//
// bench/dot_placement_vs_gdalwarp.sh runs all three with gdalwarp's bilinear warp.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "geo/GeoCoord.h"
#include "geo/TileGrid.h"
#include "georef/ChartGrid.h"
#include "georef/ProjectionLattice.h"
#include "support/DotCharts.h"
#include "support/RecordingUserInterface.h"
#include "tiling/CreateTiles.h"
#include "tiling/MemoryTileStore.h"

namespace cz {
namespace {

using testing::DotChart;

void Print(const char* name, const char* how, const testing::ErrorFigures& e) {
  std::printf("%-38s %-28s %4zu dots  median %.3f px  95%% %.3f px  worst %.3f px\n", name, how,
              e.dots, e.median, e.p95, e.worst);
}

testing::ErrorFigures InTiles(const DotChart& chart, const GeoReference& geo, TileLevel level,
                              const ProjectionLattice* placement) {
  GeoReference run = geo;
  run.MapResolution = static_cast<std::uint8_t>(1 << level);
  testing::MemoryTileStore store;
  testing::RecordingUserInterface ui;
  CreateTiles(run, chart.image, store, ui, nullptr, placement);
  std::vector<double> errors;
  for (const auto& [key, tile] : store.tiles) {
    const TileSquare square(level, key.second, level <= 2 ? tile.Width() - 1 : tile.Width());
    const LatLonBox drawn{std::min(square.North, geo.GridTopLatitude),
                          std::max(square.North - square.Step, geo.GridTopLatitude - geo.NLat),
                          std::max(square.West, geo.GridLeftLongitude),
                          std::min(square.West + square.Step, geo.GridLeftLongitude + geo.NLon)};
    testing::AddDotErrors(chart,
                          {&tile, square.North, square.West, square.Step / kTileHeight,
                           square.Step / square.Width, drawn},
                          errors);
  }
  return testing::Figures(errors);
}

// The level-0 tiles' pixel pitch over the grid (that of its top row, as the renderer takes it).
void Level0Pitch(const GeoReference& geo, double& dLon, double& dLat) {
  dLon = 0.25 / TileWidthAt(DegreesToGeoCoord(geo.GridTopLatitude), 0);
  dLat = 0.25 / kTileHeight;
}

const testing::DotChartCase* Named(const char* name) {
  for (const auto& c : testing::kDotCharts) {
    if (std::strcmp(c.name, name) == 0) return &c;
  }
  return nullptr;
}

bool WritePpm(const Raster32& image, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << image.Width() << ' ' << image.Height() << "\n255\n";
  std::vector<char> row(static_cast<std::size_t>(image.Width()) * 3);
  for (std::int32_t y = 0; y < image.Height(); ++y) {
    for (std::int32_t x = 0; x < image.Width(); ++x) {
      const std::uint32_t p = image.At(x, y);
      row[3 * x] = char(RedOf(p)), row[3 * x + 1] = char(GreenOf(p)), row[3 * x + 2] = char(BlueOf(p));
    }
    out.write(row.data(), static_cast<std::streamsize>(row.size()));
  }
  return bool(out);
}

bool ReadPpm(const std::string& path, Raster32& image) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int width = 0, height = 0, maximum = 0;
  in >> magic >> width >> height >> maximum;
  in.get();
  if (!in || magic != "P6" || width <= 0 || height <= 0 || maximum != 255) return false;
  image.Allocate(width, height);
  std::vector<unsigned char> row(static_cast<std::size_t>(width) * 3);
  for (std::int32_t y = 0; y < height; ++y) {
    in.read(reinterpret_cast<char*>(row.data()), static_cast<std::streamsize>(row.size()));
    for (std::int32_t x = 0; x < width; ++x) {
      image.Row(y)[x] = PackPixel(row[3 * x], row[3 * x + 1], row[3 * x + 2], 255);
    }
  }
  return bool(in);
}

int Ours() {
  for (const auto& c : testing::kDotCharts) {
    const DotChart chart = testing::MakeDotChart(c);
    const GeoReference geo = GridFromChartProjection(chart.projection, c.name);
    const ProjectionLattice placement(geo, chart.projection);
    for (const TileLevel level : {TileLevel{0}, TileLevel{2}}) {
      const std::string at = level == 0 ? "0.25° tiles" : "1° tiles";
      Print(c.name, (at + ", cell corners").c_str(), InTiles(chart, geo, level, nullptr));
      Print(c.name, (at + ", exact").c_str(), InTiles(chart, geo, level, &placement));
    }
  }
  return 0;
}

int Write(const std::string& folder) {
  for (const auto& c : testing::kDotCharts) {
    const DotChart chart = testing::MakeDotChart(c);
    const GeoReference geo = GridFromChartProjection(chart.projection, c.name);
    const SampleGeoTiff& l = chart.layout;
    double dLon = 0, dLat = 0;
    Level0Pitch(geo, dLon, dLat);
    std::ofstream args(folder + "/" + c.name + ".args");
    args.precision(17);
    args << c.proj << '\n'
         << l.Left << ' ' << l.Top << ' ' << l.Left + l.Width * l.PixelSize << ' '
         << l.Top - l.Height * l.PixelSize << '\n'
         // Pixel centres on the tiles' sample positions: the extent starts half a pixel out.
         << geo.GridLeftLongitude - dLon / 2 << ' ' << geo.GridTopLatitude - geo.NLat - dLat / 2
         << ' ' << geo.GridLeftLongitude + geo.NLon + dLon / 2 << ' '
         << geo.GridTopLatitude + dLat / 2 << ' ' << dLon << ' ' << dLat << '\n';
    if (!args || !WritePpm(chart.image, folder + "/" + c.name + ".ppm")) {
      std::fprintf(stderr, "cannot write to %s\n", folder.c_str());
      return 1;
    }
  }
  return 0;
}

int Measure(const char* name, const std::string& path) {
  const testing::DotChartCase* c = Named(name);
  Raster32 image;
  if (!c || !ReadPpm(path, image)) {
    std::fprintf(stderr, "no chart %s or no PPM at %s\n", name, path.c_str());
    return 1;
  }
  const DotChart chart = testing::MakeDotChart(*c);
  const GeoReference geo = GridFromChartProjection(chart.projection, c->name);
  double dLon = 0, dLat = 0;
  Level0Pitch(geo, dLon, dLat);
  const LatLonBox grid{geo.GridTopLatitude, geo.GridTopLatitude - geo.NLat, geo.GridLeftLongitude,
                       geo.GridLeftLongitude + geo.NLon};
  std::vector<double> errors;
  testing::AddDotErrors(chart, {&image, geo.GridTopLatitude, geo.GridLeftLongitude, dLat, dLon, grid},
                        errors);
  Print(name, "gdalwarp, 0.25° pitch", testing::Figures(errors));
  return 0;
}

}  // namespace
}  // namespace cz

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "ours") == 0) return cz::Ours();
  if (argc == 3 && std::strcmp(argv[1], "write") == 0) return cz::Write(argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "measure") == 0) return cz::Measure(argv[2], argv[3]);
  std::fprintf(stderr, "usage: dot_placement ours | write DIR | measure NAME FILE.ppm\n");
  return 2;
}
