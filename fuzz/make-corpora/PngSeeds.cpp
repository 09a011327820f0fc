// Web tiles: every PNG colour type and bit depth, with and without transparency, interlaced,
// at the tile size and others, with ancillary chunks, and broken in the ways downloads break.
#include <png.h>

#include <cstring>
#include <functional>
#include <stdexcept>
#include <vector>

#include "Seeds.h"
#include "importer/PngTestFiles.h"

namespace cz::seeds {
namespace {

struct PngImage {
  int Width = 256;
  int Height = 256;
  int ColourType = PNG_COLOR_TYPE_RGB;
  int Depth = 8;
  bool Interlaced = false;
  int PaletteSize = 0;  // palette images: 0 means 2^depth
  int Transparent = 0;  // palette entries with alpha (tRNS), or any value: a tRNS colour
  int CompressionLevel = 9;
  std::size_t IdatSize = 8192;
  int Filters = -1;                                    // -1: libpng's choice
  std::function<void(png_structp, png_infop)> Chunks;  // before the pixels
};

void Append(png_structp png, png_bytep data, png_size_t size) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), size);
}

// As with libjpeg: libpng's errors cross its frames as exceptions, and only when the
// generator asks for something libpng cannot write.
void Fail(png_structp, png_const_charp message) {
  throw std::runtime_error(message);
}

// Rows of blocks of 8 × 8 pixels: small files even at 256 × 256.
std::vector<std::uint8_t> Row(const PngImage& image, int y) {
  const int channels = testing::PngChannels(image.ColourType);
  std::vector<std::uint8_t> row;
  std::uint32_t pending = 0;
  int pendingBits = 0;
  for (int x = 0; x < image.Width; ++x) {
    for (int c = 0; c < channels; ++c) {
      const std::uint8_t v = Pattern(x / 8, y / 8, c);
      if (image.Depth == 16) {
        row.push_back(v);
        row.push_back(static_cast<std::uint8_t>(v ^ x));
      } else if (image.Depth == 8) {
        row.push_back(v);
      } else {
        pending = pending << image.Depth | (v >> (8 - image.Depth));
        pendingBits += image.Depth;
        if (pendingBits == 8) {
          row.push_back(static_cast<std::uint8_t>(pending));
          pending = 0;
          pendingBits = 0;
        }
      }
    }
  }
  if (pendingBits > 0) row.push_back(static_cast<std::uint8_t>(pending << (8 - pendingBits)));
  return row;
}

std::string PngBytes(const PngImage& image) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, nullptr);
  png_infop info = png_create_info_struct(png);
  try {
    png_set_write_fn(png, &out, Append, nullptr);
    png_set_check_for_invalid_index(png, 0);  // indices beyond the palette are wanted
    png_set_compression_level(png, image.CompressionLevel);
    png_set_compression_buffer_size(png, image.IdatSize);
    if (image.Filters >= 0) png_set_filter(png, 0, image.Filters);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.Width),
                 static_cast<png_uint_32>(image.Height), image.Depth, image.ColourType,
                 image.Interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    std::vector<png_byte> alpha;
    if (image.ColourType == PNG_COLOR_TYPE_PALETTE) {
      const int size = image.PaletteSize != 0 ? image.PaletteSize : 1 << image.Depth;
      for (int i = 0; i < size; ++i) {
        palette.push_back({Pattern(i, 0, 0), Pattern(i, 1, 1), Pattern(i, 2, 2)});
      }
      png_set_PLTE(png, info, palette.data(), size);
      for (int i = 0; i < image.Transparent; ++i) alpha.push_back(static_cast<png_byte>(i * 16));
      if (!alpha.empty()) {
        png_set_tRNS(png, info, alpha.data(), static_cast<int>(alpha.size()), nullptr);
      }
    } else if (image.Transparent != 0) {
      png_color_16 colour{};
      colour.gray = colour.red = static_cast<png_uint_16>(image.Transparent);
      colour.green = colour.blue = 0;
      png_set_tRNS(png, info, nullptr, 0, &colour);
    }
    if (image.Chunks) image.Chunks(png, info);
    png_write_info(png, info);
    std::vector<std::vector<std::uint8_t>> rows;
    std::vector<png_bytep> pointers;
    for (int y = 0; y < image.Height; ++y) rows.push_back(Row(image, y));
    for (auto& row : rows) pointers.push_back(row.data());
    png_write_image(png, pointers.data());
    png_write_end(png, info);
  } catch (...) {
    png_destroy_write_struct(&png, &info);
    throw;
  }
  png_destroy_write_struct(&png, &info);
  return out;
}

