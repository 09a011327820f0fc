#include "efismap/MapTileGif.h"

#include <algorithm>
#include <cstring>

namespace cz {

MapTileSource::MapTileSource(BinaryFile& map, const TileRecord& record,
                             std::vector<std::uint8_t>& chunk)
    : map_(map), chunk_(chunk), start_(record.DataOffset()) {
  const std::uint64_t size = map.Size();
  available_ = start_ >= size ? 0 : std::min<std::uint64_t>(record.dataSize, size - start_);
  if (chunk_.size() < kChunkSize) chunk_.resize(kChunkSize);
}

std::size_t MapTileSource::Read(std::uint8_t* destination, std::size_t size) {
  std::size_t copied = 0;
  while (copied < size) {
    if (chunkBegin_ == chunkEnd_) {
      const std::uint64_t unread = available_ - consumed_;
      if (unread == 0) break;
      const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(unread, chunk_.size()));
      map_.Seek(start_ + consumed_);
      chunkEnd_ = map_.ReadSome(chunk_.data(), want);
      chunkBegin_ = 0;
      if (chunkEnd_ == 0) {  // the file shrank under us: its data ends here
        available_ = consumed_;
        break;
      }
    }
    const std::size_t n = std::min(size - copied, chunkEnd_ - chunkBegin_);
    std::memcpy(destination + copied, chunk_.data() + chunkBegin_, n);
    chunkBegin_ += n;
    consumed_ += n;
    copied += n;
  }
  return copied;
}

GifTileOutcome ReadGifTile(BinaryFile& map, const TileRecord& record, std::int32_t originX,
                           std::int32_t originY, std::uint16_t targetWidth, Raster32& view,
                           GifTileReader& reader, std::vector<std::uint8_t>& chunk) {
  MapTileSource source(map, record, chunk);
  const GifTileOutcome outcome = reader.Read(source, originX, originY, targetWidth, view);
  map.Seek(source.Position());
  return outcome;
}

}  // namespace cz
