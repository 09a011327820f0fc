#include "importer/PngTileDecoder.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
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

// libpng allocates an ancillary chunk as long as its header claims before reading it, and
// with benign errors allowed (below) its own chunk-length limit is only a warning: a few
// hundred bytes claiming a 2 GB text chunk would have it ask for 2 GB. So its allocations are
// capped here. Nothing libpng holds for a tile is large (image data is streamed row by row);
// a larger request fails, which libpng takes as a chunk it cannot keep, or as a broken file.
constexpr png_alloc_size_t kMaxPngAllocation = 8u << 20;

png_voidp CappedMalloc(png_structp, png_alloc_size_t size) {
  return size <= kMaxPngAllocation ? std::malloc(size) : nullptr;
}
void CappedFree(png_structp, png_voidp memory) { std::free(memory); }

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
  int channels;  // after the transformations: 1 (palette index), 3 (RGB) or 4 (RGB + alpha)
  int bitDepth;
  std::uint32_t opaque;        // the alpha bits of a pixel without alpha of its own
  std::uint32_t palette[256];  // 0xAARRGGBB per index; 0 beyond the PLTE's entries
};

// Reads the header and sets up the reduction to 8-bit samples: palette images stay indexes
// (one byte each), looked up in our own table while converting, which saves libpng's
// expansion pass; everything else becomes RGB, or RGBA when the alpha is kept and the image
// has an alpha channel or a tRNS colour key. False when libpng gave up.
bool ReadHeader(png_structp png, png_infop info, PngContext* context, bool keepAlpha,
                ImageLayout* layout) {
  if (setjmp(context->jump)) return false;
  png_read_info(png, info);
  const int colorType = png_get_color_type(png, info);
  const int bitDepth = png_get_bit_depth(png, info);
  layout->opaque = keepAlpha ? 0xFF000000u : 0u;
  std::fill(std::begin(layout->palette), std::end(layout->palette), 0u);
  if (colorType == PNG_COLOR_TYPE_PALETTE) {
    png_colorp entries = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &entries, &count) != 0) {
      for (int i = 0; i < count && i < 256; ++i) {
        layout->palette[i] = layout->opaque | (std::uint32_t{entries[i].red} << 16) |
                             (std::uint32_t{entries[i].green} << 8) | entries[i].blue;
      }
    }
    png_bytep alphas = nullptr;
    int alphaCount = 0;
    if (keepAlpha && png_get_tRNS(png, info, &alphas, &alphaCount, nullptr) != 0) {
      for (int i = 0; i < alphaCount && i < count && i < 256; ++i) {
        layout->palette[i] = (layout->palette[i] & 0x00FFFFFFu) | std::uint32_t{alphas[i]} << 24;
      }
    }
    if (bitDepth < 8) png_set_packing(png);
  } else {
    if (keepAlpha && png_get_valid(png, info, PNG_INFO_tRNS) != 0) png_set_tRNS_to_alpha(png);
    png_set_strip_16(png);
    if ((colorType & PNG_COLOR_MASK_COLOR) == 0) {
      if (bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
      png_set_gray_to_rgb(png);
    }
    if (!keepAlpha) png_set_strip_alpha(png);
  }
  layout->passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  layout->width = png_get_image_width(png, info);
  layout->height = png_get_image_height(png, info);
  layout->rowBytes = png_get_rowbytes(png, info);
  layout->channels = png_get_channels(png, info);
  layout->bitDepth = png_get_bit_depth(png, info);
  return true;
}

// Where decoded rows go: tile pixel (x, y) of the region to target[(y − Y) × stride + x − X].
struct RowSink {
  std::uint32_t* target;
  std::ptrdiff_t stride;
  std::int32_t x;
  std::int32_t y;
  std::int32_t width;
  std::int32_t height;
};

// Four channels carry their own alpha (kept only then: ReadHeader strips it otherwise);
// three get `opaque`.
template <int kChannels>
void PackPixels(const std::uint8_t* source, std::uint32_t* out, std::int32_t count,
                std::uint32_t opaque) {
  for (std::int32_t i = 0; i < count; ++i) {
    const std::uint8_t* pixel = source + i * kChannels;
    const std::uint32_t alpha = kChannels == 4 ? std::uint32_t{pixel[3]} << 24 : opaque;
    out[i] = alpha | (std::uint32_t{pixel[0]} << 16) | (std::uint32_t{pixel[1]} << 8) | pixel[2];
  }
}

