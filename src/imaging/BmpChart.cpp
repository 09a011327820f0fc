// Windows bitmaps: our own reader, because no well-kept library on the system covers every
// variant a chart exporter writes without dragging in a whole toolkit.
//
// Every size in the file is checked before it is used: the headers against their own
// lengths, the palette and masks against the header, the pixel rows (uncompressed) against
// the file's size before any memory is asked for, and every RLE code against the row and
// the raster it writes into.

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "imaging/ChartReaders.h"
#include "imaging/Raster32.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"

namespace cz {
namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphaBitfields = 6;

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;  // OS/2 1.x: 16-bit sizes, 3-byte palette
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kOpaque = 0xFF000000u;

class BmpError {
 public:
  explicit BmpError(const char* reason) : reason(reason) {}
  const char* reason;
};

std::uint16_t U16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
std::uint32_t U32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}
std::int32_t I32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(U32(p));
}
// U32 as one unaligned load: Raster32 and this reader assume a little-endian machine.
std::uint32_t U32Native(const std::uint8_t* p) {
  static_assert(std::endian::native == std::endian::little);
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

// Sequential and positioned reads that fail loudly on a short file.
class BmpFile {
 public:
  BmpFile(std::FILE* file, std::uint64_t size) : file_(file), size_(size) {}
  std::uint64_t Size() const { return size_; }
  void Seek(std::uint64_t offset) {
    if (offset > size_ || fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) {
      throw BmpError("an offset points outside the file");
    }
  }
  void Read(void* into, std::size_t count) {
    if (std::fread(into, 1, count, file_) != count) throw BmpError("the file is truncated");
  }
  // Next byte, or -1 at the end of the file.
  int Next() { return getc_unlocked(file_); }

 private:
  std::FILE* file_;
  std::uint64_t size_;
};

// A channel of a BI_BITFIELDS mask: where it sits and how to widen it to 8 bits.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t maximum = 0;  // mask >> shift

  explicit Channel(std::uint32_t m = 0) : mask(m) {
    if (mask == 0) return;
    shift = std::countr_zero(mask);
    maximum = mask >> shift;
    // Holes in a mask make no sense for a colour value.
    if ((maximum & (maximum + 1)) != 0) throw BmpError("a colour mask is not contiguous");
  }
  std::uint8_t Value(std::uint32_t pixel) const {
    if (maximum == 0) return 0;
    const std::uint64_t v = (pixel & mask) >> shift;
    return static_cast<std::uint8_t>((v * 255 + maximum / 2) / maximum);
  }
};

struct BmpHeader {
  std::uint32_t pixelOffset = 0;
  std::uint32_t headerSize = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;  // positive; topDown tells the order of the rows in the file
  bool topDown = false;
  std::uint32_t bitCount = 0;
  std::uint32_t compression = kBiRgb;
  std::uint32_t colorsUsed = 0;
  std::array<std::uint32_t, 3> masks{};  // red, green, blue
};

BmpHeader ReadHeader(BmpFile& file) {
  std::uint8_t bytes[kFileHeaderSize + 4];
  file.Read(bytes, sizeof bytes);
  if (bytes[0] != 'B' || bytes[1] != 'M') throw BmpError("it is not a Windows bitmap");
  BmpHeader header;
  header.pixelOffset = U32(bytes + 10);
  header.headerSize = U32(bytes + 14);
  if (header.headerSize != kCoreHeaderSize &&
      (header.headerSize < kInfoHeaderSize || header.headerSize > 1024)) {
    throw BmpError("the bitmap header has an unknown size");
  }
  std::vector<std::uint8_t> info(header.headerSize);
  std::memcpy(info.data(), bytes + kFileHeaderSize, 4);
  file.Read(info.data() + 4, header.headerSize - 4);

  if (header.headerSize == kCoreHeaderSize) {
    header.width = U16(info.data() + 4);
    header.height = U16(info.data() + 6);
    header.bitCount = U16(info.data() + 10);
  } else {
    header.width = I32(info.data() + 4);
    const std::int64_t height = I32(info.data() + 8);
    header.topDown = height < 0;
    header.height = height < 0 ? -height : height;
    header.bitCount = U16(info.data() + 14);
    header.compression = U32(info.data() + 16);
    header.colorsUsed = U32(info.data() + 32);
  }
  if (header.width <= 0 || header.height <= 0) throw BmpError("the image has no pixels");

  const std::uint32_t c = header.compression;
  const std::uint32_t bits = header.bitCount;
  const bool valid = (c == kBiRgb && (bits == 1 || bits == 4 || bits == 8 || bits == 16 ||
                                      bits == 24 || bits == 32)) ||
                     (c == kBiRle8 && bits == 8) || (c == kBiRle4 && bits == 4) ||
                     ((c == kBiBitfields || c == kBiAlphaBitfields) && (bits == 16 || bits == 32));
  if (!valid) throw BmpError("the compression or bit count is not supported");

  if (c == kBiBitfields || c == kBiAlphaBitfields) {
    // The masks follow a 40-byte header; longer headers hold them at the same place.
    std::uint8_t masks[12];
    if (header.headerSize >= kInfoHeaderSize + 12) {
      std::memcpy(masks, info.data() + kInfoHeaderSize, 12);
    } else {
      file.Read(masks, 12);
    }
    header.masks = {U32(masks), U32(masks + 4), U32(masks + 8)};
  } else if (bits == 16) {
    header.masks = {0x7C00u, 0x03E0u, 0x001Fu};  // 5-5-5
  }
  return header;
}

