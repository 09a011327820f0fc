#pragma once
// Synthetic tiles that look like a scanned aeronautical chart: flat tinted areas (terrain
// bands, water), a shaded relief gradient, anti-aliased lines and small text-like marks, and
// a little scanner noise. Deterministic for a seed, so tests and benchmarks see the same
// pixels on every machine.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "imaging/Raster32.h"

namespace cz::testing {

// A small deterministic generator (xorshift32); std distributions differ between libraries.
class TinyRandom {
 public:
  explicit TinyRandom(std::uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
  std::uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }

 private:
  std::uint32_t state_;
};

inline Raster32 ChartLikeTile(int width, int height, std::uint32_t seed) {
  TinyRandom random(seed);
  Raster32 tile(width, height);
  // Terrain tints by "elevation" bands, as charts colour them.
  static constexpr std::uint8_t kTints[][3] = {{214, 232, 196}, {236, 236, 200}, {240, 222, 180},
                                               {226, 200, 160}, {210, 180, 140}, {190, 160, 120}};
  const double fx = 0.011 + random.Below(10) * 0.001, fy = 0.017 + random.Below(10) * 0.001;
  const double phase = random.Below(628) / 100.0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double elevation =
          std::sin(x * fx + phase) * std::cos(y * fy) + 0.5 * std::sin((x + y) * 0.006);
      int r, g, b;
      if (elevation < -0.9) {  // water
        r = 170, g = 205, b = 235;
      } else {
        const int band = std::clamp(static_cast<int>((elevation + 0.9) * 2.4), 0, 5);
        r = kTints[band][0], g = kTints[band][1], b = kTints[band][2];
        // Relief shading in the north-east quarter.
        if (x > width / 2 && y < height / 2) {
          const double shade = 0.85 + 0.15 * std::cos(x * 0.05) * std::sin(y * 0.04);
          r = static_cast<int>(r * shade), g = static_cast<int>(g * shade),
          b = static_cast<int>(b * shade);
        }
      }
      const int noise = static_cast<int>(random.Next() % 5) - 2;  // scanner noise
      tile.At(x, y) = PackPixel(static_cast<std::uint8_t>(std::clamp(r + noise, 0, 255)),
                                static_cast<std::uint8_t>(std::clamp(g + noise, 0, 255)),
                                static_cast<std::uint8_t>(std::clamp(b + noise, 0, 255)));
    }
  }
  // Anti-aliased lines: airspace borders (magenta, blue), roads (red), rivers (blue), grid (black).
  static constexpr std::uint8_t kInks[][3] = {
      {200, 0, 120}, {30, 60, 200}, {200, 30, 30}, {60, 120, 220}, {20, 20, 20}};
  for (int line = 0; line < 14; ++line) {
    const std::uint8_t* ink = kInks[line % 5];
    const double x0 = random.Below(width), y0 = random.Below(height);
    const double angle = random.Below(314) / 100.0;
    const double dx = std::cos(angle), dy = std::sin(angle), thickness = 1.0 + line % 3;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const double distance = std::abs((x - x0) * dy - (y - y0) * dx);
        const double cover = std::clamp(thickness - distance + 0.5, 0.0, 1.0);
        if (cover <= 0.0) continue;
        std::uint32_t& p = tile.At(x, y);
        const auto mix = [cover](int under, int over) {
          return static_cast<std::uint8_t>(std::lround(under + (over - under) * cover));
        };
        p = PackPixel(mix(RedOf(p), ink[0]), mix(GreenOf(p), ink[1]), mix(BlueOf(p), ink[2]));
      }
    }
  }
  // Text-like marks: small dark blocks of glyph strokes.
  for (int mark = 0; mark < 60; ++mark) {
    const int x0 = random.Below(std::max(1, width - 24)),
              y0 = random.Below(std::max(1, height - 10));
    for (int y = y0; y < std::min(height, y0 + 9); ++y) {
      for (int x = x0; x < std::min(width, x0 + 24); ++x) {
        if (((x - x0) % 6 < 2 || (y - y0) % 8 == 0) && random.Below(3) != 0) {
          tile.At(x, y) = PackPixel(25, 25, 40);
        }
      }
    }
  }
  return tile;
}

// A raster of uniformly random colours.
inline Raster32 RandomTile(int width, int height, std::uint32_t seed) {
  TinyRandom random(seed);
  Raster32 tile(width, height);
  for (std::size_t i = 0; i < tile.PixelCount(); ++i)
    tile.Pixels()[i] = random.Next() | 0xFF000000u;
  return tile;
}

// Mean Euclidean distance in red, green, blue between two rasters of one size.
inline double MeanColourError(const Raster32& a, const Raster32& b) {
  double sum = 0.0;
  for (std::size_t i = 0; i < a.PixelCount(); ++i) {
    const double dr = RedOf(a.Pixels()[i]) - RedOf(b.Pixels()[i]);
    const double dg = GreenOf(a.Pixels()[i]) - GreenOf(b.Pixels()[i]);
    const double db = BlueOf(a.Pixels()[i]) - BlueOf(b.Pixels()[i]);
    sum += std::sqrt(dr * dr + dg * dg + db * db);
  }
  return a.PixelCount() ? sum / static_cast<double>(a.PixelCount()) : 0.0;
}

}  // namespace cz::testing
