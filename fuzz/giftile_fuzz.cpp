// Feeds arbitrary bytes to the map viewer's GIF tile decoder. The first six bytes choose the
// origin (two signed 16-bit values, scaled so that tiles land across every edge of the view)
// and the target width; the rest is the GIF. AddressSanitizer reports any access outside the
// decoder's tables or the view.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "efismap/GifTileReader.h"
#include "imaging/Raster32.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static cz::Raster32 view(1280, 1280);
  static cz::GifTileReader reader;
  if (size < 6) return 0;
  std::int16_t x = 0, y = 0;
  std::uint16_t width = 0;
  std::memcpy(&x, data, 2);
  std::memcpy(&y, data + 2, 2);
  std::memcpy(&width, data + 4, 2);
  cz::MemoryGifSource source({data + 6, size - 6});
  reader.Read(source, x / 16, y / 16, width, view);
  if (source.Position() > size - 6) __builtin_trap();
  return 0;
}
