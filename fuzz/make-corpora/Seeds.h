#pragma once
// The corpus generator's shared pieces: where seeds go, the picture every image seed shows,
// and byte-level helpers for the formats written by hand.
//
// Every seed is written under a fixed name, from fixed inputs, so a second run gives the
// same bytes; seeds other than the generator's own (found crashes, hand-made ones) sit
// beside them untouched.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace cz::seeds {

inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
inline constexpr double kInf = std::numeric_limits<double>::infinity();

// One target's seed folder.
class Corpus {
 public:
  Corpus(const std::filesystem::path& root, const std::string& target);
  // Writes one seed. A seed above kMaxSeedBytes is a mistake in the generator: it throws.
  void Write(const std::string& name, std::string_view bytes);
  // The seed cut to its first `keep` bytes, a file that ends early.
  void WriteTruncated(const std::string& name, std::string_view bytes, std::size_t keep);
  int Count() const { return count_; }

  static constexpr std::size_t kMaxSeedBytes = 16 * 1024;

 private:
  std::filesystem::path folder_;
  int count_ = 0;
};

// The picture of every image seed: a diagonal ramp per channel with a 4 × 4 checkerboard over
// it, so that compressors, predictors and colour reduction all have something to do.
std::uint8_t Pattern(int x, int y, int channel);

// Runs write(path) on a fresh temporary file and returns what it left there (for libraries
// that write only to files).
std::string BytesWrittenBy(const std::function<void(const std::string& path)>& write);

// Little-endian and big-endian byte appenders for hand-built headers.
class Bytes {
 public:
  Bytes& U8(std::uint32_t v);
  Bytes& U16(std::uint32_t v);
  Bytes& U32(std::uint32_t v);
  Bytes& U16BE(std::uint32_t v);
  Bytes& U32BE(std::uint32_t v);
  Bytes& Raw(std::string_view s);
  Bytes& Fill(std::size_t count, std::uint8_t v);
  std::string& Str() { return s_; }
  std::size_t Size() const { return s_.size(); }

 private:
  std::string s_;
};

// PNG's chunk CRC (ISO 3309), for chunks patched after libpng wrote them.
std::uint32_t Crc32(std::string_view bytes);

// Tiles as the program's tile output writes them (GifSeeds.cpp): `colours` palette entries
// over a diagonal pattern; or the encoder's tile of horizontal bands crossed by a road, small
// even at the real tile height.
std::string ProgramTileGif(int width, int height, int colours);
std::string BandTileGif(int width, int height);

void MakeTiffSeeds(Corpus& corpus);
void MakeGeoTiffSeeds(Corpus& corpus);
void MakeJpegSeeds(Corpus& corpus);
void MakeBmpSeeds(Corpus& corpus);
void MakePngSeeds(Corpus& corpus);
void MakeExistingTileSeeds(Corpus& corpus);
void MakeGifTileSeeds(Corpus& corpus);
void MakeMapFileSeeds(Corpus& corpus);  // mapfile and mapview take the same files
void MakeCommandLineSeeds(Corpus& corpus);
void MakeTilePaletteSeeds(Corpus& corpus);
void MakeTileNameSeeds(Corpus& corpus);
void MakeWorldFileSeeds(Corpus& corpus);
void MakeGridLayoutSeeds(Corpus& corpus);

}  // namespace cz::seeds
