#pragma once
// Where a chart of known projection shows the latitudes and longitudes of its grid's
// one-degree cells, to a fraction of a pixel.
//
// A cell's projective map through its four whole-pixel corners is not the projection: on a
// conic chart the parallels are arcs, and the map's perspective spaces them unevenly down the
// cell (the homography of a trapezoid puts its middle row nearer the short side), about two
// chart pixels in the middle of a 1° cell at 48° N on a chart of 250 m pixels. So a chart whose
// projection is known is placed through this lattice instead: the exact chart positions
// (through the projection, not rounded) of an n × n lattice per cell, evenly spaced in
// latitude and longitude, with positions between its points bilinear in both.
//
// n, a power of two up to kMostLatticeSteps, is chosen per cell: the smallest whose bilinear
// positions, checked against the projection at the middle of every lattice square and of
// every lattice edge (where a smooth map's bilinear error peaks), stay within kLatticeTarget,
// a quarter of the bound kPlacementTolerance that the placement promises: the error a cell
// just within the bound would leave everywhere is a systematic shift, which a finer lattice
// removes for the price of a few more projected points. The cell keeps the worst error that
// check found; a cell that misses the target even at the finest lattice keeps that lattice
// and says so.
//
// Coordinates are the grid's: u = longitude − GridLeftLongitude, v = GridTopLatitude −
// latitude, so cell (c, r) spans u in [c, c + 1] and v in [r, r + 1].

#include <cstdint>
#include <optional>
#include <vector>

#include "geo/GeoReference.h"
#include "georef/GeoTiffReference.h"

namespace cz {

inline constexpr double kPlacementTolerance = 0.125;  // chart pixels
inline constexpr double kLatticeTarget = kPlacementTolerance / 4;
inline constexpr std::int32_t kMostLatticeSteps = 64;

struct LatticeCell {
  std::int32_t Steps = 0;          // n: lattice squares per degree, each way
  std::vector<ChartPixel> Points;  // (n + 1)², row by row from the north-west corner
  double WorstError = 0;           // chart pixels, the largest the check found

  const ChartPixel& At(std::int32_t i, std::int32_t j) const {
    return Points[static_cast<std::size_t>(j) * (Steps + 1) + i];
  }
  // The bilinear position at fractions (s, t) ∈ [0, 1]² across lattice square (i, j).
  ChartPixel Between(std::int32_t i, std::int32_t j, double s, double t) const;
  // The position at (du, dv) ∈ [0, 1]² across the cell.
  ChartPixel PositionAt(double du, double dv) const;
};

class ProjectionLattice {
 public:
  // The lattice of every cell of geo's grid (columns 0..NLon − 1, rows 0..NLat − 1) through
  // chart. A cell any of whose lattice points the projection cannot place is left out.
  ProjectionLattice(const GeoReference& geo, const ChartProjection& chart);

  // Cell (c, r), or nothing outside the grid or where the cell was left out.
  const LatticeCell* Cell(std::int32_t c, std::int32_t r) const;
  // The largest WorstError of the cells.
  double WorstError() const { return worst_; }

 private:
  std::int32_t columns_ = 0, rows_ = 0;
  std::vector<std::optional<LatticeCell>> cells_;  // [r × columns + c]
  double worst_ = 0;
};

}  // namespace cz
