#pragma once
// Adaptive colour reduction by an octree (Gervautz and Purgathofer): every pixel colour is
// sorted into a tree whose level d splits on bit 7 − d of red, green and blue; the tree's
// leaves are then merged, deepest level first and the least used nodes first, until no more
// than the wanted number of leaves remain. Each leaf's colour is the mean of its pixels.
//
// Promises:
// - When the image holds no more distinct colours than wanted, the palette is exactly those
//   colours (Exact() is true), so such a tile keeps its pixels unchanged.
// - Deterministic: the same pixels give the same palette in the same order.
// - No allocation per pixel: the node pool and level lists are kept between calls and only
//   grow; runs of equal pixels are counted in one step.
//
// Alpha is ignored. The tree stops at kLeafDepth levels (64 steps per channel); colours
// that share a deepest node are averaged there. The exact case is therefore found apart from
// the tree, by a small set of distinct colours that gives up once it passes the limit.

#include <cstdint>
#include <vector>

#include "imaging/TilePalette.h"

namespace cz {

class Raster32;

class OctreeQuantizer {
 public:
  static constexpr int kLeafDepth = 6;

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
    bool Leaf;
  };

  std::uint32_t NewNode(int depth);
  void AddRun(std::uint32_t colour, std::uint64_t count);
  void NoteDistinct(std::uint32_t colour, int maxColours);
  void Reduce(int maxColours);
  void Merge(std::uint32_t node);
  void CollectLeaves(std::uint32_t node, std::vector<PaletteColour>& palette) const;

  std::vector<Node> nodes_;
  std::vector<std::uint32_t> levels_[kLeafDepth];  // interior nodes per depth 0 .. 5
  std::uint32_t leafCount_ = 0;
  bool exact_ = true;
  // Distinct colours in order of first appearance while there are no more than the limit.
  static constexpr int kDistinctSlots = 1024;  // open addressing, at most 1/4 full
  std::uint32_t distinctSlots_[kDistinctSlots];  // colour | 1 << 24; 0 = free
  std::vector<std::uint32_t> distinct_;
};

}  // namespace cz
