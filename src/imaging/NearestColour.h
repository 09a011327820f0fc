#pragma once
// Maps colours to the index of the nearest palette colour (least squared distance in red,
// green and blue; ties go to the lower index), through a cache so that a tile does not pay
// a palette search per pixel.
//
// The cache is direct-mapped on the full 24-bit colour, so every answer is the exact nearest
// colour, never an approximation. A miss searches only the candidates of the colour's cell
// (locally sorted search after Heckbert): the palette colours that can be nearest to some
// point of the cell, ordered by their least distance to the cell, so the scan stops early.
// Cells are small (the colour cube cut into 32 × 32 × 32), as tile palettes crowd around a
// few inks and tints; a cell's list is built when first needed from the list of its coarse
// cell (8 × 8 × 8 cells), which holds the candidates of the larger cell and so of each of
// its parts.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/TilePalette.h"

namespace cz {

class NearestColourMap {
 public:
  NearestColourMap();

  // Sets the palette (1 .. 256 colours) and forgets the cache.
  void SetPalette(const std::vector<PaletteColour>& palette);

  // Index into the palette of the colour nearest to red, green, blue.
  std::uint8_t IndexOf(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return IndexOf((red << 16) | (green << 8) | blue);
  }
  // The same for a colour packed as red << 16 | green << 8 | blue.
  std::uint8_t IndexOf(std::uint32_t colour) {
    const std::uint32_t slot = CacheSlot(colour);
    const std::uint32_t key = colour | generation_;
    if (keys_[slot] == key) return indices_[slot];
    const std::uint8_t index = Search(colour >> 16, (colour >> 8) & 0xFF, colour & 0xFF);
    keys_[slot] = key;
    indices_[slot] = index;
    return index;
  }

  // IndexOf for each of count pixels (alpha ignored) into indices.
  void IndicesOf(const std::uint32_t* pixels, std::size_t count, std::uint8_t* indices);

  const PaletteColour& Colour(std::uint8_t index) const { return palette_[index]; }

 private:
  static constexpr int kCacheBits = 16;
  static std::uint32_t CacheSlot(std::uint32_t colour) {
    return (colour * 2654435761u) >> (32 - kCacheBits);
  }
  static constexpr int kCellBits = 5;    // bits of each channel that select the cell
  static constexpr int kCoarseBits = 3;  // the same for the coarse cell
  static constexpr int kCells = 1 << (3 * kCellBits);
  static constexpr int kCoarseCells = 1 << (3 * kCoarseBits);

  // A palette colour on a cell's list, with its least squared distance to the cell.
  struct Candidate {
    std::int32_t LeastDistance;
    std::uint8_t Index, Red, Green, Blue;
  };

  std::uint8_t Search(std::uint32_t red, std::uint32_t green, std::uint32_t blue);
  void BuildCoarseCell(std::uint32_t coarse);
  void BuildCell(std::uint32_t cell);

  std::vector<PaletteColour> palette_;
  // Cache keys are colour | generation << 24. A new palette starts a new generation, which
  // forgets the cache without clearing it; only when the 255 generations are used up is the
  // cache cleared. Key 0 never matches, as generation 0 is never used.
  std::uint32_t generation_ = 0;
  std::vector<std::uint32_t> keys_;
  std::vector<std::uint8_t> indices_;
  // Per cell: offset into candidates_ + 1 of its list, and its length; 0 = not built. Only
  // the built cells are reset for a new palette.
  std::vector<std::uint32_t> cellStart_;
  std::vector<std::uint16_t> cellCount_;
  std::vector<std::uint32_t> builtCells_;
  std::vector<Candidate> candidates_;
  // Per coarse cell: offset into coarseIndices_ + 1 and length of its list of palette
  // indices (unordered); 0 = not built.
  std::vector<std::uint32_t> coarseStart_;
  std::vector<std::uint16_t> coarseCount_;
  std::vector<std::uint8_t> coarseIndices_;
  // Working lists of BuildCell and BuildCoarseCell.
  std::vector<std::int32_t> reaches_;
  std::vector<std::uint32_t> sortKeys_;
};

}  // namespace cz
