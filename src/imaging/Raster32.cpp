#include "imaging/Raster32.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace cz {

Raster32::Raster32(std::int32_t width, std::int32_t height) {
  AllocateZeroed(width, height);
}

void Raster32::FreeBlock::operator()(std::uint32_t* block) const {
  std::free(block);
}

std::uint64_t Raster32::RequiredBytes(std::int64_t width, std::int64_t height) {
  if (width <= 0 || height <= 0) return 0;
  return static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 4u;
}

void Raster32::Allocate(std::int32_t width, std::int32_t height) {
  AllocateBlock(width, height, false);
}

void Raster32::AllocateZeroed(std::int32_t width, std::int32_t height) {
  AllocateBlock(width, height, true);
}

// malloc/calloc rather than new[]: calloc hands out fresh pages without writing them, which
// matters for charts of hundreds of megabytes.
void Raster32::AllocateBlock(std::int32_t width, std::int32_t height, bool zeroed) {
  Release();
  const std::uint64_t bytes = RequiredBytes(width, height);
  if (bytes == 0) return;
  if (bytes > std::numeric_limits<std::size_t>::max() / 2) throw std::bad_alloc();
  void* block = zeroed ? std::calloc(static_cast<std::size_t>(bytes / 4), 4)
                       : std::malloc(static_cast<std::size_t>(bytes));
  if (block == nullptr) throw std::bad_alloc();
  pixels_.reset(static_cast<std::uint32_t*>(block));
  width_ = width;
  height_ = height;
}

void Raster32::Release() {
  pixels_.reset();
  width_ = 0;
  height_ = 0;
}

void Raster32::Fill(std::uint32_t pixel) {
  if (pixel == 0) {
    std::memset(pixels_.get(), 0, PixelCount() * 4);
  } else {
    std::fill_n(pixels_.get(), PixelCount(), pixel);
  }
}

Raster32 Raster32::Clone() const {
  Raster32 copy;
  copy.Allocate(width_, height_);
  if (!Empty()) std::memcpy(copy.pixels_.get(), pixels_.get(), PixelCount() * 4);
  return copy;
}

}  // namespace cz
