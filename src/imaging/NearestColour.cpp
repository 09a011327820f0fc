#include "imaging/NearestColour.h"

#include <algorithm>
#include <cstddef>

#include "platform/ProcessorFeatures.h"

#if CZ_VECTOR_PATHS
#include <immintrin.h>
#endif

namespace cz {

namespace {

// Squared distances along one channel from every value to every span of 256 / kSpans values:
// the least (0 inside the span) and the greatest. A colour's least and greatest squared
// distance to a cell are the sums of its three channels' entries for the cell's spans.
template <int kSpans>
struct ChannelReach {
  std::uint16_t Least[kSpans][256];
  std::uint16_t Greatest[kSpans][256];
};
template <int kSpans>
constexpr ChannelReach<kSpans> MakeChannelReach() {
  ChannelReach<kSpans> reach{};
  constexpr int kSide = 256 / kSpans;
  for (int span = 0; span < kSpans; ++span) {
    const int low = span * kSide, high = low + kSide - 1;
    for (int value = 0; value < 256; ++value) {
      const int outside = value < low ? low - value : value > high ? value - high : 0;
      const int far = value - low > high - value ? value - low : high - value;
      reach.Least[span][value] = static_cast<std::uint16_t>(outside * outside);
      reach.Greatest[span][value] = static_cast<std::uint16_t>(far * far);
    }
  }
  return reach;
}

constexpr std::int32_t kFarthest = 0x7FFFFFFF;

// Each of count colours' least squared distance to the cell of spans red, green and blue
// into least; returns the bound: the smallest of their greatest squared distances to it.
template <int kSpans, typename ColourAt>
std::int32_t LeastDistancesToCell(const ChannelReach<kSpans>& reach, std::uint32_t red,
                                  std::uint32_t green, std::uint32_t blue, std::size_t count,
                                  ColourAt colourAt, std::vector<std::int32_t>& least) {
  std::int32_t bound = kFarthest;
  least.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const PaletteColour& colour = colourAt(i);
    least[i] = reach.Least[red][colour.Red] + reach.Least[green][colour.Green] +
               reach.Least[blue][colour.Blue];
    bound = std::min(bound, reach.Greatest[red][colour.Red] + reach.Greatest[green][colour.Green] +
                                reach.Greatest[blue][colour.Blue]);
  }
  return bound;
}

}  // namespace

NearestColourMap::NearestColourMap()
    : keys_(std::size_t{1} << kCacheBits, 0),
      indices_(std::size_t{1} << kCacheBits, 0),
      cellStart_(kCells, 0),
      cellCount_(kCells, 0),
      coarseStart_(kCoarseCells, 0),
      coarseCount_(kCoarseCells, 0) {
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
  for (const std::uint32_t cell : builtCells_) cellStart_[cell] = 0;
  builtCells_.clear();
  candidates_.clear();
  std::fill(coarseStart_.begin(), coarseStart_.end(), 0u);
  coarseIndices_.clear();
}

// For every colour its least and greatest squared distance to the cell; the nearest colour
// of any point in the cell lies no farther than the smallest greatest distance (the bound),
// so only colours whose least distance is within the bound are candidates.
void NearestColourMap::BuildCoarseCell(std::uint32_t coarse) {
  static constexpr ChannelReach<1 << kCoarseBits> kReach = MakeChannelReach<1 << kCoarseBits>();
  constexpr std::uint32_t kMask = (1u << kCoarseBits) - 1;
  const std::uint32_t red = coarse >> (2 * kCoarseBits), green = (coarse >> kCoarseBits) & kMask,
                      blue = coarse & kMask;
  const std::int32_t bound = LeastDistancesToCell(
      kReach, red, green, blue, palette_.size(),
      [colours = palette_.data()](std::size_t i) -> const PaletteColour& { return colours[i]; },
      reaches_);
  const std::size_t first = coarseIndices_.size();
  for (std::size_t i = 0; i < reaches_.size(); ++i) {
    if (reaches_[i] <= bound) coarseIndices_.push_back(static_cast<std::uint8_t>(i));
  }
  coarseStart_[coarse] = static_cast<std::uint32_t>(first) + 1;
  coarseCount_[coarse] = static_cast<std::uint16_t>(coarseIndices_.size() - first);
}

