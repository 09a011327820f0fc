#include "imaging/TiffSampleScaling.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "imaging/TiffNoData.h"

namespace cz {
namespace {

// ---- Loading sample i of a row ----

struct LoadByte {
  std::uint32_t operator()(const std::uint8_t* row, std::size_t i) const { return row[i]; }
};

template <typename T>
T LoadHost(const std::uint8_t* at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

struct LoadHost16 {
  std::uint32_t operator()(const std::uint8_t* row, std::size_t i) const {
    return LoadHost<std::uint16_t>(row + 2 * i);
  }
};

struct LoadHost24 {
  std::uint32_t operator()(const std::uint8_t* row, std::size_t i) const {
    const std::uint8_t* at = row + 3 * i;
    if constexpr (std::endian::native == std::endian::little) {
      return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16;
    } else {
      return std::uint32_t{at[2]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[0]} << 16;
    }
  }
};

struct LoadHost32 {
  std::uint32_t operator()(const std::uint8_t* row, std::size_t i) const {
    return LoadHost<std::uint32_t>(row + 4 * i);
  }
};

// Depths that are not whole bytes: a bit stream, most significant bit first. A sample is cut
// from the eight bytes it starts in while they lie before End (the end of the bytes the
// segment's samples cover), byte by byte near it: never a byte past the samples is read.
struct LoadBitStream {
  int Bits;
  const std::uint8_t* End;
  std::uint32_t operator()(const std::uint8_t* row, std::size_t i) const {
    const std::uint64_t firstBit = std::uint64_t{i} * static_cast<unsigned>(Bits);
    const std::uint8_t* at = row + firstBit / 8;
    const int skipped = static_cast<int>(firstBit % 8);
    if (End - at >= 8) {  // skipped + Bits <= 39 bits of the word
      std::uint64_t word = LoadHost<std::uint64_t>(at);
      if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
      return static_cast<std::uint32_t>((word << skipped) >> (64 - Bits));
    }
    std::uint64_t value = *at & (0xFFu >> skipped);
    int held = 8 - skipped;
    while (held < Bits) {
      value = value << 8 | *++at;
      held += 8;
    }
    return static_cast<std::uint32_t>(value >> (held - Bits));
  }
};

// IEEE half precision, widened exactly through its single-precision bit pattern.
float HalfToFloat(std::uint16_t half) {
  const std::uint32_t sign = std::uint32_t{half & 0x8000u} << 16;
  const std::uint32_t exponent = (half >> 10) & 0x1Fu;
  const std::uint32_t mantissa = half & 0x3FFu;
  if (exponent == 0) {  // zero or subnormal: mantissa × 2^-24, exact in a float
    const float magnitude = static_cast<float>(mantissa) * 0x1p-24f;
    return sign != 0 ? -magnitude : magnitude;
  }
  const std::uint32_t floatExponent = exponent == 0x1F ? 0xFFu : exponent + (127 - 15);
  return std::bit_cast<float>(sign | floatExponent << 23 | mantissa << 13);
}

struct LoadHalf {
  double operator()(const std::uint8_t* row, std::size_t i) const {
    return HalfToFloat(LoadHost<std::uint16_t>(row + 2 * i));
  }
};
struct LoadFloat {
  double operator()(const std::uint8_t* row, std::size_t i) const {
    return LoadHost<float>(row + 4 * i);
  }
};
struct LoadDouble {
  double operator()(const std::uint8_t* row, std::size_t i) const {
    return LoadHost<double>(row + 8 * i);
  }
};

// Calls visit with the loader for the depth, so that each channel's loop is compiled for it.
// end: one past the last byte of the samples to be loaded.
template <typename Visit>
void WithIntegerLoader(int bits, const std::uint8_t* end, Visit&& visit) {
  switch (bits) {
    case 8:
      return visit(LoadByte{});
    case 16:
      return visit(LoadHost16{});
    case 24:
      return visit(LoadHost24{});
    case 32:
      return visit(LoadHost32{});
    default:
      return visit(LoadBitStream{bits, end});
  }
}

template <typename Visit>
void WithFloatLoader(int bits, Visit&& visit) {
  switch (bits) {
    case 16:
      return visit(LoadHalf{});
    case 32:
      return visit(LoadFloat{});
    default:
      return visit(LoadDouble{});
  }
}

// Calls visit(load(row, sample)) for the channel's sample of each of `pixels` pixels.
template <typename Load, typename Visit>
void ForEachSample(const std::uint8_t* row, const SampleLayout::Source& source, std::size_t pixels,
                   Load load, Visit&& visit) {
  std::size_t sample = source.First;
  for (std::size_t i = 0; i < pixels; ++i, sample += source.Stride) visit(i, load(row, sample));
}

// ---- Scaling to 8 bits ----

// v × 255 / max rounded to nearest, in integers: v × 255 / max is never halfway between two
// integers (max = 2^b − 1 is odd), so no tie rule is needed.
std::uint8_t ScaleInteger(std::uint64_t value, std::uint64_t max) {
  return static_cast<std::uint8_t>((value * 510 + max) / (2 * max));
}

// Signed samples count from their minimum: flipping the sign bit of their two's complement
// bits does exactly that.
std::uint32_t SignFlip(const SampleLayout& layout) {
  return layout.Format == SampleFormat::Signed ? 1u << (layout.Bits - 1) : 0;
}

// Floats over [low, high] of the colour range. Halves are taken before subtracting so that
// the span of two finite doubles cannot overflow; the quotient is the same.
struct FloatScale {
  double LowHalf = 0;
  double SpanHalf = 0.5;
  bool Invert = false;
  std::uint8_t operator()(double v) const {
    if (!std::isfinite(v)) return 0;
    double t = (v * 0.5 - LowHalf) / SpanHalf;
    if (!(t >= 0)) t = 0;  // also catches NaN, should the division give one
    if (t > 1) t = 1;
    const auto byte = static_cast<std::uint8_t>(std::nearbyint(t * 255));
    return Invert ? static_cast<std::uint8_t>(255 - byte) : byte;
  }
};

// The colour scale of an image whose finite colour samples span lowest..highest.
FloatScale ColourScale(bool anyFinite, double lowest, double highest, bool minIsWhite) {
  FloatScale scale;
  scale.Invert = minIsWhite;
  if (anyFinite && !(lowest >= 0 && highest <= 1)) {
    double low = lowest;
    double high = highest;
    // A single value (or two too close for their halves to differ): take in 0-1.
    if (!(high * 0.5 - low * 0.5 > 0)) {
      low = std::min(low, 0.0);
      high = std::max(high, 1.0);
    }
    scale.LowHalf = low * 0.5;
    scale.SpanHalf = high * 0.5 - low * 0.5;
  }
  return scale;
}

std::uint8_t FloatAlpha(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<std::uint8_t>(std::nearbyint(std::clamp(v, 0.0, 1.0) * 255));
}

std::uint32_t Pack(std::uint32_t red, std::uint32_t green, std::uint32_t blue,
                   std::uint32_t alpha) {
  return alpha << 24 | red << 16 | green << 8 | blue;
}

}  // namespace

std::uint64_t SampleScaler::WorkingBytes(const SampleLayout& layout, std::uint64_t mostPixels) {
  std::uint64_t bytes = 5 * mostPixels;  // four channels and a nodata flag per pixel
  if (layout.Format != SampleFormat::Float && layout.Bits <= 16) {
    bytes += std::uint64_t{2} << layout.Bits;
  }
  if (layout.Alpha == AlphaKind::Unassociated) bytes += 256 * 256;
  return bytes;
}

SampleScaler::SampleScaler(const SampleLayout& layout, std::size_t mostPixels,
                           std::optional<double> noData)
    : layout_(layout), channels_(4 * mostPixels), mostPixels_(mostPixels) {
  if (layout_.Format == SampleFormat::Float) {
    hasNoData_ = noData.has_value();
    if (hasNoData_) {
      noDataValue_ =
          layout_.Bits == 64 ? *noData : static_cast<double>(static_cast<float>(*noData));
    }
  } else if (const auto bits =
                 NoDataSampleBits(noData, layout_.Bits, layout_.Format == SampleFormat::Signed)) {
    hasNoData_ = true;
    noDataBits_ = *bits;
  }
  if (hasNoData_) noData_.resize(mostPixels);
  if (layout_.Format != SampleFormat::Float && layout_.Bits <= 16) {
    const std::uint32_t flip = SignFlip(layout_);
    const std::uint32_t values = 1u << layout_.Bits;
    colourBytes_.resize(values);
    alphaBytes_.resize(values);
    for (std::uint32_t raw = 0; raw < values; ++raw) {
      const std::uint8_t byte = ScaleInteger(raw ^ flip, values - 1);
      alphaBytes_[raw] = byte;
      colourBytes_[raw] = layout_.MinIsWhite ? static_cast<std::uint8_t>(255 - byte) : byte;
    }
  }
  if (layout_.Alpha == AlphaKind::Unassociated) {
    premultiplied_.resize(256 * 256);
    for (std::uint32_t alpha = 0; alpha < 256; ++alpha) {
      for (std::uint32_t colour = 0; colour < 256; ++colour) {
        premultiplied_[alpha * 256 + colour] =
            static_cast<std::uint8_t>((colour * alpha + 127) / 255);
      }
    }
  }
}

void SampleScaler::WidenRange(const std::uint8_t* const* planes, std::size_t pixels) {
  if (layout_.Format != SampleFormat::Float) return;
  for (int channel = 0; channel < layout_.ColourChannels; ++channel) {
    const SampleLayout::Source& source = layout_.Sources[channel];
    WithFloatLoader(layout_.Bits, [&](auto load) {
      ForEachSample(planes[source.Plane], source, pixels, load, [&](std::size_t, double v) {
        if (!std::isfinite(v)) return;
        if (!anyFinite_ || v < lowest_) lowest_ = v;
        if (!anyFinite_ || v > highest_) highest_ = v;
        anyFinite_ = true;
      });
    });
  }
}

void SampleScaler::ChannelToBytes(int channel, const std::uint8_t* const* planes,
                                  std::size_t pixels, std::uint8_t* to) const {
  const SampleLayout::Source& source = layout_.Sources[channel];
  const std::uint8_t* row = planes[source.Plane];
  const bool alpha = channel == layout_.ColourChannels;
  const std::uint64_t samplesCovered =
      source.First + std::uint64_t{source.Stride} * (pixels - 1) + 1;
  const std::uint8_t* end = row + (samplesCovered * static_cast<unsigned>(layout_.Bits) + 7) / 8;

  if (layout_.Format == SampleFormat::Float) {
    const FloatScale scale = ColourScale(anyFinite_, lowest_, highest_, layout_.MinIsWhite);
    WithFloatLoader(layout_.Bits, [&](auto load) {
      if (alpha) {
        ForEachSample(row, source, pixels, load,
                      [&](std::size_t i, double v) { to[i] = FloatAlpha(v); });
      } else {
        ForEachSample(row, source, pixels, load,
                      [&](std::size_t i, double v) { to[i] = scale(v); });
      }
    });
  } else if (layout_.Bits <= 16) {
    const std::uint8_t* bytes = alpha ? alphaBytes_.data() : colourBytes_.data();
    WithIntegerLoader(layout_.Bits, end, [&](auto load) {
      ForEachSample(row, source, pixels, load,
                    [&](std::size_t i, std::uint32_t raw) { to[i] = bytes[raw]; });
    });
  } else {
    const std::uint32_t flip = SignFlip(layout_);
    const std::uint64_t max = (std::uint64_t{1} << layout_.Bits) - 1;
    const bool invert = layout_.MinIsWhite && !alpha;
    WithIntegerLoader(layout_.Bits, end, [&](auto load) {
      ForEachSample(row, source, pixels, load, [&](std::size_t i, std::uint32_t raw) {
        const std::uint8_t byte = ScaleInteger(raw ^ flip, max);
        to[i] = invert ? static_cast<std::uint8_t>(255 - byte) : byte;
      });
    });
  }
}

void SampleScaler::FindNoData(const std::uint8_t* const* planes, std::size_t pixels) {
  std::fill_n(noData_.begin(), pixels, std::uint8_t{1});
  for (int channel = 0; channel < layout_.ColourChannels; ++channel) {
    const SampleLayout::Source& source = layout_.Sources[channel];
    const std::uint8_t* row = planes[source.Plane];
    if (layout_.Format == SampleFormat::Float) {
      const bool nan = std::isnan(noDataValue_);
      WithFloatLoader(layout_.Bits, [&](auto load) {
        ForEachSample(row, source, pixels, load, [&](std::size_t i, double v) {
          noData_[i] &= (v == noDataValue_ || (nan && std::isnan(v))) ? 1 : 0;
        });
      });
    } else {
      const std::uint64_t samplesCovered =
          source.First + std::uint64_t{source.Stride} * (pixels - 1) + 1;
      const std::uint8_t* end =
          row + (samplesCovered * static_cast<unsigned>(layout_.Bits) + 7) / 8;
      WithIntegerLoader(layout_.Bits, end, [&](auto load) {
        ForEachSample(row, source, pixels, load, [&](std::size_t i, std::uint32_t raw) {
          noData_[i] &= raw == noDataBits_ ? 1 : 0;
        });
      });
    }
  }
}

void SampleScaler::ToRaster(const std::uint8_t* const* planes, std::size_t pixels,
                            std::uint32_t* to, std::ptrdiff_t step) {
  pixels = std::min(pixels, mostPixels_);
  if (pixels == 0) return;
  std::uint8_t* channel[4];
  for (int c = 0; c < 4; ++c) channel[c] = channels_.data() + c * mostPixels_;
  const int channels = layout_.ColourChannels + (layout_.Alpha != AlphaKind::None ? 1 : 0);
  for (int c = 0; c < channels; ++c) ChannelToBytes(c, planes, pixels, channel[c]);
  const std::uint8_t* red = channel[0];
  const std::uint8_t* green = layout_.ColourChannels == 3 ? channel[1] : red;
  const std::uint8_t* blue = layout_.ColourChannels == 3 ? channel[2] : red;
  const std::uint8_t* alpha = channel[layout_.ColourChannels];

  // Indexed rather than stepped, so that a mirrored row never points before its start.
  const auto at = [to, step](std::size_t i) -> std::uint32_t& {
    return to[static_cast<std::ptrdiff_t>(i) * step];
  };
  switch (layout_.Alpha) {
    case AlphaKind::None:
      for (std::size_t i = 0; i < pixels; ++i) at(i) = Pack(red[i], green[i], blue[i], 255);
      break;
    case AlphaKind::Associated:
      for (std::size_t i = 0; i < pixels; ++i) at(i) = Pack(red[i], green[i], blue[i], alpha[i]);
      break;
    case AlphaKind::Unassociated:
      for (std::size_t i = 0; i < pixels; ++i) {
        const std::uint8_t* times = premultiplied_.data() + std::size_t{alpha[i]} * 256;
        at(i) = Pack(times[red[i]], times[green[i]], times[blue[i]], alpha[i]);
      }
      break;
  }
  if (hasNoData_) {
    FindNoData(planes, pixels);
    for (std::size_t i = 0; i < pixels; ++i) {
      if (noData_[i] != 0) at(i) &= 0x00FFFFFFu;
    }
  }
}

}  // namespace cz
