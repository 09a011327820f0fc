#include "efismap/GifTileReader.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "imaging/TileEncoder.h"
#include "support/ChartLikeTile.h"
#include "support/DrawnPixels.h"
#include "support/GifTestFiles.h"

namespace cz {
namespace {

using testing::CountDrawn;
using testing::AssembleGif;
using testing::ClearPolicy;
using testing::CodeWriter;
using testing::EncodeLzw;
using testing::EncodeWithGiflib;
using testing::GifParts;
using testing::IndexedImage;
using testing::Rgb;
using testing::TestColour;
using testing::ViewPixel;

constexpr int kView = 1280;

std::span<const std::uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

struct Decoded {
  GifTileOutcome outcome;
  std::size_t position;
};

Decoded Decode(const std::string& gif, Raster32& view, std::int32_t x = 0, std::int32_t y = 0,
               int targetWidth = -1, int imageWidth = 0) {
  MemoryGifSource source(Bytes(gif));
  const auto width = static_cast<std::uint16_t>(targetWidth < 0 ? imageWidth : targetWidth);
  const GifTileOutcome outcome = ReadGifTile(source, x, y, width, view);
  return {outcome, source.Position()};
}

// An image whose pixel (x, y) has index (x + 3y) mod colourCount, all colours distinct.
IndexedImage Ramp(int width, int height, int colourCount = 256) {
  IndexedImage image;
  image.width = width;
  image.height = height;
  for (int i = 0; i < colourCount; ++i) image.colours.push_back(TestColour(i));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      image.indices.push_back(static_cast<std::uint8_t>((x + 3 * y) % colourCount));
    }
  }
  return image;
}

std::uint32_t ColourOf(const IndexedImage& image, int x, int y) {
  return ViewPixel(image.colours[image.At(x, y)]);
}

// The view shows image at (0, 0), pixel for pixel.
void ExpectShows(const Raster32& view, const IndexedImage& image) {
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      ASSERT_EQ(view.At(x, y), ColourOf(image, x, y)) << x << "," << y;
    }
  }
}

// Our decoder draws gif exactly as giflib decodes it.
void ExpectSameAsGiflib(const std::string& gif, int targetWidth) {
  int width = 0, height = 0;
  const std::vector<std::uint32_t> reference = testing::DecodeWithGiflib(gif, &width, &height);
  Raster32 view(kView, kView);
  const Decoded result = Decode(gif, view, 0, 0, targetWidth);
  ASSERT_EQ(result.outcome, GifTileOutcome::kDrawn);
  EXPECT_EQ(result.position, gif.size() - 1);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      ASSERT_EQ(view.At(x, y), reference[static_cast<std::size_t>(y) * width + x]) << x << "," << y;
    }
  }
  EXPECT_EQ(CountDrawn(view), static_cast<std::size_t>(width) * height);
}

// --- Signature --------------------------------------------------------------------------

struct SignatureCase {
  const char* signature;
  bool drawn;
};

class Signature : public ::testing::TestWithParam<SignatureCase> {};

TEST_P(Signature, OnlyGif87aIsDrawn) {
  const IndexedImage image = Ramp(20, 10);
  std::string gif = EncodeWithGiflib(image);
  ASSERT_EQ(gif.substr(0, 6), "GIF87a");
  gif.replace(0, 6, GetParam().signature);
  Raster32 view(kView, kView);
  const Decoded result = Decode(gif, view, 0, 0, -1, 20);
  if (GetParam().drawn) {
    EXPECT_EQ(result.outcome, GifTileOutcome::kDrawn);
    EXPECT_EQ(CountDrawn(view), 200u);
    EXPECT_EQ(result.position, gif.size() - 1);  // just past the terminator, trailer unread
  } else {
    EXPECT_EQ(result.outcome, GifTileOutcome::kRefused);
    EXPECT_EQ(CountDrawn(view), 0u);
    EXPECT_EQ(result.position, 13u);
  }
}

INSTANTIATE_TEST_SUITE_P(GifTileReader, Signature,
                         ::testing::Values(SignatureCase{"GIF87a", true},
                                           SignatureCase{"GIF89a", false},
                                           SignatureCase{"gif87a", false},
                                           SignatureCase{"GIF87b", false}));

// --- Width fit --------------------------------------------------------------------------

struct WidthFitCase {
  int imageWidth;
  int targetWidth;
  int coveredColumns;
  std::function<int(int)> pixelAtColumn;  // index of the image pixel that shows in a column
};

