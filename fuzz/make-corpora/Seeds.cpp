#include "Seeds.h"

#include <unistd.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace cz::seeds {

Corpus::Corpus(const std::filesystem::path& root, const std::string& target)
    : folder_(root / target) {
  std::filesystem::create_directories(folder_);
}

void Corpus::Write(const std::string& name, std::string_view bytes) {
  if (bytes.size() > kMaxSeedBytes) {
    throw std::runtime_error(name + ": " + std::to_string(bytes.size()) + " bytes, too large");
  }
  std::ofstream out(folder_ / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + (folder_ / name).string());
  ++count_;
}

void Corpus::WriteTruncated(const std::string& name, std::string_view bytes, std::size_t keep) {
  Write(name, bytes.substr(0, keep));
}

std::uint8_t Pattern(int x, int y, int channel) {
  const int ramp = (x * 16 + y * 8 + channel * 85) & 0xFF;
  return static_cast<std::uint8_t>(((x / 4 + y / 4) & 1) ? ramp ^ 0x40 : ramp);
}

std::string BytesWrittenBy(const std::function<void(const std::string& path)>& write) {
  char pattern[] = "/tmp/cartozen-seed-XXXXXX";
  const int fd = ::mkstemp(pattern);
  if (fd < 0) throw std::runtime_error("cannot make a temporary file");
  ::close(fd);
  const std::string path = pattern;
  try {
    write(path);
  } catch (...) {
    std::filesystem::remove(path);
    throw;
  }
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::filesystem::remove(path);
  return bytes;
}

Bytes& Bytes::U8(std::uint32_t v) {
  s_ += static_cast<char>(v & 0xFF);
  return *this;
}
Bytes& Bytes::U16(std::uint32_t v) {
  return U8(v).U8(v >> 8);
}
Bytes& Bytes::U32(std::uint32_t v) {
  return U16(v).U16(v >> 16);
}
Bytes& Bytes::U16BE(std::uint32_t v) {
  return U8(v >> 8).U8(v);
}
Bytes& Bytes::U32BE(std::uint32_t v) {
  return U16BE(v >> 16).U16BE(v);
}
Bytes& Bytes::Raw(std::string_view s) {
  s_ += s;
  return *this;
}
Bytes& Bytes::Fill(std::size_t count, std::uint8_t v) {
  s_.append(count, static_cast<char>(v));
  return *this;
}

std::uint32_t Crc32(std::string_view bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const char c : bytes) {
    crc ^= static_cast<std::uint8_t>(c);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

}  // namespace cz::seeds
