#include "imaging/TilePalette.h"

#include <algorithm>
#include <limits>

#include "platform/ExecutableFolder.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace cz {

namespace {

// Splits text into lines ended by CR LF, LF or a lone CR, as a text-file reader does.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}

  // The next line without its end; an empty line once the text is used up.
  std::string_view Next() {
    if (pos_ >= text_.size()) return {};
    const std::size_t end = text_.find_first_of("\r\n", pos_);
    if (end == std::string_view::npos) {
      const std::string_view line = text_.substr(pos_);
      pos_ = text_.size();
      return line;
    }
    const std::string_view line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    if (text_[end] == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    return line;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The colour count of line 3: blanks, an optional sign, digits and nothing else; 0 otherwise
// (also when the number does not fit 32 bits).
std::int32_t ParseCount(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  bool negative = false;
  if (i < line.size() && (line[i] == '+' || line[i] == '-')) negative = line[i++] == '-';
  if (i == line.size()) return 0;
  std::int64_t value = 0;
  for (; i < line.size(); ++i) {
    if (!IsDigit(line[i])) return 0;
    value = value * 10 + (line[i] - '0');
    if (value > std::numeric_limits<std::int32_t>::max()) return 0;
  }
  return static_cast<std::int32_t>(negative ? -value : value);
}

// One colour number read from line at pos (see the header). Digits beyond 32 bits wrap,
// which leaves the low 8 bits exactly as the full number has them.
std::uint8_t ReadNumber(std::string_view line, std::size_t& pos) {
  while (pos < line.size() && line[pos] == ' ') ++pos;
  std::uint32_t value = 0;
  while (pos < line.size() && IsDigit(line[pos])) value = value * 10u + (line[pos++] - '0');
  if (pos < line.size()) ++pos;  // the character that ended the number
  return static_cast<std::uint8_t>(value & 0xFFu);
}

}  // namespace

std::optional<TilePalette> ParseTilePalette(std::string_view text) {
  LineReader lines(text);
  lines.Next();
  lines.Next();
  const std::int32_t count = ParseCount(lines.Next());
  if (count <= 0) return std::nullopt;
  TilePalette palette;
  palette.DeclaredCount = count;
  const int kept = std::min(count, kMaxGifColours);
  palette.Colours.resize(kept);
  for (PaletteColour& colour : palette.Colours) {
    const std::string_view line = lines.Next();
    std::size_t pos = 0;
    colour.Red = ReadNumber(line, pos);
    colour.Green = ReadNumber(line, pos);
    colour.Blue = ReadNumber(line, pos);
  }
  return palette;
}

std::optional<TilePalette> LoadTilePalette(const std::string& path) {
  return ParseTilePalette(ReadWholeFile(path));
}

std::string TilePaletteFile() {
  return JoinPath(ProgramDataFolder(), "Palette.txt");
}

}  // namespace cz
