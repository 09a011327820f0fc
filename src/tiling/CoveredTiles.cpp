#include "tiling/CoveredTiles.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "geo/TileGrid.h"
#include "platform/Error.h"
#include "tiling/TileStore.h"

namespace cz {
namespace {

// The box a piece of a cell part takes tile pixels in: the coverage's box inset by one chart
// pixel (measured through the piece's map at its centre). A cell's projective map places the
// chart only to about a pixel (its points are whole pixels, its parallels straight), and even
// an exact placement samples bilinearly, reading the chart pixel beyond the position: without
// the inset a tile pixel on the neat line could show the collar, and a neighbouring chart that
// overlaps would show that as a line along the join.
template <class Map>
LatLonBox PartBox(const LatLonBox& box, const Map& map, const TileRect& rect,
                  const TileSquare& square) {
  const double i = (rect.Left + rect.Right) / 2.0, j = (rect.Top + rect.Bottom) / 2.0;
  double x = 0, y = 0, xi = 0, yi = 0, xj = 0, yj = 0;
  map.Map(i, j, x, y);
  map.Map(i + 1, j, xi, yi);
  map.Map(i, j + 1, xj, yj);
  const double chartPerColumn = std::hypot(xi - x, yi - y);
  const double chartPerRow = std::hypot(xj - x, yj - y);
  const double lonInset = chartPerColumn > 0 ? square.Step / square.Width / chartPerColumn : 0;
  const double latInset = chartPerRow > 0 ? square.Step / kTileHeight / chartPerRow : 0;
  return {box.North - latInset, box.South + latInset, box.West + lonInset, box.East - lonInset};
}

// Columns of a tile row (within [first, last)) whose chart positions lie within the image:
// [First, Last) certainly, [TestedFirst, First) and [Last, TestedLast) to be tested one by
// one, none beyond them. Along a row of a drawn part w keeps its sign, so each image bound
// is a linear inequality in the column, solved exactly; the columns next to its solution are
// left to the per-pixel test, which thus decides every pixel as it would alone.
struct Stretch {
  std::int32_t TestedFirst = 0, First = 0, Last = 0, TestedLast = 0;
};

std::optional<Stretch> ImageStretch(const ProjectiveTransform::RowLine& line, std::int32_t first,
                                    std::int32_t last, const CoverageShape& shape) {
  if (first >= last) return Stretch{first, first, first, first};
  const double wFirst = line.W0 + line.DW * first, wLast = line.W0 + line.DW * (last - 1);
  if (!((wFirst > 0 && wLast > 0) || (wFirst < 0 && wLast < 0))) return std::nullopt;
  const double sign = wFirst > 0 ? 1 : -1;
  double lo = first - 2.0, hi = last + 1.0;
  // a + b·i ≥ 0, both sides multiplied by w.
  const auto keep = [&](double a, double b) {
    a *= sign, b *= sign;
    if (b > 0) {
      lo = std::max(lo, -a / b);
    } else if (b < 0) {
      hi = std::min(hi, -a / b);
    } else if (a < 0) {
      hi = lo;  // never
    }
  };
  keep(line.X0, line.DX);
  keep(shape.LastX() * line.W0 - line.X0, shape.LastX() * line.DW - line.DX);
  keep(line.Y0, line.DY);
  keep(shape.LastY() * line.W0 - line.Y0, shape.LastY() * line.DW - line.DY);
  if (!(lo <= hi)) hi = lo;  // no stretch: only the columns round lo are tested
  const auto column = [first, last](double i) {
    return static_cast<std::int32_t>(std::clamp(i, double(first), double(last)));
  };
  Stretch stretch;
  stretch.TestedFirst = column(std::floor(lo) - 1);
  stretch.First = column(std::ceil(lo) + 2);
  stretch.Last = std::max(stretch.First, column(std::floor(hi) - 1));
  stretch.TestedLast = std::max(stretch.Last, column(std::ceil(hi) + 2));
  return stretch;
}

// Takes the covered pixels of rect, drawn into scratch through map, into raster.
template <class Map>
std::int64_t TakeCoveredPiece(const TileRect& rect, const Map& map, const Raster32& scratch,
                              Raster32& raster, const TileSquare& square,
                              const CoverageRun& coverage) {
  const std::int32_t right = std::min(rect.Right, raster.Width());
  const std::int32_t bottom = std::min(rect.Bottom, raster.Height());
  std::optional<LatLonBox> box;
  // The box in the tile's own longitudes, which lie on the earth (those of a grid across 180°
  // run on past it).
  if (coverage.Box) {
    box = PartBox(coverage.Box->Near(square.West + square.Step / 2), map, rect, square);
  }
  // The box's columns of this tile, from the tile's own pixel longitudes.
  std::int32_t first = rect.Left, last = right;
  if (box) {
    while (first < last && square.Longitude(first) < box->West) ++first;
    while (last > first && square.Longitude(last - 1) > box->East) --last;
  }
  std::int64_t covered = 0;
  for (std::int32_t j = rect.Top; j < bottom; ++j) {
    if (box) {
      const double lat = square.Latitude(j);
      if (lat > box->North || lat < box->South) continue;
    }
    const ProjectiveTransform::RowLine line = map.Row(j);
    const std::uint32_t* from = scratch.Row(j);
    std::uint32_t* to = raster.Row(j);
    const auto test = [&](std::int32_t begin, std::int32_t end) {
      for (std::int32_t i = begin; i < end; ++i) {
        const double w = line.W0 + line.DW * i;
        const double x = (line.X0 + line.DX * i) / w, y = (line.Y0 + line.DY * i) / w;
        if (coverage.Shape.Covers(x, y)) {
          to[i] = from[i];
          ++covered;
        }
      }
    };
    const std::optional<Stretch> inside =
        coverage.Shape.ImageOnly() ? ImageStretch(line, first, last, coverage.Shape) : std::nullopt;
    if (!inside) {
      test(first, last);
      continue;
    }
    // Tested one by one only round the stretch's ends, taken whole between them.
    test(inside->TestedFirst, inside->First);
    std::copy(from + inside->First, from + inside->Last, to + inside->First);
    covered += inside->Last - inside->First;
    test(inside->Last, inside->TestedLast);
  }
  return covered;
}

// Takes the covered pixels of the part the renderer last drew from scratch into raster.
std::int64_t TakeCovered(const CellRenderer& renderer, const Raster32& scratch, Raster32& raster,
                         const TileSquare& square, const CoverageRun& coverage) {
  std::int64_t covered = 0;
  renderer.ForEachDrawnPiece([&](const TileRect& rect, const auto& map) {
    covered += TakeCoveredPiece(rect, map, scratch, raster, square, coverage);
  });
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
      sample = ChartPositionOf(run, lat, lon);
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

void CheckPolygon(const ChartCoverage& coverage, const std::string& chartName) {
  if (coverage.Polygon.empty()) return;
  const std::string problem = PolygonProblem(coverage.Polygon);
  if (!problem.empty()) {
    throw CartozenError("Cannot use the coverage of " + chartName + ": " + problem);
  }
}

// The box in the longitudes of the run's grid, which across 180° run on past it.
std::optional<LatLonBox> BoxInGrid(const std::optional<LatLonBox>& box, const WidenedGrid& grid) {
  if (!box) return std::nullopt;
  return box->Near(grid.Geo.GridLeftLongitude + grid.Geo.NLon / 2.0);
}

WidenedGrid WidenedGridOf(const GeoReference& laidOut, const ChartCoverage& coverage,
                          const CoverageShape& shape, const ChartProjection* projection,
                          const std::string& chartName) {
  const PixelBounds& b = shape.Bounds();
  std::optional<WidenedGrid> grid;
  if (!b.Empty()) {
    grid = WidenGrid(laidOut, {b.Left, b.Top, b.Right, b.Bottom}, coverage.Box, projection);
  }
  if (!grid) {
    throw CartozenError("The coverage of " + chartName + " reaches no one-degree cell");
  }
  return std::move(*grid);
}

}  // namespace

std::shared_ptr<const CoverageRun> PrepareCoverageRun(const GeoReference& laidOut,
                                                      const ChartCoverage& coverage,
                                                      const Raster32& chart,
                                                      const ChartProjection* projection,
                                                      const std::string& chartName) {
  CheckPolygon(coverage, chartName);
  CoverageShape shape(coverage, chart);
  WidenedGrid grid = WidenedGridOf(laidOut, coverage, shape, projection, chartName);
  std::shared_ptr<const ProjectionLattice> placement;
  if (projection) placement = std::make_shared<ProjectionLattice>(grid.Geo, *projection);
  auto run = std::make_shared<CoverageRun>(CoverageRun{
      std::move(shape), BoxInGrid(coverage.Box, grid), std::move(grid), std::move(placement)});
  if (run->Box) CheckBox(*run, *run->Box, chartName);
  return run;
}

std::shared_ptr<const CoverageRun> PlanCoverageCells(const GeoReference& laidOut,
                                                     const ChartCoverage& coverage,
                                                     std::int32_t width, std::int32_t height,
                                                     const ChartProjection* projection,
                                                     const std::string& chartName) {
  CheckPolygon(coverage, chartName);
  CoverageShape shape(coverage, width, height);
  WidenedGrid grid = WidenedGridOf(laidOut, coverage, shape, projection, chartName);
  return std::make_shared<CoverageRun>(
      CoverageRun{std::move(shape), BoxInGrid(coverage.Box, grid), std::move(grid), nullptr});
}

std::optional<FloatPoint> ChartPositionOf(const CoverageRun& run, double latitude,
                                          double longitude) {
  const WidenedGrid& grid = run.Grid;
  const GeoReference& geo = grid.Geo;
  const double down = geo.GridTopLatitude - latitude, across = longitude - geo.GridLeftLongitude;
  if (!(down >= 0 && down <= geo.NLat && across >= 0 && across <= geo.NLon)) return std::nullopt;
  const auto r = std::min<std::int32_t>(static_cast<std::int32_t>(down), geo.NLat - 1);
  const auto c = std::min<std::int32_t>(static_cast<std::int32_t>(across), geo.NLon - 1);
  if (!grid.CellPlaced(c, r)) return std::nullopt;
  if (const LatticeCell* exact = run.Placement ? run.Placement->Cell(c, r) : nullptr) {
    const ChartPixel p = exact->PositionAt(across - c, down - r);
    return FloatPoint{float(p.X), float(p.Y)};
  }
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
      const auto p = ChartPositionOf(run, lat0 + (lat1 - lat0) * t, lon0 + (lon1 - lon0) * t);
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
  // The tile as earlier runs left it, at the size the renderer draws it (that of a run
  // without coverage; at level 0 a cell's four rows of tiles all take its top row's width),
  // known once it has drawn the tile's first part.
  std::optional<TileSquare> square;
  std::int64_t covered = 0;
  for (std::uint32_t s = tile.FirstStep; s < tile.FirstStep + tile.StepCount; ++s) {
    DrawStep(renderer, plan.Steps[s]);
    if (!square) {
      // Black, 0 in every byte, where no tile is stored (every width is below 600, so the
      // pixels a loaded tile lacks are the only new ones). A recycled raster has the size.
      if (raster.Width() != scratch.Width() || raster.Height() != kTileHeight) {
        raster.Allocate(scratch.Width(), kTileHeight);
      }
      raster.Clear();
      store.LoadExistingTile(raster, tile.Position, tile.Level);
      if (raster.Width() != scratch.Width() || raster.Height() != kTileHeight) {
        ResizeKeeping(raster, scratch.Width(), kTileHeight, tile.Level >= 3 ? kNewTilePixel : 0);
      }
      square.emplace(tile.Level, tile.Position,
                     tile.Level >= 3 ? scratch.Width() : scratch.Width() - 1);
    }
    covered += TakeCovered(renderer, scratch, raster, *square, coverage);
  }
  return covered;
}

}  // namespace cz
