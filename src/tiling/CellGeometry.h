#pragma once
// Integer geometry of grid cells for the cell renderers: edge midpoints, the cell centre, the
// four quarters of a cell, the 3 × 3 lattice that splits a quarter into sixteenths, and the
// rectangles of a 2° or 4° tile that one grid cell fills.
//
// Conventions: points are source pixels (integers, as the grid holds them). A quadrilateral
// lists its corners top-left, top-right, bottom-right, bottom-left. "Halving" divides by 2
// truncating toward zero; the intermediate sums are formed in 64 bits so that no grid
// position, however wild, overflows. Parts, quarters and blocks are numbered 0 top-left,
// 1 top-right, 2 bottom-left, 3 bottom-right.

#include <array>
#include <cstdint>

#include "georef/Segments.h"

namespace cz {

using PixelQuad = std::array<PixelPoint, 4>;  // top-left, top-right, bottom-right, bottom-left

// a + (b − a) halved, for X and Y separately.
PixelPoint Mid(PixelPoint a, PixelPoint b);

// The centre of the cell P0..P3 by the halving formula (not the crossing of the diagonals).
PixelPoint CellCentre(PixelPoint p0, PixelPoint p1, PixelPoint p2, PixelPoint p3);

// A 3 × 3 lattice of points, Points[row][column], spanning a quadrilateral: its corners,
// its edge midpoints and a centre.
struct QuadLattice {
  std::array<std::array<PixelPoint, 3>, 3> Points{};
  bool CentreFound = true;  // false: the diagonals did not cross and the centre is (0, 0)

  // Part 0..3 of the lattice as a quadrilateral.
  PixelQuad Part(int part) const;
};

// The quarters of a cell: corners, the edge midpoints T, R, B, L and CellCentre.
QuadLattice CellQuarters(const PixelQuad& cell);

// The sixteenths of a quarter A, B, C′, D: edge midpoints and the crossing of the diagonals
// A–C′ and B–D (IntersectSegments). When the diagonals do not cross the centre is (0, 0) and
// CentreFound is false; the renderers treat such parts as folded.
QuadLattice SubdivideQuad(PixelPoint a, PixelPoint b, PixelPoint c, PixelPoint d);

// A rectangle of tile pixels, left/top inclusive, right/bottom exclusive.
struct TileRect {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = 0;
  std::int32_t Bottom = 0;
  friend bool operator==(const TileRect&, const TileRect&) = default;
};

// Quarter q (0..3) of a 2° tile of width W: halves at Round(W / 2), ties to even.
TileRect Level3Rectangle(std::int32_t width, int q);
// Block q (0..15, row q div 4, column q mod 4) of a 4° tile of width W: columns at
// Round(k × W / 4), ties to even; rows 150 pixels each.
TileRect Level4Rectangle(std::int32_t width, int q);

}  // namespace cz
