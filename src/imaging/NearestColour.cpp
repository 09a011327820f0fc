#include "imaging/NearestColour.h"

#include <algorithm>
#include <cstdlib>

namespace cz {

NearestColourMap::NearestColourMap()
    : keys_(std::size_t{1} << kCacheBits, 0),
      indices_(std::size_t{1} << kCacheBits, 0),
      cellStart_(kCells, 0),
      cellCount_(kCells, 0) {
  SetPalette({PaletteColour{}});
}

void NearestColourMap::SetPalette(const std::vector<PaletteColour>& palette) {
  palette_ = palette;
  if (palette_.empty()) palette_.push_back({});
  if (palette_.size() > kMaxGifColours) palette_.resize(kMaxGifColours);
  generation_ += 1u << 24;
  if (generation_ == 0) {
    std::fill(keys_.begin(), keys_.end(), 0u);
    generation_ = 1u << 24;
  }
  std::fill(cellStart_.begin(), cellStart_.end(), 0u);
  candidates_.clear();
}

void NearestColourMap::BuildCell(std::uint32_t cell) {
  constexpr int kSide = 256 >> kCellBits;
  const int low[3] = {static_cast<int>(cell >> (2 * kCellBits)) * kSide,
                      static_cast<int>((cell >> kCellBits) & ((1 << kCellBits) - 1)) * kSide,
                      static_cast<int>(cell & ((1 << kCellBits) - 1)) * kSide};
  // For every colour its least and greatest squared distance to the cell; the nearest colour
  // of any point in the cell lies no farther than the smallest greatest distance, so only
  // colours whose least distance is within that bound are candidates.
  std::int32_t bound = 0x7FFFFFFF;
  const std::size_t first = candidates_.size();
  for (std::size_t i = 0; i < palette_.size(); ++i) {
    const int value[3] = {palette_[i].Red, palette_[i].Green, palette_[i].Blue};
    std::int32_t least = 0, greatest = 0;
    for (int c = 0; c < 3; ++c) {
      const int lo = low[c], hi = low[c] + kSide - 1;
      const int below = value[c] < lo ? lo - value[c] : value[c] > hi ? value[c] - hi : 0;
      const int far = std::max(std::abs(value[c] - lo), std::abs(value[c] - hi));
      least += below * below;
      greatest += far * far;
    }
    bound = std::min(bound, greatest);
    candidates_.push_back({least, static_cast<std::uint8_t>(i)});
  }
  const auto begin = candidates_.begin() + static_cast<std::ptrdiff_t>(first);
  const auto end = std::remove_if(begin, candidates_.end(),
                                  [bound](const Candidate& c) { return c.LeastDistance > bound; });
  candidates_.erase(end, candidates_.end());
  std::sort(begin, candidates_.end(), [](const Candidate& a, const Candidate& b) {
    return a.LeastDistance != b.LeastDistance ? a.LeastDistance < b.LeastDistance
                                              : a.Index < b.Index;
  });
  cellStart_[cell] = static_cast<std::uint32_t>(first) + 1;
  cellCount_[cell] = static_cast<std::uint16_t>(candidates_.size() - first);
}

std::uint8_t NearestColourMap::Search(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
  constexpr int kShift = 8 - kCellBits;
  const std::uint32_t cell =
      ((red >> kShift) << (2 * kCellBits)) | ((green >> kShift) << kCellBits) | (blue >> kShift);
  if (cellStart_[cell] == 0) BuildCell(cell);
  const Candidate* candidate = candidates_.data() + cellStart_[cell] - 1;
  const Candidate* const end = candidate + cellCount_[cell];
  const auto r = static_cast<std::int32_t>(red), g = static_cast<std::int32_t>(green),
             b = static_cast<std::int32_t>(blue);
  std::int32_t best = 0x7FFFFFFF;
  std::uint8_t bestIndex = 0;
  // A candidate farther from the cell than the best distance cannot win; equal ones can tie.
  for (; candidate < end && candidate->LeastDistance <= best; ++candidate) {
    const PaletteColour& colour = palette_[candidate->Index];
    const std::int32_t dr = colour.Red - r, dg = colour.Green - g, db = colour.Blue - b;
    const std::int32_t distance = dr * dr + dg * dg + db * db;
    if (distance < best || (distance == best && candidate->Index < bestIndex)) {
      best = distance;
      bestIndex = candidate->Index;
    }
  }
  return bestIndex;
}

}  // namespace cz