// The colour table as opaque pixels; indices the file leaves out are opaque black.
std::array<std::uint32_t, 256> ReadPalette(BmpFile& file, const BmpHeader& header) {
  std::array<std::uint32_t, 256> palette;
  palette.fill(kOpaque);
  if (header.bitCount > 8) return palette;
  const std::uint32_t capacity = 1u << header.bitCount;
  std::uint32_t count = header.colorsUsed == 0 ? capacity : std::min(header.colorsUsed, capacity);
  const std::uint32_t entrySize = header.headerSize == kCoreHeaderSize ? 3 : 4;
  // Some writers declare more colours than fit before the pixels; take what is there.
  const std::uint64_t tableStart = std::uint64_t{kFileHeaderSize} + header.headerSize;
  if (header.pixelOffset > tableStart) {
    count = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(count, (header.pixelOffset - tableStart) / entrySize));
  }
  std::uint8_t entries[256 * 4];
  file.Seek(tableStart);
  file.Read(entries, std::size_t{count} * entrySize);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* e = entries + i * entrySize;
    palette[i] = PackPixel(e[2], e[1], e[0]);
  }
  return palette;
}

// Uncompressed rows, converted one by one into the raster.
void ReadRows(BmpFile& file, const BmpHeader& header, const std::array<std::uint32_t, 256>& palette,
              Raster32& raster) {
  const auto width = static_cast<std::int32_t>(header.width);
  const auto height = static_cast<std::int32_t>(header.height);
  const std::size_t stride = ((static_cast<std::size_t>(width) * header.bitCount + 31) / 32) * 4;
  std::vector<std::uint8_t> row(stride + 1);
  file.Seek(header.pixelOffset);

  // 16-bit pixels go through a table of all 65536 values; wider masks are scaled per pixel.
  std::vector<std::uint32_t> table16;
  const Channel red(header.masks[0]), green(header.masks[1]), blue(header.masks[2]);
  const bool plain32 = header.bitCount == 32 && header.masks[0] == 0x00FF0000u &&
                       header.masks[1] == 0x0000FF00u && header.masks[2] == 0x000000FFu;
  if (header.bitCount == 16) {
    table16.resize(65536);
    for (std::uint32_t v = 0; v < 65536; ++v) {
      table16[v] = PackPixel(red.Value(v), green.Value(v), blue.Value(v));
    }
  }

  for (std::int32_t fileRow = 0; fileRow < height; ++fileRow) {
    file.Read(row.data(), stride);
    std::uint32_t* out = raster.Row(header.topDown ? fileRow : height - 1 - fileRow);
    const std::uint8_t* in = row.data();
    switch (header.bitCount) {
      case 1:
        for (std::int32_t x = 0; x < width; ++x)
          out[x] = palette[(in[x >> 3] >> (7 - (x & 7))) & 1];
        break;
      case 4:
        for (std::int32_t x = 0; x < width; ++x) {
          out[x] = palette[(x & 1) ? (in[x >> 1] & 0x0F) : (in[x >> 1] >> 4)];
        }
        break;
      case 8:
        for (std::int32_t x = 0; x < width; ++x) out[x] = palette[in[x]];
        break;
      case 16:
        for (std::int32_t x = 0; x < width; ++x) out[x] = table16[U16(in + 2 * x)];
        break;
      case 24:
        // Each pixel is read as four bytes, its own three and one more (the row buffer has a
        // spare byte at its end), which in little-endian order is the pixel with junk alpha.
        for (std::int32_t x = 0; x < width; ++x) out[x] = U32Native(in + 3 * x) | kOpaque;
        break;
      case 32:
        if (header.compression == kBiRgb || plain32) {
          for (std::int32_t x = 0; x < width; ++x) out[x] = U32Native(in + 4 * x) | kOpaque;
        } else {
          for (std::int32_t x = 0; x < width; ++x) {
            const std::uint32_t p = U32(in + 4 * x);
            out[x] = PackPixel(red.Value(p), green.Value(p), blue.Value(p));
          }
        }
        break;
    }
  }
}

