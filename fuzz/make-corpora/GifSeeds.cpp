// GIF tiles for the two GIF readers: giflib behind the loading of existing tiles, and the map
// viewer's own decoder (which takes only what the tile output writes, GIF87a without
// extensions, and refuses the rest). Tiles come from the program's own tile output at every
// colour count (so every LZW minimum code size from 2 to 8) and from giflib (global and local
// tables, interlace, several images, extension blocks), and are then broken by hand.
#include <gif_lib.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "Seeds.h"
#include "imaging/GifTileWriter.h"
#include "imaging/Raster32.h"
#include "imaging/TileEncoder.h"

namespace cz::seeds {
namespace {

struct GifFrame {
  int Left = 0, Top = 0, Width = 16, Height = 12;
  bool Interlaced = false;
  int LocalColours = 0;                                 // 0: none, the global table applies
  int IndexShift = 0;                                   // indices are Pattern() >> IndexShift
  std::vector<std::pair<int, std::string>> Extensions;  // code, one data block, before the image
};

struct GifRecipe {
  int ScreenWidth = 16, ScreenHeight = 12;
  int GlobalColours = 16;  // 0: none
  bool Gif89 = false;
  std::vector<GifFrame> Frames = {GifFrame{}};
};

int Write(GifFileType* gif, const GifByteType* data, int size) {
  static_cast<std::string*>(gif->UserData)
      ->append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(size));
  return size;
}

ColorMapObject* ColourMap(int colours, int salt) {
  std::vector<GifColorType> entries;
  for (int i = 0; i < colours; ++i) {
    entries.push_back({Pattern(i, salt, 0), Pattern(i, salt, 1), Pattern(i, salt, 2)});
  }
  return GifMakeMapObject(colours, entries.data());
}

void Check(int result, GifFileType* gif, const char* what) {
  if (result == GIF_ERROR) {
    throw std::runtime_error(std::string("giflib: ") + what + ": " + GifErrorString(gif->Error));
  }
}

std::string GiflibBytes(const GifRecipe& recipe) {
  std::string out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, Write, &error);
  if (!gif) throw std::runtime_error("EGifOpen failed");
  std::vector<ColorMapObject*> maps;
  try {
    EGifSetGifVersion(gif, recipe.Gif89);
    ColorMapObject* global = recipe.GlobalColours ? ColourMap(recipe.GlobalColours, 0) : nullptr;
    maps.push_back(global);
    Check(EGifPutScreenDesc(gif, recipe.ScreenWidth, recipe.ScreenHeight, 8, 0, global), gif,
          "screen");
    for (const GifFrame& frame : recipe.Frames) {
      for (const auto& [code, data] : frame.Extensions) {
        Check(EGifPutExtension(gif, code, static_cast<int>(data.size()), data.data()), gif,
              "extension");
      }
      ColorMapObject* local = frame.LocalColours ? ColourMap(frame.LocalColours, 1) : nullptr;
      maps.push_back(local);
      Check(EGifPutImageDesc(gif, frame.Left, frame.Top, frame.Width, frame.Height,
                             frame.Interlaced, local),
            gif, "image");
      // Rows are passed in the order they are stored: interlaced images in their four passes.
      std::vector<int> order;
      if (frame.Interlaced) {
        for (const auto& [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}}) {
          for (int y = start; y < frame.Height; y += step) order.push_back(y);
        }
      } else {
        for (int y = 0; y < frame.Height; ++y) order.push_back(y);
      }
      const int colours = frame.LocalColours ? frame.LocalColours : recipe.GlobalColours;
      std::vector<GifPixelType> row(static_cast<std::size_t>(frame.Width));
      for (const int y : order) {
        for (int x = 0; x < frame.Width; ++x) {
          row[static_cast<std::size_t>(x)] = static_cast<GifPixelType>(
              (Pattern(x, y, 0) >> frame.IndexShift) % std::max(colours, 1));
        }
        Check(EGifPutLine(gif, row.data(), frame.Width), gif, "line");
      }
    }
  } catch (...) {
    EGifCloseFile(gif, &error);
    for (ColorMapObject* map : maps) GifFreeMapObject(map);
    throw;
  }
  if (EGifCloseFile(gif, &error) == GIF_ERROR) throw std::runtime_error("EGifCloseFile failed");
  for (ColorMapObject* map : maps) GifFreeMapObject(map);
  return out;
}

