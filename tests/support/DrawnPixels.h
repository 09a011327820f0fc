#pragma once
// How many pixels of a view were drawn: views start cleared to 0, and every drawn pixel of
// the test palettes differs from it (GifTestFiles.h).

#include <cstddef>

#include "imaging/Raster32.h"

namespace cz::testing {

inline std::size_t CountDrawn(const Raster32& view) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < view.PixelCount(); ++i) n += view.Pixels()[i] != 0;
  return n;
}

}  // namespace cz::testing