// RLE4 and RLE8. Pixels the stream never writes (skipped by a delta or an early end of line
// or of the bitmap) keep the colour of palette entry 0, as the background of the picture.
// Codes that would write past the end of a row are clipped there; rows past the last one
// are ignored. A stream that ends before the end-of-bitmap code with rows still unwritten is
// a truncated file.
void ReadRle(BmpFile& file, const BmpHeader& header, const std::array<std::uint32_t, 256>& palette,
             Raster32& raster) {
  const bool rle4 = header.compression == kBiRle4;
  const std::int64_t width = header.width;
  const std::int64_t height = header.height;
  std::fill_n(raster.Pixels(), raster.PixelCount(), palette[0]);
  file.Seek(header.pixelOffset);

  std::int64_t x = 0;
  std::int64_t y = 0;  // rows in file order
  std::uint32_t* out = nullptr;
  auto rowAt = [&](std::int64_t fileRow) {
    return fileRow < height ? raster.Row(static_cast<std::int32_t>(
                                  header.topDown ? fileRow : height - 1 - fileRow))
                            : nullptr;
  };
  auto next = [&]() {
    const int byte = file.Next();
    if (byte < 0) throw BmpError("the compressed pixels are truncated");
    return static_cast<std::uint8_t>(byte);
  };
  auto put = [&](std::uint8_t index) {
    if (out != nullptr && x < width) out[x] = palette[index];
    ++x;
  };

  out = rowAt(0);
  while (y < height) {
    const int first = file.Next();
    if (first < 0) throw BmpError("the compressed pixels are truncated");
    const std::uint8_t count = static_cast<std::uint8_t>(first);
    const std::uint8_t code = next();
    if (count > 0) {  // a run of count pixels
      const std::int64_t run = std::min<std::int64_t>(count, std::max<std::int64_t>(width - x, 0));
      if (out != nullptr && run > 0) {
        if (rle4) {
          const std::uint32_t even = palette[code >> 4], odd = palette[code & 0x0F];
          for (std::int64_t i = 0; i < run; ++i) out[x + i] = (i & 1) ? odd : even;
        } else {
          std::fill_n(out + x, run, palette[code]);
        }
      }
      x += count;
    } else if (code == 0) {  // end of line
      x = 0;
      out = rowAt(++y);
    } else if (code == 1) {  // end of bitmap
      break;
    } else if (code == 2) {  // delta: move right and down
      const std::uint8_t dx = next();
      const std::uint8_t dy = next();
      x += dx;
      y += dy;
      out = rowAt(y);
    } else {  // an absolute run of code pixels, padded to a 16-bit boundary
      const std::uint32_t bytes = rle4 ? (code + 1u) / 2 : code;
      for (std::uint32_t i = 0; i < bytes; ++i) {
        const std::uint8_t b = next();
        if (rle4) {
          put(b >> 4);
          if (2 * i + 1 < code) put(b & 0x0F);
        } else {
          put(b);
        }
      }
      if (bytes & 1) next();
    }
  }
}

void ReadBmp(BmpFile& file, Raster32& raster, std::uint64_t& requiredBytes,
             std::uint64_t maxBytes) {
  const BmpHeader header = ReadHeader(file);
  requiredBytes = Raster32::RequiredBytes(header.width, header.height);
  const bool rle = header.compression == kBiRle4 || header.compression == kBiRle8;
  if (!rle) {
    // Uncompressed pixels must all be in the file before any memory is asked for them.
    const std::uint64_t stride =
        ((static_cast<std::uint64_t>(header.width) * header.bitCount + 31) / 32) * 4;
    if (header.pixelOffset > file.Size() ||
        stride * static_cast<std::uint64_t>(header.height) > file.Size() - header.pixelOffset) {
      throw BmpError("the file is truncated");
    }
  }
  const std::array<std::uint32_t, 256> palette = ReadPalette(file, header);
  AllocateChartRaster(raster, header.width, header.height, maxBytes, false);
  if (rle) {
    ReadRle(file, header, palette, raster);
  } else {
    ReadRows(file, header, palette, raster);
  }
}

}  // namespace

void ReadBmpChart(const std::string& path, Raster32& raster, std::uint64_t& requiredBytes,
                  std::uint64_t maxBytes) {
  OpenedFile handle(std::fopen(ResolvePath(path).c_str(), "rb"));
  struct stat status {};
  if (!handle || fstat(fileno(handle.get()), &status) != 0 || !S_ISREG(status.st_mode)) {
    throw CartozenError(UnableToOpenText(path));
  }
  BmpFile file(handle.get(), static_cast<std::uint64_t>(status.st_size));
  try {
    ReadBmp(file, raster, requiredBytes, maxBytes);
  } catch (const BmpError& error) {
    throw CartozenError("Unable to read bitmap '" + path + "': " + error.reason + ".");
  } catch (const std::bad_alloc&) {
    throw CartozenError(kBufferTooLargeText);
  }
}

}  // namespace cz
