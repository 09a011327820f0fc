#pragma once
// Adaptive colour reduction by an octree (Gervautz and Purgathofer): every pixel colour is
// sorted into a tree whose level d splits on bit 7 − d of red, green and blue; the tree's
// leaves are then merged into their parents, bottom-up, until no more than the wanted number
// of leaves remain. A node can be merged once all its children are leaves; of those, the one
// that adds the least squared colour error per leaf removed goes first, so large areas and
// distinct inks keep their own entries. Each leaf's colour is the mean of its
// pixels. The palette is then refined by a few rounds of Lloyd's method over the deepest
// leaves (each leaf goes to its nearest palette colour, each palette colour moves to the mean
// of its pixels), which corrects what the tree's fixed cell borders cut badly.
//
// Promises:
// - When the image holds no more distinct colours than wanted, the palette is exactly those
//   colours (Exact() is true), so such a tile keeps its pixels unchanged.
// - Deterministic: the same pixels give the same palette in the same order.
// - No allocation per pixel: the node pool and level lists are kept between calls and only
//   grow; runs of equal pixels are counted in one step.
//
// Alpha is ignored. The tree stops at kLeafDepth levels (128 steps per channel); colours
// that share a deepest node are averaged there. The exact case is therefore found apart from
// the tree, by a small set of distinct colours that gives up once it passes the limit.

#include <cstdint>
#include <vector>

#include "imaging/NearestColour.h"
#include "imaging/TilePalette.h"

namespace cz {

class Raster32;

class OctreeQuantizer {
 public:
  static constexpr int kLeafDepth = 7;

  // Builds a palette of at most maxColours (1 .. 256) colours for the raster's pixels into
  // palette (replacing its content). An empty raster gives one black colour.
  void Build(const Raster32& raster, int maxColours, std::vector<PaletteColour>& palette);

  // Whether the last palette holds the image's colours exactly.
  bool Exact() const { return exact_; }

 private:
  struct Node {
    std::uint32_t Children[8];  // node indices; 0 = none (the root is never a child)
    std::uint64_t Count;        // pixels in this node (leaves) or below it (after merging)
    std::uint64_t SumRed, SumGreen, SumBlue;
    std::uint32_t Parent;
    std::uint8_t InteriorChildren;  // children that are not (yet) leaves
    bool Leaf;
  };

  std::uint32_t NewNode(int depth, std::uint32_t parent);
  std::uint32_t LeafOf(std::uint32_t colour);  // the deepest node of colour, made if new
  void NoteDistinct(std::uint32_t colour, int maxColours);
  void Reduce(int maxColours);
  void Merge(std::uint32_t node);
  void MergeSmallest(std::uint32_t node, int count);
  void CollectLeaves(std::uint32_t node, std::vector<PaletteColour>& palette) const;
  double MergeCost(const Node& node) const;
  void Refine(std::vector<PaletteColour>& palette);
  void UpdateEntries(std::vector<PaletteColour>& palette);
  void FindNeighbours(const std::vector<PaletteColour>& palette);

  // A deepest leaf as Lloyd's method sees it: its pixel count and colour sums.
  struct Sample {
    std::uint64_t Count, SumRed, SumGreen, SumBlue;
    std::uint8_t Red, Green, Blue;  // the rounded mean
  };

  std::vector<Node> nodes_;
  std::vector<std::pair<double, std::uint32_t>> candidates_;  // heap of (cost, node)
  std::vector<std::pair<double, std::uint32_t>> passedOver_;
  std::uint32_t leafCount_ = 0;
  bool exact_ = true;
  // Distinct colours in order of first appearance while there are no more than the limit.
  static constexpr int kDistinctSlots = 1024;    // open addressing, at most 1/4 full
  std::uint32_t distinctSlots_[kDistinctSlots];  // colour | 1 << 24; 0 = free
  std::vector<std::uint32_t> distinct_;
  static constexpr int kLeafCacheBits = 12;
  static constexpr std::uint32_t kCached = 1u << 24;
  std::uint32_t leafCacheKeys_[1 << kLeafCacheBits];  // deepest cell | kCached; 0 = empty
  std::uint32_t leafCacheNodes_[1 << kLeafCacheBits];
  std::vector<Sample> samples_;
  std::vector<std::uint8_t> sampleIndex_;
  struct Sums {
    std::uint64_t Count, Red, Green, Blue;
  };
  std::vector<Sums> sums_;
  std::vector<PaletteColour> previousPalette_;  // the palette before the last update
  std::vector<std::uint8_t> movedEntry_;        // per entry: 1 if the last update moved it
  std::vector<std::uint32_t> movers_;           // the entries the last update moved
  std::vector<int> reach_;  // per entry: squared distance of its farthest sample
  // Per entry: the entries that may now be nearest to its samples (FindNeighbours), in
  // neighbours_[neighbourStart_[k] .. neighbourStart_[k + 1]).
  std::vector<std::uint32_t> neighbourStart_;
  std::vector<std::uint32_t> neighbours_;
  NearestColourMap nearest_;
};

}  // namespace cz
