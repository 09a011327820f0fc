#pragma once
// Finished EFIS map files for tests, written by the map-file writer from (level, slot, tile
// bytes) entries in order.

#include <string>
#include <tuple>
#include <vector>

#include "efismap/EfisMapFile.h"
#include "platform/BinaryFile.h"
#include "platform/LittleEndian.h"
#include "support/TempFolder.h"

namespace cz::testing {

// The little-endian 32-bit word of a map file's bytes at offset.
inline std::uint32_t WordAt(const std::string& bytes, std::size_t offset) {
  return LoadUint32LE(reinterpret_cast<const unsigned char*>(bytes.data() + offset));
}

using MapTiles = std::vector<std::tuple<TileLevel, int, std::string>>;

// Writes the map folder/mapName (making its folders); each tile passes through a file
// folder/tileN.GIF, as the map maker reads it. Returns the map's path.
inline std::string WriteMapFile(const TempFolder& folder, const std::string& mapName,
                                const MapTiles& tiles, std::size_t bufferSize = 4096) {
  const std::string path = folder.Write(mapName, "");
  std::vector<char> buffer(bufferSize);
  BinaryFile map(path, BinaryFile::Mode::Create);
  WriteEmptyMap(map);
  int n = 0;
  for (const auto& [level, index, bytes] : tiles) {
    BinaryFile tile(folder.Write("tile" + std::to_string(n++) + ".GIF", bytes),
                    BinaryFile::Mode::Read);
    SetSlot(map, level, index, AppendTileRecord(map, tile, buffer));
  }
  FinishMap(map, buffer);
  map.Close();
  return path;
}

}  // namespace cz::testing