// As BuildCoarseCell, over the candidates of the coarse cell around it. A colour left off the
// coarse list is farther from every point of the coarse cell than the coarse bound, which is
// no smaller than this cell's bound (the colour that sets the coarse bound is on the list, and
// its greatest distance to this part of the cell is no greater), so it could not be a
// candidate here either.
void NearestColourMap::BuildCell(std::uint32_t cell) {
  static constexpr ChannelReach<1 << kCellBits> kReach = MakeChannelReach<1 << kCellBits>();
  constexpr std::uint32_t kMask = (1u << kCellBits) - 1;
  constexpr int kDrop = kCellBits - kCoarseBits;
  const std::uint32_t red = cell >> (2 * kCellBits), green = (cell >> kCellBits) & kMask,
                      blue = cell & kMask;
  const std::uint32_t coarse =
      ((red >> kDrop) << (2 * kCoarseBits)) | ((green >> kDrop) << kCoarseBits) | (blue >> kDrop);
  if (coarseStart_[coarse] == 0) BuildCoarseCell(coarse);
  const std::uint8_t* const indices = coarseIndices_.data() + coarseStart_[coarse] - 1;
  const std::size_t count = coarseCount_[coarse];

  const std::int32_t bound = LeastDistancesToCell(
      kReach, red, green, blue, count,
      [colours = palette_.data(), indices](std::size_t i) -> const PaletteColour& {
        return colours[indices[i]];
      },
      reaches_);
  // Sorted by least distance, then index: as one key, least · 256 + index (least < 2^18).
  sortKeys_.clear();
  for (std::size_t i = 0; i < count; ++i) {
    if (reaches_[i] <= bound) {
      sortKeys_.push_back(static_cast<std::uint32_t>(reaches_[i]) << 8 | indices[i]);
    }
  }
  std::sort(sortKeys_.begin(), sortKeys_.end());
  const std::size_t first = candidates_.size();
  for (const std::uint32_t key : sortKeys_) {
    const auto index = static_cast<std::uint8_t>(key & 0xFF);
    const PaletteColour& colour = palette_[index];
    candidates_.push_back(
        {static_cast<std::int32_t>(key >> 8), index, colour.Red, colour.Green, colour.Blue});
  }
  cellStart_[cell] = static_cast<std::uint32_t>(first) + 1;
  cellCount_[cell] = static_cast<std::uint16_t>(candidates_.size() - first);
  builtCells_.push_back(cell);
}

void NearestColourMap::IndicesOf(const std::uint32_t* pixels, std::size_t count,
                                 std::uint8_t* indices) {
  // IndexOf with the cache held in locals: the index stores may alias anything, so members
  // would be read again for every pixel. A run of one colour is looked up once.
  const std::uint32_t* const keys = keys_.data();
  std::uint8_t* const cached = indices_.data();
  const std::uint32_t generation = generation_;
  std::uint32_t previous = 0xFFFFFFFFu;  // no colour: alpha is masked off below
  std::uint8_t index = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t colour = pixels[i] & 0xFFFFFFu;
    if (colour != previous) {
      previous = colour;
      const std::uint32_t slot = CacheSlot(colour);
      index = keys[slot] == (colour | generation) ? cached[slot] : IndexOf(colour);
    }
    indices[i] = index;
  }
}