// Offsets inside a GIF: the logical screen's flags, the first image descriptor (its ','),
// the byte after its colour table (the LZW minimum code size).
struct GifLayout {
  std::size_t ImageDescriptor = 0;
  std::size_t MinimumCodeSize = 0;
};

GifLayout LayoutOf(const std::string& gif) {
  auto byte = [&](std::size_t at) { return static_cast<std::uint8_t>(gif.at(at)); };
  std::size_t at = 13;
  if (byte(10) & 0x80) at += 3u << ((byte(10) & 7) + 1);
  while (byte(at) == 0x21) {
    at += 2;
    while (byte(at) != 0) at += 1 + byte(at);
    ++at;
  }
  if (byte(at) != 0x2C) throw std::runtime_error("no image descriptor");
  GifLayout layout;
  layout.ImageDescriptor = at;
  std::size_t data = at + 10;
  if (byte(at + 9) & 0x80) data += 3u << ((byte(at + 9) & 7) + 1);
  layout.MinimumCodeSize = data;
  return layout;
}

// The file without its global colour table (the flag cleared and the table's bytes removed).
std::string WithoutGlobalTable(std::string gif) {
  const auto flags = static_cast<std::uint8_t>(gif[10]);
  if (!(flags & 0x80)) return gif;
  gif.erase(13, 3u << ((flags & 7) + 1));
  gif[10] = static_cast<char>(flags & 0x7F);
  return gif;
}

// A raster of bands and ramps, as a chart rendered into a tile might look.
Raster32 TilePicture(int width, int height) {
  Raster32 raster(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      raster.At(x, y) = PackPixel(Pattern(x, y, 0), Pattern(x, y, 1), Pattern(x, y, 2));
    }
  }
  return raster;
}

// Horizontal bands of 40 rows with a road across them: a tile of the real size that stays
// small.
Raster32 BandPicture(int width, int height) {
  Raster32 raster(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool road = x > y / 2 && x < y / 2 + 6;
      raster.At(x, y) = road ? PackPixel(200, 30, 30)
                             : PackPixel(Pattern(0, y / 40, 0), Pattern(0, y / 40, 1), 90);
    }
  }
  return raster;
}

std::string EncodedTile(const Raster32& picture, std::uint8_t reduction, std::uint8_t dithering) {
  TileEncoder encoder;
  return encoder.Encode(picture, {reduction, dithering});
}

GifRecipe With(const std::function<void(GifRecipe&)>& change) {
  GifRecipe recipe;
  change(recipe);
  return recipe;
}

const std::string kGraphicControl("\x05\x00\x00\x03", 4);  // transparent index 3
const std::string kLoop("NETSCAPE2.0", 11);