class WidthFit : public ::testing::TestWithParam<WidthFitCase> {};

TEST_P(WidthFit, EveryRowIsFittedTheSameWay) {
  const WidthFitCase& c = GetParam();
  const IndexedImage image = Ramp(c.imageWidth, 4);
  Raster32 view(kView, kView);
  const Decoded result = Decode(EncodeWithGiflib(image), view, 0, 0, c.targetWidth);
  ASSERT_EQ(result.outcome, GifTileOutcome::kDrawn);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < c.coveredColumns; ++x) {
      ASSERT_EQ(view.At(x, y), ColourOf(image, c.pixelAtColumn(x), y)) << "column " << x;
    }
    EXPECT_EQ(view.At(c.coveredColumns, y), 0u) << "row " << y;
  }
  EXPECT_EQ(CountDrawn(view), 4u * c.coveredColumns);
}

INSTANTIATE_TEST_SUITE_P(
    GifTileReader, WidthFit,
    ::testing::Values(
        // Tiles one pixel wider than their pitch: P = 600 is never reached.
        WidthFitCase{600, 599, 600, [](int x) { return x; }},
        WidthFitCase{600, 600, 600, [](int x) { return x; }},
        // P = 2: pixels 2, 4, ..., 98 are overwritten by their successors.
        WidthFitCase{100, 50, 51, [](int x) { return x == 0 ? 0 : 2 * x - 1; }},
        WidthFitCase{600, 300, 301, [](int x) { return x == 0 ? 0 : 2 * x - 1; }},
        // P = 1: pixels 1 to 299 are doubled.
        WidthFitCase{300, 600, 599, [](int x) { return (x + 1) / 2; }},
        // P = 3 in drop mode: every third pixel gives way.
        WidthFitCase{9, 6, 7, [](int x) { return x + (x - 1) / 2; }},
        // W above 2w: P = 0 and every pixel, the first included, is doubled.
        WidthFitCase{500, 1100, 1000, [](int x) { return x / 2; }}));

// --- Placement --------------------------------------------------------------------------

TEST(GifTileReader, TileAcrossTheViewEdgeDrawsOnlyItsInsidePart) {
  const IndexedImage image = Ramp(600, 600);
  Raster32 view(kView, kView);
  const Decoded result = Decode(EncodeWithGiflib(image), view, -100, 1200, 600);
  EXPECT_EQ(result.outcome, GifTileOutcome::kDrawn);
  for (int y = 1200; y < kView; ++y) {
    for (int x = 0; x < 500; ++x) ASSERT_EQ(view.At(x, y), ColourOf(image, x + 100, y - 1200));
  }
  EXPECT_EQ(CountDrawn(view), 500u * 80u);
}

struct FarOrigin {
  std::int32_t x;
  std::int32_t y;
  std::uint16_t targetWidth;
};

class FarOrigins : public ::testing::TestWithParam<FarOrigin> {};

TEST_P(FarOrigins, NothingLandsOutsideTheView) {
  const IndexedImage image = Ramp(600, 30);
  Raster32 view(kView, kView);
  const Decoded result =
      Decode(EncodeWithGiflib(image), view, GetParam().x, GetParam().y, GetParam().targetWidth);
  EXPECT_EQ(result.outcome, GifTileOutcome::kDrawn);
  EXPECT_EQ(CountDrawn(view), 0u);
}

INSTANTIATE_TEST_SUITE_P(GifTileReader, FarOrigins,
                         ::testing::Values(FarOrigin{INT32_MAX, 0, 600},
                                           FarOrigin{INT32_MIN, 0, 65535},
                                           FarOrigin{0, INT32_MIN, 600}, FarOrigin{-1201, 0, 600}));

// --- Colour tables, interlacing ----------------------------------------------------------

TEST(GifTileReader, SixteenEntryLocalTableIsReadAndDecodingFollowsIt) {
  const IndexedImage image = Ramp(40, 12, 16);
  GifParts parts;
  parts.width = 40;
  parts.height = 12;
  parts.imageFlags = 0x83;
  parts.localTable = image.colours;
  parts.minimumCodeSize = 4;
  parts.lzw = EncodeLzw(image.indices, 4, ClearPolicy::kWhenFull);
  const std::string gif = AssembleGif(parts);
  Raster32 view(kView, kView);
  const Decoded result = Decode(gif, view, 0, 0, 40);
  EXPECT_EQ(result.outcome, GifTileOutcome::kDrawn);
  EXPECT_EQ(result.position, gif.size() - 1);
  ExpectShows(view, image);
}

