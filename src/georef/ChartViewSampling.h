#pragma once
// The picture of the chart view: view pixel (u, v) shows source pixel ViewMapping::ToSource(u,
// v), the very pixel a press there picks, so what the operator clicks on is what the click
// means. Nearest-pixel sampling, fast and low quality as a moving view needs: only the pixels
// shown are read, so a whole 20000 × 15000 chart at scale 0.01 costs no more than a part of
// it at scale 1, and the chart is never copied.

#include <cstddef>
#include <cstdint>

#include "georef/ViewMapping.h"
#include "imaging/Raster32.h"

namespace cz {

// Fills the width × height view (rows of viewStride pixels, 0xAARRGGBB like Raster32): chart
// pixels made opaque, background where no chart pixel lies (left of or above the chart's
// corner, or past its right or bottom edge).
void SampleChartView(const Raster32& chart, const ViewMapping& mapping, std::int32_t width,
                     std::int32_t height, std::uint32_t background, std::uint32_t* view,
                     std::size_t viewStride);

}  // namespace cz
