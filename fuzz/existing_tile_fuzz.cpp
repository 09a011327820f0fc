// Loading an existing tile: any bytes must decode to a raster within the size limit or raise
// CartozenError, never crash or read outside a buffer. Decoded tiles are encoded again, as the
// tile creation would after painting over them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "imaging/GifImageDecoder.h"
#include "imaging/TileEncoder.h"
#include "platform/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const cz::Raster32 raster =
        cz::DecodeGifImage(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.GIF");
    if (raster.Width() <= 0 || raster.Width() > cz::kMaxGifSide || raster.Height() <= 0 ||
        raster.Height() > cz::kMaxGifSide) {
      std::abort();
    }
    if (raster.PixelCount() <= 64 * 64) {
      static cz::TileEncoder encoder;
      encoder.Encode(raster,
                     {static_cast<std::uint8_t>(size % 5), static_cast<std::uint8_t>(size % 7)});
    }
  } catch (const cz::CartozenError&) {
  }
  return 0;
}
