#pragma once
// The LZW image data of a GIF, coded exactly as giflib 5.2 codes it, so tiles keep the bytes
// they have always had:
//   - the minimum code size byte: max(2, colour table bits); each index is masked to it;
//   - a clear code first; codes packed least significant bit first;
//   - one new dictionary entry per code written while the next free code is below 4095; at
//     4095 a clear code is written instead and the dictionary starts again;
//   - the code width grows by one right after a code is written once the next free code has
//     reached 2^width (never beyond 12 bits);
//   - at the end the pending code, the end code and the last partial byte;
//   - the bytes in sub-blocks of 255 (the last one shorter), then the block terminator 0.
//
// A GifLzwCoder keeps its dictionary and byte buffer from image to image, so a coder per worker
// allocates nothing per image.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace cz {

class GifLzwCoder {
 public:
  GifLzwCoder();

  // Appends the image data of count indices (count >= 1) for a colour table of tableBits bits
  // (1 .. 8) to out.
  void Append(const std::uint8_t* indices, std::size_t count, int tableBits, std::string& out);

 private:
  // Dictionary of the strings (prefix code, index), the key prefix << 8 | index. Strings of
  // two indices (the prefix a single index, below the clear code) are found directly:
  // roots_[key] is their code, 0 when not known yet (no string has code 0); rootsSet_ lists
  // the keys set since the last restart, to clear only those when the next restart or image
  // begins (also after an image cut short by an exception). Longer strings go to a table
  // with open addressing and linear probing: a slot holds a code, 0 when free, and
  // keys_[code] the key the code stands for. 2^15 slots for at most 4094 strings keep it an
  // eighth full or less: on noisy tiles the shorter probe runs gain more than a table that
  // fits the first-level cache.
  static constexpr int kSlotBits = 15;
  std::vector<std::uint16_t> roots_;
  std::vector<std::uint16_t> rootsSet_;
  std::size_t rootsSetCount_ = 0;
  std::vector<std::uint16_t> slots_;
  std::vector<std::uint32_t> keys_;
  // Coded bytes not yet cut into sub-blocks.
  std::vector<std::uint8_t> pending_;
};

}  // namespace cz
