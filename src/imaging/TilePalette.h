#pragma once
// The optional fixed tile palette "Palette.txt" beside the program, and the colour record
// that every palette of the tile output uses.
//
// File layout, line by line: lines 1 and 2 are not examined; line 3 holds the number of
// colours n (optional leading blanks, an optional sign, decimal digits, nothing else; any other
// text counts as 0); lines 4 .. 3 + n hold one colour each as red, green, blue. Each number is
// read by skipping spaces and taking digits up to the first non-digit, which is consumed and
// ends the number; no digits read as 0; only the low 8 bits are kept. Lines missing at the end
// of the file read as empty lines and give black.
//
// A GIF colour table holds at most 256 colours, so of a longer palette only the first 256
// colours are read; DeclaredCount keeps the count the file gave so the caller can say so.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cz {

struct PaletteColour {
  std::uint8_t Red = 0;
  std::uint8_t Green = 0;
  std::uint8_t Blue = 0;
  friend bool operator==(const PaletteColour&, const PaletteColour&) = default;
};

inline constexpr int kMaxGifColours = 256;

struct TilePalette {
  std::vector<PaletteColour> Colours;  // 1 .. 256 entries
  std::int32_t DeclaredCount = 0;      // n from line 3 (may exceed Colours.size())
};

// The palette the text describes, or nothing when its count is 0 or less. Never throws.
std::optional<TilePalette> ParseTilePalette(std::string_view text);

// Reads and parses the file at path. Throws CartozenError("Unable to open file '" + path + "'")
// when the file exists but cannot be read.
std::optional<TilePalette> LoadTilePalette(const std::string& path);

// Where the program looks for the palette: "Palette.txt" in ProgramDataFolder().
std::string TilePaletteFile();

}  // namespace cz
