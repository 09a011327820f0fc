#include "efismap/MapViewer.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "efismap/EfisMapFile.h"
#include "efismap/MapTileGif.h"
#include "platform/BinaryFile.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace cz {

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;
constexpr std::uint32_t kOpaqueWhite = 0xFFFFFFFFu;
constexpr std::int32_t kCrossArm = 10;
constexpr std::int32_t kLastBufferIndex = kViewBufferSide - 1;

std::int64_t FloorMod(std::int64_t value, std::int64_t modulus) {
  const std::int64_t r = value % modulus;
  return r < 0 ? r + modulus : r;
}

// A longitude moved by whole turns into −180° .. 180° (180° itself becomes −180°).
GeoCoord OntoEarth(std::int64_t longitude) {
  return static_cast<GeoCoord>(FloorMod(longitude + k180Degrees, k360Degrees) - k180Degrees);
}

}  // namespace

ViewerCentreText UpdateInfo(const ViewerCentre& centre) {
  return {FormatLatitude(DegreesToGeoCoord(centre.Latitude)),
          FormatLongitude(DegreesToGeoCoord(centre.Longitude))};
}

ViewerCentre GetViewerLatLong(std::string_view latitudeText, std::string_view longitudeText) {
  return {GeoCoordToDegrees(ClampLatitude(ParseLatitude(latitudeText))),
          GeoCoordToDegrees(WrapLongitude(ParseLongitude(longitudeText)))};
}

std::vector<TilePlacement> PlanView(const ViewerCentre& centre, TileLevel level) {
  if (level >= kTileLevelCount) {
    throw CartozenError("Map resolution " + std::to_string(level) + " does not exist");
  }
  const GeoCoord centreLatitude = DegreesToGeoCoord(centre.Latitude);
  const GeoCoord centreLongitude = DegreesToGeoCoord(centre.Longitude);
  const std::int64_t step = TileStep(level);
  const double stepDegrees = step / static_cast<double>(kUnitsPerDegree);

  // The fractions are taken from the centre in whole GeoCoord units (as every typed or stored
  // position is), so that they always agree with the tile the centre's units fall in.
  double across = std::fmod(GeoCoordToDegrees(centreLongitude) + 180.0, stepDegrees);
  if (across < 0) across += stepDegrees;
  const float d = static_cast<float>(across) / static_cast<float>(stepDegrees);
  const float e = static_cast<float>(FloorMod(k90Degrees - std::int64_t{centreLatitude}, step)) /
                  static_cast<float>(step);

  // The tile pixel holding the centre lands on buffer pixel 640: its index within the tile,
  // W × d and 600 × e, is truncated before it is taken from 640.
  const std::int32_t y0 = kViewBufferCentre - static_cast<std::int32_t>(kTileHeight * double{e});
  auto rowY = [y0](std::int64_t j) { return kTileHeight * j + y0; };

  std::vector<TilePlacement> plan;
  auto walkRow = [&](std::int64_t j) {
    const std::int64_t latitude = centreLatitude - j * step;
    if (latitude > k90Degrees || latitude <= -k90Degrees) return;  // beyond a pole
    const std::uint16_t width = TileWidthAt(static_cast<GeoCoord>(latitude), level);
    const std::int32_t x0 = kViewBufferCentre - static_cast<std::int32_t>(width * double{d});
    const auto y = static_cast<std::int32_t>(rowY(j));
    auto visit = [&](std::int64_t i) {
      const auto x = static_cast<std::int32_t>(width * i + x0);
      plan.push_back(
          {static_cast<GeoCoord>(latitude), OntoEarth(centreLongitude + i * step), x, y, width});
      return x;
    };
    // Widths are at least 1, so each walk ends within the buffer's width in steps.
    std::int32_t last = visit(0);
    for (std::int64_t i = -1; last > 0 && i >= -kViewBufferSide; --i) last = visit(i);
    for (std::int64_t i = 1; i <= kViewBufferSide; ++i) {
      if (visit(i) >= kLastBufferIndex) break;
    }
  };

  walkRow(0);
  for (std::int64_t j = -1; rowY(j + 1) > 0; --j) walkRow(j);
  for (std::int64_t j = 1;; ++j) {
    walkRow(j);
    if (rowY(j) >= kLastBufferIndex) break;
  }
  return plan;
}

