#include "tiling/BilinearSampler.h"

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/ProcessorFeatures.h"

#if CZ_VECTOR_PATHS
#include <immintrin.h>
#endif

namespace cz {
namespace {

// Blue and red (or green and alpha) of a pixel in two 32-bit lanes, room for a 16-bit weight.
inline std::uint64_t BlueRed(std::uint32_t p) {
  return (std::uint64_t{p & 0x00FF0000u} << 16) | (p & 0xFFu);
}
inline std::uint64_t GreenAlpha(std::uint32_t p) {
  return (std::uint64_t{p & 0xFF000000u} << 8) | ((p >> 8) & 0xFFu);
}

// Bilinear mix at fixed-point position (fx, fy) in 1/256 pixel, already known to lie inside
// 0 .. (width − 1) × 256 and 0 .. (height − 1) × 256. A zero fraction reads no neighbour past
// it, so the last column and row never reach outside the chart.
inline std::uint32_t BilinearFixed(const std::uint32_t* pixels, std::size_t width, std::int64_t fx,
                                   std::int64_t fy) {
  const auto wx = static_cast<std::uint32_t>(fx & 255);
  const auto wy = static_cast<std::uint32_t>(fy & 255);
  const std::uint32_t* top =
      pixels + static_cast<std::size_t>(fy >> 8) * width + static_cast<std::size_t>(fx >> 8);
  const std::uint32_t* bottom = top + (wy != 0 ? width : 0);
  const std::size_t right = wx != 0 ? 1 : 0;
  const std::uint32_t p00 = top[0], p01 = top[right], p10 = bottom[0], p11 = bottom[right];
  const std::uint64_t w00 = (256 - wx) * (256 - wy), w01 = wx * (256 - wy);
  const std::uint64_t w10 = (256 - wx) * wy, w11 = wx * wy;
  constexpr std::uint64_t kHalf = 0x0000800000008000ull;
  const std::uint64_t br =
      (BlueRed(p00) * w00 + BlueRed(p01) * w01 + BlueRed(p10) * w10 + BlueRed(p11) * w11 + kHalf) >>
      16;
  const std::uint64_t ga = (GreenAlpha(p00) * w00 + GreenAlpha(p01) * w01 + GreenAlpha(p10) * w10 +
                            GreenAlpha(p11) * w11 + kHalf) >>
                           16;
  return static_cast<std::uint32_t>((br & 0xFF) | ((ga & 0xFF) << 8) | (((br >> 32) & 0xFF) << 16) |
                                    (((ga >> 32) & 0xFF) << 24));
}

#if defined(__SSE2__)
// For each 8-bit fraction f: 256 − f four times, then f four times (16 bits each).
struct FractionWeights {
  alignas(16) std::uint16_t lanes[256][8];
};
constexpr FractionWeights MakeFractionWeights() {
  FractionWeights table{};
  for (int f = 0; f < 256; ++f) {
    for (int k = 0; k < 4; ++k) {
      table.lanes[f][k] = static_cast<std::uint16_t>(256 - f);
      table.lanes[f][k + 4] = static_cast<std::uint16_t>(f);
    }
  }
  return table;
}
constexpr FractionWeights kFractionWeights = MakeFractionWeights();

// The same mix as BilinearFixed where all four neighbours lie inside the chart, the four bytes
// side by side: each row is mixed across first, left × (256 − wx) + right × wx (at most
// 255 × 256, exact in 16 bits), then the two rows down in 32 bits. That is the same integer
// sum as BilinearFixed's four products, rounded the same way once at the end.
inline std::uint32_t BilinearInside(const std::uint32_t* pixels, std::size_t width, std::int64_t fx,
                                    std::int64_t fy) {
  const std::uint32_t* top =
      pixels + static_cast<std::size_t>(fy >> 8) * width + static_cast<std::size_t>(fx >> 8);
  const __m128i zero = _mm_setzero_si128();
  const __m128i rows =
      _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(top)),
                         _mm_loadl_epi64(reinterpret_cast<const __m128i*>(top + width)));
  const __m128i across =
      _mm_load_si128(reinterpret_cast<const __m128i*>(kFractionWeights.lanes[fx & 255]));
  const __m128i down =
      _mm_load_si128(reinterpret_cast<const __m128i*>(kFractionWeights.lanes[fy & 255]));
  const __m128i upper = _mm_mullo_epi16(_mm_unpacklo_epi8(rows, zero), across);
  const __m128i lower = _mm_mullo_epi16(_mm_unpackhi_epi8(rows, zero), across);
  const __m128i mixed = _mm_unpacklo_epi64(_mm_add_epi16(upper, _mm_srli_si128(upper, 8)),
                                           _mm_add_epi16(lower, _mm_srli_si128(lower, 8)));
  const __m128i low = _mm_mullo_epi16(mixed, down), high = _mm_mulhi_epu16(mixed, down);
  const __m128i sum =
      _mm_add_epi32(_mm_add_epi32(_mm_unpacklo_epi16(low, high), _mm_unpackhi_epi16(low, high)),
                    _mm_set1_epi32(0x8000));
  const __m128i bytes = _mm_packs_epi32(_mm_srli_epi32(sum, 16), zero);
  return static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(bytes, zero)));
}
#endif

