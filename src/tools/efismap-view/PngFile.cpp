#include "PngFile.h"

#include <png.h>

#include <csetjmp>
#include <string>
#include <vector>

#include "platform/Error.h"
#include "platform/FileSystem.h"

namespace cz {

namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
  static_cast<std::string*>(png_get_io_ptr(png))
      ->append(reinterpret_cast<const char*>(data), length);
}

void Flush(png_structp) {}

// libpng reports failures by longjmp back here, so this frame holds nothing with a
// destructor; the row buffer and the output belong to the caller.
bool Encode(png_structp png, png_infop info, const Raster32& image, png_byte* row,
            std::string* bytes) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, bytes, AppendBytes, Flush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.Width()),
               static_cast<png_uint_32>(image.Height()), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (std::int32_t y = 0; y < image.Height(); ++y) {
    const std::uint32_t* pixels = image.Row(y);
    for (std::int32_t x = 0; x < image.Width(); ++x) {
      row[3 * x] = RedOf(pixels[x]);
      row[3 * x + 1] = GreenOf(pixels[x]);
      row[3 * x + 2] = BlueOf(pixels[x]);
    }
    png_write_row(png, row);
  }
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

void WritePngFile(const Raster32& image, std::string_view path) {
  const std::string target(path);
  if (image.Empty()) throw CartozenError("Unable to write to " + target + ": the view is empty");
  std::string bytes;
  std::vector<png_byte> row(static_cast<std::size_t>(image.Width()) * 3);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  const bool encoded = info != nullptr && Encode(png, info, image, row.data(), &bytes);
  png_destroy_write_struct(&png, &info);
  if (!encoded) throw CartozenError("Unable to write to " + target);
  AtomicWriteFile(target, bytes);
}

}  // namespace cz