MapViewer::MapViewer()
    : buffer_(kViewBufferSide, kViewBufferSide), work_(kViewBufferSide, kViewBufferSide) {}

void MapViewer::DrawView(std::string_view projectFolder, const ViewerCentre& centre,
                         TileLevel level) {
  const std::vector<TilePlacement> plan = PlanView(centre, level);
  work_.Clear();
  if (!projectFolder.empty()) {
    const std::string mapsFolder = JoinPath(projectFolder, "EFIS Maps");
    // Whether a cell has a map file is asked once per view; the file itself is opened for
    // each tile and closed straight after.
    std::map<std::string, std::string> cellFiles;  // cell name → path, empty when missing
    for (const TilePlacement& placement : plan) {
      const MapCellPoint cell = MapCellOfPoint(placement.Latitude, placement.Longitude, level);
      auto [entry, isNew] = cellFiles.try_emplace(cell.name);
      if (isNew) {
        const std::string path = JoinPath(mapsFolder, cell.name);
        if (FileExists(path)) entry->second = path;
      }
      if (entry->second.empty()) continue;
      BinaryFile map(entry->second, BinaryFile::Mode::Read);
      const std::uint32_t offset =
          ReadSlot(map, level, cell.column + cell.row * TilesPerCellSide(level));
      if (offset == 0) continue;
      const TileRecord record = ReadTileRecord(map, offset);
      ReadGifTile(map, record, placement.X, placement.Y, placement.Width, work_, reader_, chunk_);
    }
  }
  std::swap(buffer_, work_);
}

void ShowView(const Raster32& buffer, Raster32& view) {
  view.Fill(kOpaque);
  const std::int32_t width = view.Width();
  const std::int32_t height = view.Height();
  const std::int32_t cx = width / 2;
  const std::int32_t cy = height / 2;
  // The copy covers x, y in −c..c; the view ends at c − 1 when its size is even, the buffer
  // at 640 − 1 on the right and bottom.
  const std::int32_t xFrom = std::max(-cx, -kViewBufferCentre);
  const std::int32_t xTo = std::min({cx, width - 1 - cx, buffer.Width() - 1 - kViewBufferCentre});
  const std::int32_t yFrom = std::max(-cy, -kViewBufferCentre);
  const std::int32_t yTo = std::min({cy, height - 1 - cy, buffer.Height() - 1 - kViewBufferCentre});
  for (std::int32_t y = yFrom; y <= yTo; ++y) {
    const std::uint32_t* source = buffer.Row(kViewBufferCentre + y) + kViewBufferCentre;
    std::uint32_t* target = view.Row(cy + y) + cx;
    for (std::int32_t x = xFrom; x <= xTo; ++x) target[x] = source[x] | kOpaque;
  }

  auto inside = [&](std::int32_t x, std::int32_t y) {
    return x >= 0 && y >= 0 && x < width && y < height;
  };
  // White pen 5 pixels wide: every pixel within 2.5 pixels of an arm, so the ends are round.
  constexpr std::int32_t kReach = kCrossArm + 3;
  for (std::int32_t dy = -kReach; dy <= kReach; ++dy) {
    for (std::int32_t dx = -kReach; dx <= kReach; ++dx) {
      const std::int32_t alongX = std::max(0, std::abs(dx) - kCrossArm);
      const std::int32_t alongY = std::max(0, std::abs(dy) - kCrossArm);
      const bool nearHorizontal = alongX * alongX + dy * dy <= 6;  // ≤ 2.5² for integers
      const bool nearVertical = dx * dx + alongY * alongY <= 6;
      if ((nearHorizontal || nearVertical) && inside(cx + dx, cy + dy)) {
        view.At(cx + dx, cy + dy) = kOpaqueWhite;
      }
    }
  }
  for (std::int32_t t = -kCrossArm; t <= kCrossArm; ++t) {
    if (inside(cx + t, cy)) view.At(cx + t, cy) = kOpaque;
    if (inside(cx, cy + t)) view.At(cx, cy + t) = kOpaque;
  }
}

}  // namespace cz