// The comparisons also reject NaN before any conversion.
inline std::uint32_t SampleOne(const FixedChart& chart, double tx, double ty) {
#if defined(__SSE2__)
  if (tx >= 0 && tx < chart.innerX && ty >= 0 && ty < chart.innerY) {
    return BilinearInside(chart.pixels, chart.width, static_cast<std::int64_t>(tx),
                          static_cast<std::int64_t>(ty));
  }
#endif
  if (!(tx >= 0 && tx < chart.limitX && ty >= 0 && ty < chart.limitY)) return 0;
  return BilinearFixed(chart.pixels, chart.width, static_cast<std::int64_t>(tx),
                       static_cast<std::int64_t>(ty));
}


#if CZ_VECTOR_PATHS
// Four positions at a time with AVX2: BilinearInside's steps for two pixels in each 128-bit
// half of a register, so every pixel gets the same integer sums, rounded the same way. Only
// groups of four whose neighbours all lie inside the chart take this way; the others, and a
// row's last one to three positions, go one at a time.

// For each 128-bit half, the weights of the fraction picked into it (dword `pick` of
// fractions): 256 − f four times, then f four times, in 16 bits.
__attribute__((target("avx2"))) inline __m256i WeightPairs(__m128i fractions, __m256i pick) {
  const __m256i f = _mm256_permutevar8x32_epi32(_mm256_castsi128_si256(fractions), pick);
  // Every dword holds f < 256: copy its low word into all eight words of the half.
  const __m256i spread = _mm256_shuffle_epi8(
      f, _mm256_setr_epi8(0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0,
                          1, 0, 1, 0, 1, 0, 1));
  return _mm256_blend_epi16(_mm256_sub_epi16(_mm256_set1_epi16(256), spread), spread, 0xF0);
}

// One pixel per half: its top and bottom neighbour pairs widened to 16 bits, mixed across
// then down; the four rounded channel values in 32 bits.
__attribute__((target("avx2"))) inline __m256i MixPairs(__m256i top, __m256i bottom,
                                                        __m256i across, __m256i down) {
  const __m256i upper = _mm256_mullo_epi16(top, across);
  const __m256i lower = _mm256_mullo_epi16(bottom, across);
  const __m256i mixed = _mm256_unpacklo_epi64(_mm256_add_epi16(upper, _mm256_srli_si256(upper, 8)),
                                              _mm256_add_epi16(lower, _mm256_srli_si256(lower, 8)));
  const __m256i low = _mm256_mullo_epi16(mixed, down), high = _mm256_mulhi_epu16(mixed, down);
  const __m256i sum = _mm256_add_epi32(
      _mm256_add_epi32(_mm256_unpacklo_epi16(low, high), _mm256_unpackhi_epi16(low, high)),
      _mm256_set1_epi32(0x8000));
  return _mm256_srli_epi32(sum, 16);
}

// Two neighbouring pixels in the low half.
inline __m128i Pair(const std::uint32_t* p) {
  return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}

