// JPEG charts: baseline and progressive, Huffman and arithmetic coding, every chroma
// subsampling, grey, RGB, CMYK and YCCK (with the Adobe marker), restart markers, extra
// markers, and damaged files.
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

#include "Seeds.h"

namespace cz::seeds {
namespace {

struct JpegImage {
  int Width = 16;
  int Height = 16;
  J_COLOR_SPACE Input = JCS_RGB;       // JCS_RGB, JCS_GRAYSCALE or JCS_CMYK
  J_COLOR_SPACE Stored = JCS_UNKNOWN;  // JCS_UNKNOWN: libjpeg's default for the input
  int Quality = 75;
  bool Progressive = false;
  bool Arithmetic = false;
  bool Optimize = false;
  bool Jfif = true;
  int RestartInterval = 0;                      // MCUs
  int RestartRows = 0;                          // MCU rows
  int LumaH = 2, LumaV = 2;                     // sampling factors of the first component
  std::function<void(j_compress_ptr)> Markers;  // written after the header
};

// libjpeg's fatal errors become exceptions. They cross libjpeg's frames, which Debian builds
// with unwind tables; and they only happen when the generator asks for something libjpeg
// cannot write.
struct ThrowingErrors {
  jpeg_error_mgr manager;
  static void Exit(j_common_ptr info) {
    char text[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, text);
    throw std::runtime_error(std::string("libjpeg: ") + text);
  }
};

std::string JpegBytes(const JpegImage& image) {
  jpeg_compress_struct info{};
  ThrowingErrors errors;
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = ThrowingErrors::Exit;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_create_compress(&info);
  try {
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(image.Width);
    info.image_height = static_cast<JDIMENSION>(image.Height);
    info.in_color_space = image.Input;
    info.input_components = image.Input == JCS_GRAYSCALE ? 1 : image.Input == JCS_CMYK ? 4 : 3;
    jpeg_set_defaults(&info);
    if (image.Stored != JCS_UNKNOWN) jpeg_set_colorspace(&info, image.Stored);
    jpeg_set_quality(&info, image.Quality, TRUE);
    info.comp_info[0].h_samp_factor = image.LumaH;
    info.comp_info[0].v_samp_factor = image.LumaV;
    info.arith_code = image.Arithmetic ? TRUE : FALSE;
    info.optimize_coding = image.Optimize ? TRUE : FALSE;
    info.write_JFIF_header = image.Jfif ? TRUE : FALSE;
    info.restart_interval = static_cast<unsigned>(image.RestartInterval);
    info.restart_in_rows = image.RestartRows;
    if (image.Progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    if (image.Markers) image.Markers(&info);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(image.Width * info.input_components));
    while (info.next_scanline < info.image_height) {
      const int y = static_cast<int>(info.next_scanline);
      for (int x = 0; x < image.Width; ++x) {
        for (int c = 0; c < info.input_components; ++c) {
          row[static_cast<std::size_t>(x * info.input_components + c)] = Pattern(x, y, c);
        }
      }
      JSAMPROW rows[1] = {row.data()};
      jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
  } catch (...) {
    jpeg_destroy_compress(&info);
    std::free(buffer);
    throw;
  }
  jpeg_destroy_compress(&info);
  std::string bytes(reinterpret_cast<const char*>(buffer), size);
  std::free(buffer);
  return bytes;
}

JpegImage With(const std::function<void(JpegImage&)>& change) {
  JpegImage image;
  change(image);
  return image;
}

// The offset of the first marker `code` (0xFFcode) after the start of image.
std::size_t MarkerAt(const std::string& jpeg, unsigned char code) {
  for (std::size_t i = 2; i + 1 < jpeg.size(); ++i) {
    if (static_cast<unsigned char>(jpeg[i]) == 0xFF &&
        static_cast<unsigned char>(jpeg[i + 1]) == code) {
      return i;
    }
  }
  throw std::runtime_error("no JPEG marker " + std::to_string(code));
}

}  // namespace

void MakeJpegSeeds(Corpus& corpus) {
  const auto write = [&](const std::string& name, const JpegImage& image) {
    corpus.Write(name, JpegBytes(image));
  };
  // Chroma subsampling: 4:2:0 is libjpeg's default.
  write("ycbcr-420.jpg", JpegImage{});
  write("ycbcr-422.jpg", With([](JpegImage& i) { i.LumaV = 1; }));
  write("ycbcr-444.jpg", With([](JpegImage& i) { i.LumaH = i.LumaV = 1; }));
  write("ycbcr-440.jpg", With([](JpegImage& i) { i.LumaH = 1; }));
  write("ycbcr-411.jpg", With([](JpegImage& i) {
          i.LumaH = 4;
          i.LumaV = 1;
        }));
  write("odd-size-partial-mcu.jpg", With([](JpegImage& i) {
          i.Width = 17;
          i.Height = 9;
        }));
  write("one-pixel.jpg", With([](JpegImage& i) { i.Width = i.Height = 1; }));
  write("quality-1.jpg", With([](JpegImage& i) { i.Quality = 1; }));
  write("quality-100-444.jpg", With([](JpegImage& i) {
          i.Quality = 100;
          i.LumaH = i.LumaV = 1;
        }));
  write("optimized-huffman.jpg", With([](JpegImage& i) { i.Optimize = true; }));
  write("no-jfif.jpg", With([](JpegImage& i) { i.Jfif = false; }));

  // Progressive and arithmetic coding.
  write("progressive-422.jpg", With([](JpegImage& i) {
          i.Progressive = true;
          i.LumaV = 1;
        }));
  write("progressive-grey.jpg", With([](JpegImage& i) {
          i.Progressive = true;
          i.Input = JCS_GRAYSCALE;
        }));
  write("arithmetic.jpg", With([](JpegImage& i) { i.Arithmetic = true; }));
  write("arithmetic-progressive.jpg", With([](JpegImage& i) {
          i.Arithmetic = true;
          i.Progressive = true;
        }));
  write("arithmetic-grey-restart.jpg", With([](JpegImage& i) {
          i.Arithmetic = true;
          i.Input = JCS_GRAYSCALE;
          i.RestartInterval = 1;
        }));

  // Colour spaces.
  write("grey-odd-size.jpg", With([](JpegImage& i) {
          i.Input = JCS_GRAYSCALE;
          i.Width = 13;
          i.Height = 11;
        }));
  write("rgb-untransformed.jpg", With([](JpegImage& i) {
          i.Stored = JCS_RGB;
          i.LumaH = i.LumaV = 1;
        }));
  write("cmyk-adobe-progressive.jpg", With([](JpegImage& i) {
          i.Input = JCS_CMYK;
          i.Progressive = true;
          i.LumaH = i.LumaV = 1;
        }));
  write("ycck-adobe.jpg", With([](JpegImage& i) {
          i.Input = JCS_CMYK;
          i.Stored = JCS_YCCK;
        }));
  write("grey-stored-from-rgb.jpg", With([](JpegImage& i) { i.Stored = JCS_GRAYSCALE; }));

  // Restart markers.
  write("restart-every-mcu.jpg", With([](JpegImage& i) {
          i.Width = 32;
          i.RestartInterval = 1;
        }));
  write("restart-every-row-progressive.jpg", With([](JpegImage& i) {
          i.RestartRows = 1;
          i.Progressive = true;
        }));

  // Markers a chart may carry: EXIF orientation, ICC profile chunk, comment, unknown APP.
  write("markers.jpg", With([](JpegImage& i) {
          i.Markers = [](j_compress_ptr info) {
            static const unsigned char exif[] = {'E', 'x', 'i', 'f', 0, 0,    'I',  'I', 42, 0, 8,
                                                 0,   0,   0,   1,   0, 0x12, 0x01, 3,   0,  1, 0,
                                                 0,   0,   6,   0,   0, 0,    0,    0,   0,  0};
            jpeg_write_marker(info, JPEG_APP0 + 1, exif, sizeof exif);
            static const unsigned char icc[] = "ICC_PROFILE\0\1\1not a profile";
            jpeg_write_marker(info, JPEG_APP0 + 2, icc, sizeof icc);
            static const unsigned char comment[] = "chart scanned at 300 dpi";
            jpeg_write_marker(info, JPEG_COM, comment, sizeof comment - 1);
            jpeg_write_marker(info, JPEG_APP0 + 13, comment, 0);
          };
        }));

  // Damaged files.
  const std::string baseline = JpegBytes(With([](JpegImage& i) { i.Width = i.Height = 32; }));
  corpus.WriteTruncated("truncated-half.jpg", baseline, baseline.size() / 2);
  corpus.WriteTruncated("truncated-after-sof.jpg", baseline, MarkerAt(baseline, 0xC4));
  corpus.WriteTruncated("truncated-after-sos.jpg", baseline, MarkerAt(baseline, 0xDA) + 14);
  const std::string progressive = JpegBytes(With([](JpegImage& i) { i.Progressive = true; }));
  corpus.WriteTruncated("truncated-progressive.jpg", progressive, progressive.size() * 3 / 4);
  std::string huge = baseline;
  const std::size_t sof = MarkerAt(huge, 0xC0);
  huge[sof + 5] = huge[sof + 7] = static_cast<char>(0xEA);  // 60000 × 60000
  huge[sof + 6] = huge[sof + 8] = static_cast<char>(0x60);
  corpus.Write("declared-huge.jpg", huge);
  std::string zeroHeight = baseline;
  zeroHeight[sof + 5] = zeroHeight[sof + 6] = 0;
  corpus.Write("declared-height-0.jpg", zeroHeight);
  std::string noEoi = baseline;
  noEoi.resize(noEoi.size() - 2);
  corpus.Write("no-end-marker.jpg", noEoi);
}

}  // namespace cz::seeds
