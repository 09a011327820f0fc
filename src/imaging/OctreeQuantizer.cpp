#include "imaging/OctreeQuantizer.h"

#include <algorithm>

#include "imaging/Raster32.h"

namespace cz {

std::uint32_t OctreeQuantizer::NewNode(int depth) {
  const auto index = static_cast<std::uint32_t>(nodes_.size());
  Node node{};
  node.Leaf = depth == kLeafDepth;
  nodes_.push_back(node);
  if (node.Leaf) {
    ++leafCount_;
  } else {
    levels_[depth].push_back(index);
  }
  return index;
}

void OctreeQuantizer::AddRun(std::uint32_t colour, std::uint64_t count) {
  const std::uint32_t red = (colour >> 16) & 0xFF, green = (colour >> 8) & 0xFF,
                      blue = colour & 0xFF;
  std::uint32_t node = 0;
  for (int depth = 0; depth < kLeafDepth; ++depth) {
    const int shift = 7 - depth;
    const int branch =
        (((red >> shift) & 1) << 2) | (((green >> shift) & 1) << 1) | ((blue >> shift) & 1);
    std::uint32_t child = nodes_[node].Children[branch];
    if (child == 0) {
      child = NewNode(depth + 1);  // may move nodes_: index again below
      nodes_[node].Children[branch] = child;
    }
    node = child;
  }
  Node& leaf = nodes_[node];
  leaf.Count += count;
  leaf.SumRed += std::uint64_t{red} * count;
  leaf.SumGreen += std::uint64_t{green} * count;
  leaf.SumBlue += std::uint64_t{blue} * count;
}

void OctreeQuantizer::NoteDistinct(std::uint32_t colour, int maxColours) {
  const std::uint32_t key = colour | (1u << 24);
  std::uint32_t slot = (colour * 2654435761u) >> 22;  // 10 bits
  while (distinctSlots_[slot] != 0) {
    if (distinctSlots_[slot] == key) return;
    slot = (slot + 1) & (kDistinctSlots - 1);
  }
  if (static_cast<int>(distinct_.size()) == maxColours) {
    exact_ = false;
    return;
  }
  distinctSlots_[slot] = key;
  distinct_.push_back(colour);
}

void OctreeQuantizer::Merge(std::uint32_t index) {
  Node& node = nodes_[index];
  int children = 0;
  for (std::uint32_t& child : node.Children) {
    if (child == 0) continue;
    const Node& leaf = nodes_[child];
    node.Count += leaf.Count;
    node.SumRed += leaf.SumRed;
    node.SumGreen += leaf.SumGreen;
    node.SumBlue += leaf.SumBlue;
    child = 0;
    ++children;
  }
  node.Leaf = true;
  leafCount_ -= children - 1;
}

void OctreeQuantizer::Reduce(int maxColours) {
  // Deepest level first; within a level the nodes holding the fewest pixels go first, so the
  // colours of large areas keep their own entries. Every interior node of the level being
  // reduced has only leaves below it, because the deeper levels are merged completely first.
  for (int depth = kLeafDepth - 1; depth >= 0 && leafCount_ > std::uint32_t(maxColours);
       --depth) {
    std::vector<std::uint32_t>& level = levels_[depth];
    for (std::uint32_t index : level) {
      Node& node = nodes_[index];
      node.Count = 0;
      for (std::uint32_t child : node.Children) {
        if (child != 0) node.Count += nodes_[child].Count;
      }
    }
    std::stable_sort(level.begin(), level.end(), [this](std::uint32_t a, std::uint32_t b) {
      return nodes_[a].Count < nodes_[b].Count;
    });
    for (std::uint32_t index : level) {
      if (leafCount_ <= std::uint32_t(maxColours)) break;
      // Node.Count was a pre-sum for sorting; Merge adds the children again.
      nodes_[index].Count = 0;
      Merge(index);
    }
  }
}

void OctreeQuantizer::CollectLeaves(std::uint32_t index, std::vector<PaletteColour>& palette) const {
  const Node& node = nodes_[index];
  if (node.Leaf) {
    const std::uint64_t half = node.Count / 2;
    palette.push_back({static_cast<std::uint8_t>((node.SumRed + half) / node.Count),
                       static_cast<std::uint8_t>((node.SumGreen + half) / node.Count),
                       static_cast<std::uint8_t>((node.SumBlue + half) / node.Count)});
    return;
  }
  for (std::uint32_t child : node.Children) {
    if (child != 0) CollectLeaves(child, palette);
  }
}

void OctreeQuantizer::Build(const Raster32& raster, int maxColours,
                            std::vector<PaletteColour>& palette) {
  maxColours = std::clamp(maxColours, 1, kMaxGifColours);
  nodes_.clear();
  for (auto& level : levels_) level.clear();
  leafCount_ = 0;
  palette.clear();
  exact_ = true;
  distinct_.clear();
  std::fill(std::begin(distinctSlots_), std::end(distinctSlots_), 0u);
  if (raster.Empty()) {
    palette.push_back({0, 0, 0});
    return;
  }
  NewNode(0);

  // Charts are mostly flat areas: count runs of equal colours instead of single pixels.
  const std::uint32_t* pixel = raster.Pixels();
  const std::uint32_t* const end = pixel + raster.PixelCount();
  while (pixel < end) {
    const std::uint32_t colour = *pixel & 0xFFFFFFu;
    const std::uint32_t* runEnd = pixel + 1;
    while (runEnd < end && (*runEnd & 0xFFFFFFu) == colour) ++runEnd;
    AddRun(colour, static_cast<std::uint64_t>(runEnd - pixel));
    if (exact_) NoteDistinct(colour, maxColours);
    pixel = runEnd;
  }

  if (exact_) {
    for (const std::uint32_t colour : distinct_) {
      palette.push_back({static_cast<std::uint8_t>(colour >> 16),
                         static_cast<std::uint8_t>(colour >> 8), static_cast<std::uint8_t>(colour)});
    }
    return;
  }
  Reduce(maxColours);
  palette.reserve(leafCount_);
  CollectLeaves(0, palette);
}

}  // namespace cz
