// Windows bitmaps, built byte by byte: every header (OS/2 core, 40, 64, 108, 124 bytes),
// palettes of every size, BI_RGB and BI_BITFIELDS at 16 and 32 bits, RLE4 and RLE8 with all
// their escapes, both row orders, and headers that lie.
#include <cstdint>
#include <functional>
#include <vector>

#include "Seeds.h"

namespace cz::seeds {
namespace {

constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3, kAlphaBitfields = 6;

struct Bmp {
  std::uint32_t HeaderSize = 40;
  std::int32_t Width = 12;
  std::int32_t Height = 10;  // negative: rows top-down
  std::uint16_t Bits = 24;
  std::uint32_t Compression = kRgb;
  std::vector<std::uint32_t> Masks;  // red, green, blue (, alpha)
  std::uint32_t PaletteSize = 0;     // entries written
  std::uint32_t ColoursUsed = 0;     // as declared
  std::uint16_t Planes = 1;
  std::string Pixels;  // empty: packed from Pattern()
  std::int64_t PixelOffsetChange = 0;
};

std::uint32_t Sample(const Bmp& bmp, int x, int y) {
  const std::uint32_t r = Pattern(x, y, 0), g = Pattern(x, y, 1), b = Pattern(x, y, 2);
  switch (bmp.Bits) {
    case 1:
    case 2:
    case 4:
    case 8:
      return Pattern(x, y, 0) >> (8 - bmp.Bits);
    case 16:
      if (bmp.Masks.empty()) return (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
      return (r * 0x01010101u & bmp.Masks[0]) | (g * 0x01010101u & bmp.Masks[1]) |
             (b * 0x01010101u & bmp.Masks[2]);
    case 24:
      return r << 16 | g << 8 | b;
    default:
      if (bmp.Masks.empty()) return r << 16 | g << 8 | b;
      return (r * 0x01010101u & bmp.Masks[0]) | (g * 0x01010101u & bmp.Masks[1]) |
             (b * 0x01010101u & bmp.Masks[2]) |
             (bmp.Masks.size() > 3 ? (Pattern(x, y, 3) * 0x01010101u & bmp.Masks[3]) : 0);
  }
}

// Rows in file order, each padded to four bytes.
std::string PackedRows(const Bmp& bmp) {
  const int height = bmp.Height < 0 ? -bmp.Height : bmp.Height;
  std::string out;
  for (int fileRow = 0; fileRow < height; ++fileRow) {
    const int y = bmp.Height < 0 ? fileRow : height - 1 - fileRow;
    std::string row;
    std::uint32_t pending = 0;
    int pendingBits = 0;
    for (int x = 0; x < bmp.Width; ++x) {
      const std::uint32_t v = Sample(bmp, x, y);
      if (bmp.Bits >= 8) {
        for (int b = 0; b < bmp.Bits; b += 8) row += static_cast<char>((v >> b) & 0xFF);
        continue;
      }
      pending = pending << bmp.Bits | v;
      pendingBits += bmp.Bits;
      if (pendingBits == 8) {
        row += static_cast<char>(pending);
        pending = 0;
        pendingBits = 0;
      }
    }
    if (pendingBits > 0) row += static_cast<char>(pending << (8 - pendingBits));
    row.resize((row.size() + 3) / 4 * 4, '\0');
    out += row;
  }
  return out;
}

std::string BmpBytes(const Bmp& bmp) {
  const bool core = bmp.HeaderSize == 12;
  Bytes info;
  if (core) {
    info.U32(12)
        .U16(static_cast<std::uint32_t>(bmp.Width))
        .U16(static_cast<std::uint32_t>(bmp.Height));
    info.U16(bmp.Planes).U16(bmp.Bits);
  } else {
    const std::string pixels = bmp.Pixels.empty() ? PackedRows(bmp) : bmp.Pixels;
    info.U32(bmp.HeaderSize).U32(static_cast<std::uint32_t>(bmp.Width));
    info.U32(static_cast<std::uint32_t>(bmp.Height)).U16(bmp.Planes).U16(bmp.Bits);
    info.U32(bmp.Compression).U32(static_cast<std::uint32_t>(pixels.size()));
    info.U32(2835).U32(2835).U32(bmp.ColoursUsed).U32(0);
    if (bmp.HeaderSize >= 108) {
      for (std::size_t i = 0; i < 4; ++i) info.U32(i < bmp.Masks.size() ? bmp.Masks[i] : 0);
      info.U32(0x73524742);   // 'sRGB'
      info.Fill(36 + 12, 0);  // end points, gamma
      if (bmp.HeaderSize >= 124) info.U32(4).U32(0).U32(0).U32(0);
    }
    info.Fill(bmp.HeaderSize - std::min<std::size_t>(info.Size(), bmp.HeaderSize), 0);
  }
  if (!core && bmp.HeaderSize < 108 && !bmp.Masks.empty()) {
    for (const std::uint32_t m : bmp.Masks) info.U32(m);
  }
  for (std::uint32_t i = 0; i < bmp.PaletteSize; ++i) {
    info.U8(Pattern(static_cast<int>(i % 16), static_cast<int>(i / 16), 2));
    info.U8(Pattern(static_cast<int>(i % 16), static_cast<int>(i / 16), 1));
    info.U8(Pattern(static_cast<int>(i % 16), static_cast<int>(i / 16), 0));
    if (!core) info.U8(0);
  }
  const std::string pixels = bmp.Pixels.empty() ? PackedRows(bmp) : bmp.Pixels;
  const std::uint32_t offset = static_cast<std::uint32_t>(14 + info.Size() + bmp.PixelOffsetChange);
  Bytes file;
  file.Raw("BM").U32(static_cast<std::uint32_t>(14 + info.Size() + pixels.size())).U32(0);
  file.U32(offset).Raw(info.Str()).Raw(pixels);
  return file.Str();
}

Bmp With(const std::function<void(Bmp&)>& change) {
  Bmp bmp;
  change(bmp);
  return bmp;
}

Bmp Indexed(std::uint16_t bits, std::uint32_t compression = kRgb) {
  Bmp bmp;
  bmp.Bits = bits;
  bmp.Compression = compression;
  bmp.PaletteSize = 1u << bits;
  return bmp;
}

// An RLE8 stream on a 12 × 10 image: encoded runs, an absolute run of odd length (padded),
// an end of line, a delta, and the end of the bitmap.
std::string Rle8Stream(bool endOfBitmap) {
  Bytes s;
  s.U8(5).U8(1).U8(7).U8(2);                 // 5 × colour 1, 7 × colour 2
  s.U8(0).U8(3).U8(3).U8(4).U8(5).U8(0);     // absolute 3 pixels, padded to a word
  s.U8(4).U8(6).U8(0).U8(0);                 // 4 × colour 6, end of line
  s.U8(0).U8(2).U8(3).U8(2);                 // delta: 3 right, 2 down
  s.U8(0).U8(4).U8(9).U8(10).U8(11).U8(12);  // absolute 4 pixels
  s.U8(0).U8(0).U8(12).U8(13).U8(0).U8(0);   // end of line, a full row, end of line
  if (endOfBitmap) s.U8(0).U8(1);
  return s.Str();
}

std::string Rle4Stream() {
  Bytes s;
  s.U8(6).U8(0x12).U8(6).U8(0x34);                 // runs of two alternating colours
  s.U8(0).U8(5).U8(0x56).U8(0x78).U8(0x90).U8(0);  // absolute 5 pixels, padded
  s.U8(7).U8(0xAB).U8(0).U8(0);                    // run, end of line
  s.U8(0).U8(2).U8(1).U8(3);                       // delta
  s.U8(0).U8(3).U8(0xCD).U8(0xE0);                 // absolute 3 pixels
  s.U8(0).U8(1);
  return s.Str();
}

}  // namespace

void MakeBmpSeeds(Corpus& corpus) {
  const auto write = [&](const std::string& name, const Bmp& bmp) {
    corpus.Write(name, BmpBytes(bmp));
  };
  // Headers.
  write("core-rgb24.bmp", With([](Bmp& b) { b.HeaderSize = 12; }));
  write("core-palette4.bmp", With([](Bmp& b) {
          b = Indexed(4);
          b.HeaderSize = 12;
        }));
  write("core-palette8.bmp", With([](Bmp& b) {
          b = Indexed(8);
          b.HeaderSize = 12;
          b.PaletteSize = 32;  // fewer than the 256 a core header implies
        }));
  write("os2-64-header-rgb24.bmp", With([](Bmp& b) { b.HeaderSize = 64; }));
  write("v4-bitfields32-alpha.bmp", With([](Bmp& b) {
          b.HeaderSize = 108;
          b.Bits = 32;
          b.Compression = kBitfields;
          b.Masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
        }));
  write("v4-bitfields16-4444.bmp", With([](Bmp& b) {
          b.HeaderSize = 108;
          b.Bits = 16;
          b.Compression = kBitfields;
          b.Masks = {0x0F00, 0x00F0, 0x000F, 0xF000};
        }));
  write("v5-rgb24.bmp", With([](Bmp& b) { b.HeaderSize = 124; }));
  write("v5-palette8-topdown.bmp", With([](Bmp& b) {
          b = Indexed(8);
          b.HeaderSize = 124;
          b.PaletteSize = b.ColoursUsed = 16;
          b.Height = -10;
        }));
  write("v5-rle8.bmp", With([](Bmp& b) {
          b = Indexed(8, kRle8);
          b.HeaderSize = 124;
          b.Pixels = Rle8Stream(true);
        }));

  // Bit fields and plain 16 and 32 bits.
  write("bitfields16-555.bmp", With([](Bmp& b) {
          b.Bits = 16;
          b.Compression = kBitfields;
          b.Masks = {0x7C00, 0x03E0, 0x001F};
        }));
  write("rgb16-default-555-topdown.bmp", With([](Bmp& b) {
          b.Bits = 16;
          b.Height = -10;
        }));
  write("rgb32-no-alpha.bmp", With([](Bmp& b) { b.Bits = 32; }));
  write("bitfields32-10bit.bmp", With([](Bmp& b) {
          b.Bits = 32;
          b.Compression = kBitfields;
          b.Masks = {0x3FF00000, 0x000FFC00, 0x000003FF};
        }));
  write("bitfields32-bgr-order.bmp", With([](Bmp& b) {
          b.Bits = 32;
          b.Compression = kBitfields;
          b.Masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
        }));
  write("bitfields-zero-masks.bmp", With([](Bmp& b) {
          b.Bits = 16;
          b.Compression = kBitfields;
          b.Masks = {0, 0, 0};
        }));
  write("bitfields-holes-in-mask.bmp", With([](Bmp& b) {
          b.Bits = 32;
          b.Compression = kBitfields;
          b.Masks = {0x00F0F000, 0x0000FF00, 0x0F0F0000};
        }));
  write("alphabitfields32.bmp", With([](Bmp& b) {
          b.Bits = 32;
          b.Compression = kAlphaBitfields;
          b.Masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
        }));
  write("bitfields24-unsupported.bmp", With([](Bmp& b) {
          b.Compression = kBitfields;
          b.Masks = {0xFF0000, 0xFF00, 0xFF};
        }));

  // Palettes.
  write("mono1-width13.bmp", With([](Bmp& b) {
          b = Indexed(1);
          b.Width = 13;
        }));
  write("mono1-topdown.bmp", With([](Bmp& b) {
          b = Indexed(1);
          b.Width = 33;
          b.Height = -3;
        }));
  write("palette2-wince.bmp", Indexed(2));
  write("palette4-used3-indices-beyond.bmp", With([](Bmp& b) {
          b = Indexed(4);
          b.PaletteSize = b.ColoursUsed = 3;
        }));
  write("palette8-used-300.bmp", With([](Bmp& b) {
          b = Indexed(8);
          b.ColoursUsed = 300;
        }));
  write("palette8-table-cut-by-offset.bmp", With([](Bmp& b) {
          b = Indexed(8);
          b.PixelOffsetChange = -512;
        }));

  // Run-length encodings.
  write("rle8-escapes.bmp", With([](Bmp& b) {
          b = Indexed(8, kRle8);
          b.Pixels = Rle8Stream(true);
        }));
  write("rle8-no-end-of-bitmap.bmp", With([](Bmp& b) {
          b = Indexed(8, kRle8);
          b.Pixels = Rle8Stream(false);
        }));
  write("rle8-runs-past-the-edges.bmp", With([](Bmp& b) {
          b = Indexed(8, kRle8);
          b.Pixels = Bytes()
                         .U8(255)
                         .U8(3)
                         .U8(0)
                         .U8(2)
                         .U8(200)
                         .U8(200)
                         .U8(0)
                         .U8(20)
                         .Fill(20, 5)
                         .U8(0)
                         .U8(1)
                         .Str();
        }));
  write("rle8-topdown.bmp", With([](Bmp& b) {
          b = Indexed(8, kRle8);
          b.Height = -10;
          b.Pixels = Rle8Stream(true);
        }));
  write("rle4-escapes.bmp", With([](Bmp& b) {
          b = Indexed(4, kRle4);
          b.Pixels = Rle4Stream();
        }));
  write("rle4-truncated-absolute.bmp", With([](Bmp& b) {
          b = Indexed(4, kRle4);
          b.Pixels = Bytes().U8(4).U8(0x11).U8(0).U8(40).U8(0x23).Str();
        }));
  write("rle8-wrong-bit-count.bmp", With([](Bmp& b) {
          b = Indexed(4, kRle8);
          b.Pixels = Rle8Stream(true);
        }));

  // Headers that lie.
  write("declared-huge.bmp", With([](Bmp& b) {
          b.Width = b.Height = 60000;
          b.Pixels = std::string(64, '\x55');
        }));
  write("negative-width.bmp", With([](Bmp& b) {
          b.Width = -12;
          b.Pixels = std::string(360, '\x11');
        }));
  write("height-zero.bmp", With([](Bmp& b) {
          b.Height = 0;
          b.Pixels = std::string(36, '\x11');
        }));
  write("height-int-min.bmp", With([](Bmp& b) {
          b.Height = INT32_MIN;
          b.Pixels = std::string(36, '\x11');
        }));
  write("pixel-offset-past-end.bmp", With([](Bmp& b) { b.PixelOffsetChange = 100000; }));
  write("planes-3.bmp", With([](Bmp& b) { b.Planes = 3; }));
  write("bits-64.bmp", With([](Bmp& b) {
          b.Bits = 64;
          b.Pixels = std::string(64, '\x22');
        }));
  write("compression-png.bmp", With([](Bmp& b) {
          b.Compression = 5;
          b.Pixels = "\x89PNG\r\n\x1a\n";
        }));
  write("header-size-1024.bmp", With([](Bmp& b) { b.HeaderSize = 1024; }));
  write("header-size-39.bmp", With([](Bmp& b) { b.HeaderSize = 39; }));
  const std::string rgb = BmpBytes(Bmp{});
  corpus.WriteTruncated("truncated-pixels.bmp", rgb, rgb.size() / 2);
  corpus.WriteTruncated("truncated-header.bmp", rgb, 30);
}

}  // namespace cz::seeds
