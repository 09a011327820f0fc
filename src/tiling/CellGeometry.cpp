#include "tiling/CellGeometry.h"

#include <cmath>

namespace cz {
namespace {

// Integer halving toward zero, on 64-bit sums.
constexpr std::int64_t Half(std::int64_t v) {
  return v / 2;
}

std::int32_t MidOf(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(a + Half(std::int64_t{b} - a));
}

}  // namespace

PixelPoint Mid(PixelPoint a, PixelPoint b) {
  return {MidOf(a.X, b.X), MidOf(a.Y, b.Y)};
}

PixelPoint CellCentre(PixelPoint p0, PixelPoint p1, PixelPoint p2, PixelPoint p3) {
  const std::int64_t x = Half(std::int64_t{p0.X} + p3.X) +
                         Half(Half(std::int64_t{p1.X} - p0.X) + Half(std::int64_t{p2.X} - p3.X));
  const std::int64_t y = Half(std::int64_t{p0.Y} + p1.Y) +
                         Half(Half(std::int64_t{p3.Y} - p0.Y) + Half(std::int64_t{p2.Y} - p1.Y));
  return {static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)};
}

PixelQuad QuadLattice::Part(int part) const {
  const int row = part / 2;
  const int column = part % 2;
  return {Points[row][column], Points[row][column + 1], Points[row + 1][column + 1],
          Points[row + 1][column]};
}

namespace {

// The lattice of a quadrilateral around a given centre.
QuadLattice LatticeAround(const PixelQuad& q, PixelPoint centre) {
  QuadLattice lattice;
  lattice.Points[0] = {q[0], Mid(q[0], q[1]), q[1]};
  lattice.Points[1] = {Mid(q[0], q[3]), centre, Mid(q[1], q[2])};
  lattice.Points[2] = {q[3], Mid(q[3], q[2]), q[2]};
  return lattice;
}

}  // namespace

QuadLattice CellQuarters(const PixelQuad& cell) {
  return LatticeAround(cell, CellCentre(cell[0], cell[1], cell[2], cell[3]));
}

QuadLattice SubdivideQuad(PixelPoint a, PixelPoint b, PixelPoint c, PixelPoint d) {
  const SegmentCrossing crossing = IntersectSegments(a, c, b, d);
  QuadLattice lattice = LatticeAround({a, b, c, d}, crossing.Point);
  lattice.CentreFound = crossing.Found;
  return lattice;
}

TileRect Level3Rectangle(std::int32_t width, int q) {
  const double m = width / 2.0;
  const bool east = q == 1 || q == 3;
  const bool south = q >= 2;
  const auto half = static_cast<std::int32_t>(std::nearbyint(m));
  const auto whole = static_cast<std::int32_t>(std::nearbyint(2 * m));
  return {east ? half : 0, south ? 300 : 0, east ? whole : half, south ? 600 : 300};
}

TileRect Level4Rectangle(std::int32_t width, int q) {
  const double m = width / 4.0;
  const int k = q % 4;
  const int n = q / 4;
  return {static_cast<std::int32_t>(std::nearbyint(k * m)), 150 * n,
          static_cast<std::int32_t>(std::nearbyint((k + 1) * m)), 150 * n + 150};
}

}  // namespace cz
