#include "imaging/GifTileWriter.h"

#include <gif_lib.h>

#include <algorithm>
#include <memory>

#include "platform/Error.h"

namespace cz {

namespace {

int AppendToString(GifFileType* gif, const GifByteType* bytes, int length) {
  static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(bytes), length);
  return length;
}

[[noreturn]] void Fail(const char* step, int code) {
  const char* reason = GifErrorString(code);
  throw CartozenError(std::string("GIF encoding failed (") + step +
                      "): " + (reason ? reason : "unknown error"));
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int ignored = 0;
    EGifCloseFile(gif, &ignored);
  }
};

struct ColorMapFree {
  void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

}  // namespace

int ColourTableSize(int count) {
  int size = 2;
  while (size < count && size < kMaxGifColours) size *= 2;
  return size;
}

std::string EncodeTileGif(std::int32_t width, std::int32_t height, std::uint8_t* indices,
                          const std::vector<PaletteColour>& palette) {
  if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF) {
    throw CartozenError("GIF encoding failed: a tile of " + std::to_string(width) + " x " +
                        std::to_string(height) + " pixels cannot be written");
  }
  const int count = std::clamp(static_cast<int>(palette.size()), 1, kMaxGifColours);
  const int tableSize = ColourTableSize(count);
  GifColorType colours[kMaxGifColours] = {};  // the padding stays black
  for (int i = 0; i < count && i < static_cast<int>(palette.size()); ++i) {
    colours[i] = {palette[i].Red, palette[i].Green, palette[i].Blue};
  }
  std::unique_ptr<ColorMapObject, ColorMapFree> table(GifMakeMapObject(tableSize, colours));
  if (!table) Fail("colour table", E_GIF_ERR_NOT_ENOUGH_MEM);

  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(width) * height / 2 + 1024);
  int error = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(EGifOpen(&bytes, AppendToString, &error));
  if (!gif) Fail("open", error);
  EGifSetGifVersion(gif.get(), false);  // "GIF87a": the file carries no extension
  // Colour resolution 8 and no global table give the packed byte 0x77.
  if (EGifPutScreenDesc(gif.get(), width, height, 8, 0, nullptr) == GIF_ERROR) {
    Fail("screen descriptor", gif->Error);
  }
  if (EGifPutImageDesc(gif.get(), 0, 0, width, height, false, table.get()) == GIF_ERROR) {
    Fail("image descriptor", gif->Error);
  }
  // giflib masks each index to the table's bit depth; indices below count are unchanged.
  if (EGifPutLine(gif.get(), indices, width * height) == GIF_ERROR) {
    Fail("image data", gif->Error);
  }
  GifFileType* raw = gif.release();
  if (EGifCloseFile(raw, &error) == GIF_ERROR) Fail("trailer", error);
  return bytes;
}

}  // namespace cz
