#include "imaging/NearestColour.h"

#include <algorithm>

namespace cz {

NearestColourMap::NearestColourMap()
    : keys_(std::size_t{1} << kCacheBits, 0), indices_(std::size_t{1} << kCacheBits, 0) {
  SetPalette({PaletteColour{}});
}

void NearestColourMap::SetPalette(const std::vector<PaletteColour>& palette) {
  palette_ = palette;
  if (palette_.empty()) palette_.push_back({});
  if (palette_.size() > kMaxGifColours) palette_.resize(kMaxGifColours);
  byGreen_.clear();
  for (std::size_t i = 0; i < palette_.size(); ++i) {
    byGreen_.push_back({palette_[i].Red, palette_[i].Green, palette_[i].Blue,
                        static_cast<std::uint8_t>(i)});
  }
  std::sort(byGreen_.begin(), byGreen_.end(), [](const SortedEntry& a, const SortedEntry& b) {
    return a.Green != b.Green ? a.Green < b.Green : a.Index < b.Index;
  });
  std::size_t entry = 0;
  for (int green = 0; green < 256; ++green) {
    while (entry < byGreen_.size() && byGreen_[entry].Green < green) ++entry;
    firstAtGreen_[green] = static_cast<std::uint16_t>(entry);
  }
  std::fill(keys_.begin(), keys_.end(), 0u);
}

std::uint8_t NearestColourMap::Search(std::uint32_t red, std::uint32_t green,
                                      std::uint32_t blue) const {
  const auto r = static_cast<std::int32_t>(red), g = static_cast<std::int32_t>(green),
             b = static_cast<std::int32_t>(blue);
  std::int32_t best = 0x7FFFFFFF;
  std::uint8_t bestIndex = 0;
  const auto consider = [&](const SortedEntry& e) {
    const std::int32_t dr = e.Red - r, dg = e.Green - g, db = e.Blue - b;
    const std::int32_t distance = dr * dr + dg * dg + db * db;
    if (distance < best || (distance == best && e.Index < bestIndex)) {
      best = distance;
      bestIndex = e.Index;
    }
  };
  const int count = static_cast<int>(byGreen_.size());
  int up = firstAtGreen_[g];
  int down = up - 1;
  // Walk both ways from the pixel's green; an entry whose green distance squared exceeds the
  // best distance cannot win, nor can any entry beyond it in that direction.
  while (up < count || down >= 0) {
    if (up < count) {
      const std::int32_t dg = byGreen_[up].Green - g;
      if (dg * dg > best) {
        up = count;
      } else {
        consider(byGreen_[up++]);
      }
    }
    if (down >= 0) {
      const std::int32_t dg = g - byGreen_[down].Green;
      if (dg * dg > best) {
        down = -1;
      } else {
        consider(byGreen_[down--]);
      }
    }
  }
  return bestIndex;
}

}  // namespace cz
