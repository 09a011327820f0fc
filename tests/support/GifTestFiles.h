#pragma once
// GIF files for decoder tests and benchmarks, made two independent ways: through giflib (the
// reference encoder and decoder) and by hand from a list of LZW codes, for the streams that no
// sound encoder writes (hostile data, unusual Clear placements).

#include <gif_lib.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace cz::testing {

using Rgb = std::array<std::uint8_t, 3>;

// An indexed image: one colour index per pixel, rows top-down, and its colours.
struct IndexedImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> indices;
  std::vector<Rgb> colours;

  std::uint8_t At(int x, int y) const { return indices[static_cast<std::size_t>(y) * width + x]; }
};

// Colour of entry i in test palettes: never black, so a drawn pixel differs from the cleared
// view whatever its index.
inline Rgb TestColour(int i) {
  return {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
          static_cast<std::uint8_t>(0x80 | (i * 37 & 0x7f))};
}

inline std::uint32_t ViewPixel(const Rgb& c) {
  return (std::uint32_t{c[0]} << 16) | (std::uint32_t{c[1]} << 8) | c[2];
}

// Smallest power of two from 2 to 256 that holds count entries, as a GIF colour table needs.
inline int ColourTableSize(std::size_t count) {
  int size = 2;
  while (static_cast<std::size_t>(size) < count) size *= 2;
  return size;
}

// The image as a single-image GIF87a written by giflib the way the tile output writes tiles:
// no global colour table (screen flag byte 0x77), a local table padded with black to a power
// of two, the image at (0, 0), no extensions.
inline std::string EncodeWithGiflib(const IndexedImage& image, bool interlaced = false) {
  std::string out;
  int error = 0;
  GifFileType* gif = EGifOpen(
      &out,
      [](GifFileType* file, const GifByteType* bytes, int count) {
        static_cast<std::string*>(file->UserData)
            ->append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(count));
        return count;
      },
      &error);
  if (gif == nullptr) throw std::runtime_error("EGifOpen failed");
  std::vector<GifColorType> colours(
      static_cast<std::size_t>(ColourTableSize(image.colours.size())));
  for (std::size_t i = 0; i < image.colours.size(); ++i) {
    colours[i] = {image.colours[i][0], image.colours[i][1], image.colours[i][2]};
  }
  ColorMapObject* map = GifMakeMapObject(static_cast<int>(colours.size()), colours.data());
  bool ok = EGifPutScreenDesc(gif, image.width, image.height, 8, 0, nullptr) == GIF_OK &&
            EGifPutImageDesc(gif, 0, 0, image.width, image.height, interlaced, map) == GIF_OK;
  std::vector<GifPixelType> line(static_cast<std::size_t>(image.width));
  for (int y = 0; ok && y < image.height; ++y) {
    std::memcpy(line.data(), &image.indices[static_cast<std::size_t>(y) * image.width],
                line.size());
    ok = EGifPutLine(gif, line.data(), image.width) == GIF_OK;
  }
  GifFreeMapObject(map);
  if (EGifCloseFile(gif, &error) != GIF_OK || !ok)
    throw std::runtime_error("giflib encoding failed");
  return out;
}

// giflib's reading of a GIF: colour of every pixel of the first image, as the view holds it
// (red × 65536 + green × 256 + blue), rows in stored order.
inline std::vector<std::uint32_t> DecodeWithGiflib(const std::string& bytes, int* width,
                                                   int* height) {
  std::pair<const std::string*, std::size_t> input{&bytes, 0};
  int error = 0;
  GifFileType* gif = DGifOpen(
      &input,
      [](GifFileType* file, GifByteType* buffer, int count) {
        auto* in = static_cast<std::pair<const std::string*, std::size_t>*>(file->UserData);
        const std::size_t n =
            std::min(static_cast<std::size_t>(count), in->first->size() - in->second);
        std::memcpy(buffer, in->first->data() + in->second, n);
        in->second += n;
        return static_cast<int>(n);
      },
      &error);
  if (gif == nullptr) throw std::runtime_error("DGifOpen failed");
  if (DGifSlurp(gif) != GIF_OK || gif->ImageCount < 1) {
    DGifCloseFile(gif, &error);
    throw std::runtime_error("DGifSlurp failed");
  }
  const SavedImage& image = gif->SavedImages[0];
  const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
  *width = image.ImageDesc.Width;
  *height = image.ImageDesc.Height;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(*width) * *height);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const GifColorType& c = map->Colors[image.RasterBits[i]];
    pixels[i] = (std::uint32_t{c.Red} << 16) | (std::uint32_t{c.Green} << 8) | c.Blue;
  }
  DGifCloseFile(gif, &error);
  return pixels;
}

// Packs codes least-significant bit first, each with its own width, as GIF LZW data.
class CodeWriter {
 public:
  void Put(std::uint32_t code, int bits) {
    accumulator_ |= static_cast<std::uint64_t>(code) << used_;
    used_ += bits;
    while (used_ >= 8) {
      bytes_.push_back(static_cast<char>(accumulator_ & 0xff));
      accumulator_ >>= 8;
      used_ -= 8;
    }
  }
  std::string Finish() {
    if (used_ > 0) bytes_.push_back(static_cast<char>(accumulator_ & 0xff));
    accumulator_ = 0;
    used_ = 0;
    return bytes_;
  }

 private:
  std::string bytes_;
  std::uint64_t accumulator_ = 0;
  int used_ = 0;
};