TEST(GifTileReader, LocalTableReplacesTheGlobalColoursFromEntryZero) {
  // Screen: 8 bits, a global table; image: a local table of 4 entries. Index 5 keeps its
  // global colour, indices 0 to 3 take the local ones.
  GifParts parts;
  parts.width = 6;
  parts.height = 1;
  parts.screenFlags = 0xF7;
  for (int i = 0; i < 256; ++i) parts.globalTable.push_back({1, 2, static_cast<std::uint8_t>(i)});
  parts.imageFlags = 0x81;
  parts.localTable = {{10, 0, 0}, {20, 0, 0}, {30, 0, 0}, {40, 0, 0}};
  parts.lzw = EncodeLzw({0, 1, 2, 3, 5, 200}, 8, ClearPolicy::kWhenFull);
  Raster32 view(kView, kView);
  ASSERT_EQ(Decode(AssembleGif(parts), view, 0, 0, 6).outcome, GifTileOutcome::kDrawn);
  const std::uint32_t expected[] = {0x0A0000, 0x140000, 0x1E0000, 0x280000, 0x010205, 0x0102C8};
  for (int x = 0; x < 6; ++x) EXPECT_EQ(view.At(x, 0), expected[x]);
}

TEST(GifTileReader, IndicesAreMaskedWithTheScreenTableSize) {
  // The screen says 2 bits; the image's index 6 is read as 6 & 3 = 2 where it is a literal.
  GifParts parts;
  parts.width = 2;
  parts.height = 1;
  parts.screenFlags = 0x81;
  parts.globalTable = {{0, 0, 1}, {0, 0, 2}, {0, 0, 3}, {0, 0, 4}};
  parts.imageFlags = 0x02;
  parts.minimumCodeSize = 3;
  CodeWriter codes;
  codes.Put(8, 4);  // Clear
  codes.Put(6, 4);  // first code, literal
  codes.Put(1, 4);
  codes.Put(9, 4);  // End
  parts.lzw = codes.Finish();
  Raster32 view(kView, kView);
  ASSERT_EQ(Decode(AssembleGif(parts), view, 0, 0, 2).outcome, GifTileOutcome::kDrawn);
  EXPECT_EQ(view.At(0, 0), 3u);
  EXPECT_EQ(view.At(1, 0), 2u);
}

TEST(GifTileReader, InterlacedImageIsDrawnInStoredRowOrder) {
  const IndexedImage image = Ramp(30, 17);
  const std::string gif = EncodeWithGiflib(image, /*interlaced=*/true);
  Raster32 view(kView, kView);
  ASSERT_EQ(Decode(gif, view, 0, 0, 30).outcome, GifTileOutcome::kDrawn);
  // giflib stores the rows it was handed in that order; the decoder does not rearrange them.
  ExpectShows(view, image);
}

// --- LZW streams ------------------------------------------------------------------------

struct StreamCase {
  const char* name;
  int colours;
  int minimumCodeSize;
  ClearPolicy policy;
};

class LzwStreams : public ::testing::TestWithParam<StreamCase> {};

TEST_P(LzwStreams, DecodeToTheEncodedPixels) {
  const StreamCase& c = GetParam();
  // Noise makes the table fill many times over.
  IndexedImage image = testing::ChartLikeImage(600, 600, c.colours, 7);
  std::uint32_t state = 99;
  for (auto& index : image.indices) {
    state = state * 1103515245u + 12345u;
    if ((state >> 16) % 3 == 0) index = static_cast<std::uint8_t>((state >> 20) % c.colours);
  }
  GifParts parts;
  parts.width = image.width;
  parts.height = image.height;
  parts.imageFlags = static_cast<std::uint8_t>(0x80 | (c.minimumCodeSize - 1));
  parts.localTable = image.colours;
  parts.minimumCodeSize = static_cast<std::uint8_t>(c.minimumCodeSize);
  parts.lzw = EncodeLzw(image.indices, c.minimumCodeSize, c.policy);
  Raster32 view(kView, kView);
  ASSERT_EQ(Decode(AssembleGif(parts), view, 0, 0, 600).outcome, GifTileOutcome::kDrawn);
  ExpectShows(view, image);
}

