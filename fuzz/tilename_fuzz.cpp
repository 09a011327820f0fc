// Feeds arbitrary names to the tile-name parser; whatever it accepts must be a tile of the
// grid whose cell and slot exist.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "efismap/EfisMapFile.h"
#include "efismap/TileName.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view name(reinterpret_cast<const char*>(data), size);
  const std::optional<cz::TileName> tile = cz::ParseTileName(name);
  if (!tile) return 0;
  const cz::MapCellSlot cell = cz::MapCellOfTile(tile->level, tile->position);
  // Throws (and so aborts the run) if the index fell outside the level's directory.
  cz::SlotOffset(tile->level, cell.index);
  if (cell.name.size() != 11) __builtin_trap();
  return 0;
}