// Tiles both readers meet: the tile output's and giflib's, plus the damaged ones.
std::vector<std::pair<std::string, std::string>> SharedTiles() {
  std::vector<std::pair<std::string, std::string>> tiles;
  for (const int colours : {2, 4, 8, 32, 128, 256}) {
    tiles.push_back(
        {"program-" + std::to_string(colours) + "-colours.gif", ProgramTileGif(24, 20, colours)});
  }
  tiles.push_back({"encoder-16-colours-dithered.gif", EncodedTile(TilePicture(32, 30), 4, 1)});
  tiles.push_back({"encoder-256-colours.gif", EncodedTile(TilePicture(32, 30), 0, 0)});
  tiles.push_back({"giflib87-global-table.gif", GiflibBytes(GifRecipe{})});
  tiles.push_back({"giflib87-interlaced.gif", GiflibBytes(With([](GifRecipe& s) {
                     s.Frames[0].Interlaced = true;
                     s.Frames[0].Height = s.ScreenHeight = 21;
                   }))});
  tiles.push_back({"giflib87-local-under-global.gif", GiflibBytes(With([](GifRecipe& s) {
                     s.GlobalColours = 256;
                     s.Frames[0].LocalColours = 8;
                   }))});
  tiles.push_back({"giflib87-two-images.gif", GiflibBytes(With([](GifRecipe& s) {
                     GifFrame second;
                     second.Left = 4;
                     second.Top = 2;
                     second.Width = 8;
                     second.Height = 6;
                     second.LocalColours = 4;
                     s.Frames.push_back(second);
                   }))});
  tiles.push_back({"giflib89-extensions.gif", GiflibBytes(With([](GifRecipe& s) {
                     s.Gif89 = true;
                     s.Frames[0].Extensions = {{GRAPHICS_EXT_FUNC_CODE, kGraphicControl},
                                               {COMMENT_EXT_FUNC_CODE, "made by hand"},
                                               {APPLICATION_EXT_FUNC_CODE, kLoop}};
                   }))});
  tiles.push_back({"giflib89-animation.gif", GiflibBytes(With([](GifRecipe& s) {
                     s.Gif89 = true;
                     s.Frames[0].Extensions = {{GRAPHICS_EXT_FUNC_CODE, kGraphicControl}};
                     GifFrame second = s.Frames[0];
                     second.Interlaced = true;
                     second.LocalColours = 2;
                     s.Frames.push_back(second);
                   }))});
  tiles.push_back({"image-larger-than-screen.gif",
                   GiflibBytes(With([](GifRecipe& s) { s.ScreenWidth = s.ScreenHeight = 4; }))});
  tiles.push_back({"image-off-screen.gif", GiflibBytes(With([](GifRecipe& s) {
                     s.Frames[0].Left = 60000;
                     s.Frames[0].Top = 60000;
                   }))});
  tiles.push_back({"indices-beyond-table.gif", GiflibBytes(With([](GifRecipe& s) {
                     s.GlobalColours = 2;  // code size 2: indices 2 and 3 name no colour
                     s.Frames[0].LocalColours = 0;
                   }))});
  tiles.push_back({"one-pixel.gif", GiflibBytes(With([](GifRecipe& s) {
                     s.ScreenWidth = s.ScreenHeight = s.Frames[0].Width = s.Frames[0].Height = 1;
                   }))});
  tiles.push_back({"wide-8193.gif", GiflibBytes(With([](GifRecipe& s) {
                     s.ScreenWidth = s.Frames[0].Width = 8193;
                     s.ScreenHeight = s.Frames[0].Height = 1;
                     s.GlobalColours = 2;
                     s.Frames[0].IndexShift = 8;
                   }))});

  const std::string tile = ProgramTileGif(24, 20, 16);
  const GifLayout layout = LayoutOf(tile);
  tiles.push_back({"no-colour-table.gif", WithoutGlobalTable(GiflibBytes(GifRecipe{}))});
  for (const int size : {0, 1, 9, 12}) {
    std::string odd = tile;
    odd[layout.MinimumCodeSize] = static_cast<char>(size);
    tiles.push_back({"minimum-code-size-" + std::to_string(size) + ".gif", odd});
  }
  std::string noWidth = tile;
  noWidth[layout.ImageDescriptor + 5] = noWidth[layout.ImageDescriptor + 6] = 0;
  tiles.push_back({"image-width-0.gif", noWidth});
  std::string longBlock = tile;  // first sub-block claims more bytes than the file holds
  longBlock[layout.MinimumCodeSize + 1] = static_cast<char>(0xFF);
  tiles.push_back({"sub-block-past-end.gif", longBlock});
  tiles.push_back({"truncated-in-table.gif", tile.substr(0, layout.ImageDescriptor + 20)});
  tiles.push_back({"truncated-in-data.gif", tile.substr(0, tile.size() * 2 / 3)});
  tiles.push_back({"no-trailer.gif", tile.substr(0, tile.size() - 1)});
  // The last data byte (holding the End code) taken out of its sub-block.
  std::string noEnd = tile;
  std::size_t last = layout.MinimumCodeSize + 1;
  while (noEnd[last + 1 + static_cast<std::uint8_t>(noEnd[last])] != 0) {
    last += 1 + static_cast<std::uint8_t>(noEnd[last]);
  }
  const auto lastSize = static_cast<std::uint8_t>(noEnd[last]);
  noEnd.erase(last + lastSize, 1);
  noEnd[last] = static_cast<char>(lastSize - 1);
  tiles.push_back({"no-end-code.gif", noEnd});
  tiles.push_back({"extensions-only.gif", std::string("GIF89a\x10\x00\x0c\x00\x00\x00\x00", 13) +
                                              "!\xf9" + kGraphicControl + std::string("\0;", 2)});
  return tiles;
}