__attribute__((target("avx2"))) void SampleRowAvx2(const FixedChart& chart, const double* tx,
                                                   const double* ty, std::size_t count,
                                                   std::uint32_t* out) {
  const __m256d zero = _mm256_setzero_pd();
  const __m256d innerX = _mm256_set1_pd(chart.innerX), innerY = _mm256_set1_pd(chart.innerY);
  const __m256i width = _mm256_set1_epi64x(static_cast<long long>(chart.width));
  const __m128i fraction = _mm_set1_epi32(255);
  // Pixels A, B, C, D of a group: A and C fill the halves of one register, B and D another.
  const __m256i pickAC = _mm256_setr_epi32(0, 0, 0, 0, 2, 2, 2, 2);
  const __m256i pickBD = _mm256_setr_epi32(1, 1, 1, 1, 3, 3, 3, 3);
  std::size_t k = 0;
  for (; k + 4 <= count; k += 4) {
    const __m256d x = _mm256_loadu_pd(tx + k), y = _mm256_loadu_pd(ty + k);
    // Ordered comparisons: NaN is never inside.
    const __m256d inside =
        _mm256_and_pd(_mm256_and_pd(_mm256_cmp_pd(x, zero, _CMP_GE_OQ),
                                    _mm256_cmp_pd(x, innerX, _CMP_LT_OQ)),
                      _mm256_and_pd(_mm256_cmp_pd(y, zero, _CMP_GE_OQ),
                                    _mm256_cmp_pd(y, innerY, _CMP_LT_OQ)));
    if (_mm256_movemask_pd(inside) != 0xF) {
      for (std::size_t m = k; m < k + 4; ++m) out[m] = SampleOne(chart, tx[m], ty[m]);
      continue;
    }
    // Inside, both are below 2^31 (checked by the caller): truncation as SampleOne's.
    const __m128i fx = _mm256_cvttpd_epi32(x), fy = _mm256_cvttpd_epi32(y);
    const __m256i at =
        _mm256_add_epi64(_mm256_mul_epu32(_mm256_cvtepu32_epi64(_mm_srli_epi32(fy, 8)), width),
                         _mm256_cvtepu32_epi64(_mm_srli_epi32(fx, 8)));
    // Each pixel's left and right neighbour, in its row and the next: eight loads of two
    // pixels (a gather of them is slower on the processors measured).
    alignas(32) std::uint64_t offsets[4];
    _mm256_store_si256(reinterpret_cast<__m256i*>(offsets), at);
    const std::uint32_t* a = chart.pixels + offsets[0];
    const std::uint32_t* b = chart.pixels + offsets[1];
    const std::uint32_t* c = chart.pixels + offsets[2];
    const std::uint32_t* d = chart.pixels + offsets[3];
    const std::size_t below = chart.width;
    const __m256i top = _mm256_set_m128i(_mm_unpacklo_epi64(Pair(c), Pair(d)),
                                         _mm_unpacklo_epi64(Pair(a), Pair(b)));
    const __m256i bottom =
        _mm256_set_m128i(_mm_unpacklo_epi64(Pair(c + below), Pair(d + below)),
                         _mm_unpacklo_epi64(Pair(a + below), Pair(b + below)));
    const __m128i wx = _mm_and_si128(fx, fraction), wy = _mm_and_si128(fy, fraction);
    const __m256i none = _mm256_setzero_si256();
    const __m256i ac = MixPairs(_mm256_unpacklo_epi8(top, none), _mm256_unpacklo_epi8(bottom, none),
                                WeightPairs(wx, pickAC), WeightPairs(wy, pickAC));
    const __m256i bd = MixPairs(_mm256_unpackhi_epi8(top, none), _mm256_unpackhi_epi8(bottom, none),
                                WeightPairs(wx, pickBD), WeightPairs(wy, pickBD));
    // Halves: A B and C D as bytes in their low eight bytes; then A B C D side by side.
    const __m256i bytes = _mm256_packus_epi16(_mm256_packs_epi32(ac, bd), none);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k),
                     _mm256_castsi256_si128(_mm256_permute4x64_epi64(bytes, 0x08)));
  }
  for (; k < count; ++k) out[k] = SampleOne(chart, tx[k], ty[k]);
}
#endif

}  // namespace

std::uint32_t SampleFixed(const FixedChart& chart, double tx, double ty) {
  return SampleOne(chart, tx, ty);
}

void SampleFixedRowOneByOne(const FixedChart& chart, const double* tx, const double* ty,
                            std::size_t count, std::uint32_t* out) {
  for (std::size_t k = 0; k < count; ++k) out[k] = SampleOne(chart, tx[k], ty[k]);
}

void SampleFixedRow(const FixedChart& chart, const double* tx, const double* ty, std::size_t count,
                    std::uint32_t* out) {
#if CZ_VECTOR_PATHS
  // The four-at-a-time way converts inside positions to 32 bits.
  constexpr double kBelow2To31 = 2147483647.0;
  if (chart.innerX <= kBelow2To31 && chart.innerY <= kBelow2To31 && ProcessorHasAvx2()) {
    SampleRowAvx2(chart, tx, ty, count, out);
    return;
  }
#endif
  SampleFixedRowOneByOne(chart, tx, ty, count, out);
}

}  // namespace cz
