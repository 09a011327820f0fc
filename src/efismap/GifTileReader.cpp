#include "efismap/GifTileReader.h"

#include <algorithm>
#include <cstring>

namespace cz {

namespace {

constexpr std::size_t kScreenHeaderSize = 13;  // signature and logical screen descriptor
constexpr std::size_t kImageDescriptorSize = 10;
constexpr std::uint32_t kMaxCodeSize = 12;
// Zero bytes behind the compressed data, so that fetching a code's three bytes never leaves
// the buffer; the end of the real data is checked in bits before every code.
constexpr std::size_t kCodeFetchPadding = 4;

// Writes decoded colour indices as pixels: the width fit and the clipping to the raster.
// The cursor is kept in 64 bits, so no image width or origin can wrap it round into the view.
class PixelWriter {
 public:
  PixelWriter(Raster32& view, const std::array<std::uint32_t, 256>& palette, std::int32_t originX,
              std::int32_t originY, std::uint16_t imageWidth, std::uint16_t targetWidth)
      : view_(view),
        palette_(palette),
        originX_(originX),
        originY_(originY),
        imageWidth_(imageWidth),
        viewWidth_(static_cast<std::uint64_t>(view.Width())) {
    // Drop or duplicate every P-th pixel of a row; with w = W, P = w is never reached.
    if (imageWidth > targetWidth) {
      period_ = imageWidth / (imageWidth - targetWidth);
      duplicate_ = false;
    } else if (imageWidth < targetWidth) {
      period_ = imageWidth / (targetWidth - imageWidth);
      duplicate_ = true;
    } else {
      period_ = imageWidth;
      duplicate_ = true;
    }
    // Most tiles fit their rows unchanged (levels 0 to 2 are one pixel wider than their
    // pitch, P = w is never reached) and lie wholly inside the view across: those rows need
    // neither the fit nor a column check per pixel.
    plain_ =
        period_ >= imageWidth && originX >= 0 && std::int64_t{originX} + imageWidth <= view.Width();
    SelectRow();
  }

  // True once the current row lies below the raster: nothing more of the image can show.
  bool PastBottom() const { return pastBottom_; }

  void Put(std::uint8_t index) {
    const std::uint32_t colour = palette_[index];
    if (plain_) {
      if (row_ != nullptr) row_[originX_ + x_] = colour;
      if (++x_ == imageWidth_) NextRow();
      return;
    }
    Store(colour);
    if (counter_ >= period_) {
      if (duplicate_) {
        ++x_;
        Store(colour);
      } else {
        --x_;  // the next pixel overwrites this one
      }
      counter_ = 0;
    }
    ++counter_;
    ++x_;
    if (++done_ == imageWidth_) NextRow();
  }

 private:
  void NextRow() {
    x_ = 0;
    done_ = 0;
    counter_ = 0;
    ++y_;
    SelectRow();
  }

  void Store(std::uint32_t colour) {
    if (row_ == nullptr) return;
    const std::int64_t column = originX_ + x_;
    if (static_cast<std::uint64_t>(column) < viewWidth_) row_[column] = colour;
  }

  void SelectRow() {
    const std::int64_t row = originY_ + y_;
    row_ = row >= 0 && row < view_.Height() ? view_.Row(static_cast<std::int32_t>(row)) : nullptr;
    pastBottom_ = row >= view_.Height();
  }

