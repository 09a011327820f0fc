#include "imaging/GifTileWriter.h"

#include <algorithm>
#include <bit>

#include "platform/Error.h"

namespace cz {

namespace {

void AppendWord(std::string& out, std::int32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>(value >> 8 & 0xFF));
}

}  // namespace

int ColourTableSize(int count) {
  int size = 2;
  while (size < count && size < kMaxGifColours) size *= 2;
  return size;
}

std::string GifTileWriter::Encode(std::int32_t width, std::int32_t height,
                                  const std::uint8_t* indices,
                                  const std::vector<PaletteColour>& palette) {
  if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF) {
    throw CartozenError("GIF encoding failed: a tile of " + std::to_string(width) + " x " +
                        std::to_string(height) + " pixels cannot be written");
  }
  const int count = std::clamp(static_cast<int>(palette.size()), 1, kMaxGifColours);
  const int tableSize = ColourTableSize(count);
  const int tableBits = std::countr_zero(static_cast<unsigned>(tableSize));

  // LZW writes at most one code of at most 12 bits per index, a clear code per 3837 new
  // strings and a length byte per 255: the file never outgrows this, so it is never copied
  // while it grows (a noisy tile's file is larger than its pixel count).
  const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::string bytes;
  bytes.reserve(pixels * 3 / 2 + pixels / 128 + 1024);
  bytes.append("GIF87a");
  AppendWord(bytes, width);
  AppendWord(bytes, height);
  bytes.append({'\x77', '\0', '\0'});  // no global table, resolution 8; background; aspect
  bytes.push_back('\x2C');             // image descriptor at (0, 0), the whole tile
  AppendWord(bytes, 0);
  AppendWord(bytes, 0);
  AppendWord(bytes, width);
  AppendWord(bytes, height);
  bytes.push_back(static_cast<char>(0x80 | (tableBits - 1)));  // local table, not interlaced
  for (int i = 0; i < tableSize; ++i) {
    const PaletteColour colour = i < count && i < static_cast<int>(palette.size())
                                     ? palette[i]
                                     : PaletteColour{};  // the padding is black
    bytes.append({static_cast<char>(colour.Red), static_cast<char>(colour.Green),
                  static_cast<char>(colour.Blue)});
  }
  lzw_.Append(indices, pixels, tableBits, bytes);
  bytes.push_back('\x3B');
  return bytes;
}

std::string EncodeTileGif(std::int32_t width, std::int32_t height, const std::uint8_t* indices,
                          const std::vector<PaletteColour>& palette) {
  return GifTileWriter().Encode(width, height, indices, palette);
}

}  // namespace cz
