#include "imaging/TiffFile.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <initializer_list>
#include <string>

#include "imaging/ChartReaders.h"
#include "platform/Error.h"

namespace cz {
namespace {

// The handlers claim every message (return 1) so that libtiff's process-wide default
// handlers, which print to stderr, are never reached.
int DropTiffMessage(TIFF*, void*, const char*, const char*, va_list) {
  return 1;
}

// Where the complaint of an open under way on this thread goes. The handler stays with the
// handle, which outlives the caller's string, so it writes only while TIFFOpenExt runs.
thread_local std::string* openComplaint = nullptr;

int KeepOpenComplaint(TIFF*, void*, const char*, const char* format, va_list arguments) {
  if (openComplaint != nullptr && openComplaint->empty()) {
    char text[256];  // vsnprintf cuts a longer message; it never writes past the buffer
    std::vsnprintf(text, sizeof text, format, arguments);
    *openComplaint = text;
  }
  return 1;
}

struct TiffOptionsFree {
  void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

bool OneOf(std::uint16_t value, std::initializer_list<std::uint16_t> values) {
  return std::find(values.begin(), values.end(), value) != values.end();
}

}  // namespace

TiffHandle OpenTiffForReading(const std::string& resolvedPath, std::uint64_t maxBytes,
                              std::string* whyNot) {
  std::unique_ptr<TIFFOpenOptions, TiffOptionsFree> options(TIFFOpenOptionsAlloc());
  if (!options) throw CartozenError(kBufferTooLargeText);
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), KeepOpenComplaint, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), DropTiffMessage, nullptr);
  if (maxBytes != kNoByteLimit) {
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(maxBytes));
  }
  // "m": read(), not mmap(); libtiff copies the options, so they may go right away.
  if (whyNot != nullptr) whyNot->clear();
  openComplaint = whyNot;
  TiffHandle tiff(TIFFOpenExt(resolvedPath.c_str(), "rm", options.get()));
  openComplaint = nullptr;
  return tiff;
}

std::string TiffSampleText(std::uint16_t bits, std::uint16_t sampleFormat) {
  std::string text = std::to_string(bits) + "-bit";
  if (sampleFormat == SAMPLEFORMAT_INT) text += " signed";
  if (sampleFormat == SAMPLEFORMAT_IEEEFP) text += " floating-point";
  if (sampleFormat == SAMPLEFORMAT_COMPLEXINT || sampleFormat == SAMPLEFORMAT_COMPLEXIEEEFP) {
    text += " complex";
  }
  return text;
}

std::string TiffCodecRefusal(TIFF* tiff) {
  std::uint16_t compression = COMPRESSION_NONE;
  TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
  if (!TIFFIsCODECConfigured(compression)) {
    const TIFFCodec* codec = TIFFFindCODEC(compression);
    return "the compression (" +
           (codec != nullptr ? std::string(codec->name) : "number " + std::to_string(compression)) +
           ") is not supported";
  }
  // Only the codecs that take a predictor know its tag (a plain short); asking any other for
  // it could read a tag of the file's own making with another type.
  const TIFFField* field = TIFFFindField(tiff, TIFFTAG_PREDICTOR, TIFF_ANY);
  std::uint16_t predictor = PREDICTOR_NONE;
  if (field == nullptr || TIFFFieldPassCount(field) != 0 ||
      TIFFFieldDataType(field) != TIFF_SHORT ||
      !TIFFGetField(tiff, TIFFTAG_PREDICTOR, &predictor)) {
    return "";
  }
  std::uint16_t bits = 1;
  std::uint16_t sampleFormat = SAMPLEFORMAT_UINT;
  TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &sampleFormat);
  // libtiff's own rules (PredictorSetup): it fails every strip otherwise.
  switch (predictor) {
    case PREDICTOR_NONE:
      return "";
    case PREDICTOR_HORIZONTAL:
      if (OneOf(bits, {8, 16, 32, 64})) return "";
      return TiffSampleText(bits, sampleFormat) +
             " samples with a horizontal predictor are not supported";
    case PREDICTOR_FLOATINGPOINT:
      if (sampleFormat == SAMPLEFORMAT_IEEEFP && OneOf(bits, {16, 24, 32, 64})) return "";
      return TiffSampleText(bits, sampleFormat) +
             " samples with a floating-point predictor are not supported";
    default:
      return "the predictor (number " + std::to_string(predictor) + ") is not supported";
  }
}

}  // namespace cz
