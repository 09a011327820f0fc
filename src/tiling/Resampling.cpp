#include "tiling/Resampling.h"

#include <algorithm>
#include <cstddef>

namespace cz {
namespace {

// Blue and red (or green and alpha) of a pixel in two 32-bit lanes, room for a 16-bit weight.
inline std::uint64_t BlueRed(std::uint32_t p) {
  return (std::uint64_t{p & 0x00FF0000u} << 16) | (p & 0xFFu);
}
inline std::uint64_t GreenAlpha(std::uint32_t p) {
  return (std::uint64_t{p & 0xFF000000u} << 8) | ((p >> 8) & 0xFFu);
}

// Bilinear mix at fixed-point position (fx, fy) in 1/256 pixel, already known to lie inside
// 0 .. (width − 1) × 256 and 0 .. (height − 1) × 256. A zero fraction reads no neighbour past
// it, so the last column and row never reach outside the chart.
inline std::uint32_t BilinearFixed(const std::uint32_t* pixels, std::size_t width, std::int64_t fx,
                                   std::int64_t fy) {
  const auto wx = static_cast<std::uint32_t>(fx & 255);
  const auto wy = static_cast<std::uint32_t>(fy & 255);
  const std::uint32_t* top =
      pixels + static_cast<std::size_t>(fy >> 8) * width + static_cast<std::size_t>(fx >> 8);
  const std::uint32_t* bottom = top + (wy != 0 ? width : 0);
  const std::size_t right = wx != 0 ? 1 : 0;
  const std::uint32_t p00 = top[0], p01 = top[right], p10 = bottom[0], p11 = bottom[right];
  const std::uint64_t w00 = (256 - wx) * (256 - wy), w01 = wx * (256 - wy);
  const std::uint64_t w10 = (256 - wx) * wy, w11 = wx * wy;
  constexpr std::uint64_t kHalf = 0x0000800000008000ull;
  const std::uint64_t br =
      (BlueRed(p00) * w00 + BlueRed(p01) * w01 + BlueRed(p10) * w10 + BlueRed(p11) * w11 + kHalf) >>
      16;
  const std::uint64_t ga = (GreenAlpha(p00) * w00 + GreenAlpha(p01) * w01 + GreenAlpha(p10) * w10 +
                            GreenAlpha(p11) * w11 + kHalf) >>
                           16;
  return static_cast<std::uint32_t>((br & 0xFF) | ((ga & 0xFF) << 8) | (((br >> 32) & 0xFF) << 16) |
                                    (((ga >> 32) & 0xFF) << 24));
}

// The chart's extent in 1/256 pixel, as exclusive upper limits for position × 256 + 0.5.
struct FixedLimits {
  double x, y;
};
inline FixedLimits LimitsOf(const Raster32& source) {
  return {(static_cast<double>(source.Width()) - 1) * 256 + 1,
          (static_cast<double>(source.Height()) - 1) * 256 + 1};
}

// tx, ty: position × 256 + 0.5. The comparisons also reject NaN before any conversion.
inline std::uint32_t SampleFixed(const std::uint32_t* pixels, std::size_t width,
                                 const FixedLimits& limits, double tx, double ty) {
  if (!(tx >= 0 && tx < limits.x && ty >= 0 && ty < limits.y)) return 0;
  return BilinearFixed(pixels, width, static_cast<std::int64_t>(tx), static_cast<std::int64_t>(ty));
}

template <bool kAffine>
void RenderBilinearRows(const ProjectiveTransform& pt, const Raster32& source, Raster32& tile,
                        const TileRect& rect) {
  const std::uint32_t* pixels = source.Pixels();
  const auto width = static_cast<std::size_t>(source.Width());
  const FixedLimits limits = LimitsOf(source);
  for (std::int32_t j = rect.Top; j < rect.Bottom; ++j) {
    const ProjectiveTransform::RowLine line = pt.Row(j);
    // Numerators carry the factor 256 of the fixed-point position.
    double x = (line.X0 + line.DX * rect.Left) * 256;
    double y = (line.Y0 + line.DY * rect.Left) * 256;
    double w = line.W0 + line.DW * rect.Left;
    const double dx = line.DX * 256, dy = line.DY * 256, dw = line.DW;
    std::uint32_t* out = tile.Row(j);
    for (std::int32_t i = rect.Left; i < rect.Right; ++i) {
      if constexpr (kAffine) {
        out[i] = SampleFixed(pixels, width, limits, x + 0.5, y + 0.5);
      } else {
        const double inverse = 1.0 / w;
        out[i] = SampleFixed(pixels, width, limits, x * inverse + 0.5, y * inverse + 0.5);
        w += dw;
      }
      x += dx;
      y += dy;
    }
  }
}

// Trunc of a source coordinate, kept far from the integer limits (and NaN sent to one side)
// before the conversion; BoxAverage clamps it into the chart afterwards anyway.
inline std::int64_t TruncBounded(double v) {
  constexpr double kFar = 1e12;
  return static_cast<std::int64_t>(v > -kFar ? (v < kFar ? v : kFar) : -kFar);
}

}  // namespace

std::uint32_t SampleBilinear(const Raster32& source, double sx, double sy) {
  return SampleFixed(source.Pixels(), static_cast<std::size_t>(source.Width()), LimitsOf(source),
                     sx * 256 + 0.5, sy * 256 + 0.5);
}

std::uint32_t BoxAverage(const Raster32& source, std::int64_t x, std::int64_t y, std::uint8_t k) {
  if (source.Empty()) return 0;
  const std::int64_t lastX = source.Width() - 1;
  const std::int64_t lastY = source.Height() - 1;
  std::uint32_t red = 0, green = 0, blue = 0;  // at most 511² × 255: fits 32 bits
  const bool inside = x - k >= 0 && x + k <= lastX;
  for (std::int64_t r = y - k; r <= y + k; ++r) {
    const std::uint32_t* row =
        source.Row(static_cast<std::int32_t>(std::clamp(r, std::int64_t{0}, lastY)));
    if (inside) {
      for (std::int64_t c = x - k; c <= x + k; ++c) {
        const std::uint32_t p = row[c];
        red += RedOf(p), green += GreenOf(p), blue += BlueOf(p);
      }
    } else {
      for (std::int64_t c = x - k; c <= x + k; ++c) {
        const std::uint32_t p = row[std::clamp(c, std::int64_t{0}, lastX)];
        red += RedOf(p), green += GreenOf(p), blue += BlueOf(p);
      }
    }
  }
  const std::uint32_t count = (2u * k + 1) * (2u * k + 1);
  return PackPixel(static_cast<std::uint8_t>(red / count), static_cast<std::uint8_t>(green / count),
                   static_cast<std::uint8_t>(blue / count), 0);
}

void RenderBilinear(const ProjectiveTransform& pt, const Raster32& source, Raster32& tile,
                    const TileRect& rect) {
  if (pt.Affine()) {
    RenderBilinearRows<true>(pt, source, tile, rect);
  } else {
    RenderBilinearRows<false>(pt, source, tile, rect);
  }
}

void RenderBoxAverage(const ProjectiveTransform& pt, const Raster32& source, Raster32& tile,
                      const TileRect& rect, std::uint8_t k) {
  for (std::int32_t j = rect.Top; j < rect.Bottom; ++j) {
    const ProjectiveTransform::RowLine line = pt.Row(j);
    double x = line.X0 + line.DX * rect.Left;
    double y = line.Y0 + line.DY * rect.Left;
    double w = line.W0 + line.DW * rect.Left;
    std::uint32_t* out = tile.Row(j);
    for (std::int32_t i = rect.Left; i < rect.Right; ++i) {
      out[i] = BoxAverage(source, TruncBounded(x / w), TruncBounded(y / w), k);
      x += line.DX;
      y += line.DY;
      w += line.DW;
    }
  }
}

void FillTileRect(Raster32& tile, const TileRect& rect, std::uint32_t value) {
  for (std::int32_t j = rect.Top; j < rect.Bottom; ++j) {
    std::fill(tile.Row(j) + rect.Left, tile.Row(j) + rect.Right, value);
  }
}

}  // namespace cz