// The decoder's first six bytes: origin x and y (16ths of a pixel, signed) and target width.
std::string Placed(int x, int y, int width, const std::string& gif) {
  return Bytes()
      .U16(static_cast<std::uint32_t>(x * 16))
      .U16(static_cast<std::uint32_t>(y * 16))
      .U16(static_cast<std::uint32_t>(width))
      .Raw(gif)
      .Str();
}

}  // namespace

std::string ProgramTileGif(int width, int height, int colours) {
  std::vector<std::uint8_t> indices;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      indices.push_back(static_cast<std::uint8_t>((x + 3 * y) % colours));
  }
  std::vector<PaletteColour> palette;
  for (int i = 0; i < colours; ++i)
    palette.push_back({Pattern(i, 0, 0), Pattern(i, 0, 1), Pattern(i, 0, 2)});
  return EncodeTileGif(width, height, indices.data(), palette);
}

std::string BandTileGif(int width, int height) {
  return EncodedTile(BandPicture(width, height), 3, 0);
}

void MakeExistingTileSeeds(Corpus& corpus) {
  for (const auto& [name, gif] : SharedTiles()) corpus.Write(name, gif);
}

void MakeGifTileSeeds(Corpus& corpus) {
  // Every tile at the view's origin, drawn at its own width.
  for (const auto& [name, gif] : SharedTiles()) {
    const std::string stem = name.substr(0, name.size() - 4);
    const int width = gif.size() >= 10 ? static_cast<std::uint8_t>(gif[6]) |
                                             static_cast<std::uint8_t>(gif[7]) << 8
                                       : 0;
    corpus.Write(stem, Placed(0, 0, width, gif));
  }
  // One tile placed across every edge of the 1280 × 1280 view and fitted to other widths.
  const std::string tile = ProgramTileGif(40, 30, 16);
  corpus.Write("placed-wider", Placed(100, 100, 63, tile));
  corpus.Write("placed-narrower", Placed(100, 100, 25, tile));
  corpus.Write("placed-width-1", Placed(100, 100, 1, tile));
  corpus.Write("placed-width-65535", Placed(0, 0, 65535, tile));
  corpus.Write("placed-across-top-left", Placed(-20, -15, 40, tile));
  corpus.Write("placed-across-bottom-right", Placed(1260, 1265, 40, tile));
  corpus.Write("placed-outside", Placed(-2000, 2000, 40, tile));
  // A tile of the real height, its rows fitted to a map row's width.
  corpus.Write("full-height-tile", Placed(600, 300, 599, BandTileGif(300, 600)));
}

}  // namespace cz::seeds