// When a hand encoder sends Clear codes.
enum class ClearPolicy {
  kWhenFull,   // as soon as the table is full (what giflib does)
  kEvery4096,  // every 4096th code is a Clear; a full table is used as it is until then
  kNever,      // once at the start only; a full table is used to the end
};

// LZW-compresses indices with minimum code size m, codes growing the way decoders expect.
inline std::string EncodeLzw(const std::vector<std::uint8_t>& indices, int m, ClearPolicy policy) {
  const std::uint32_t clear = 1u << m;
  const std::uint32_t end = clear + 1;
  CodeWriter writer;
  std::map<std::pair<std::uint32_t, std::uint8_t>, std::uint32_t> table;
  std::uint32_t freeCode = clear + 2;
  int bits = m + 1;
  std::uint64_t codesSent = 0;
  auto send = [&](std::uint32_t code) {
    writer.Put(code, bits);
    ++codesSent;
  };
  auto restart = [&] {
    table.clear();
    freeCode = clear + 2;
    bits = m + 1;
  };
  send(clear);
  if (indices.empty()) {
    send(end);
    return writer.Finish();
  }
  std::uint32_t current = indices[0];
  for (std::size_t i = 1; i < indices.size(); ++i) {
    const auto key = std::make_pair(current, indices[i]);
    const auto found = table.find(key);
    if (found != table.end()) {
      current = found->second;
      continue;
    }
    send(current);
    // The decoder adds its entry one code later; it widens its codes when its next free code
    // reaches 2^bits, which for the encoder is the moment before this entry goes in.
    if (freeCode >= (1u << bits) && bits < 12) ++bits;
    const bool full = freeCode >= 4096;
    if (!full) table[key] = freeCode++;
    current = indices[i];
    if ((policy == ClearPolicy::kWhenFull && full) ||
        (policy == ClearPolicy::kEvery4096 && codesSent % 4096 == 4095)) {
      send(clear);
      restart();
    }
  }
  send(current);
  send(end);
  return writer.Finish();
}

// Assembles a GIF from its parts: signature, screen flag byte and optional global table,
// image descriptor (width, height, flag byte) and optional local table, minimum code size,
// the LZW data cut into sub-blocks of at most 255 bytes, the terminator and the trailer.
struct GifParts {
  std::string signature = "GIF87a";
  std::uint8_t screenFlags = 0x77;
  std::vector<Rgb> globalTable;  // written when screenFlags has 0x80
  int width = 0;
  int height = 0;
  std::uint8_t imageFlags = 0x87;
  std::vector<Rgb> localTable;  // written when imageFlags has 0x80
  std::uint8_t minimumCodeSize = 8;
  std::string lzw;
  bool trailer = true;
};

inline std::string AssembleGif(const GifParts& parts) {
  std::string out = parts.signature;
  auto put16 = [&out](int v) {
    out.push_back(static_cast<char>(v & 0xff));
    out.push_back(static_cast<char>((v >> 8) & 0xff));
  };
  auto putTable = [&out](const std::vector<Rgb>& table, std::uint8_t flags) {
    const std::size_t entries = std::size_t{1} << ((flags & 7) + 1);
    for (std::size_t i = 0; i < entries; ++i) {
      const Rgb c = i < table.size() ? table[i] : Rgb{0, 0, 0};
      out.append(reinterpret_cast<const char*>(c.data()), 3);
    }
  };
  put16(parts.width);
  put16(parts.height);
  out.push_back(static_cast<char>(parts.screenFlags));
  out.push_back(0);  // background
  out.push_back(0);  // aspect
  if (parts.screenFlags & 0x80) putTable(parts.globalTable, parts.screenFlags);
  out.push_back(',');
  put16(0);
  put16(0);
  put16(parts.width);
  put16(parts.height);
  out.push_back(static_cast<char>(parts.imageFlags));
  if (parts.imageFlags & 0x80) putTable(parts.localTable, parts.imageFlags);
  out.push_back(static_cast<char>(parts.minimumCodeSize));
  for (std::size_t i = 0; i < parts.lzw.size(); i += 255) {
    const std::size_t n = std::min<std::size_t>(255, parts.lzw.size() - i);
    out.push_back(static_cast<char>(n));
    out.append(parts.lzw, i, n);
  }
  out.push_back(0);
  if (parts.trailer) out.push_back(';');
  return out;
}

// A chart-like test tile: smooth colour areas, hard-edged lines and a sprinkle of noise, in
// colourCount colours, deterministic for a seed.
inline IndexedImage ChartLikeImage(int width, int height, int colourCount, std::uint32_t seed) {
  IndexedImage image;
  image.width = width;
  image.height = height;
  image.indices.resize(static_cast<std::size_t>(width) * height);
  for (int i = 0; i < colourCount; ++i) image.colours.push_back(TestColour(i * 255 / colourCount));
  std::uint32_t state = seed * 2654435761u + 1;
  auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  };
  const int band = 40 + static_cast<int>(seed % 60);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int value = ((x + static_cast<int>(seed)) / band + (y / (band / 2 + 7))) % colourCount;
      if ((x + 2 * y + static_cast<int>(seed)) % 97 < 2 || (3 * x - y) % 151 == 0) value = 0;
      if ((next() & 63) == 0) value = static_cast<int>(next() % colourCount);
      image.indices[static_cast<std::size_t>(y) * width + x] = static_cast<std::uint8_t>(value);
    }
  }
  return image;
}

}  // namespace cz::testing