  Raster32& view_;
  const std::array<std::uint32_t, 256>& palette_;
  const std::int64_t originX_;
  const std::int64_t originY_;
  const std::uint16_t imageWidth_;
  const std::uint64_t viewWidth_;
  std::uint32_t period_ = 0;
  bool duplicate_ = true;
  std::uint32_t counter_ = 0;
  std::int64_t x_ = 0;
  std::int64_t y_ = 0;
  std::uint32_t done_ = 0;
  std::uint32_t* row_ = nullptr;
  bool pastBottom_ = false;
  bool plain_ = false;
};

}  // namespace

std::size_t MemoryGifSource::Read(std::uint8_t* destination, std::size_t size) {
  const std::size_t count = std::min(size, bytes_.size() - position_);
  if (count > 0) std::memcpy(destination, bytes_.data() + position_, count);
  position_ += count;
  return count;
}

GifTileReader::GifTileReader() {
  compressed_.reserve(64 * 1024);
}

bool GifTileReader::ReadColourTable(GifByteSource& source, std::uint32_t entries) {
  std::array<std::uint8_t, 3 * 256> bytes;
  if (source.Read(bytes.data(), 3 * entries) != 3 * entries) return false;
  for (std::uint32_t i = 0; i < entries; ++i) {
    palette_[i] = (std::uint32_t{bytes[3 * i]} << 16) | (std::uint32_t{bytes[3 * i + 1]} << 8) |
                  bytes[3 * i + 2];
  }
  return true;
}

GifTileOutcome GifTileReader::Read(GifByteSource& source, std::int32_t originX,
                                   std::int32_t originY, std::uint16_t targetWidth,
                                   Raster32& view) {
  palette_.fill(0);
  compressed_.clear();

  std::uint8_t header[kScreenHeaderSize];
  if (source.Read(header, sizeof header) != sizeof header) return GifTileOutcome::kTruncated;
  if (std::memcmp(header, "GIF87a", 6) != 0) return GifTileOutcome::kRefused;

  const std::uint8_t screenFlags = header[10];
  const std::uint32_t bitsPerPixel = (screenFlags & 7u) + 1;
  bitMask_ = (1u << bitsPerPixel) - 1;
  if ((screenFlags & 0x80) != 0 && !ReadColourTable(source, 1u << bitsPerPixel)) {
    return GifTileOutcome::kTruncated;
  }

  // The separator and the image's position and height are not used.
  std::uint8_t descriptor[kImageDescriptorSize];
  if (source.Read(descriptor, sizeof descriptor) != sizeof descriptor) {
    return GifTileOutcome::kTruncated;
  }
  const auto imageWidth = static_cast<std::uint16_t>(descriptor[5] | (descriptor[6] << 8));
  const std::uint8_t imageFlags = descriptor[9];
  // A local table replaces the global colours from entry 0 on.
  if ((imageFlags & 0x80) != 0 && !ReadColourTable(source, 1u << ((imageFlags & 7u) + 1))) {
    return GifTileOutcome::kTruncated;
  }

  std::uint8_t minimumCodeSize = 0;
  if (source.Read(&minimumCodeSize, 1) != 1) return GifTileOutcome::kTruncated;

  // All sub-blocks are read before decoding, so the source ends up just past the terminator
  // whatever the data holds. The buffer grows only by what the source really delivers.
  for (;;) {
    std::uint8_t count = 0;
    if (source.Read(&count, 1) != 1) return GifTileOutcome::kTruncated;
    if (count == 0) break;
    const std::size_t used = compressed_.size();
    compressed_.resize(used + count);
    if (source.Read(compressed_.data() + used, count) != count) return GifTileOutcome::kTruncated;
  }

  // The GIF standard allows minimum code sizes 2 to 8; others would take the code table past
  // its 12-bit codes. An image without columns has no rows to end.
  if (minimumCodeSize < 2 || minimumCodeSize > 8 || imageWidth == 0) {
    return GifTileOutcome::kUnsupported;
  }
  return Decode(minimumCodeSize, imageWidth, originX, originY, targetWidth, view);
}

GifTileOutcome GifTileReader::Decode(std::uint32_t minimumCodeSize, std::uint16_t imageWidth,
                                     std::int32_t originX, std::int32_t originY,
                                     std::uint16_t targetWidth, Raster32& view) {
  // Entries below FirstFree are never written; zero makes whatever corrupt data reaches them
  // decode the same way every time.
  prefix_.fill(0);
  suffix_.fill(0);

  const std::uint64_t dataBits = static_cast<std::uint64_t>(compressed_.size()) * 8;
  compressed_.resize(compressed_.size() + kCodeFetchPadding, 0);
  const std::uint8_t* const data = compressed_.data();

  const std::uint32_t clearCode = 1u << minimumCodeSize;
  const std::uint32_t endCode = clearCode + 1;
  const std::uint32_t firstFree = clearCode + 2;
  const std::uint32_t initCodeSize = minimumCodeSize + 1;
  const std::uint32_t bitMask = bitMask_;

  std::uint32_t codeSize = initCodeSize;
  std::uint32_t maxCode = 1u << codeSize;
  std::uint32_t readMask = maxCode - 1;
  std::uint32_t freeCode = firstFree;
  std::uint32_t oldCode = 0;
  std::uint8_t finChar = 0;
  // The first code of the stream, like the first after a Clear code, is written as it is and
  // adds no table entry; a second Clear (or the End code) right after a Clear is obeyed too.
  bool expectFirst = true;
  std::uint64_t bitPosition = 0;

  PixelWriter writer(view, palette_, originX, originY, imageWidth, targetWidth);
  std::uint8_t* const stack = stack_.data();

  while (!writer.PastBottom()) {
    if (bitPosition + codeSize > dataBits) return GifTileOutcome::kDataEnded;
    const std::size_t byteIndex = static_cast<std::size_t>(bitPosition >> 3);
    const std::uint32_t value = data[byteIndex] | (std::uint32_t{data[byteIndex + 1]} << 8) |
                                (std::uint32_t{data[byteIndex + 2]} << 16);
    const std::uint32_t code = (value >> (bitPosition & 7)) & readMask;
    bitPosition += codeSize;

    if (code == endCode) return GifTileOutcome::kDrawn;
    if (code == clearCode) {
      codeSize = initCodeSize;
      maxCode = 1u << codeSize;
      readMask = maxCode - 1;
      freeCode = firstFree;
      expectFirst = true;
      continue;
    }
    if (expectFirst) {
      oldCode = code;
      finChar = static_cast<std::uint8_t>(code & bitMask);
      writer.Put(finChar);
      expectFirst = false;
      continue;
    }

    // The string of a data code, last pixel first. A code not yet in the table is the
    // previous code's string followed by its own first pixel.
    const std::uint32_t inCode = code;
    std::uint32_t curCode = code;
    std::size_t top = 0;
    if (code >= freeCode) {
      curCode = oldCode;
      stack[top++] = finChar;
    }
    // The chain ends at a literal code, one below the Clear code. Ending it at codes up to
    // the colour mask instead would be right only when the minimum code size equals the
    // screen's table size; tiles of fewer than 256 colours carry a smaller code size under
    // their 8-bit screen byte and would decode to garbage that way.
    while (curCode >= clearCode) {
      // Every code is below 4096, so a chain longer than the table is a cycle.
      if (top >= kStackSize - 1) return GifTileOutcome::kCorruptCodes;
      stack[top++] = suffix_[curCode];
      curCode = prefix_[curCode];
    }
    finChar = static_cast<std::uint8_t>(curCode & bitMask);
    stack[top++] = finChar;
    while (top > 0) writer.Put(stack[--top]);

    // No entry once the table is full; the code size then stays at 12 bits until a Clear.
    if (freeCode < kTableSize) {
      prefix_[freeCode] = static_cast<std::uint16_t>(oldCode);
      suffix_[freeCode] = finChar;
      ++freeCode;
    }
    oldCode = inCode;
    if (freeCode >= maxCode && codeSize < kMaxCodeSize) {
      ++codeSize;
      maxCode <<= 1;
      readMask = maxCode - 1;
    }
  }
  return GifTileOutcome::kDrawn;
}

GifTileOutcome ReadGifTile(GifByteSource& source, std::int32_t originX, std::int32_t originY,
                           std::uint16_t targetWidth, Raster32& view) {
  GifTileReader reader;
  return reader.Read(source, originX, originY, targetWidth, view);
}

}  // namespace cz
