// Where the time of a tile-creation run goes, stage by stage, on one thread: the chart's
// load, the plan, and for every planned tile its rendering, colour tree (octree palette),
// palette search (nearest colour per pixel), GIF LZW coding and file write, each timed
// around its own call. Dithering is not part of a command-line run; it is timed apart, on
// the same tiles, with Floyd-Steinberg.
//
//   tile_stages CHART.tif NORTH WEST LAT_EXTENT LON_EXTENT LEVEL_MASK [ROUNDS]
//
// The chart is georeferenced as the command line's /X does (MakeMapINI, 256 colours, no
// dithering), so the tiles are those of `cartozen2 /P ... /S chart /X ...`; the program
// checks that its own stage-by-stage bytes equal TileEncoder's. Times are the thread's CPU
// time in milliseconds, the best of ROUNDS (default 3) per stage; the load is timed once as
// it runs (on CARTOZEN_THREADS threads: its figure is wall time). bench/command_line_run.sh
// makes such a chart and runs this after the whole-program runs.

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "georef/GridLayout.h"
#include "imaging/ChartReaders.h"
#include "imaging/ErrorDiffusion.h"
#include "imaging/GifTileWriter.h"
#include "imaging/NearestColour.h"
#include "imaging/OctreeQuantizer.h"
#include "imaging/Raster32.h"
#include "imaging/TileEncoder.h"
#include "platform/FileSystem.h"
#include "project/MapSourceSettings.h"
#include "tiling/CellRenderer.h"
#include "tiling/TilePlan.h"
#include "tiling/TileStore.h"

namespace cz {
namespace {

double ThreadMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Levels 3 and 4 start from stored tiles; this run has none.
class NoStoredTiles : public TileStore {
 public:
  void LoadExistingTile(Raster32&, TilePosition, TileLevel) override {}
  void SaveTile(const Raster32&, TilePosition, TileLevel) override {}
  std::int32_t TilesCreated() const override { return 0; }
};

enum Stage { kRender, kTree, kSearch, kLzw, kWrite, kDither, kStages };
constexpr const char* kStageNames[kStages] = {
    "resample (bilinear/box)", "colour tree (octree + refine)", "palette search (indices)",
    "GIF LZW + header",        "write + rename (fsync)",        "dithering (Floyd-Steinberg, apart)"};

}  // namespace
}  // namespace cz

int main(int argc, char** argv) {
  using namespace cz;
  if (argc < 7) {
    std::fprintf(stderr, "usage: %s CHART.tif NORTH WEST LAT_EXT LON_EXT LEVEL_MASK [ROUNDS]\n",
                 argv[0]);
    return 2;
  }
  const std::string chartPath = argv[1];
  const float position[4] = {std::strtof(argv[2], nullptr), std::strtof(argv[3], nullptr),
                             std::strtof(argv[4], nullptr), std::strtof(argv[5], nullptr)};
  const int levelMask = std::atoi(argv[6]);
  const int rounds = argc > 7 ? std::max(1, std::atoi(argv[7])) : 3;

  Raster32 chart;
  std::uint64_t requiredBytes = 0;
  const auto loadStart = std::chrono::steady_clock::now();
  ReadTiffChart(chartPath, chart, requiredBytes);
  const double loadMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - loadStart)
          .count();

  // The settings file goes beside a link to the chart in a folder of our own.
  const std::filesystem::path work =
      std::filesystem::temp_directory_path() / ("cartozen-stages-" + std::to_string(::getpid()));
  std::filesystem::create_directories(work / "Tiles");
  const std::string linked = (work / "chart.tif").string();
  std::filesystem::create_symlink(std::filesystem::absolute(chartPath), linked);
  GeoReference geo;
  MakeMapINI(linked, geo, LoadedImageSize{chart.Width(), chart.Height()}, position, levelMask);
  LayoutReferenceGrid(geo);

  double planMs = ThreadMs();
  const TilePlan plan =
      PlanTiles(geo, GridOrigin{static_cast<std::int32_t>(std::nearbyint(geo.GridLeftLongitude) + 180),
                                static_cast<std::int32_t>(90 - std::nearbyint(geo.GridTopLatitude))});
  planMs = ThreadMs() - planMs;

  const TileColourOptions options{geo.ColorReduction, geo.Dithering};
  const int maxColours = 1 << ColourBitsFor(options.ColorReduction);
  NoStoredTiles store;
  Raster32 tile;
  OctreeQuantizer quantizer;
  NearestColourMap nearest;
  PixelMapper mapper;
  GifTileWriter writer;
  TileEncoder encoder;
  std::vector<PaletteColour> palette;
  std::vector<std::uint8_t> indices;
  std::vector<double> best(kStages, 1e300);
  std::size_t gifBytes = 0;
  for (int round = 0; round < rounds; ++round) {
    std::vector<double> total(kStages, 0.0);
    gifBytes = 0;
    for (const PlannedTile& planned : plan.Tiles) {
      double t = ThreadMs();
      const auto lap = [&](Stage stage) {
        const double now = ThreadMs();
        total[stage] += now - t;
        t = now;
      };
      CellRenderer renderer(chart, geo.Grid, tile);
      RenderPlannedTile(plan, planned, renderer, tile, store);
      lap(kRender);
      quantizer.Build(tile, maxColours, palette);
      lap(kTree);
      nearest.SetPalette(palette);
      indices.resize(tile.PixelCount());
      const DitheringMethod method =
          quantizer.Exact() ? DitheringMethod::None : DitheringMethodFor(options.Dithering);
      mapper.Map(tile, nearest, method, indices.data());
      lap(kSearch);
      const std::string gif = writer.Encode(tile.Width(), tile.Height(), indices.data(), palette);
      lap(kLzw);
      const std::string final = (work / "Tiles" / "tile.GIF").string();
      UnsyncedTemporaryFile(final, gif, final).Commit(final, final);
      lap(kWrite);
      gifBytes += gif.size();
      if (!quantizer.Exact()) {
        mapper.Map(tile, nearest, DitheringMethod::FloydSteinberg, indices.data());
        lap(kDither);
      }
      if (round == 0 && gif != encoder.Encode(tile, options)) {
        std::fprintf(stderr, "stages give other bytes than TileEncoder: bench out of date\n");
        return 1;
      }
    }
    for (int s = 0; s < kStages; ++s) best[s] = std::min(best[s], total[s]);
  }
  std::filesystem::remove_all(work);

  std::printf("chart %d x %d, %zu tiles, %.1f MB of GIF, best of %d rounds (thread CPU ms)\n",
              chart.Width(), chart.Height(), plan.Tiles.size(), gifBytes / 1e6, rounds);
  std::printf("%-36s %9.1f (wall)\n", "load (TIFF)", loadMs);
  std::printf("%-36s %9.1f\n", "plan", planMs);
  double tiles = 0;
  for (int s = 0; s < kStages; ++s) {
    std::printf("%-36s %9.1f  %6.3f ms/tile\n", kStageNames[s], best[s],
                best[s] / static_cast<double>(plan.Tiles.size()));
    if (s != kDither) tiles += best[s];
  }
  std::printf("%-36s %9.1f  %6.3f ms/tile\n", "tiles without dithering", tiles,
              tiles / static_cast<double>(plan.Tiles.size()));
  return 0;
}