INSTANTIATE_TEST_SUITE_P(
    GifTileReader, LzwStreams,
    ::testing::Values(StreamCase{"ClearEvery4096thCode", 256, 8, ClearPolicy::kEvery4096},
                      StreamCase{"ClearWhenFull", 256, 8, ClearPolicy::kWhenFull},
                      StreamCase{"FullTableWithoutClear", 256, 8, ClearPolicy::kNever},
                      StreamCase{"FourBitClearEvery4096th", 16, 4, ClearPolicy::kEvery4096},
                      StreamCase{"TwoBitWithoutClear", 4, 2, ClearPolicy::kNever}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Agreement with giflib --------------------------------------------------------------

// Tiles from giflib (the screen byte 0x77 tiles carry) and from our own tile output, at the
// widths, colour counts and palettes tiles come in.
TEST(GifTileReader, DecodesTilesAsGiflibDoes) {
  const struct {
    int width, height, colours;
    std::uint32_t seed;
  } giflibCases[] = {{600, 600, 64, 1}, {599, 600, 256, 2}, {426, 600, 16, 3}, {20, 600, 2, 4},
                     {5, 600, 32, 5},   {600, 600, 128, 6}, {1280, 700, 3, 8}};
  for (const auto& c : giflibCases) {
    SCOPED_TRACE(c.seed);
    const std::string gif =
        EncodeWithGiflib(testing::ChartLikeImage(c.width, c.height, c.colours, c.seed));
    ASSERT_EQ(static_cast<std::uint8_t>(gif[10]), 0x77);
    ExpectSameAsGiflib(gif, c.width);
  }

  TilePalette palette;
  for (int i = 0; i < 16; ++i) {
    palette.Colours.push_back({static_cast<std::uint8_t>(i * 16),
                               static_cast<std::uint8_t>(200 - i * 8),
                               static_cast<std::uint8_t>(i * 5)});
  }
  const struct {
    int width;
    std::uint8_t colorReduction, dithering;
    bool customPalette;
  } outputCases[] = {{414, 0, 0, false}, {600, 1, 1, false}, {600, 2, 0, false},
                     {300, 3, 2, false}, {20, 4, 0, false},  {427, 2, 0, true}};
  TileEncoder encoder;
  for (const auto& c : outputCases) {
    SCOPED_TRACE(c.width);
    ExpectSameAsGiflib(
        encoder.Encode(testing::ChartLikeTile(c.width, 600, 11u + c.colorReduction),
                       {c.colorReduction, c.dithering}, c.customPalette ? &palette : nullptr),
        c.width);
  }
}

// --- Truncated and hostile data ---------------------------------------------------------

TEST(GifTileReader, EveryTruncationBeforeTheTerminatorDrawsNothing) {
  GifParts parts;
  parts.width = 30;
  parts.height = 20;
  parts.screenFlags = 0xF1;  // a global table of 4 colours, then a local one of 8
  parts.globalTable = {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 4, 4}};
  parts.imageFlags = 0x82;
  parts.localTable.assign(8, Rgb{9, 9, 9});
  parts.minimumCodeSize = 3;
  parts.lzw = EncodeLzw(Ramp(30, 20, 4).indices, 3, ClearPolicy::kWhenFull);
  const std::string gif = AssembleGif(parts);
  Raster32 view(kView, kView);
  for (std::size_t length = 0; length + 1 < gif.size(); ++length) {
    const Decoded result = Decode(gif.substr(0, length), view, 0, 0, 30);
    ASSERT_EQ(result.outcome, GifTileOutcome::kTruncated) << length;
    ASSERT_EQ(result.position, length);
  }
  EXPECT_EQ(CountDrawn(view), 0u);
  EXPECT_EQ(Decode(gif.substr(0, gif.size() - 1), view, 0, 0, 30).outcome, GifTileOutcome::kDrawn);
}

// Hand-written code streams for an image of width 4 with minimum code size 8 (9-bit codes
// until the table reaches 512 entries). Clear = 256, End = 257, first free code = 258.
struct HostileCase {
  const char* name;
  std::vector<std::uint32_t> codes;
  GifTileOutcome outcome;
  std::size_t pixelsDrawn;
};

class HostileStreams : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileStreams, StayInsideTheirBuffersAndEndAsExpected) {
  const HostileCase& c = GetParam();
  CodeWriter writer;
  for (std::uint32_t code : c.codes) writer.Put(code, 9);
  GifParts parts;
  parts.width = 4;
  parts.height = 100;
  parts.localTable.assign(256, Rgb{1, 2, 3});
  parts.lzw = writer.Finish();
  Raster32 view(kView, kView);
  const Decoded result = Decode(AssembleGif(parts), view, 0, 0, 4);
  EXPECT_EQ(result.outcome, c.outcome);
  EXPECT_EQ(CountDrawn(view), c.pixelsDrawn);
}

