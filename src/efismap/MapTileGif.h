#pragma once
// Decoding a tile straight from an EFIS map file: the GIF data of a tile record, handed to
// the GifTileReader in chunks, bounded by the record's data size and by the file's end so
// that neither a corrupt size nor a truncated file can take the decoder beyond the tile.

#include <cstdint>
#include <vector>

#include "efismap/EfisMapFile.h"
#include "efismap/GifTileReader.h"
#include "platform/BinaryFile.h"

namespace cz {

// The GIF bytes of one tile record: at most record.dataSize bytes from record.DataOffset(),
// and none past the end of the file. Reads through chunk (grown to kChunkSize on first use).
// Read errors of the file throw CartozenError (BinaryFile.h).
class MapTileSource final : public GifByteSource {
 public:
  static constexpr std::size_t kChunkSize = 64 * 1024;

  MapTileSource(BinaryFile& map, const TileRecord& record, std::vector<std::uint8_t>& chunk);
  std::size_t Read(std::uint8_t* destination, std::size_t size) override;
  // File offset just past the last byte handed out.
  std::uint64_t Position() const { return start_ + consumed_; }

 private:
  BinaryFile& map_;
  std::vector<std::uint8_t>& chunk_;
  std::uint64_t start_;      // offset of the first GIF byte
  std::uint64_t available_;  // GIF bytes that may be read
  std::uint64_t consumed_ = 0;
  std::size_t chunkBegin_ = 0;  // unread part of the chunk
  std::size_t chunkEnd_ = 0;
};

// Decodes the tile of record (as ReadTileRecord returned it) into view with the image's
// top-left pixel at (originX, originY) and its rows fitted to targetWidth. Afterwards the map
// is positioned just past the image's block terminator (or as far as the data went).
GifTileOutcome ReadGifTile(BinaryFile& map, const TileRecord& record, std::int32_t originX,
                           std::int32_t originY, std::uint16_t targetWidth, Raster32& view,
                           GifTileReader& reader, std::vector<std::uint8_t>& chunk);

}  // namespace cz