PngImage With(const std::function<void(PngImage&)>& change) {
  PngImage image;
  change(image);
  return image;
}

struct Chunk {
  std::string Type;
  std::string Data;
};

std::uint32_t BigEndian32(const std::string& s, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[at])) << 24 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[at + 1])) << 16 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[at + 2])) << 8 |
         static_cast<std::uint8_t>(s[at + 3]);
}

std::vector<Chunk> ChunksOf(const std::string& png) {
  std::vector<Chunk> chunks;
  for (std::size_t at = 8; at + 12 <= png.size();) {
    const std::uint32_t length = BigEndian32(png, at);
    chunks.push_back({png.substr(at + 4, 4), png.substr(at + 8, length)});
    at += 12 + length;
  }
  return chunks;
}

// The PNG of these chunks, each with its correct CRC.
std::string PngOf(const std::vector<Chunk>& chunks) {
  Bytes out;
  out.Raw("\x89PNG\r\n\x1a\n");
  for (const Chunk& chunk : chunks) {
    out.U32BE(static_cast<std::uint32_t>(chunk.Data.size())).Raw(chunk.Type).Raw(chunk.Data);
    out.U32BE(Crc32(chunk.Type + chunk.Data));
  }
  return out.Str();
}

// The chunks with the first of `type` changed.
std::string Edited(const std::string& png, const std::string& type,
                   const std::function<void(std::string&)>& change) {
  std::vector<Chunk> chunks = ChunksOf(png);
  for (Chunk& chunk : chunks) {
    if (chunk.Type == type) {
      change(chunk.Data);
      return PngOf(chunks);
    }
  }
  throw std::runtime_error("no PNG chunk " + type);
}

}  // namespace

