#pragma once
// The benchmarks' synthetic chart, 12000 × 9000 pixels: something like a chart, with pale area
// tints in large patches, a graticule of dark lines, a gradient and scattered dark marks, so
// that colour reduction has realistic work. Made once per process.

#include <cstdint>

#include "imaging/Raster32.h"

namespace cz::bench {

inline constexpr std::int32_t kChartWidth = 12000, kChartHeight = 9000;

inline Raster32 MakeChart() {
  Raster32 chart(kChartWidth, kChartHeight);
  static constexpr std::uint32_t kTints[] = {PackPixel(236, 230, 205), PackPixel(214, 232, 200),
                                             PackPixel(225, 215, 235), PackPixel(250, 246, 238),
                                             PackPixel(205, 225, 240)};
  for (std::int32_t y = 0; y < kChartHeight; ++y) {
    std::uint32_t* row = chart.Row(y);
    for (std::int32_t x = 0; x < kChartWidth; ++x) {
      std::uint32_t p = kTints[((x / 700) * 7 + (y / 500) * 3 + (x + y) / 2100) % 5];
      if (x % 150 < 2 || y % 150 < 2) p = PackPixel(60, 60, 90);
      if ((x * 31 + y * 17) % 997 < 9) p = PackPixel(20, 20, 20);
      if ((x + 2 * y) % 1500 < 40) {
        p = PackPixel(static_cast<std::uint8_t>(120 + x % 100), 80,
                      static_cast<std::uint8_t>(y % 200));
      }
      row[x] = p;
    }
  }
  return chart;
}

inline const Raster32& Chart() {
  static const Raster32 chart = MakeChart();
  return chart;
}

}  // namespace cz::bench
