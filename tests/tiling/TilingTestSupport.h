#pragma once
// Charts and grids for the tiling tests.

#include <cstdint>
#include <functional>

#include "geo/GeoReference.h"
#include "imaging/Raster32.h"

namespace cz::testing {

inline Raster32 MakeChart(std::int32_t width, std::int32_t height,
                          const std::function<std::uint32_t(std::int32_t, std::int32_t)>& colour) {
  Raster32 chart(width, height);
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) chart.At(x, y) = colour(x, y);
  }
  return chart;
}

// A colour that differs between neighbouring pixels in every byte but alpha.
inline std::uint32_t CoordinateColour(std::int32_t x, std::int32_t y) {
  return PackPixel(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                   static_cast<std::uint8_t>(x * 7 + y * 3), 255);
}

// A regular lattice: grid point (c, r) at (originX + c × stepX, originY + r × stepY).
inline void FillRegularGrid(ReferenceGrid& grid, std::int32_t originX, std::int32_t originY,
                            std::int32_t stepX, std::int32_t stepY) {
  for (int c = 0; c < kGridSize; ++c) {
    for (int r = 0; r < kGridSize; ++r) {
      grid[c][r].X = originX + c * stepX;
      grid[c][r].Y = originY + r * stepY;
    }
  }
}

}  // namespace cz::testing
