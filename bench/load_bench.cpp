// Loading a large chart (12000 × 9000) in each format: our reader against the bare library
// decode of the same file, in the same run. The files are made once in the system's
// temporary folder (cartozen-load-bench/) and reused.
//
//   build/bin/load_bench   (3 repetitions of 3 loads each; compare the CPU column)
//
// Groups: Tiff* (our reader on 1 and 2 threads, its CPU column the whole process's, vs
// TIFFReadRGBAImageOriented, uncompressed and LZW),
// Jpeg* (our ReadJpegChart vs libjpeg decoding to its plain RGB output, and to BGRA), Bmp*
// (our ReadBmpChart vs reading the file's bytes: there is no library, so the plain read is
// the floor). Every load makes its own buffer, as a real load
// does: the bare decodes once with new[] (argument 0) and once with a Raster32 block
// (argument 1), which shows the decode apart from the cost of faulting the memory in.

#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "imaging/ChartReaders.h"
#include "imaging/Raster32.h"
#include "imaging/TiffChart.h"

namespace {

constexpr int kWidth = 12000;
constexpr int kHeight = 9000;

// A chart-like picture: smooth colour areas, a graticule and fine detail, so that the
// compressed formats have realistic work to do.
void ChartRow(int y, std::vector<std::uint8_t>& rgb) {
  for (int x = 0; x < kWidth; ++x) {
    std::uint8_t r = static_cast<std::uint8_t>(200 + ((x / 40 + y / 60) & 31));
    std::uint8_t g = static_cast<std::uint8_t>(180 + ((x / 90) & 63));
    std::uint8_t b = static_cast<std::uint8_t>(150 + ((y / 70) & 63));
    if (x % 600 < 2 || y % 600 < 2 || ((x * 7 + y * 3) % 97 == 0)) r = g = b = 20;
    rgb[3 * x] = r;
    rgb[3 * x + 1] = g;
    rgb[3 * x + 2] = b;
  }
}

std::string Folder() {
  const auto folder = std::filesystem::temp_directory_path() / "cartozen-load-bench";
  std::filesystem::create_directories(folder);
  return folder.string();
}

bool Exists(const std::string& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  return !error && size > 1000;
}

std::string TiffFile(std::uint16_t compression) {
  const std::string path =
      Folder() + (compression == COMPRESSION_NONE ? "/chart.tif" : "/chart-lzw.tif");
  if (Exists(path)) return path;
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, kWidth);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, kHeight);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 16);
  std::vector<std::uint8_t> row(3 * kWidth);
  for (int y = 0; y < kHeight; ++y) {
    ChartRow(y, row);
    TIFFWriteScanline(tiff, row.data(), y, 0);
  }
  TIFFClose(tiff);
  return path;
}

std::string JpegFile() {
  const std::string path = Folder() + "/chart.jpg";
  if (Exists(path)) return path;
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  jpeg_stdio_dest(&info, file);
  info.image_width = kWidth;
  info.image_height = kHeight;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 90, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<std::uint8_t> row(3 * kWidth);
  while (info.next_scanline < info.image_height) {
    ChartRow(static_cast<int>(info.next_scanline), row);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::fclose(file);
  return path;
}

void Put32(std::FILE* file, std::uint32_t v) {
  const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                             static_cast<std::uint8_t>(v >> 16),
                             static_cast<std::uint8_t>(v >> 24)};
  std::fwrite(b, 1, 4, file);
}

std::string BmpFile() {
  const std::string path = Folder() + "/chart.bmp";
  if (Exists(path)) return path;
  const std::uint32_t stride = (kWidth * 3 + 3) / 4 * 4;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite("BM", 1, 2, file);
  Put32(file, 54 + stride * kHeight);
  Put32(file, 0);
  Put32(file, 54);
  Put32(file, 40);
  Put32(file, kWidth);
  Put32(file, kHeight);
  Put32(file, 1 | 24 << 16);
  Put32(file, 0);
  Put32(file, stride * kHeight);
  Put32(file, 2835);
  Put32(file, 2835);
  Put32(file, 0);
  Put32(file, 0);
  std::vector<std::uint8_t> rgb(3 * kWidth), bgr(stride, 0);
  for (int fileRow = 0; fileRow < kHeight; ++fileRow) {
    ChartRow(kHeight - 1 - fileRow, rgb);
    for (int x = 0; x < kWidth; ++x) {
      bgr[3 * x] = rgb[3 * x + 2];
      bgr[3 * x + 1] = rgb[3 * x + 1];
      bgr[3 * x + 2] = rgb[3 * x];
    }
    std::fwrite(bgr.data(), 1, stride, file);
  }
  std::fclose(file);
  return path;
}

using Reader = void (*)(const std::string&, cz::Raster32&, std::uint64_t&, std::uint64_t);

void Ours(benchmark::State& state, const std::string& path, Reader reader) {
  for (auto _ : state) {
    cz::Raster32 raster;
    std::uint64_t requiredBytes = 0;
    reader(path, raster, requiredBytes, cz::kNoByteLimit);
    benchmark::DoNotOptimize(raster.Pixels());
  }
  state.SetBytesProcessed(state.iterations() * std::int64_t{kWidth} * kHeight * 4);
}

