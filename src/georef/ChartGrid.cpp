#include "georef/ChartGrid.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "geo/Antimeridian.h"
#include "geo/Rounding.h"
#include "georef/GridLayout.h"
#include "platform/Error.h"

namespace cz {
namespace {

// Samples per chart edge and per side of the inner lattice when the chart's extent in latitude
// and longitude is measured; the whole-degree margin below covers what falls between them.
constexpr int kEdgeSamples = 256;
constexpr int kInnerSamples = 16;
// The chart's longitudes lie within half a turn of its centre's (ChartProjection), which PROJ
// gives within a turn or so of Greenwich; anything beyond is a broken system.
constexpr double kMaxLongitude = 540;

struct DegreeRange {
  double minLat = 90, maxLat = -90, minLon = 180, maxLon = -180;
  bool empty = true;

  void Add(LatLon p) {
    minLat = std::min(minLat, p.Latitude);
    maxLat = std::max(maxLat, p.Latitude);
    minLon = std::min(minLon, p.Longitude);
    maxLon = std::max(maxLon, p.Longitude);
    empty = false;
  }
};

// Latitude and longitude extent of the chart's pixel centres: its outline and an inner lattice.
DegreeRange ChartExtent(const ChartProjection& chart) {
  const double w = chart.Width() - 1, h = chart.Height() - 1;
  DegreeRange range;
  auto add = [&](double x, double y) {
    if (const auto p = chart.PositionOf({x, y})) range.Add(*p);
  };
  for (int k = 0; k <= kEdgeSamples; ++k) {
    const double t = double(k) / kEdgeSamples;
    add(t * w, 0);
    add(t * w, h);
    add(0, t * h);
    add(w, t * h);
  }
  for (int i = 1; i < kInnerSamples; ++i) {
    for (int j = 1; j < kInnerSamples; ++j) {
      add(w * i / kInnerSamples, h * j / kInnerSamples);
    }
  }
  return range;
}

// The candidate whole-degree lines: north to south and west to east, with their pixels.
struct Candidates {
  int topLat = 0, leftLon = 0, rows = 0, cols = 0;
  std::vector<std::optional<ChartPixel>> pixels;  // [r * cols + c]; empty outside the chart

