// "Palette.txt" parsing: any bytes must give either no palette or 1 .. 256 colours.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "imaging/TilePalette.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto palette =
      cz::ParseTilePalette(std::string_view(reinterpret_cast<const char*>(data), size));
  if (palette && (palette->Colours.empty() || palette->Colours.size() > cz::kMaxGifColours ||
                  palette->DeclaredCount < static_cast<int>(palette->Colours.size()))) {
    std::abort();
  }
  return 0;
}