// Argument: the thread count of the direct decoder.
void OursTiff(benchmark::State& state, const std::string& path) {
  for (auto _ : state) {
    cz::Raster32 raster;
    std::uint64_t requiredBytes = 0;
    cz::ReadTiffChartOnThreads(path, raster, requiredBytes, cz::kNoByteLimit,
                               static_cast<int>(state.range(0)));
    benchmark::DoNotOptimize(raster.Pixels());
  }
  state.SetBytesProcessed(state.iterations() * std::int64_t{kWidth} * kHeight * 4);
}
void BM_TiffOurs(benchmark::State& state) {
  OursTiff(state, TiffFile(COMPRESSION_NONE));
}
void BM_TiffLzwOurs(benchmark::State& state) {
  OursTiff(state, TiffFile(COMPRESSION_LZW));
}
void BM_JpegOurs(benchmark::State& state) {
  Ours(state, JpegFile(), cz::ReadJpegChart);
}
void BM_BmpOurs(benchmark::State& state) {
  Ours(state, BmpFile(), cz::ReadBmpChart);
}

// A fresh buffer per load: new[] (4 KB pages, as a plain caller gets) or a Raster32 block
// (as our readers get), so that the decode itself can be compared apart from the memory.
class Buffer {
 public:
  Buffer(bool raster, std::size_t bytes) {
    if (raster) {
      raster_.Allocate(kWidth, kHeight);
    } else {
      plain_.reset(new std::uint8_t[bytes]);
    }
  }
  void* Data() { return plain_ ? static_cast<void*>(plain_.get()) : raster_.Pixels(); }

 private:
  std::unique_ptr<std::uint8_t[]> plain_;
  cz::Raster32 raster_;
};

void BareTiff(benchmark::State& state, const std::string& path) {
  for (auto _ : state) {
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    std::uint32_t width = 0, height = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    Buffer pixels(state.range(0) != 0, std::size_t{width} * height * 4);
    TIFFReadRGBAImageOriented(tiff, width, height, static_cast<std::uint32_t*>(pixels.Data()),
                              ORIENTATION_TOPLEFT, 0);
    TIFFClose(tiff);
    benchmark::DoNotOptimize(pixels.Data());
  }
  state.SetBytesProcessed(state.iterations() * std::int64_t{kWidth} * kHeight * 4);
}
void BM_TiffBare(benchmark::State& state) {
  BareTiff(state, TiffFile(COMPRESSION_NONE));
}
void BM_TiffLzwBare(benchmark::State& state) {
  BareTiff(state, TiffFile(COMPRESSION_LZW));
}

void BareJpeg(benchmark::State& state, J_COLOR_SPACE output) {
  const std::string path = JpegFile();
  for (auto _ : state) {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = output;
    jpeg_start_decompress(&info);
    const std::size_t stride = std::size_t{info.output_width} * info.output_components;
    Buffer pixels(state.range(0) != 0, stride * info.output_height);
    while (info.output_scanline < info.output_height) {
      JSAMPROW row = static_cast<JSAMPROW>(pixels.Data()) + stride * info.output_scanline;
      jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    benchmark::DoNotOptimize(pixels.Data());
  }
  state.SetBytesProcessed(state.iterations() * std::int64_t{kWidth} * kHeight * 4);
}

void BM_JpegBare(benchmark::State& state) {
  BareJpeg(state, JCS_RGB);
}
void BM_JpegBareBgra(benchmark::State& state) {
  BareJpeg(state, JCS_EXT_BGRA);
}

void BM_BmpPlainRead(benchmark::State& state) {
  const std::string path = BmpFile();
  const std::size_t size = std::filesystem::file_size(path);
  for (auto _ : state) {
    Buffer bytes(state.range(0) != 0, size);  // the file is smaller than the raster
    std::FILE* file = std::fopen(path.c_str(), "rb");
    benchmark::DoNotOptimize(std::fread(bytes.Data(), 1, size, file));
    std::fclose(file);
    benchmark::DoNotOptimize(bytes.Data());
  }
  state.SetBytesProcessed(state.iterations() * std::int64_t{kWidth} * kHeight * 4);
}

// Each group runs back to back so that its members see the same machine load. Argument 0:
// the bare decode into a new[] buffer; 1: into a Raster32 block.
#define CZ_LOAD_BENCH(name) \
  BENCHMARK(name)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3)
CZ_LOAD_BENCH(BM_TiffBare)->Arg(0)->Arg(1);
CZ_LOAD_BENCH(BM_TiffOurs)->Arg(1)->Arg(2)->MeasureProcessCPUTime()->UseRealTime();
CZ_LOAD_BENCH(BM_TiffLzwBare)->Arg(0)->Arg(1);
CZ_LOAD_BENCH(BM_TiffLzwOurs)->Arg(1)->Arg(2)->MeasureProcessCPUTime()->UseRealTime();
CZ_LOAD_BENCH(BM_JpegBare)->Arg(0)->Arg(1);
CZ_LOAD_BENCH(BM_JpegBareBgra)->Arg(0)->Arg(1);
CZ_LOAD_BENCH(BM_JpegOurs);
CZ_LOAD_BENCH(BM_BmpPlainRead)->Arg(0)->Arg(1);
CZ_LOAD_BENCH(BM_BmpOurs);

}  // namespace
