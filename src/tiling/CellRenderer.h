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
// Folded or degenerate cells: a quadrilateral that is not strictly convex (its diagonals do
// not cross, three corners in a line, a singular mapping) has no sound projective image. Its
// rectangle renders black, 0 in all four bytes — the same as tile pixels beyond the chart —
// so such a cell never produces wild source positions.
//
// Preconditions: the cell x, y lies inside the grid (0 ≤ x, y < 63); Q within the renderer's
// range. Violations throw CartozenError.

#include <cstdint>

#include "geo/GeoCoord.h"
#include "geo/GeoReference.h"
#include "imaging/Raster32.h"
#include "tiling/CellGeometry.h"
#include "tiling/ProjectiveTransform.h"

namespace cz {

// ((P1.x − P0.x) + (P2.x − P3.x) / 2) / W: how many chart pixels one tile pixel spans across
// a level-0 part (only the bottom width is halved).
double ScaleMeasure(const std::array<FloatPoint, 4>& quad, std::int32_t width);

// The box radius k for a ScaleMeasure: Round(ScaleMeasure / 3), held in 8 bits.
std::uint8_t BoxRadius(double scaleMeasure);

class CellRenderer {
 public:
  // The renderer reads source and grid in place and writes tileRaster; all three must
  // outlive it.
  CellRenderer(const Raster32& source, const ReferenceGrid& grid, Raster32& tileRaster);

  void DoTransform_0(std::int32_t x, std::int32_t y, std::uint8_t Q, GeoCoord TopLat);
  void DoTransform_1(std::int32_t x, std::int32_t y, std::uint8_t Q, GeoCoord TopLat);
  void DoTransform_2(std::int32_t x, std::int32_t y, GeoCoord TopLat);
  void DoTransform_3(std::int32_t x, std::int32_t y, std::uint8_t Q, GeoCoord TopLat);
  void DoTransform_4(std::int32_t x, std::int32_t y, std::uint8_t Q, GeoCoord TopLat);

  // The transformation of the last call, kept between calls; every call sets it afresh.
  ProjectiveTransform PT;
  // The tile pixels the last call filled (limited to the raster), and whether it drew them
  // from the chart through PT (false: a folded part, rendered black).
  TileRect LastPixels;
  bool LastFromChart = false;

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

  const Raster32& source_;
  const ReferenceGrid& grid_;
  Raster32& tile_;
};

// Sizes raster to width × height keeping the pixels of the common top-left area; pixels
// that were not there before are set to fill.
void ResizeKeeping(Raster32& raster, std::int32_t width, std::int32_t height, std::uint32_t fill);

}  // namespace cz
