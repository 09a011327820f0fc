#include "importer/PngTileDecoder.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "platform/Error.h"
#include "platform/FileSystem.h"

namespace cz {

namespace {

// libpng reports errors by calling back and never returning; we leave through longjmp to the
// setjmp of the small C-style function running at that moment. Those functions hold nothing
// but plain values, so no destructor is skipped.
struct PngContext {
  std::jmp_buf jump;
  char message[160];
  const std::uint8_t* data;
  std::size_t size;
  std::size_t position;
};

[[noreturn]] void OnPngError(png_structp png, png_const_charp message) {
  auto* context = static_cast<PngContext*>(png_get_error_ptr(png));
  std::snprintf(context->message, sizeof context->message, "%s", message);
  std::longjmp(context->jump, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
  auto* context = static_cast<PngContext*>(png_get_io_ptr(png));
  if (length > context->size - context->position) png_error(png, "the file is truncated");
  std::memcpy(out, context->data + context->position, length);
  context->position += length;
}

struct ImageLayout {
  png_uint_32 width;
  png_uint_32 height;
  int passes;
  std::size_t rowBytes;
  int channels;
  int bitDepth;
};

// Reads the header and sets up the reduction to 8-bit RGB (or RGBA where libpng keeps an alpha
// channel it made from palette transparency). False when libpng gave up.
bool ReadHeader(png_structp png, png_infop info, PngContext* context, ImageLayout* layout) {
  if (setjmp(context->jump)) return false;
  png_read_info(png, info);
  const int colorType = png_get_color_type(png, info);
  const int bitDepth = png_get_bit_depth(png, info);
  png_set_strip_16(png);
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if ((colorType & PNG_COLOR_MASK_COLOR) == 0) {
    if (bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    png_set_gray_to_rgb(png);
  }
  png_set_strip_alpha(png);
  layout->passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  layout->width = png_get_image_width(png, info);
  layout->height = png_get_image_height(png, info);
  layout->rowBytes = png_get_rowbytes(png, info);
  layout->channels = png_get_channels(png, info);
  layout->bitDepth = png_get_bit_depth(png, info);
  return true;
}

// Reads the rows: the first keptRows into rows, any others into scratch. A non-interlaced
// image stops after the kept rows; an interlaced one needs every pass over every row.
bool ReadRows(png_structp png, PngContext* context, const ImageLayout* layout, std::uint8_t* rows,
              png_uint_32 keptRows, std::uint8_t* scratch) {
  if (setjmp(context->jump)) return false;
  const png_uint_32 rowsToRead = layout->passes == 1 ? keptRows : layout->height;
  for (int pass = 0; pass < layout->passes; ++pass) {
    for (png_uint_32 y = 0; y < rowsToRead; ++y) {
      png_read_row(png, y < keptRows ? rows + y * layout->rowBytes : scratch, nullptr);
    }
  }
  return true;
}

struct PngReader {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~PngReader() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

}  // namespace

void PngTileDecoder::Decode(std::string_view bytes, const std::string& name, PngTilePixels& tile) {
  auto fail = [&name](const std::string& reason) {
    throw CartozenError("Unable to read PNG tile '" + name + "': " + reason);
  };
  PngContext context{};
  context.data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  context.size = bytes.size();

  PngReader reader;
  reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &context, OnPngError, OnPngWarning);
  if (reader.png == nullptr) fail("out of memory");
  reader.info = png_create_info_struct(reader.png);
  if (reader.info == nullptr) fail("out of memory");
  png_set_read_fn(reader.png, &context, ReadFromMemory);
  png_set_user_limits(reader.png, kMaxPngTileSide, kMaxPngTileSide);
  // Tile servers write all sorts of ancillary chunks; problems there do not spoil the pixels.
  png_set_benign_errors(reader.png, 1);

  ImageLayout layout{};
  if (!ReadHeader(reader.png, reader.info, &context, &layout)) fail(context.message);
  if (layout.bitDepth != 8 || layout.channels < 3 ||
      layout.rowBytes < std::size_t{layout.width} * layout.channels) {
    fail("unsupported pixel layout");
  }

  const png_uint_32 keptRows = std::min<png_uint_32>(layout.height, kPngTileSide);
  rows_.resize(keptRows * layout.rowBytes);
  // Rows of an interlaced image are filled pass by pass, so they must start out black.
  if (layout.passes > 1) std::fill(rows_.begin(), rows_.end(), std::uint8_t{0});
  scratch_.resize(layout.rowBytes);
  if (!ReadRows(reader.png, &context, &layout, rows_.data(), keptRows, scratch_.data())) {
    fail(context.message);
  }

  tile.fill(0);
  const std::int32_t columns = static_cast<std::int32_t>(std::min<png_uint_32>(layout.width, kPngTileSide));
  const int channels = layout.channels;
  for (png_uint_32 y = 0; y < keptRows; ++y) {
    const std::uint8_t* source = rows_.data() + y * layout.rowBytes;
    std::uint32_t* target = tile.data() + y * kPngTileSide;
    for (std::int32_t x = 0; x < columns; ++x, source += channels) {
      target[x] = (std::uint32_t{source[0]} << 16) | (std::uint32_t{source[1]} << 8) | source[2];
    }
  }
}

void PngTileDecoder::DecodeFile(const std::string& path, PngTilePixels& tile) {
  Decode(ReadWholeFile(path), path, tile);
}

}  // namespace cz
