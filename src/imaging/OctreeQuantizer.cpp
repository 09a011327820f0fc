#include "imaging/OctreeQuantizer.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "imaging/Raster32.h"

namespace cz {

namespace {

int SquaredDistance(const PaletteColour& a, int red, int green, int blue) {
  const int dr = a.Red - red, dg = a.Green - green, db = a.Blue - blue;
  return dr * dr + dg * dg + db * db;
}
int SquaredDistance(const PaletteColour& a, const PaletteColour& b) {
  return SquaredDistance(a, b.Red, b.Green, b.Blue);
}

}  // namespace

std::uint32_t OctreeQuantizer::NewNode(int depth, std::uint32_t parent) {
  const auto index = static_cast<std::uint32_t>(nodes_.size());
  Node node{};
  node.Parent = parent;
  node.Leaf = depth == kLeafDepth;
  nodes_.push_back(node);
  if (node.Leaf) {
    ++leafCount_;
  } else if (index != 0) {
    ++nodes_[parent].InteriorChildren;
  }
  return index;
}

std::uint32_t OctreeQuantizer::LeafOf(std::uint32_t colour) {
  std::uint32_t node = 0;
  for (int depth = 0; depth < kLeafDepth; ++depth) {
    const int shift = 7 - depth;
    const auto branch =
        static_cast<int>((((colour >> (16 + shift)) & 1) << 2) |
                         (((colour >> (8 + shift)) & 1) << 1) | ((colour >> shift) & 1));
    std::uint32_t child = nodes_[node].Children[branch];
    if (child == 0) {
      child = NewNode(depth + 1, node);  // may move nodes_: index again below
      nodes_[node].Children[branch] = child;
    }
    node = child;
  }
  return node;
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

// The squared colour error that merging the node's leaves into their mean would add:
// sum over the children of count × (child mean − merged mean)², that is
// sum(S_c² / n_c) − S² / n per channel, S being colour sums and n pixel counts.
double OctreeQuantizer::MergeCost(const Node& node) const {
  double cost = 0.0, count = 0.0, red = 0.0, green = 0.0, blue = 0.0;
  for (std::uint32_t child : node.Children) {
    if (child == 0) continue;
    const Node& leaf = nodes_[child];
    const double n = static_cast<double>(leaf.Count);
    const double r = static_cast<double>(leaf.SumRed), g = static_cast<double>(leaf.SumGreen),
                 b = static_cast<double>(leaf.SumBlue);
    cost += (r * r + g * g + b * b) / n;
    count += n, red += r, green += g, blue += b;
  }
  return cost - (red * red + green * green + blue * blue) / count;
}

void OctreeQuantizer::Reduce(int maxColours) {
  // Candidates are the nodes whose children are all leaves, cheapest first (per leaf removed);
  // merging one may make its parent a candidate. Ties go to the lower node index, so the
  // result does not depend on the heap's inner order.
  const auto push = [this](std::uint32_t index) {
    const Node& node = nodes_[index];
    int children = 0;
    for (std::uint32_t child : node.Children) children += child != 0;
    const double cost = children > 1 ? MergeCost(node) / (children - 1) : 0.0;
    candidates_.emplace_back(cost, index);
    std::push_heap(candidates_.begin(), candidates_.end(), std::greater<>());
  };
  candidates_.clear();
  for (std::uint32_t index = 0; index < nodes_.size(); ++index) {
    if (!nodes_[index].Leaf && nodes_[index].InteriorChildren == 0) push(index);
  }
  const auto limit = static_cast<std::uint32_t>(maxColours);
  // Near the end, a merge that would drop below the limit wastes palette entries: such a node
  // is set aside for a smaller merge. When nothing else is left, the cheapest node set aside
  // merges only as many of its children (the least used) as reach the limit exactly.
  passedOver_.clear();
  while (leafCount_ > limit) {
    if (candidates_.empty()) {
      const auto cheapest = std::min_element(passedOver_.begin(), passedOver_.end());
      if (cheapest == passedOver_.end()) break;  // cannot happen: the root is a candidate
      MergeSmallest(cheapest->second, static_cast<int>(leafCount_ - limit) + 1);
      break;
    }
    std::pop_heap(candidates_.begin(), candidates_.end(), std::greater<>());
    const auto entry = candidates_.back();
    candidates_.pop_back();
    const std::uint32_t index = entry.second;
    int children = 0;
    for (std::uint32_t child : nodes_[index].Children) children += child != 0;
    if (leafCount_ - (children - 1) < limit) {
      passedOver_.push_back(entry);
      continue;
    }
    Merge(index);
    if (index != 0 && --nodes_[nodes_[index].Parent].InteriorChildren == 0) {
      push(nodes_[index].Parent);
    }
  }
}

void OctreeQuantizer::MergeSmallest(std::uint32_t index, int count) {
  std::uint32_t* slots[8] = {};
  int used = 0;
  for (std::uint32_t& child : nodes_[index].Children) {
    if (child != 0) slots[used++] = &child;
  }
  std::stable_sort(slots, slots + used, [this](const std::uint32_t* a, const std::uint32_t* b) {
    return nodes_[*a].Count < nodes_[*b].Count;
  });
  Node& into = nodes_[*slots[0]];
  for (int i = 1; i < count && i < used; ++i) {
    const Node& from = nodes_[*slots[i]];
    into.Count += from.Count;
    into.SumRed += from.SumRed;
    into.SumGreen += from.SumGreen;
    into.SumBlue += from.SumBlue;
    *slots[i] = 0;
    --leafCount_;
  }
}

void OctreeQuantizer::Refine(std::vector<PaletteColour>& palette) {
  // Rounds end early once fewer than one pixel in kSettled changes its colour.
  constexpr int kRounds = 20;
  constexpr std::uint64_t kSettled = 2000;
  std::uint64_t pixels = 0;
  for (const Sample& s : samples_) pixels += s.Count;
  sampleIndex_.assign(samples_.size(), 0);
  // Round 0 searches the palette for every sample; later rounds look only at the entries that
  // can have become nearest since (the neighbours of the sample's entry, see below).
  nearest_.SetPalette(palette);
  for (int round = 0; round < kRounds; ++round) {
    sums_.assign(palette.size(), Sums{0, 0, 0, 0});
    reach_.assign(palette.size(), 0);
    std::uint64_t moved = 0;
    for (std::size_t i = 0; i < samples_.size(); ++i) {
      const Sample& s = samples_[i];
      const std::uint8_t previous = sampleIndex_[i];
      std::uint8_t index = previous;
      int best = 0;
      if (round == 0) {
        index = nearest_.IndexOf(s.Red, s.Green, s.Blue);
        best = SquaredDistance(palette[index], s.Red, s.Green, s.Blue);
      } else {
        // The neighbours of the sample's entry, nearest to it first, up to the distance (limit,
        // squared) beyond which none can be nearer to the sample than the best.
        const PaletteColour& from = previousPalette_[previous];
        const int fromDistance = SquaredDistance(from, s.Red, s.Green, s.Blue);
        int limit = 4 * fromDistance;
        if (movedEntry_[previous] != 0) {
          best = std::numeric_limits<int>::max();
          // The nearest lies within |x − entry now| of the sample x, so within that plus
          // |x − entry before| of where the entry was. In double precision, widened far
          // beyond its rounding error (one entry too many costs a distance, too few is wrong).
          const double radius = std::sqrt(static_cast<double>(fromDistance)) +
                                std::sqrt(static_cast<double>(
                                    SquaredDistance(palette[previous], s.Red, s.Green, s.Blue)));
          limit = static_cast<int>(radius * radius + 1e-6);
        } else {
          best = fromDistance;
        }
        const std::uint32_t* other = neighbours_.data() + neighbourStart_[previous];
        const std::uint32_t* const last = neighbours_.data() + neighbourStart_[previous + 1];
        for (; other < last && static_cast<int>(*other >> 8) <= limit; ++other) {
          const auto k = static_cast<std::uint8_t>(*other & 0xFF);
          const int d = SquaredDistance(palette[k], s.Red, s.Green, s.Blue);
          if (d < best || (d == best && k < index)) best = d, index = k;
        }
      }
      if (round == 0 || index != previous) moved += s.Count;
      sampleIndex_[i] = index;
      reach_[index] = std::max(reach_[index], best);
      Sums& sum = sums_[index];
      sum.Count += s.Count, sum.Red += s.SumRed, sum.Green += s.SumGreen, sum.Blue += s.SumBlue;
    }
    if (moved * kSettled < pixels) break;
    UpdateEntries(palette);
    FindNeighbours(palette);
  }
}

// Each entry moves to the mean of its samples; an entry nobody chose keeps its colour.
void OctreeQuantizer::UpdateEntries(std::vector<PaletteColour>& palette) {
  previousPalette_ = palette;
  movedEntry_.assign(palette.size(), 0);
  movers_.clear();
  for (std::size_t k = 0; k < palette.size(); ++k) {
    const Sums& sum = sums_[k];
    if (sum.Count == 0) continue;
    const std::uint64_t half = sum.Count / 2;
    const PaletteColour mean{static_cast<std::uint8_t>((sum.Red + half) / sum.Count),
                             static_cast<std::uint8_t>((sum.Green + half) / sum.Count),
                             static_cast<std::uint8_t>((sum.Blue + half) / sum.Count)};
    if (mean == palette[k]) continue;
    palette[k] = mean;
    movedEntry_[k] = 1;
    movers_.push_back(static_cast<std::uint32_t>(k));
  }
}

// The entries that can now be nearest to a sample of entry k, other than k itself when it
// stayed, as keys squared distance from k's old place << 8 | entry, in ascending order. Its
// samples lay within R = √reach_[k] of it, and no entry was nearer to them.
// - k stayed: of the entries that stayed, none is nearer (nor as near with a lower index) now,
//   as none was before. A mover farther than 2|x − k| from k is farther from the sample x
//   than k (triangle inequality), so only movers within 2R can win.
// - k moved by m: a sample x now has k within |x − k| + m ≤ R + m, so its nearest lies within
//   that of x and thus within 2R + m of k's old place. Every entry there is a neighbour.
void OctreeQuantizer::FindNeighbours(const std::vector<PaletteColour>& palette) {
  neighbourStart_.assign(palette.size() + 1, 0);
  neighbours_.clear();
  for (std::size_t k = 0; k < palette.size(); ++k) {
    const std::size_t first = neighbours_.size();
    neighbourStart_[k] = static_cast<std::uint32_t>(first);
    const PaletteColour& from = previousPalette_[k];
    if (movedEntry_[k] == 0) {
      for (const std::uint32_t mover : movers_) {
        const int d = SquaredDistance(from, palette[mover]);
        if (d <= 4 * reach_[k]) neighbours_.push_back(static_cast<std::uint32_t>(d) << 8 | mover);
      }
    } else {
      // In double precision, widened as in Refine.
      const double radius = 2 * std::sqrt(static_cast<double>(reach_[k])) +
                            std::sqrt(static_cast<double>(SquaredDistance(from, palette[k]))) +
                            1e-6;
      for (std::size_t c = 0; c < palette.size(); ++c) {
        const int d = SquaredDistance(from, palette[c]);
        if (d <= radius * radius) neighbours_.push_back(static_cast<std::uint32_t>(d) << 8 | c);
      }
    }
    std::sort(neighbours_.begin() + static_cast<std::ptrdiff_t>(first), neighbours_.end());
  }
  neighbourStart_[palette.size()] = static_cast<std::uint32_t>(neighbours_.size());
}

void OctreeQuantizer::CollectLeaves(std::uint32_t index,
                                    std::vector<PaletteColour>& palette) const {
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
  leafCount_ = 0;
  palette.clear();
  exact_ = true;
  distinct_.clear();
  std::fill(std::begin(distinctSlots_), std::end(distinctSlots_), 0u);
  if (raster.Empty()) {
    palette.push_back({0, 0, 0});
    return;
  }
  NewNode(0, 0);

  // Charts are mostly flat areas, and scanner noise mostly stays within one deepest cell:
  // count runs of equal colours in one step, and find the leaf of a colour by walking the
  // tree only when it lies in another cell than the previous one.
  constexpr std::uint32_t kCellMask = (0xFFu << (8 - kLeafDepth)) & 0xFFu;
  constexpr std::uint32_t kCellMask3 = kCellMask << 16 | kCellMask << 8 | kCellMask;
  const std::uint32_t* pixel = raster.Pixels();
  const std::uint32_t* const end = pixel + raster.PixelCount();
  std::fill(std::begin(leafCacheKeys_), std::end(leafCacheKeys_), 0u);
  std::uint32_t leaf = LeafOf(*pixel & 0xFFFFFFu);
  std::uint32_t cell = *pixel & kCellMask3;
  // The node sums are stores that might alias nodes_ itself: held in a local, its data
  // pointer is not read again for every run; only a new leaf can move the nodes.
  Node* nodes = nodes_.data();
  while (pixel < end) {
    const std::uint32_t colour = *pixel & 0xFFFFFFu;
    const std::uint32_t* runEnd = pixel + 1;
    while (runEnd < end && (*runEnd & 0xFFFFFFu) == colour) ++runEnd;
    if ((colour & kCellMask3) != cell) {
      cell = colour & kCellMask3;
      // Most cells recur all over a tile: remember the leaf of recent cells.
      const std::uint32_t slot = (cell * 2654435761u) >> (32 - kLeafCacheBits);
      if (leafCacheKeys_[slot] == (cell | kCached)) {
        leaf = leafCacheNodes_[slot];
      } else {
        leaf = LeafOf(colour);
        nodes = nodes_.data();
        leafCacheKeys_[slot] = cell | kCached;
        leafCacheNodes_[slot] = leaf;
      }
    }
    const auto count = static_cast<std::uint64_t>(runEnd - pixel);
    Node& node = nodes[leaf];
    node.Count += count;
    node.SumRed += ((colour >> 16) & 0xFF) * count;
    node.SumGreen += ((colour >> 8) & 0xFF) * count;
    node.SumBlue += (colour & 0xFF) * count;
    if (exact_) NoteDistinct(colour, maxColours);
    pixel = runEnd;
  }

  if (exact_) {
    for (const std::uint32_t colour : distinct_) {
      palette.push_back({static_cast<std::uint8_t>(colour >> 16),
                         static_cast<std::uint8_t>(colour >> 8),
                         static_cast<std::uint8_t>(colour)});
    }
    return;
  }
  samples_.clear();
  for (const Node& node : nodes_) {
    if (!node.Leaf) continue;
    const std::uint64_t half = node.Count / 2;
    samples_.push_back({node.Count, node.SumRed, node.SumGreen, node.SumBlue,
                        static_cast<std::uint8_t>((node.SumRed + half) / node.Count),
                        static_cast<std::uint8_t>((node.SumGreen + half) / node.Count),
                        static_cast<std::uint8_t>((node.SumBlue + half) / node.Count)});
  }
  Reduce(maxColours);
  palette.reserve(leafCount_);
  CollectLeaves(0, palette);
  Refine(palette);
}

}  // namespace cz
