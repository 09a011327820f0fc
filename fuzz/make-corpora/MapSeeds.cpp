// EFIS map files written by the program's own map-file code (tile records appended, slots
// set, the map finished with its padding and checksum), then broken: lying sizes, slots that
// point anywhere, wrong codes, a wrong checksum, truncation.
#include <functional>
#include <vector>

#include "Seeds.h"
#include "efismap/EfisMapFile.h"
#include "platform/BinaryFile.h"

namespace cz::seeds {
namespace {

struct PlacedTile {
  TileLevel Level = 0;
  std::int32_t Slot = 0;
  std::string Gif;
};

// The map of these tiles in order (a later tile of a slot replaces the earlier one), finished
// or not.
std::string MapBytes(const std::vector<PlacedTile>& tiles, bool finished = true) {
  return BytesWrittenBy([&](const std::string& path) {
    std::vector<char> buffer(4096);
    BinaryFile map(path, BinaryFile::Mode::Create);
    WriteEmptyMap(map);
    for (const PlacedTile& tile : tiles) {
      const std::string tilePath = path + ".gif";
      {
        BinaryFile out(tilePath, BinaryFile::Mode::Create);
        out.Write(tile.Gif.data(), tile.Gif.size());
        out.Close();
      }
      BinaryFile in(tilePath, BinaryFile::Mode::Read);
      const std::uint32_t record = AppendTileRecord(map, in, buffer);
      in.Close();
      std::filesystem::remove(tilePath);
      SetSlot(map, tile.Level, tile.Slot, record);
    }
    if (finished) FinishMap(map, buffer);
    map.Close();
  });
}

void PutU32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int b = 0; b < 4; ++b) bytes.at(at + b) = static_cast<char>((value >> (8 * b)) & 0xFF);
}

}  // namespace

void MakeMapFileSeeds(Corpus& corpus) {
  const std::string small = ProgramTileGif(40, 30, 16);
  const std::string odd = ProgramTileGif(13, 7, 4);  // its record leaves padding to a word
  const std::vector<PlacedTile> three = {{0, 0, small}, {2, 10, odd}, {4, 3, small}};
  const std::string map = MapBytes(three);
  corpus.Write("map-three-levels", map);

  std::vector<PlacedTile> everyLevel;
  for (TileLevel level = 0; level < kTileLevelCount; ++level) {
    everyLevel.push_back(
        {level, DirectorySlots(level) - 1, ProgramTileGif(8 + level, 6, 2 << level)});
  }
  corpus.Write("map-every-level-last-slot", MapBytes(everyLevel));
  corpus.Write("map-slot-replaced", MapBytes({{1, 5, small}, {1, 5, odd}, {1, 6, odd}}));
  corpus.Write("map-unfinished", MapBytes(three, false));
  corpus.Write("map-full-height-tile", MapBytes({{2, 20, BandTileGif(300, 600)}}));

  // The first record lies at the header's end: size, then the format code, then the GIF.
  const std::uint32_t firstRecord = kMapHeaderSize;
  std::string lying = map;
  PutU32(lying, firstRecord, 0x7FFFFFFF);
  corpus.Write("map-record-size-huge", lying);
  std::string tooShort = map;
  PutU32(tooShort, firstRecord, 20);
  corpus.Write("map-record-size-short", tooShort);
  std::string format = map;
  format[firstRecord + 4] = 2;
  corpus.Write("map-tile-format-2", format);
  std::string checksum = map;
  checksum[checksum.size() - 1] ^= 0x01;
  corpus.Write("map-checksum-wrong", checksum);
  std::string magic = map;
  magic[7] = 2;  // map format code
  magic[0] = 'W';
  corpus.Write("map-magic-and-format-wrong", magic);

  std::string slots = map;
  PutU32(slots, SlotOffset(0, 1), 100);                                         // into the header
  PutU32(slots, SlotOffset(1, 0), static_cast<std::uint32_t>(map.size() - 3));  // the last bytes
  PutU32(slots, SlotOffset(3, 2), 0xFFFFFFF0u);                                 // far past the end
  PutU32(slots, SlotOffset(4, 0), firstRecord + 1);                             // inside a record
  corpus.Write("map-slots-anywhere", slots);

  corpus.WriteTruncated("map-truncated-in-record", map, firstRecord + 5 + small.size() / 2);
  corpus.WriteTruncated("map-truncated-in-directory", map, 3000);
}

}  // namespace cz::seeds
