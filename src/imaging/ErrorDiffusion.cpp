#include "imaging/ErrorDiffusion.h"

#include <algorithm>
#include <iterator>

#include "imaging/NearestColour.h"
#include "imaging/Raster32.h"

namespace cz {

namespace {

// The published kernels. X marks the current pixel; weights are over the divisor.
//   Floyd-Steinberg /16:        X 7 / 3 5 1
constexpr DiffusionTap kFloydSteinberg[] = {{1, 0, 7}, {-1, 1, 3}, {0, 1, 5}, {1, 1, 1}};
//   Stucki /42:                 X 8 4 / 2 4 8 4 2 / 1 2 4 2 1
constexpr DiffusionTap kStucki[] = {{1, 0, 8},  {2, 0, 4}, {-2, 1, 2}, {-1, 1, 4},
                                    {0, 1, 8},  {1, 1, 4}, {2, 1, 2},  {-2, 2, 1},
                                    {-1, 2, 2}, {0, 2, 4}, {1, 2, 2},  {2, 2, 1}};
//   Sierra (three rows) /32:    X 5 3 / 2 4 5 4 2 / 2 3 2
constexpr DiffusionTap kSierra[] = {{1, 0, 5}, {2, 0, 3}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 5},
                                    {1, 1, 4}, {2, 1, 2}, {-1, 2, 2}, {0, 2, 3},  {1, 2, 2}};
//   Jarvis-Judice-Ninke /48:    X 7 5 / 3 5 7 5 3 / 1 3 5 3 1
constexpr DiffusionTap kJarvis[] = {{1, 0, 7},  {2, 0, 5}, {-2, 1, 3}, {-1, 1, 5},
                                    {0, 1, 7},  {1, 1, 5}, {2, 1, 3},  {-2, 2, 1},
                                    {-1, 2, 3}, {0, 2, 5}, {1, 2, 3},  {2, 2, 1}};
//   Stevenson-Arce /200 (made for a hexagonal grid, used on the square one as published):
//           X  .  32
//   12  .  26  .  30  .  16
//    .  12  .  26  .  12  .
//    5  .  12  .  12  .   5
constexpr DiffusionTap kStevensonArce[] = {{2, 0, 32}, {-3, 1, 12}, {-1, 1, 26}, {1, 1, 30},
                                           {3, 1, 16}, {-2, 2, 12}, {0, 2, 26},  {2, 2, 12},
                                           {-3, 3, 5}, {-1, 3, 12}, {1, 3, 12},  {3, 3, 5}};
//   Burkes /32:                 X 8 4 / 2 4 8 4 2
constexpr DiffusionTap kBurkes[] = {{1, 0, 8}, {2, 0, 4}, {-2, 1, 2}, {-1, 1, 4},
                                    {0, 1, 8}, {1, 1, 4}, {2, 1, 2}};

constexpr int kMargin = 3;  // widest reach left or right of the pixel
constexpr int kRows = 4;    // current row and up to three below
constexpr int kMaxTaps = 16;
static_assert(std::size(kStucki) <= kMaxTaps && std::size(kJarvis) <= kMaxTaps &&
              std::size(kStevensonArce) <= kMaxTaps);

std::uint8_t ClampToByte(float value) {
  if (value <= 0.0f) return 0;
  if (value >= 255.0f) return 255;
  return static_cast<std::uint8_t>(value + 0.5f);  // positive here: rounds half up
}

}  // namespace

DitheringMethod DitheringMethodFor(std::uint8_t option) {
  return option >= 1 && option <= 6 ? static_cast<DitheringMethod>(option) : DitheringMethod::None;
}

DiffusionKernel KernelOf(DitheringMethod method) {
  switch (method) {
    case DitheringMethod::FloydSteinberg:
      return {kFloydSteinberg, static_cast<int>(std::size(kFloydSteinberg)), 16};
    case DitheringMethod::Stucki:
      return {kStucki, static_cast<int>(std::size(kStucki)), 42};
    case DitheringMethod::Sierra:
      return {kSierra, static_cast<int>(std::size(kSierra)), 32};
    case DitheringMethod::JarvisJudiceNinke:
      return {kJarvis, static_cast<int>(std::size(kJarvis)), 48};
    case DitheringMethod::StevensonArce:
      return {kStevensonArce, static_cast<int>(std::size(kStevensonArce)), 200};
    case DitheringMethod::Burkes:
      return {kBurkes, static_cast<int>(std::size(kBurkes)), 32};
    case DitheringMethod::None:
      break;
  }
  return {nullptr, 0, 1};
}

void PixelMapper::Map(const Raster32& raster, NearestColourMap& map, DitheringMethod method,
                      std::uint8_t* indices) {
  if (method == DitheringMethod::None) {
    MapNearest(raster, map, indices);
  } else {
    Diffuse(raster, map, KernelOf(method), indices);
  }
}

void PixelMapper::MapNearest(const Raster32& raster, NearestColourMap& map, std::uint8_t* indices) {
  map.IndicesOf(raster.Pixels(), raster.PixelCount(), indices);
}

void PixelMapper::Diffuse(const Raster32& raster, NearestColourMap& map,
                          const DiffusionKernel& kernel, std::uint8_t* indices) {
  const int width = raster.Width();
  const int stride = (width + 2 * kMargin) * 3;
  errors_.assign(static_cast<std::size_t>(stride) * kRows, 0.0f);

  // Weights as fractions, and each tap's offset into the ring of error rows.
  float weights[kMaxTaps];
  for (int t = 0; t < kernel.TapCount; ++t) {
    weights[t] = static_cast<float>(kernel.Taps[t].Weight) / static_cast<float>(kernel.Divisor);
  }

  for (int y = 0; y < raster.Height(); ++y) {
    float* rows[kRows];
    for (int k = 0; k < kRows; ++k) {
      rows[k] = errors_.data() + static_cast<std::size_t>((y + k) % kRows) * stride + kMargin * 3;
    }
    const std::uint32_t* source = raster.Row(y);
    for (int x = 0; x < width; ++x) {
      float* here = rows[0] + x * 3;
      const std::uint32_t pixel = source[x];
      const std::uint8_t red = ClampToByte(static_cast<float>(RedOf(pixel)) + here[0]);
      const std::uint8_t green = ClampToByte(static_cast<float>(GreenOf(pixel)) + here[1]);
      const std::uint8_t blue = ClampToByte(static_cast<float>(BlueOf(pixel)) + here[2]);
      const std::uint8_t index = map.IndexOf(red, green, blue);
      *indices++ = index;
      const PaletteColour& chosen = map.Colour(index);
      const float errorRed = static_cast<float>(red) - chosen.Red;
      const float errorGreen = static_cast<float>(green) - chosen.Green;
      const float errorBlue = static_cast<float>(blue) - chosen.Blue;
      if (errorRed == 0.0f && errorGreen == 0.0f && errorBlue == 0.0f) continue;
      for (int t = 0; t < kernel.TapCount; ++t) {
        const DiffusionTap& tap = kernel.Taps[t];
        // Taps past the left or right edge land in the margins and are dropped with them.
        float* target = rows[tap.Dy] + (x + tap.Dx) * 3;
        target[0] += errorRed * weights[t];
        target[1] += errorGreen * weights[t];
        target[2] += errorBlue * weights[t];
      }
    }
    // The row just finished becomes the ring's new bottom row: start it clean, margins too.
    std::fill_n(rows[0] - kMargin * 3, stride, 0.0f);
  }
}

}  // namespace cz
