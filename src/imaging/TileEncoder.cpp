#include "imaging/TileEncoder.h"

#include "imaging/Raster32.h"

namespace cz {

int ColourBitsFor(std::uint8_t colorReduction) {
  return colorReduction <= 4 ? 8 - colorReduction : 6;
}

std::string TileEncoder::Encode(const Raster32& raster, const TileColourOptions& options,
                                const TilePalette* customPalette) {
  DitheringMethod method = DitheringMethodFor(options.Dithering);
  if (customPalette != nullptr && !customPalette->Colours.empty()) {
    palette_ = customPalette->Colours;
    method = DitheringMethod::None;
  } else {
    quantizer_.Build(raster, 1 << ColourBitsFor(options.ColorReduction), palette_);
    // The tile's own colours fit: every error is zero, so there is nothing to diffuse.
    if (quantizer_.Exact()) method = DitheringMethod::None;
  }
  nearest_.SetPalette(palette_);
  indices_.resize(raster.PixelCount());
  mapper_.Map(raster, nearest_, method, indices_.data());
  return gif_.Encode(raster.Width(), raster.Height(), indices_.data(), palette_);
}

}  // namespace cz
