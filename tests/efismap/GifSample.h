#pragma once
// Small, valid GIF87a files written by hand for tests: a two-colour image whose pixels follow
// a pattern, LZW-coded with a Clear code before every pixel (always valid, never compact), so
// sizes grow with width × height.

#include <cstdint>
#include <string>

namespace cz::testing {

inline std::string SampleGif87a(int width, int height, unsigned seed = 0) {
  std::string gif = "GIF87a";
  auto put16 = [&](int v) {
    gif += static_cast<char>(v & 0xFF);
    gif += static_cast<char>((v >> 8) & 0xFF);
  };
  put16(width);
  put16(height);
  gif += '\x80';  // global colour table of 2 entries
  gif += '\0';
  gif += '\0';
  gif += std::string("\x00\x00\x00\xff\xff\xff", 6);
  gif += ',';
  put16(0);
  put16(0);
  put16(width);
  put16(height);
  gif += '\0';
  gif += '\x02';  // minimum code size 2: Clear = 4, End = 5, codes of 3 bits
  std::string data;
  std::uint32_t bits = 0;
  int count = 0;
  auto code = [&](unsigned c) {
    bits |= c << count;
    count += 3;
    while (count >= 8) {
      data += static_cast<char>(bits & 0xFF);
      bits >>= 8;
      count -= 8;
    }
  };
  for (int i = 0; i < width * height; ++i) {
    code(4);
    code(((i / 3) + seed) % 2);
  }
  code(5);
  if (count > 0) data += static_cast<char>(bits & 0xFF);
  for (std::size_t at = 0; at < data.size(); at += 255) {
    const std::string block = data.substr(at, 255);
    gif += static_cast<char>(block.size());
    gif += block;
  }
  gif += '\0';
  gif += ';';
  return gif;
}

}  // namespace cz::testing
