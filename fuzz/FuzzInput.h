#pragma once
// The chart readers take a path: the fuzz input is handed to them as an anonymous in-memory
// file, reached through /proc/self/fd.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/Raster32.h"
#include "platform/Error.h"

namespace cz::fuzz {

// Rasters above this are refused as if the memory could not be had, so that a header
// asking for gigabytes does not trip the fuzzer's memory limit.
inline constexpr std::uint64_t kFuzzByteLimit = 64u << 20;

class MemoryFile {
 public:
  MemoryFile(const std::uint8_t* data, std::size_t size) {
    fd_ = memfd_create("chart", 0);
    if (fd_ >= 0 && size > 0 && write(fd_, data, size) != static_cast<ssize_t>(size)) {
      close(fd_);
      fd_ = -1;
    }
  }
  ~MemoryFile() {
    if (fd_ >= 0) close(fd_);
  }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  bool Ok() const { return fd_ >= 0; }
  std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_ = -1;
};

// Touches every pixel, so that a raster reported as loaded but not fully written shows up
// under MemorySanitizer and a wrong size under AddressSanitizer.
inline std::uint32_t Checksum(const Raster32& raster) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < raster.PixelCount(); ++i) sum += raster.Pixels()[i];
  return sum;
}

// Runs one chart reader (ReadBmpChart, ReadTiffChart, ReadJpegChart) on the bytes. Any input
// must end in a raster or a CartozenError; a crash, a hang, a read outside a buffer or a leak is
// a fault.
template <typename ChartReader>
int FuzzChartReader(const std::uint8_t* data, std::size_t size, ChartReader read) {
  MemoryFile file(data, size);
  if (!file.Ok()) return 0;
  Raster32 raster;
  std::uint64_t requiredBytes = 0;
  try {
    read(file.Path(), raster, requiredBytes, kFuzzByteLimit);
    volatile std::uint32_t sum = Checksum(raster);
    (void)sum;
  } catch (const CartozenError&) {
  }
  return 0;
}

}  // namespace cz::fuzz
