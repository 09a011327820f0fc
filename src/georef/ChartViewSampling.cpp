#include "georef/ChartViewSampling.h"

#include <algorithm>
#include <vector>

namespace cz {

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

// The source index each view position shows, or -1 where it lies outside 0..size - 1. The
// mapping is monotonic, so the shown positions form one run.
std::int32_t SourceIndex(std::int32_t shown, std::int32_t viewPosition, std::int32_t offset,
                         std::int32_t size) {
  // Left of or above the chart's corner ToSource would truncate toward 0: not chart.
  if (static_cast<std::int64_t>(viewPosition) < offset) return -1;
  return shown < size ? shown : -1;
}

}  // namespace

void SampleChartView(const Raster32& chart, const ViewMapping& mapping, std::int32_t width,
                     std::int32_t height, std::uint32_t background, std::uint32_t* view,
                     std::size_t viewStride) {
  if (width <= 0 || height <= 0) return;
  std::vector<std::int32_t> columns(static_cast<std::size_t>(width));
  std::int32_t firstColumn = width;
  std::int32_t endColumn = 0;
  for (std::int32_t u = 0; u < width; ++u) {
    columns[u] = SourceIndex(mapping.ToSource(u, 0).X, u, mapping.HorizontalOffset, chart.Width());
    if (columns[u] >= 0) {
      firstColumn = std::min(firstColumn, u);
      endColumn = u + 1;
    }
  }
  for (std::int32_t v = 0; v < height; ++v) {
    std::uint32_t* out = view + static_cast<std::size_t>(v) * viewStride;
    const std::int32_t y =
        SourceIndex(mapping.ToSource(0, v).Y, v, mapping.VerticalOffset, chart.Height());
    if (y < 0 || firstColumn >= endColumn) {
      std::fill(out, out + width, background);
      continue;
    }
    const std::uint32_t* row = chart.Row(y);
    std::fill(out, out + firstColumn, background);
    for (std::int32_t u = firstColumn; u < endColumn; ++u) out[u] = row[columns[u]] | kOpaque;
    std::fill(out + endColumn, out + width, background);
  }
}

}  // namespace cz
