#include "tiling/Resampling.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tiling/BilinearSampler.h"

namespace cz {
namespace {

// The chart is far larger than any cache and a tile row reads a short piece of two chart rows
// far apart, which the hardware prefetcher only finds after a few misses: ask for the pieces
// that tile row j + kRowsAhead reads (its first and last sample's rows and columns) while row
// j is drawn. A hint only; nothing past the chart is touched.
constexpr std::int32_t kRowsAhead = 3;
template <class Map>
void PrefetchRow(const Map& map, const FixedChart& chart, std::int32_t height, std::int32_t j,
                 const TileRect& rect) {
  const ProjectiveTransform::RowLine line = map.Row(j);
  const double wLeft = line.W0 + line.DW * rect.Left, wRight = line.W0 + line.DW * rect.Right;
  const double x0 = (line.X0 + line.DX * rect.Left) / wLeft;
  const double x1 = (line.X0 + line.DX * rect.Right) / wRight;
  const double y0 = (line.Y0 + line.DY * rect.Left) / wLeft;
  const double y1 = (line.Y0 + line.DY * rect.Right) / wRight;
  const double width = static_cast<double>(chart.width);
  const double left = std::clamp(std::min(x0, x1), 0.0, width - 1);
  const double right = std::clamp(std::max(x0, x1), 0.0, width - 1);
  const double top = std::clamp(std::min(y0, y1), 0.0, height - 1.0);
  const double bottom = std::clamp(std::max(y0, y1) + 1, 0.0, height - 1.0);
  // NaN fails every clamp comparison and stays NaN: nothing to ask for.
  if (!(left <= right && top <= bottom) || bottom - top > 4) return;
  constexpr std::size_t kLine = 64 / sizeof(std::uint32_t);
  for (auto y = static_cast<std::size_t>(top); y <= static_cast<std::size_t>(bottom); ++y) {
    const std::uint32_t* row = chart.pixels + y * chart.width;
    for (auto x = static_cast<std::size_t>(left); x <= static_cast<std::size_t>(right) + 1;
         x += kLine) {
      __builtin_prefetch(row + std::min(x, chart.width - 1));
    }
  }
}

// Positions are summed along the row one pixel after the other, as they always were (the
// samples depend on every rounding of that sum), into runs that the sampler then takes in one
// call.
template <bool kAffine, class Map>
void RenderBilinearRows(const Map& map, const Raster32& source, Raster32& tile,
                        const TileRect& rect) {
  const FixedChart chart(source);
  constexpr std::int32_t kRun = 256;
  double tx[kRun], ty[kRun];
  for (std::int32_t j = rect.Top; j < rect.Bottom; ++j) {
    if (j + kRowsAhead < rect.Bottom) PrefetchRow(map, chart, source.Height(), j + kRowsAhead, rect);
    const ProjectiveTransform::RowLine line = map.Row(j);
    // Numerators carry the factor 256 of the fixed-point position.
    double x = (line.X0 + line.DX * rect.Left) * 256;
    double y = (line.Y0 + line.DY * rect.Left) * 256;
    double w = line.W0 + line.DW * rect.Left;
    const double dx = line.DX * 256, dy = line.DY * 256, dw = line.DW;
    std::uint32_t* out = tile.Row(j);
    for (std::int32_t start = rect.Left; start < rect.Right; start += kRun) {
      const std::int32_t run = std::min(kRun, rect.Right - start);
      for (std::int32_t k = 0; k < run; ++k) {
        if constexpr (kAffine) {
          tx[k] = x + 0.5;
          ty[k] = y + 0.5;
        } else {
          const double inverse = 1.0 / w;
          tx[k] = x * inverse + 0.5;
          ty[k] = y * inverse + 0.5;
          w += dw;
        }
        x += dx;
        y += dy;
      }
      SampleFixedRow(chart, tx, ty, static_cast<std::size_t>(run), out + start);
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
  return SampleFixed(FixedChart(source), sx * 256 + 0.5, sy * 256 + 0.5);
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

void RenderBilinear(const BilinearPiece& piece, const Raster32& source, Raster32& tile,
                    const TileRect& rect) {
  RenderBilinearRows<true>(piece, source, tile, rect);
}

namespace {

// Box averaging by summed areas. A box of radius k costs (2k + 1)² reads when summed pixel by
// pixel; a mistyped corner gives radii up to 255 and boxes mostly beyond the chart, where the
// clamped edge pixels repeat. For such blocks of tile pixels a summed-area table of the chart
// pixels the block's boxes reach (after clamping) gives every box in a constant number of
// reads. Sums are kept modulo 2^32: a box's sum, at most 511² × 255, is below 2^32, so the
// differences of the table are exact.

// Tile pixels' source positions, Trunc'ed and held far inside 32 bits: charts are much smaller
// than 2^30 pixels, so clamping them into the chart afterwards gives what the full value would.
struct SourcePosition {
  std::int32_t X, Y;
};
inline std::int32_t Narrow(std::int64_t v) {
  constexpr std::int64_t kFar = std::int64_t{1} << 30;
  return static_cast<std::int32_t>(std::clamp(v, -kFar, kFar));
}

// A summed-area table over rows Y0..Y1 and columns X0..X1 of the chart: entry (r, c) holds
// the sums of the pixels above and left of (Y0 + r, X0 + c), each channel in 32 bits.
class SummedArea {
 public:
  void Build(const Raster32& source, std::int32_t x0, std::int32_t y0, std::int32_t x1,
             std::int32_t y1) {
    x0_ = x0;
    y0_ = y0;
    stride_ = static_cast<std::size_t>(x1 - x0 + 2);
    const std::size_t rows = static_cast<std::size_t>(y1 - y0 + 2);
    sums_.assign(stride_ * rows * 3, 0);
    for (std::int32_t y = y0; y <= y1; ++y) {
      const std::uint32_t* in = source.Row(y) + x0;
      std::uint32_t* above = &sums_[static_cast<std::size_t>(y - y0) * stride_ * 3];
      std::uint32_t* out = above + stride_ * 3;
      std::uint32_t red = 0, green = 0, blue = 0;
      for (std::size_t c = 1; c < stride_; ++c) {
        const std::uint32_t p = in[c - 1];
        red += RedOf(p), green += GreenOf(p), blue += BlueOf(p);
        out[3 * c] = above[3 * c] + red;
        out[3 * c + 1] = above[3 * c + 1] + green;
        out[3 * c + 2] = above[3 * c + 2] + blue;
      }
    }
  }
  // Adds weight × the sums of rows r0..r1, columns c0..c1 (chart coordinates) to rgb.
  void Add(std::int32_t r0, std::int32_t r1, std::int32_t c0, std::int32_t c1,
           std::uint32_t weight, std::uint32_t* rgb) const {
    const std::uint32_t* top = &sums_[static_cast<std::size_t>(r0 - y0_) * stride_ * 3];
    const std::uint32_t* bottom = &sums_[static_cast<std::size_t>(r1 + 1 - y0_) * stride_ * 3];
    const std::size_t left = static_cast<std::size_t>(c0 - x0_) * 3;
    const std::size_t right = static_cast<std::size_t>(c1 + 1 - x0_) * 3;
    for (int ch = 0; ch < 3; ++ch) {
      rgb[ch] += weight * (bottom[right + ch] - bottom[left + ch] - top[right + ch] + top[left + ch]);
    }
  }

 private:
  std::int32_t x0_ = 0, y0_ = 0;
  std::size_t stride_ = 0;
  std::vector<std::uint32_t> sums_;
};

// The indices lo − k .. lo + k clamped into 0..last, as runs: `low` copies of 0, the range
// from..to once each (empty when from > to), `high` copies of last.
struct ClampedRun {
  std::uint32_t low, high;
  std::int32_t from, to;
};
inline ClampedRun ClampRun(std::int64_t centre, std::int64_t k, std::int64_t last) {
  const std::int64_t lo = centre - k, hi = centre + k, n = 2 * k + 1;
  return {static_cast<std::uint32_t>(std::clamp<std::int64_t>(-lo, 0, n)),
          static_cast<std::uint32_t>(std::clamp<std::int64_t>(hi - last, 0, n)),
          static_cast<std::int32_t>(std::max<std::int64_t>(lo, 0)),
          static_cast<std::int32_t>(std::min(hi, last))};
}

std::uint32_t BoxAverageFromTable(const SummedArea& table, const Raster32& source,
                                  SourcePosition at, std::uint8_t k) {
  const ClampedRun rows = ClampRun(at.Y, k, source.Height() - 1);
  const ClampedRun cols = ClampRun(at.X, k, source.Width() - 1);
  const std::int32_t lastY = source.Height() - 1, lastX = source.Width() - 1;
  // Three row groups times three column groups, each a rectangle of the table with a weight.
  const struct {
    std::uint32_t weight;
    std::int32_t from, to;
  } rowGroups[3] = {{rows.low, 0, 0}, {1, rows.from, rows.to}, {rows.high, lastY, lastY}},
    colGroups[3] = {{cols.low, 0, 0}, {1, cols.from, cols.to}, {cols.high, lastX, lastX}};
  std::uint32_t rgb[3] = {0, 0, 0};
  for (const auto& r : rowGroups) {
    if (r.weight == 0 || r.from > r.to) continue;
    for (const auto& c : colGroups) {
      if (c.weight == 0 || c.from > c.to) continue;
      table.Add(r.from, r.to, c.from, c.to, r.weight * c.weight, rgb);
    }
  }
  const std::uint32_t count = (2u * k + 1) * (2u * k + 1);
  return PackPixel(static_cast<std::uint8_t>(rgb[0] / count),
                   static_cast<std::uint8_t>(rgb[1] / count),
                   static_cast<std::uint8_t>(rgb[2] / count), 0);
}

// A summed-area table larger than this (in chart pixels, 12 bytes each) is split up.
constexpr std::int64_t kMostTablePixels = std::int64_t{1} << 20;

class BoxRenderer {
 public:
  BoxRenderer(const Raster32& source, Raster32& tile, const TileRect& rect, std::uint8_t k,
              const std::vector<SourcePosition>& positions)
      : source_(source), tile_(tile), rect_(rect), k_(k), positions_(positions) {}

  // Fills block (part of rect): pixel by pixel where that reads fewer chart pixels than a
  // table of the area the boxes reach, else from such a table, split while it is too large.
  void Render(const TileRect& block) {
    const std::int64_t pixels =
        std::int64_t{block.Right - block.Left} * (block.Bottom - block.Top);
    if (pixels <= 0) return;
    std::int64_t x0 = INT64_MAX, y0 = INT64_MAX, x1 = INT64_MIN, y1 = INT64_MIN;
    for (std::int32_t j = block.Top; j < block.Bottom; ++j) {
      for (std::int32_t i = block.Left; i < block.Right; ++i) {
        const SourcePosition p = At(i, j);
        x0 = std::min<std::int64_t>(x0, p.X), x1 = std::max<std::int64_t>(x1, p.X);
        y0 = std::min<std::int64_t>(y0, p.Y), y1 = std::max<std::int64_t>(y1, p.Y);
      }
    }
    const std::int64_t lastX = source_.Width() - 1, lastY = source_.Height() - 1;
    x0 = std::clamp<std::int64_t>(x0 - k_, 0, lastX), x1 = std::clamp<std::int64_t>(x1 + k_, 0, lastX);
    y0 = std::clamp<std::int64_t>(y0 - k_, 0, lastY), y1 = std::clamp<std::int64_t>(y1 + k_, 0, lastY);
    const std::int64_t area = (x1 - x0 + 1) * (y1 - y0 + 1);
    const std::int64_t direct = pixels * (2 * k_ + 1) * (2 * k_ + 1);
    if (2 * area >= direct) {
      for (std::int32_t j = block.Top; j < block.Bottom; ++j) {
        for (std::int32_t i = block.Left; i < block.Right; ++i) {
          tile_.Row(j)[i] = BoxAverage(source_, At(i, j).X, At(i, j).Y, k_);
        }
      }
    } else if (area <= kMostTablePixels) {
      table_.Build(source_, static_cast<std::int32_t>(x0), static_cast<std::int32_t>(y0),
                   static_cast<std::int32_t>(x1), static_cast<std::int32_t>(y1));
      for (std::int32_t j = block.Top; j < block.Bottom; ++j) {
        for (std::int32_t i = block.Left; i < block.Right; ++i) {
          tile_.Row(j)[i] = BoxAverageFromTable(table_, source_, At(i, j), k_);
        }
      }
    } else if (block.Bottom - block.Top > 1) {
      const std::int32_t middle = block.Top + (block.Bottom - block.Top) / 2;
      Render({block.Left, block.Top, block.Right, middle});
      Render({block.Left, middle, block.Right, block.Bottom});
    } else {
      const std::int32_t middle = block.Left + (block.Right - block.Left) / 2;
      Render({block.Left, block.Top, middle, block.Bottom});
      Render({middle, block.Top, block.Right, block.Bottom});
    }
  }

 private:
  SourcePosition At(std::int32_t i, std::int32_t j) const {
    return positions_[static_cast<std::size_t>(j - rect_.Top) * (rect_.Right - rect_.Left) +
                      (i - rect_.Left)];
  }

  const Raster32& source_;
  Raster32& tile_;
  const TileRect& rect_;
  std::uint8_t k_;
  const std::vector<SourcePosition>& positions_;
  SummedArea table_;
};

template <class Map>
void RenderBoxAverageOf(const Map& map, const Raster32& source, Raster32& tile,
                        const TileRect& rect, std::uint8_t k) {
  if (rect.Right <= rect.Left || rect.Bottom <= rect.Top) return;
  // Where each tile pixel's box is centred: the map evaluated incrementally, exactly as the
  // pixel-by-pixel loop always did.
  std::vector<SourcePosition> positions;
  positions.reserve(static_cast<std::size_t>(rect.Right - rect.Left) * (rect.Bottom - rect.Top));
  for (std::int32_t j = rect.Top; j < rect.Bottom; ++j) {
    const ProjectiveTransform::RowLine line = map.Row(j);
    double x = line.X0 + line.DX * rect.Left;
    double y = line.Y0 + line.DY * rect.Left;
    double w = line.W0 + line.DW * rect.Left;
    for (std::int32_t i = rect.Left; i < rect.Right; ++i) {
      positions.push_back({Narrow(TruncBounded(x / w)), Narrow(TruncBounded(y / w))});
      x += line.DX;
      y += line.DY;
      w += line.DW;
    }
  }
  if (source.Empty()) {
    FillTileRect(tile, rect, 0);
    return;
  }
  BoxRenderer(source, tile, rect, k, positions).Render(rect);
}

}  // namespace

void RenderBoxAverage(const ProjectiveTransform& pt, const Raster32& source, Raster32& tile,
                      const TileRect& rect, std::uint8_t k) {
  RenderBoxAverageOf(pt, source, tile, rect, k);
}

void RenderBoxAverage(const BilinearPiece& piece, const Raster32& source, Raster32& tile,
                      const TileRect& rect, std::uint8_t k) {
  RenderBoxAverageOf(piece, source, tile, rect, k);
}

void FillTileRect(Raster32& tile, const TileRect& rect, std::uint32_t value) {
  for (std::int32_t j = rect.Top; j < rect.Bottom; ++j) {
    std::fill(tile.Row(j) + rect.Left, tile.Row(j) + rect.Right, value);
  }
}

}  // namespace cz
