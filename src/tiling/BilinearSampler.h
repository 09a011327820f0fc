#pragma once
// The bilinear sampler behind Resampling.h: chart positions in fixed point (1/256 pixel),
// one at a time or a row of them at once. A row is sampled four positions at a time where
// the processor has AVX2 (chosen when the program runs) and one at a time elsewhere; both
// give exactly the same pixels, those of Resampling.h's rules.

#include <cstddef>
#include <cstdint>

#include "imaging/Raster32.h"

namespace cz {

// The chart as the sampler sees it: its pixels and its extent in 1/256 pixel, as exclusive
// upper limits for position × 256 + 0.5: `limit` for any sample, `inner` for those whose four
// neighbours all lie inside the chart (column and row below the last).
struct FixedChart {
  explicit FixedChart(const Raster32& source)
      : pixels(source.Pixels()),
        width(static_cast<std::size_t>(source.Width())),
        limitX((static_cast<double>(source.Width()) - 1) * 256 + 1),
        limitY((static_cast<double>(source.Height()) - 1) * 256 + 1),
        innerX((static_cast<double>(source.Width()) - 1) * 256),
        innerY((static_cast<double>(source.Height()) - 1) * 256) {}
  const std::uint32_t* pixels;
  std::size_t width;
  double limitX, limitY, innerX, innerY;
};

// The sample at tx, ty = position × 256 + 0.5; 0 outside the chart, also for NaN.
std::uint32_t SampleFixed(const FixedChart& chart, double tx, double ty);

// out[k] = SampleFixed(chart, tx[k], ty[k]) for k < count, by the fastest way this processor
// has.
void SampleFixedRow(const FixedChart& chart, const double* tx, const double* ty, std::size_t count,
                    std::uint32_t* out);
// The same one position at a time, whatever the processor: what the fast way must equal.
void SampleFixedRowOneByOne(const FixedChart& chart, const double* tx, const double* ty,
                            std::size_t count, std::uint32_t* out);

}  // namespace cz
