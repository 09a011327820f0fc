#include "imaging/GifImageDecoder.h"

#include <gif_lib.h>

#include <cstring>
#include <memory>
#include <vector>

#include "platform/Error.h"

namespace cz {

namespace {

struct MemoryInput {
  std::string_view bytes;
  std::size_t pos = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int length) {
  auto* input = static_cast<MemoryInput*>(gif->UserData);
  const std::size_t left = input->bytes.size() - input->pos;
  const std::size_t count = std::min<std::size_t>(left, static_cast<std::size_t>(length));
  std::memcpy(buffer, input->bytes.data() + input->pos, count);
  input->pos += count;
  return static_cast<int>(count);
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int ignored = 0;
    DGifCloseFile(gif, &ignored);
  }
};

[[noreturn]] void Fail(const std::string& name, const std::string& what) {
  throw CartozenError("Unable to read GIF file '" + name + "': " + what);
}

[[noreturn]] void FailWithCode(const std::string& name, int code) {
  const char* reason = GifErrorString(code);
  Fail(name, reason ? reason : "unknown error");
}

}  // namespace

Raster32 DecodeGifImage(std::string_view bytes, const std::string& name) {
  MemoryInput input{bytes};
  int error = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&input, ReadFromMemory, &error));
  if (!gif) FailWithCode(name, error);

  GifRecordType record;
  do {
    if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR) FailWithCode(name, gif->Error);
    if (record == EXTENSION_RECORD_TYPE) {
      // Extensions (comments, transparency, animation) do not change the pixels: skip them.
      int code = 0;
      GifByteType* block = nullptr;
      if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR) FailWithCode(name, gif->Error);
      while (block != nullptr) {
        if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR) FailWithCode(name, gif->Error);
      }
    } else if (record == TERMINATE_RECORD_TYPE) {
      Fail(name, "the file holds no image");
    }
  } while (record != IMAGE_DESC_RECORD_TYPE);

  if (DGifGetImageDesc(gif.get()) == GIF_ERROR) FailWithCode(name, gif->Error);
  const GifImageDesc& desc = gif->Image;
  const int width = desc.Width, height = desc.Height;
  if (width <= 0 || height <= 0) Fail(name, "the image is empty");
  if (width > kMaxGifSide || height > kMaxGifSide) {
    Fail(name, "the image of " + std::to_string(width) + " x " + std::to_string(height) +
                   " pixels is larger than a tile can be");
  }
  const ColorMapObject* table = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
  if (table == nullptr || table->Colors == nullptr || table->ColorCount <= 0) {
    Fail(name, "the image has no colour table");
  }
  std::uint32_t colours[256];
  for (int i = 0; i < 256; ++i) {
    colours[i] = i < table->ColorCount ? PackPixel(table->Colors[i].Red, table->Colors[i].Green,
                                                   table->Colors[i].Blue)
                                       : PackPixel(0, 0, 0);
  }

  Raster32 raster(width, height);
  std::vector<GifPixelType> line(static_cast<std::size_t>(width));
  const auto readRow = [&](int y) {
    if (DGifGetLine(gif.get(), line.data(), width) == GIF_ERROR) FailWithCode(name, gif->Error);
    std::uint32_t* row = raster.Row(y);
    for (int x = 0; x < width; ++x) row[x] = colours[line[x]];
  };
  if (desc.Interlace) {
    static constexpr int kStart[] = {0, 4, 2, 1};
    static constexpr int kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
      for (int y = kStart[pass]; y < height; y += kStep[pass]) readRow(y);
    }
  } else {
    for (int y = 0; y < height; ++y) readRow(y);
  }
  return raster;
}

}  // namespace cz