  const std::optional<ChartPixel>& At(int c, int r) const { return pixels[r * cols + c]; }
  bool Inside(int c, int r) const { return At(c, r).has_value(); }
};

// The pixel of an intersection when it lies inside the chart and the projection maps it back
// onto itself (not a wrapped image from outside its domain). Inside means that the grid
// point, the pixel rounded, is one of the chart's pixels: an intersection on the centre of an
// edge pixel counts whatever the last bit of the arithmetic says.
std::optional<ChartPixel> InsidePixel(const ChartProjection& chart, LatLon position) {
  const std::optional<ChartPixel> p = chart.PixelOf(position);
  if (!p) return std::nullopt;
  const std::int32_t x = RoundToInt32(p->X), y = RoundToInt32(p->Y);
  if (x < 0 || x >= chart.Width() || y < 0 || y >= chart.Height()) return std::nullopt;
  const std::optional<LatLon> back = chart.PositionOf(*p);
  if (!back || std::abs(back->Latitude - position.Latitude) > 1e-6 ||
      std::abs(std::remainder(back->Longitude - position.Longitude, 360.0)) > 1e-6) {
    return std::nullopt;
  }
  return p;
}

Candidates IntersectionsInside(const ChartProjection& chart, const std::string& path) {
  const DegreeRange range = ChartExtent(chart);
  if (range.empty) {
    throw CartozenError(
        GeoReferenceProblem(path, "the transformation to latitude and longitude fails"));
  }
  // Checked before any conversion to whole degrees: a projection of absurd parameters can
  // give positions no cast may take.
  if (!(range.minLat >= -90 && range.maxLat <= 90)) {
    throw CartozenError(GeoReferenceProblem(path, "the chart's latitudes lie off the earth"));
  }
  if (!(range.minLon >= -kMaxLongitude && range.maxLon <= kMaxLongitude)) {
    throw CartozenError(GeoReferenceProblem(path, "the chart's longitudes lie off the earth"));
  }
  // One degree of margin each way for extremes that fall between the samples.
  const int top = std::min(90, static_cast<int>(std::ceil(range.maxLat)) + 1);
  const int bottom = std::max(-90, static_cast<int>(std::floor(range.minLat)) - 1);
  // Longitudes are continuous over the chart, so one across 180° is as narrow as it looks.
  const int left = static_cast<int>(std::floor(range.minLon)) - 1;
  const int right = static_cast<int>(std::ceil(range.maxLon)) + 1;
  // The lines inside the chart span at least this range less the margins and the rounding.
  if (top - bottom > kMaxGridSteps + 4 || right - left > kMaxGridSteps + 4) {
    throw CartozenError(
        GeoReferenceProblem(path, "the chart spans more than 63 degrees of latitude or longitude"));
  }
  Candidates lines{top, left, top - bottom + 1, right - left + 1, {}};
  lines.pixels.reserve(static_cast<std::size_t>(lines.rows * lines.cols));
  for (int r = 0; r < lines.rows; ++r) {
    for (int c = 0; c < lines.cols; ++c) {
      lines.pixels.push_back(InsidePixel(chart, {double(top - r), double(left + c)}));
    }
  }
  return lines;
}

struct CellBlock {
  int c0 = 0, r0 = 0, cols = 0, rows = 0;  // in cells
};

// The largest rectangle of cells whose four corners lie inside the chart; the first in
// north-to-south, west-to-east order among equals. CheckSpan keeps it within the grid.
CellBlock LargestInsideBlock(const Candidates& lines) {
  const int cellRows = lines.rows - 1, cellCols = lines.cols - 1;
  CellBlock best;
  std::vector<char> full(static_cast<std::size_t>(std::max(cellCols, 0)));
  for (int r0 = 0; r0 < cellRows; ++r0) {
    std::fill(full.begin(), full.end(), 1);
    for (int r1 = r0; r1 < cellRows; ++r1) {
      // full[c]: cells (c, r0..r1) all have their corners inside.
      int run = 0;
      for (int c = 0; c < cellCols; ++c) {
        full[c] = full[c] && lines.Inside(c, r1) && lines.Inside(c + 1, r1) &&
                  lines.Inside(c, r1 + 1) && lines.Inside(c + 1, r1 + 1);
        run = full[c] ? run + 1 : 0;
        const int rows = r1 - r0 + 1;
        if (run * rows > best.cols * best.rows) best = {c - run + 1, r0, run, rows};
      }
    }
  }
  return best;
}

// The whole-degree intersections inside the chart may span at most the grid's 63 steps.
void CheckSpan(const Candidates& lines, const std::string& path) {
  int minR = lines.rows, maxR = -1, minC = lines.cols, maxC = -1;
  for (int r = 0; r < lines.rows; ++r) {
    for (int c = 0; c < lines.cols; ++c) {
      if (!lines.Inside(c, r)) continue;
      minR = std::min(minR, r), maxR = std::max(maxR, r);
      minC = std::min(minC, c), maxC = std::max(maxC, c);
    }
  }
  if (maxR - minR > kMaxGridSteps || maxC - minC > kMaxGridSteps) {
    throw CartozenError(
        GeoReferenceProblem(path, "the chart spans more than 63 degrees of latitude or longitude"));
  }
}

bool GridInOrder(const GeoReference& geo) {
  if (!CornersInOrder(geo)) return false;
  for (int r = 0; r <= geo.NLat; ++r) {
    for (int c = 0; c <= geo.NLon; ++c) {
      if (c < geo.NLon && geo.Grid[c + 1][r].X <= geo.Grid[c][r].X) return false;
      if (r < geo.NLat && geo.Grid[c][r + 1].Y <= geo.Grid[c][r].Y) return false;
    }
  }
  return true;
}

// The whole-degree lines just round the chart's extent, all placed wherever they fall: the
// grid of a chart smaller than a cell, whose coverage paints only the chart's own pixels.
Candidates EnclosingLines(const ChartProjection& chart, const std::string& path) {
  const DegreeRange range = ChartExtent(chart);
  const int top = static_cast<int>(std::ceil(range.maxLat));
  const int bottom = static_cast<int>(std::floor(range.minLat));
  const int left = static_cast<int>(std::floor(range.minLon));
  const int right = static_cast<int>(std::ceil(range.maxLon));
  const std::string noCell = "no whole one-degree cell lies inside the chart";
  if (top - bottom > kMaxGridSteps || right - left > kMaxGridSteps || top == bottom ||
      left == right) {
    throw CartozenError(GeoReferenceProblem(path, noCell));
  }
  Candidates lines{top, left, top - bottom + 1, right - left + 1, {}};
  for (int r = 0; r < lines.rows; ++r) {
    for (int c = 0; c < lines.cols; ++c) {
      const std::optional<ChartPixel> p = chart.PixelOf({double(top - r), double(left + c)});
      if (!p || !(std::fabs(p->X) < 1e9 && std::fabs(p->Y) < 1e9)) {
        throw CartozenError(GeoReferenceProblem(path, noCell));
      }
      lines.pixels.push_back(p);
    }
  }
  return lines;
}

}  // namespace

GeoReference GridFromChartProjection(const ChartProjection& chart, const std::string& path,
                                     bool enclosingWithoutCell) {
  Candidates lines = IntersectionsInside(chart, path);
  CheckSpan(lines, path);
  CellBlock block = LargestInsideBlock(lines);
  if (block.cols == 0 && enclosingWithoutCell) {
    lines = EnclosingLines(chart, path);
    block = {0, 0, lines.cols - 1, lines.rows - 1};
  }
  if (block.cols == 0) {
    throw CartozenError(
        GeoReferenceProblem(path, "no whole one-degree cell lies inside the chart"));
  }

  GeoReference geo;
  geo.GeoReferencingType = static_cast<std::uint8_t>(GeoReferencingMethod::ManualGrid);
  geo.NLon = block.cols;
  geo.NLat = block.rows;
  geo.GridTopLatitude = lines.topLat - block.r0;
  // The grid's west edge on the earth; its east edge may pass 180° (Antimeridian.h). Any
  // longitude a turn away names the same meridian to the projection, so the points stay.
  geo.GridLeftLongitude = LongitudeOnEarth(lines.leftLon + block.c0);
  for (int r = 0; r <= geo.NLat; ++r) {
    for (int c = 0; c <= geo.NLon; ++c) {
      const ChartPixel p = *lines.At(block.c0 + c, block.r0 + r);
      geo.Grid[c][r] = {RoundToInt32(p.X), RoundToInt32(p.Y),
                        static_cast<float>(geo.GridTopLatitude - r), 1};
    }
  }
  const GridPoint& topLeft = geo.Grid[0][0];
  const GridPoint& bottomRight = geo.Grid[geo.NLon][geo.NLat];
  geo.TopLeft = {geo.GridTopLatitude, geo.GridLeftLongitude, topLeft.X, topLeft.Y};
  geo.BottomRight = {geo.GridTopLatitude - geo.NLat, geo.GridLeftLongitude + geo.NLon,
                     bottomRight.X, bottomRight.Y};
  if (!GridInOrder(geo)) {
    throw CartozenError(GeoReferenceProblem(path, "the chart is not drawn north up"));
  }
  return geo;
}

}  // namespace cz
