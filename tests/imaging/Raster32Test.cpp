#include "imaging/Raster32.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

namespace cz {
namespace {

// Small rasters come from the heap, chart-sized ones (16 MB and more) from a mapping of their
// own: both must start zeroed when asked, survive moves and clones, and free correctly.
class RasterBlocks : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(RasterBlocks, ZeroedMovedClonedAndReleased) {
  const auto [width, height] = GetParam();
  Raster32 raster;
  raster.AllocateZeroed(width, height);
  ASSERT_EQ(raster.Width(), width);
  for (std::size_t i = 0; i < raster.PixelCount(); i += 4093) ASSERT_EQ(raster.Pixels()[i], 0u);
  raster.At(width - 1, height - 1) = 0xFF123456u;
  raster.At(0, 0) = 0xFF654321u;

  Raster32 moved = std::move(raster);
  EXPECT_TRUE(raster.Empty());
  const Raster32 copy = moved.Clone();
  moved.Release();
  EXPECT_EQ(copy.At(width - 1, height - 1), 0xFF123456u);
  EXPECT_EQ(copy.At(0, 0), 0xFF654321u);

  Raster32 reused;
  reused.Allocate(width, height);  // uninitialised, but every byte writable
  reused.Fill(0xFFFFFFFFu);
  EXPECT_EQ(reused.At(width / 2, height / 2), 0xFFFFFFFFu);
  reused.Allocate(3, 2);  // from a mapping back to the heap
  EXPECT_EQ(reused.PixelCount(), 6u);
}

INSTANTIATE_TEST_SUITE_P(Sizes, RasterBlocks,
                         ::testing::Values(std::pair{7, 5}, std::pair{2048, 2048},
                                           std::pair{3001, 1999}));

TEST(Raster32, RequiredBytesDoNotWrap) {
  EXPECT_EQ(Raster32::RequiredBytes(40000, 30000), 4800000000ull);
  EXPECT_EQ(Raster32::RequiredBytes(0, 30000), 0u);
  EXPECT_EQ(Raster32::RequiredBytes(-1, 5), 0u);
}

}  // namespace
}  // namespace cz
