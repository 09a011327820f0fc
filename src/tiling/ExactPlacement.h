#pragma once
// The tile pixels of a cell part placed through a ProjectionLattice (a chart of known
// projection) instead of the cell's projective map: the part's rectangle of tile pixels is cut
// along the lattice's lines into pieces, and each piece maps its tile pixels to chart positions
// bilinearly between the exact positions at its corners. Tile coordinates are linear in
// latitude and longitude, so this is the lattice's own bilinear map: pieces meet without a
// gap or a step, both sides of a cut being linear between the same two points.

#include <array>
#include <vector>

#include "georef/ProjectionLattice.h"
#include "tiling/CellGeometry.h"
#include "tiling/ProjectiveTransform.h"

namespace cz {

// A part of a grid cell as fractions of it from its north-west corner, 0 to 1 each way.
struct CellFraction {
  double Left = 0, Top = 0, Right = 1, Bottom = 1;
};

struct BilinearPiece {
  TileRect Pixels;  // the tile pixels it places (within the part's rectangle)
  double Left = 0, Top = 0, Right = 0, Bottom = 0;  // its corners in tile coordinates
  std::array<ChartPixel, 4> Corners{};  // chart positions: top-left, top-right, bottom-right,
                                        // bottom-left

  // The piece along tile row j, in the form the renderers step (affine: W0 = 1, DW = 0).
  ProjectiveTransform::RowLine Row(double j) const;
  void Map(double i, double j, double& x, double& y) const;
  static constexpr bool Affine() { return true; }
};

// The pieces of part of cell, drawn onto the tile rectangle rect (its corners standing for
// the part's corners), into pieces (cleared first). Pieces without a pixel are left out.
void PlacePart(const LatticeCell& cell, const CellFraction& part, const TileRect& rect,
               std::vector<BilinearPiece>& pieces);

// The chart positions of the part's corners, as the renderers' quadrilaterals list them.
std::array<FloatPoint, 4> PartCorners(const LatticeCell& cell, const CellFraction& part);

}  // namespace cz
