#pragma once
// Turns a 32-bit raster into palette indices: either the nearest palette colour per pixel,
// or with one of the published error-diffusion kernels, where each pixel's remaining error
// (its colour minus the chosen palette colour) is spread over its not yet mapped neighbours.
//
// The dithering option of a map source selects the method; values 1 .. 6 are the kernels
// below, any other value means no dithering. Pixels are visited row by row, left to right;
// errors are carried per channel in single precision and the corrected colour is clamped to
// 0 .. 255 before it is mapped. Alpha is ignored.

#include <cstdint>
#include <vector>

namespace cz {

class NearestColourMap;
class Raster32;

enum class DitheringMethod : std::uint8_t {
  None = 0,
  FloydSteinberg = 1,
  Stucki = 2,
  Sierra = 3,  // the three-row filter
  JarvisJudiceNinke = 4,
  StevensonArce = 5,
  Burkes = 6,
};

// The method a map source's Dithering value selects (unknown values: None).
DitheringMethod DitheringMethodFor(std::uint8_t option);

// One weight of a kernel: the neighbour dx columns right and dy rows down gets
// weight / divisor of the error.
struct DiffusionTap {
  std::int8_t Dx;
  std::int8_t Dy;
  std::uint8_t Weight;
};

struct DiffusionKernel {
  const DiffusionTap* Taps;
  int TapCount;
  int Divisor;
};

// The kernel of a method (method must not be None).
DiffusionKernel KernelOf(DitheringMethod method);

// Maps every pixel of raster to an index of map's palette, writing raster.PixelCount() indices
// row by row into indices. Keeps its error rows between calls so tiles reuse them.
class PixelMapper {
 public:
  void Map(const Raster32& raster, NearestColourMap& map, DitheringMethod method,
           std::uint8_t* indices);

 private:
  void MapNearest(const Raster32& raster, NearestColourMap& map, std::uint8_t* indices);
  void Diffuse(const Raster32& raster, NearestColourMap& map, const DiffusionKernel& kernel,
               std::uint8_t* indices);

  std::vector<float> errors_;  // kRows ring rows × (width + margins) × 3 channels
};

}  // namespace cz
