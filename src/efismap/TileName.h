#pragma once
// The names of tile files as the tile output writes them, "<level>_<position>.GIF", read back
// by the map builder.
//
// Accepted: first character a level digit "0".."4", second "_", then up to the first "." (or
// the end of the name) a signed decimal integer of at least one digit (an optional "+" or "-"
// and digits only, within 32 bits). The position must name a tile of its level's grid,
// 0 .. Columns × Rows − 1; any other number would give an in-cell index outside the level's
// directory, so such names are refused like names that do not convert.

#include <optional>
#include <string_view>

#include "geo/TileGrid.h"

namespace cz {

struct TileName {
  TileLevel level = 0;
  TilePosition position = 0;
};

// The level and position a tile file name stands for, or nothing for any other name.
std::optional<TileName> ParseTileName(std::string_view name);

}  // namespace cz
