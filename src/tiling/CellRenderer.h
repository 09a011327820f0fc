#pragma once
// The cell renderers DoTransform_0 .. DoTransform_4: each fills tile pixels of the TileRaster
// from one quadrilateral of the chart, treating the chart inside a grid cell as a projective
// image of a rectangle of tile pixels.
//
//   renderer       level  quadrilateral        W from        rectangle S     raster
//   DoTransform_0  0.25°  sixteenth Q of cell  TopLat        (0,0)-(W,600)   (W+1)×600 cleared
//   DoTransform_1  0.5°   quarter Q of cell    TopLat, −0.5° (0,0)-(W,600)   (W+1)×600 cleared
//                                              for Q 2, 3
//   DoTransform_2  1°     the cell             TopLat        (0,0)-(W,600)   (W+1)×600 cleared
//   DoTransform_3  2°     the cell             TopLat        quarter Q       W×600 kept
//   DoTransform_4  4°     the cell             TopLat        block Q         W×600 kept
//
// At levels 0 to 2 the raster is cleared to 0 in every byte and its last column (x = W) is
// never drawn. At levels 3 and 4 the raster keeps what it holds (the tile loaded by the
// driver); when its size changes the new pixels are black with alpha 255.
//
// Tile pixel (i, j) of S is coloured with the chart sample at PT(i, j) (integer coordinates,
// not pixel centres). Levels 1 to 4 sample bilinearly; level 0 averages boxes of chart pixels
// when its part is at least twice as wide as the tile (ScaleMeasure ≥ 2).
//
// Charts of known projection: given a ProjectionLattice, the renderers place every part of a
// cell the lattice holds through it instead (ExactPlacement.h): the same rectangles, levels
// and sampling, with each tile pixel sampling the chart where the projection puts its
// latitude and longitude (to within kPlacementTolerance), not where the cell's projective
// map puts it. Cells the lattice lacks are drawn through their grid corners as above.
//
// Folded or degenerate cells: a quadrilateral that is not strictly convex (its diagonals do
// not cross, three corners in a line, a singular mapping) has no sound projective image. Its
// rectangle renders black, 0 in all four bytes — the same as tile pixels beyond the chart —
// so such a cell never produces wild source positions.
//
// Preconditions: the cell x, y lies inside the grid (0 ≤ x, y < 63); Q within the renderer's
// range. Violations throw CartozenError.

#include <cstdint>
#include <vector>

#include "geo/GeoCoord.h"
#include "geo/GeoReference.h"
#include "imaging/Raster32.h"
#include "tiling/CellGeometry.h"
#include "tiling/ExactPlacement.h"
#include "tiling/ProjectiveTransform.h"

namespace cz {

// ((P1.x − P0.x) + (P2.x − P3.x) / 2) / W: how many chart pixels one tile pixel spans across
// a level-0 part (only the bottom width is halved).
double ScaleMeasure(const std::array<FloatPoint, 4>& quad, std::int32_t width);

// The box radius k for a ScaleMeasure: Round(ScaleMeasure / 3), held in 8 bits.
std::uint8_t BoxRadius(double scaleMeasure);

class CellRenderer {
 public:
  // The renderer reads source, grid and lattice in place and writes tileRaster; all must
  // outlive it. lattice: the chart's exact placement over the same grid, or null.
  CellRenderer(const Raster32& source, const ReferenceGrid& grid, Raster32& tileRaster,
               const ProjectionLattice* lattice = nullptr);

  void DoTransform_0(std::int32_t x, std::int32_t y, std::uint8_t Q, GeoCoord TopLat);
  void DoTransform_1(std::int32_t x, std::int32_t y, std::uint8_t Q, GeoCoord TopLat);
  void DoTransform_2(std::int32_t x, std::int32_t y, GeoCoord TopLat);
  void DoTransform_3(std::int32_t x, std::int32_t y, std::uint8_t Q, GeoCoord TopLat);
  void DoTransform_4(std::int32_t x, std::int32_t y, std::uint8_t Q, GeoCoord TopLat);

  // The transformation of the last call drawn through the grid's corners, kept between calls;
  // every such call sets it afresh.
  ProjectiveTransform PT;
  // The tile pixels the last call filled (limited to the raster), and whether it drew them
  // from the chart (false: a folded part, rendered black).
  TileRect LastPixels;
  bool LastFromChart = false;
  // The pieces the last call placed exactly; empty when it drew through PT.
  std::vector<BilinearPiece> LastPieces;

  // Calls draw(pixels, map) for every rectangle of tile pixels the last call drew from the
  // chart, with the map that placed them (PT or a BilinearPiece): Row(j) and Map(i, j).
  template <class Draw>
  void ForEachDrawnPiece(Draw&& draw) const {
    if (!LastFromChart) return;
    if (LastPieces.empty()) {
      draw(LastPixels, PT);
      return;
    }
    for (const BilinearPiece& piece : LastPieces) draw(Limited(piece.Pixels), piece);
  }

 private:
  PixelQuad Cell(std::int32_t x, std::int32_t y) const;
  // Sizes the raster to (W + 1) × 600 and clears it (levels 0 to 2).
  void PrepareCleared(std::int32_t width);
  // Sizes the raster to W × 600 keeping its pixels (levels 3 and 4).
  void PrepareKept(std::int32_t width);
  // Sets PT to quad and rect and returns the tile pixels to draw, limited to the raster.
  TileRect SetTransform(const PixelQuad& quad, const TileRect& rect);
  // Bilinear rendering of the pixels of rect, or black for a folded cell.
  void RenderBilinearOrBlack(const TileRect& pixels);
  // Draws part of cell (x, y) onto rect through the lattice, box-averaged where a level-0
  // part is scaled down enough (boxAllowed); false when the lattice lacks the cell.
  bool DrawExactly(std::int32_t x, std::int32_t y, const CellFraction& part, const TileRect& rect,
                   bool boxAllowed);
  TileRect Limited(const TileRect& rect) const;

  const Raster32& source_;
  const ReferenceGrid& grid_;
  Raster32& tile_;
  const ProjectionLattice* lattice_;
};

// What a tile holds where nothing was drawn yet: opaque black.
inline constexpr std::uint32_t kNewTilePixel = PackPixel(0, 0, 0, 255);

// Sizes raster to width × height keeping the pixels of the common top-left area; pixels
// that were not there before are set to fill.
void ResizeKeeping(Raster32& raster, std::int32_t width, std::int32_t height, std::uint32_t fill);

}  // namespace cz
