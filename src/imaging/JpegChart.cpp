// JPEG charts through libjpeg-turbo, decoded straight into the raster's BGRA rows.
//
// libjpeg reports a fatal error by calling error_exit, which must not return. Ours jumps back
// with longjmp to DecodeJpeg, a C-style function in which no object with a destructor is
// alive across the jump; everything that needs cleaning up (the decompressor, the file) is
// owned by the caller and released after DecodeJpeg has returned either way.

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>
#include <string>

// jpeglib.h needs size_t and FILE declared before it.
#include <jerror.h>
#include <jpeglib.h>

#include "imaging/ChartReaders.h"
#include "imaging/Raster32.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"

namespace cz {
namespace {

struct JpegErrorManager {
  jpeg_error_mgr manager;  // first, so that libjpeg's pointer is also ours
  std::jmp_buf jump;
};

[[noreturn]] void JumpOnJpegError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->jump, 1);
}

// Nothing is printed. Corrupt data that libjpeg recovers from loads as it comes (as partly
// decodable TIFFs do), but a file that ends before its image does is truncated, not
// damaged: libjpeg would fill the rest with grey, and the load fails instead.
void DropJpegOutput(j_common_ptr) {}
void OnJpegMessage(j_common_ptr info, int level) {
  if (level == -1 && info->err->msg_code == JWRN_JPEG_EOF) {
    std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->jump, 1);
  }
}

// A progressive file may hold any number of scans, each a full pass over the coefficients; a
// hostile one with thousands of tiny scans would keep the load busy for minutes. Real
// encoders write about ten.
constexpr int kMaxScans = 1000;

void LimitScans(j_common_ptr info) {
  if (!info->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) {
    std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->jump, 1);
  }
}

enum class JpegOutcome { Decoded, DecodeError, OutOfMemory };

// Sizes the raster without letting an exception into DecodeJpeg's frame.
bool TryAllocate(Raster32* raster, JDIMENSION width, JDIMENSION height,
                 std::uint64_t maxBytes) noexcept {
  try {
    AllocateChartRaster(*raster, width, height, maxBytes, false);
    return true;
  } catch (...) {
    return false;
  }
}

// CMYK (as Adobe writes it, inverted) to BGRA, in place from the end of the row backwards:
// each 4-byte CMYK pixel becomes one 4-byte BGRA pixel at the same place.
void ConvertCmykRow(std::uint32_t* row, JDIMENSION width, bool inverted) {
  auto* bytes = reinterpret_cast<std::uint8_t*>(row);
  for (JDIMENSION x = 0; x < width; ++x) {
    unsigned c = bytes[4 * x], m = bytes[4 * x + 1], y = bytes[4 * x + 2], k = bytes[4 * x + 3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    row[x] = PackPixel(static_cast<std::uint8_t>((c * k + 127) / 255),
                       static_cast<std::uint8_t>((m * k + 127) / 255),
                       static_cast<std::uint8_t>((y * k + 127) / 255));
  }
}

// The decode proper. Returns through setjmp on a libjpeg error: only plain values and
// pointers to the caller's objects live here.
JpegOutcome DecodeJpeg(jpeg_decompress_struct* info, JpegErrorManager* errors,
                       jpeg_progress_mgr* progress, std::FILE* file, Raster32* raster,
                       std::uint64_t* requiredBytes, std::uint64_t maxBytes) {
  if (setjmp(errors->jump) != 0) return JpegOutcome::DecodeError;

  jpeg_create_decompress(info);
  info->progress = progress;
  // libjpeg's own working memory (whole-image coefficient buffers of progressive files)
  // stays within the cap as well; beyond it libjpeg fails instead of allocating.
  if (maxBytes != kNoByteLimit) info->mem->max_memory_to_use = static_cast<long>(maxBytes);
  jpeg_stdio_src(info, file);
  jpeg_read_header(info, TRUE);
  *requiredBytes = Raster32::RequiredBytes(info->image_width, info->image_height);
  const bool cmyk = info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK;
  info->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  jpeg_calc_output_dimensions(info);
  if (!TryAllocate(raster, info->output_width, info->output_height, maxBytes)) {
    return JpegOutcome::OutOfMemory;
  }
  jpeg_start_decompress(info);
  while (info->output_scanline < info->output_height) {
    const JDIMENSION y = info->output_scanline;
    JSAMPROW row = reinterpret_cast<JSAMPROW>(raster->Row(static_cast<std::int32_t>(y)));
    jpeg_read_scanlines(info, &row, 1);
    if (cmyk)
      ConvertCmykRow(raster->Row(static_cast<std::int32_t>(y)), info->output_width,
                     info->saw_Adobe_marker);
  }
  jpeg_finish_decompress(info);
  return JpegOutcome::Decoded;
}

}  // namespace

void ReadJpegChart(const std::string& path, Raster32& raster, std::uint64_t& requiredBytes,
                   std::uint64_t maxBytes) {
  OpenedFile file(std::fopen(ResolvePath(path).c_str(), "rb"));
  if (!file) throw CartozenError(UnableToOpenText(path));

  jpeg_decompress_struct info{};
  JpegErrorManager errors{};
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = JumpOnJpegError;
  errors.manager.emit_message = OnJpegMessage;
  errors.manager.output_message = DropJpegOutput;
  jpeg_progress_mgr progress{};
  progress.progress_monitor = LimitScans;

  const JpegOutcome outcome =
      DecodeJpeg(&info, &errors, &progress, file.get(), &raster, &requiredBytes, maxBytes);
  jpeg_destroy_decompress(&info);  // safe after a failure at any point, even inside create
  if (outcome != JpegOutcome::Decoded) throw CartozenError(kBufferNotDecodedText);
}

}  // namespace cz
