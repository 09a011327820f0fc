#include "tiling/CoveredTiles.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "geo/TileGrid.h"
#include "platform/Error.h"
#include "tiling/TileStore.h"

namespace cz {
namespace {

constexpr std::uint32_t kNewPixel = PackPixel(0, 0, 0, 255);

// Where a tile lies: its north-west corner, its step and its width, in degrees.
struct TileSquare {
  double West = 0, North = 0, Step = 0;
  std::int32_t Width = 0;

  TileSquare(TileLevel level, TilePosition position) {
    const std::int32_t columns = TileColumns(level);
    const std::int32_t row = position / columns, column = position % columns;
    Step = double(TileStep(level)) / kOneDegree;
    West = -180 + column * Step;
    North = 90 - row * Step;
    Width = TileWidthOfRow(level, row);
  }
  double Longitude(std::int32_t i) const { return West + double(i) / Width * Step; }
  double Latitude(std::int32_t j) const { return North - double(j) / kTileHeight * Step; }
};

// Takes the covered pixels of the part the renderer last drew from scratch into raster.
std::int64_t TakeCovered(const CellRenderer& renderer, const Raster32& scratch, Raster32& raster,
                         const TileSquare& square, const CoverageRun& coverage) {
  if (!renderer.LastFromChart) return 0;
  const TileRect& rect = renderer.LastPixels;
  const std::int32_t right = std::min(rect.Right, raster.Width());
  const std::int32_t bottom = std::min(rect.Bottom, raster.Height());
  // The box's columns of this tile, from the tile's own pixel longitudes.
  std::int32_t first = rect.Left, last = right;
  if (coverage.Box) {
    while (first < last && square.Longitude(first) < coverage.Box->West) ++first;
    while (last > first && square.Longitude(last - 1) > coverage.Box->East) --last;
  }
  const ProjectiveTransform& pt = renderer.PT;
  std::int64_t covered = 0;
  for (std::int32_t j = rect.Top; j < bottom; ++j) {
    if (coverage.Box) {
      const double lat = square.Latitude(j);
      if (lat > coverage.Box->North || lat < coverage.Box->South) continue;
    }
    const ProjectiveTransform::RowLine line = pt.Row(j);
    const std::uint32_t* from = scratch.Row(j);
    std::uint32_t* to = raster.Row(j);
    for (std::int32_t i = first; i < last; ++i) {
      const double w = line.W0 + line.DW * i;
      const double x = (line.X0 + line.DX * i) / w, y = (line.Y0 + line.DY * i) / w;
      if (coverage.Shape.Covers(x, y)) {
        to[i] = from[i];
        ++covered;
      }
    }
  }
  return covered;
}

bool SquareMeetsBox(const GeoReference& geo, std::int32_t c, std::int32_t r,
                    const std::optional<LatLonBox>& box) {
  if (!box) return true;
  const double north = geo.GridTopLatitude - r, west = geo.GridLeftLongitude + c;
  return north - 1 <= box->North && north >= box->South && west <= box->East &&
         west + 1 >= box->West;
}

// The box's image in chart pixels, sampled on a lattice through the cells' projective maps:
// refused when no sample lands on the covered chart, or when neighbouring samples come out of
// order (east of a sample must lie right of it, south of it below it).
void CheckBox(const CoverageRun& run, const LatLonBox& box, const std::string& chartName) {
  constexpr int kSamples = 32;
  std::vector<std::optional<FloatPoint>> samples((kSamples + 1) * (kSamples + 1));
  bool inside = false;
  for (int j = 0; j <= kSamples; ++j) {
    for (int i = 0; i <= kSamples; ++i) {
      const double lat = box.North - (box.North - box.South) * j / kSamples;
      const double lon = box.West + (box.East - box.West) * i / kSamples;
      auto& sample = samples[j * (kSamples + 1) + i];
      sample = ChartPositionOf(run.Grid, lat, lon);
      inside = inside || (sample && run.Shape.Covers(sample->X, sample->Y));
    }
  }
  const std::string named = " of " + chartName;
  if (!inside) {
    throw CartozenError("The coverage box" + named + " lies outside the chart");
  }
  for (int j = 0; j <= kSamples; ++j) {
    for (int i = 0; i <= kSamples; ++i) {
      const auto& s = samples[j * (kSamples + 1) + i];
      if (!s) continue;
      const auto* east = i < kSamples ? &samples[j * (kSamples + 1) + i + 1] : nullptr;
      const auto* south = j < kSamples ? &samples[(j + 1) * (kSamples + 1) + i] : nullptr;
      if ((east && *east && (*east)->X <= s->X) || (south && *south && (*south)->Y <= s->Y)) {
        throw CartozenError("The coverage box" + named +
                            " folds under the chart's georeference");
      }
    }
  }
}

}  // namespace

std::shared_ptr<const CoverageRun> PrepareCoverageRun(const GeoReference& laidOut,
                                                      const ChartCoverage& coverage,
                                                      const Raster32& chart,
                                                      const ChartProjection* projection,
                                                      const std::string& chartName) {
  if (!coverage.Polygon.empty()) {
    const std::string problem = PolygonProblem(coverage.Polygon);
    if (!problem.empty()) {
      throw CartozenError("Cannot use the coverage of " + chartName + ": " + problem);
    }
  }
  CoverageShape shape(coverage, chart);
  const PixelBounds& b = shape.Bounds();
  std::optional<WidenedGrid> grid;
  if (!b.Empty()) {
    grid = WidenGrid(laidOut, {b.Left, b.Top, b.Right, b.Bottom}, coverage.Box, projection);
  }
  if (!grid) {
    throw CartozenError("The coverage of " + chartName + " reaches no one-degree cell");
  }
  auto run = std::make_shared<CoverageRun>(CoverageRun{std::move(shape), coverage.Box,
                                                       std::move(*grid)});
  if (coverage.Box) CheckBox(*run, *coverage.Box, chartName);
  return run;
}

std::optional<FloatPoint> ChartPositionOf(const WidenedGrid& grid, double latitude,
                                          double longitude) {
  const GeoReference& geo = grid.Geo;
  const double down = geo.GridTopLatitude - latitude, across = longitude - geo.GridLeftLongitude;
  if (!(down >= 0 && down <= geo.NLat && across >= 0 && across <= geo.NLon)) return std::nullopt;
  const auto r = std::min<std::int32_t>(static_cast<std::int32_t>(down), geo.NLat - 1);
  const auto c = std::min<std::int32_t>(static_cast<std::int32_t>(across), geo.NLon - 1);
  if (!grid.CellPlaced(c, r)) return std::nullopt;
  const auto corner = [&](std::int32_t cc, std::int32_t rr) {
    return FloatPoint{float(geo.Grid[cc][rr].X), float(geo.Grid[cc][rr].Y)};
  };
  ProjectiveTransform cell;
  cell.SetSource({0, 0, 1, 1});
  cell.SetDestination({corner(c, r), corner(c + 1, r), corner(c + 1, r + 1), corner(c, r + 1)});
  if (!cell.Defined()) return std::nullopt;
  double x = 0, y = 0;
  cell.Map(across - c, down - r, x, y);
  return FloatPoint{float(x), float(y)};
}

std::vector<std::vector<FloatPoint>> BoxOutline(const CoverageRun& run) {
  std::vector<std::vector<FloatPoint>> lines;
  if (!run.Box) return lines;
  const LatLonBox& box = *run.Box;
  // Sixteen points a degree along each edge, split where the grid cannot place the edge.
  const auto edge = [&](double lat0, double lon0, double lat1, double lon1) {
    const double degrees = std::max(std::fabs(lat1 - lat0), std::fabs(lon1 - lon0));
    const int steps = std::max(1, static_cast<int>(std::ceil(degrees * 16)));
    lines.emplace_back();
    for (int k = 0; k <= steps; ++k) {
      const double t = double(k) / steps;
      const auto p = ChartPositionOf(run.Grid, lat0 + (lat1 - lat0) * t, lon0 + (lon1 - lon0) * t);
      if (p) {
        lines.back().push_back(*p);
      } else if (!lines.back().empty()) {
        lines.emplace_back();
      }
    }
  };
  edge(box.North, box.West, box.North, box.East);
  edge(box.North, box.East, box.South, box.East);
  edge(box.South, box.East, box.South, box.West);
  edge(box.South, box.West, box.North, box.West);
  std::erase_if(lines, [](const auto& line) { return line.size() < 2; });
  return lines;
}

CellFilter CoverageRun::Cells() const {
  return [this](std::int32_t c, std::int32_t r) {
    if (!Grid.CellPlaced(c, r) || !SquareMeetsBox(Grid.Geo, c, r, Box)) return false;
    const PixelBounds& b = Shape.Bounds();
    if (b.Empty()) return false;
    const ReferenceGrid& g = Grid.Geo.Grid;
    const GridPoint* corners[4] = {&g[c][r], &g[c + 1][r], &g[c + 1][r + 1], &g[c][r + 1]};
    std::int32_t left = corners[0]->X, right = left, top = corners[0]->Y, bottom = top;
    for (const GridPoint* p : corners) {
      left = std::min(left, p->X), right = std::max(right, p->X);
      top = std::min(top, p->Y), bottom = std::max(bottom, p->Y);
    }
    return left <= b.Right && right >= b.Left && top <= b.Bottom && bottom >= b.Top;
  };
}

std::int64_t RenderCoveredTile(const TilePlan& plan, const PlannedTile& tile,
                               CellRenderer& renderer, Raster32& scratch, Raster32& raster,
                               TileStore& store, const CoverageRun& coverage) {
  const TileSquare square(tile.Level, tile.Position);
  // The tile as earlier runs left it, at the size this run's renderers give it.
  if (raster.Width() != kTileHeight || raster.Height() != kTileHeight) {
    raster.Allocate(kTileHeight, kTileHeight);
  }
  raster.Clear();
  store.LoadExistingTile(raster, tile.Position, tile.Level);
  if (tile.Level >= 3) {
    ResizeKeeping(raster, square.Width, kTileHeight, kNewPixel);
  } else {
    ResizeKeeping(raster, square.Width + 1, kTileHeight, 0);
  }
  std::int64_t covered = 0;
  for (std::uint32_t s = tile.FirstStep; s < tile.FirstStep + tile.StepCount; ++s) {
    DrawStep(renderer, plan.Steps[s]);
    covered += TakeCovered(renderer, scratch, raster, square, coverage);
  }
  return covered;
}

}  // namespace cz
