#include "imaging/TiffFile.h"

#include <cstdarg>

#include "imaging/ChartReaders.h"
#include "platform/Error.h"

namespace cz {
namespace {

// The handlers claim every message (return 1) so that libtiff's process-wide default
// handlers, which print to stderr, are never reached.
int DropTiffMessage(TIFF*, void*, const char*, const char*, va_list) {
  return 1;
}

struct TiffOptionsFree {
  void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

}  // namespace

TiffHandle OpenTiffForReading(const std::string& resolvedPath, std::uint64_t maxBytes) {
  std::unique_ptr<TIFFOpenOptions, TiffOptionsFree> options(TIFFOpenOptionsAlloc());
  if (!options) throw CartozenError(kBufferTooLargeText);
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), DropTiffMessage, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), DropTiffMessage, nullptr);
  if (maxBytes != kNoByteLimit) {
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(maxBytes));
  }
  // "m": read(), not mmap(); libtiff copies the options, so they may go right away.
  return TiffHandle(TIFFOpenExt(resolvedPath.c_str(), "rm", options.get()));
}

}  // namespace cz
