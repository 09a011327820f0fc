#pragma once
// Samples of any depth turned into raster pixels, one row segment at a time, for the TIFF
// layouts the direct decoder and libtiff's RGBA interface do not read (TiffGeneralDecode.h).
// No libtiff here: it works on rows of samples as libtiff delivers them decoded.
//
// Samples lie in a row as TIFF packs them: depths of 8, 16, 24, 32 and 64 bits in whole bytes
// of this machine's byte order (libtiff swaps them), every other depth as a bit stream, most
// significant bit first. A row segment is up to four planes of such rows (one per sample when
// the file keeps its samples apart, else one).
//
// Each channel is scaled to 8 bits, rounded to nearest:
//   unsigned integers of b bits (1-32): v × 255 / (2^b − 1);
//   signed integers: the same, counted from the range's minimum upwards (−2^(b−1) gives 0);
//   floats (16, 32, 64 bits): over the image's range, one range for every colour channel so
//     that colours keep their balance: 0-1 as it stands when every finite colour sample lies
//     within [0, 1] (reflectances), else the finite colour samples' min..max. A range of one
//     value outside [0, 1] is widened to take in 0-1, so that value shows white (above 1) or
//     black (below 0). NaN and ±infinity give 0. A float alpha is 0-1 as it stands, clamped.
// Min-is-white grey is inverted (255 − v; a non-finite sample stays black). Without alpha a
// pixel is opaque; associated alpha is taken as it is; unassociated alpha premultiplies the
// colours as the RGBA interface does for RGB ((c × a + 127) / 255), so the raster holds the same
// kind of colours whichever decoder filled it. Pixels whose colour samples equal the nodata
// value (TiffNoData.h), compared before scaling, get alpha 0 and keep their colour. (Such
// samples still count in a float image's range, as they always did.)

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace cz {

enum class SampleFormat : std::uint8_t { Unsigned, Signed, Float };
enum class AlphaKind : std::uint8_t { None, Associated, Unassociated };

struct SampleLayout {
  int Bits = 8;  // 1-32 for integers, 16, 32 or 64 for floats
  SampleFormat Format = SampleFormat::Unsigned;
  int ColourChannels = 1;  // 1 (grey) or 3 (red, green, blue)
  AlphaKind Alpha = AlphaKind::None;
  bool MinIsWhite = false;
  // Where a channel's samples lie: pixel i's is sample First + i × Stride of plane Plane.
  struct Source {
    int Plane = 0;
    std::uint32_t First = 0;
    std::uint32_t Stride = 1;
    bool operator==(const Source&) const = default;
  };
  std::array<Source, 4> Sources{};  // the colour channels, then alpha
  bool operator==(const SampleLayout&) const = default;
};

class SampleScaler {
 public:
  // For segments of up to mostPixels pixels, with the image's nodata value if it has one.
  // Throws std::bad_alloc.
  SampleScaler(const SampleLayout& layout, std::size_t mostPixels,
               std::optional<double> noData = std::nullopt);

  // Bytes the scaler holds, for the reader's memory bound.
  static std::uint64_t WorkingBytes(const SampleLayout& layout, std::uint64_t mostPixels);

  // Floats: every segment of the image passes through here before any is converted (the
  // range decides the scale). Integers need no range.
  void WidenRange(const std::uint8_t* const* planes, std::size_t pixels);

  // Writes a segment's pixels as raster pixels: pixel i to to[i × step] (step 1, or −1 for a
  // mirrored row).
  void ToRaster(const std::uint8_t* const* planes, std::size_t pixels, std::uint32_t* to,
                std::ptrdiff_t step);

 private:
  void ChannelToBytes(int channel, const std::uint8_t* const* planes, std::size_t pixels,
                      std::uint8_t* to) const;
  // Sets noData_[i] to whether every colour sample of pixel i is the nodata value.
  void FindNoData(const std::uint8_t* const* planes, std::size_t pixels);

  SampleLayout layout_;
  std::vector<std::uint8_t> channels_;  // 4 × mostPixels: the scaled channels of a segment
  std::size_t mostPixels_ = 0;
  // Integers up to 16 bits: the byte of every raw sample value, for colours and for alpha.
  std::vector<std::uint8_t> colourBytes_;
  std::vector<std::uint8_t> alphaBytes_;
  std::vector<std::uint8_t> premultiplied_;  // unassociated alpha: [alpha × 256 + colour]
  double lowest_ = 0;                        // floats: the finite colour samples seen so far
  double highest_ = 0;
  bool anyFinite_ = false;
  // The nodata value as the samples hold it: raw bits of integers, or a float's value.
  bool hasNoData_ = false;
  std::uint32_t noDataBits_ = 0;
  double noDataValue_ = 0;
  std::vector<std::uint8_t> noData_;  // mostPixels flags, when hasNoData_
};

}  // namespace cz
