#include "imaging/GifLzw.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace cz {

namespace {

constexpr std::uint32_t kLastCode = 4095;  // the dictionary restarts rather than take this code
constexpr std::size_t kBlockSize = 255;
// Indices coded between two cuts of the pending bytes into sub-blocks. Each index writes at
// most two codes (its prefix and a clear code) of at most 12 bits.
constexpr std::size_t kSpan = 4096;
// Leftover of the last cut, one span, the first clear code, the last code and the end code,
// and the 8 bytes every code write stores.
constexpr std::size_t kPendingCapacity = kBlockSize + kSpan * 3 + 16;

// Least significant byte first on any machine.
inline void StoreLittleEndian(std::uint8_t* at, std::uint64_t value) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(at, &value, sizeof value);
  } else {
    for (int i = 0; i < 8; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

// Appends the whole sub-blocks of bytes[0, size) to out and moves the rest to the front;
// returns how many bytes stay.
std::size_t CutSubBlocks(std::uint8_t* bytes, std::size_t size, std::string& out) {
  std::size_t at = 0;
  for (; size - at >= kBlockSize; at += kBlockSize) {
    out.push_back(static_cast<char>(kBlockSize));
    out.append(reinterpret_cast<const char*>(bytes + at), kBlockSize);
  }
  std::memmove(bytes, bytes + at, size - at);
  return size - at;
}

}  // namespace

GifLzwCoder::GifLzwCoder()
    : roots_(std::size_t{1} << 16),
      rootsSet_(kLastCode),
      slots_(std::size_t{1} << kSlotBits),
      keys_(kLastCode),
      pending_(kPendingCapacity) {}

void GifLzwCoder::Append(const std::uint8_t* indices, std::size_t count, int tableBits,
                         std::string& out) {
  const int minCodeSize = std::max(2, tableBits);
  const std::uint32_t clearCode = 1u << minCodeSize;
  const std::uint32_t endCode = clearCode + 1;
  const std::uint32_t firstCode = clearCode + 2;
  const std::uint32_t indexMask = clearCode - 1;
  out.push_back(static_cast<char>(minCodeSize));

  std::uint16_t* const roots = roots_.data();
  std::uint16_t* const rootsSet = rootsSet_.data();
  std::size_t rootsSetCount = rootsSetCount_;
  std::uint16_t* const slots = slots_.data();
  std::uint32_t* const keys = keys_.data();
  static_assert(kSlotBits >= 12, "a prefix code has 12 bits");
  constexpr std::uint32_t kSlotMask = (1u << kSlotBits) - 1;
  const auto clearDictionary = [&] {
    for (std::size_t k = 0; k < rootsSetCount; ++k) roots[rootsSet[k]] = 0;
    rootsSetCount = 0;
    std::fill_n(slots, std::size_t{1} << kSlotBits, std::uint16_t{0});
  };
  clearDictionary();

  std::uint8_t* const pending = pending_.data();
  std::uint8_t* cursor = pending;
  std::uint64_t bits = 0;  // the low `used` bits are not yet a whole byte
  int used = 0;
  int width = minCodeSize + 1;
  std::uint32_t widthLimit = 1u << width;
  std::uint32_t nextCode = firstCode;
  const auto put = [&](std::uint32_t code) {
    bits |= std::uint64_t{code} << used;
    used += width;
    StoreLittleEndian(cursor, bits);
    cursor += used >> 3;
    bits >>= used & ~7;
    used &= 7;
    if (nextCode >= widthLimit) {
      ++width;
      widthLimit <<= 1;
    }
  };

  put(clearCode);
  std::uint32_t prefix = indices[0] & indexMask;
  std::size_t i = 1;
  for (;;) {
    const std::size_t spanEnd = std::min(count, i + kSpan);
    for (; i < spanEnd; ++i) {
      const std::uint32_t index = indices[i] & indexMask;
      const std::uint32_t key = prefix << 8 | index;
      std::uint32_t code;
      std::uint32_t slot = 0;
      const bool root = prefix < clearCode;
      if (root) {
        code = roots[key];
      } else {
        // The prefix, found by the previous lookup, enters the slot with a shift only, so each
        // lookup waits for the last one no longer than it must; the index is spread by a
        // multiplicative hash, computed while the previous lookup loads.
        slot = (prefix << (kSlotBits - 12)) ^ ((index * 0x9E3779B1u) >> (32 - kSlotBits));
        while ((code = slots[slot]) != 0 && keys[code] != key) slot = (slot + 1) & kSlotMask;
      }
      if (code != 0) {
        prefix = code;
        continue;
      }
      put(prefix);
      prefix = index;
      if (nextCode < kLastCode) {
        if (root) {
          roots[key] = static_cast<std::uint16_t>(nextCode);
          rootsSet[rootsSetCount++] = static_cast<std::uint16_t>(key);
        } else {
          slots[slot] = static_cast<std::uint16_t>(nextCode);
          keys[nextCode] = key;
        }
        ++nextCode;
      } else {
        put(clearCode);
        clearDictionary();
        nextCode = firstCode;
        width = minCodeSize + 1;
        widthLimit = 1u << width;
      }
    }
    if (i == count) break;
    rootsSetCount_ = rootsSetCount;  // known to the next image should this one be cut short
    cursor = pending + CutSubBlocks(pending, static_cast<std::size_t>(cursor - pending), out);
  }
  put(prefix);
  put(endCode);
  rootsSetCount_ = rootsSetCount;  // the next image clears them, as it clears the slots
  cursor += (used + 7) >> 3;  // the last partial byte, stored by put with zero high bits

  const std::size_t rest = CutSubBlocks(pending, static_cast<std::size_t>(cursor - pending), out);
  if (rest != 0) {
    out.push_back(static_cast<char>(rest));
    out.append(reinterpret_cast<const char*>(pending), rest);
  }
  out.push_back('\0');  // block terminator
}

}  // namespace cz
