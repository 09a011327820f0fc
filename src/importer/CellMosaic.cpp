#include "importer/CellMosaic.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "importer/WebMercator.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/OrderedParallel.h"
#include "platform/Paths.h"
#include "platform/ThreadCount.h"
#include "port/ProgressCounter.h"

namespace cz {

std::string WebTilePath(const std::string& folder, int zoom, std::int32_t column,
                        std::int32_t row) {
  return JoinPath(JoinPath(JoinPath(folder, std::to_string(zoom)), std::to_string(column)),
                  std::to_string(row) + ".png");
}

MosaicArea MakeMosaicArea(std::int32_t northEdge, std::int32_t westEdge, std::int32_t degrees,
                          int zoom) {
  MosaicArea area;
  area.NorthEdge = northEdge;
  area.WestEdge = westEdge;
  area.Degrees = degrees;
  area.Zoom = zoom;
  area.Width = MosaicWidth(zoom, degrees);
  area.Height =
      MosaicHeight(static_cast<float>(northEdge), static_cast<float>(northEdge - degrees), zoom);
  return area;
}

namespace {

// A web tile present on disk and where its part of the area goes in the mosaic.
struct WebTilePart {
  std::string Path;
  TileRegion Region;
  std::uint32_t* Target;
};

// The files covering the area, row by row from the north, west to east.
std::vector<WebTilePart> WebTileParts(Raster32& mosaic, const std::string& folder,
                                      const MosaicArea& area) {
  std::vector<WebTilePart> parts;
  const WebTileIndex firstColumn =
      WebTileOf(WebMercatorX(static_cast<float>(area.WestEdge), area.Zoom));
  const WebTileIndex firstRow =
      WebTileOf(WebMercatorY(static_cast<float>(area.NorthEdge), area.Zoom));
  std::int32_t d = 0;
  std::int32_t r = firstRow.Tile;
  std::int32_t oy = firstRow.Offset;
  while (d < area.Height) {
    const std::int32_t rows = std::min(area.Height - d, kWebTileSize);
    std::int32_t e = 0;
    std::int32_t c = firstColumn.Tile;
    std::int32_t ox = firstColumn.Offset;
    while (e < area.Width) {
      const std::int32_t cols = std::min(area.Width - e, kWebTileSize);
      std::string path = WebTilePath(folder, area.Zoom, c, r);
      if (FileExists(path)) {
        // The part of the tile from (ox, oy) that fits: at most cols × rows pixels and never
        // beyond the tile's 256 × 256.
        const TileRegion region{ox, oy, std::min(cols, kWebTileSize - ox),
                                std::min(rows, kWebTileSize - oy)};
        parts.push_back({std::move(path), region, mosaic.Row(d) + e});
      }
      e += kWebTileSize - ox;
      ox = 0;
      ++c;
    }
    d += kWebTileSize - oy;
    oy = 0;
    ++r;
  }
  return parts;
}

// Web tiles decoded ahead of the one reported, per worker.
constexpr std::size_t kFilesAheadPerWorker = 8;

}  // namespace

void LoadPNGTiles(Raster32& mosaic, const std::string& folder, const MosaicArea& area,
                  PngTileDecoder& decoder, UserInterface& ui) {
  const std::vector<WebTilePart> parts = WebTileParts(mosaic, folder, area);
  const int workers = parts.size() > 1 ? WorkerThreadCount() : 1;
  // Workers decode into buffers of their own, and this thread copies each into the mosaic as
  // it takes it: the main window paints the mosaic while it fills (ProcessEvents below), so
  // a worker writing into it directly would race with that paint.
  std::vector<PngTileDecoder> more(static_cast<std::size_t>(workers - 1),
                                   PngTileDecoder(decoder.Alpha()));
  OrderedParallel<std::vector<std::uint32_t>> decoded(
      parts.size(), workers, kFilesAheadPerWorker * static_cast<std::size_t>(workers),
      [&](std::size_t index, int worker) {
        const WebTilePart& part = parts[index];
        PngTileDecoder& own = worker == 0 ? decoder : more[static_cast<std::size_t>(worker - 1)];
        // A region decoded writes every one of its pixels (black where the image is short).
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(part.Region.Width) *
                                          static_cast<std::size_t>(part.Region.Height));
        own.DecodeRegion(ReadWholeFile(part.Path), part.Path, part.Region, pixels.data(),
                         part.Region.Width);
        return pixels;
      });
  ProgressCounter progress(ui, ProgressTask::Import, static_cast<std::int64_t>(parts.size()));
  for (const WebTilePart& part : parts) {
    // Shown before its result is taken, so that a file that fails is the one on screen.
    ui.ShowImportReading(part.Path);
    ui.ProcessEvents();
    const std::vector<std::uint32_t> pixels = decoded.Next();
    const auto width = static_cast<std::size_t>(part.Region.Width);
    for (std::int32_t j = 0; j < part.Region.Height; ++j) {
      std::copy_n(pixels.data() + static_cast<std::size_t>(j) * width, width,
                  part.Target + static_cast<std::ptrdiff_t>(j) * mosaic.Width());
    }
    progress.Step();
    if (ui.CancelRequested() && !progress.Finished()) {
      throw OperationCancelled("Import cancelled");
    }
  }
}

void SetMosaicGeoReference(GeoReference& geo, const MosaicArea& area) {
  const std::int32_t s = area.Degrees;
  geo.TopLeft = {static_cast<double>(area.NorthEdge), static_cast<double>(area.WestEdge), 0, 0};
  geo.BottomRight = {static_cast<double>(area.NorthEdge - s),
                     static_cast<double>(area.WestEdge + s), area.Width - 1, area.Height - 1};
  geo.GeoReferencingType = static_cast<std::uint8_t>(GeoReferencingMethod::ManualGrid);
  geo.SkewLeft = 0;
  geo.SkewRight = 0;
  const std::int64_t y0 = WebMercatorY(static_cast<float>(area.NorthEdge), area.Zoom);
  for (std::int32_t k = 0; k <= s + 1; ++k) {
    const std::int64_t yk = WebMercatorY(static_cast<float>(area.NorthEdge - k), area.Zoom);
    const auto y = static_cast<std::int32_t>(yk > y0 ? yk - y0 : y0 - yk);
    for (std::int32_t m = 0; m <= s + 1; ++m) {
      GridPoint& point = geo.Grid[m][k];
      point.X = static_cast<std::int32_t>(std::trunc(static_cast<double>(area.Width) / s * m));
      point.Y = y;
      point.Latitude = static_cast<float>(area.NorthEdge - k);
      point.XYSHIFT = 1;
    }
  }
}

}  // namespace cz
