// TIFF charts: every sample depth, format, layout, compression and photometric libtiff
// writes, plus a few damaged files.
#include <functional>

#include "Seeds.h"
#include "TiffWriter.h"
#include "imaging/TiffNoData.h"

namespace cz::seeds {
namespace {

TiffImage Grey(std::uint16_t bits, std::uint16_t format = SAMPLEFORMAT_UINT) {
  TiffImage image;
  image.Bits = bits;
  image.Samples = 1;
  image.Format = format;
  image.Photometric = PHOTOMETRIC_MINISBLACK;
  return image;
}

TiffImage Rgb(std::uint16_t bits, std::uint16_t format = SAMPLEFORMAT_UINT) {
  TiffImage image;
  image.Bits = bits;
  image.Format = format;
  if (bits > 16) image.Width = image.Height = 8;  // keeps the seed at a few KB
  return image;
}

TiffImage Palette(std::uint16_t bits) {
  TiffImage image = Grey(bits);
  image.Photometric = PHOTOMETRIC_PALETTE;
  return image;
}

TiffImage With(TiffImage image, const std::function<void(TiffImage&)>& change) {
  change(image);
  return image;
}

// Tiles of 16 on a 20 × 18 image, so that edge tiles are partly outside it.
void Tiled(TiffImage& image) {
  image.Width = 20;
  image.Height = 18;
  image.TileSide = 16;
}

void Write(Corpus& corpus, const std::string& name, const TiffImage& image,
           const char* mode = "w") {
  corpus.Write(name, TiffBytes({image}, mode));
}

}  // namespace

void MakeTiffSeeds(Corpus& corpus) {
  // Depths, grey and RGB, unsigned and signed integers and floating point.
  for (const std::uint16_t bits : {1, 2, 4, 12, 16, 24, 32}) {
    Write(corpus, "grey" + std::to_string(bits) + ".tif", Grey(bits));
  }
  for (const std::uint16_t bits : {2, 4, 12, 24, 32}) {
    Write(corpus, "rgb" + std::to_string(bits) + "-strips.tif", Rgb(bits));
  }
  Write(corpus, "grey16-signed.tif", Grey(16, SAMPLEFORMAT_INT));
  Write(corpus, "grey8-signed.tif", Grey(8, SAMPLEFORMAT_INT));
  for (const std::uint16_t bits : {16, 32, 64}) {
    const std::string depth = std::to_string(bits);
    Write(corpus, "float" + depth + "-grey.tif", Grey(bits, SAMPLEFORMAT_IEEEFP));
    Write(corpus, "float" + depth + "-rgb.tif", Rgb(bits, SAMPLEFORMAT_IEEEFP));
  }

  // Planar layouts.
  Write(corpus, "rgb16-planar-tiled.tif", With(Rgb(16), [](TiffImage& i) {
          i.Planar = PLANARCONFIG_SEPARATE;
          Tiled(i);
        }));
  Write(corpus, "float32-planar.tif",
        With(Rgb(32, SAMPLEFORMAT_IEEEFP), [](TiffImage& i) { i.Planar = PLANARCONFIG_SEPARATE; }));
  Write(corpus, "rgba8-planar.tif", With(Rgb(8), [](TiffImage& i) {
          i.Samples = 4;
          i.ExtraSamples = {EXTRASAMPLE_UNASSALPHA};
          i.Planar = PLANARCONFIG_SEPARATE;
        }));
  Write(corpus, "rgb4-planar.tif", With(Rgb(4), [](TiffImage& i) {
          i.Planar = PLANARCONFIG_SEPARATE;
          i.Width = 13;  // rows end inside a byte
        }));

  // Predictors.
  Write(corpus, "rgb8-lzw-predictor.tif", With(Rgb(8), [](TiffImage& i) {
          i.Compression = COMPRESSION_LZW;
          i.Predictor = PREDICTOR_HORIZONTAL;
        }));
  Write(corpus, "grey16-deflate-predictor-tiled.tif", With(Grey(16), [](TiffImage& i) {
          i.Compression = COMPRESSION_ADOBE_DEFLATE;
          i.Predictor = PREDICTOR_HORIZONTAL;
          Tiled(i);
        }));
  Write(corpus, "rgb32-lzw-predictor.tif", With(Rgb(32), [](TiffImage& i) {
          i.Compression = COMPRESSION_LZW;
          i.Predictor = PREDICTOR_HORIZONTAL;
        }));
  Write(corpus, "float32-deflate-fppredictor.tif",
        With(Rgb(32, SAMPLEFORMAT_IEEEFP), [](TiffImage& i) {
          i.Compression = COMPRESSION_ADOBE_DEFLATE;
          i.Predictor = PREDICTOR_FLOATINGPOINT;
        }));
  Write(corpus, "float16-lzw-fppredictor.tif",
        With(Grey(16, SAMPLEFORMAT_IEEEFP), [](TiffImage& i) {
          i.Compression = COMPRESSION_LZW;
          i.Predictor = PREDICTOR_FLOATINGPOINT;
        }));
  Write(corpus, "float64-planar-fppredictor-tiled.tif",
        With(Rgb(64, SAMPLEFORMAT_IEEEFP), [](TiffImage& i) {
          i.Compression = COMPRESSION_ADOBE_DEFLATE;
          i.Predictor = PREDICTOR_FLOATINGPOINT;
          i.Planar = PLANARCONFIG_SEPARATE;
          i.Width = i.Height = 16;
          i.TileSide = 16;
        }));

  // BigTIFF and big-endian files.
  Write(corpus, "bigtiff-rgb8-tiled-deflate.tif",
        With(Rgb(8),
             [](TiffImage& i) {
               i.Compression = COMPRESSION_ADOBE_DEFLATE;
               Tiled(i);
             }),
        "w8");
  Write(corpus, "bigtiff-grey16.tif", Grey(16), "w8");
  Write(corpus, "bigtiff-bigendian-palette4.tif", Palette(4), "w8b");
  Write(corpus, "bigendian-rgb16.tif", Rgb(16), "wb");
  Write(corpus, "bigendian-float32-predictor.tif",
        With(Grey(32, SAMPLEFORMAT_IEEEFP),
             [](TiffImage& i) {
               i.Compression = COMPRESSION_LZW;
               i.Predictor = PREDICTOR_FLOATINGPOINT;
             }),
        "wb");
  Write(corpus, "bigendian-grey12.tif", Grey(12), "wb");

  // Palettes.
  for (const std::uint16_t bits : {1, 2, 8}) {
    Write(corpus, "palette" + std::to_string(bits) + ".tif", Palette(bits));
  }
  Write(corpus, "palette4-8bit-map-tiled.tif", With(Palette(4), [](TiffImage& i) {
          i.ColourMapLooks8Bit = true;
          Tiled(i);
        }));

  // Alpha.
  Write(corpus, "rgba8-associated.tif", With(Rgb(8), [](TiffImage& i) {
          i.Samples = 4;
          i.ExtraSamples = {EXTRASAMPLE_ASSOCALPHA};
        }));
  Write(corpus, "rgba16-unassociated.tif", With(Rgb(16), [](TiffImage& i) {
          i.Samples = 4;
          i.ExtraSamples = {EXTRASAMPLE_UNASSALPHA};
        }));
  Write(corpus, "rgba8-unspecified-lzw.tif", With(Rgb(8), [](TiffImage& i) {
          i.Samples = 4;
          i.ExtraSamples = {EXTRASAMPLE_UNSPECIFIED};
          i.Compression = COMPRESSION_LZW;
        }));
  Write(corpus, "rgb8-two-extra-samples.tif", With(Rgb(8), [](TiffImage& i) {
          i.Samples = 5;
          i.ExtraSamples = {EXTRASAMPLE_ASSOCALPHA, EXTRASAMPLE_UNSPECIFIED};
        }));
  Write(corpus, "greyalpha8.tif", With(Grey(8), [](TiffImage& i) {
          i.Samples = 2;
          i.ExtraSamples = {EXTRASAMPLE_UNASSALPHA};
        }));
  Write(corpus, "greyalpha16-planar.tif", With(Grey(16), [](TiffImage& i) {
          i.Samples = 2;
          i.ExtraSamples = {EXTRASAMPLE_ASSOCALPHA};
          i.Planar = PLANARCONFIG_SEPARATE;
        }));
  Write(corpus, "rgba-float32.tif", With(Rgb(32, SAMPLEFORMAT_IEEEFP), [](TiffImage& i) {
          i.Samples = 4;
          i.ExtraSamples = {EXTRASAMPLE_ASSOCALPHA};
        }));

  // Photometric interpretations other than RGB and grey.
  for (const std::uint16_t bits : {1, 4, 16}) {
    Write(corpus, "miniswhite" + std::to_string(bits) + ".tif",
          With(Grey(bits), [](TiffImage& i) { i.Photometric = PHOTOMETRIC_MINISWHITE; }));
  }
  Write(corpus, "cmyk8.tif", With(Rgb(8), [](TiffImage& i) {
          i.Samples = 4;
          i.Photometric = PHOTOMETRIC_SEPARATED;
        }));
  Write(corpus, "cmyk16-planar.tif", With(Rgb(16), [](TiffImage& i) {
          i.Samples = 4;
          i.Photometric = PHOTOMETRIC_SEPARATED;
          i.Planar = PLANARCONFIG_SEPARATE;
        }));
  Write(corpus, "cielab8.tif",
        With(Rgb(8), [](TiffImage& i) { i.Photometric = PHOTOMETRIC_CIELAB; }));

  // YCbCr, JPEG-compressed and raw.
  if (CanWrite(COMPRESSION_JPEG)) {
    Write(corpus, "jpeg-ycbcr-tiled.tif", With(Rgb(8), [](TiffImage& i) {
            i.Photometric = PHOTOMETRIC_YCBCR;
            i.Compression = COMPRESSION_JPEG;
            i.Width = i.Height = 32;
            i.TileSide = 16;
          }));
    Write(corpus, "jpeg-rgb.tif", With(Rgb(8), [](TiffImage& i) {
            i.Compression = COMPRESSION_JPEG;
            i.RowsPerStrip = 16;
          }));
    Write(corpus, "jpeg-grey.tif", With(Grey(8), [](TiffImage& i) {
            i.Compression = COMPRESSION_JPEG;
            i.Height = 24;
            i.RowsPerStrip = 8;
          }));
  }
  Write(corpus, "ycbcr22-raw.tif", With(Rgb(8), [](TiffImage& i) {
          i.Photometric = PHOTOMETRIC_YCBCR;
          i.SubsamplingX = i.SubsamplingY = 2;
          i.RawChunks = true;
        }));
  Write(corpus, "ycbcr21-raw-odd-size.tif", With(Rgb(8), [](TiffImage& i) {
          i.Photometric = PHOTOMETRIC_YCBCR;
          i.SubsamplingX = 2;
          i.SubsamplingY = 1;
          i.Width = 13;
          i.Height = 7;
          i.RawChunks = true;
        }));
  Write(corpus, "ycbcr11-raw.tif", With(Rgb(8), [](TiffImage& i) {
          i.Photometric = PHOTOMETRIC_YCBCR;
          i.SubsamplingX = i.SubsamplingY = 1;
        }));

  // Orientations.
  Write(corpus, "orient-botleft.tif",
        With(Rgb(8), [](TiffImage& i) { i.Orientation = ORIENTATION_BOTLEFT; }));
  Write(corpus, "orient-topright-grey.tif",
        With(Grey(8), [](TiffImage& i) { i.Orientation = ORIENTATION_TOPRIGHT; }));
  Write(corpus, "orient-botright-palette.tif",
        With(Palette(8), [](TiffImage& i) { i.Orientation = ORIENTATION_BOTRIGHT; }));
  Write(corpus, "orient-lefttop-tiled.tif", With(Rgb(8), [](TiffImage& i) {
          i.Orientation = ORIENTATION_LEFTTOP;
          Tiled(i);
        }));
  Write(corpus, "orient-rightbot-rgba.tif", With(Rgb(8), [](TiffImage& i) {
          i.Orientation = ORIENTATION_RIGHTBOT;
          i.Samples = 4;
          i.ExtraSamples = {EXTRASAMPLE_ASSOCALPHA};
        }));
  Write(corpus, "orient-leftbot-grey16.tif",
        With(Grey(16), [](TiffImage& i) { i.Orientation = ORIENTATION_LEFTBOT; }));

  // Several pages: the chart is the first.
  corpus.Write("two-pages.tif", TiffBytes({Grey(8), Rgb(8)}));
  corpus.Write("three-pages-mixed.tif",
               TiffBytes({With(Palette(4), [](TiffImage& i) { i.Width = i.Height = 8; }),
                          With(Rgb(8),
                               [](TiffImage& i) {
                                 i.Samples = 4;
                                 i.ExtraSamples = {EXTRASAMPLE_UNASSALPHA};
                                 i.Width = i.Height = 8;
                               }),
                          With(Grey(1), [](TiffImage& i) { i.Width = 40; })}));

  // Compression schemes.
  Write(corpus, "rgb8-packbits.tif",
        With(Rgb(8), [](TiffImage& i) { i.Compression = COMPRESSION_PACKBITS; }));
  Write(corpus, "grey16-lzw-tiled.tif", With(Grey(16), [](TiffImage& i) {
          i.Compression = COMPRESSION_LZW;
          Tiled(i);
        }));
  const std::pair<std::uint16_t, const char*> codecs[] = {
      {COMPRESSION_ZSTD, "zstd"}, {COMPRESSION_LZMA, "lzma"}, {COMPRESSION_WEBP, "webp"}};
  for (const auto& [scheme, codec] : codecs) {
    const std::uint16_t compression = scheme;  // a lambda cannot capture a binding
    if (!CanWrite(compression)) continue;
    Write(corpus, std::string("rgb8-") + codec + ".tif",
          With(Rgb(8), [&](TiffImage& i) { i.Compression = compression; }));
  }
  const std::pair<std::uint16_t, const char*> faxCodecs[] = {{COMPRESSION_CCITTRLE, "ccittrle"},
                                                             {COMPRESSION_CCITTFAX3, "fax3"},
                                                             {COMPRESSION_CCITTFAX4, "fax4"}};
  for (const auto& [scheme, codec] : faxCodecs) {
    const std::uint16_t compression = scheme;
    Write(corpus, std::string("bilevel-") + codec + ".tif", With(Grey(1), [&](TiffImage& i) {
            i.Photometric = PHOTOMETRIC_MINISWHITE;
            i.Compression = compression;
            i.Width = 40;
            i.Height = 24;
          }));
  }
  Write(corpus, "bilevel-lsb2msb.tif", With(Grey(1), [](TiffImage& i) {
          i.Width = 13;
          i.Tags = [](TIFF* t) { TIFFSetField(t, TIFFTAG_FILLORDER, FILLORDER_LSB2MSB); };
        }));

  // Nodata values (GDAL_NODATA): each decoder's comparison, and texts that must be ignored.
  const auto noData = [](TiffImage image, const char* text) {
    image.Tags = [text](TIFF* t) { WriteTiffNoData(t, text); };
    return image;
  };
  Write(corpus, "nodata-rgb8.tif", noData(Rgb(8), "0"));
  Write(corpus, "nodata-palette8.tif", noData(Palette(8), "3"));
  Write(corpus, "nodata-rgba8-tiled.tif",
        noData(With(Rgb(8),
                    [](TiffImage& i) {
                      i.Samples = 4;
                      i.ExtraSamples = {EXTRASAMPLE_ASSOCALPHA};
                      Tiled(i);
                    }),
               "255"));
  Write(corpus, "nodata-grey16-signed.tif", noData(Grey(16, SAMPLEFORMAT_INT), "-32768"));
  Write(corpus, "nodata-grey12.tif", noData(Grey(12), "4095"));
  Write(corpus, "nodata-float32-nan.tif", noData(Rgb(32, SAMPLEFORMAT_IEEEFP), "nan"));
  Write(corpus, "nodata-float64-planar.tif",
        noData(With(Rgb(64, SAMPLEFORMAT_IEEEFP),
                    [](TiffImage& i) { i.Planar = PLANARCONFIG_SEPARATE; }),
               "-3.4028234663852886e+38"));
  Write(corpus, "nodata-junk.tif", noData(Grey(8), " 12abc"));
  Write(corpus, "nodata-empty.tif", noData(Grey(8), ""));

  // Odd shapes and damaged files.
  Write(corpus, "one-pixel.tif", With(Rgb(8), [](TiffImage& i) { i.Width = i.Height = 1; }));
  Write(corpus, "tall-one-row-strips.tif", With(Grey(1), [](TiffImage& i) {
          i.Width = 3;
          i.Height = 200;
          i.RowsPerStrip = 1;
        }));
  Write(corpus, "no-pixel-data-tiled.tif", With(Rgb(8), [](TiffImage& i) {
          Tiled(i);
          i.NoPixels = true;
        }));
  const std::string tiled = TiffBytes({With(Rgb(8), [](TiffImage& i) {
    i.Compression = COMPRESSION_LZW;
    Tiled(i);
  })});
  corpus.WriteTruncated("truncated-tiled-lzw.tif", tiled, tiled.size() * 2 / 3);
  const std::string strips = TiffBytes({With(Grey(8), [](TiffImage& i) { i.RowsPerStrip = 16; })});
  corpus.WriteTruncated("truncated-header.tif", strips, 12);
  corpus.WriteTruncated("truncated-no-directory.tif", strips, 140);
  corpus.Write(
      "strip-offset-past-end.tif",
      PatchTag(strips, TIFFTAG_STRIPOFFSETS, static_cast<std::uint32_t>(strips.size() + 64)));
  corpus.Write("strip-bytecount-huge.tif", PatchTag(strips, TIFFTAG_STRIPBYTECOUNTS, 0x7FFFFFFF));
  corpus.Write("declared-huge.tif",
               PatchTag(PatchTag(strips, TIFFTAG_IMAGEWIDTH, 60000), TIFFTAG_IMAGELENGTH, 60000));
  corpus.Write("width-zero.tif", PatchTag(strips, TIFFTAG_IMAGEWIDTH, 0));
  corpus.Write("bits-per-sample-0.tif", PatchTag(strips, TIFFTAG_BITSPERSAMPLE, 0));
  corpus.Write("bits-per-sample-33.tif", PatchTag(strips, TIFFTAG_BITSPERSAMPLE, 33));
  corpus.Write("compression-unknown.tif", PatchTag(strips, TIFFTAG_COMPRESSION, 4711));
  corpus.Write("rows-per-strip-0.tif", PatchTag(strips, TIFFTAG_ROWSPERSTRIP, 0));
}

}  // namespace cz::seeds