#if CZ_VECTOR_PATHS
namespace {
// Whole blocks of eight candidates (each two words: least distance, then index, red, green,
// blue in bytes) from `words` on, while at least eight remain and the block's first could
// still win: the least key distance << 8 | index of each block into best. A block's
// candidates past the point where the one-at-a-time scan would stop are farther than the
// best, so taking them changes nothing. Returns the first candidate not yet scanned.
__attribute__((target("avx2"))) std::size_t ScanBlocksAvx2(const std::uint32_t* words,
                                                           std::size_t count, std::int32_t red,
                                                           std::int32_t green, std::int32_t blue,
                                                           std::uint32_t& best) {
  const __m256i r = _mm256_set1_epi32(red), g = _mm256_set1_epi32(green);
  const __m256i b = _mm256_set1_epi32(blue), byte = _mm256_set1_epi32(0xFF);
  std::size_t at = 0;
  for (; count - at >= 8 && static_cast<std::uint32_t>(words[2 * at]) <= (best >> 8); at += 8) {
    const __m256 low = _mm256_castsi256_ps(
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(words + 2 * at)));
    const __m256 high = _mm256_castsi256_ps(
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(words + 2 * at + 8)));
    // The eight colour words, in an order of their own (a minimum does not care).
    const __m256i colours =
        _mm256_castps_si256(_mm256_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1)));
    const __m256i dr = _mm256_sub_epi32(_mm256_and_si256(_mm256_srli_epi32(colours, 8), byte), r);
    const __m256i dg = _mm256_sub_epi32(_mm256_and_si256(_mm256_srli_epi32(colours, 16), byte), g);
    const __m256i db = _mm256_sub_epi32(_mm256_srli_epi32(colours, 24), b);
    const __m256i distance =
        _mm256_add_epi32(_mm256_add_epi32(_mm256_mullo_epi32(dr, dr), _mm256_mullo_epi32(dg, dg)),
                         _mm256_mullo_epi32(db, db));
    __m256i keys = _mm256_or_si256(_mm256_slli_epi32(distance, 8), _mm256_and_si256(colours, byte));
    keys = _mm256_min_epu32(keys, _mm256_permute2x128_si256(keys, keys, 1));
    keys = _mm256_min_epu32(keys, _mm256_shuffle_epi32(keys, _MM_SHUFFLE(1, 0, 3, 2)));
    keys = _mm256_min_epu32(keys, _mm256_shuffle_epi32(keys, _MM_SHUFFLE(2, 3, 0, 1)));
    best = std::min(best, static_cast<std::uint32_t>(_mm256_cvtsi256_si32(keys)));
  }
  return at;
}
}  // namespace
#endif

std::uint8_t NearestColourMap::Search(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
  constexpr int kShift = 8 - kCellBits;
  const std::uint32_t cell =
      ((red >> kShift) << (2 * kCellBits)) | ((green >> kShift) << kCellBits) | (blue >> kShift);
  if (cellStart_[cell] == 0) BuildCell(cell);
  const Candidate* candidate = candidates_.data() + cellStart_[cell] - 1;
  const Candidate* const end = candidate + cellCount_[cell];
  const auto r = static_cast<std::int32_t>(red), g = static_cast<std::int32_t>(green),
             b = static_cast<std::int32_t>(blue);
  std::int32_t best = kFarthest;
  std::uint8_t bestIndex = 0;
#if CZ_VECTOR_PATHS
  // Long lists go eight at a time first; distances stay below 2^18, so distance << 8 | index
  // orders as the scan below does (nearer first, then the lower index).
  static_assert(sizeof(Candidate) == 8 && offsetof(Candidate, Index) == 4 &&
                offsetof(Candidate, Red) == 5 && offsetof(Candidate, Green) == 6 &&
                offsetof(Candidate, Blue) == 7);
  if (end - candidate >= 8 && ProcessorHasAvx2()) {
    std::uint32_t key = 0xFFFFFFFFu;
    candidate += ScanBlocksAvx2(reinterpret_cast<const std::uint32_t*>(candidate),
                                static_cast<std::size_t>(end - candidate), r, g, b, key);
    if (key != 0xFFFFFFFFu) best = static_cast<std::int32_t>(key >> 8), bestIndex = key & 0xFF;
  }
#endif
  // A candidate farther from the cell than the best distance cannot win; equal ones can tie.
  for (; candidate < end && candidate->LeastDistance <= best; ++candidate) {
    const std::int32_t dr = candidate->Red - r, dg = candidate->Green - g, db = candidate->Blue - b;
    const std::int32_t distance = dr * dr + dg * dg + db * db;
    if (distance < best || (distance == best && candidate->Index < bestIndex)) {
      best = distance;
      bestIndex = candidate->Index;
    }
  }
  return bestIndex;
}

}  // namespace cz