INSTANTIATE_TEST_SUITE_P(
    GifTileReader, HostileStreams,
    ::testing::Values(
        HostileCase{"NoEndCode", {256, 1, 2, 3}, GifTileOutcome::kDataEnded, 3},
        HostileCase{"NoClearCodeFirst", {1, 2, 258, 257}, GifTileOutcome::kDrawn, 4},
        HostileCase{"ClearThenEnd", {256, 257, 1, 2}, GifTileOutcome::kDrawn, 0},
        HostileCase{"ClearClearThenData", {256, 256, 5, 257}, GifTileOutcome::kDrawn, 1},
        // A code far beyond the next free one is taken as the previous string plus its
        // first pixel, as a code one beyond would be.
        HostileCase{"CodeBeyondTheTable", {256, 7, 500, 257}, GifTileOutcome::kDrawn, 3},
        // Entry 258 gets prefix 259, entry 259 prefix 258: a cycle, entered by the second 258.
        HostileCase{"PrefixCycle", {256, 259, 258, 5, 258, 257}, GifTileOutcome::kCorruptCodes, 5},
        HostileCase{"FirstCodeAboveTheLiterals", {256, 300, 258, 257}, GifTileOutcome::kDrawn, 4},
        HostileCase{"EmptyData", {}, GifTileOutcome::kDataEnded, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct UnsupportedCase {
  int minimumCodeSize;
  int width;
};

class UnsupportedImages : public ::testing::TestWithParam<UnsupportedCase> {};

TEST_P(UnsupportedImages, AreReadPastButNotDrawn) {
  GifParts parts;
  parts.width = GetParam().width;
  parts.height = 3;
  parts.minimumCodeSize = static_cast<std::uint8_t>(GetParam().minimumCodeSize);
  parts.lzw = std::string(300, '\x55');
  const std::string gif = AssembleGif(parts);
  Raster32 view(kView, kView);
  const Decoded result = Decode(gif, view, 0, 0, 600);
  EXPECT_EQ(result.outcome, GifTileOutcome::kUnsupported);
  EXPECT_EQ(result.position, gif.size() - 1);
  EXPECT_EQ(CountDrawn(view), 0u);
}

INSTANTIATE_TEST_SUITE_P(GifTileReader, UnsupportedImages,
                         ::testing::Values(UnsupportedCase{0, 10}, UnsupportedCase{1, 10},
                                           UnsupportedCase{9, 10}, UnsupportedCase{12, 10},
                                           UnsupportedCase{255, 10}, UnsupportedCase{8, 0}));

TEST(GifTileReader, EndlessRowsStopBelowTheView) {
  // A one-pixel-wide image of a million rows stops once its rows pass the view's bottom.
  std::vector<std::uint8_t> indices(1000000, 3);
  GifParts parts;
  parts.width = 1;
  parts.height = 65535;
  parts.localTable.assign(256, Rgb{0, 0, 9});
  parts.lzw = EncodeLzw(indices, 8, ClearPolicy::kWhenFull);
  Raster32 view(kView, kView);
  const Decoded result = Decode(AssembleGif(parts), view, 0, 0, 1);
  EXPECT_EQ(result.outcome, GifTileOutcome::kDrawn);
  EXPECT_EQ(CountDrawn(view), 1280u);
}

TEST(GifTileReader, ReaderIsResetBetweenTiles) {
  // A tile refused halfway must not leave colours or table entries for the next one.
  GifTileReader reader;
  const IndexedImage first = Ramp(64, 64);
  const IndexedImage second = Ramp(64, 64, 7);
  Raster32 view(kView, kView);
  const std::string whole = EncodeWithGiflib(first);
  const std::string gif1 = whole.substr(0, whole.size() / 2);
  MemoryGifSource source1(Bytes(gif1));
  ASSERT_EQ(reader.Read(source1, 0, 0, 64, view), GifTileOutcome::kTruncated);
  std::string gif2 = EncodeWithGiflib(second);
  MemoryGifSource source2(Bytes(gif2));
  ASSERT_EQ(reader.Read(source2, 0, 0, 64, view), GifTileOutcome::kDrawn);
  ExpectShows(view, second);
}

}  // namespace
}  // namespace cz
