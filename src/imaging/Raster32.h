#pragma once
// An in-memory image of 32-bit pixels: bytes blue, green, red, alpha in memory order (a
// little-endian uint32 0xAARRGGBB), rows top-down, one contiguous block without row padding.
// This is exactly QImage::Format_ARGB32 on little-endian machines, so the app shows a
// Raster32 without copying it. Keep it that way.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

namespace cz {

// Releases a raster's pixel block: a mapping of its own (see Raster32.cpp) or malloc's.
struct RasterBlockFree {
  std::size_t mappedBytes = 0;
  void operator()(std::uint32_t* block) const;
};

class Raster32 {
 public:
  Raster32() = default;
  // Allocates width × height pixels, all zero. Throws as Allocate does.
  Raster32(std::int32_t width, std::int32_t height);

  // A moved-from raster is empty (0 × 0), not a size without pixels.
  Raster32(Raster32&& other) noexcept { *this = std::move(other); }
  Raster32& operator=(Raster32&& other) noexcept {
    if (this == &other) return *this;
    pixels_ = std::move(other.pixels_);
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    return *this;
  }
  Raster32(const Raster32&) = delete;  // charts are huge: copies must be explicit
  Raster32& operator=(const Raster32&) = delete;
  Raster32 Clone() const;

  // Bytes a width × height raster needs, in 64 bits (0 for negative sizes).
  static std::uint64_t RequiredBytes(std::int64_t width, std::int64_t height);

  // Replaces the pixels by an uninitialised block of width × height. Throws std::bad_alloc
  // when the memory cannot be had (sizes are checked in 64 bits first); the raster is then
  // empty.
  void Allocate(std::int32_t width, std::int32_t height);
  // As Allocate, but every pixel is 0. A large block comes zeroed from the system, so this
  // costs no more than Allocate.
  void AllocateZeroed(std::int32_t width, std::int32_t height);
  void Release();                 // back to 0 × 0
  void Fill(std::uint32_t pixel);  // every pixel set to pixel
  void Clear() { Fill(0); }

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  std::size_t PixelCount() const { return static_cast<std::size_t>(width_) * height_; }

  std::uint32_t* Pixels() { return pixels_.get(); }
  const std::uint32_t* Pixels() const { return pixels_.get(); }
  std::uint32_t* Row(std::int32_t y) { return pixels_.get() + static_cast<std::size_t>(y) * width_; }
  const std::uint32_t* Row(std::int32_t y) const {
    return pixels_.get() + static_cast<std::size_t>(y) * width_;
  }
  std::uint32_t& At(std::int32_t x, std::int32_t y) { return Row(y)[x]; }
  std::uint32_t At(std::int32_t x, std::int32_t y) const { return Row(y)[x]; }

 private:
  void AllocateBlock(std::int32_t width, std::int32_t height, bool zeroed);

  std::unique_ptr<std::uint32_t[], RasterBlockFree> pixels_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
};

// Pixel packing helpers (0xAARRGGBB).
constexpr std::uint32_t PackPixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                                  std::uint8_t alpha = 255) {
  return (std::uint32_t{alpha} << 24) | (std::uint32_t{red} << 16) | (std::uint32_t{green} << 8) |
         blue;
}
constexpr std::uint8_t BlueOf(std::uint32_t p) { return static_cast<std::uint8_t>(p); }
constexpr std::uint8_t GreenOf(std::uint32_t p) { return static_cast<std::uint8_t>(p >> 8); }
constexpr std::uint8_t RedOf(std::uint32_t p) { return static_cast<std::uint8_t>(p >> 16); }
constexpr std::uint8_t AlphaOf(std::uint32_t p) { return static_cast<std::uint8_t>(p >> 24); }

}  // namespace cz
