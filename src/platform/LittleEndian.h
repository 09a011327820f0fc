#pragma once
// Little-endian integers in byte buffers, written and read one byte at a time so that the
// result is the same on every host and no struct layout or alignment is involved.

#include <cstdint>

namespace cz {

inline void StoreUint32LE(unsigned char* out, std::uint32_t value) {
  out[0] = static_cast<unsigned char>(value);
  out[1] = static_cast<unsigned char>(value >> 8);
  out[2] = static_cast<unsigned char>(value >> 16);
  out[3] = static_cast<unsigned char>(value >> 24);
}

inline std::uint32_t LoadUint32LE(const unsigned char* in) {
  return static_cast<std::uint32_t>(in[0]) | static_cast<std::uint32_t>(in[1]) << 8 |
         static_cast<std::uint32_t>(in[2]) << 16 | static_cast<std::uint32_t>(in[3]) << 24;
}

inline void StoreUint16LE(unsigned char* out, std::uint16_t value) {
  out[0] = static_cast<unsigned char>(value);
  out[1] = static_cast<unsigned char>(value >> 8);
}

inline std::uint16_t LoadUint16LE(const unsigned char* in) {
  return static_cast<std::uint16_t>(in[0] | in[1] << 8);
}

}  // namespace cz
