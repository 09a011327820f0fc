// Feeds arbitrary bytes to the web tile decoder: it must either decode them or throw
// CartozenError, never crash, hang or read outside the input.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "importer/PngTileDecoder.h"
#include "platform/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static cz::PngTileDecoder decoder;
  static auto tile = std::make_unique<cz::PngTilePixels>();
  try {
    decoder.Decode(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.png", *tile);
  } catch (const cz::CartozenError&) {
  }
  return 0;
}