void MakePngSeeds(Corpus& corpus) {
  const auto write = [&](const std::string& name, const PngImage& image) {
    corpus.Write(name, PngBytes(image));
  };
  // Colour types and depths, at the tile size where the file stays small.
  write("tile-palette8-trns.png", With([](PngImage& i) {
          i.ColourType = PNG_COLOR_TYPE_PALETTE;
          i.PaletteSize = 64;
          i.Transparent = 16;
        }));
  write("tile-palette1.png", With([](PngImage& i) {
          i.ColourType = PNG_COLOR_TYPE_PALETTE;
          i.Depth = 1;
        }));
  write("tile-palette2-trns.png", With([](PngImage& i) {
          i.ColourType = PNG_COLOR_TYPE_PALETTE;
          i.Depth = 2;
          i.Transparent = 4;
        }));
  write("tile-palette4-short-trns.png", With([](PngImage& i) {
          i.ColourType = PNG_COLOR_TYPE_PALETTE;
          i.Depth = 4;
          i.PaletteSize = 11;  // indices 11..15 lie outside the palette
          i.Transparent = 3;
        }));
  for (const int depth : {1, 2, 4, 8}) {
    write("tile-grey" + std::to_string(depth) + ".png", With([&](PngImage& i) {
            i.ColourType = PNG_COLOR_TYPE_GRAY;
            i.Depth = depth;
          }));
  }
  write("grey16-trns.png", With([](PngImage& i) {
          i.ColourType = PNG_COLOR_TYPE_GRAY;
          i.Depth = 16;
          i.Width = i.Height = 64;
          i.Transparent = 0x4040;
        }));
  write("tile-greyalpha8.png", With([](PngImage& i) { i.ColourType = PNG_COLOR_TYPE_GRAY_ALPHA; }));
  write("tile-rgb8-trns.png", With([](PngImage& i) { i.Transparent = 0x40; }));
  write("rgb16.png", With([](PngImage& i) {
          i.Depth = 16;
          i.Width = i.Height = 48;
        }));
  write("tile-rgba8.png", With([](PngImage& i) { i.ColourType = PNG_COLOR_TYPE_RGB_ALPHA; }));
  write("rgba16-40x40.png", With([](PngImage& i) {
          i.ColourType = PNG_COLOR_TYPE_RGB_ALPHA;
          i.Depth = 16;
          i.Width = i.Height = 40;
        }));

  // Interlaced, including images smaller than some Adam7 passes.
  write("tile-interlaced-palette4.png", With([](PngImage& i) {
          i.ColourType = PNG_COLOR_TYPE_PALETTE;
          i.Depth = 4;
          i.Interlaced = true;
        }));
  write("interlaced-rgb8-33x17.png", With([](PngImage& i) {
          i.Width = 33;
          i.Height = 17;
          i.Interlaced = true;
        }));
  write("interlaced-rgba16.png", With([](PngImage& i) {
          i.ColourType = PNG_COLOR_TYPE_RGB_ALPHA;
          i.Depth = 16;
          i.Width = i.Height = 20;
          i.Interlaced = true;
        }));
  write("interlaced-grey1-7x7.png", With([](PngImage& i) {
          i.ColourType = PNG_COLOR_TYPE_GRAY;
          i.Depth = 1;
          i.Width = i.Height = 7;
          i.Interlaced = true;
        }));
  write("interlaced-greyalpha16-1x1.png", With([](PngImage& i) {
          i.ColourType = PNG_COLOR_TYPE_GRAY_ALPHA;
          i.Depth = 16;
          i.Width = i.Height = 1;
          i.Interlaced = true;
        }));
  write("tile-interlaced-rgb8.png", With([](PngImage& i) { i.Interlaced = true; }));

  // Other sizes than the tile's.
  write("one-pixel.png", With([](PngImage& i) { i.Width = i.Height = 1; }));
  write("palette8-255x255.png", With([](PngImage& i) {
          i.ColourType = PNG_COLOR_TYPE_PALETTE;
          i.Width = i.Height = 255;
        }));
  write("palette8-257x257.png", With([](PngImage& i) {
          i.ColourType = PNG_COLOR_TYPE_PALETTE;
          i.Width = i.Height = 257;
        }));
  write("grey8-512x8.png", With([](PngImage& i) {
          i.ColourType = PNG_COLOR_TYPE_GRAY;
          i.Width = 512;
          i.Height = 8;
        }));
  write("grey8-8x512-interlaced.png", With([](PngImage& i) {
          i.ColourType = PNG_COLOR_TYPE_GRAY;
          i.Width = 8;
          i.Height = 512;
          i.Interlaced = true;
        }));
  write("grey1-4096x1.png", With([](PngImage& i) {
          i.ColourType = PNG_COLOR_TYPE_GRAY;
          i.Depth = 1;
          i.Width = 4096;
          i.Height = 1;
        }));
  write("grey1-4097x2.png", With([](PngImage& i) {
          i.ColourType = PNG_COLOR_TYPE_GRAY;
          i.Depth = 1;
          i.Width = 4097;
          i.Height = 2;
        }));
  write("rgba8-17x5.png", With([](PngImage& i) {
          i.ColourType = PNG_COLOR_TYPE_RGB_ALPHA;
          i.Width = 17;
          i.Height = 5;
        }));

  // Ancillary chunks, compression and filters.
  write("ancillary-chunks.png", With([](PngImage& i) {
          i.Width = i.Height = 32;
          i.Chunks = [](png_structp png, png_infop info) {
            png_set_gAMA(png, info, 0.45455);
            png_set_cHRM(png, info, 0.3127, 0.329, 0.64, 0.33, 0.3, 0.6, 0.15, 0.06);
            png_set_pHYs(png, info, 11811, 11811, PNG_RESOLUTION_METER);
            png_color_16 background{0, 10, 20, 30, 0};
            png_set_bKGD(png, info, &background);
            png_color_8 significant{5, 6, 5, 0, 0};
            png_set_sBIT(png, info, &significant);
            png_time when{2020, 2, 29, 12, 0, 0};
            png_set_tIME(png, info, &when);
            png_text texts[2] = {};
            texts[0].compression = PNG_TEXT_COMPRESSION_NONE;
            texts[0].key = const_cast<char*>("Software");
            texts[0].text = const_cast<char*>("tile server");
            texts[1].compression = PNG_TEXT_COMPRESSION_zTXt;
            texts[1].key = const_cast<char*>("Copyright");
            texts[1].text = const_cast<char*>("map data contributors, map data contributors");
            png_set_text(png, info, texts, 2);
            png_unknown_chunk unknown{};
            std::memcpy(unknown.name, "prVt", 5);
            unknown.data = reinterpret_cast<png_byte*>(const_cast<char*>("private"));
            unknown.size = 7;
            unknown.location = PNG_HAVE_IHDR;
            png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_ALWAYS, nullptr, 0);
            png_set_unknown_chunks(png, info, &unknown, 1);
          };
        }));
  write("many-idat-chunks.png", With([](PngImage& i) {
          i.Width = i.Height = 64;
          i.IdatSize = 64;
        }));
  write("deflate-stored.png", With([](PngImage& i) {
          i.ColourType = PNG_COLOR_TYPE_GRAY;
          i.Width = i.Height = 32;
          i.CompressionLevel = 0;
        }));
  write("filter-paeth.png", With([](PngImage& i) {
          i.Width = i.Height = 32;
          i.Filters = PNG_FILTER_PAETH;
        }));
  write("filter-sub-up-avg.png", With([](PngImage& i) {
          i.ColourType = PNG_COLOR_TYPE_RGB_ALPHA;
          i.Width = i.Height = 32;
          i.Filters = PNG_FILTER_SUB | PNG_FILTER_UP | PNG_FILTER_AVG;
        }));

  // Broken files.
  const std::string good = PngBytes(With([](PngImage& i) {
    i.ColourType = PNG_COLOR_TYPE_PALETTE;
    i.Depth = 8;
    i.PaletteSize = 4;  // every index from 4 up lies outside it
    i.Width = i.Height = 64;
  }));
  corpus.Write("palette-indices-beyond.png", good);
  const std::vector<Chunk> chunks = ChunksOf(good);
  std::size_t idatEnd = 8;
  for (const Chunk& c : chunks) {
    idatEnd += 12 + c.Data.size();
    if (c.Type == "IDAT") break;
  }
  corpus.WriteTruncated("truncated-in-idat.png", good, idatEnd - 20);
  corpus.WriteTruncated("truncated-after-ihdr.png", good, 33);
  corpus.WriteTruncated("truncated-signature.png", good, 5);
  corpus.WriteTruncated("no-iend.png", good, good.size() - 12);
  std::string badCrc = good;
  badCrc[idatEnd - 6] ^= 0x5A;
  corpus.Write("idat-crc-wrong.png", badCrc);
  corpus.Write("idat-zlib-corrupt.png", Edited(good, "IDAT", [](std::string& d) {
                 for (std::size_t k = 2; k < d.size(); k += 7) d[k] ^= 0x33;
               }));
  corpus.Write("idat-zlib-short.png",
               Edited(good, "IDAT", [](std::string& d) { d.resize(d.size() / 3); }));
  corpus.Write("ihdr-width-0.png",
               Edited(good, "IHDR", [](std::string& d) { d.replace(0, 4, 4, '\0'); }));
  corpus.Write("ihdr-huge.png", Edited(good, "IHDR", [](std::string& d) {
                 d.replace(0, 8, "\x00\x0f\x42\x40\x00\x0f\x42\x40", 8);  // 1000000 × 1000000
               }));
  corpus.Write("ihdr-rgb-depth-4.png", Edited(good, "IHDR", [](std::string& d) {
                 d[8] = 4;
                 d[9] = PNG_COLOR_TYPE_RGB;
               }));
  corpus.Write("ihdr-interlace-method-2.png",
               Edited(good, "IHDR", [](std::string& d) { d[12] = 2; }));
  std::vector<Chunk> noPalette;
  for (const Chunk& c : chunks) {
    if (c.Type != "PLTE") noPalette.push_back(c);
  }
  corpus.Write("palette-missing.png", PngOf(noPalette));
  corpus.Write("data-after-iend.png", good + "trailing bytes of a download");
}

}  // namespace cz::seeds
