#include "efismap/TileName.h"

#include <charconv>
#include <cstdint>

namespace cz {

std::optional<TileName> ParseTileName(std::string_view name) {
  if (name.size() < 3 || name[0] < '0' || name[0] > '4' || name[1] != '_') return std::nullopt;
  const TileLevel level = static_cast<TileLevel>(name[0] - '0');
  std::string_view number = name.substr(2, name.find('.', 2) - 2);
  // from_chars reads a "-" but not a "+"; a "+" must be followed by a digit of its own.
  if (!number.empty() && number.front() == '+') {
    number.remove_prefix(1);
    if (number.empty() || number.front() == '-') return std::nullopt;
  }
  std::int32_t position = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), position);
  if (number.empty() || error != std::errc() || end != number.data() + number.size()) {
    return std::nullopt;
  }
  if (position < 0 || position >= TileColumns(level) * TileRows(level)) return std::nullopt;
  return TileName{level, position};
}

}  // namespace cz
