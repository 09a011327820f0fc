#pragma once
// Filling tile pixels from the chart through PT (or, for a chart of known projection, a piece
// placed exactly: ExactPlacement.h), the inner loops of the cell renderers.
//
// Tile pixel (i, j) samples the chart at PT(i, j): the pixel's integer coordinates, not its
// centre. Chart pixel (x, y) likewise sits at the integer position (x, y).
//
// Bilinear sampling: the position is rounded to 1/256 pixel; a position left of column 0,
// above row 0, right of the last column or below the last row gives 0 in all four bytes
// (blue, green, red, alpha); a position exactly on the last column or row gives that edge
// pixel, and nothing past it is read. The four neighbours are weighted with 8-bit fractions,
// each byte separately, and the weighted sum is rounded to nearest.
//
// Box averaging (BoxAverage): the mean of the (2k + 1)² chart pixels around (x, y), each
// coordinate clamped into the chart so that edge pixels repeat; red, green and blue only,
// alpha 0.
//
// The renderers read the chart in place; a rectangle of tile pixels is filled row by row with
// the homography evaluated incrementally along each row. Bilinear rendering allocates
// nothing. Box averaging gives exactly BoxAverage's values but, where boxes are large (a
// mistyped corner: radii up to 255, boxes far beyond the chart), sums them from a
// summed-area table of the chart pixels the boxes reach, at most a few megabytes at a time.

#include <cstdint>

#include "imaging/Raster32.h"
#include "tiling/CellGeometry.h"
#include "tiling/ExactPlacement.h"
#include "tiling/ProjectiveTransform.h"

namespace cz {

// The bilinear sample at chart position (sx, sy); 0 outside the chart (also for NaN).
std::uint32_t SampleBilinear(const Raster32& source, double sx, double sy);

// Mean colour of the chart pixels of rows y − k .. y + k and columns x − k .. x + k, clamped
// into the chart; alpha 0. An empty chart gives 0.
std::uint32_t BoxAverage(const Raster32& source, std::int64_t x, std::int64_t y, std::uint8_t k);

// Fills tile pixels of rect (already limited to the tile raster) with the bilinear sample at
// PT(i, j). PT must be Defined().
void RenderBilinear(const ProjectiveTransform& pt, const Raster32& source, Raster32& tile,
                    const TileRect& rect);
// The same through a piece of a part placed exactly (ExactPlacement.h).
void RenderBilinear(const BilinearPiece& piece, const Raster32& source, Raster32& tile,
                    const TileRect& rect);

// Fills tile pixels of rect with BoxAverage(Trunc(sx), Trunc(sy), k) at (sx, sy) = PT(i, j).
// PT must be Defined().
void RenderBoxAverage(const ProjectiveTransform& pt, const Raster32& source, Raster32& tile,
                      const TileRect& rect, std::uint8_t k);
void RenderBoxAverage(const BilinearPiece& piece, const Raster32& source, Raster32& tile,
                      const TileRect& rect, std::uint8_t k);

// Sets every pixel of rect to value.
void FillTileRect(Raster32& tile, const TileRect& rect, std::uint32_t value);

}  // namespace cz