// Converts image row y (8-bit samples as ReadHeader set them up) into the sink, 0 where the
// image is narrower than the region.
void ConvertRow(const RowSink* sink, const ImageLayout* layout, png_uint_32 y,
                const std::uint8_t* row) {
  std::uint32_t* out = sink->target + (static_cast<std::ptrdiff_t>(y) - sink->y) * sink->stride;
  const std::int32_t available = static_cast<std::int32_t>(
      std::clamp<std::int64_t>(std::int64_t{layout->width} - sink->x, 0, sink->width));
  const std::size_t first = static_cast<std::size_t>(sink->x) * layout->channels;
  // One loop per pixel layout, each with a constant stride.
  if (layout->channels == 1) {
    const std::uint8_t* index = row + first;
    for (std::int32_t i = 0; i < available; ++i) out[i] = layout->palette[index[i]];
  } else if (layout->channels == 3) {
    PackPixels<3>(row + first, out, available, layout->opaque);
  } else {
    PackPixels<4>(row + first, out, available, layout->opaque);
  }
  std::fill(out + available, out + sink->width, 0u);
}

// Reads the rows the sink needs, neededRows being min(image height, Y + Height). A
// non-interlaced image is converted row by row as it arrives and reading stops after the last
// needed row; an interlaced one needs every pass over every row, so its needed rows are
// collected in `rows` and converted at the end.
bool ReadRows(png_structp png, PngContext* context, const ImageLayout* layout,
              png_uint_32 neededRows, const RowSink* sink, std::uint8_t* rows,
              std::uint8_t* scratch) {
  if (setjmp(context->jump)) return false;
  const png_uint_32 firstRow = static_cast<png_uint_32>(sink->y);
  if (layout->passes == 1) {
    for (png_uint_32 y = 0; y < neededRows; ++y) {
      png_read_row(png, scratch, nullptr);
      if (y >= firstRow) ConvertRow(sink, layout, y, scratch);
    }
    return true;
  }
  for (int pass = 0; pass < layout->passes; ++pass) {
    for (png_uint_32 y = 0; y < layout->height; ++y) {
      png_read_row(png, y < neededRows ? rows + y * layout->rowBytes : scratch, nullptr);
    }
  }
  for (png_uint_32 y = firstRow; y < neededRows; ++y) {
    ConvertRow(sink, layout, y, rows + y * layout->rowBytes);
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
  DecodeRegion(bytes, name, TileRegion{}, tile.data(), kPngTileSide);
}

void PngTileDecoder::DecodeRegion(std::string_view bytes, const std::string& name,
                                  const TileRegion& region, std::uint32_t* target,
                                  std::ptrdiff_t stride) {
  auto fail = [&name](const std::string& reason) {
    throw CartozenError("Unable to read PNG tile '" + name + "': " + reason);
  };
  PngContext context{};
  context.data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  context.size = bytes.size();

  PngReader reader;
  reader.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &context, OnPngError, OnPngWarning,
                                        nullptr, CappedMalloc, CappedFree);
  if (reader.png == nullptr) fail("out of memory");
  reader.info = png_create_info_struct(reader.png);
  if (reader.info == nullptr) fail("out of memory");
  png_set_read_fn(reader.png, &context, ReadFromMemory);
  png_set_user_limits(reader.png, kMaxPngTileSide, kMaxPngTileSide);
  // Tile servers write all sorts of ancillary chunks; problems there do not spoil the pixels.
  png_set_benign_errors(reader.png, 1);

  ImageLayout layout{};
  if (!ReadHeader(reader.png, reader.info, &context, alpha_ == PngAlpha::Kept, &layout)) {
    fail(context.message);
  }
  const bool indexed =
      layout.channels == 1 && png_get_color_type(reader.png, reader.info) == PNG_COLOR_TYPE_PALETTE;
  if (layout.bitDepth != 8 || (!indexed && layout.channels != 3 && layout.channels != 4) ||
      layout.rowBytes < std::size_t{layout.width} * layout.channels) {
    fail("unsupported pixel layout");
  }

  const RowSink sink{target, stride, region.X, region.Y, region.Width, region.Height};
  const png_uint_32 neededRows =
      std::min<png_uint_32>(layout.height, static_cast<png_uint_32>(region.Y + region.Height));
  scratch_.resize(layout.rowBytes);
  if (layout.passes > 1) {
    // Filled pass by pass, so the rows must start out black.
    rows_.assign(std::size_t{neededRows} * layout.rowBytes, std::uint8_t{0});
  }
  if (!ReadRows(reader.png, &context, &layout, neededRows, &sink, rows_.data(), scratch_.data())) {
    fail(context.message);
  }
  // Rows of the region below a short image are black.
  for (std::int32_t y = std::max<std::int32_t>(static_cast<std::int32_t>(neededRows), region.Y);
       y < region.Y + region.Height; ++y) {
    std::uint32_t* out = target + static_cast<std::ptrdiff_t>(y - region.Y) * stride;
    std::fill(out, out + region.Width, 0u);
  }
}

void PngTileDecoder::DecodeFile(const std::string& path, PngTilePixels& tile) {
  Decode(ReadWholeFile(path), path, tile);
}

}  // namespace cz
